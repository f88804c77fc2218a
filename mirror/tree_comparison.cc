#include "mirror/tree_comparison.h"

#include <algorithm>
#include <iterator>
#include <utility>

#include "base/path.h"

namespace sollux {
namespace {

constexpr wchar_t kSystemVolumeFolder[] = L"SYSTEM VOLUME INFORMATION";

// A folder waiting to be compared: its path below both tops, its level (the tops are level 1),
// whether the destination's listing of its parent held it as a folder, and whether it lies
// behind a junction.
struct PendingFolder {
  WString relative;
  unsigned level;
  bool in_destination;
  bool behind_junction;
};

// Folders wait on a stack of their own rather than the call stack, so that no depth of folders
// can overflow it; each folder of the source is listed once, and its counterpart in the
// destination once, and the two sorted listings are merged.
class TreeComparison {
 public:
  TreeComparison(const WString& source, const WString& destination, const CheckRules& rules,
                 ComparisonVisitor* visitor)
      : source_(source),
        filter_(rules, source),
        source_form_(ListingForm(source)),
        destination_form_(ListingForm(destination)),
        visitor_(*visitor) {}

  TreeOutcome Run() {
    if (!Start()) return outcome_;
    while (!pending_.empty()) {
      const PendingFolder folder = std::move(pending_.back());
      pending_.pop_back();
      if (!Visit(folder)) break;
    }
    return outcome_;
  }

 private:
  // How the destination's counterpart of a source folder was read.
  enum class Counterpart { kListed, kAbsent, kUnreadable, kLost };

  bool Start();
  bool Visit(const PendingFolder& folder);
  Counterpart ListDestination(const PendingFolder& folder, std::vector<ListedEntry>* entries);
  bool SourceUnreadable(const PendingFolder& folder);
  void Compare(const PendingFolder& folder, const std::vector<ListedEntry>& source,
               const std::vector<ListedEntry>& destination);
  void SourceEntry(const PendingFolder& folder, const ListedEntry& entry, const ListedEntry* copy,
                   std::vector<PendingFolder>* subfolders);
  void DestinationOnly(const PendingFolder& folder, const ListedEntry& entry);
  bool Enters(const PendingFolder& folder, const ListedEntry& entry) const;
  bool IsSystemVolumeFolder(const PendingFolder& folder) const;
  bool Stop(TreeState* state);

