// The check after a backup: what reached the backup, said in a report beside it and in the
// console.
#ifndef SOLLUX_JOB_JOB_CHECK_H_
#define SOLLUX_JOB_JOB_CHECK_H_

#include <cstdint>

#include "base/wstring.h"
#include "job/backup_job.h"
#include "job/job_look.h"
#include "job/job_read_back.h"

namespace sollux {

// As long as the batch file's last pause: the window stays open this long for a user to read
// which files are missing.
constexpr uint32_t kMissingFilesPauseMilliseconds = 100 * 1000;

// Compares every folder of the job's batch file with the folder its robocopy line copied it to,
// writes the report and a line of the history into `report_folder` (created when missing),
// prints the summary, and when not all is in the backup and a user can press a key, keeps the
// window open. True when every file is in the backup and every copy read back right.
// `look` is what the look before the copying adds to the report and the history, and names the
// files copied in this run, which are read back from the stick with a rotating share of the
// others; `keep` keeps a copy that reads back wrong as a version before it is copied again.
// Neither file is read or written through a link on the stick. A file named as missing or
// different is named with the programs that hold it open, where the Restart Manager knows
// them. `own_disk_line`, for a backup without a stick, ends the summary and goes into the report
// and the history.
bool CheckBackup(const BackupJob& job, const WString& report_folder, const LookReport& look = {},
                 const DamagedCopyKeeper& keep = nullptr, const WString& own_disk_line = {});

}  // namespace sollux

#endif  // SOLLUX_JOB_JOB_CHECK_H_
