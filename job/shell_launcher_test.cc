#include "job/shell_launcher.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <vector>

#include "base/system_api.h"
#include "base/time_text.h"
#include "base/win.h"
#include "test/child_process.h"
#include "test/fake_machine.h"
#include "test/scoped_environment.h"
#include "test/temp_dir.h"
#include "test/trace_file.h"

namespace sollux {
namespace {

using test::ScopedCurrentDirectory;
using test::ScopedEnvironmentVariable;
using test::ScopedTempDir;

// 2026-12-07 09:05:31 UTC.
constexpr int64_t kNow = 1796634331;

std::optional<WString> Text(const wchar_t* text) {
  return text != nullptr ? std::optional<WString>(text) : std::nullopt;
}

struct ShellCall {
  HWND owner;
  std::optional<WString> verb;
  std::optional<WString> file;
  std::optional<WString> parameters;
  std::optional<WString> directory;
  int show;
};

// Stands in for the shell where Wine cannot produce the answer; records what it was asked.
class StandInShell : public test::FakeMachine {
 public:
  explicit StandInShell(uintptr_t rc, BOOL ex_result = TRUE) : rc_(rc), ex_result_(ex_result) {
    clock = kNow;
  }
  HINSTANCE ShellExecuteW(HWND owner, const wchar_t* verb, const wchar_t* file,
                          const wchar_t* parameters, const wchar_t* directory, int show) override {
    calls.push_back({owner, Text(verb), Text(file), Text(parameters), Text(directory), show});
    return reinterpret_cast<HINSTANCE>(rc_);
  }
  BOOL ShellExecuteExW(SHELLEXECUTEINFOW* info) override {
    ex_calls.push_back(*info);
    ex_strings.push_back({info->hwnd, Text(info->lpVerb), Text(info->lpFile),
                          Text(info->lpParameters), Text(info->lpDirectory), info->nShow});
    return ex_result_;
  }
  std::vector<ShellCall> calls;
  std::vector<SHELLEXECUTEINFOW> ex_calls;
  std::vector<ShellCall> ex_strings;

 private:
  uintptr_t rc_;
  BOOL ex_result_;
};

// The trace goes below TMP, pointed at a folder of the test's own; names are looked up from an
// empty current directory.
class ShellLauncherTest : public testing::Test {
 protected:
  // The records of the trace file after its header, as written.
  WString TraceRecords() const {
    const WString text = test::ReadTraceText(test::TraceFilePath(temp_.path(), kNow));
    const size_t header_end = text.find(L"\r\n");
    return header_end == WString::npos ? WString() : text.substr(header_end + 2);
  }
  static WString Record(const WString& flat_description) {
    return FormatTime(kNow, L"%Y/%m/%d %H:%M:%S") + L"\tjob_tests.exe\t" + flat_description +
           L"\r\n";
  }
  void ClearTrace() const { ::DeleteFileW(test::TraceFilePath(temp_.path(), kNow).c_str()); }

