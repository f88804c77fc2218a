#include "script/script_file_name.h"

#include <gtest/gtest.h>

#include "script/batch_script.h"

namespace sollux {
namespace {

TEST(ToFileNameCharsTest, ReplacesWhatAFileNameCannotHold) {
  const struct {
    WString from, to;
  } cases[] = {
      {L"\t\n\r\",;|", L"......."},
      {L" /:?\\", L"_____"},
      {L"#%", L"--"},
      {L"*", L"x"},
      {L"<>", L"()"},
      // Kept: letters outside ASCII, digits and the usual file name punctuation.
      {L"\x30C7\x30FC\x30BF.-_&09azAZ()[]!'~=+@$^{}",
       L"\x30C7\x30FC\x30BF.-_&09azAZ()[]!'~=+@$^{}"},
      {L"", L""},
      {L"C:\\Data\\Patterns", L"C__Data_Patterns"},
      {L"E:/_Backup_", L"E___Backup_"},
      {L"\\\\server\\50% #1", L"__server_50-_-1"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.from));
    EXPECT_EQ(c.to, ToFileNameChars(c.from));
  }
}

// The name pieces of a batch file: shortened first, so the dots of "..." stay dots.
TEST(ToFileNameCharsTest, AfterShortening) {
  EXPECT_EQ(L"C__Users_..._Roaming_Vendor_Suite_Master_Patterns",
            ToFileNameChars(ShortenPath(
                L"C:\\Users\\user1\\AppData\\Roaming\\Vendor\\Suite\\Master\\Patterns", 50)));
  EXPECT_EQ(L"E__Backups_Office__Backup_",
            ToFileNameChars(ShortenPath(L"E:\\Backups\\Office\\_Backup_", 30)));
}

}  // namespace
}  // namespace sollux
