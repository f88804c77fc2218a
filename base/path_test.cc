#include "base/path.h"
#include "base/file_system.h"

#include <gtest/gtest.h>

#include "base/system_api.h"
#include "base/win.h"
#include "test/temp_dir.h"

namespace sollux {
namespace {

using test::ScopedTempDir;
using test::WriteFileBytes;

struct TextCase {
  WString input;
  WString expected;
};

TEST(TrailingSeparatorTest, AddsOnlyWhereMissing) {
  const TextCase cases[] = {
      {L"", L""}, {L"C:", L"C:\\"}, {L"C:/", L"C:/"}, {L"C:\\a\\", L"C:\\a\\"}, {L"a", L"a\\"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.input);
    EXPECT_EQ(c.expected, WithTrailingSeparator(c.input, L'\\'));
  }
}

TEST(TrailingSeparatorTest, RemovesExactlyOne) {
  const TextCase cases[] = {
      {L"C:\\a\\\\", L"C:\\a\\"}, {L"", L""}, {L"C:", L"C:"}, {L"a/", L"a"}, {L"\\", L""}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.input);
    EXPECT_EQ(c.expected, WithoutTrailingSeparator(c.input));
    EXPECT_EQ(c.expected, WithoutTrailingSeparator(c.input.c_str()));
  }
}

TEST(SplitTextTest, ElementsQuotesAndEmptyPieces) {
  struct Case {
    WString text;
    WStringList expected;
  } cases[] = {
      {L"a\\\\b\\", {L"a", L"", L"b"}},
      {L"", {}},
      {L"\\", {L""}},
      {L"\\a", {L"", L"a"}},
      {L"abc", {L"abc"}},
      {L"\"x\\y\"\\z", {L"\"x\\y\"", L"z"}},
      {L"\"x\\y\\z", {L"\"x\\y\\z"}},             // no closing quote: the rest is one element
      {L"'x\\y'\\z", {L"'x\\y'", L"z"}},          // the apostrophe quotes too
      {L"a\"b\\c\"", {L"a\"b", L"c\""}},          // a quote inside an element is plain
      {WString(L"a\\b\0c\\d", 7), {L"a", L"b"}},  // scanning stops at NUL
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(c.expected, SplitAtChar(c.text, L'\\'));
  }
}

TEST(SplitTextTest, DelimiterSet) {
  EXPECT_EQ((WStringList{L"C", L"", L"Data", L"50", L"", L"x"}),
            SplitText(L"C:/Data/50%/x", L"/:%"));
  EXPECT_EQ((WStringList{L"a b"}), SplitText(L"a b", L""));
}

TEST(NormalizeSeparatorsTest, Examples) {
  const TextCase cases[] = {
      {L"C:/a//b/", L"C:\\a\\b"},
      {L"//server/share/", L"\\\\server\\share"},
      {L"C:\\", L"C:"},
      {L"\\\\\\a", L"\\\\a"},
      {L"a/b", L"a\\b"},
      {L"a\\\\b", L"a\\\\b"},  // a doubled separator after the first element stays
      {L"a\\b\\\\c", L"a\\b\\c"},
      {L"", L""},
      {L"\"a/b\"/c", L"\"a/b\"\\c"},  // a quoted element keeps its slash
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.input);
    EXPECT_EQ(c.expected, NormalizeSeparators(c.input, L'\\'));
  }
  EXPECT_EQ(L"C:/a/b", NormalizeSeparators(L"C:\\a\\\\b\\", L'/'));
}

// Inputs of the randomized test on which a second call changes the result, by design of the
// three passes: a quote pairs up differently once the slashes have become backslashes, and a
// first element followed by an empty one keeps a separator that a second call drops.
TEST(NormalizeSeparatorsTest, WhereASecondCallChangesTheResult) {
  const struct {
    const wchar_t* name;
    WString input, once, twice;
  } cases[] = {
      {L"quote spanning a slash", L"a/\"b\\c/d\"", L"a\\\"b\\c/d\"", L"a\\\"b\\c\\d\""},
      {L"one element and slashes", L"?G\xDC9B%\x03A9///", L"?G\xDC9B%\x03A9\\", L"?G\xDC9B%\x03A9"},
      {L"four backslashes", L"\\\\\\\\", L"\\", L""},
      {L"drive and three backslashes", L"C:\\\\\\", L"C:\\", L"C:"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.once, NormalizeSeparators(c.input, L'\\'));
    EXPECT_EQ(c.twice, NormalizeSeparators(c.once, L'\\'));
  }
}

