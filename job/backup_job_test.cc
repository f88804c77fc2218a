#include "job/backup_job.h"

#include <gtest/gtest.h>

namespace sollux {
namespace {

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
