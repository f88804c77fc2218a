#include "script/script_file_name.h"

#include <gtest/gtest.h>

#include "base/path.h"
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
      // Found by the randomized test: every control character, NUL included, becomes ".".
      {L"/\\/n X\"\x000C*\\*:", L"___n_X..x_x_"},
      {WString(L"a\x01\x1F\0\x0B"
               L"b",
               6),
       L"a....b"},
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

struct NameCase {
  const wchar_t *source, *destination;
  bool mirror, list_only;
  WString name;
};

void ExpectNames(const NameCase* begin, const NameCase* end) {
  for (const NameCase* c = begin; c != end; ++c) {
    SCOPED_TRACE(WString(c->source) + L" -> " + c->destination);
    EXPECT_EQ(c->name,
              BatchFileName({c->source, c->destination, true, c->mirror, true, c->list_only}));
  }
}

TEST(ScriptFileNameTest, SourceDestinationAndSwitchLetters) {
  const NameCase cases[] = {
      {L"C:\\Data\\Patterns", L"D:\\_Backup_", true, false,
       L"RC_C__Data_Patterns_D___Backup__smirfft.bat"},
      {L"C:\\Users\\user1\\AppData\\Roaming\\Vendor\\Suite\\Master\\Patterns",
       L"E:\\Backups\\Office\\_Backup_", true, true,
       L"RC_C__Users_..._Roaming_Vendor_Suite_Master_Patterns_E__Backups_Office__Backup__"
       L"smirfftl.bat"},
      {L"C:\\Users\\user1\\Documents", L"E:/_Backup_", true, false,
       L"RC_C__Users_user1_Documents_E___Backup__smirfft.bat"},
      {L"", L"", true, false, L"RC___smirfft.bat"},
      {L"\"C:\\Data\\Patterns\"", L"'D:\\_Backup_'", true, false,
       L"RC_C__Data_Patterns_D___Backup__smirfft.bat"},
      {L"C:\\Data", L"D:\\Copy", false, false, L"RC_C__Data_D__Copy_sfft.bat"},
      // The destination is shortened to 30 characters, a last folder name of 60 characters
      // is kept whole.
      {L"C:\\Data\\Master", L"E:\\Backups\\Office\\Archive\\2024\\_Backup_", false, true,
       L"RC_C__Data_Master_E__Backups_..._2024__Backup__sfftl.bat"},
      {L"C:\\Data\\Abcdefghij_Abcdefghij_Abcdefghij_Abcdefghij_Abcdefghij_Abcdefghij",
       L"D:\\_Backup_", true, false,
       L"RC_Abcdefghij_Abcdefghij_Abcdefghij_Abcdefghij_Abcdefghij_Abcdefghij_D___Backup__"
       L"smirfft.bat"},
  };
  ExpectNames(std::begin(cases), std::end(cases));

  // No switch letter at all.
  EXPECT_EQ(L"RC___.bat", BatchFileName({L"", L"", false, false, false, false}));
}

bool IsHexDigit(wchar_t c) { return (c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'f'); }

// RC_, folders cut to fit, "~" and eight hexadecimal digits, then the switch letters and .bat.
void ExpectFitted(const WString& name, size_t max_length, const WString& fitted) {
  SCOPED_TRACE(name);
  const size_t mark = fitted.rfind(L'~');
  ASSERT_NE(WString::npos, mark);
  EXPECT_EQ(max_length, fitted.size());
  EXPECT_TRUE(fitted.starts_with(name.substr(0, mark)));
  EXPECT_EQ(name.substr(name.rfind(L'_')), fitted.substr(mark + 9));
  for (size_t i = mark + 1; i < mark + 9; ++i) EXPECT_TRUE(IsHexDigit(fitted[i])) << i;
}

TEST(ScriptFileNameTest, OnlyNamesLongerThanAFileNameMayBeAreCut) {
  const auto name = [](const WString& source) {
    return BatchFileName({source, L"D:\\_Backup_", true, true, true, false});
  };
  // A last folder of 120 characters gives a name of 147, which any file system holds.
  EXPECT_EQ(L"RC_" + WString(120, L'g') + L"_D___Backup__smirfft.bat",
            name(L"C:\\Data\\" + WString(120, L'g')));
  const WString folder(300, L'x');
  const WString first = name(L"C:\\Data\\" + folder + L"1");
  ExpectFitted(L"RC_" + folder + L"1_D___Backup__smirfft.bat", kMaxFileNameLength, first);
  EXPECT_EQ(first, name(L"C:\\Data\\" + folder + L"1"));
  // Names that differ only where they are cut stay different.
  const WString second = name(L"C:\\Data\\" + folder + L"2");
  EXPECT_EQ(kMaxFileNameLength, second.size());
  EXPECT_NE(first, second);
}