TEST(FileNameTest, NameAndStem) {
  struct Case {
    WString path, name, stem;
  } cases[] = {
      {L"C:\\dir\\", L"", L""},           {L"name", L"name", L"name"},
      {L"C:/a\\b/c", L"b/c", L"b/c"},  // a backslash wins over a later slash
      {L"C:/a/b.txt", L"b.txt", L"b"},    {L"C:\\x\\Tool.exe", L"Tool.exe", L"Tool"},
      {L"a.b.c", L"a.b.c", L"a.b"},       {L".hidden", L".hidden", L""},
      {L"what?.exe", L"what?.exe", L""},  {L"C:\\x\\ ", L" ", L""},
      {L"dir.d\\file", L"file", L"file"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(c.name, FileNamePart(c.path));
    EXPECT_EQ(c.stem, FileStem(c.path));
  }
}

TEST(LetterCaseTest, LowerAndCompare) {
  EXPECT_EQ(L"tool.exe", ToLower(L"Tool.EXE"));
  EXPECT_EQ(L"a", ToLower(WString(L"A\0B", 3)));
  EXPECT_TRUE(EqualsIgnoreCase(L"Tool.EXE", L"tool.exe"));
  EXPECT_TRUE(EqualsIgnoreCase(L"", L""));
  EXPECT_FALSE(EqualsIgnoreCase(L"_Backup_", L"_Backup"));
  EXPECT_FALSE(EqualsIgnoreCase(L"a", L"b"));
}

TEST(FileStatusTest, MissingPathAnswersZeroEverywhere) {
  ScopedTempDir dir;
  const WString missing = dir / L"missing.txt";
  const FileStatus status(missing.c_str());
  EXPECT_TRUE(status.Failed());
  EXPECT_EQ(0, status.Size());
  EXPECT_EQ(0, status.ModifyTime());
  EXPECT_EQ(0, status.Mode());
  EXPECT_FALSE(status.IsFile());
  EXPECT_FALSE(status.IsDirectory());
  EXPECT_TRUE(FileStatus((dir / L"*.txt").c_str()).Failed());
}

TEST(FileStatusTest, FileAndFolderWithSlashes) {
  ScopedTempDir dir;
  WriteFileBytes(dir / L"five.txt", "12345");
  WString slashed = dir / L"five.txt";
  for (wchar_t& c : slashed) c = c == L'\\' ? L'/' : c;
  const FileStatus file(slashed.c_str());
  EXPECT_FALSE(file.Failed());
  EXPECT_TRUE(file.IsFile());
  EXPECT_FALSE(file.IsDirectory());
  EXPECT_EQ(5, file.Size());
  EXPECT_GT(file.ModifyTime(), 1700000000);
  const FileStatus folder(dir.path().c_str());
  EXPECT_TRUE(folder.IsDirectory());
  EXPECT_FALSE(folder.IsFile());
}

// File times after January 2038 do not fit 32 bits; the status keeps all 64.
TEST(FileStatusTest, TimesAfter2038) {
  ScopedTempDir dir;
  const WString path = dir / L"future.txt";
  WriteFileBytes(path, "x");
  const int64_t year_2040 = 2208988800;  // 2040-01-01 00:00 UTC
  ASSERT_TRUE(test::SetLastWriteTime(path, year_2040));
  EXPECT_EQ(year_2040, FileStatus(path.c_str()).ModifyTime());
}

// Drives are asked about their roots: msvcrt's status call, Windows' and Wine's alike, finds
// nothing at "C:" alone.
TEST(ExistenceTest, FilesFoldersEmptyFilesAndDrives) {
  ScopedTempDir dir;
  const WString empty = dir / L"empty.txt";
  const WString full = dir / L"full.txt";
  WriteFileBytes(empty, "");
  WriteFileBytes(full, "data");
  const struct {
    WString path;
    bool directory;
    bool exists;
    bool non_empty;
  } cases[] = {
      {empty, false, true, false},
      {full, false, true, true},
      {dir.path(), true, true, true},
      {dir.path() + L"\\", true, true, true},
      {dir.path() + L"/", true, true, true},  // a folder is never "empty"
      {dir / L"missing", false, false, false},
      {L"", false, false, false},
      {L"C:\\", true, true, true},
      {L"C:/", true, true, true},
      {L"c:\\", true, true, true},
      {L"C:", true, true, true},
      {L"Q:\\", false, false, false},  // no such drive
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.path));
    EXPECT_EQ(c.directory, DirectoryExists(c.path.c_str()));
    EXPECT_EQ(c.exists, PathExists(c.path.c_str(), false));
    EXPECT_EQ(c.non_empty, PathExists(c.path.c_str(), true));
  }
}

