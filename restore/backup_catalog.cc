#include "restore/backup_catalog.h"

#include <algorithm>
#include <unordered_set>

#include "base/environment.h"
#include "base/folders.h"
#include "base/path.h"
#include "base/system_api.h"
#include "base/ui_text.h"
#include "base/win.h"
#include "mirror/check_rules.h"
#include "mirror/tree_listing.h"
#include "store/safe_path.h"

namespace sollux {

BackupCatalog::BackupCatalog(const WString& backup_folder, const WString& computer)
    : layout_(backup_folder, WithoutTrailingSeparator(NormalizeSeparators(backup_folder, L'\\')) +
                                 L"\\" + computer),
      records_(&layout_) {}

bool BackupCatalog::Load() {
  if (!layout_.Plain(layout_.versions_folder())) return false;
  names_ = records_.Runs();
  for (FolderRecord& record : records_.Folders()) {
    folders_[record.run].push_back(std::move(record));
  }
  if (names_.empty() || folders_.empty()) return false;
  for (const RunName& name : names_) runs_.push_back({name.Text(), true, {}, {}});
  std::unordered_set<WString> places;
  for (const auto& [run, folders] : folders_) {
    for (const FolderRecord& folder : folders) {
      if (places.insert(FileSystemUpperCase(folder.place)).second) ListPlace(folder.place);
    }
  }
  kept_.resize(runs_.size());
  for (size_t i = 0; i < runs_.size(); ++i) ReadRun(i);
  // A run that mirrored no folder of its own shows the folders of the next run that did.
  std::vector<BackedUpFolder> later;
  for (size_t i = runs_.size(); i-- > 0;) {
    const auto found = folders_.find(names_[i]);
    if (found != folders_.end()) {
      later.clear();
      for (const FolderRecord& record : found->second) later.push_back({record.original, record.place});
    }
    if (!later.empty()) AddBackup(i, later);
  }
  return !backups_.empty() || !not_exact_.empty();
}

void BackupCatalog::AddBackup(size_t index, const std::vector<BackedUpFolder>& folders) {
  if (!RebuiltExactly(index, runs_)) {
    for (size_t j = index + 1; j < runs_.size(); ++j) {
      if (runs_[j].complete) continue;
      not_exact_.insert(not_exact_.begin(), {names_[index], names_[j]});
      return;
    }
  }
  Backup backup{index, names_[index], {}, {}};
  for (const BackedUpFolder& folder : folders) {
    const bool missing = missing_places_.contains(FileSystemUpperCase(folder.place));
    (missing ? backup.not_offered : backup.folders).push_back(folder);
  }
  backups_.insert(backups_.begin(), std::move(backup));
}

// A backup folder that is missing, a link or unreadable leaves every backup of its folder
// unknown: named once, and not offered.
void BackupCatalog::ListPlace(const WString& place) {
  const WString path = layout_.PlacePath(place);
  const bool plain = layout_.Plain(path);
  if (plain && ProbeFolder(ListingForm(path)) == ListingState::kListed &&
      List(path, place, &mirror_)) {
    return;
  }
  missing_places_[FileSystemUpperCase(place)] = Say(Text::kRestoreFolderMissing, {path});
}

// A run is complete when its added list is there and holds as many files as its folder lines
// count. A run of an older Sollux that kept and added nothing made no folder; one whose folder
// lines carry counts always made one.
void BackupCatalog::ReadRun(size_t index) {
  RunRecord& run = runs_[index];
  const WString folder = layout_.RunFolder(names_[index]);
  const auto records = folders_.find(names_[index]);
  const bool counted = records != folders_.end() &&
                       std::any_of(records->second.begin(), records->second.end(),
                                   [](const FolderRecord& record) { return record.added; });
  if (!layout_.Plain(folder)) {
    run.complete = false;
    return;
  }
  if (ProbeFolder(ListingForm(folder)) == ListingState::kMissing) {
    run.complete = records != folders_.end() && !counted;
    return;
  }
  const std::optional<WStringList> added = records_.Added(names_[index]);
  run.complete = added.has_value();
  if (added) run.added = *added;
  if (counted) {
    uint64_t listed = 0;
    for (const FolderRecord& record : records->second) listed += record.added.value_or(0);
    if (listed != run.added.size()) run.complete = false;
  }
  std::vector<ListedEntry> entries;
  if (ListFolder(ListingForm(folder), &entries) != ListingState::kListed) run.complete = false;
  for (const ListedEntry& entry : entries) {
    // Files at the top are the run's records; the damaged copies are no state of the backup.
    if (!entry.IsFolder() || EqualsIgnoreCase(entry.name, kDamagedCopiesFolderName)) continue;
    if (!List(folder + L"\\" + entry.name, entry.name, &kept_[index])) run.complete = false;
  }
  for (const auto& [key, file] : kept_[index]) run.kept.push_back(file.path);
}

bool BackupCatalog::List(const WString& folder, const WString& below, Listing* listing) {
  if (!layout_.Plain(folder)) return false;
  bool plain = true;
  const WString top = ListingForm(folder);
  const WStringList unreadable =
      WalkTree(top, [&](const WString& relative, const ListedEntry& entry) {
        if (entry.IsReparsePoint()) {
          layout_.Plain(top + L"\\" + relative);  // named, not followed
          plain = false;
        } else if (!entry.IsFolder()) {
          const WString path = below + L"\\" + relative;
          (*listing)[FileSystemUpperCase(path)] = {path, entry.size, entry.write_time,
                                                   entry.attributes};
        }
      });
  return plain && unreadable.empty();
}

WStringList BackupCatalog::Notes() const {
  WStringList notes;
  for (const WString& link : layout_.links()) notes.push_back(Say(Text::kLinkNotFollowed, {link}));
  for (const WString& line : records_.skipped()) {
    notes.push_back(Say(Text::kRecordLineSkipped, {line}));
  }
  for (const auto& [place, line] : missing_places_) notes.push_back(line);
  return notes;
}

std::vector<HeldCopy> BackupCatalog::FilesAt(const Backup& backup,
                                             const BackedUpFolder& folder) const {
  WStringList mirror;
  mirror.reserve(mirror_.size());
  const WString prefix = FileSystemUpperCase(folder.place) + L"\\";
  for (const auto& [key, file] : mirror_) {
    if (key.starts_with(prefix)) mirror.push_back(file.path);
  }
  std::vector<HeldCopy> files;
  for (const HeldFile& held : StateAfter(backup.run, runs_, mirror)) {
    const WString key = FileSystemUpperCase(held.path);
    if (!key.starts_with(prefix)) continue;
    const bool in_mirror = held.version_run == kInMirror;
    const Listing& listing = in_mirror ? mirror_ : kept_[held.version_run];
    const auto found = listing.find(key);
    if (found == listing.end()) continue;
    const WString root = in_mirror ? layout_.backup_folder()
                                   : layout_.RunFolder(names_[held.version_run]);
    files.push_back({root + L"\\" + found->second.path, held.path.substr(prefix.size()),
                     found->second.size, found->second.write_time, found->second.attributes});
  }
  std::sort(files.begin(), files.end(),
            [](const HeldCopy& a, const HeldCopy& b) { return a.relative < b.relative; });
  return files;
}

std::vector<BackupLocation> BackupLocations(WStringList* links) {
  std::vector<BackupLocation> locations;
  WStringList roots = ReadyRemovableDrives();
  const size_t sticks = roots.size();
  roots.push_back(ScratchSubfolder(L""));
  for (size_t i = 0; i < roots.size(); ++i) {
    const WString folder =
        WithTrailingSeparator(NormalizeSeparators(roots[i], L'\\')) + kBackupFolderName;
    const DWORD attributes = Sys().GetFileAttributesW(OpenablePath(folder).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
      continue;
    }
    if (!LinkCheck(folder).Plain(folder)) {
      links->push_back(folder);
      continue;
    }
    locations.push_back({folder, i < sticks});
  }
  return locations;
}

WStringList BackedUpComputers(const WString& backup_folder, const WString& first) {
  std::vector<ListedEntry> entries;
  ListFolder(ListingForm(backup_folder), &entries);
  WStringList computers;
  for (const ListedEntry& entry : entries) {
    // A versions folder that is a link is the catalog's to name.
    const WString versions = backup_folder + L"\\" + entry.name + L"\\" + kVersionsFolderName;
    if (!entry.IsFolder() || entry.IsReparsePoint() || !IsSafeName(entry.name) ||
        Sys().GetFileAttributesW(OpenablePath(versions).c_str()) == INVALID_FILE_ATTRIBUTES) {
      continue;
    }
    const bool mine = EqualsIgnoreCase(entry.name, first);
    computers.insert(mine ? computers.begin() : computers.end(), entry.name);
  }
  return computers;
}

}  // namespace sollux
