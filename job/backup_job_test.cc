#include "job/backup_job.h"

#include <gtest/gtest.h>

#include <optional>

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

// The check after a backup selects files by the switches that the command line has.
TEST(BackupJobTest, CheckRulesFollowTheCommandLineSwitches) {
  BackupJob plain;  // /xf of its default list, no /xd, no /max, /xjd
  BackupJob full = plain;
  full.SetExcludedDirs(L" bak  \"two words\" ");
  full.SetExcludeDirsEnabled(true);
  full.SetMaxSize(4096);
  full.SetMaxSizeEnabled(true);
  full.SetExcludeJunctionDirs(false);
  BackupJob top_only = plain;
  top_only.SetExcludeFilesEnabled(false);
  top_only.SetSubdirectories(false);
  const CommandFolders folders = {L"C:\\Data", L"E:\\_Backup_\\PC01\\C\\Data"};
  const CommandFolders nested = {L"C:\\Data", L"C:\\Data\\_Backup_\\PC01\\C\\Data"};
  const struct {
    const char* name;
    const BackupJob& job;
    const CommandFolders& folders;
    WStringList files, dirs;
    std::optional<uint64_t> max_size;
    bool skip_junctions;
    unsigned depth;
  } cases[] = {
      {"plain", plain, folders, {L"mfc*.tmp", L"Thumbs.db"}, {}, {}, true, 0},
      {"all switches",
       full,
       folders,
       {L"mfc*.tmp", L"Thumbs.db"},
       {L"bak", L"two words"},
       4096,
       false,
       0},
      {"copy inside its source: /lev:3",
       plain,
       nested,
       {L"mfc*.tmp", L"Thumbs.db"},
       {},
       {},
       true,
       3},
      {"no /s, no /xf", top_only, folders, {}, {}, {}, true, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const CheckRules rules = c.job.CheckRulesFor(c.folders);
    EXPECT_EQ(c.files, rules.excluded_files);
    EXPECT_EQ(c.dirs, rules.excluded_dirs);
    EXPECT_EQ(c.max_size, rules.max_size);
    EXPECT_EQ(c.skip_junctions, rules.skip_junctions);
    EXPECT_EQ(c.depth, rules.max_depth);
  }
}

}  // namespace
}  // namespace sollux