// A path that begins with two backslashes is only asked whether anything exists there.
TEST(ExistenceTest, UncPathsIgnoreKindAndSize) {
  ScopedTempDir dir;
  const WString empty = dir / L"empty.txt";
  WriteFileBytes(empty, "");
  const WString unc = L"\\\\?\\" + empty;
  EXPECT_TRUE(PathExists(unc.c_str(), true));
  EXPECT_TRUE(DirectoryExists(unc.c_str()));
  EXPECT_FALSE(DirectoryExists((L"\\\\?\\" + dir / L"missing").c_str()));
}

TEST(LongPathFormTest, Examples) {
  const TextCase cases[] = {
      {L"C:\\a\\b", L"\\\\?\\C:\\a\\b"},
      {L"C:/a/./b/../c/", L"\\\\?\\C:\\a\\c"},
      {L"C:\\..\\x", L"\\\\?\\C:\\x"},
      {L"\\\\srv\\share\\x\\..\\..\\y", L"\\\\?\\UNC\\srv\\share\\y"},
      {L"//srv/share/x", L"\\\\?\\UNC\\srv\\share\\x"},
      {L"\\\\?\\C:\\x\\..", L"\\\\?\\C:\\x\\.."},
      {L"a\\b", L""},
      {L"C:a", L""},
      {L"", L""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.input));
    EXPECT_EQ(c.expected, LongPathForm(c.input));
    EXPECT_EQ(c.expected.empty() ? c.input : c.expected, OpenablePath(c.input));
  }
}

// Windows' C runtime, in a process that is not long-path aware, fails its status and access
// calls for paths of 260 characters or more; Wine's does not.
class ShortPathRuntime : public RealSystemApi {
 public:
  int Stat64(const wchar_t* path, struct _stat64* record) override {
    return wcslen(path) >= MAX_PATH ? ENOENT : RealSystemApi::Stat64(path, record);
  }
  int Access(const wchar_t* path, int mode) override {
    return wcslen(path) >= MAX_PATH ? -1 : RealSystemApi::Access(path, mode);
  }
};

TEST(ExistenceTest, LongPathsAreAskedInTheirLongForm) {
  ScopedTempDir dir;
  WString deep = dir.path();
  while (deep.size() < 300) deep += L"\\" + WString(40, L'd');
  test::MakeFolders(deep);
  WriteFileBytes(deep + L"\\full.txt", "data");
  WriteFileBytes(deep + L"\\empty.txt", "");
  ShortPathRuntime api;
  ScopedSystemApi scoped(api);
  const WString detour = dir.path() + L"/./x/../" + deep.substr(dir.path().size() + 1) + L"/";
  EXPECT_TRUE(DirectoryExists(deep.c_str()));
  EXPECT_TRUE(DirectoryExists(detour.c_str()));
  EXPECT_FALSE(DirectoryExists((deep + L"\\full.txt").c_str()));
  EXPECT_FALSE(DirectoryExists((deep + L"\\missing").c_str()));
  EXPECT_TRUE(PathExists((deep + L"\\full.txt").c_str(), true));
  EXPECT_TRUE(PathExists((deep + L"\\empty.txt").c_str(), false));
  EXPECT_FALSE(PathExists((deep + L"\\empty.txt").c_str(), true));
  EXPECT_TRUE(PathExists(deep.c_str(), true));
  EXPECT_FALSE(PathExists((deep + L"\\missing").c_str(), false));
}

}  // namespace
}  // namespace sollux
