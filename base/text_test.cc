#include "base/text.h"

#include <gtest/gtest.h>

#include "base/path.h"

namespace sollux {
namespace {

TEST(DirectoryPartTest, Examples) {
  const struct {
    WString path, expected;
  } cases[] = {
      {L"C:\\a\\b", L"C:\\a"}, {L"C:\\", L"C:"}, {L"C:/a/b", L"C:/a"},
      {L"C:/a\\b/c", L"C:/a"}, {L"name", L"\\"}, {L"", L"\\"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(c.expected, DirectoryPart(c.path));
    EXPECT_EQ(c.expected, DirectoryPart(c.path.c_str()));
  }
  EXPECT_EQ(L"T:\\Develop\\_.SRC",
            DirectoryPart(DirectoryPart(L"T:\\Develop\\_.SRC\\__Win\\x.cc")));
}

TEST(UniqueInOrderTest, KeepsFirstOccurrencesCaseSensitively) {
  EXPECT_EQ(WStringList{}, UniqueInOrder({}));
  EXPECT_EQ((WStringList{L"a", L"b", L"A"}), UniqueInOrder({L"a", L"b", L"a", L"A"}));
  EXPECT_EQ((WStringList{L"", L"x"}), UniqueInOrder({L"", L"x", L"", L"x"}));
}

TEST(QuoteTest, EncloseAndUnquote) {
  EXPECT_EQ(L"\"ab\"", EnclosedIn(L"ab", L'"'));
  EXPECT_EQ(L"\"\"", EnclosedIn(L"", L'"'));
  EXPECT_EQ(L"'a\"b'", EnclosedIn(L"a\"b", L'\''));
  const struct {
    WString text, once, all;
  } cases[] = {
      {L"\"ab\"", L"ab", L"ab"},
      {L"'\"ab\"'", L"\"ab\"", L"ab"},
      {L"\"", L"\"", L"\""},
      {L"\"\"", L"", L""},
      {L"\"ab'", L"\"ab'", L"\"ab'"},  // mixed pair stays
      {L"ab", L"ab", L"ab"},
      {L"", L"", L""},
      {L"\"\"\"\"\"", L"\"\"\"", L"\""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(c.once, UnquoteOnce(c.text));
    EXPECT_EQ(c.all, Unquote(c.text));
    EXPECT_EQ(c.all, Unquote(c.text.c_str()));
  }
}

TEST(FindIgnoreCaseTest, ExactThenLowerCase) {
  EXPECT_EQ(1u, FindIgnoreCase(L"C:\\x", L":", 0));
  EXPECT_EQ(3u, FindIgnoreCase(L"d:\\_backup_", L"_BACKUP_", 0));
  EXPECT_EQ(WString::npos, FindIgnoreCase(L"d:\\_backup_", L"_BACKUP_", 4));
  EXPECT_EQ(WString::npos, FindIgnoreCase(L"abc", L"x", 0));
  EXPECT_EQ(4u, FindIgnoreCase(L"aBcaBc", L"bc", 2));
}

TEST(NumberTextTest, RadixDigitsAndPadding) {
  EXPECT_EQ(L"ff", NumberText(255, 16));
  EXPECT_EQ(L"0", NumberText(0, 10));
  EXPECT_EQ(L"101", NumberText(5, 1));  // radix below 2 behaves as 2
  EXPECT_EQ(L"z", NumberText(35, 40));  // radix above 36 behaves as 36
  EXPECT_EQ(L"4294967295", NumberText(4294967295u, 10));
  EXPECT_EQ(L"4294967296", NumberText64(4294967296ull, 10));
  EXPECT_EQ(L"18446744073709551615", NumberText64(UINT64_MAX, 10));
  EXPECT_EQ(L"0411", PaddedNumberText(1041, 16, 4));
  EXPECT_EQ(L"04b0", PaddedNumberText(1200, 16, 4));
  EXPECT_EQ(L"12345", PaddedNumberText(12345, 10, 4));  // never cut
}

}  // namespace
}  // namespace sollux
