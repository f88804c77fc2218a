// What one computer's backup on a stick holds at each of its runs, read from the stick alone:
// the run list, the folders each run mirrored, every run's versions and added list, and the
// mirror. Nothing on the stick is written.
#ifndef SOLLUX_RESTORE_BACKUP_CATALOG_H_
#define SOLLUX_RESTORE_BACKUP_CATALOG_H_

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "base/wstring.h"
#include "mirror/backup_state.h"

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
};

// One backup that can be rebuilt: the state after run `run`.
struct Backup {
  size_t run = 0;
  WString name;   // "2026-12-09 09.31.00"
  WString counts; // the history's counts of the run, "" when it has none
  std::vector<BackedUpFolder> folders;
};

class BackupCatalog {
 public:
  // `backup_folder` is E:\_Backup_, `computer` a folder's name in it.
  BackupCatalog(const WString& backup_folder, const WString& computer);

  // Reads the records and lists the copies; false when the computer has no backup there.
  bool Load();
  // The backups that can be rebuilt exactly, oldest first.
  const std::vector<Backup>& backups() const { return backups_; }
  // The runs that cannot be rebuilt exactly, with the later run whose record is missing.
  const std::vector<std::pair<WString, WString>>& not_exact() const { return not_exact_; }
  // The files of `folder` as `backup` left them.
  std::vector<HeldCopy> FilesAt(const Backup& backup, const BackedUpFolder& folder) const;

 private:
  struct Listed {
    WString path;  // below _Backup_
    uint64_t size = 0;
    uint64_t write_time = 0;
  };
  using Listing = std::unordered_map<WString, Listed>;  // by upper-cased path
  void ReadRuns();
  void ReadFolders();
  void ReadHistory();
  void ReadRun(size_t index, const WString& folder);
  void List(const WString& top, const WString& below, Listing* listing) const;

  WString backup_folder_;
  WString computer_;
  WString versions_folder_;
  std::vector<RunRecord> runs_;
  std::vector<Listing> kept_;  // per run
  std::unordered_map<WString, std::vector<BackedUpFolder>> folders_;  // by run name
  std::unordered_map<WString, WString> counts_;                       // by run name
  Listing mirror_;
  std::vector<Backup> backups_;
  std::vector<std::pair<WString, WString>> not_exact_;
};

// The _Backup_ folders on the removable drives, then the one in the scratch folder, as far as
// they exist.
WStringList BackupFolders();
// The computers backed up in `backup_folder`, `first` (this computer) first when it is there.
WStringList BackedUpComputers(const WString& backup_folder, const WString& first);

}  // namespace sollux

#endif  // SOLLUX_RESTORE_BACKUP_CATALOG_H_
