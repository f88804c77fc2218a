// Finding a file by its name in every backup of a computer: which versions of it the backups
// held, worked out for the matching files alone.
#include <algorithm>
#include <unordered_map>

#include "base/path.h"
#include "mirror/check_rules.h"
#include "restore/backup_catalog.h"
#include "restore/name_match.h"

namespace sollux {
namespace {

constexpr size_t kNowhere = SIZE_MAX - 1;

// The longest of `folders` whose place holds `key`; null when none does.
const BackedUpFolder* FolderOf(const WString& key, const std::vector<BackedUpFolder>& folders) {
  const BackedUpFolder* found = nullptr;
  for (const BackedUpFolder& folder : folders) {
    const WString prefix = FileSystemUpperCase(folder.place) + L"\\";
    if (key.starts_with(prefix) && (found == nullptr || folder.place.size() > found->place.size())) {
      found = &folder;
    }
  }
  return found;
}

}  // namespace

// After the last run a file is as the mirror holds it; after an earlier one, as the first thing
// that a later run did to it says: kept in its versions, or added (it was not there yet).
std::vector<size_t> BackupCatalog::HoldersOf(
    const WString& key, const std::vector<std::unordered_set<WString>>& added) const {
  std::vector<size_t> holders(runs_.size(), kNowhere);
  if (runs_.empty()) return holders;
  holders.back() = mirror_.contains(key) ? kInMirror : kNowhere;
  for (size_t k = runs_.size() - 1; k-- > 0;) {
    if (kept_[k + 1].contains(key)) {
      holders[k] = k + 1;
    } else {
      holders[k] = added[k + 1].contains(key) ? kNowhere : holders[k + 1];
    }
  }
  return holders;
}

HeldCopy BackupCatalog::CopyOf(const WString& key, size_t holder, const WString& place) const {
  const Listed& listed = (holder == kInMirror ? mirror_ : kept_[holder]).at(key);
  const WString root =
      holder == kInMirror ? layout_.backup_folder() : layout_.RunFolder(names_[holder]);
  return {root + L"\\" + listed.path, listed.path.substr(place.size() + 1), listed.size,
          listed.write_time, listed.attributes};
}

std::vector<FoundFile> BackupCatalog::Find(const NamePattern& pattern) const {
  std::unordered_map<WString, WString> matching;  // by upper-cased path: the path
  // A listing's keys are upper-cased already: their last level is the name to match.
  const auto consider = [&](const Listing& listing) {
    for (const auto& [key, file] : listing) {
      const std::wstring_view name = std::wstring_view(key).substr(key.rfind(L'\\') + 1);
      if (pattern.MatchesUpperCase(name)) matching.emplace(key, file.path);
    }
  };
  consider(mirror_);
  for (const Listing& kept : kept_) consider(kept);
  std::vector<std::unordered_set<WString>> added(runs_.size());
  for (size_t j = 0; j < runs_.size(); ++j) {
    for (const WString& path : runs_[j].added) {
      if (!pattern.Matches(FileNamePart(path))) continue;
      const WString key = FileSystemUpperCase(path);
      if (matching.contains(key)) added[j].insert(key);
    }
  }
  std::vector<FoundFile> found;
  for (const auto& [key, path] : matching) {
    const std::vector<size_t> holders = HoldersOf(key, added);
    FoundFile file;
    std::vector<size_t> version_holders;
    for (size_t b = backups_.size(); b-- > 0;) {  // newest first
      const Backup& backup = backups_[b];
      const size_t holder = holders[backup.run];
      const BackedUpFolder* folder = FolderOf(key, backup.folders);
      if (holder == kNowhere || folder == nullptr) continue;
      if (file.versions.empty()) file = {*folder, path.substr(folder->place.size() + 1), {}};
      const size_t version = static_cast<size_t>(
          std::find(version_holders.begin(), version_holders.end(), holder) -
          version_holders.begin());
      if (version == version_holders.size()) {
        version_holders.push_back(holder);
        file.versions.push_back({CopyOf(key, holder, folder->place), {}});
      }
      file.versions[version].backups.push_back(b);
    }
    if (!file.versions.empty()) found.push_back(std::move(file));
  }
  std::sort(found.begin(), found.end(), [](const FoundFile& a, const FoundFile& b) {
    return a.versions.front().backups.front() != b.versions.front().backups.front()
               ? a.versions.front().backups.front() > b.versions.front().backups.front()
               : a.folder.original + a.relative < b.folder.original + b.relative;
  });
  return found;
}

}  // namespace sollux
