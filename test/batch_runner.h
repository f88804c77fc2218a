// Runs batch texts through Wine's real cmd.exe, with stand-ins for robocopy.exe and timeout.exe
// that record every call instead of copying or waiting.
//
//   BatchRunner runner;
//   BatchRun run = runner.Run(L"@echo off\r\nrobocopy \"C:\\a b\" \"D:\\x\" /s\r\n");
//   ASSERT_TRUE(run.finished);
//   run.calls[0].program == L"robocopy", run.calls[0].args == {L"C:\\a b", L"D:\\x", L"/s"}
//   run.OutputLines() holds what cmd.exe printed.
#ifndef SOLLUX_TEST_BATCH_RUNNER_H_
#define SOLLUX_TEST_BATCH_RUNNER_H_

#include <string>
#include <utility>
#include <vector>

#include "test/temp_dir.h"

namespace sollux::test {

// What the timeout stand-in writes to its standard error, as the real timeout.exe does, when
// its standard input is not a console (under the tests it never is), before it exits with 1.
inline constexpr wchar_t kTimeoutRefusal[] =
    L"ERROR: Input redirection is not supported, exiting the process immediately.";

// One run of a stand-in.
struct StandInCall {
  std::wstring program;            // lower-case file stem: "robocopy" or "timeout"
  std::wstring directory;          // its current directory
  std::wstring argv0;              // argv[0] as the C runtime parsed it
  std::vector<std::wstring> args;  // argv[1] onwards, as the C runtime parsed them

  // The program followed by its arguments, as on a command line.
  std::vector<std::wstring> ProgramAndArgs() const;
};

// What one run of cmd.exe left behind.
struct BatchRun {
  bool finished = false;  // cmd.exe started and ended within the time limit
  unsigned long exit_code = 0;
  std::vector<StandInCall> calls;  // in the order of the calls
  std::string output_bytes;        // standard output and error of cmd.exe, in code page 932
  std::wstring output;             // the same text decoded

  // The output split into lines at LF, each without its CR.
  std::vector<std::wstring> OutputLines() const;
  // The calls of one stand-in only.
  std::vector<StandInCall> CallsOf(const std::wstring& program) const;
};

// True when cmd.exe, whose console output is `output`, failed to start a stand-in on PATH and
// went on without it. Under load Wine's cmd.exe now and then reports a program that is there
// as an unknown command ("timeout /t 10   ... not recognised"); its message line begins with
// the command itself, which neither a prompt line nor the banner does. A folder name that
// broke the batch file would fail the same way on every run, so callers repeat such a run a
// few times at most.
bool StandInFailedToStart(const std::wstring& output);

class BatchRunner {
 public:
  // Copies the stand-ins into a private temporary folder.
  BatchRunner();
  BatchRunner(const BatchRunner&) = delete;
  BatchRunner& operator=(const BatchRunner&) = delete;

  // The private folder; cmd.exe starts in it, and the batch files of Run are written there.
  const std::wstring& folder() const { return dir_.path(); }
  // Sets an environment variable for the runs that follow (an empty value removes it). PATH
  // always gets the stand-ins' folder in front.
  void SetEnvironment(const std::wstring& name, const std::wstring& value);

  // Writes `text` with WriteTextFile (code page 932) as `file_name` in the folder, runs it with
  // `cmd.exe /c "<path>"` and waits for it.
  BatchRun Run(const std::wstring& text, const std::wstring& file_name = L"run.bat");
  // Runs an existing batch file the same way. A run in which cmd.exe failed to start a
  // stand-in on PATH (a Wine hiccup under load) is repeated, at most twice.
  BatchRun RunFile(const std::wstring& path);

  // For a batch file that the program under test runs itself: put bin_folder() first on PATH
  // and set SOLLUX_STANDIN_LOG to log_path() in the test's own environment, ClearCalls(), run,
  // then read RecordedCalls().
  const std::wstring& bin_folder() const { return bin_; }
  const std::wstring& log_path() const { return log_; }
  void ClearCalls() const;
  std::vector<StandInCall> RecordedCalls() const;

 private:
  BatchRun RunOnce(const std::wstring& path);
  // The variables that the runs set: the test's own, the stand-ins' log and PATH.
  std::vector<std::pair<std::wstring, std::wstring>> Environment() const;

  ScopedTempDir dir_;
  std::wstring bin_;
  std::wstring log_;
  std::vector<std::pair<std::wstring, std::wstring>> environment_;
};

}  // namespace sollux::test

#endif  // SOLLUX_TEST_BATCH_RUNNER_H_
