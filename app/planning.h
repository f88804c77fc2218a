// The whole backup: what is copied (PLUMA's folders, a development folder and the shell's
// document folders) and where (a removable drive's "_Backup_" folder, else the scratch
// folder's).
#ifndef SOLLUX_APP_PLANNING_H_
#define SOLLUX_APP_PLANNING_H_

#include "base/wstring.h"

namespace sollux {

class BackupJob;

// How a backup ended; the program's exit code, which a scheduled task shows.
enum class BackupOutcome : int {
  kAllInBackup = 0,
  kNotRun = 1,          // the batch file not written, or the interpreter not started
  kNotAllInBackup = 2,  // files missing or different, or folders not checked completely
  kLargeChange = 3,     // all in the backup, but the mirror deleted or replaced much of a folder
  kOnOwnDisk = 4,       // all in the backup, but on the PC's own disk: no stick was plugged in
};

// The switches Sollux.exe reads; any other argument is ignored, as a scheduled task may carry
// one.
struct RunSwitches {
  bool usage = false;       // /?: the usage, and nothing backed up
  bool unattended = false;  // /unattended: no pause at all, for the Task Scheduler
};
// `arguments` as the entry point has them, the program first.
RunSwitches ReadSwitches(const WStringList& arguments);

// Names the program and its version, gathers the folders, names the PLUMA folders that are
// missing, then backs them up with RunBackup, whose outcome it answers.
BackupOutcome PlanBackup(const RunSwitches& switches = {});
// Names each of PLUMA's folder settings (`values`, "" for none) that is not backed up: a
// folder that does not exist, or one not given as a full path.
void ReportMissingPlumaFolders(const WStringList& values);
// Composes the mirror batch file for `folders`, writes it and runs it, waiting for it to end,
// checks what reached the backup, and ends the run (run_end.h).
BackupOutcome RunBackup(const WStringList& folders, const RunSwitches& switches = {});
// What the end of a run says again: the warnings and the check's lines, and last of all the
// large changes.
struct RunSaid {
  WStringList lines;
  WStringList last;
};
// RunBackup's mirror into `destination`, with its lock, look, batch file and check; `notes` end
// the report.
BackupOutcome Mirror(BackupJob& job, const WString& destination, bool on_stick,
                     const WString& own_disk_line, const WStringList& notes, RunSaid* said);
// The common and the user's documents, pictures, music, videos and desktop, without repeats.
WStringList UserFolderList();

// The "_Backup_" folder of `base`: `base` itself when it already ends in "_Backup_".
WString BackupDestination(const WString& base);
// Gives `job` the mirror switches, exclusions and size limit of the backup, and `destination`.
void ConfigureBackupJob(BackupJob& job, const WString& destination);

}  // namespace sollux

#endif  // SOLLUX_APP_PLANNING_H_
