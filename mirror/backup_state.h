// A backup folder as it was after any of its runs, rebuilt from what the later runs did to it.
// A file's state after run k follows from the first thing that happened to it in the runs after
// k: kept in the versions of run j (moved there before j's copying) means it was as that version
// holds it; added by run j means it did not exist yet; nothing at all means it is as the mirror
// holds it now, or did not exist if the mirror lacks it. Within a run, what was kept came before
// what was added (a folder replaced by a file of the same name).
#ifndef SOLLUX_MIRROR_BACKUP_STATE_H_
#define SOLLUX_MIRROR_BACKUP_STATE_H_

#include <cstddef>
#include <cstdint>
#include <vector>

#include "base/wstring.h"

namespace sollux {

// What one run did to the backup, every path below the backup folder.
struct RunRecord {
  WString name;          // the run's stamp, "2026-12-09 09.30.00"
  bool complete = true;  // its list of added files was there (not lost, not from before lists)
  WStringList kept;      // the files of its versions folder
  WStringList added;     // the files its mirror added
};

inline constexpr size_t kInMirror = SIZE_MAX;

// Where a file's bytes after a run are: in the mirror now, or in the versions of a later run.
struct HeldFile {
  WString path;
  size_t version_run = kInMirror;  // an index into the runs, or kInMirror

  bool operator==(const HeldFile&) const = default;
};

// The files the backup held after `runs[k]` (the runs oldest first; `mirror` the files the
// mirror holds now), in no particular order. Paths match as the file system's do, without
// regard to letter case.
std::vector<HeldFile> StateAfter(size_t k, const std::vector<RunRecord>& runs,
                                 const WStringList& mirror);

// Whether every run after `runs[k]` is complete, so that StateAfter(k) is exact.
bool RebuiltExactly(size_t k, const std::vector<RunRecord>& runs);

}  // namespace sollux

#endif  // SOLLUX_MIRROR_BACKUP_STATE_H_
