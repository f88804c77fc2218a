#include "mirror/tree_listing.h"

#include <algorithm>

#include "base/path.h"
#include "base/system_api.h"
#include "mirror/check_rules.h"

namespace sollux {
namespace {

uint64_t Combined(DWORD high, DWORD low) { return (uint64_t{high} << 32) | low; }

ListedEntry EntryOf(const WIN32_FIND_DATAW& data) {
  ListedEntry entry;
  entry.name = data.cFileName;
  entry.key = FileSystemUpperCase(entry.name);
  entry.size = Combined(data.nFileSizeHigh, data.nFileSizeLow);
  entry.write_time =
      Combined(data.ftLastWriteTime.dwHighDateTime, data.ftLastWriteTime.dwLowDateTime);
  entry.attributes = data.dwFileAttributes;
  return entry;
}

}  // namespace

std::optional<ListedEntry> EntryAt(const WString& path) {
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  if (!Sys().GetFileAttributesExW(OpenablePath(path).c_str(), &data)) return std::nullopt;
  ListedEntry entry;
  entry.size = Combined(data.nFileSizeHigh, data.nFileSizeLow);
  entry.write_time =
      Combined(data.ftLastWriteTime.dwHighDateTime, data.ftLastWriteTime.dwLowDateTime);
  entry.attributes = data.dwFileAttributes;
  return entry;
}

namespace {

// Errors that say the folder itself is not there. Wine answers ERROR_INVALID_NAME, Windows
// ERROR_DIRECTORY, when the folder is a file.
bool MeansMissing(DWORD error) {
  return error == ERROR_PATH_NOT_FOUND || error == ERROR_INVALID_NAME || error == ERROR_DIRECTORY;
}

// Closes the enumeration however the listing ends.
class FindHandle {
 public:
  explicit FindHandle(HANDLE handle) : handle_(handle) {}
  ~FindHandle() {
    if (handle_ != INVALID_HANDLE_VALUE) Sys().FindClose(handle_);
  }
  FindHandle(const FindHandle&) = delete;
  FindHandle& operator=(const FindHandle&) = delete;
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

}  // namespace

ListingState ListFolder(const WString& folder, std::vector<ListedEntry>* entries) {
  entries->clear();
  WIN32_FIND_DATAW data = {};
  const WString pattern = folder + L"\\*";
  const FindHandle find(Sys().FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data,
                                               FindExSearchNameMatch, nullptr,
                                               FIND_FIRST_EX_LARGE_FETCH));
  if (find.get() == INVALID_HANDLE_VALUE) {
    const DWORD error = Sys().GetLastError();
    // The root of an empty FAT stick has no "." entry: its listing finds nothing at all.
    if (error == ERROR_FILE_NOT_FOUND) return ListingState::kListed;
    return MeansMissing(error) ? ListingState::kMissing : ListingState::kFailed;
  }
  do {
    if (!IsDotEntry(data.cFileName)) entries->push_back(EntryOf(data));
  } while (Sys().FindNextFileW(find.get(), &data));
  const bool complete = Sys().GetLastError() == ERROR_NO_MORE_FILES;
  std::sort(entries->begin(), entries->end(),
            [](const ListedEntry& a, const ListedEntry& b) { return a.key < b.key; });
  return complete ? ListingState::kListed : ListingState::kFailed;
}

ListingState ProbeFolder(const WString& folder) {
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  // \\?\E: alone names the volume, not its root folder; with the backslash, any folder.
  const WString path = folder + L"\\";
  if (!Sys().GetFileAttributesExW(path.c_str(), &data)) {
    const DWORD error = Sys().GetLastError();
    return error == ERROR_FILE_NOT_FOUND || MeansMissing(error) ? ListingState::kMissing
                                                                : ListingState::kFailed;
  }
  return (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? ListingState::kListed
                                                                 : ListingState::kMissing;
}

WStringList WalkTree(const WString& folder, const TreeVisitor& visit) {
  WStringList unreadable, pending = {WString()};
  std::vector<ListedEntry> entries;
  while (!pending.empty()) {
    const WString relative = pending.back();
    pending.pop_back();
    const WString path = relative.empty() ? folder : folder + L"\\" + relative;
    if (ListFolder(path, &entries) != ListingState::kListed) unreadable.push_back(relative);
    for (const ListedEntry& entry : entries) {
      const WString below = relative.empty() ? entry.name : relative + L"\\" + entry.name;
      visit(below, entry);
      if (entry.IsFolder() && !entry.IsReparsePoint()) pending.push_back(below);
    }
  }
  return unreadable;
}

uint64_t CountFilesBelow(const WString& folder, WStringList* unreadable) {
  uint64_t files = 0;
  const WStringList unread = WalkTree(folder, [&files](const WString&, const ListedEntry& entry) {
    if (!entry.IsFolder()) ++files;
  });
  if (unreadable != nullptr) unreadable->insert(unreadable->end(), unread.begin(), unread.end());
  return files;
}

WString ListingForm(const WString& folder) {
  return WithoutTrailingSeparator(OpenablePath(folder));
}

}  // namespace sollux
