#include "diag/user_programs.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <filesystem>
#include <optional>
#include <string>

#include "base/system_api.h"
#include "base/win.h"
#include "test/scoped_environment.h"
#include "test/temp_dir.h"

namespace sollux {
namespace {

using test::ScopedCurrentDirectory;
using test::ScopedEnvironmentVariable;
using test::ScopedTempDir;
using test::WriteFileBytes;

// The system refuses the user name after writing something into the buffer.
class NoSystemUserName : public RealSystemApi {
 public:
  BOOL GetUserNameW(wchar_t* buffer, DWORD* size) override {
    std::wcscpy(buffer, L"junk");
    *size = 5;
    return FALSE;
  }
};

TEST(UserNameTest, SystemNameFirst) {
  wchar_t expected[257] = {};
  DWORD size = 257;
  ASSERT_TRUE(::GetUserNameW(expected, &size));
  ScopedEnvironmentVariable user(L"USER", L"from-user");
  EXPECT_EQ(expected, UserName());
  EXPECT_NE(L"", UserName());
}

TEST(UserNameTest, FallsBackToUserThenUsername) {
  const struct {
    std::optional<WString> user;
    std::optional<WString> username;
    WString expected;
  } cases[] = {
      {L"from-user", L"from-username", L"from-user"},
      {std::nullopt, L"from-username", L"from-username"},
      {L"", L"from-username", L"from-username"},
      {std::nullopt, std::nullopt, L""},
  };
  NoSystemUserName api;
  ScopedSystemApi scoped(api);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.expected);
    ScopedEnvironmentVariable user(L"USER", c.user);
    ScopedEnvironmentVariable username(L"USERNAME", c.username);
    EXPECT_EQ(c.expected, UserName());
  }
}

TEST(LowerFileExtensionTest, Cases) {
  EXPECT_EQ(L"exe", LowerFileExtension(L"C:\\Tools\\RUN.EXE"));
  EXPECT_EQ(L"txt", LowerFileExtension(L"dir.d/Notes.TxT"));
  EXPECT_EQ(L"", LowerFileExtension(L"C:\\dir.d\\noext"));
  EXPECT_EQ(L"", LowerFileExtension(L""));
}

WString WindowsFolder() {
  wchar_t folder[MAX_PATH + 1] = {};
  ::GetWindowsDirectoryW(folder, MAX_PATH);
  return folder;
}

WString SystemFolder() {
  wchar_t folder[MAX_PATH + 1] = {};
  ::GetSystemDirectoryW(folder, MAX_PATH);
  return folder;
}

// A folder of this test's own below a real program-files folder of the prefix, removed again.
class ProgramFilesFolder {
 public:
  explicit ProgramFilesFolder(const WString& root)
      : path_(root + L"\\sollux-test-" + std::to_wstring(::GetCurrentProcessId())) {}
  ~ProgramFilesFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  ProgramFilesFolder(const ProgramFilesFolder&) = delete;
  ProgramFilesFolder& operator=(const ProgramFilesFolder&) = delete;
  // The folder's name, to be used as a relative path below the program-files root.
  WString Name() const { return path_.substr(path_.rfind(L'\\') + 1); }
  const WString& path() const { return path_; }

 private:
  WString path_;
};

// The lookups run in an empty current directory, so that only the staged files are found.
class LocateProgramTest : public testing::Test {
 protected:
  ScopedTempDir cwd_dir_;
  ScopedCurrentDirectory cwd_{cwd_dir_.path()};
};

TEST_F(LocateProgramTest, NameThatExistsAsGivenStaysAsGiven) {
  WriteFileBytes(cwd_dir_ / L"explorer.exe", "");  // an empty file counts as existing
  WriteFileBytes(cwd_dir_ / L"sub\\tool.dat", "x");
  EXPECT_EQ(L"explorer.exe", LocateProgram(L"explorer.exe"));
  EXPECT_EQ(L"sub/tool.dat", LocateProgram(L"sub/tool.dat"));
  EXPECT_EQ(cwd_dir_ / L"sub", LocateProgram((cwd_dir_ / L"sub").c_str()));
}

TEST_F(LocateProgramTest, ExeNamesInTheWindowsAndSystemFolders) {
  const struct {
    const wchar_t* name;
    WString expected;
  } cases[] = {
      {L"explorer.exe", WindowsFolder() + L"\\explorer.exe"},
      {L"NOTEPAD.EXE", WindowsFolder() + L"\\NOTEPAD.EXE"},
      {L"cmd.exe", SystemFolder() + L"\\cmd.exe"},
      // Only the file name is looked for there: the folders of the name are dropped.
      {L"No Such Vendor\\cmd.exe", SystemFolder() + L"\\cmd.exe"},
      {L"D:\\nowhere\\explorer.exe", WindowsFolder() + L"\\explorer.exe"},
      // Other extensions are looked for in the program-files folders only.
      {L"win.ini", L"win.ini"},
      {L"explorer", L"explorer"},
      {L"sollux-nowhere.exe", L"sollux-nowhere.exe"},
      {L"", L""},
  };
  ASSERT_TRUE(std::filesystem::exists(WindowsFolder() + L"\\win.ini"));
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.expected, LocateProgram(c.name));
  }
}

TEST_F(LocateProgramTest, RelativePathBelowTheProgramFilesFolders) {
  ProgramFilesFolder native(L"C:\\Program Files");
  ProgramFilesFolder x86(L"C:\\Program Files (x86)");
  WriteFileBytes(native.path() + L"\\Vendor\\Tool.exe", "x");
  WriteFileBytes(native.path() + L"\\Vendor\\cmd.exe", "x");
  WriteFileBytes(x86.path() + L"\\Vendor\\Old.dat", "x");
  const WString vendor = native.Name() + L"\\Vendor\\";
  const struct {
    WString name;
    WString expected;
  } cases[] = {
      {vendor + L"Tool.exe", native.path() + L"\\Vendor\\Tool.exe"},
      {vendor + L"TOOL.EXE", native.path() + L"\\Vendor\\TOOL.EXE"},
      // The program-files folder comes before the system folder.
      {vendor + L"cmd.exe", native.path() + L"\\Vendor\\cmd.exe"},
      // Both folders carry the same test folder name; only the x86 one holds Old.dat.
      {vendor + L"Old.dat", x86.path() + L"\\Vendor\\Old.dat"},
      {vendor + L"Missing.dat", vendor + L"Missing.dat"},
      {vendor + L"Missing.exe", vendor + L"Missing.exe"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.expected, LocateProgram(c.name.c_str()));
  }
}

}  // namespace
}  // namespace sollux
