// The look before the copying: what each robocopy mirror line is about to do to its backup,
// found by the same walk as the check after the backup. It names the files that the mirror
// will delete or overwrite, so that they can be kept as versions, counts the bytes to copy for
// the room on the stick, and finds what the user should hear about first.
#ifndef SOLLUX_MIRROR_MIRROR_LOOK_H_
#define SOLLUX_MIRROR_MIRROR_LOOK_H_

#include <cstdint>
#include <functional>
#include <unordered_set>
#include <vector>

#include "base/wstring.h"
#include "mirror/check_rules.h"
#include "mirror/tree_comparison.h"

namespace sollux {

// A destination entry that the mirror deletes (purged) or overwrites (replaced).
struct DoomedEntry {
  WString relative_path;  // below the destination folder
  bool folder = false;    // a folder goes with its whole tree
  bool replaced = false;
  uint64_t files = 1;  // the files it holds (a folder's whole tree)
};

// The destination's volume, as far as the look needs it.
struct VolumeFacts {
  uint64_t cluster_size = 4096;
  bool fat_times = false;  // FAT32 or exFAT: local times, so a time-zone change shifts them
  bool fat32 = false;      // no file of 4 GiB or more
};

struct FolderLook {
  WString source;
  WString destination;
  uint64_t files_to_copy = 0;
  uint64_t bytes_to_copy = 0;
  // The files robocopy copies, below the source: new, or other in size or time.
  std::unordered_set<WString> copied;
  // Of those, the ones the backup had no copy of: what the mirror adds to it.
  WStringList added;
  uint64_t room_needed = 0;  // bytes to copy in whole clusters, and a cluster per new folder
  std::vector<DoomedEntry> doomed;
  uint64_t files_purged = 0;
  uint64_t files_replaced = 0;
  uint64_t backup_files = 0;  // files the backup holds, as far as it was listed
  uint64_t clock_shifts = 0;  // copied again, but neither kept nor counted as a change
  uint64_t too_large = 0;
  WStringList too_large_names;  // the first kNamedProblemLimit, below the source
  uint64_t online_only = 0;
  uint64_t online_only_bytes = 0;
  WStringList online_only_names;
  WStringList unreadable_destination;  // below the destination: nothing there is kept
  TreeOutcome outcome;

  // The mirror deletes or replaces at least 10 files, and more than half of those its backup
  // holds: a folder emptied by mistake, a new PC backed up before anything was restored, or
  // files damaged all at once.
  bool LargeChange() const;
};

// Called with the count of source files listed so far.
using LookProgress = std::function<void(uint64_t files)>;

// Looks at one command line's folders. Never throws: out of memory ends the look half way,
// which its outcome says.
FolderLook LookAtFolder(const WString& source, const WString& destination, const CheckRules& rules,
                        const VolumeFacts& volume, const LookProgress& progress);

// Lets this process see cloud placeholders as they are, where ntdll can: Windows otherwise hides
// FILE_ATTRIBUTE_OFFLINE from programs it does not know to handle placeholders.
void ExposeCloudPlaceholders();

}  // namespace sollux

#endif  // SOLLUX_MIRROR_MIRROR_LOOK_H_
