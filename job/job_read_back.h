// The read back after the check: the copies that robocopy wrote in this run, and a rotating
// eighth of the others, are read back from the stick and compared with their sources byte for
// byte. A copy that reads back wrong is kept as a version as it is (the damaged copy may be the
// PC's) and copied again.
#ifndef SOLLUX_JOB_JOB_READ_BACK_H_
#define SOLLUX_JOB_JOB_READ_BACK_H_

#include <cstdint>
#include <functional>

#include "base/wstring.h"
#include "job/job_look.h"
#include "mirror/backup_check.h"
#include "mirror/backup_report.h"

namespace sollux {

// Every file of a backup is read back at least once in this many backups.
inline constexpr uint64_t kReadBackTurns = 8;

// Moves a damaged copy (below `destination`) into this run's versions; false when it cannot.
using DamagedCopyKeeper = std::function<bool(const WString& destination, const WString& relative)>;

// Which files of the command line's `folders` are read back: those that the look found to be
// copied, and those whose path below `backup_folder` falls to `turn` by a stable hash.
ReadBackChoice ReadBackChoiceFor(const CommandFolders& folders, const WString& backup_folder,
                                 const LookReport& look, uint64_t turn);

// Reads back the files the check chose, folder by folder, with a progress line; a damaged copy
// is kept by `keep` and copied again. Stops when the stick goes away.
void ReadBackCopies(RunCheck* run, const DamagedCopyKeeper& keep);

}  // namespace sollux

#endif  // SOLLUX_JOB_JOB_READ_BACK_H_
