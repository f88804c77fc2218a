// What one computer's backup on a stick holds at each of its runs, read from the stick alone:
// the run list, the folders each run mirrored, every run's versions and added list, and the
// mirror, all through the stick's records (store/). Nothing on the stick is written, and no link
// on it is followed: what cannot be read as Sollux wrote it is named, and a backup or folder
// that it leaves inexact is not offered.
#ifndef SOLLUX_RESTORE_BACKUP_CATALOG_H_
#define SOLLUX_RESTORE_BACKUP_CATALOG_H_

#include <cstdint>
#include <map>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "base/win.h"
#include "base/wstring.h"
#include "mirror/backup_state.h"
#include "store/backup_records.h"
#include "store/run_name.h"
#include "store/stick_layout.h"

namespace sollux {

// A folder as a run mirrored it.
struct BackedUpFolder {
  WString original;  // C:\Users\anna\Documents
  WString place;     // its backup folder below _Backup_: PC01\C\Users\anna\Documents
};

// One file of a folder as a backup left it.
struct HeldCopy {
  WString stick_path;  // where its bytes are now
  WString relative;    // below its folder
  uint64_t size = 0;
  uint64_t write_time = 0;
  DWORD attributes = 0;
};

// One backup that can be rebuilt: the state after run `run`.
struct Backup {
  size_t run = 0;
  RunName name;
  std::vector<BackedUpFolder> folders;
  // Folders of the backup whose backup folder is missing, unreadable or behind a link: what
  // they held cannot be told, and they are not offered.
  std::vector<BackedUpFolder> not_offered;
};

// A version of a file: its bytes on the stick, and the backups that held it.
struct FileVersion {
  HeldCopy copy;
  std::vector<size_t> backups;  // indexes into backups(), newest first
};

// A file found by its name in the backups, with each of its versions, newest first.
struct FoundFile {
  BackedUpFolder folder;  // as the newest backup that holds it names it
  WString relative;       // below the folder
  std::vector<FileVersion> versions;
};

class NamePattern;

class BackupCatalog {
 public:
  // `backup_folder` is E:\_Backup_, `computer` a folder's name in it.
  BackupCatalog(const WString& backup_folder, const WString& computer);

  // Reads the records and lists the copies; false when the computer has no backup there.
  bool Load();
  // The backups that can be rebuilt exactly, oldest first.
  const std::vector<Backup>& backups() const { return backups_; }
  // The runs that cannot be rebuilt exactly, with the later run whose record is missing.
  const std::vector<std::pair<RunName, RunName>>& not_exact() const { return not_exact_; }
  // What was not taken as found, a line each for the user: links, lines of records that
  // Sollux did not write, backup folders that are missing or unreadable.
  WStringList Notes() const;
  // The files of `folder` as `backup` left them.
  std::vector<HeldCopy> FilesAt(const Backup& backup, const BackedUpFolder& folder) const;
  // Every file whose name matches, in every backup that can be rebuilt, by its path.
  std::vector<FoundFile> Find(const NamePattern& pattern) const;

 private:
  struct Listed {
    WString path;  // below _Backup_
    uint64_t size = 0;
    uint64_t write_time = 0;
    DWORD attributes = 0;
  };
  using Listing = std::unordered_map<WString, Listed>;  // by upper-cased path
  void ListPlace(const WString& place);
  void ReadRun(size_t index);
  // The files below `folder` (its place below _Backup_ is `below`); false when a link lies
  // inside or a folder could not be read to the end.
  bool List(const WString& folder, const WString& below, Listing* listing);
  void AddBackup(size_t index, const std::vector<BackedUpFolder>& folders);
  // Where the file `key` (an upper-cased path below _Backup_) was after each run: the run whose
  // versions hold it, kInMirror, or kNowhere; `added` the matching files each run added.
  std::vector<size_t> HoldersOf(const WString& key,
                                const std::vector<std::unordered_set<WString>>& added) const;
  HeldCopy CopyOf(const WString& key, size_t holder, const WString& place) const;

  StickLayout layout_;
  BackupRecords records_;
  std::vector<RunRecord> runs_;
  std::vector<RunName> names_;  // of runs_
  std::vector<Listing> kept_;   // per run
  std::map<RunName, std::vector<FolderRecord>> folders_;
  Listing mirror_;
  std::map<WString, WString> missing_places_;  // by upper-cased place: the line said
  std::vector<Backup> backups_;
  std::vector<std::pair<RunName, RunName>> not_exact_;
};

// Where backups are found: the _Backup_ folders on the removable drives, then the one in the
// scratch folder, as far as they exist.
struct BackupLocation {
  WString folder;  // E:\_Backup_
  bool on_stick = false;
};
// `links` gets each _Backup_ folder that is a link, which is not followed.
std::vector<BackupLocation> BackupLocations(WStringList* links);
// The computers backed up in `backup_folder`, `first` (this computer) first when it is there.
WStringList BackedUpComputers(const WString& backup_folder, const WString& first);

}  // namespace sollux

#endif  // SOLLUX_RESTORE_BACKUP_CATALOG_H_
