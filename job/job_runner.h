// Pieces of BackupJob::Run that tests look at on their own.
#ifndef SOLLUX_JOB_JOB_RUNNER_H_
#define SOLLUX_JOB_JOB_RUNNER_H_

#include <vector>

#include "base/wstring.h"
#include "job/backup_job.h"

namespace sollux {

// The command that makes the command interpreter run the batch file `path` after /c, whatever
// the path holds (blanks, "&", parentheses).
WString InterpreterCommand(const WString& path);

// The command interpreter: COMSPEC, else cmd.exe in the system folder.
WString InterpreterPath();

// The whole command line that starts `interpreter` on the batch file `path`, with every
// setting that the command processor's registry keys could change given on it.
WString InterpreterCommandLine(const WString& interpreter, const WString& path);

// The interpreter's environment block: this process's, with NoDefaultCurrentDirectoryInExePath.
WString InterpreterEnvironment();

// The full path of `job`'s batch file: the script folder and the job's file name, shortened
// where needed so that the whole path fits MAX_PATH.
WString ScriptPathOf(const BackupJob& job);

// Runs the batch file `path`, whose command lines copy `folders`, through the interpreter with
// the console in code page 932, waits for it, and then shows again the copies of drive roots
// that robocopy hid. False, with an error line, when the interpreter could not be started.
bool RunThroughInterpreter(const WString& path, const std::vector<CommandFolders>& folders);

}  // namespace sollux

#endif  // SOLLUX_JOB_JOB_RUNNER_H_
