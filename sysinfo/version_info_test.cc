#include "sysinfo/version_info.h"

#include <gtest/gtest.h>

#include "base/system_api.h"
#include "base/win.h"
#include "test/child_process.h"
#include "test/temp_dir.h"

namespace sollux {
namespace {

using test::FixtureProgram;
using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

constexpr char kNoResource[] = "::GetFileVersionInfoSize ... 0\n";

TEST(VersionInfoReaderTest, GettersReadTheirOwnNames) {
  VersionInfoReader reader;
  CaptureStderr();
  ASSERT_TRUE(reader.Open(FixtureProgram(L"Renamed.exe")));
  EXPECT_EQ(L"\\StringFileInfo\\040904b0\\", reader.string_table_prefix());
  struct Case {
    const char* name;
    WString (VersionInfoReader::*getter)();
    WString expected;
  } cases[] = {
      {"Comments", &VersionInfoReader::Comments, L"Comments value"},
      {"CompanyName", &VersionInfoReader::CompanyName, L"CompanyName value"},
      {"FileDescription", &VersionInfoReader::FileDescription, L"FileDescription value"},
      {"FileVersion", &VersionInfoReader::FileVersion, L"FileVersion value"},
      {"InternalName", &VersionInfoReader::InternalName, L"InternalName value"},
      {"LegalCopyright", &VersionInfoReader::LegalCopyright, L"LegalCopyright value"},
      {"LegalTrademarks", &VersionInfoReader::LegalTrademarks, L"LegalTrademarks value"},
      {"OriginalFilename", &VersionInfoReader::OriginalFilename, L"Other.exe"},
      {"PrivateBuild", &VersionInfoReader::PrivateBuild, L"PrivateBuild value"},
      {"ProductName", &VersionInfoReader::ProductName, L"ProductName value"},
      {"ProductVersion", &VersionInfoReader::ProductVersion, L"ProductVersion value"},
      {"SpecialBuild", &VersionInfoReader::SpecialBuild, L"SpecialBuild value"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.expected, (reader.*c.getter)());
  }
  EXPECT_EQ("", GetCapturedStderr());
}

TEST(VersionInfoReaderTest, FirstTranslationEntryOnly) {
  VersionInfoReader reader;
  CaptureStderr();
  ASSERT_TRUE(reader.Open(FixtureProgram(L"Japanese.exe")));
  EXPECT_EQ(L"\\StringFileInfo\\041104b0\\", reader.string_table_prefix());
  EXPECT_EQ(L"Japanese.exe", reader.OriginalFilename());
  EXPECT_EQ(L"\x88fd\x54c1", reader.ProductName());
  // Present only in the English table, which is not looked at.
  EXPECT_EQ(L"", reader.Comments());
  EXPECT_EQ("::VerQueryValue ...   Comments\n", GetCapturedStderr());
}

TEST(VersionInfoReaderTest, ValueStoredEmpty) {
  VersionInfoReader reader;
  CaptureStderr();
  ASSERT_TRUE(reader.Open(FixtureProgram(L"EmptyValue.exe").c_str()));
  EXPECT_EQ(L"\\StringFileInfo\\040904e4\\", reader.string_table_prefix());
  EXPECT_EQ(L"EmptyValue.exe", reader.OriginalFilename());
  EXPECT_EQ(L"", reader.SpecialBuild());
  EXPECT_EQ("::VerQueryValue len=0 SpecialBuild\n", GetCapturedStderr());
}

TEST(VersionInfoReaderTest, SolluxNamesItself) {
  VersionInfoReader reader;
  CaptureStderr();
  ASSERT_TRUE(reader.Open(test::SolluxProgram()));
  EXPECT_EQ(L"Sollux.exe", reader.OriginalFilename());
  EXPECT_EQ(L"Sollux", reader.ProductName());
  EXPECT_EQ(L"Sollux.exe", OriginalFilenameOf(test::SolluxProgram().c_str()));
  EXPECT_EQ("", GetCapturedStderr());
}

// The manifest that Windows reads when it starts Sollux.exe: no elevation, the systems it was
// tested on, and paths past 260 characters for the C runtime.
TEST(VersionInfoReaderTest, SolluxHasItsManifest) {
  const HMODULE exe =
      ::LoadLibraryExW(test::SolluxProgram().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(nullptr, exe);
  const HRSRC found = ::FindResourceW(exe, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
  ASSERT_NE(nullptr, found);
  const auto* bytes = static_cast<const char*>(::LockResource(::LoadResource(exe, found)));
  const std::string manifest(bytes, ::SizeofResource(exe, found));
  ::FreeLibrary(exe);
  for (const char* part :
       {"level=\"asInvoker\"", "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",
        "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}", "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",
        "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}", "WindowsSettings\">true</longPathAware>"}) {
    EXPECT_NE(std::string::npos, manifest.find(part)) << part;
  }
}

TEST(VersionInfoReaderTest, FilesWithoutResource) {
  test::ScopedTempDir dir;
  const WString missing = dir / L"Missing.exe";
  const WString tool = FixtureProgram(L"Tool.exe");
  struct Case {
    WString path;
    bool opened;
    std::string open_message;
    std::string name_message;  // of OriginalFilenameOf
  } cases[] = {
      {L"", false, "", kNoResource},
      {missing, false, "", kNoResource},
      {tool, false, kNoResource, std::string(kNoResource) + kNoResource},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    VersionInfoReader reader;
    CaptureStderr();
    EXPECT_EQ(c.opened, reader.Open(c.path));
    EXPECT_EQ(L"", reader.string_table_prefix());
    EXPECT_EQ(c.open_message, GetCapturedStderr());
    CaptureStderr();
    EXPECT_EQ(L"", OriginalFilenameOf(c.path.c_str()));
    EXPECT_EQ(c.name_message, GetCapturedStderr());
  }
}

TEST(VersionInfoReaderTest, FailedLoadKeepsTheEarlierTable) {
  VersionInfoReader reader;
  ASSERT_TRUE(reader.Open(FixtureProgram(L"Japanese.exe")));
  CaptureStderr();
  EXPECT_FALSE(reader.Open(FixtureProgram(L"Tool.exe")));
  EXPECT_EQ(kNoResource, GetCapturedStderr());
  EXPECT_EQ(L"\\StringFileInfo\\041104b0\\", reader.string_table_prefix());
}

// Failures that real files under Wine do not produce.
class BrokenVersionCalls : public RealSystemApi {
 public:
  enum Fault { kBlockRead, kTranslationQuery, kTranslationEmpty, kNone };
  explicit BrokenVersionCalls(Fault fault) : fault_(fault) {}

  BOOL GetFileVersionInfoW(const wchar_t* path, DWORD handle, DWORD size, void* data) override {
    if (fault_ == kBlockRead) return FALSE;
    return RealSystemApi::GetFileVersionInfoW(path, handle, size, data);
  }
  BOOL VerQueryValueW(const void* block, const wchar_t* sub_block, void** value,
                      UINT* length) override {
    const bool translation = WString(sub_block) == L"\\VarFileInfo\\Translation";
    if (translation && fault_ == kTranslationQuery) return FALSE;
    const BOOL found = RealSystemApi::VerQueryValueW(block, sub_block, value, length);
    if (translation && fault_ == kTranslationEmpty) *length = 0;
    return found;
  }

 private:
  Fault fault_;
};

TEST(VersionInfoReaderTest, ReportsEveryFailingCall) {
  struct Case {
    BrokenVersionCalls::Fault fault;
    std::string message;
  } cases[] = {
      {BrokenVersionCalls::kBlockRead, "::GetFileVersionInfo ... false\n"},
      {BrokenVersionCalls::kTranslationQuery, "::VerQueryValue ... false\n"},
      {BrokenVersionCalls::kTranslationEmpty, "::VerQueryValue   len = 0\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    BrokenVersionCalls api(c.fault);
    ScopedSystemApi scoped(api);
    VersionInfoReader reader;
    CaptureStderr();
    EXPECT_FALSE(reader.Open(FixtureProgram(L"Renamed.exe")));
    EXPECT_EQ(L"", reader.string_table_prefix());
    // The getter tries to load once more.
    EXPECT_EQ(L"", reader.ProductName());
    EXPECT_EQ(c.message + c.message, GetCapturedStderr());
  }
}

}  // namespace
}  // namespace sollux
