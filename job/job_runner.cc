#include "job/job_runner.h"

#include "base/messages.h"
#include "base/path.h"
#include "base/script_folder.h"
#include "base/system_api.h"
#include "base/text_file.h"
#include "job/backup_job.h"
#include "job/shell_launcher.h"
#include "script/path_rewrite.h"
#include "script/script_file_name.h"

namespace sollux {
namespace {

// A job run without a composed script and without one of its folders copies into or out of
// the scratch folder: keep the backup folder, temporary files and large files out of it.
constexpr uint64_t kGuardedMaxSize = uint64_t{1} << 20;

WString ComposeOnCopy(const BackupJob& job) {
  BackupJob copy(job);
  if (copy.Source().empty() || copy.Destination().empty()) {
    copy.AddExcludedDir(kBackupFolderName);
    copy.AddExcludedDir(L"*.tmp");
    copy.SetExcludeDirsEnabled(true);
    copy.SetMaxSize(kGuardedMaxSize);
    copy.SetMaxSizeEnabled(true);
  }
  copy.ComposeSingleScript();
  return copy.ScriptText();
}

void StartThroughShell(const WString& path, int show_command) {
  ShellLauncher launcher;
  launcher.SetFile(path.c_str());
  launcher.SetShowCommand(show_command);
  launcher.Execute();
}

}  // namespace

// "cmd /c" takes the first and the last double quote off a command that holds more than two,
// so the quoted path goes inside one more pair.
WString InterpreterCommand(const WString& path) { return L"\"\"" + path + L"\"\""; }

WString ScriptPathOf(BackupJob& job) {
  const WString folder = WithTrailingSeparator(ScriptFolder(), L'\\');
  const size_t room =
      folder.size() < kMaxScriptPathLength ? kMaxScriptPathLength - folder.size() : 0;
  return folder + FitScriptFileName(job.ScriptFileName(), room);
}

bool BackupJob::Run(int show_command, bool through_interpreter) {
  const WString path = ScriptPathOf(*this);
  const WString text = script_text_.empty() ? ComposeOnCopy(*this) : script_text_;
  // Running after a failed write would run a stale file of the same name, or nothing.
  if (!WriteTextFile(path.c_str(), text)) {
    ErrorLine(L"The batch file could not be written and was not run: " + path);
    return true;
  }
  if (through_interpreter) {
    Sys().RunCommand(InterpreterCommand(path).c_str());
  } else {
    StartThroughShell(path, show_command);
  }
  return true;
}

}  // namespace sollux
