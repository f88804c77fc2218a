// What a backup run does around its batch file so that nothing the mirror removes is lost: one
// run at a time (the lock), the look before the copying, the versions, the room on the stick,
// the lines said before the copying, and the move back of a replaced file whose new copy did
// not arrive.
#ifndef SOLLUX_JOB_JOB_LOOK_H_
#define SOLLUX_JOB_JOB_LOOK_H_

#include <cstdint>
#include <map>
#include <memory>
#include <unordered_set>
#include <vector>

#include "base/wstring.h"
#include "job/backup_job.h"
#include "mirror/backup_lock.h"
#include "mirror/mirror_look.h"
#include "mirror/versions.h"
#include "store/backup_records.h"
#include "store/stick_layout.h"

namespace sollux {

struct VolumeSpace;

// What the report and the history get from the look.
struct LookReport {
  WStringList lines;  // the report's part, without line ends
  uint64_t files_kept = 0;
  bool large_change = false;
  // Folders whose robocopy line was left out since their backup folder, or the backup's
  // records, lie behind a link, or since the run could not be recorded.
  uint64_t folders_left_out = 0;
  // A record that a restore needs could not be written: a backup cannot be rebuilt exactly.
  bool records_failed = false;
  // What the console was told before the copying, for the end of the run to say again; the
  // large changes apart, which the end says last.
  WStringList warnings;
  WStringList large_change_lines;
  // The files that robocopy copies, below the source, by the command line's destination.
  std::map<WString, std::unordered_set<WString>> copied;
};

class MirrorGuard {
 public:
  // `backup_folder` is the job's destination (E:\_Backup_), `computer_folder` the computer's
  // folder in it.
  MirrorGuard(const BackupJob& job, const WString& backup_folder, const WString& computer_folder);
  MirrorGuard(const MirrorGuard&) = delete;
  MirrorGuard& operator=(const MirrorGuard&) = delete;

  // False when another run holds the lock, or a folder or link is in its place: then it has
  // said so, and the run must do nothing. No lock is taken through a link on the way to the
  // backup's records, and nothing is mirrored then.
  bool Lock();
  // The look, the versions and the room, with their console lines.
  void BeforeCopying();
  // After the batch file ran (or, with `ran` false, never ran): replaced files whose copy did
  // not arrive go back; when nothing ran, everything goes back.
  void AfterCopying(bool ran);
  const LookReport& report() const { return report_; }
  // The command lines to leave out of the batch file: a backup folder behind a link, which
  // robocopy would write through, a large change that could not be kept as versions, and every
  // line when the backup's records lie behind a link or the run could not be listed.
  std::vector<CommandFolders> LeftOut() const;
  // Moves a copy that read back wrong into this run's versions; false when it cannot.
  bool KeepDamaged(const WString& destination, const WString& relative);
  StickLayout& layout() { return layout_; }
  BackupRecords& records() { return records_; }
  // The backup goes to the PC's own disk, which must keep room for Windows and its programs.
  void SetOwnDisk() { own_disk_ = true; }
  // The copy would leave the PC's own disk too full: the batch file must not run.
  bool refused() const { return refused_; }

 private:
  struct Folder {
    FolderLook look;
    FolderVersions kept;
    WString link;           // the link on the way to the backup folder, if any
    bool left_out = false;  // not mirrored
  };
  void LookAt(const CommandFolders& folders, const VolumeFacts& volume);
  void KeepVersions(Folder* folder);
  bool VersionsAllowed(const CommandFolders& folders) const;
  void MakeRoom(VolumeSpace* space);
  void SayBefore(const Folder& folder);
  void SayLeftOut(const Folder& folder);
  void SayLinks();
  // A line on the console (its error stream with `error`), kept for the end of the run.
  void Warn(const WString& line, bool error = false);
  void SayRecordsFailed(const WStringList& paths);
  void SayBlocked();
  static void SayTrouble(const Folder& folder, WStringList* console, WStringList* lines);
  static void ReportLists(const FolderLook& look, WStringList* lines);
  void SayRoom(uint64_t shortfall, const WString& drive, uint64_t available);

  const BackupJob& job_;
  const WString backup_folder_;
  const WString computer_folder_;
  StickLayout layout_;
  BackupRecords records_;
  // The link on the way to the backup's records, or the run list that could not be written:
  // nothing is mirrored.
  WString blocked_;
  bool unlisted_ = false;
  size_t links_said_ = 0;
  size_t skipped_said_ = 0;
  std::unique_ptr<BackupLock> lock_;
  std::unique_ptr<VersionStore> store_;
  std::vector<Folder> folders_;
  bool keep_versions_ = false;
  bool own_disk_ = false;
  bool refused_ = false;
  LookReport report_;
};

}  // namespace sollux

#endif  // SOLLUX_JOB_JOB_LOOK_H_
