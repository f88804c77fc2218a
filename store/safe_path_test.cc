#include "store/safe_path.h"

#include <gtest/gtest.h>

namespace sollux {
namespace {

// A place stays below its folder, however Windows resolves it; a recorded folder is one
// absolute path in one spelling.
TEST(SafePathTest, PlacesAndFoldersFromARecord) {
  const struct {
    std::wstring path;
    bool place;
    bool folder;
  } cases[] = {
      {L"PC01\\C\\Users\\anna\\Documents", true, false},
      {L"PC01/C/Users/anna", true, false},
      {L"server\\share\\\u65E5\u672C\u8A9E!R&D 50%", true, false},
      {L"VM/../../../../decoy", false, false},
      {L"VM\\..\\x", false, false},
      {L"VM\\.\\x", false, false},
      {L"VM\\\\x", false, false},
      {L"\\VM\\x", false, false},
      {L"VM\\x\\", false, false},
      {L"", false, false},
      {L"C:\\Data", false, true},
      {L"c:\\", false, true},
      {L"D:\\", false, true},
      {L"C:", false, false},
      {L"C:Data", false, false},
      {L"C:\\Data\\", false, false},
      {L"C:/Data", false, false},
      {L"C:\\Data/Sub", false, false},
      {L"C:\\Data\\..\\Windows", false, false},
      {L"\\\\server\\share\\a", false, true},
      {L"\\\\server", false, false},
      {L"\\\\?\\C:\\Data", false, false},
      {L"\\\\.\\C:\\Data", false, false},
      {L"VM\\file.txt:stream", false, false},
      {L"VM\\a.", false, false},
      {L"VM\\a ", false, false},
      {L"VM\\ a", true, false},
      {L"VM\\CON", false, false},
      {L"VM\\con.txt", false, false},
      {L"VM\\Com1 .log", false, false},
      {L"VM\\LPT\u00B9", false, false},
      {L"VM\\CONSOLE", true, false},
      {L"VM\\COM10", true, false},
      {L"VM\\a\tb", false, false},
      {std::wstring(L"VM\\a\0\\..\\..\\x", 13), false, false},
      {L"VM\\" + std::wstring(256, L'x'), false, false},
      {L"VM\\" + std::wstring(255, L'x'), true, false},
      {L"VM\\a?b", false, false},
      {L"C:\\Data\\a*", false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.path));
    EXPECT_EQ(c.place, IsSafePlace(c.path));
    EXPECT_EQ(c.folder, IsCanonicalFolder(c.path));
  }
}

TEST(SafePathTest, AFolderIsRecordedInItsOneSpelling) {
  const struct {
    const wchar_t* given;
    const wchar_t* canonical;
  } cases[] = {
      {L"C:/Data//Sub/", L"C:\\Data\\Sub"},
      {L"C:\\Data\\.\\a\\..\\b", L"C:\\Data\\b"},
      {L"D:\\", L"D:\\"},
      {L"D:", L"D:\\"},
      {L"\\\\server\\share\\", L"\\\\server\\share"},
      {L"C:\\Data\\CON", L""},
      {L"Data", L""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(c.given)));
    EXPECT_EQ(c.canonical, CanonicalFolder(c.given));
  }
}

}  // namespace
}  // namespace sollux
