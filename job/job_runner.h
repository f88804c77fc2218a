// Pieces of BackupJob::Run that tests look at on their own.
#ifndef SOLLUX_JOB_JOB_RUNNER_H_
#define SOLLUX_JOB_JOB_RUNNER_H_

#include "base/wstring.h"

namespace sollux {

class BackupJob;

// The command string that makes the command interpreter run the batch file `path`, whatever
// the path holds (blanks, "&", parentheses).
WString InterpreterCommand(const WString& path);

// The full path of `job`'s batch file: the script folder and the job's file name, shortened
// where needed so that the whole path fits MAX_PATH.
class BackupJob;
WString ScriptPathOf(BackupJob& job);

}  // namespace sollux

#endif  // SOLLUX_JOB_JOB_RUNNER_H_
