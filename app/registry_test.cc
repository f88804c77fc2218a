#include "app/registry.h"

#include <gtest/gtest.h>

#include <cstring>

#include "base/system_api.h"
#include "test/child_process.h"
#include "test/registry_key.h"

namespace sollux {
namespace {

using test::ScopedRegistryKey;
using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

// The bytes of a wide text without any terminator.
std::string Bytes(const WString& text) {
  return std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
}

TEST(ReadRegistryStringTest, ValuesOfOneKey) {
  ScopedRegistryKey key;
  const std::string p = test::Narrow(key.path());
  struct Case {
    WString name;
    DWORD type;
    std::string data;  // stored exactly, no terminator added
    WString expected;
    std::string message;
  } cases[] = {
      {L"Folder", REG_SZ, Bytes(L"C:\\PLUMA\\Data" + WString(1, L'\0')), L"C:\\PLUMA\\Data", ""},
      {L"Empty", REG_SZ, Bytes(WString(1, L'\0')), L"", ""},
      {L"NoBytes", REG_SZ, "", L"", ""},
      {L"Embedded", REG_SZ, Bytes(WString(L"abc\0def\0", 8)), L"abc", ""},
      // Data without a terminator, with whole and with half characters: nothing may follow.
      {L"Unterminated", REG_SZ, Bytes(L"abc"), L"abc", ""},
      {L"OddCount", REG_SZ, Bytes(L"abc") + "A", L"abcA", ""},
      {L"OddTerminated", REG_SZ, Bytes(WString(L"abc\0", 4)) + "B", L"abc", ""},
      {L"Expand", REG_EXPAND_SZ, Bytes(WString(L"%TEMP%\0", 7)), L"dflt",
       "REG_get != REG_SZ " + p + " Expand\n"},
      {L"Number", REG_DWORD, std::string(4, '\x01'), L"dflt",
       "REG_get != REG_SZ " + p + " Number\n"},
  };
  for (const auto& c : cases) {
    key.SetBytes(c.name, c.type, c.data.data(), static_cast<DWORD>(c.data.size()));
  }
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    CaptureStderr();
    EXPECT_EQ(c.expected,
              ReadRegistryString(HKEY_CURRENT_USER, key.path().c_str(), c.name.c_str(), L"dflt"));
    EXPECT_EQ(c.message, GetCapturedStderr());
  }
}

TEST(ReadRegistryStringTest, MissingValueGivesDefault) {
  ScopedRegistryKey key;
  key.SetText(L"Present", L"x");
  CaptureStderr();
  EXPECT_EQ(L"dflt",
            ReadRegistryString(HKEY_CURRENT_USER, key.path().c_str(), L"User_Data", L"dflt"));
  EXPECT_EQ("REG_get error " + test::Narrow(key.path()) + " User_Data\n", GetCapturedStderr());
}

TEST(ReadRegistryStringTest, MissingKeyReportsEveryValueAskedFor) {
  ScopedRegistryKey key;
  const WString missing = key.path() + L"\\PLUMA\\FilePath";
  CaptureStderr();
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(L"", ReadRegistryString(HKEY_CURRENT_USER, missing.c_str(),
                                      kPlumaSettings[i].value_name, L""));
  }
  const std::string line = "REG_get_key error " + test::Narrow(missing) + "\n";
  EXPECT_EQ(line + line + line + line, GetCapturedStderr());
}

// Counts the registry calls and refuses every key, so that nothing real is opened.
class CountingRegistry : public RealSystemApi {
 public:
  LSTATUS RegOpenKeyExW(HKEY root, const wchar_t* sub_key, DWORD options, REGSAM access,
                        HKEY* result) override {
    ++opens;
    return RealSystemApi::RegOpenKeyExW(root, sub_key, options, access, result);
  }
  LSTATUS RegCloseKey(HKEY key) override {
    ++closes;
    return RealSystemApi::RegCloseKey(key);
  }
  int opens = 0;
  int closes = 0;
};

TEST(ReadRegistryStringTest, EmptyKeyPathDoesNotTouchTheRegistry) {
  CountingRegistry api;
  ScopedSystemApi scoped(api);
  CaptureStderr();
  EXPECT_EQ(L"dflt", ReadRegistryString(HKEY_CURRENT_USER, L"", L"User_Data", L"dflt"));
  EXPECT_EQ("", GetCapturedStderr());
  EXPECT_EQ(0, api.opens);
}

TEST(RegistryKeyTest, ReusesTheSameKeyAndClosesOnDestruction) {
  ScopedRegistryKey test_key;
  test_key.SetText(L"Name", L"value");
  CountingRegistry api;
  ScopedSystemApi scoped(api);
  {
    RegistryKey key;
    EXPECT_EQ(L"none", key.REG_get(L"Name", L"none"));  // nothing open yet
    ASSERT_TRUE(key.REG_get_key(HKEY_CURRENT_USER, test_key.path(), KEY_READ));
    ASSERT_TRUE(key.REG_get_key(HKEY_CURRENT_USER, test_key.path(), KEY_READ));
    EXPECT_EQ(1, api.opens);
    EXPECT_EQ(0, api.closes);
    // Another access mask opens the key anew.
    ASSERT_TRUE(key.REG_get_key(HKEY_CURRENT_USER, test_key.path(), KEY_QUERY_VALUE));
    EXPECT_EQ(2, api.opens);
    EXPECT_EQ(1, api.closes);
    EXPECT_EQ(L"value", key.REG_get(L"Name", L"none"));
    // A failed open leaves the key closed.
    EXPECT_FALSE(key.REG_get_key(HKEY_CURRENT_USER, test_key.path() + L"\\Absent", KEY_READ));
    EXPECT_EQ(2, api.closes);
    EXPECT_EQ(L"none", key.REG_get(L"Name", L"none"));
    ASSERT_TRUE(key.REG_get_key(HKEY_CURRENT_USER, test_key.path(), KEY_READ));
  }
  EXPECT_EQ(3, api.closes);
}

TEST(PlumaSettingsTest, JapaneseValueNameIsReadBack) {
  // Spelled here in UTF-8 so that a wrong escape in the table shows.
  const WString name = L"最新の基本ディレクトリ名";
  ASSERT_EQ(5u, kPlumaSettingCount);
  EXPECT_EQ(name, kPlumaSettings[4].value_name);
  EXPECT_STREQ(L"Software\\Morvaine\\PLUMA\\PLUMA\\PlnCtrl", kPlumaSettings[4].key_path);

  ScopedRegistryKey key;
  key.SetText(name, L"D:\\PLUMA\\\x57FA\x672C");
  CaptureStderr();
  EXPECT_EQ(L"D:\\PLUMA\\\x57FA\x672C", ReadRegistryString(HKEY_CURRENT_USER, key.path().c_str(),
                                                           kPlumaSettings[4].value_name, L""));
  EXPECT_EQ("", GetCapturedStderr());
}

}  // namespace
}  // namespace sollux
