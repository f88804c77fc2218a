#include "base/environment.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <optional>
#include <string>

#include "base/file_system.h"
#include "base/path.h"
#include "base/system_api.h"
#include "base/win.h"
#include "test/scoped_environment.h"
#include "test/temp_dir.h"

namespace sollux {
namespace {

using test::ScopedCurrentDirectory;
using test::ScopedEnvironmentVariable;
using test::ScopedTempDir;

// The eleven document, picture, music, video and desktop folders, then the Windows, system,
// program files and common documents folders.
constexpr int kCsidls[] = {46, 54, 53, 55, 25, 5, 39, 13, 14, 16, 0, 0x24, 0x25, 0x26, 0x2E};

TEST(EnvironmentValueTest, NamesMatchInAnyCase) {
  ScopedEnvironmentVariable set(L"Sollux_Test_Variable", L"some value");
  EXPECT_EQ(L"some value", EnvironmentValue(L"SOLLUX_TEST_VARIABLE"));
  EXPECT_EQ(L"some value", EnvironmentValue(L"sollux_test_variable"));
  ScopedEnvironmentVariable unset(L"Sollux_Test_Variable", std::nullopt);
  EXPECT_EQ(L"", EnvironmentValue(L"Sollux_Test_Variable"));
}

TEST(CurrentDirectoryTest, FollowsTheProcess) {
  ScopedTempDir dir;
  ScopedCurrentDirectory cwd(dir.path());
  EXPECT_EQ(dir.path(), CurrentDirectory());
}

TEST(LongPathNameTest, ExpandsShortNamesAndKeepsUnknownPaths) {
  ScopedTempDir dir;
  const WString long_path = dir / L"A folder with a long name";
  test::MakeFolders(long_path);
  wchar_t short_path[MAX_PATH + 1] = {};
  ASSERT_NE(0u, ::GetShortPathNameW(long_path.c_str(), short_path, MAX_PATH));
  ASSERT_NE(long_path, short_path);
  EXPECT_EQ(long_path, LongPathName(short_path));
  EXPECT_EQ(dir / L"missing\\x", LongPathName(dir / L"missing\\x"));
  EXPECT_EQ(L"", LongPathName(L""));
}

// Wine's GetTempPathW follows TMP, as Windows does, so the system's answer is staged there.
TEST(TemporaryFolderTest, UserFolderComesBackAsTheSystemGivesIt) {
  ScopedTempDir dir;
  ScopedEnvironmentVariable tmp(L"TMP", dir.path());
  EXPECT_EQ(dir.path() + L"\\", TemporaryFolder());
}

TEST(TemporaryFolderTest, ShortNameIsExpanded) {
  ScopedTempDir dir;
  const WString long_path = dir / L"Temporary files of Sollux";
  test::MakeFolders(long_path);
  wchar_t short_path[MAX_PATH + 1] = {};
  ASSERT_NE(0u, ::GetShortPathNameW(long_path.c_str(), short_path, MAX_PATH));
  ScopedEnvironmentVariable tmp(L"TMP", short_path);
  EXPECT_EQ(long_path + L"\\", TemporaryFolder());
}

TEST(TemporaryFolderTest, WindowsInAnyCaseMovesToCommonDocuments) {
  ScopedTempDir dir;
  const WString common = SpecialFolderPath(CSIDL_COMMON_DOCUMENTS);
  ASSERT_FALSE(common.empty());
  for (const WString& tmp_folder : {WString(L"C:\\windows\\temp\\"), dir / L"WINDOWS\\TEMP",
                                    dir / L"Profile of Windows user", dir / L"xwindowsx"}) {
    SCOPED_TRACE(tmp_folder);
    test::MakeFolders(tmp_folder);
    ScopedEnvironmentVariable tmp(L"TMP", tmp_folder);
    EXPECT_EQ(common + L"\\Temp\\Temp", TemporaryFolder());
  }
}

// The common documents folder cannot be made to vanish under Wine, so both routes to it fail.
class NoShellFolders : public RealSystemApi {
 public:
  HMODULE LoadLibraryW(const wchar_t*) override { return nullptr; }
  HRESULT SHGetSpecialFolderLocation(HWND, int, PIDLIST_ABSOLUTE* items) override {
    *items = nullptr;
    return E_FAIL;
  }
};

TEST(TemporaryFolderTest, WithoutCommonDocumentsTheResultIsRelative) {
  ScopedTempDir dir;
  test::MakeFolders(dir / L"Windows");
  ScopedEnvironmentVariable tmp(L"TMP", dir / L"Windows");
  NoShellFolders api;
  ScopedSystemApi scoped(api);
  EXPECT_EQ(L"Temp\\Temp", TemporaryFolder());
}

// Windows and Wine always find some temporary folder; only a substitute answers nothing.
class NoSystemTemporaryFolder : public RealSystemApi {
 public:
  DWORD GetTempPathW(DWORD, wchar_t*) override { return 0; }
};

TEST(TemporaryFolderTest, EmptySystemAnswerFallsBackToVariablesInOrder) {
  using Value = std::optional<WString>;
  const struct {
    Value tmp, tmpdir, temp;
    WString expected;
  } cases[] = {
      {L"X:\\tmp", L"X:\\tmpdir", L"X:\\temp", L"X:\\tmp"},
      {std::nullopt, L"X:\\tmpdir", L"X:\\temp", L"X:\\tmpdir"},
      {std::nullopt, std::nullopt, L"relative/temp", L"relative/temp"},
      {L"C:\\Windows\\Temp", std::nullopt, std::nullopt, L"C:\\Windows\\Temp"},
  };
  NoSystemTemporaryFolder api;
  ScopedSystemApi scoped(api);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.expected);
    ScopedEnvironmentVariable tmp(L"TMP", c.tmp);
    ScopedEnvironmentVariable tmpdir(L"TMPDIR", c.tmpdir);
    ScopedEnvironmentVariable temp(L"TEMP", c.temp);
    EXPECT_EQ(c.expected, TemporaryFolder());
  }
}

