#include "job/job_runner.h"

#include <gtest/gtest.h>

#include "base/environment.h"
#include "base/file_system.h"
#include "base/path.h"
#include "base/script_folder.h"
#include "base/system_api.h"
#include "base/text_file.h"
#include "job/backup_job.h"
#include "test/batch_runner.h"
#include "test/child_process.h"
#include "test/fake_machine.h"
#include "test/scoped_environment.h"
#include "test/temp_dir.h"

namespace sollux {
namespace {

using test::ScopedEnvironmentVariable;
using test::ScopedTempDir;
using test::StandInCall;

bool Contains(const std::vector<WString>& list, const WString& item) {
  return std::find(list.begin(), list.end(), item) != list.end();
}

// Batch files run by the job itself find the recording stand-ins first on PATH; the scratch and
// script folders lie in a private temporary folder.
class RunTest : public ::testing::Test {
 protected:
  RunTest()
      : path_(L"PATH", runner_.bin_folder() + L";" + EnvironmentValue(L"PATH")),
        log_(L"SOLLUX_STANDIN_LOG", runner_.log_path()),
        tmp_(L"TMP", temp_.path()) {
    runner_.ClearCalls();
    test::MakeFolders(Source());
  }
  WString Source() const { return temp_ / L"Data"; }
  std::vector<StandInCall> Robocopies() const {
    std::vector<StandInCall> calls;
    for (const auto& call : runner_.RecordedCalls()) {
      if (call.program == L"robocopy") calls.push_back(call);
    }
    return calls;
  }

  test::BatchRunner runner_;
  ScopedEnvironmentVariable path_;
  ScopedEnvironmentVariable log_;
  ScopedTempDir temp_;
  ScopedEnvironmentVariable tmp_;
};

// The planning driver's case: the composed text is written as it is (also without a source),
// and Run comes back only when the batch file has ended.
TEST_F(RunTest, ComposedScriptIsWrittenAsComposedAndRunToItsEnd) {
  BackupJob job;
  job.SetDestination((temp_ / L"Copy").c_str());
  job.ComposeScript({Source()});
  EXPECT_TRUE(job.Run(3, true));
  EXPECT_EQ(ToShiftJis(job.ScriptText()), test::ReadFileBytes(ScriptPathOf(job)));
  const auto calls = runner_.RecordedCalls();
  ASSERT_EQ(3u, calls.size());
  EXPECT_EQ(L"timeout", calls[0].program);
  EXPECT_EQ(L"robocopy", calls[1].program);
  EXPECT_EQ(Source(), calls[1].args.at(0));
  EXPECT_EQ(L"timeout", calls[2].program);

  BackupJob nothing;
  nothing.ComposeScript({temp_ / L"missing"});
  ASSERT_TRUE(nothing.Source().empty());
  nothing.Run(3, true);
  EXPECT_EQ(ToShiftJis(nothing.ScriptText()), test::ReadFileBytes(ScriptPathOf(nothing)));
}

// Without a composed text the runner composes a copy; a copy that lacks a folder keeps the
// backup folder, temporary files and files over 1 MiB out.
TEST_F(RunTest, FreshJobWithoutDestinationIsGuarded) {
  BackupJob job;
  job.SetSource(Source().c_str());
  job.Run(1, true);
  const std::string text = test::ReadFileBytes(ScriptPathOf(job));
  EXPECT_NE(std::string::npos, text.find(" /max:1048576 /xf ")) << text;
  EXPECT_NE(std::string::npos, text.find(" /xd  _Backup_ *.tmp \r\n")) << text;
  const auto robocopies = Robocopies();
  ASSERT_EQ(1u, robocopies.size());
  for (const wchar_t* argument : {L"/xd", L"_Backup_", L"*.tmp", L"/max:1048576"}) {
    EXPECT_TRUE(Contains(robocopies[0].args, argument)) << testing::PrintToString(argument);
  }
  EXPECT_EQ(L"", job.ScriptText());  // the job itself is not changed
  EXPECT_EQ(L"", job.ExcludedDirs());
}

TEST_F(RunTest, FreshJobWithBothFoldersKeepsItsSwitches) {
  BackupJob job;
  job.SetSource(Source().c_str());
  job.SetDestination((temp_ / L"Copy").c_str());
  job.Run(1, true);
  const auto robocopies = Robocopies();
  ASSERT_EQ(1u, robocopies.size());
  EXPECT_EQ(temp_ / L"Copy", robocopies[0].args.at(1));
  EXPECT_FALSE(Contains(robocopies[0].args, L"/xd"));
  EXPECT_FALSE(Contains(robocopies[0].args, L"/max:1048576"));
  EXPECT_TRUE(Contains(robocopies[0].args, L"/xo"));
}

// A user name with a blank puts one into the temporary folder; "&" and parentheses are
// allowed in folder names too. cmd.exe must still run the batch file.
TEST_F(RunTest, ScriptFolderWithBlankAmpersandAndParentheses) {
  const WString odd = temp_ / L"Anna Maria & Co (2)";
  test::MakeFolders(odd);
  ScopedEnvironmentVariable tmp(L"TMP", odd);
  BackupJob job;
  job.ComposeScript({Source()});
  job.Run(3, true);
  ASSERT_EQ(0u, ScriptPathOf(job).find(odd));
  EXPECT_EQ(1u, Robocopies().size());
}

// Records the shell and interpreter calls, and fails every file open without waiting (the clock
// stands still). The interpreter never starts.
class RecordingStarts : public test::FakeMachine {
 public:
  RecordingStarts() { clock = RealSystemApi::CurrentTime(); }
  BOOL CreateProcessW(const wchar_t*, wchar_t* command_line, BOOL, DWORD, void* environment,
                      const wchar_t*, STARTUPINFOW*, PROCESS_INFORMATION*) override {
    commands.push_back(command_line);
    for (auto* entry = static_cast<const wchar_t*>(environment); *entry != L'\0';
         entry += wcslen(entry) + 1) {
      this->environment.push_back(entry);
    }
    return FALSE;
  }
  HINSTANCE ShellExecuteW(HWND, const wchar_t*, const wchar_t* file, const wchar_t*, const wchar_t*,
                          int show) override {
    shell_file = file;
    shell_show = show;
    return reinterpret_cast<HINSTANCE>(42);
  }
  FILE* OpenFile(const wchar_t* path, const wchar_t* mode) override {
    return fail_opens ? nullptr : RealSystemApi::OpenFile(path, mode);
  }

