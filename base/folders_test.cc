#include "base/folders.h"

#include <gtest/gtest.h>

#include "base/file_system.h"
#include "base/path.h"
#include "base/system_api.h"
#include "test/scoped_environment.h"
#include "test/temp_dir.h"

namespace sollux {
namespace {

using test::ScopedCurrentDirectory;
using test::ScopedEnvironmentVariable;
using test::ScopedTempDir;
using test::WriteFileBytes;

// Runs the real calls and notes every folder that the code asks to create.
class CreationRecorder : public RealSystemApi {
 public:
  int MakeDirectory(const wchar_t* path) override {
    created.push_back(path);
    return RealSystemApi::MakeDirectory(path);
  }
  WStringList created;
};

TEST(CreateDirectoryChainTest, CreatesEachMissingLevelInOrder) {
  ScopedTempDir dir;
  test::MakeFolders(dir / L"a");
  CreationRecorder recorder;
  ScopedSystemApi scoped(recorder);
  EXPECT_TRUE(CreateDirectoryChain(dir / L"a\\b\\c\\"));
  EXPECT_EQ((WStringList{dir / L"a\\b", dir / L"a\\b\\c"}), recorder.created);
  EXPECT_TRUE(DirectoryExists((dir / L"a\\b\\c").c_str()));
}

TEST(CreateDirectoryChainTest, ExistingFolderOrEmptyPathCreatesNothing) {
  ScopedTempDir dir;
  CreationRecorder recorder;
  ScopedSystemApi scoped(recorder);
  for (const WString& path : {dir.path(), dir.path() + L"\\", dir.path() + L"/", WString()}) {
    SCOPED_TRACE(path);
    EXPECT_TRUE(CreateDirectoryChain(path));
  }
  EXPECT_TRUE(recorder.created.empty());
}

TEST(CreateDirectoryChainTest, SlashesAndDoubledSeparators) {
  ScopedTempDir dir;
  WString slashed = dir / L"x//y/z/";
  for (wchar_t& c : slashed) c = c == L'\\' ? L'/' : c;
  EXPECT_TRUE(CreateDirectoryChain(slashed));
  EXPECT_TRUE(DirectoryExists((dir / L"x\\y\\z").c_str()));
}

TEST(CreateDirectoryChainTest, RelativePathBelowCurrentDirectory) {
  ScopedTempDir dir;
  {
    ScopedCurrentDirectory cwd(dir.path());
    EXPECT_TRUE(CreateDirectoryChain(L"a/b"));
  }
  EXPECT_TRUE(DirectoryExists((dir / L"a\\b").c_str()));
}

TEST(CreateDirectoryChainTest, RegularFileOnTheWayFails) {
  ScopedTempDir dir;
  WriteFileBytes(dir / L"file", "x");
  EXPECT_FALSE(CreateDirectoryChain(dir / L"file"));
  EXPECT_FALSE(CreateDirectoryChain(dir / L"file\\sub\\deeper"));
  EXPECT_FALSE(DirectoryExists((dir / L"file\\sub").c_str()));
  // Levels created before the failing one stay.
  WriteFileBytes(dir / L"made\\blocker", "x");
  EXPECT_FALSE(CreateDirectoryChain(dir / L"made\\blocker\\x"));
  EXPECT_TRUE(DirectoryExists((dir / L"made").c_str()));
}

TEST(CreateDirectoryChainTest, MissingDriveFails) {
  // Wine's default prefix has C: and Z: only; Q: is never mapped there.
  EXPECT_FALSE(CreateDirectoryChain(L"Q:\\sollux-missing-drive\\a"));
}

// Wine has no real file shares, so the share below a UNC server is simulated: nothing below
// \\server exists, and every creation there succeeds and is noted.
class FakeShare : public CreationRecorder {
 public:
  int Access(const wchar_t* path, int mode) override {
    if (IsOnServer(path)) return WString(path) == existing ? 0 : -1;
    return RealSystemApi::Access(path, mode);
  }
  int MakeDirectory(const wchar_t* path) override {
    if (!IsOnServer(path)) return CreationRecorder::MakeDirectory(path);
    created.push_back(path);
    return 0;
  }
  static bool IsOnServer(const wchar_t* path) { return WString(path).starts_with(L"\\\\server"); }
  WString existing;
};

TEST(CreateDirectoryChainTest, UncServerAndShareAreNeverCreated) {
  const struct {
    WString path;
    WStringList created;
  } cases[] = {
      {L"\\\\server\\share\\x", {L"\\\\server\\share\\x"}},
      {L"//server/share/x/y/", {L"\\\\server\\share\\x", L"\\\\server\\share\\x\\y"}},
      {L"\\\\server\\share", {}},
      {L"\\\\server", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    FakeShare share;
    ScopedSystemApi scoped(share);
    EXPECT_TRUE(CreateDirectoryChain(c.path));
    EXPECT_EQ(c.created, share.created);
  }
}

TEST(CreateDirectoryChainTest, ExistingUncLevelIsNotCreatedAgain) {
  FakeShare share;
  share.existing = L"\\\\server\\share\\x";
  ScopedSystemApi scoped(share);
  EXPECT_TRUE(CreateDirectoryChain(L"\\\\server\\share\\x\\"));
  EXPECT_TRUE(CreateDirectoryChain(L"\\\\server\\share\\x\\y"));
  EXPECT_EQ((WStringList{L"\\\\server\\share\\x\\y"}), share.created);
}

TEST(ScratchSubfolderTest, LivesInTheTemporaryFolderAndIsCreated) {
  ScopedTempDir dir;
  ScopedEnvironmentVariable tmp(L"TMP", dir.path());
  const WString scratch = ScratchSubfolder(L"");
  EXPECT_EQ(dir / L"Brevant.tmp\\", scratch);
  EXPECT_TRUE(DirectoryExists(scratch.c_str()));
  const WString trace = ScratchSubfolder(L"_trace_");
  EXPECT_EQ(dir / L"Brevant.tmp\\_trace_", trace);
  EXPECT_TRUE(DirectoryExists(trace.c_str()));
  EXPECT_EQ(dir / L"Brevant.tmp\\a\\b", ScratchSubfolder(L"a\\b"));
  EXPECT_TRUE(DirectoryExists((dir / L"Brevant.tmp\\a\\b").c_str()));
}

TEST(ScratchSubfolderTest, ReturnsThePathEvenWhenItCannotBeCreated) {
  ScopedTempDir dir;
  WriteFileBytes(dir / L"Brevant.tmp", "a file where the folder belongs");
  ScopedEnvironmentVariable tmp(L"TMP", dir.path());
  EXPECT_EQ(dir / L"Brevant.tmp\\_trace_", ScratchSubfolder(L"_trace_"));
}

}  // namespace
}  // namespace sollux
