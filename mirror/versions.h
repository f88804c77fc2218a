// What a mirror would destroy, kept on the stick: before the batch file runs, every file and
// folder that /purge would delete or a copy would overwrite is moved (renamed, never copied)
// into one folder per run, `<computer folder>\Sollux-versions\<run>`, keeping its path below
// the backup folder. Each run is listed, and records in its folder the files its mirror adds, so
// that the backup after any run can be rebuilt. Old runs make room when the stick is full.
#ifndef SOLLUX_MIRROR_VERSIONS_H_
#define SOLLUX_MIRROR_VERSIONS_H_

#include <cstdint>
#include <vector>

#include "base/wstring.h"
#include "mirror/mirror_look.h"
#include "store/backup_records.h"
#include "store/run_name.h"
#include "store/stick_layout.h"

namespace sollux {

// What one folder's versions came to.
struct FolderVersions {
  uint64_t files_kept = 0;
  WStringList kept_names;      // below the destination folder, the first kNamedProblemLimit
  WStringList replaced_kept;   // below the destination folder, for the move back
  uint64_t not_kept = 0;       // files that could not be moved
  WStringList not_kept_names;  // full paths, the first kNamedProblemLimit
  bool stopped = false;        // the stick stopped answering
};

class VersionStore {
 public:
  // The store of the computer whose backup `layout` and `records` name; `time` the run's start.
  VersionStore(StickLayout* layout, BackupRecords* records, int64_t time);

  const RunName& run() const { return run_; }
  // The run's folder, distinct from every earlier run's.
  const WString& run_folder() const { return run_folder_; }
  const WString& versions_folder() const { return layout_.versions_folder(); }

  // Lists the run and makes its folder, before anything is kept; false when the run could not
  // be listed (nothing may change then: the earlier backups could no longer be rebuilt).
  bool Begin();
  // Moves what the mirror of `look` would delete or replace into the run's folder.
  FolderVersions Keep(const FolderLook& look);
  // Records what the mirrors of `looks` add to the backup (the run's added list) and the
  // folders they mirror (the folder list). The paths of the records that could not be written.
  WStringList RecordRun(const std::vector<const FolderLook*>& looks);
  // The batch file never ran: the run added nothing.
  WStringList RecordNothingAdded();
  // After the batch file: a replaced file whose new copy did not arrive goes back to its place,
  // over whatever is left there. Returns the files moved back.
  uint64_t RestoreMissing(const FolderLook& look, const FolderVersions& kept);
  // When the batch file never ran: every entry kept goes back where nothing took its place.
  void PutBack(const FolderLook& look);
  // Moves a copy (below `destination`) that read back wrong into the run's folder of damaged
  // copies, keeping its path; false when it could not.
  bool KeepDamaged(const WString& destination, const WString& relative);

  // The earlier runs that have folders, oldest first.
  std::vector<RunName> EarlierRuns();
  // Deletes one earlier run's folder (read-only files too) and its line, with the lines of the
  // runs before it, which can no longer be rebuilt; the files it held. Links are left where
  // they are: one in the run's place, or inside it.
  uint64_t DeleteRun(const RunName& run);

 private:
  FolderVersions KeepEntries(const FolderLook& look);
  WString KeptPath(const WString& destination, const WString& relative) const;
  bool Plain(const WString& path) { return layout_.Plain(path); }
  uint64_t DeleteTree(const WString& top);
  bool Move(const WString& from, const WString& to);
  void MoveTree(const WString& from, const WString& to, FolderVersions* result);
  void NotKept(const WString& path, uint64_t files, FolderVersions* result);

  StickLayout& layout_;
  BackupRecords& records_;
  RunName run_;
  WString run_folder_;
  bool begun_ = false;
  bool keeping_ = false;     // within Keep
  WString checked_folder_;  // the folder that Keep's last move went into
};

}  // namespace sollux

#endif  // SOLLUX_MIRROR_VERSIONS_H_