  ScopedTempDir temp_;
  ScopedEnvironmentVariable tmp_{L"TMP", temp_.path()};
  ScopedTempDir cwd_dir_;
  ScopedCurrentDirectory cwd_{cwd_dir_.path()};
};

TEST_F(ShellLauncherTest, FailuresAreDescribedInTheTrace) {
  const WString file = L"C:\\sollux-missing\\report.txt";
  const struct {
    uintptr_t rc;
    const wchar_t* verb;
    bool has_file;
    const wchar_t* parameters;
    WString expected;  // "" for a success, which writes nothing
  } cases[] = {
      {2, nullptr, true, nullptr,
       L"The specified file was not found.\tOperation=\"\"\tFile=\"" + file +
           L"\"\tParamaters=\"\""},
      {4, L"open", true, L"-x \"a b\"",
       L"Error\t" + file + L"\t-x \"a b\"\tOperation=\"open\"\tFile=\"" + file +
           L"\"\tParamaters=\"-x \"a b\"\""},
      {4, nullptr, false, L"C:\\doc.txt",
       L"Error\t\tC:\\doc.txt\tOperation=\"\"\tFile=\"\"\tParamaters=\"C:\\doc.txt\""},
      {0, L"", true, L"",
       L"The operating system is out of memory or resources.\tOperation=\"\"\tFile=\"" + file +
           L"\"\tParamaters=\"\""},
      {31, L"print", true, nullptr,
       L"There is no application associated with the given file name extension."
       L"\tOperation=\"print\"\tFile=\"" +
           file + L"\"\tParamaters=\"\""},
      // Only the exact verb "properties" takes the other road.
      {32, L"Properties", true, nullptr,
       L"The specified dynamic-link library was not found.\tOperation=\"Properties\"\tFile=\"" +
           file + L"\"\tParamaters=\"\""},
      {33, L"open", true, nullptr, L""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.rc);
    ClearTrace();
    StandInShell shell(c.rc);
    ScopedSystemApi scoped(shell);
    ShellLauncher launcher;
    if (c.verb != nullptr) launcher.SetVerb(c.verb);
    if (c.has_file) launcher.SetFile(file.c_str());
    if (c.parameters != nullptr) launcher.SetParameters(c.parameters);
    EXPECT_EQ(c.expected.empty(), launcher.Execute());
    EXPECT_EQ(c.expected.empty() ? L"" : Record(c.expected), TraceRecords());
    EXPECT_EQ(1u, shell.calls.size());
    EXPECT_TRUE(shell.ex_calls.empty());
  }
}

TEST_F(ShellLauncherTest, ShellCallGetsTheFieldsAsSet) {
  StandInShell shell(42);
  ScopedSystemApi scoped(shell);
  ShellLauncher with_file;
  with_file.SetFile(L"C:\\sollux-missing\\run.bat");
  ShellLauncher with_all;
  with_all.SetShowCommand(SW_SHOWMAXIMIZED);
  with_all.SetVerb(L"edit");
  with_all.SetFile(L"C:\\sollux-missing\\run.bat");
  with_all.SetParameters(L"/q");
  ShellLauncher parameters_only;
  parameters_only.SetParameters(L"C:\\sollux-missing\\doc.txt");
  for (ShellLauncher* launcher : {&with_file, &with_all, &parameters_only}) {
    EXPECT_TRUE(launcher->Execute());
  }
  ASSERT_EQ(3u, shell.calls.size());
  const ShellCall expected[] = {
      {nullptr, std::nullopt, L"C:\\sollux-missing\\run.bat", std::nullopt, std::nullopt, 1},
      {nullptr, L"edit", L"C:\\sollux-missing\\run.bat", L"/q", std::nullopt, 3},
      {nullptr, std::nullopt, L"C:\\sollux-missing\\doc.txt", std::nullopt, std::nullopt, 1},
  };
  for (size_t i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(expected[i].owner, shell.calls[i].owner);
    EXPECT_EQ(expected[i].verb, shell.calls[i].verb);
    EXPECT_EQ(expected[i].file, shell.calls[i].file);
    EXPECT_EQ(expected[i].parameters, shell.calls[i].parameters);
    EXPECT_EQ(expected[i].directory, shell.calls[i].directory);
    EXPECT_EQ(expected[i].show, shell.calls[i].show);
  }
  EXPECT_EQ(L"", TraceRecords());
}

// A failed "properties" request is made again through ShellExecuteExW, whose outcome is the
// answer; neither outcome is traced.
TEST_F(ShellLauncherTest, PropertiesRetryThroughShellExecuteEx) {
  static_assert(sizeof(SHELLEXECUTEINFOW) == 112, "the x64 record");
  for (BOOL ex_result : {TRUE, FALSE}) {
    SCOPED_TRACE(ex_result);
    StandInShell shell(SE_ERR_NOASSOC, ex_result);
    ScopedSystemApi scoped(shell);
    ShellLauncher launcher;
    launcher.SetShowCommand(SW_SHOWMINIMIZED);
    launcher.SetVerb(L"properties");
    launcher.SetFile(L"C:\\sollux-missing\\report.txt");
    launcher.SetParameters(L"-p");
    EXPECT_EQ(ex_result != FALSE, launcher.Execute());
    ASSERT_EQ(1u, shell.calls.size());
    EXPECT_EQ(L"properties", shell.calls[0].verb);
    ASSERT_EQ(1u, shell.ex_calls.size());
    const SHELLEXECUTEINFOW& info = shell.ex_calls[0];
    EXPECT_EQ(sizeof(SHELLEXECUTEINFOW), info.cbSize);
    EXPECT_EQ(12u, info.fMask);  // SEE_MASK_INVOKEIDLIST
    EXPECT_EQ(nullptr, info.hwnd);
    EXPECT_EQ(L"properties", shell.ex_strings[0].verb);
    EXPECT_EQ(L"C:\\sollux-missing\\report.txt", shell.ex_strings[0].file);
    EXPECT_EQ(L"-p", shell.ex_strings[0].parameters);
    EXPECT_EQ(nullptr, info.lpDirectory);
    EXPECT_EQ(SW_SHOWNORMAL, info.nShow);  // not the launcher's own show command
    EXPECT_EQ(nullptr, info.hInstApp);
    EXPECT_EQ(nullptr, info.lpIDList);
    EXPECT_EQ(nullptr, info.lpClass);
    EXPECT_EQ(nullptr, info.hkeyClass);
    EXPECT_EQ(0u, info.dwHotKey);
    EXPECT_EQ(nullptr, info.hIcon);
    EXPECT_EQ(nullptr, info.hProcess);
    EXPECT_EQ(L"", TraceRecords());
  }
  StandInShell shell(42);
  ScopedSystemApi scoped(shell);
  ShellLauncher launcher;
  launcher.SetVerb(L"properties");
  launcher.SetFile(L"C:\\sollux-missing\\report.txt");
  EXPECT_TRUE(launcher.Execute());
  EXPECT_TRUE(shell.ex_calls.empty());
}

WString WindowsFolder() {
  wchar_t folder[MAX_PATH + 1] = {};
  ::GetWindowsDirectoryW(folder, MAX_PATH);
  return folder;
}

// The names are resolved against the real file system; only the shell call is a stand-in.
TEST_F(ShellLauncherTest, FileIsKeptWhenItExistsElseLookedUp) {
  test::WriteFileBytes(cwd_dir_ / L"sub\\here.bat", "");
  const WString explorer = WindowsFolder() + L"\\explorer.exe";
  const struct {
    WString given;
    WString stored;
  } cases[] = {
      {L"sub\\here.bat", L"sub\\here.bat"},
      {cwd_dir_.path() + L"/sub/here.bat", cwd_dir_.path() + L"/sub/here.bat"},
      {cwd_dir_.path() + L"\\sub\\", cwd_dir_.path() + L"\\sub\\"},
      {L"explorer.exe", explorer},
      {L"sollux-nowhere.bat", L"sollux-nowhere.bat"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.given);
    StandInShell shell(42);
    ScopedSystemApi scoped(shell);
    ShellLauncher launcher;
    launcher.SetFile(c.given.c_str());
    EXPECT_TRUE(launcher.Execute());
    ASSERT_EQ(1u, shell.calls.size());
    EXPECT_EQ(c.stored, shell.calls[0].file);
  }
  StandInShell shell(42);
  ScopedSystemApi scoped(shell);
  ShellLauncher launcher;
  EXPECT_TRUE(launcher.Explore(L"/e,C:\\users"));
  ASSERT_EQ(1u, shell.calls.size());
  EXPECT_EQ(explorer, shell.calls[0].file);
  EXPECT_EQ(L"/e,C:\\users", shell.calls[0].parameters);
  EXPECT_EQ(std::nullopt, shell.calls[0].verb);
}

// Under Wine's own shell: a missing file fails and is described in the trace file, a program
// is started.
TEST_F(ShellLauncherTest, RealShell) {
  test::ScopedFakeMachine machine;
  machine.clock = kNow;
  const WString missing = temp_ / L"missing.txt";
  ShellLauncher failing;
  failing.SetFile(missing.c_str());
  EXPECT_FALSE(failing.Execute());
  EXPECT_EQ(Record(L"The specified file was not found.\tOperation=\"\"\tFile=\"" + missing +
                   L"\"\tParamaters=\"\""),
            TraceRecords());
  ClearTrace();
  ShellLauncher starting;
  starting.SetFile(test::FixtureProgram(L"Tool.exe").c_str());
  EXPECT_TRUE(starting.Execute());
  EXPECT_EQ(L"", TraceRecords());
}

}  // namespace
}  // namespace sollux
