#include "job/job_runner.h"

#include <algorithm>

#include "base/environment.h"
#include "base/file_system.h"
#include "base/folders.h"
#include "base/messages.h"
#include "base/path.h"
#include "base/process.h"
#include "base/script_folder.h"
#include "base/system_api.h"
#include "base/text.h"
#include "base/text_file.h"
#include "base/ui_text.h"
#include "diag/file_attributes.h"
#include "job/backup_job.h"
#include "job/console_code_page.h"
#include "job/shell_launcher.h"
#include "script/path_rewrite.h"
#include "script/script_file_name.h"

namespace sollux {
namespace {

// A job run without a composed script and without one of its folders copies into or out of
// the scratch folder: keep the backup folder, temporary files and large files out of it.
constexpr uint64_t kGuardedMaxSize = uint64_t{1} << 20;

BackupJob ComposedCopy(const BackupJob& job) {
  BackupJob copy(job);
  if (copy.Source().empty() || copy.Destination().empty()) {
    copy.AddExcludedDir(kBackupFolderName);
    copy.AddExcludedDir(L"*.tmp");
    copy.SetExcludeDirsEnabled(true);
    copy.SetMaxSize(kGuardedMaxSize);
    copy.SetMaxSizeEnabled(true);
  }
  copy.ComposeSingleScript();
  return copy;
}

void StartThroughShell(const WString& path, int show_command) {
  ShellLauncher launcher;
  launcher.SetFile(path.c_str());
  launcher.SetShowCommand(show_command);
  launcher.Execute();
}

// robocopy gives the copy of a drive's root the root's hidden and system attributes, and
// Explorer then hides the whole backup of that drive.
void UnhideRootCopies(const std::vector<CommandFolders>& folders) {
  for (const CommandFolders& folder : folders) {
    if (!IsDriveRoot(folder.source) || !DirectoryExists(folder.destination.c_str())) continue;
    FileAttributes(folder.destination).ClearIfSet(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  }
}

}  // namespace

// "cmd /c" takes the first and the last double quote off a command that holds more than two,
// so the quoted path goes inside one more pair.
WString InterpreterCommand(const WString& path) { return L"\"\"" + path + L"\"\""; }

WString InterpreterPath() {
  const WString comspec = Unquote(EnvironmentValue(L"COMSPEC"));
  if (!comspec.empty()) return comspec;
  wchar_t folder[MAX_PATH] = {};
  const UINT length = Sys().GetSystemDirectoryW(folder, MAX_PATH);
  return WithTrailingSeparator(length < MAX_PATH ? WString(folder) : WString(), L'\\') + L"cmd.exe";
}

// /d skips the AutoRun commands of the command processor's registry keys, /v:off and /e:on
// overrule their DelayedExpansion and EnableExtensions: the batch file runs the same on every
// PC.
WString InterpreterCommandLine(const WString& interpreter, const WString& path) {
  return L"\"" + interpreter + L"\" /d /e:on /v:off /s /c " + InterpreterCommand(path);
}

// The batch file changes to %Temp%, where anybody may leave a robocopy.bat: the interpreter
// must look for programs on PATH only.
WString InterpreterEnvironment() {
  return EnvironmentBlock(
      WithVariable(EnvironmentEntries(), L"NoDefaultCurrentDirectoryInExePath", L"1"));
}

WString ScriptPathOf(const BackupJob& job) {
  const WString folder = WithTrailingSeparator(ScriptFolder(), L'\\');
  const size_t room =
      std::min(kMaxFileNameLength,
               folder.size() < kMaxScriptPathLength ? kMaxScriptPathLength - folder.size() : 0);
  return folder + FitScriptFileName(job.ScriptFileName(), room);
}

bool RunThroughInterpreter(const WString& path, const std::vector<CommandFolders>& folders) {
  uint32_t exit_code = 0;
  const WString command = InterpreterCommandLine(InterpreterPath(), path);
  {
    const ScopedBatchCodePage code_page;
    WarnOfCodePage(code_page.ReadingCodePage(), folders);
    if (!RunAndWait(command, InterpreterEnvironment(), &exit_code)) {
      ErrorLine(Say(Text::kInterpreterNotStarted, {command}));
      return false;
    }
  }
  UnhideRootCopies(folders);
  return true;
}

bool BackupJob::Run(int show_command, bool through_interpreter) {
  const WString path = ScriptPathOf(*this);
  BackupJob composed = script_text_.empty() ? ComposedCopy(*this) : *this;
  // Running after a failed write would run a stale file of the same name, or nothing.
  if (!WriteTextFile(path.c_str(), composed.ScriptText())) {
    ErrorLine(Say(Text::kBatchNotWritten, {path}));
    return false;
  }
  if (!through_interpreter) {
    StartThroughShell(path, show_command);
    return true;
  }
  return RunThroughInterpreter(path, composed.ScriptFolders());
}

}  // namespace sollux