  const WString source_;
  const RuleFilter filter_;
  const WString source_form_;
  const WString destination_form_;
  ComparisonVisitor& visitor_;
  TreeOutcome outcome_;
  std::vector<PendingFolder> pending_;
};

bool TreeComparison::Start() {
  const ListingState source = ProbeFolder(source_form_);
  if (source != ListingState::kListed) {
    outcome_.source_state =
        source == ListingState::kMissing ? TreeState::kMissing : TreeState::kUnreadable;
    return false;
  }
  const ListingState destination = ProbeFolder(destination_form_);
  if (destination == ListingState::kFailed) {
    outcome_.destination_state = TreeState::kUnreadable;
    return false;
  }
  if (destination == ListingState::kMissing) outcome_.destination_state = TreeState::kMissing;
  pending_.push_back({WString(), 1, destination == ListingState::kListed, false});
  return true;
}

// False when the walk must end: a top folder that cannot be read or has gone. A source folder
// whose counterpart cannot be read is left alone; one without a counterpart is compared with
// nothing. A source folder that cannot be listed, or whose listing breaks off, is never
// compared, so nothing below it counts as deleted.
bool TreeComparison::Visit(const PendingFolder& folder) {
  std::vector<ListedEntry> source;
  const ListingState listed = ListFolder(JoinedPath(source_form_, folder.relative), &source);
  // A subfolder deleted since its parent was listed: robocopy finds nothing in it either.
  if (listed == ListingState::kMissing && !folder.relative.empty()) return true;
  if (listed != ListingState::kListed) return SourceUnreadable(folder);
  visitor_.SourceListed(std::count_if(source.begin(), source.end(),
                                      [](const ListedEntry& e) { return !e.IsFolder(); }));
  std::vector<ListedEntry> destination;
  const Counterpart counterpart =
      folder.in_destination ? ListDestination(folder, &destination) : Counterpart::kAbsent;
  if (counterpart == Counterpart::kLost) return Stop(&outcome_.destination_state);
  if (counterpart == Counterpart::kUnreadable) {
    visitor_.UnreadableFolder(false, folder.relative);
  } else {
    if (counterpart == Counterpart::kListed) visitor_.DestinationListed(destination);
    Compare(folder, source, destination);
  }
  return true;
}

// A listing that fails when the top folder has gone too (a stick pulled out, a network drive
// lost) ends the walk, instead of failing once for every folder left.
bool TreeComparison::SourceUnreadable(const PendingFolder& folder) {
  if (IsSystemVolumeFolder(folder)) return true;
  if (folder.relative.empty() || ProbeFolder(source_form_) != ListingState::kListed) {
    return Stop(&outcome_.source_state);
  }
  visitor_.UnreadableFolder(true, folder.relative);
  return true;
}

TreeComparison::Counterpart TreeComparison::ListDestination(const PendingFolder& folder,
                                                            std::vector<ListedEntry>* entries) {
  const ListingState listed = ListFolder(JoinedPath(destination_form_, folder.relative), entries);
  if (listed == ListingState::kListed) return Counterpart::kListed;
  entries->clear();
  if (folder.relative.empty() || ProbeFolder(destination_form_) != ListingState::kListed) {
    return Counterpart::kLost;
  }
  // Gone since its parent was listed: its files are missing.
  return listed == ListingState::kMissing ? Counterpart::kAbsent : Counterpart::kUnreadable;
}

// Both listings are sorted by key: one pass pairs them. Subfolders are stacked in reverse, so
// that they are visited in order of their names.
void TreeComparison::Compare(const PendingFolder& folder, const std::vector<ListedEntry>& source,
                             const std::vector<ListedEntry>& destination) {
  std::vector<PendingFolder> subfolders;
  size_t s = 0, d = 0;
  while (s < source.size() || d < destination.size()) {
    if (d == destination.size() || (s < source.size() && source[s].key < destination[d].key)) {
      SourceEntry(folder, source[s++], nullptr, &subfolders);
    } else if (s == source.size() || destination[d].key < source[s].key) {
      DestinationOnly(folder, destination[d++]);
    } else {
      SourceEntry(folder, source[s++], &destination[d], &subfolders);
      ++d;
    }
  }
  std::move(subfolders.rbegin(), subfolders.rend(), std::back_inserter(pending_));
}

// robocopy pairs files with files and folders with folders: a counterpart of the other kind is
// extra, and purged by its own name and kind (before the entry is copied in its place), even
// where the rules leave the source entry out. What the rules leave out keeps a counterpart of
// its own kind.
void TreeComparison::SourceEntry(const PendingFolder& folder, const ListedEntry& entry,
                                 const ListedEntry* copy, std::vector<PendingFolder>* subfolders) {
  if (copy != nullptr && copy->IsFolder() != entry.IsFolder()) {
    DestinationOnly(folder, *copy);
    copy = nullptr;
  }
  if (!entry.IsFolder()) {
    if (filter_.ExcludesFileName(folder.relative, entry.key)) return;
    if (filter_.TooLarge(entry.size)) return visitor_.FileTooLarge(folder.relative, entry);
  } else if (!Enters(folder, entry)) {
    return;
  }
  if (!entry.IsFolder()) return visitor_.CopiedFile(folder.relative, entry, copy);
  if (copy == nullptr) visitor_.NewFolder(folder.relative, entry);
  subfolders->push_back({JoinedPath(folder.relative, entry.name), folder.level + 1, copy != nullptr,
                         folder.behind_junction || entry.IsReparsePoint()});
}

// Names that the rules exclude stay on both sides; so do folders deeper than robocopy looks.
void TreeComparison::DestinationOnly(const PendingFolder& folder, const ListedEntry& entry) {
  const bool kept = entry.IsFolder() ? filter_.ExcludesFolderName(folder.relative, entry.key) ||
                                           !filter_.ReachesLevel(folder.level + 1)
                                     : filter_.ExcludesFileName(folder.relative, entry.key);
  if (!kept) visitor_.PurgedEntry(folder.relative, entry);
}

// Without /xjd a junction is followed, but not a second one behind it: a junction that points
// back up the tree (Windows' own "Application Data" loops) would otherwise be walked forever.
bool TreeComparison::Enters(const PendingFolder& folder, const ListedEntry& entry) const {
  if (entry.IsReparsePoint() && folder.behind_junction) return false;
  return filter_.EntersFolder(folder.relative, entry.key, folder.level + 1, entry.IsReparsePoint());
}

// Windows keeps restore points and the search index in this folder at the root of every drive,
// where no user may read it; robocopy fails on it too, so no backup of a whole drive holds it.
bool TreeComparison::IsSystemVolumeFolder(const PendingFolder& folder) const {
  return folder.level == 2 && IsDriveRoot(source_) &&
         FileSystemUpperCase(folder.relative) == kSystemVolumeFolder;
}

bool TreeComparison::Stop(TreeState* state) {
  *state = TreeState::kUnreadable;
  outcome_.finished = false;
  return false;
}

}  // namespace

TreeOutcome CompareTrees(const WString& source, const WString& destination, const CheckRules& rules,
                         ComparisonVisitor* visitor) {
  return TreeComparison(source, destination, rules, visitor).Run();
}

WString JoinedPath(const WString& folder, const WString& name) {
  if (folder.empty() || name.empty()) return folder + name;
  return folder + L"\\" + name;
}

}  // namespace sollux
