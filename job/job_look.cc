#include "job/job_look.h"

#include <algorithm>

#include "base/console.h"
#include "base/messages.h"
#include "base/path.h"
#include "base/system_api.h"
#include "base/text.h"
#include "mirror/backup_report.h"

namespace sollux {
namespace {

// Names shown on the console for one list; the report names up to kNamedProblemLimit.
constexpr size_t kConsoleNames = 3;
constexpr size_t kConsoleNotKept = 5;
constexpr uint64_t kMarginPercent = 1;
constexpr uint64_t kOwnDiskKeptFree = uint64_t{2} << 30;

void AddNamed(WStringList* lines, const WStringList& names, uint64_t total) {
  for (const WString& name : names) lines->push_back(L"  " + name);
  if (total > names.size())
    lines->push_back(Say(Text::kReportMore, {CountText(total - names.size())}));
}

}  // namespace

// What the look needs to know of the stick's volume, asked once; the free space is asked after
// the moves and again as each old run goes.
struct VolumeSpace {
  VolumeFacts facts;
  WString root;   // "E:\\"
  WString drive;  // "E:"
  uint64_t available = 0;
  uint64_t total = 0;
  bool known = false;

  explicit VolumeSpace(const WString& folder) {
    wchar_t path[MAX_PATH + 1] = {};
    if (!Sys().GetVolumePathNameW(folder.c_str(), path, MAX_PATH + 1)) return;
    root = path;
    drive = WithoutTrailingSeparator(root);
    DWORD sectors = 0, bytes = 0, free_clusters = 0, clusters = 0;
    if (Sys().GetDiskFreeSpaceW(path, &sectors, &bytes, &free_clusters, &clusters)) {
      facts.cluster_size = uint64_t{sectors} * bytes;
    }
    wchar_t name[MAX_PATH + 1] = {};
    if (Sys().GetVolumeFileSystemW(path, name, MAX_PATH + 1)) {
      const WString system = name;
      facts.fat32 = EqualsIgnoreCase(system, L"FAT32") || EqualsIgnoreCase(system, L"FAT");
      facts.fat_times = facts.fat32 || EqualsIgnoreCase(system, L"exFAT");
    }
  }

