#include "restore/backup_catalog.h"

#include <algorithm>
#include <string_view>
#include <unordered_set>

#include "base/environment.h"
#include "base/file_system.h"
#include "base/folders.h"
#include "base/path.h"
#include "base/system_api.h"
#include "base/text.h"
#include "base/win.h"
#include "mirror/backup_report.h"
#include "mirror/check_rules.h"
#include "mirror/tree_listing.h"
#include "mirror/versions.h"

namespace sollux {
namespace {

// A run's name, "2026-12-09 09.31.00", without the " (2)" of a second run in one second.
constexpr size_t kStampLength = 19;

WStringList Lines(const WString& path) {
  const std::string bytes = ReadWholeFile(path);
  WStringList lines;
  for (const std::string_view line : ByteLines(bytes)) {
    if (!line.empty()) lines.push_back(FromUtf8(line));
  }
  return lines;
}

bool IsFolder(const WString& path) {
  const DWORD attributes = Sys().GetFileAttributesW(OpenablePath(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
         (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0;
}

// The history's "2026-12-09 09:31:00" or "2026/12/09 09:31:00" as a run's stamp.
WString StampOf(const WString& history_line) {
  WString stamp = history_line.substr(0, kStampLength);
  for (wchar_t& c : stamp) c = c == L'/' ? L'-' : c == L':' ? L'.' : c;
  return stamp;
}

}  // namespace

BackupCatalog::BackupCatalog(const WString& backup_folder, const WString& computer)
    : backup_folder_(WithoutTrailingSeparator(NormalizeSeparators(backup_folder, L'\\'))),
      computer_(computer),
      versions_folder_(backup_folder_ + L"\\" + computer + L"\\" + kVersionsFolderName) {}

bool BackupCatalog::Load() {
  ReadRuns();
  ReadFolders();
  if (runs_.empty() || folders_.empty()) return false;
  ReadHistory();
  std::unordered_set<WString> places;
  for (const auto& [run, folders] : folders_) {
    for (const BackedUpFolder& folder : folders) {
      if (places.insert(FileSystemUpperCase(folder.place)).second) {
        List(backup_folder_ + L"\\" + folder.place, folder.place, &mirror_);
      }
    }
  }
  kept_.resize(runs_.size());
  for (size_t i = 0; i < runs_.size(); ++i) ReadRun(i, versions_folder_ + L"\\" + runs_[i].name);
  // A run that mirrored no folder of its own shows the folders of the next run that did.
  std::vector<BackedUpFolder> later;
  for (size_t i = runs_.size(); i-- > 0;) {
    const auto found = folders_.find(runs_[i].name);
    if (found != folders_.end()) later = found->second;
    if (later.empty()) continue;
    const auto counts = counts_.find(runs_[i].name);
    Backup backup{i, runs_[i].name, counts == counts_.end() ? WString() : counts->second, later};
    if (RebuiltExactly(i, runs_)) {
      backups_.insert(backups_.begin(), backup);
      continue;
    }
    for (size_t j = i + 1; j < runs_.size(); ++j) {
      if (!runs_[j].complete) {
        not_exact_.insert(not_exact_.begin(), {runs_[i].name, runs_[j].name});
        break;
      }
    }
  }
  return !backups_.empty() || !not_exact_.empty();
}

void BackupCatalog::ReadRuns() {
  for (const WString& line : Lines(versions_folder_ + L"\\" + kRunListFileName)) {
    const bool known = std::any_of(runs_.begin(), runs_.end(),
                                   [&line](const RunRecord& run) { return run.name == line; });
    if (line.size() >= kStampLength && line.find_first_of(L"\\/:") == WString::npos && !known) {
      runs_.push_back({line, true, {}, {}});
    }
  }
}

// Lines "<run>\t<folder>\t<place>"; a place that would lead out of the backup folder is not
// taken.
void BackupCatalog::ReadFolders() {
  for (const WString& line : Lines(versions_folder_ + L"\\" + kFolderListFileName)) {
    const WStringList parts = SplitAtChar(line, L'\t');
    if (parts.size() != 3 || parts[2].empty() || !IsFullPath(parts[1])) continue;
    const WStringList levels = SplitAtChar(parts[2], L'\\');
    if (std::any_of(levels.begin(), levels.end(), [](const WString& level) {
          return level.empty() || IsDotEntry(level) || level.find(L':') != WString::npos;
        })) {
      continue;
    }
    folders_[parts[0]].push_back({parts[1], parts[2]});
  }
}

void BackupCatalog::ReadHistory() {
  for (const WString& line :
       Lines(backup_folder_ + L"\\" + computer_ + L"\\" + kHistoryFileName)) {
    const size_t counts = line.find(L"; ");
    if (counts == WString::npos) continue;
    const WString stamp = StampOf(line);
    const RunRecord* last = nullptr;
    for (const RunRecord& run : runs_) {
      if (run.name.substr(0, kStampLength) <= stamp) last = &run;
    }
    if (last != nullptr) counts_[last->name] = line.substr(counts + 2);
  }
}

// A run is complete when its added list is there, or when it made no folder (it kept and
// added nothing) yet recorded its folders, as only runs that write added lists do.
void BackupCatalog::ReadRun(size_t index, const WString& folder) {
  RunRecord& run = runs_[index];
  if (!IsFolder(folder)) {
    run.complete = folders_.count(run.name) != 0;
    return;
  }
  const WString added = folder + L"\\" + kAddedListFileName;
  run.complete = Sys().GetFileAttributesW(OpenablePath(added).c_str()) != INVALID_FILE_ATTRIBUTES;
  run.added = Lines(added);
  std::vector<ListedEntry> entries;
  if (ListFolder(ListingForm(folder), &entries) == ListingState::kFailed) run.complete = false;
  for (const ListedEntry& entry : entries) {
    if (!entry.IsFolder() || entry.IsReparsePoint() ||
        EqualsIgnoreCase(entry.name, kDamagedCopiesFolderName)) {
      continue;
    }
    List(folder + L"\\" + entry.name, entry.name, &kept_[index]);
  }
  for (const auto& [key, file] : kept_[index]) run.kept.push_back(file.path);
}

// Links on the stick are not followed: what they show lies elsewhere.
void BackupCatalog::List(const WString& top, const WString& below, Listing* listing) const {
  std::vector<ListedEntry> entries;
  ListFolder(ListingForm(top), &entries);
  for (const ListedEntry& entry : entries) {
    const WString path = below + L"\\" + entry.name;
    if (entry.IsReparsePoint()) continue;
    if (entry.IsFolder()) {
      List(top + L"\\" + entry.name, path, listing);
    } else {
      (*listing)[FileSystemUpperCase(path)] = {path, entry.size, entry.write_time};
    }
  }
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
    const WString root =
        in_mirror ? backup_folder_ : versions_folder_ + L"\\" + runs_[held.version_run].name;
    files.push_back({root + L"\\" + found->second.path, held.path.substr(prefix.size()),
                     found->second.size, found->second.write_time});
  }
  std::sort(files.begin(), files.end(),
            [](const HeldCopy& a, const HeldCopy& b) { return a.relative < b.relative; });
  return files;
}

WStringList BackupFolders() {
  WStringList folders;
  WStringList roots = ReadyRemovableDrives();
  roots.push_back(ScratchSubfolder(L""));
  for (const WString& root : roots) {
    const WString folder = WithTrailingSeparator(NormalizeSeparators(root, L'\\')) +
                           kBackupFolderName;
    if (IsFolder(folder)) folders.push_back(folder);
  }
  return folders;
}

WStringList BackedUpComputers(const WString& backup_folder, const WString& first) {
  std::vector<ListedEntry> entries;
  ListFolder(ListingForm(backup_folder), &entries);
  WStringList computers;
  for (const ListedEntry& entry : entries) {
    const WString runs =
        backup_folder + L"\\" + entry.name + L"\\" + kVersionsFolderName + L"\\" + kRunListFileName;
    if (!entry.IsFolder() || entry.IsReparsePoint() ||
        Sys().GetFileAttributesW(OpenablePath(runs).c_str()) == INVALID_FILE_ATTRIBUTES) {
      continue;
    }
    const bool mine = EqualsIgnoreCase(entry.name, first);
    computers.insert(mine ? computers.begin() : computers.end(), entry.name);
  }
  return computers;
}

}  // namespace sollux
