// One folder's entries as the backup check reads them: one FindFirstFileExW enumeration with
// the large fetch and without short names, each entry with its upper-cased name as the key by
// which the other tree's folder is searched.
#ifndef SOLLUX_MIRROR_TREE_LISTING_H_
#define SOLLUX_MIRROR_TREE_LISTING_H_

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "base/win.h"
#include "base/wstring.h"

namespace sollux {

struct ListedEntry {
  WString name;
  WString key;  // FileSystemUpperCase(name)
  uint64_t size = 0;
  uint64_t write_time = 0;  // 100-nanosecond ticks
  DWORD attributes = 0;

  bool IsFolder() const { return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
  bool IsReparsePoint() const { return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0; }
};

enum class ListingState { kListed, kMissing, kFailed };

// Lists `folder` (best in its \\?\ form) into `entries`, sorted by key, without "." and "..".
// kMissing: no such folder (or a file); kFailed: the listing could not be started or broke
// off, and `entries` holds what came before.
ListingState ListFolder(const WString& folder, std::vector<ListedEntry>* entries);

// `path`'s size, last-write time and attributes as a listing gives them, without a name;
// nullopt when nothing is there.
std::optional<ListedEntry> EntryAt(const WString& path);

// Whether `folder` (in the form ListingForm gives) is there: kListed for an existing folder,
// kMissing, or kFailed when its attributes cannot be read.
ListingState ProbeFolder(const WString& folder);

// Visits every entry of the whole tree below `folder` (in the form ListingForm gives) with its
// path below `folder`, a folder before what it holds. A folder that is a reparse point (a
// junction, a link) is visited but never entered: what it shows lies elsewhere. Answers the
// folders that could not be listed to the end, relative to `folder` ("" for itself).
using TreeVisitor = std::function<void(const WString& relative, const ListedEntry& entry)>;
WStringList WalkTree(const WString& folder, const TreeVisitor& visit);

// The files of the whole tree below `folder` (in the form ListingForm gives); the folders of
// it that could not be listed, relative to `folder`, are added to `unreadable` when given.
uint64_t CountFilesBelow(const WString& folder, WStringList* unreadable = nullptr);

// The \\?\ form of an absolute folder, without a trailing backslash; a relative one as it is.
WString ListingForm(const WString& folder);

}  // namespace sollux

#endif  // SOLLUX_MIRROR_TREE_LISTING_H_