// With no temporary variable either, a folder named after the user is made in /tmp, or in the
// current directory when the current drive has no \tmp.
class LastFallback : public testing::Test {
 protected:
  ScopedTempDir dir_;
  NoSystemTemporaryFolder api_;
  ScopedSystemApi scoped_{api_};
  ScopedEnvironmentVariable tmp_{L"TMP", std::nullopt};
  ScopedEnvironmentVariable tmpdir_{L"TMPDIR", std::nullopt};
  ScopedEnvironmentVariable temp_{L"TEMP", std::nullopt};
  ScopedEnvironmentVariable user_{L"USER", std::nullopt};
  ScopedEnvironmentVariable username_{L"USERNAME", std::nullopt};
};

TEST_F(LastFallback, CurrentDirectoryAndUserWord) {
  ScopedCurrentDirectory cwd(dir_.path());
  ASSERT_FALSE(DirectoryExists(L"/tmp"));  // the prefix's drive C: has no \tmp
  EXPECT_EQ(dir_ / L"___", TemporaryFolder());
  EXPECT_TRUE(DirectoryExists((dir_ / L"___").c_str()));
  ScopedEnvironmentVariable username(L"USERNAME", L"Hanako");
  EXPECT_EQ(dir_ / L"Hanako", TemporaryFolder());
  ScopedEnvironmentVariable user(L"USER", L"taro");
  EXPECT_EQ(dir_ / L"taro", TemporaryFolder());
  EXPECT_TRUE(DirectoryExists((dir_ / L"taro").c_str()));
}

// Wine's drive Z: is the Unix root, whose /tmp exists.
TEST_F(LastFallback, SlashTmpWinsOverTheCurrentDirectory) {
  ScopedCurrentDirectory cwd(L"Z:\\");
  ASSERT_TRUE(DirectoryExists(L"/tmp"));
  const WString user = L"sollux-test-" + std::to_wstring(::GetCurrentProcessId());
  ScopedEnvironmentVariable user_variable(L"USER", user);
  EXPECT_EQ(L"/tmp/" + user, TemporaryFolder());
  EXPECT_TRUE(DirectoryExists((L"/tmp/" + user).c_str()));
  ::RemoveDirectoryW((L"Z:\\tmp\\" + user).c_str());
}