  bool fail_opens = false;
  WString shell_file;
  int shell_show = -1;
  std::vector<WString> commands;
  std::vector<WString> environment;
};

// Every setting of the command processor that AutoRun, DelayedExpansion or EnableExtensions in
// the registry could change is given on the command line, and the interpreter finds programs on
// PATH only. An interpreter that does not start is named, and the run fails.
TEST_F(RunTest, InterpreterCommandLineAndEnvironment) {
  ScopedEnvironmentVariable comspec(L"COMSPEC", L"C:\\Win dows\\cmd.exe");
  ScopedEnvironmentVariable set(L"NODEFAULTCURRENTDIRECTORYINEXEPATH", L"0");
  RecordingStarts api;
  ScopedSystemApi scoped(api);
  BackupJob job;
  job.ComposeScript({Source()});
  testing::internal::CaptureStderr();
  EXPECT_FALSE(job.Run(3, true));
  const std::string errors = testing::internal::GetCapturedStderr();
  const WString command =
      L"\"C:\\Win dows\\cmd.exe\" /d /e:on /v:off /s /c \"\"" + ScriptPathOf(job) + L"\"\"";
  ASSERT_EQ(std::vector<WString>{command}, api.commands);
  EXPECT_NE(std::string::npos, errors.find("The command interpreter could not be started: "));
  EXPECT_EQ(1, std::count(api.environment.begin(), api.environment.end(),
                          L"NoDefaultCurrentDirectoryInExePath=1"));
  for (const WString& entry : api.environment) {
    EXPECT_FALSE(EqualsIgnoreCase(entry, L"NoDefaultCurrentDirectoryInExePath=0"));
  }
  EXPECT_TRUE(Contains(api.environment, L"SOLLUX_STANDIN_LOG=" + runner_.log_path()));
}

TEST_F(RunTest, ThroughTheShellWithTheShowCommand) {
  RecordingStarts api;
  ScopedSystemApi scoped(api);
  BackupJob job;
  job.ComposeScript({Source()});
  EXPECT_TRUE(job.Run(3, false));
  EXPECT_EQ(ScriptPathOf(job), api.shell_file);
  EXPECT_EQ(3, api.shell_show);
  EXPECT_TRUE(api.commands.empty());
  EXPECT_TRUE(PathExists(api.shell_file.c_str(), true));
}

// A batch file that could not be written is not run: an older file of the same name would run
// instead, or nothing. The failure is named on the error stream.
TEST_F(RunTest, UnwrittenScriptIsNotRun) {
  RecordingStarts api;
  api.fail_opens = true;
  ScopedSystemApi scoped(api);
  BackupJob job;
  job.ComposeScript({Source()});
  testing::internal::CaptureStderr();
  EXPECT_FALSE(job.Run(3, true));
  const std::string errors = testing::internal::GetCapturedStderr();
  EXPECT_TRUE(api.commands.empty());
  const WString path = ScriptPathOf(job);
  const std::string line =
      "The batch file could not be written and was not run: " + test::Narrow(path) + "\n";
  EXPECT_NE(std::string::npos, errors.find(line)) << errors;
}

// robocopy gives the copy of a drive's root the root's hidden and system bits, which hides the
// whole copy in Explorer: after the run it is shown again. Other copies keep their bits.
TEST_F(RunTest, CopiesOfDriveRootsAreShownAgain) {
  constexpr DWORD kHiddenSystem = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
  const WString root_copy = temp_ / L"Copy\\D";
  const WString other_copy = temp_ / L"Copy\\C\\Data";
  for (const WString& copy : {root_copy, other_copy}) {
    test::MakeFolders(copy);
    ASSERT_TRUE(::SetFileAttributesW(copy.c_str(), kHiddenSystem));
  }
  const WString batch = temp_ / L"run.bat";
  ASSERT_TRUE(WriteTextFile(batch.c_str(), L"@echo off\r\n"));
  ASSERT_TRUE(RunThroughInterpreter(
      batch, {{L"D:\\", root_copy}, {L"C:\\Data", other_copy}, {L"E:", temp_ / L"Copy\\E"}}));
  EXPECT_EQ(0u, ::GetFileAttributesW(root_copy.c_str()) & kHiddenSystem);
  EXPECT_EQ(kHiddenSystem, ::GetFileAttributesW(other_copy.c_str()) & kHiddenSystem);
}

// The name is cut only where the file system or MAX_PATH demands it; where the folder leaves
// no room for the switch letters beside the digest, they go too.
TEST(ScriptPathTest, FitsMaxPathWhateverTheFolderNames) {
  const struct {
    size_t room;  // what the script folder leaves for the name; 0: a short temporary folder
    size_t source_length;
    size_t name_length;  // 0: the path's 259 characters
    bool switch_letters;
  } cases[] = {
      {0, 120, 3 + 120 + 12 + 9, true},  // the whole name, RC_s..._E___Backup__sfft.bat
      {0, 300, 0, true},
      {100, 200, 0, true},
      {20, 200, 0, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.room << " " << c.source_length);
    ScopedTempDir temp;
    // "\Brevant.tmp\<program>\" below the temporary folder.
    const WString script_folder = WithTrailingSeparator(
        ScriptFolder().substr(WithoutTrailingSeparator(TemporaryFolder()).size()), L'\\');
    const size_t deep_length = c.room == 0 ? 0 : 259 - c.room - script_folder.size();
    const WString deep =
        c.room == 0 ? temp.path() : temp / WString(deep_length - temp.path().size() - 1, L'd');
    test::MakeFolders(deep);
    ScopedEnvironmentVariable tmp(L"TMP", deep);
    BackupJob job;
    job.SetSource((L"C:\\" + WString(c.source_length, L's')).c_str());
    job.SetDestination(L"E:/_Backup_");
    const WString path = ScriptPathOf(job);
    const size_t folder_length = deep.size() + script_folder.size();
    const size_t name_length = c.name_length == 0 ? 259 - folder_length : c.name_length;
    EXPECT_EQ(deep + script_folder, path.substr(0, path.size() - name_length)) << path;
    EXPECT_TRUE(path.ends_with(L".bat")) << path;
    EXPECT_EQ(c.switch_letters, path.ends_with(L"_sfft.bat")) << path;
    EXPECT_EQ(path, ScriptPathOf(job));
  }
}

}  // namespace
}  // namespace sollux