  void AskFreeSpace() {
    if (root.empty()) return;
    ULARGE_INTEGER free_to_caller = {}, size = {}, free = {};
    known = Sys().GetDiskFreeSpaceExW(root.c_str(), &free_to_caller, &size, &free) != FALSE;
    available = free_to_caller.QuadPart;
    total = size.QuadPart;
  }
};

MirrorGuard::MirrorGuard(const BackupJob& job, const WString& backup_folder,
                         const WString& computer_folder)
    : job_(job),
      backup_folder_(NormalizeSeparators(backup_folder, L'\\')),
      computer_folder_(computer_folder),
      layout_(backup_folder_, computer_folder_),
      records_(&layout_) {}

bool MirrorGuard::Lock() {
  // Whatever goes into the versions or the records would go wherever such a link leads.
  blocked_ = layout_.FirstLink(layout_.versions_folder());
  if (!blocked_.empty()) return true;
  lock_ = std::make_unique<BackupLock>(layout_);
  if (lock_->state() == BackupLock::State::kBusy) {
    Warn(Say(Text::kAnotherRunActive, {backup_folder_}), true);
    return false;
  }
  if (lock_->state() == BackupLock::State::kNotALock) {
    Warn(Say(Text::kNotALock, {lock_->obstacle()}), true);
    return false;
  }
  keep_versions_ = lock_->state() == BackupLock::State::kHeld;
  if (!keep_versions_) {
    const WString line = Say(Text::kLockFailed, {lock_->path(), std::to_wstring(lock_->error())});
    Warn(line, true);
    report_.lines.push_back(line);
  }
  return true;
}

void MirrorGuard::BeforeCopying() {
  ExposeCloudPlaceholders();
  VolumeSpace space(computer_folder_);
  store_ = std::make_unique<VersionStore>(&layout_, &records_, Sys().CurrentTime());
  // A run that is not listed could change the mirror unbeknown to a restore.
  unlisted_ = blocked_.empty() && keep_versions_ && !store_->Begin();
  for (const CommandFolders& folders : job_.ScriptFolders()) {
    if (UnnamableFolders({folders}).empty()) LookAt(folders, space.facts);
  }
  if (!blocked_.empty() || unlisted_) return SayBlocked();
  for (Folder& folder : folders_) KeepVersions(&folder);
  MakeRoom(&space);
  if (keep_versions_) {
    std::vector<const FolderLook*> mirrored;
    for (const Folder& folder : folders_) {
      if (!folder.left_out && folder.link.empty()) mirrored.push_back(&folder.look);
    }
    SayRecordsFailed(store_->RecordRun(mirrored));
  }
  SayLinks();
}

// Nothing is mirrored: every line is left out, and the reason is said once.
void MirrorGuard::SayBlocked() {
  for (Folder& folder : folders_) folder.left_out = true;
  report_.folders_left_out += folders_.size();
  const WString line =
      unlisted_ ? Say(Text::kRunNotListed, {layout_.VersionsFile(kRunListFileName)})
                : Say(Text::kRecordsBehindLink, {blocked_});
  ClearProgress();
  Warn(line);
  report_.lines.insert(report_.lines.end(), {L"", line});
}

// A record that a restore needs and that could not be written, each on a line of its own.
void MirrorGuard::SayRecordsFailed(const WStringList& paths) {
  SayLinks();
  for (const WString& path : paths) {
    const WString line = Say(Text::kRecordNotWritten, {path});
    Warn(line, true);
    report_.lines.push_back(line);
    report_.records_failed = true;
  }
}

void MirrorGuard::LookAt(const CommandFolders& folders, const VolumeFacts& volume) {
  const LookProgress progress = [&folders](uint64_t files) {
    ShowProgress(Say(Text::kLooking, {folders.source, FileCountText(files)}));
  };
  Folder folder;
  // Nothing is moved out of a backup folder behind a link: it lies elsewhere.
  folder.link = blocked_.empty() ? layout_.FirstLink(folders.destination) : blocked_;
  if (!folder.link.empty() || unlisted_) {
    folder.look.source = folders.source;
    folder.look.destination = folders.destination;
    folders_.push_back(std::move(folder));
    return;
  }
  folder.look = LookAtFolder(folders.source, folders.destination, job_.CheckRulesFor(folders),
                             volume, progress);
  ClearProgress();
  report_.large_change = report_.large_change || folder.look.LargeChange();
  report_.copied[folders.destination] = std::move(folder.look.copied);
  folders_.push_back(std::move(folder));
}

// The versions folder must never lie inside, or hold, a folder that a line mirrors.
bool MirrorGuard::VersionsAllowed(const CommandFolders& folders) const {
  const WString versions = store_->versions_folder();
  for (const WString& folder : {folders.source, folders.destination}) {
    if (IsWithin(folder, versions) || IsWithin(versions, folder)) return false;
  }
  return true;
}

void MirrorGuard::KeepVersions(Folder* folder) {
  if (!folder->link.empty()) return SayLeftOut(*folder);
  const bool allowed = VersionsAllowed({folder->look.source, folder->look.destination});
  if (keep_versions_ && allowed) folder->kept = store_->Keep(folder->look);
  if (!keep_versions_ || !allowed) {
    for (const DoomedEntry& entry : folder->look.doomed) {
      folder->kept.not_kept += entry.files;
      if (folder->kept.not_kept_names.size() < kNamedProblemLimit) {
        folder->kept.not_kept_names.push_back(
            JoinedPath(WithoutTrailingSeparator(folder->look.destination), entry.relative_path));
      }
    }
  }
  // A large change whose files could not all be kept is not mirrored: what was moved goes back.
  if (folder->look.LargeChange() && folder->kept.not_kept != 0) {
    if (keep_versions_ && allowed) store_->PutBack(folder->look);
    folder->left_out = true;
    return SayLeftOut(*folder);
  }
  report_.files_kept += folder->kept.files_kept;
  SayBefore(*folder);
}

void MirrorGuard::SayLeftOut(const Folder& folder) {
  const FolderLook& look = folder.look;
  const WString line = folder.link.empty()
                           ? SayCounted(Text::kNotMirrored, look.files_purged + look.files_replaced)
                           : Say(Text::kBackupFolderIsLink, {folder.link});
  if (!folder.link.empty()) ++report_.folders_left_out;
  ClearProgress();
  Warn(look.source + L": " + line);
  report_.lines.insert(report_.lines.end(),
                       {L"", Say(Text::kReportBeforeCopying, {look.source}), line});
}

// Links found where the versions would have changed something, each said once, and the lines
// of the records skipped.
void MirrorGuard::SayLinks() {
  if (!store_) return;
  WStringList lines;
  for (; links_said_ < layout_.links().size(); ++links_said_) {
    lines.push_back(Say(Text::kLinkNotFollowed, {layout_.links()[links_said_]}));
  }
  // Lines of the records that Sollux did not write, as the restore names them.
  for (; skipped_said_ < records_.skipped().size(); ++skipped_said_) {
    lines.push_back(Say(Text::kRecordLineSkipped, {records_.skipped()[skipped_said_]}));
  }
  for (const WString& line : lines) Warn(line);
  report_.lines.insert(report_.lines.end(), lines.begin(), lines.end());
}

bool MirrorGuard::KeepDamaged(const WString& destination, const WString& relative) {
  if (!keep_versions_ || !store_) return false;
  const bool kept = store_->KeepDamaged(destination, relative);
  SayLinks();
  return kept;
}

std::vector<CommandFolders> MirrorGuard::LeftOut() const {
  std::vector<CommandFolders> left_out;
  for (const Folder& folder : folders_) {
    if (folder.left_out || !folder.link.empty()) {
      left_out.push_back({folder.look.source, folder.look.destination});
    }
  }
  return left_out;
}

// One console line per folder that has something to say (what was kept, left out for its size,
// or is online only), a large change and each file not kept on lines of their own; the
// report's block names the first files of each list.
void MirrorGuard::SayBefore(const Folder& folder) {
  const FolderLook& look = folder.look;
  const FolderVersions& kept = folder.kept;
  const WString& source = look.source;
  const WString run = store_->run_folder();
  WStringList parts, console, lines = {L"", Say(Text::kReportBeforeCopying, {source})};
  if (kept.files_kept != 0) {
    parts.push_back(Say(Text::kKeptAsVersions, {FileCountText(kept.files_kept), run}));
    lines.push_back(Say(Text::kReportKept, {FileCountText(kept.files_kept), run}));
    AddNamed(&lines, kept.kept_names, kept.kept_names.size());
  }
  if (look.too_large != 0) {
    parts.push_back(Say(Text::kLeftOutForSize,
                        {FileCountText(look.too_large),
                         FirstNames(look.too_large_names, look.too_large, kConsoleNames)}));
  }
  if (look.online_only != 0) {
    parts.push_back(Say(Text::kOnlineOnly,
                        {FileCountText(look.online_only), SizeText(look.online_only_bytes)}));
  }
  if (!parts.empty()) console.push_back(source + L": " + JoinWithText(parts, L"; "));
  WString large_change;
  if (look.LargeChange()) {
    const WString line =
        Say(Text::kLargeChange, {CountText(look.files_purged + look.files_replaced),
                                 FileCountText(look.backup_files), run});
    large_change = source + L": " + line;
    lines.push_back(line);
  }
  SayTrouble(folder, &console, &lines);
  ReportLists(look, &lines);
  ClearProgress();
  for (const WString& line : console) Warn(line);
  // Said last at the end of the run, right before the line that says what it means.
  if (!large_change.empty()) {
    OutputLine(large_change);
    report_.large_change_lines.push_back(large_change);
  }
  if (lines.size() > 2) report_.lines.insert(report_.lines.end(), lines.begin(), lines.end());
}

// What could not be kept, on the console and in the report.
void MirrorGuard::SayTrouble(const Folder& folder, WStringList* console, WStringList* lines) {
  const WString& source = folder.look.source;
  const FolderVersions& kept = folder.kept;
  for (size_t i = 0; i < kept.not_kept_names.size(); ++i) {
    const WString line = Say(Text::kNotKept, {kept.not_kept_names[i]});
    if (i < kConsoleNotKept) console->push_back(source + L": " + line);
    lines->push_back(line);
  }
  if (kept.not_kept > kept.not_kept_names.size()) {
    lines->push_back(
        Say(Text::kMoreNotKept, {CountText(kept.not_kept - kept.not_kept_names.size())}));
  }
  if (kept.stopped) {
    console->push_back(source + L": " + Say(Text::kStickStopped));
    lines->push_back(Say(Text::kStickStopped));
  }
  // A tree that stopped answering, or a top folder that could not be read, may answer robocopy
  // a moment later: what the look did not see, the mirror may delete without a version.
  const TreeOutcome& outcome = folder.look.outcome;
  if (!outcome.finished || outcome.source_state == TreeState::kUnreadable ||
      outcome.destination_state == TreeState::kUnreadable) {
    console->push_back(source + L": " + Say(Text::kLookIncomplete));
    lines->push_back(Say(Text::kLookIncomplete));
  }
  const WStringList& unread = folder.look.unreadable_destination;
  if (!unread.empty()) {
    const WString line = SayCounted(Text::kBackupFoldersUnreadable, unread.size());
    console->push_back(source + L": " + line);
    lines->push_back(line + L":");
    AddNamed(lines, unread, unread.size());
  }
}

void MirrorGuard::ReportLists(const FolderLook& look, WStringList* lines) {
  if (look.too_large != 0) {
    lines->push_back(Say(Text::kReportLeftOut, {FileCountText(look.too_large)}));
    AddNamed(lines, look.too_large_names, look.too_large);
  }
  if (look.online_only != 0) {
    lines->push_back(Say(Text::kReportOnlineOnly,
                         {FileCountText(look.online_only), SizeText(look.online_only_bytes)}));
    AddNamed(lines, look.online_only_names, look.online_only);
  }
  if (look.clock_shifts != 0) {
    lines->push_back(Say(Text::kReportClockShifts, {FileCountText(look.clock_shifts)}));
  }
}

// Old runs' versions go, oldest first, until the copies fit; never in a run with a large
// change, whose old versions may hold the only good copies.
void MirrorGuard::MakeRoom(VolumeSpace* volume) {
  VolumeSpace& space = *volume;
  space.AskFreeSpace();
  if (!space.known) return;
  // A stick may be filled; the PC's own disk keeps a tenth, and at least 2 GB, free.
  const uint64_t kept_free = own_disk_ ? std::max(space.total / 10, kOwnDiskKeptFree)
                                       : space.total / 100 * kMarginPercent;
  uint64_t copied = 0;
  for (const Folder& folder : folders_) {
    if (!folder.left_out) copied += folder.look.room_needed;
  }
  const uint64_t needed = copied + kept_free;
  if (!report_.large_change) {
    for (const RunName& run : store_->EarlierRuns()) {
      if (space.available >= needed) break;
      const uint64_t files = store_->DeleteRun(run);
      const WString line =
          Say(Text::kOldVersionsDeleted, {layout_.RunFolder(run), FileCountText(files)});
      Warn(line);
      report_.lines.push_back(line);
      space.AskFreeSpace();
    }
  }
  if (space.available >= needed) return;
  if (!own_disk_) return SayRoom(needed - space.available, space.drive, space.available);
  refused_ = true;
  const WString line = Say(Text::kOwnDiskFull, {SizeText(copied), space.drive,
                                                SizeText(space.available), SizeText(kept_free)});
  Warn(line);
  report_.lines.push_back(line);
}

void MirrorGuard::SayRoom(uint64_t shortfall, const WString& drive, uint64_t available) {
  const WString line = Say(Text::kNoRoom, {SizeText(shortfall), drive, SizeText(available)});
  Warn(line);
  report_.lines.push_back(line);
}

// Said now, and again at the end of the run, where it does not scroll away.
void MirrorGuard::Warn(const WString& line, bool error) {
  if (error) {
    ErrorLine(line);
  } else {
    OutputLine(line);
  }
  report_.warnings.push_back(line);
}

void MirrorGuard::AfterCopying(bool ran) {
  if (!store_) return;
  for (Folder& folder : folders_) {
    if (folder.left_out || !folder.link.empty()) continue;
    // What went back is no longer among the versions.
    if (ran) {
      report_.files_kept -= store_->RestoreMissing(folder.look, folder.kept);
    } else {
      store_->PutBack(folder.look);
      report_.files_kept = 0;
    }
  }
  if (!ran && keep_versions_ && !unlisted_) SayRecordsFailed(store_->RecordNothingAdded());
  SayLinks();
}

}  // namespace sollux
