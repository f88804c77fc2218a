#include "script/batch_script.h"

#include <gtest/gtest.h>

namespace sollux {
namespace {

TEST(JoinScriptLinesTest, CrLfBetweenAndAfterTheLines) {
  EXPECT_EQ(L"\r\n", JoinScriptLines({}));
  EXPECT_EQ(L"@echo off\r\n", JoinScriptLines({L"@echo off"}));
  EXPECT_EQ(L"@echo off\r\n\r\necho\t\r\n\r\ntimeout /t 10\r\n",
            JoinScriptLines({L"@echo off\r\n\r\necho\t", L"", L"timeout /t 10"}));
  // Hundreds of lines, as a backup of many folders has.
  WStringList lines;
  WString expected;
  for (int i = 0; i < 300; ++i) {
    lines.push_back(L"timeout /t 10  &\trobocopy " + std::to_wstring(i));
    expected += lines.back() + L"\r\n";
  }
  EXPECT_EQ(expected, JoinScriptLines(lines));
}

TEST(PathRootTest, DriveOrServer) {
  const struct {
    WString path, root;
  } cases[] = {
      {L"", L""},
      {L"C", L""},
      {L"C:", L"C:"},
      {L"c:\\Data", L"c:"},
      {L"C:Data", L"C:"},
      {L"\\\\fileserver\\share\\data", L"\\\\fileserver"},
      {L"//fileserver/share", L"//fileserver"},
      {L"\\\\fileserver/share\\data", L"\\\\fileserver/share"},  // a backslash is looked for first
      {L"\\\\fileserver/share", L"\\\\fileserver"},
      {L"\\\\fileserver", L""},
      {L"\\\\", L""},
      {L"\\/server\\share", L""},
      {L"\\Data\\Master", L""},
      {L"Master\\Patterns", L""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(c.root, PathRoot(c.path));
  }
}

TEST(ShortenPathTest, Examples) {
  const WString roaming = L"C:\\Users\\user1\\AppData\\Roaming\\Vendor\\Suite\\Master\\Patterns";
  const struct {
    WString path;
    size_t max_length;
    WString shortened;
  } cases[] = {
      {roaming, 59, roaming},
      {roaming, 58, L"C:\\Users\\...\\AppData\\Roaming\\Vendor\\Suite\\Master\\Patterns"},
      {roaming, 50, L"C:\\Users\\...\\Roaming\\Vendor\\Suite\\Master\\Patterns"},
      {roaming, 30, L"C:\\Users\\...\\Master\\Patterns"},
      {roaming, 21, L"C:\\Users\\...\\Patterns"},
      {roaming, 20, L"Patterns"},
      {roaming, 7, L"Patterns"},
      {L"\\\\fileserver\\share\\projects\\2024\\customer\\drawings\\final", 50,
       L"\\\\fileserver\\share\\...\\customer\\drawings\\final"},
      {L"Master\\Patterns\\Current", 20, L"Master\\...\\Current"},
      {L"C:\\x\\Master", 10, L"Master"},
      {L"C:\\Data\\Master", 14, L"C:\\Data\\Master"},
      {L"C:\\Data\\Master", 1000, L"C:\\Data\\Master"},
      {L"", 0, L""},
      {L"C:\\Data\\AVeryLongFolderNameIndeed", 10, L"AVeryLongFolderNameIndeed"},
      {L"C:\\AVeryLongFolderNameIndeed", 10, L"AVeryLongFolderNameIndeed"},
      // Slashes count where a path has no backslash; the inserted separators are backslashes.
      {L"C:/Users/user1/AppData/Roaming/Master/Patterns", 30, L"C:/Users\\...\\Master/Patterns"},
      // The root and the first folder below it are kept whole, or nothing but the last
      // component is.
      {L"\\\\fileserver\\share", 15, L"share"},
      {L"\\\\fileserver\\a\\b", 15, L"b"},
      {L"\\\\fileserver\\a\\bbbbbbb\\c", 21, L"\\\\fileserver\\a\\...\\c"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << testing::PrintToString(c.path) << " " << c.max_length);
    const WString shortened = ShortenPath(c.path, c.max_length);
    EXPECT_EQ(c.shortened, shortened);
  }
}

}  // namespace
}  // namespace sollux
