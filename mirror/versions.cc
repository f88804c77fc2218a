#include "mirror/versions.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "base/file_system.h"
#include "base/path.h"
#include "base/system_api.h"
#include "base/text.h"
#include "base/time_text.h"
#include "mirror/backup_check.h"
#include "mirror/backup_report.h"
#include "mirror/tree_listing.h"

namespace sollux {
namespace {

// Windows' own moves, with neither copying nor replacing: a rename on the stick.
constexpr DWORD kRenameOnly = 0;

bool Exists(const WString& path) {
  return Sys().GetFileAttributesW(OpenablePath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Run names are ASCII digits, blanks and full stops, with " (2)" for a second run in a second.
std::string Narrow(const WString& name) { return std::string(name.begin(), name.end()); }

// What RunFolderName makes, with " (2)" and on after it. The run list is a file on the stick
// that anyone may edit and a pulled stick may garble: a line such as ".." must never reach
// DeleteTree, which would delete the computer's whole backup.
bool IsRunName(const WString& name) {
  constexpr std::wstring_view kForm = L"0000-00-00 00.00.00";
  if (name.size() < kForm.size()) return false;
  for (size_t i = 0; i < kForm.size(); ++i) {
    const bool digit = name[i] >= L'0' && name[i] <= L'9';
    if (kForm[i] == L'0' ? !digit : name[i] != kForm[i]) return false;
  }
  const WString number = name.substr(kForm.size());
  if (number.empty()) return true;
  if (number.size() < 4 || !number.starts_with(L" (") || !number.ends_with(L')')) return false;
  return number.find_first_not_of(L"0123456789", 2) == number.size() - 1;
}

// Line by line whatever the bytes: a line of NULs, a lone quote or garbage is skipped, and the
// names after it still count.
WStringList RunNames(const std::string& bytes) {
  WStringList names;
  for (const std::string_view line : ByteLines(bytes)) {
    const WString name(line.begin(), line.end());
    if (IsRunName(name)) names.push_back(name);
  }
  return names;
}

// Equal as robocopy's /fft compares them; false when either is missing.
bool SameFiles(const WString& a, const WString& b) {
  const std::optional<ListedEntry> x = EntryAt(a), y = EntryAt(b);
  return x && y && SameFile(*x, *y);
}

}  // namespace

WString RunFolderName(int64_t time) { return FormatTime(time, L"%Y-%m-%d %H.%M.%S"); }

VersionStore::VersionStore(const WString& backup_folder, const WString& computer_folder,
                           int64_t time)
    : backup_folder_(WithoutTrailingSeparator(NormalizeSeparators(backup_folder, L'\\'))),
      versions_folder_(WithTrailingSeparator(NormalizeSeparators(computer_folder, L'\\')) +
                       kVersionsFolderName),
      run_name_(RunFolderName(time)),
      link_check_(backup_folder_) {
  // A run in the same second as one that made no folder is listed all the same.
  const WString list = RunListPath();
  const WStringList listed = list.empty() ? WStringList() : RunNames(ReadWholeFile(list));
  const WString base = run_name_;
  for (int n = 2; Exists(versions_folder_ + L"\\" + run_name_) ||
                  std::find(listed.begin(), listed.end(), run_name_) != listed.end();
       ++n) {
    run_name_ = base + L" (" + std::to_wstring(n) + L")";
  }
  run_folder_ = versions_folder_ + L"\\" + run_name_;
}

bool VersionStore::Plain(const WString& path) {
  const WString link = link_check_.FirstLink(path);
  if (link.empty()) return true;
  if (std::find(links_.begin(), links_.end(), link) == links_.end()) links_.push_back(link);
  return false;
}

// "" when the list is a link, which is neither read nor written.
WString VersionStore::RunListPath() {
  const WString path = versions_folder_ + L"\\" + kRunListFileName;
  return Plain(path) ? path : WString();
}

// A versions folder that is a link would take the moves out of the stick.
bool VersionStore::MakeRunFolder() {
  if (made_) return true;
  if (!Plain(run_folder_) || !CreateLongFolderChain(run_folder_)) return false;
  ListRun();
  made_ = true;
  return true;
}

// Once a run, in the order the runs were made.
void VersionStore::ListRun() {
  if (listed_) return;
  listed_ = true;
  const WString list = RunListPath();
  if (list.empty() || !CreateLongFolderChain(versions_folder_)) return;
  const std::string listed = ReadWholeFile(list);
  const std::string line_end = listed.empty() || listed.ends_with('\n') ? "" : "\r\n";
  WriteWholeFile(list, line_end + Narrow(run_name_) + "\r\n", L"ab");
}

bool VersionStore::WriteAddedList(const std::string& bytes) {
  const WString path = run_folder_ + L"\\" + kAddedListFileName;
  return Plain(path) && WriteWholeFile(path, bytes, L"wb");
}

void VersionStore::RecordRun(const std::vector<const FolderLook*>& looks) {
  WString added;
  for (const FolderLook* look : looks) {
    const WString destination = WithoutTrailingSeparator(look->destination);
    for (const WString& relative : look->added) {
      const WString kept = KeptPath(destination, relative);
      added += kept.substr(run_folder_.size() + 1) + L"\r\n";
    }
  }
  if (!added.empty()) MakeRunFolder();
  if (made_) WriteAddedList(Utf8FileBytes(added));
  ListRun();
  ListFolders(looks);
}

void VersionStore::ListFolders(const std::vector<const FolderLook*>& looks) {
  WString lines;
  for (const FolderLook* look : looks) {
    const WString destination = WithoutTrailingSeparator(look->destination);
    if (destination.size() <= backup_folder_.size() || !IsWithin(destination, backup_folder_)) {
      continue;
    }
    lines += run_name_ + L"\t" + WithoutTrailingSeparatorBelowRoot(look->source) + L"\t" +
             destination.substr(backup_folder_.size() + 1) + L"\r\n";
  }
  const WString path = versions_folder_ + L"\\" + kFolderListFileName;
  if (lines.empty() || !Plain(path) || !CreateLongFolderChain(versions_folder_)) return;
  WriteWholeFile(path, Utf8FileBytes(lines).substr(3), L"ab");
}

void VersionStore::RecordNothingAdded() {
  if (made_) WriteAddedList(Utf8FileBytes(WString()));
}

// E:\_Backup_\PC01\C\Users\anna\Documents and plan.xlsx:
// <run>\PC01\C\Users\anna\Documents\plan.xlsx
WString VersionStore::KeptPath(const WString& destination, const WString& relative) const {
  const WString full = JoinedPath(WithoutTrailingSeparator(destination), relative);
  WString below = full;
  if (below.size() > backup_folder_.size() &&
      EqualsIgnoreCase(below.substr(0, backup_folder_.size()), backup_folder_) &&
      below[backup_folder_.size()] == L'\\') {
    below = below.substr(backup_folder_.size() + 1);
  } else {
    below = JoinWithChar(SplitText(below, L":"), L'\\');  // not below the backup folder
  }
  return run_folder_ + L"\\" + below;
}

bool VersionStore::Move(const WString& from, const WString& to) {
  if (!Plain(from) || !CreateLongFolderChain(DirectoryPart(to))) return false;
  return Sys().MoveFileExW(OpenablePath(from).c_str(), OpenablePath(to).c_str(), kRenameOnly) !=
         FALSE;
}

void VersionStore::NotKept(const WString& path, uint64_t files, FolderVersions* result) {
  result->not_kept += files;
  if (result->not_kept_names.size() < kNamedProblemLimit) result->not_kept_names.push_back(path);
  if (!Exists(versions_folder_)) result->stopped = true;
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
  FolderVersions result;
  for (const DoomedEntry& entry : look.doomed) {
    if (result.stopped) break;
    const WString from =
        JoinedPath(WithoutTrailingSeparator(look.destination), entry.relative_path);
    if (!MakeRunFolder()) {
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
    const WString place =
        OpenablePath(JoinedPath(WithoutTrailingSeparator(look.destination), relative));
    const WString kept_path = OpenablePath(KeptPath(look.destination, relative));
    const WString source =
        OpenablePath(JoinedPath(WithoutTrailingSeparator(look.source), relative));
    if (!Exists(kept_path) || !Exists(source) || SameFiles(source, place)) continue;
    if (!Plain(JoinedPath(WithoutTrailingSeparator(look.destination), relative))) continue;
    // No copy, or a partial or stale one (the stick full, the file held open).
    Sys().SetFileAttributesW(place.c_str(), FILE_ATTRIBUTE_NORMAL);
    Sys().DeleteFileW(place.c_str());
    if (Sys().MoveFileExW(kept_path.c_str(), place.c_str(), kRenameOnly)) ++restored;
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
  if (!MakeRunFolder()) return false;
  const WString kept = KeptPath(destination, relative);
  const WString to =
      run_folder_ + L"\\" + kDamagedCopiesFolderName + kept.substr(run_folder_.size());
  return Move(JoinedPath(WithoutTrailingSeparator(destination), relative), to);
}

WStringList VersionStore::EarlierRuns() {
  WStringList runs;
  const WString list = RunListPath();
  if (list.empty()) return runs;
  for (const WString& name : RunNames(ReadWholeFile(list))) {
    if (name != run_name_ && std::find(runs.begin(), runs.end(), name) == runs.end() &&
        Exists(versions_folder_ + L"\\" + name)) {
      runs.push_back(name);
    }
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
  uint64_t files = 0;
  WStringList pending = {ListingForm(top)}, folders;
  std::vector<ListedEntry> entries;
  while (!pending.empty()) {
    const WString folder = pending.back();
    pending.pop_back();
    folders.push_back(folder);
    ListFolder(folder, &entries);
    for (const ListedEntry& entry : entries) {
      const WString path = folder + L"\\" + entry.name;
      if (!Plain(path)) continue;
      if (entry.IsFolder()) {
        pending.push_back(path);
        continue;
      }
      Sys().SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      // Files at a run's top are its records (the added list), not versions.
      if (Sys().DeleteFileW(path.c_str()) && folder != folders.front()) ++files;
    }
  }
  for (auto folder = folders.rbegin(); folder != folders.rend(); ++folder) {
    Sys().SetFileAttributesW(folder->c_str(), FILE_ATTRIBUTE_NORMAL);
    Sys().RemoveDirectoryW(folder->c_str());
  }
  return files;
}

uint64_t VersionStore::DeleteRun(const WString& name) {
  const uint64_t files = DeleteTree(versions_folder_ + L"\\" + name);
  const WString list = RunListPath();
  if (list.empty()) return files;
  // The runs before it can no longer be rebuilt without its versions: they go from the list.
  std::string rest;
  bool after = false;
  for (const WString& run : RunNames(ReadWholeFile(list))) {
    if (after) rest += Narrow(run) + "\r\n";
    after = after || run == name;
  }
  if (!after) return files;
  WriteWholeFile(list, rest, L"wb");
  return files;
}

}  // namespace sollux
