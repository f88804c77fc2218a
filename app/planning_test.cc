#include "app/planning.h"

#include <gtest/gtest.h>

#include "base/environment.h"
#include "base/win.h"
#include "job/backup_job.h"
#include "test/temp_dir.h"
#include "test/wide_error_capture.h"

namespace sollux {
namespace {

TEST(UserFolderListTest, ShellFoldersInOrderWithoutRepeats) {
  WStringList expected;
  for (int csidl : {CSIDL_COMMON_DOCUMENTS, CSIDL_COMMON_PICTURES, CSIDL_COMMON_MUSIC,
                    CSIDL_COMMON_VIDEO, CSIDL_COMMON_DESKTOPDIRECTORY, CSIDL_PERSONAL,
                    CSIDL_MYPICTURES, CSIDL_MYMUSIC, CSIDL_MYVIDEO, CSIDL_DESKTOPDIRECTORY}) {
    expected.push_back(SpecialFolderPath(csidl));
    EXPECT_FALSE(expected.back().empty()) << csidl;
  }
  // The desktop (0) is the desktop folder again and is dropped as a repeat.
  ASSERT_EQ(SpecialFolderPath(CSIDL_DESKTOP), SpecialFolderPath(CSIDL_DESKTOPDIRECTORY));
  EXPECT_EQ(expected, UserFolderList());
}

// Each PLUMA setting that names no folder there, or a folder relative to some current folder
// (which the batch file could not back up), is named once; an empty setting is none.
TEST(ReportMissingPlumaFoldersTest, MissingAndRelativeFoldersAreNamed) {
  const test::ScopedTempDir dir;
  const WString missing = dir / L"Missing";
  test::WideErrorCapture errors;
  ReportMissingPlumaFolders({dir.path(), L"", missing, L".", L"C:Data", missing, L"C:"});
  EXPECT_EQ(L"PLUMA folder not found, not backed up: " + missing + L"\n" +
                L"PLUMA folder is not a full path, not backed up: .\n"
                L"PLUMA folder is not a full path, not backed up: C:Data\n",
            errors.Take());
}

TEST(BackupDestinationTest, BackupFolderOfTheBase) {
  const struct {
    WString base, expected;
  } cases[] = {
      {L"E:/", L"E:/_Backup_"},
      {L"C:\\Temp\\Brevant.tmp\\", L"C:\\Temp\\Brevant.tmp\\_Backup_"},
      {L"E:", L"E:\\_Backup_"},
      {L"X:\\_BACKUP_", L"X:\\_BACKUP_"},  // already the backup folder, in any letter case
      {L"_backup_", L"_backup_"},
      {L"X:\\My_Backup_", L"X:\\My_Backup_"},
      {L"ackup_", L"ackup_\\_Backup_"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.base);
    EXPECT_EQ(c.expected, BackupDestination(c.base));
  }
}

TEST(ConfigureBackupJobTest, MirrorWithExclusionsAndSizeLimit) {
  BackupJob job;
  ConfigureBackupJob(job, L"E:/_Backup_");
  EXPECT_EQ(L"E:/_Backup_", job.Destination());
  EXPECT_EQ(L" *.bak  *.tmp  Thumbs.db ", job.ExcludedFiles());
  EXPECT_EQ(L" bak  .vs  _Backup_  _Search_  _Backup_ *.tmp", job.ExcludedDirs());
  EXPECT_EQ(4294967296u, job.MaxSize());
  EXPECT_TRUE(job.LongFinalPause());
  EXPECT_EQ(3, job.RetryCount());
  EXPECT_EQ(5, job.WaitSeconds());
}

}  // namespace
}  // namespace sollux
