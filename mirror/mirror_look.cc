#include "mirror/mirror_look.h"

#include <exception>

#include "base/system_api.h"
#include "base/win.h"
#include "mirror/backup_check.h"
#include "mirror/tree_listing.h"

namespace sollux {
namespace {

constexpr uint64_t kTicksPerSecond = 10000000ull;
constexpr uint64_t kHour = 3600 * kTicksPerSecond;
constexpr uint64_t kFat32Limit = uint64_t{1} << 32;
// Files whose data is in the cloud only: reading them downloads them to this PC. Windows shows
// FILE_ATTRIBUTE_OFFLINE only to a process that sees placeholders as they are.
constexpr DWORD kRecallOnDataAccess = 0x400000;  // not in MinGW's headers
constexpr DWORD kOnlineOnly = kRecallOnDataAccess | FILE_ATTRIBUTE_OFFLINE;
constexpr size_t kLargeChangeFloor = 10;
constexpr char kExposePlaceholders = 2;  // PHCM_EXPOSE_PLACEHOLDERS

uint64_t Distance(uint64_t a, uint64_t b) { return a > b ? a - b : b - a; }

uint64_t InClusters(uint64_t bytes, uint64_t cluster) {
  return cluster == 0 ? bytes : (bytes + cluster - 1) / cluster * cluster;
}

void Name(WStringList* names, const WString& name) {
  if (names->size() < kNamedProblemLimit) names->push_back(name);
}

class LookVisitor : public ComparisonVisitor {
 public:
  LookVisitor(FolderLook* look, const VolumeFacts& volume, const LookProgress& progress)
      : look_(*look), volume_(volume), progress_(progress) {}

  void CopiedFile(const WString& relative, const ListedEntry& file,
                  const ListedEntry* copy) override {
    if (copy != nullptr && SameFile(file, *copy)) return;
    if (volume_.fat32 && file.size >= kFat32Limit) return FileTooLarge(relative, file);
    ++look_.files_to_copy;
    look_.bytes_to_copy += file.size;
    look_.copied.insert(JoinedPath(relative, file.name));
    look_.room_needed += InClusters(file.size, volume_.cluster_size);
    if ((file.attributes & kOnlineOnly) != 0) {
      ++look_.online_only;
      look_.online_only_bytes += file.size;
      Name(&look_.online_only_names, JoinedPath(relative, file.name));
    }
    if (copy == nullptr) return look_.added.push_back(JoinedPath(relative, file.name));
    if (IsClockShift(file, *copy)) {
      ++look_.clock_shifts;
      return;
    }
    ++look_.files_replaced;
    look_.doomed.push_back({JoinedPath(relative, copy->name), false, true, 1});
  }
  void FileTooLarge(const WString& relative, const ListedEntry& file) override {
    ++look_.too_large;
    Name(&look_.too_large_names, JoinedPath(relative, file.name));
  }
  void NewFolder(const WString&, const ListedEntry&) override {
    look_.room_needed += volume_.cluster_size;
  }
  void PurgedEntry(const WString& relative, const ListedEntry& entry) override {
    const WString path = JoinedPath(relative, entry.name);
    const uint64_t files = entry.IsFolder() ? FilesBelow(path) : 1;
    look_.files_purged += files;
    if (entry.IsFolder()) look_.backup_files += files;
    look_.doomed.push_back({path, entry.IsFolder(), false, files});
  }
  void UnreadableFolder(bool in_source, const WString& relative_path) override {
    if (!in_source) look_.unreadable_destination.push_back(relative_path);
  }
  void SourceListed(size_t files) override {
    listed_ += files;
    if (progress_) progress_(listed_);
  }
  void DestinationListed(const std::vector<ListedEntry>& entries) override {
    for (const ListedEntry& entry : entries) look_.backup_files += entry.IsFolder() ? 0 : 1;
  }

 private:
  // FAT keeps local time: after a change of daylight saving time or time zone, every file seems
  // an hour away from its copy.
  bool IsClockShift(const ListedEntry& file, const ListedEntry& copy) const {
    const uint64_t apart = Distance(file.write_time, copy.write_time);
    return volume_.fat_times && file.size == copy.size &&
           Distance(apart, kHour) <= 2 * kTicksPerSecond;
  }
  // The files of a destination folder that /purge deletes whole.
  uint64_t FilesBelow(const WString& relative) {
    WStringList unreadable;
    const uint64_t files =
        CountFilesBelow(JoinedPath(ListingForm(look_.destination), relative), &unreadable);
    for (const WString& folder : unreadable) {
      look_.unreadable_destination.push_back(JoinedPath(relative, folder));
    }
    return files;
  }

  FolderLook& look_;
  const VolumeFacts volume_;
  const LookProgress& progress_;
  uint64_t listed_ = 0;
};

}  // namespace

bool FolderLook::LargeChange() const {
  const uint64_t changed = files_purged + files_replaced;
  return changed >= kLargeChangeFloor && 2 * changed > backup_files;
}

void ExposeCloudPlaceholders() {
  const HMODULE ntdll = Sys().LoadLibraryW(L"ntdll.dll");
  if (ntdll == nullptr) return;
  // Windows 10 1803 and later only; Wine's ntdll has none.
  const FARPROC found = Sys().GetProcAddress(ntdll, "RtlSetProcessPlaceholderCompatibilityMode");
  if (found == nullptr) return;
  using SetMode = char(WINAPI*)(char);
  reinterpret_cast<SetMode>(reinterpret_cast<void (*)()>(found))(kExposePlaceholders);
}

FolderLook LookAtFolder(const WString& source, const WString& destination, const CheckRules& rules,
                        const VolumeFacts& volume, const LookProgress& progress) {
  FolderLook look;
  try {
    look.source = source;
    look.destination = destination;
    LookVisitor visitor(&look, volume, progress);
    look.outcome = CompareTrees(source, destination, rules, &visitor);
  } catch (const std::exception&) {
    look.outcome.finished = false;
  }
  return look;
}

}  // namespace sollux
