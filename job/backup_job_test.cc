#include "job/backup_job.h"

#include <gtest/gtest.h>

namespace sollux {
namespace {

TEST(BackupJobTest, Defaults) {
  BackupJob job;
  EXPECT_EQ(L"", job.ScriptText());
  EXPECT_EQ(L"", job.Source());
  EXPECT_EQ(L"", job.Destination());
  EXPECT_EQ(L"", job.FileSelection());
  EXPECT_EQ(L"", job.ExtraOptions());
  EXPECT_FALSE(job.LongFinalPause());
  EXPECT_EQ(L" mfc*.tmp  Thumbs.db ", job.ExcludedFiles());
  EXPECT_EQ(L"", job.ExcludedDirs());
  EXPECT_EQ(3, job.RetryCount());
  EXPECT_EQ(5, job.WaitSeconds());
  EXPECT_EQ(0u, job.MinSize());
  EXPECT_EQ(1099511627776ull, job.MaxSize());
  EXPECT_EQ(19700101u, job.MaxAge());
  EXPECT_EQ(0u, job.MinAge());
  EXPECT_EQ(L"robocopy", job.ToolName());
}

TEST(BackupJobTest, SettersStoreAndAnswerTrue) {
  BackupJob job;
  EXPECT_TRUE(job.SetSource(L"\"C:\\Data\""));
  EXPECT_TRUE(job.SetDestination(L"E:/_Backup_"));
  EXPECT_TRUE(job.SetFileSelection(L"*.txt"));
  EXPECT_TRUE(job.SetExtraOptions(L"/np"));
  EXPECT_TRUE(job.SetLongFinalPause(true));
  EXPECT_TRUE(job.SetRetryCount(0));
  EXPECT_TRUE(job.SetWaitSeconds(65535));
  EXPECT_TRUE(job.SetMinSize(1));
  EXPECT_TRUE(job.SetMaxSize(4294967296ull));  // all 64 bits are kept
  EXPECT_TRUE(job.SetMaxAge(20261208));
  EXPECT_TRUE(job.SetMinAge(7));
  EXPECT_EQ(L"\"C:\\Data\"", job.Source());
  EXPECT_EQ(L"E:/_Backup_", job.Destination());
  EXPECT_EQ(L"*.txt", job.FileSelection());
  EXPECT_EQ(L"/np", job.ExtraOptions());
  EXPECT_TRUE(job.LongFinalPause());
  EXPECT_EQ(0, job.RetryCount());
  EXPECT_EQ(65535, job.WaitSeconds());
  EXPECT_EQ(1u, job.MinSize());
  EXPECT_EQ(4294967296ull, job.MaxSize());
  EXPECT_EQ(20261208u, job.MaxAge());
  EXPECT_EQ(7u, job.MinAge());
  for (bool (BackupJob::*setter)(bool) :
       {&BackupJob::SetListOnly, &BackupJob::SetSubdirectories, &BackupJob::SetMirror,
        &BackupJob::SetPurge, &BackupJob::SetFatFileTimes, &BackupJob::SetRetryEnabled,
        &BackupJob::SetWaitEnabled, &BackupJob::SetExcludeOlder, &BackupJob::SetExcludeExtra,
        &BackupJob::SetExcludeJunctionDirs, &BackupJob::SetMinSizeEnabled,
        &BackupJob::SetMaxSizeEnabled, &BackupJob::SetMaxAgeEnabled,
        &BackupJob::SetMinAgeEnabled, &BackupJob::SetExcludeFilesEnabled,
        &BackupJob::SetExcludeDirsEnabled}) {
    EXPECT_TRUE((job.*setter)(true));
    EXPECT_TRUE((job.*setter)(false));
  }
}

TEST(BackupJobTest, ExclusionLists) {
  BackupJob job;
  EXPECT_TRUE(job.SetExcludedDirs(L" bak "));
  EXPECT_TRUE(job.AddExcludedDir(L"*.tmp"));
  EXPECT_EQ(L" bak  *.tmp", job.ExcludedDirs());
  EXPECT_TRUE(job.AddExcludedFile(L"x.log"));
  EXPECT_EQ(L" mfc*.tmp  Thumbs.db  x.log", job.ExcludedFiles());
  EXPECT_TRUE(job.SetExcludedFiles(L""));
  EXPECT_EQ(L"", job.ExcludedFiles());
  EXPECT_TRUE(job.SetExcludedFiles(nullptr));
  EXPECT_EQ(L"", job.ExcludedFiles());
}

TEST(BackupJobTest, CopyIsIndependent) {
  BackupJob job;
  job.SetSource(L"C:\\Data");
  job.SetMaxSize(42);
  job.AddExcludedDir(L"bak");
  BackupJob copy(job);
  EXPECT_EQ(L"C:\\Data", copy.Source());
  EXPECT_EQ(42u, copy.MaxSize());
  EXPECT_EQ(L" bak", copy.ExcludedDirs());
  copy.SetSource(L"D:\\Other");
  copy.AddExcludedDir(L"x");
  EXPECT_EQ(L"C:\\Data", job.Source());
  EXPECT_EQ(L" bak", job.ExcludedDirs());
}

}  // namespace
}  // namespace sollux