// A source with control characters, which the registry can hold, still names a file that can
// be written.
TEST(ScriptFileNameTest, ControlCharactersBecomeFullStops) {
  EXPECT_EQ(L"RC_C__Data_a..b_D___Backup__sfft.bat",
            BatchFileName({L"C:\\Data\\a\x07\x1B"
                           L"b",
                           L"D:\\_Backup_", true, false, true, false}));
}

TEST(FitScriptFileNameTest, FitsTheRoomOfTheFolder) {
  const WString name =
      L"RC_C__Users_..._Roaming_Vendor_Suite_Master_Patterns_E__Backups_Office__"
      L"Backup__smirfftl.bat";
  EXPECT_EQ(name, FitScriptFileName(name, name.size()));
  EXPECT_EQ(name, FitScriptFileName(name, kMaxScriptPathLength));
  for (const size_t max_length : {name.size() - 1, size_t{40}, size_t{26}}) {
    ExpectFitted(name, max_length, FitScriptFileName(name, max_length));
  }
  // Without room for any folder text the short form comes back whole; without room for the
  // switch letters beside the digest, the extension alone stays.
  const WString no_folder = FitScriptFileName(name, 25);
  EXPECT_TRUE(no_folder.starts_with(L"RC_~") && no_folder.ends_with(L"_smirfftl.bat"));
  EXPECT_EQ(25u, no_folder.size());
  for (const size_t max_length : {size_t{24}, size_t{16}}) {
    const WString fitted = FitScriptFileName(name, max_length);
    EXPECT_EQ(max_length, fitted.size()) << fitted;
    EXPECT_EQ(no_folder.substr(3, 9) + L".bat", fitted.substr(max_length - 13)) << fitted;
  }
  EXPECT_EQ(no_folder.substr(0, 12) + L".bat", FitScriptFileName(name, 0));
  // Another name keeps its extension.
  const WString plain = FitScriptFileName(L"RC_" + WString(50, L'x') + L".bat", 20);
  EXPECT_EQ(20u, plain.size());
  EXPECT_TRUE(plain.starts_with(L"RC_xxxx~")) << plain;
  EXPECT_TRUE(plain.ends_with(L".bat")) << plain;
  // The digest covers the whole name: a change anywhere gives another one.
  WString other = name;
  other[40] = L'X';
  EXPECT_NE(FitScriptFileName(name, 40), FitScriptFileName(other, 40));
  EXPECT_EQ(FitScriptFileName(name, 40), FitScriptFileName(name, 40));
}

// Found by the randomized test: the short form of a name just over a tiny limit would be longer
// than the name itself. Names that fit once their switch letters go are cut to the limit.
TEST(FitScriptFileNameTest, NeverLengthensAName) {
  const struct {
    WString name;
    size_t max_length;
    size_t fitted_length;
  } cases[] = {
      {L"RC_iT4WIV):_smirfft.bat", 20, 20},
      {L"RC_|\x4DAA\xFF3C_smirfft.bat", 17, 17},
      {L"RC_ab_smirfft.bat", 0, 16},
      {L"RC_a_s.bat", 0, 10},
      {L"plain.bat", 3, 9},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const WString fitted = FitScriptFileName(c.name, c.max_length);
    EXPECT_EQ(c.fitted_length, fitted.size()) << fitted;
    EXPECT_EQ(fitted.size() == c.name.size(), fitted == c.name);
  }
}

TEST(FitScriptFileNameTest, NeverSplitsASurrogatePair) {
  // U+20BB7, a character outside the basic plane, falls on the cut.
  const WString name =
      L"RC_ab\xD842\xDFB7"
      L"cdefghijklmnop_s.bat";
  const WString fitted = FitScriptFileName(name, 3 + 3 + 9 + 6);
  EXPECT_EQ(L"RC_ab~", fitted.substr(0, 6));
  EXPECT_EQ(20u, fitted.size());
  const WString whole = FitScriptFileName(name, 3 + 4 + 9 + 6);
  EXPECT_EQ(L"RC_ab\xD842\xDFB7~", whole.substr(0, 8));
}

}  // namespace
}  // namespace sollux
