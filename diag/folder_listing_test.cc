#include "diag/folder_listing.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "base/path.h"
#include "test/temp_dir.h"

namespace sollux {
namespace {

using test::MakeFolders;
using test::ScopedTempDir;
using test::WriteFileBytes;

WStringList Sorted(WStringList list) {
  std::sort(list.begin(), list.end());
  return list;
}

// a.txt, B.TXT, notes (no extension), the folders sub\ (holding deep.txt) and dir.txt\.
class ListingTest : public testing::Test {
 protected:
  void SetUp() override {
    WriteFileBytes(dir_ / L"a.txt", "a");
    WriteFileBytes(dir_ / L"B.TXT", "");
    WriteFileBytes(dir_ / L"notes", "n");
    WriteFileBytes(dir_ / L"sub\\deep.txt", "d");
    MakeFolders(dir_ / L"dir.txt");
  }
  WString In(const WString& name) const { return dir_ / name; }

  ScopedTempDir dir_;
};

TEST_F(ListingTest, ListsFilesAndFoldersWithTrailingBackslash) {
  const WStringList expected = {In(L"B.TXT"), In(L"a.txt"), In(L"dir.txt\\"), In(L"notes"),
                                In(L"sub\\")};
  const WString spellings[] = {dir_.path(), dir_.path() + L"\\", In(L"a.txt"), In(L"notes")};
  for (const WString& folder : spellings) {
    SCOPED_TRACE(folder);
    EXPECT_EQ(expected, Sorted(ListDirectory(folder.c_str(), true)));
  }
}

// "C:" alone would be the drive's current folder, and its status call fails.
TEST(DriveListingTest, DriveListsItsRoot) {
  for (const wchar_t* drive : {L"C:\\", L"C:/", L"C:"}) {
    SCOPED_TRACE(drive);
    const WStringList entries = ListDirectory(drive, true);
    EXPECT_NE(entries.end(), std::find(entries.begin(), entries.end(), L"C:\\windows\\"));
  }
}

TEST_F(ListingTest, DotEntriesOnlyWhenAsked) {
  const WStringList all = ListDirectory(dir_.path().c_str(), false);
  EXPECT_EQ(7u, all.size());
  EXPECT_NE(all.end(), std::find(all.begin(), all.end(), In(L".\\")));
  EXPECT_NE(all.end(), std::find(all.begin(), all.end(), In(L"..\\")));
}

TEST_F(ListingTest, EmptyOrMissingFolderListsNothing) {
  EXPECT_TRUE(ListDirectory(L"", true).empty());
  EXPECT_TRUE(ListDirectory(nullptr, true).empty());
  EXPECT_TRUE(ListDirectory(In(L"missing").c_str(), true).empty());
  EXPECT_TRUE(ListDirectory(In(L"missing\\a.txt").c_str(), true).empty());
  MakeFolders(In(L"empty"));
  EXPECT_TRUE(ListDirectory(In(L"empty").c_str(), true).empty());
}

TEST_F(ListingTest, MatchingFilesNeverIncludeFolders) {
  EXPECT_EQ((WStringList{In(L"B.TXT"), In(L"a.txt")}),
            Sorted(ListMatchingFiles(dir_.path().c_str(), L"*.txt")));
  EXPECT_EQ((WStringList{In(L"B.TXT"), In(L"a.txt"), In(L"notes")}),
            Sorted(ListMatchingFiles(dir_.path().c_str(), L"*")));
  EXPECT_EQ((WStringList{In(L"B.TXT"), In(L"a.txt")}),
            Sorted(ListMatchingFiles(dir_.path().c_str(), L"*.*")));
  EXPECT_TRUE(ListMatchingFiles(In(L"missing").c_str(), L"*").empty());
}

TEST(MatchesPatternTest, Examples) {
  struct Case {
    const wchar_t* path;
    const wchar_t* pattern;
    bool expected;
  } cases[] = {
      {L"C:\\t\\A.TXT", L"*.txt", true},
      {L"a.b.txt", L"*.txt", true},
      {L"a.txt.bak", L"*.txt", false},
      {L"txt", L"*.txt", false},
      {L"x.txt", L"*.TXT", true},
      {L"C:\\x.d\\name", L"*.*", false},  // only the file name counts
      {L"a.b", L"*.*", true},
      {L"anything", L"*", true},
      {L"anything", L"", true},
      {L"anything", L"***", true},
      {L"axbyc", L"a*b*c", true},
      {L"abc", L"a*b*c", true},
      {L"acb", L"a*b*c", false},
      {L"aba", L"ab*ba", false},  // the two pieces would overlap
      {L"abba", L"ab*ba", true},
      {L"a?c", L"a?*", true},  // "?" is an ordinary character
      {L"abc", L"a?*", false},
      {L"[a].txt", L"[a]*", true},
      {L"Tool.exe", L"tool.exe", true},  // without a star the whole name must be equal
      {L"tool.exetool.exe", L"tool.exe", false},
      {L"", L"*.txt", false},
      // Found by the randomized test: a quote opening a piece kept the stars up to its partner,
      // or to the end, from counting.
      {L"x\"a_b\"", L"*\"a*b\"*", true},
      {L"C:\\'y'/T^ r", L"'*", true},
      {L"\"*\x1585{", L"\"**{", true},
      {L"'a'.txt", L"'*'*.txt", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(WString(c.path) + L" ~ " + c.pattern);
    EXPECT_EQ(c.expected, MatchesPattern(c.path, c.pattern));
  }
}

TEST(FileExtensionTest, Examples) {
  const struct {
    const wchar_t* path;
    const wchar_t* expected;
  } cases[] = {
      {L"C:\\x\\Tool.exe", L"exe"},
      {L"archive.tar.gz", L"gz"},
      {L"name.", L""},
      {L"what?.exe", L""},
      {L".txt", L"txt"},
      {L"C:\\a.b\\name", L""},
      {L"C:/a/b.TXT", L"TXT"},
      {L" ", L""},
      {L"", L""},
      {L"C:\\x\\", L""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(c.expected, FileExtension(c.path));
    EXPECT_EQ(c.expected, FileExtension(WString(c.path)));
  }
  EXPECT_EQ(L"", FileExtension(static_cast<const wchar_t*>(nullptr)));
}

}  // namespace
}  // namespace sollux
