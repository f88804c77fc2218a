// What a mirror would destroy, kept on the stick: before the batch file runs, every file and
// folder that /purge would delete or a copy would overwrite is moved (renamed, never copied)
// into one folder per run, `<computer folder>\Sollux-versions\<YYYY-MM-DD HH.MM.SS>`, keeping
// its path below the backup folder. Old runs make room when the stick is full.
#ifndef SOLLUX_MIRROR_VERSIONS_H_
#define SOLLUX_MIRROR_VERSIONS_H_

#include <cstdint>
#include <vector>

#include "base/link_check.h"
#include "base/wstring.h"
#include "mirror/mirror_look.h"

namespace sollux {

inline constexpr wchar_t kVersionsFolderName[] = L"Sollux-versions";
// The runs' folders in the order they were made, one name per line: a clock set back would
// disorder their names.
inline constexpr wchar_t kRunListFileName[] = L"Sollux-runs.txt";
// Beside the run list: the folders each run mirrored, a line each, "<run>\t<folder>\t<its
// backup folder below the backup folder>" (UTF-8, CRLF), so that a backup's folders can be
// named by their own paths when files are got back.
inline constexpr wchar_t kFolderListFileName[] = L"Sollux-folders.txt";
// Inside a run's folder: the files the run's mirror added to the backup (none had a copy
// before), by their paths below the backup folder, one a line (UTF-8, CRLF). Every run that
// has a folder has the list, empty or not: a folder without one was made before such lists.
inline constexpr wchar_t kAddedListFileName[] = L"Sollux-added.txt";
// Inside a run's folder: copies that read back wrong from the stick after the copying, apart
// from what the backup held before it. No computer or server is named with a blank.
inline constexpr wchar_t kDamagedCopiesFolderName[] = L"damaged copies";

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
  // `backup_folder` is the folder below which every destination lies (E:\_Backup_);
  // `computer_folder` the computer's folder in it; `time` the run's start.
  VersionStore(const WString& backup_folder, const WString& computer_folder, int64_t time);

  // The run's folder; made on the first move, distinct from every earlier run's.
  const WString& run_folder() const { return run_folder_; }
  const WString& versions_folder() const { return versions_folder_; }

  // Moves what the mirror of `look` would delete or replace into the run's folder.
  FolderVersions Keep(const FolderLook& look);
  // Records the run: its name in the run list (every run, with or without versions), and what
  // the mirrors of `looks` add to the backup in its folder (made for that when it has none).
  void RecordRun(const std::vector<const FolderLook*>& looks);
  // The batch file never ran: the run added nothing.
  void RecordNothingAdded();
  // After the batch file: a replaced file whose new copy did not arrive goes back to its place,
  // over whatever is left there. Returns the files moved back.
  uint64_t RestoreMissing(const FolderLook& look, const FolderVersions& kept);
  // When the batch file never ran: every entry kept goes back where nothing took its place.
  void PutBack(const FolderLook& look);
  // Moves a copy (below `destination`) that read back wrong into the run's folder of damaged
  // copies, keeping its path; false when it could not.
  bool KeepDamaged(const WString& destination, const WString& relative);

  // The runs' folders in the order they were made, oldest first, the current run excluded.
  WStringList EarlierRuns();
  // Deletes one earlier run's folder (read-only files too) and its line, with the lines of the
  // runs before it, which can no longer be rebuilt; the files it held.
  // Links are left where they are: one in the run's place, or inside it.
  uint64_t DeleteRun(const WString& name);

  // The links on the stick that were not followed so far, each once, in the order found.
  const WStringList& links() const { return links_; }

 private:
  WString KeptPath(const WString& destination, const WString& relative) const;
  bool MakeRunFolder();
  void ListRun();
  void ListFolders(const std::vector<const FolderLook*>& looks);
  bool WriteAddedList(const std::string& bytes);
  WString RunListPath();
  // False, and the link noted, when a link lies on `path`.
  bool Plain(const WString& path);
  uint64_t DeleteTree(const WString& top);
  bool Move(const WString& from, const WString& to);
  void MoveTree(const WString& from, const WString& to, FolderVersions* result);
  void NotKept(const WString& path, uint64_t files, FolderVersions* result);

  WString backup_folder_;
  WString versions_folder_;
  WString run_folder_;
  WString run_name_;
  LinkCheck link_check_;
  WStringList links_;
  bool made_ = false;
  bool listed_ = false;
};

// The run's stamp as its folder's name: "2026-12-09 09.30.00" (local time).
WString RunFolderName(int64_t time);

}  // namespace sollux

#endif  // SOLLUX_MIRROR_VERSIONS_H_
