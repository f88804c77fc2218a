#include "mirror/versions.h"

#include <algorithm>

#include "base/file_system.h"
#include "base/path.h"
#include "base/system_api.h"
#include "mirror/backup_check.h"
#include "mirror/tree_listing.h"
#include "store/safe_path.h"

namespace sollux {
namespace {

// Windows' own moves, with neither copying nor replacing: a rename on the stick.
constexpr DWORD kRenameOnly = 0;

bool Exists(const WString& path) {
  return Sys().GetFileAttributesW(OpenablePath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Equal as robocopy's /fft compares them; false when either is missing.
bool SameFiles(const WString& a, const WString& b) {
  const std::optional<ListedEntry> x = EntryAt(a), y = EntryAt(b);
  return x && y && SameFile(*x, *y);
}

}  // namespace

VersionStore::VersionStore(StickLayout* layout, BackupRecords* records, int64_t time)
    : layout_(*layout), records_(*records), run_(NextRunName(time, records->Runs())) {
  // A run whose folder is there but which the list lacks (its line was lost) keeps its folder.
  while (Exists(layout_.RunFolder(run_)) && run_.number < kLastRunNumber) ++run_.number;
  run_folder_ = layout_.RunFolder(run_);
}

bool VersionStore::Begin() {
  if (!Plain(run_folder_) || !CreateLongFolderChain(layout_.versions_folder()) ||
      !records_.AddRun(run_)) {
    return false;
  }
  begun_ = CreateLongFolderChain(run_folder_);
  return true;
}

WStringList VersionStore::RecordRun(const std::vector<const FolderLook*>& looks) {
  WStringList added, failed;
  std::vector<FolderRecord> folders;
  for (const FolderLook* look : looks) {
    const WString destination = WithoutTrailingSeparator(look->destination);
    for (const WString& relative : look->added) {
      added.push_back(KeptPath(destination, relative).substr(run_folder_.size() + 1));
    }
    const WString place = layout_.PlaceOf(destination);
    if (!place.empty()) {
      folders.push_back({run_, CanonicalFolder(WithoutTrailingSeparatorBelowRoot(look->source)),
                         place, look->added.size()});
    }
  }
  if (!begun_ || !records_.WriteAdded(run_, added)) {
    failed.push_back(run_folder_ + L"\\" + kAddedListFileName);
  }
  if (!records_.AddFolders(folders)) failed.push_back(layout_.VersionsFile(kFolderListFileName));
  return failed;
}

WStringList VersionStore::RecordNothingAdded() {
  if (begun_ && records_.WriteAdded(run_, {})) return {};
  return {run_folder_ + L"\\" + kAddedListFileName};
}

// E:\_Backup_\PC01\C\Users\anna\Documents and plan.xlsx:
// <run>\PC01\C\Users\anna\Documents\plan.xlsx
WString VersionStore::KeptPath(const WString& destination, const WString& relative) const {
  const WString full = JoinedPath(WithoutTrailingSeparator(destination), relative);
  WString below = layout_.PlaceOf(full);
  // Not below the backup folder.
  if (below.empty()) below = JoinWithChar(SplitText(full, L":"), L'\\');
  return run_folder_ + L"\\" + below;
}

// Neither the entry nor the folder it goes to may lie behind a link: a move through one would
// take the entry off the stick. The folder is asked right before the move; within one Keep,
// whose moves into one folder follow each other at once, once for them all.
bool VersionStore::Move(const WString& from, const WString& to) {
  const WString folder = DirectoryPart(to);
  if (!Plain(from)) return false;
  if (folder != checked_folder_) {
    if (!Plain(folder) || !CreateLongFolderChain(folder)) return false;
    checked_folder_ = keeping_ ? folder : WString();
  }
  return Sys().MoveFileExW(OpenablePath(from).c_str(), OpenablePath(to).c_str(), kRenameOnly) !=
         FALSE;
}

void VersionStore::NotKept(const WString& path, uint64_t files, FolderVersions* result) {
  result->not_kept += files;
  if (result->not_kept_names.size() < kNamedProblemLimit) result->not_kept_names.push_back(path);
  if (!Exists(layout_.versions_folder())) result->stopped = true;
}

// A folder that cannot move whole (a file inside is open) moves entry by entry; a junction
// that cannot is not entered, since what it shows lies elsewhere, maybe outside any mirror.
void VersionStore::MoveTree(const WString& from, const WString& to, FolderVersions* result) {
  const DWORD attributes = Sys().GetFileAttributesW(OpenablePath(from).c_str());
  std::vector<ListedEntry> entries;
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 ||
      ListFolder(ListingForm(from), &entries) != ListingState::kListed) {
    return NotKept(from, 1, result);
  }
  for (const ListedEntry& entry : entries) {
    if (result->stopped) return;
    const WString source = from + L"\\" + entry.name, target = to + L"\\" + entry.name;
    const uint64_t files = entry.IsFolder() ? CountFilesBelow(ListingForm(source)) : 1;
    if (Move(source, target)) {
      result->files_kept += files;
    } else if (entry.IsFolder()) {
      MoveTree(source, target, result);
    } else {
      NotKept(source, 1, result);
    }
  }
  Sys().RemoveDirectoryW(OpenablePath(from).c_str());
}

FolderVersions VersionStore::Keep(const FolderLook& look) {
  keeping_ = true;
  FolderVersions result = KeepEntries(look);
  keeping_ = false;
  checked_folder_.clear();
  return result;
}

FolderVersions VersionStore::KeepEntries(const FolderLook& look) {
  FolderVersions result;
  for (const DoomedEntry& entry : look.doomed) {
    if (result.stopped) break;
    const WString from =
        JoinedPath(WithoutTrailingSeparator(look.destination), entry.relative_path);
    if (!begun_) {
      NotKept(from, entry.files, &result);
      continue;
    }
    const WString to = KeptPath(look.destination, entry.relative_path);
    if (Move(from, to)) {
      result.files_kept += entry.files;
      if (result.kept_names.size() < kNamedProblemLimit) {
        result.kept_names.push_back(entry.relative_path);
      }
      if (entry.replaced) result.replaced_kept.push_back(entry.relative_path);
    } else if (entry.folder) {
      MoveTree(from, to, &result);
    } else {
      NotKept(from, entry.files, &result);
    }
  }
  return result;
}

uint64_t VersionStore::RestoreMissing(const FolderLook& look, const FolderVersions& kept) {
  uint64_t restored = 0;
  for (const WString& relative : kept.replaced_kept) {
    const WString place = JoinedPath(WithoutTrailingSeparator(look.destination), relative);
    const WString kept_path = KeptPath(look.destination, relative);
    const WString source = JoinedPath(WithoutTrailingSeparator(look.source), relative);
    if (!Exists(kept_path) || !Exists(source) || SameFiles(source, place)) continue;
    // No copy, or a partial or stale one (the stick full, the file held open).
    if (!Plain(place) || !Plain(kept_path)) continue;
    Sys().SetFileAttributesW(OpenablePath(place).c_str(), FILE_ATTRIBUTE_NORMAL);
    Sys().DeleteFileW(OpenablePath(place).c_str());
    if (Sys().MoveFileExW(OpenablePath(kept_path).c_str(), OpenablePath(place).c_str(),
                          kRenameOnly)) {
      ++restored;
    }
  }
  return restored;
}

// A folder that moved entry by entry left a part of itself in place, which the rest rejoins.
void VersionStore::PutBack(const FolderLook& look) {
  FolderVersions moved_back;
  for (const DoomedEntry& entry : look.doomed) {
    const WString place =
        JoinedPath(WithoutTrailingSeparator(look.destination), entry.relative_path);
    const WString kept_path = KeptPath(look.destination, entry.relative_path);
    if (!Exists(kept_path)) continue;
    if (!Exists(place)) {
      Move(kept_path, place);
    } else if (entry.folder) {
      MoveTree(kept_path, place, &moved_back);
    }
  }
}

bool VersionStore::KeepDamaged(const WString& destination, const WString& relative) {
  if (!begun_) return false;
  const WString kept = KeptPath(destination, relative);
  const WString to =
      run_folder_ + L"\\" + kDamagedCopiesFolderName + kept.substr(run_folder_.size());
  return Move(JoinedPath(WithoutTrailingSeparator(destination), relative), to);
}

std::vector<RunName> VersionStore::EarlierRuns() {
  std::vector<RunName> runs;
  for (const RunName& run : records_.Runs()) {
    if (run != run_ && Exists(layout_.RunFolder(run))) runs.push_back(run);
  }
  return runs;
}

// Deletes a tree deepest first, clearing read-only attributes, and never through a link: one
// inside is left, and so is the tree when its top is one. The versions it deleted.
uint64_t VersionStore::DeleteTree(const WString& top) {
  const DWORD attributes = Sys().GetFileAttributesW(OpenablePath(top).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 ||
      !Plain(top)) {
    return 0;
  }
  const WString listed = ListingForm(top);
  uint64_t files = 0;
  WStringList folders = {listed};
  WalkTree(listed, [&](const WString& relative, const ListedEntry& entry) {
    const WString path = listed + L"\\" + relative;
    if (!Plain(path)) return;
    if (entry.IsFolder()) {
      folders.push_back(path);
      return;
    }
    Sys().SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    // Files at a run's top are its records (the added list), not versions.
    if (Sys().DeleteFileW(path.c_str()) && relative.find(L'\\') != WString::npos) ++files;
  });
  for (auto folder = folders.rbegin(); folder != folders.rend(); ++folder) {
    Sys().SetFileAttributesW(folder->c_str(), FILE_ATTRIBUTE_NORMAL);
    Sys().RemoveDirectoryW(folder->c_str());
  }
  return files;
}

uint64_t VersionStore::DeleteRun(const RunName& run) {
  const uint64_t files = DeleteTree(layout_.RunFolder(run));
  // The runs before it can no longer be rebuilt without its versions: they go from the list.
  records_.DropRunsThrough(run);
  return files;
}

}  // namespace sollux
