// The pieces of a job's robocopy command line that the batch script also needs: the two folders
// as robocopy receives them, the nesting test and the quoting of a folder.
#ifndef SOLLUX_JOB_COMMAND_LINE_H_
#define SOLLUX_JOB_COMMAND_LINE_H_

#include "base/wstring.h"
#include "job/backup_job.h"

namespace sollux {

// The folders of `job`'s command line: unquoted, an empty source replaced by the scratch
// folder and an empty destination by its "_Backup_" subfolder (creating the scratch folder),
// mapped drives as UNC paths, the destination below a "_Backup_" folder per computer and
// source, and one trailing separator dropped unless it names a root ("C:\" stays "C:\").
CommandFolders CommandFoldersOf(const BackupJob& job);

// How many levels of a source robocopy copies (/lev) when the copy lies inside the source, so
// that it does not copy its own copy over and over.
constexpr unsigned kNestedCopyLevels = 3;

// True when `destination` is `source` itself or lies below it: it equals `source`, or goes on
// after a separator. C:\Data2 does not lie below C:\Data; C:\Data\Sub and C:\Sub below C:\ do.
// Backslash and slash count as the same separator; letter case counts.
bool IsNestedFolder(const WString& source, const WString& destination);

}  // namespace sollux

#endif  // SOLLUX_JOB_COMMAND_LINE_H_
