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

// What the check found: whether every file is in the backup and every copy read back right,
// and the lines that say so, for the end of the run.
struct CheckOutcome {
  bool all_in = false;
  WStringList lines;
};

// Compares every folder of the job's batch file with the folder its robocopy line copied it to,
// and writes the report and a line of the history into `report_folder` (created when missing).
// `look` is what the look before the copying adds to the report and the history, and names the
// files copied in this run, which are read back from the stick with a rotating share of the
// others; `keep` keeps a copy that reads back wrong as a version before it is copied again.
// Neither file is read or written through a link on the stick. A file named as missing or
// different is named with the programs that hold it open, where the Restart Manager knows
// them. `own_disk_line`, for a backup without a stick, ends the summary and goes into the report
// and the history; `notes` (of the stick) end the report.
CheckOutcome CheckBackup(const BackupJob& job, const WString& report_folder,
                         const LookReport& look = {}, const DamagedCopyKeeper& keep = nullptr,
                         const WString& own_disk_line = {}, const WStringList& notes = {});

}  // namespace sollux

#endif  // SOLLUX_JOB_JOB_CHECK_H_