TEST(SpecialFolderPathTest, EveryFolderTheProgramAsksFor) {
  const WString profile = EnvironmentValue(L"USERPROFILE");
  const WString public_folder = EnvironmentValue(L"PUBLIC");
  const WString windows = EnvironmentValue(L"SystemRoot");
  ASSERT_FALSE(profile.empty());
  ASSERT_FALSE(public_folder.empty());
  for (int csidl : kCsidls) {
    SCOPED_TRACE(csidl);
    const WString path = SpecialFolderPath(csidl);
    EXPECT_TRUE(DirectoryExists(path.c_str())) << path;
    const bool is_common = csidl == 46 || csidl == 54 || csidl == 53 || csidl == 55 || csidl == 25;
    if (is_common) {
      EXPECT_TRUE(path.starts_with(public_folder + L"\\")) << path;
    } else if (csidl < 0x24) {
      EXPECT_TRUE(path.starts_with(profile + L"\\")) << path;
    }
  }
  EXPECT_EQ(SpecialFolderPath(CSIDL_DESKTOPDIRECTORY), SpecialFolderPath(CSIDL_DESKTOP));
  EXPECT_TRUE(EqualsIgnoreCase(windows, SpecialFolderPath(CSIDL_WINDOWS)));
  EXPECT_TRUE(EqualsIgnoreCase(windows + L"\\system32", SpecialFolderPath(CSIDL_SYSTEM)));
  EXPECT_EQ(EnvironmentValue(L"ProgramFiles"), SpecialFolderPath(CSIDL_PROGRAM_FILES));
  EXPECT_EQ(L"", SpecialFolderPath(0x7F));  // no such folder
}

// Older shells lack SHGetSpecialFolderPathW; the item-list route must give the same folders.
class WithoutShGetSpecialFolderPath : public RealSystemApi {
 public:
  FARPROC GetProcAddress(HMODULE module, const char* name) override {
    if (std::string(name) == "SHGetSpecialFolderPathW") return nullptr;
    return RealSystemApi::GetProcAddress(module, name);
  }
  HRESULT SHGetSpecialFolderLocation(HWND owner, int csidl, PIDLIST_ABSOLUTE* items) override {
    ++item_lists;
    return RealSystemApi::SHGetSpecialFolderLocation(owner, csidl, items);
  }
  int item_lists = 0;
};

TEST(SpecialFolderPathTest, ItemListRouteGivesTheSameFolders) {
  for (int csidl : kCsidls) {
    SCOPED_TRACE(csidl);
    const WString expected = SpecialFolderPath(csidl);
    WithoutShGetSpecialFolderPath api;
    ScopedSystemApi scoped(api);
    // Wine's SHGetPathFromIDListW answers the Documents folder with a trailing backslash.
    EXPECT_EQ(expected, WithoutTrailingSeparator(SpecialFolderPath(csidl)));
    EXPECT_EQ(1, api.item_lists);
  }
}

class NoShellAllocator : public WithoutShGetSpecialFolderPath {
 public:
  HRESULT SHGetMalloc(IMalloc** allocator) override {
    *allocator = nullptr;
    return E_OUTOFMEMORY;
  }
};

TEST(SpecialFolderPathTest, FailuresOnTheItemListRouteGiveEmptyText) {
  {
    NoShellFolders api;  // no Shell32, no item list
    ScopedSystemApi scoped(api);
    EXPECT_EQ(L"", SpecialFolderPath(CSIDL_PERSONAL));
  }
  NoShellAllocator api;
  ScopedSystemApi scoped(api);
  EXPECT_EQ(L"", SpecialFolderPath(CSIDL_PERSONAL));
}

// Stands in for SHGetSpecialFolderPathW to see what it is given.
struct ShellCall {
  int csidl = -1;
  BOOL create = -1;
};
ShellCall last_shell_call;

BOOL WINAPI RecordingSpecialFolderPath(HWND, wchar_t* path, int csidl, BOOL create) {
  last_shell_call = {csidl, create};
  wcscpy(path, L"C:\\recorded");
  return TRUE;
}

class RecordingShell : public RealSystemApi {
 public:
  FARPROC GetProcAddress(HMODULE, const char*) override {
    return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(&RecordingSpecialFolderPath));
  }
};

TEST(SpecialFolderPathTest, CreateBitBecomesTheCreateFlag) {
  RecordingShell api;
  ScopedSystemApi scoped(api);
  EXPECT_EQ(L"C:\\recorded", SpecialFolderPath(CSIDL_COMMON_DOCUMENTS));
  EXPECT_EQ(CSIDL_COMMON_DOCUMENTS, last_shell_call.csidl);
  EXPECT_EQ(FALSE, last_shell_call.create);
  SpecialFolderPath(CSIDL_COMMON_DOCUMENTS | CSIDL_FLAG_CREATE);
  EXPECT_EQ(CSIDL_COMMON_DOCUMENTS | CSIDL_FLAG_CREATE, last_shell_call.csidl);
  EXPECT_NE(FALSE, last_shell_call.create);
}

}  // namespace
}  // namespace sollux
