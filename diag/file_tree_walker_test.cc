#include "diag/file_tree_walker.h"

#include <gtest/gtest.h>

#include "base/file_system.h"
#include "base/path.h"
#include "base/system_api.h"
#include "test/child_process.h"
#include "test/fake_machine.h"
#include "test/temp_dir.h"

namespace sollux {
namespace {

using test::MakeFolders;
using test::ReadFileBytes;
using test::ScopedTempDir;
using test::WriteFileBytes;

bool Exists(const WString& path) {
  return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Logs every removal and copy, and carries it out.
class RecordingApi : public RealSystemApi {
 public:
  int RemoveFile(const wchar_t* path) override {
    log.push_back(L"del " + WString(path));
    return RealSystemApi::RemoveFile(path);
  }
  int DeleteDirectory(const wchar_t* path) override {
    log.push_back(L"rmdir " + WString(path));
    return RealSystemApi::DeleteDirectory(path);
  }
  BOOL CopyFileW(const wchar_t* from, const wchar_t* to, BOOL fail_if_exists) override {
    log.push_back(L"copy " + WString(from));
    return RealSystemApi::CopyFileW(from, to, fail_if_exists);
  }
  WStringList log;
};

// x\a.txt and x\sub\b.txt, nothing else.
class DeleteOrderTest : public testing::Test {
 protected:
  void SetUp() override {
    WriteFileBytes(x_ + L"\\a.txt", "a");
    WriteFileBytes(x_ + L"\\sub\\b.txt", "b");
  }
  ScopedTempDir dir_;
  const WString x_ = dir_ / L"x";
};

TEST_F(DeleteOrderTest, FilesBeforeTheirFoldersAndOnlyEmptyFolders) {
  RecordingApi api;
  ScopedSystemApi scoped(api);
  FileTreeWalker walker;
  walker.AddPath(x_ + L"\\a.txt");
  walker.AddPath(x_ + L"\\");
  walker.AddPath(x_ + L"\\sub\\b.txt");
  EXPECT_TRUE(walker.DeleteAll());
  // x\sub is not listed and stays, so x is not empty when its turn comes.
  EXPECT_EQ((WStringList{L"del " + x_ + L"\\sub\\b.txt", L"del " + x_ + L"\\a.txt"}), api.log);
  EXPECT_TRUE(Exists(x_ + L"\\sub"));
  EXPECT_FALSE(Exists(x_ + L"\\a.txt"));
  EXPECT_TRUE(walker.Sources().empty());
}

TEST_F(DeleteOrderTest, ListedSubfolderGoesBeforeItsParent) {
  RecordingApi api;
  ScopedSystemApi scoped(api);
  {
    FileTreeWalker walker;
    walker.AddPaths({x_ + L"\\a.txt", x_ + L"\\", x_ + L"\\sub\\b.txt", x_ + L"\\sub\\"});
  }  // the destructor deletes
  EXPECT_EQ((WStringList{L"del " + x_ + L"\\sub\\b.txt", L"rmdir " + x_ + L"\\sub",
                         L"del " + x_ + L"\\a.txt", L"rmdir " + x_}),
            api.log);
  EXPECT_FALSE(Exists(x_));
}

TEST(DeleteAllTest, DuplicatesOnceLetterCaseVariantsApart) {
  ScopedTempDir dir;
  const WString locked = dir / L"locked.txt";
  WriteFileBytes(locked, "keep");
  ASSERT_TRUE(::SetFileAttributesW(locked.c_str(), FILE_ATTRIBUTE_READONLY));
  RecordingApi api;
  ScopedSystemApi scoped(api);
  FileTreeWalker walker;
  walker.AddPath(locked);
  walker.AddPath(locked.c_str());
  walker.AddPath(dir / L"LOCKED.TXT");
  walker.DeleteAll();
  // A read-only file stays, so every visit of it shows up as one more attempt.
  EXPECT_EQ((WStringList{L"del " + locked, L"del " + (dir / L"LOCKED.TXT")}), api.log);
  EXPECT_EQ("keep", ReadFileBytes(locked));
}

// Every copy source, with the entries that the copy pass must keep and blank.
class CopyPassTest : public testing::Test {
 protected:
  void SetUp() override {
    WriteFileBytes(dir_ / L"src\\moved.txt", "moved");
    WriteFileBytes(dir_ / L"src\\kept.txt", "kept");
    WriteFileBytes(dir_ / L"src\\plain.txt", "plain");
    WriteFileBytes(dir_ / L"blocker", "a file where a folder is needed");
    WriteFileBytes(dir_ / L"out\\over.txt", "old");
    WriteFileBytes(dir_ / L"src\\over.txt", "new");
  }
  void Fill(FileTreeWalker& walker) {
    walker.AddCopy(In(L"src\\moved.txt").c_str(), In(L"out\\deep\\er\\moved.txt").c_str());
    walker.AddCopy(In(L"src\\kept.txt").c_str(), In(L"blocker\\kept.txt").c_str());
    walker.AddCopy(In(L"src\\missing.txt").c_str(), In(L"out\\missing.txt").c_str());
    walker.AddPath(In(L"src\\plain.txt"));
    walker.AddCopy(In(L"src\\over.txt").c_str(), In(L"out\\over.txt").c_str());
  }
  void ExpectCopiedAndDeleted() {
    EXPECT_EQ("moved", ReadFileBytes(In(L"out\\deep\\er\\moved.txt")));
    EXPECT_EQ("new", ReadFileBytes(In(L"out\\over.txt")));
    EXPECT_FALSE(Exists(In(L"out\\missing.txt")));
    EXPECT_FALSE(Exists(In(L"src\\moved.txt")));
    EXPECT_FALSE(Exists(In(L"src\\over.txt")));
    EXPECT_FALSE(Exists(In(L"src\\plain.txt")));
    EXPECT_EQ("kept", ReadFileBytes(In(L"src\\kept.txt")));  // its copy failed
  }
  WString In(const WString& name) const { return dir_ / name; }

  ScopedTempDir dir_;
};

TEST_F(CopyPassTest, ExplicitPasses) {
  RecordingApi api;
  ScopedSystemApi scoped(api);
  FileTreeWalker walker;
  Fill(walker);
  EXPECT_TRUE(walker.CopyAll());
  EXPECT_TRUE(walker.Destinations().empty());
  EXPECT_EQ((WStringList{In(L"src\\moved.txt"), L"", In(L"src\\missing.txt"), In(L"src\\plain.txt"),
                         In(L"src\\over.txt")}),
            walker.Sources());
  // The missing source is not even tried; the blocked one fails before its copy.
  EXPECT_EQ((WStringList{L"copy " + In(L"src\\moved.txt"), L"copy " + In(L"src\\over.txt")}),
            api.log);
  EXPECT_TRUE(walker.DeleteAll());
  ExpectCopiedAndDeleted();
}

TEST_F(CopyPassTest, Destructor) {
  {
    FileTreeWalker walker;
    Fill(walker);
  }
  ExpectCopiedAndDeleted();
}

TEST(FileTreeWalkerTest, DestinationListFollowsTheSources) {
  ScopedTempDir dir;  // nothing exists in it, so the destructor finds nothing to do
  FileTreeWalker walker;
  walker.AddPath(dir / L"a");
  walker.AddPath((dir / L"b").c_str());
  walker.AddPaths({dir / L"c"});
  walker.AddCopy((dir / L"d").c_str(), L"D:\\d");
  EXPECT_EQ((WStringList{L"", L"", L"", L"D:\\d"}), walker.Destinations());
  EXPECT_EQ((WStringList{dir / L"a", dir / L"b", dir / L"c", dir / L"d"}), walker.Sources());
  walker.DeleteAll();  // empties the sources only: the next copy cuts the destinations back
  walker.AddCopy((dir / L"e").c_str(), L"D:\\e");
  EXPECT_EQ((WStringList{L"D:\\e"}), walker.Destinations());
}

TEST(IsDirectoryEmptyTest, Cases) {
  ScopedTempDir dir;
  MakeFolders(dir / L"empty");
  MakeFolders(dir / L"with_folder\\inner");
  WriteFileBytes(dir / L"with_file\\f.txt", "");
  const struct {
    WString path;
    bool expected;
  } cases[] = {
      {dir / L"empty", true},
      {dir / L"empty\\", true},
      {dir / L"with_folder", false},
      {dir / L"with_folder\\inner", true},
      {dir / L"with_file", false},
      {dir / L"with_file\\f.txt", false},  // a file's path tests its folder
      {dir / L"missing", true},            // although its parent is not empty
      {dir / L"missing\\deeper\\", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(c.expected, IsDirectoryEmpty(c.path.c_str()));
  }
}

TEST(CopyFileCreatingFolderTest, Cases) {
  ScopedTempDir dir;
  const WString source = dir / L"source.txt";
  WriteFileBytes(source, "new");
  WriteFileBytes(dir / L"existing.txt", "old");
  WriteFileBytes(dir / L"blocker", "");
  EXPECT_TRUE(CopyFileCreatingFolder(source.c_str(), (dir / L"a\\b\\c.txt").c_str(), true));
  EXPECT_EQ("new", ReadFileBytes(dir / L"a\\b\\c.txt"));
  EXPECT_FALSE(CopyFileCreatingFolder(source.c_str(), (dir / L"existing.txt").c_str(), true));
  EXPECT_EQ("old", ReadFileBytes(dir / L"existing.txt"));
  EXPECT_TRUE(CopyFileCreatingFolder(source.c_str(), (dir / L"existing.txt").c_str(), false));
  EXPECT_EQ("new", ReadFileBytes(dir / L"existing.txt"));
  EXPECT_FALSE(CopyFileCreatingFolder((dir / L"missing").c_str(), (dir / L"m.txt").c_str(), false));
  EXPECT_FALSE(Exists(dir / L"m.txt"));
  EXPECT_FALSE(CopyFileCreatingFolder(source.c_str(), (dir / L"blocker\\x.txt").c_str(), false));
  EXPECT_EQ("new", ReadFileBytes(source));
}

constexpr int64_t kTenDays = 864000;

// Sets the last-write time of a file or folder to `seconds` after 1970 (UTC).
void SetModifyTime(const WString& path, int64_t seconds) {
  ASSERT_TRUE(test::SetLastWriteTime(path, seconds)) << path;
  ASSERT_EQ(seconds, FileStatus(path.c_str()).ModifyTime()) << path;
}

// One candidate per folder, so that the answer tells whether that candidate was queued.
TEST(PurgeOldFilesTest, QueuesAgedWritableTxtFilesOnly) {
  const int64_t real_now = RealSystemApi().CurrentTime();
  const int64_t after_2038 = 2208988800;  // 2040-01-01
  const struct {
    const wchar_t* name;
    int64_t now;
    int64_t age;
    bool read_only;
    bool queued;
  } cases[] = {
      {L"exact.txt", real_now, kTenDays, false, true},
      {L"young.txt", real_now, kTenDays - 1, false, false},
      {L"old.TXT", real_now, kTenDays + 1, false, true},
      {L"locked.txt", real_now, 100 * kTenDays, true, false},
      {L"old.log", real_now, 100 * kTenDays, false, false},
      {L"future.txt", real_now, -kTenDays, false, false},
      {L"sub\\deep.txt", real_now, 100 * kTenDays, false, false},
      {L"folder.txt\\", real_now, 100 * kTenDays, false, false},
      {L"late.txt", after_2038, kTenDays, false, true},
      {L"late_young.txt", after_2038, kTenDays - 1, false, false},
      {L"ancient.txt", after_2038, after_2038 - 631152000, false, true},  // from 1990
  };
  ScopedTempDir dir;
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const WString folder = dir / std::to_wstring(++n);
    const WString path = folder + L"\\" + c.name;
    if (path.back() == L'\\') {
      MakeFolders(path);
    } else {
      WriteFileBytes(path, "x");
    }
    SetModifyTime(WithoutTrailingSeparator(path), c.now - c.age);
    if (c.read_only) ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY);
    // The purge reads the clock after the files were staged; a stopped clock makes the age exact.
    test::ScopedFakeMachine machine;
    machine.clock = c.now;
    EXPECT_EQ(!c.queued, PurgeOldFiles((folder + L"\\.txt").c_str(), 10));
    EXPECT_TRUE(Exists(path));  // queued files go only at process exit
  }
}

TEST(PurgeOldFilesTest, PatternFromStemAndExtension) {
  ScopedTempDir dir;
  const int64_t now = RealSystemApi().CurrentTime();
  for (const wchar_t* name : {L"log_1.dat", L"other.dat"}) {
    WriteFileBytes(dir / name, "x");
    SetModifyTime(dir / name, now - 2 * kTenDays);
  }
  EXPECT_TRUE(PurgeOldFiles((dir / L"nothing.dat").c_str(), 10));
  EXPECT_FALSE(PurgeOldFiles((dir / L"log_.dat").c_str(), 10));
  EXPECT_TRUE(PurgeOldFiles((dir / L"log_.dat").c_str(), 30));
}

// The aged files disappear when a process that queued them ends normally; the rest stay.
class PurgeAtExitTest : public testing::Test {
 protected:
  void SetUp() override {
    const int64_t now = RealSystemApi().CurrentTime();
    Stage(L"old.txt", now - 2 * kTenDays);
    Stage(L"OLD2.TXT", now - kTenDays - 60);
    Stage(L"young.txt", now - kTenDays + 3600);
    Stage(L"locked.txt", now - 2 * kTenDays);
    ::SetFileAttributesW((dir_ / L"locked.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    Stage(L"old.log", now - 2 * kTenDays);
    Stage(L"sub\\deep.txt", now - 2 * kTenDays);
    MakeFolders(dir_ / L"empty.txt");
    SetModifyTime(dir_ / L"empty.txt", now - 2 * kTenDays);
  }
  void Stage(const WString& name, int64_t time) {
    WriteFileBytes(dir_ / name, "x");
    SetModifyTime(dir_ / name, time);
  }
  int RunPurge(const WString& extra) {
    std::vector<WString> arguments{dir_.path()};
    if (!extra.empty()) arguments.push_back(extra);
    return static_cast<int>(
        test::RunChild(test::FixtureProgram(L"purge_old_files.exe"), arguments).exit_code);
  }
  void ExpectStaying() {
    for (const wchar_t* name :
         {L"young.txt", L"locked.txt", L"old.log", L"sub\\deep.txt", L"empty.txt"}) {
      EXPECT_TRUE(Exists(dir_ / name)) << name;
    }
  }
  ScopedTempDir dir_;
};

TEST_F(PurgeAtExitTest, NormalExitDeletesTheQueuedFiles) {
  EXPECT_EQ(0, RunPurge(L""));
  EXPECT_FALSE(Exists(dir_ / L"old.txt"));
  EXPECT_FALSE(Exists(dir_ / L"OLD2.TXT"));
  ExpectStaying();
}

TEST_F(PurgeAtExitTest, KilledProcessDeletesNothing) {
  EXPECT_EQ(0, RunPurge(L"--killed"));
  EXPECT_TRUE(Exists(dir_ / L"old.txt"));
  EXPECT_TRUE(Exists(dir_ / L"OLD2.TXT"));
  ExpectStaying();
}

}  // namespace
}  // namespace sollux
