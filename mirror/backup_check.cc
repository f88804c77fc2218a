#include "mirror/backup_check.h"

#include <algorithm>
#include <exception>
#include <iterator>
#include <utility>

#include "base/path.h"
#include "mirror/tree_listing.h"

namespace sollux {
namespace {

// robocopy's /fft: FAT keeps last-write times in steps of 2 seconds, so times that far apart
// count as equal. In 100-nanosecond ticks.
constexpr uint64_t kTimeTolerance = 2 * 10000000ull;

constexpr wchar_t kSystemVolumeFolder[] = L"SYSTEM VOLUME INFORMATION";

uint64_t Distance(uint64_t a, uint64_t b) { return a > b ? a - b : b - a; }

// `folder`, a backslash and `name`, or the one of them that is not empty.
WString Joined(const WString& folder, const WString& name) {
  if (folder.empty() || name.empty()) return folder + name;
  return folder + L"\\" + name;
}

// A folder waiting to be compared: its path below both tops, its level (the tops are level 1),
// whether the destination's listing of its parent held it, and whether it lies behind a
// junction.
struct PendingFolder {
  WString relative;
  unsigned level;
  bool in_destination;
  bool behind_junction;
};

// One walk over both trees. Folders wait on a stack of their own rather than the call stack, so
// that no depth of folders can overflow it; each folder of the source is listed once, and its
// counterpart in the destination once, and the two sorted listings are merged.
class TreeComparison {
 public:
  TreeComparison(FolderCheck* result, const CheckRules& rules)
      : result_(*result),
        filter_(rules, result->source),
        source_form_(ListingForm(result->source)),
        destination_form_(ListingForm(result->destination)) {}

  void Run() {
    if (!Start()) return;
    while (!pending_.empty()) {
      const PendingFolder folder = std::move(pending_.back());
      pending_.pop_back();
      if (!Visit(folder)) return;
    }
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
  bool Enters(const PendingFolder& folder, const ListedEntry& entry) const;
  void CheckFile(const WString& relative, const ListedEntry& file, const ListedEntry* copy);
  void Mismatch(const WString& relative_path, FileProblem problem);
  void Unreadable(const WString& top, const WString& relative);
  bool IsSystemVolumeFolder(const PendingFolder& folder) const;
  bool Stop(TreeState* state);

  FolderCheck& result_;
  const RuleFilter filter_;
  const WString source_form_;
  const WString destination_form_;
  std::vector<PendingFolder> pending_;
};

// A missing destination leaves the source to be walked alone: all its files are missing.
bool TreeComparison::Start() {
  const ListingState source = ProbeFolder(source_form_);
  if (source != ListingState::kListed) {
    result_.source_state =
        source == ListingState::kMissing ? TreeState::kMissing : TreeState::kUnreadable;
    return false;
  }
  const ListingState destination = ProbeFolder(destination_form_);
  if (destination == ListingState::kFailed) {
    result_.destination_state = TreeState::kUnreadable;
    return false;
  }
  if (destination == ListingState::kMissing) result_.destination_state = TreeState::kMissing;
  pending_.push_back({WString(), 1, destination == ListingState::kListed, false});
  return true;
}

// False when the walk must end: a top folder that cannot be read or has gone. A source folder
// whose counterpart cannot be read is left unchecked; one without a counterpart is compared
// with nothing, so that all its files are missing.
bool TreeComparison::Visit(const PendingFolder& folder) {
  std::vector<ListedEntry> source;
  const ListingState listed = ListFolder(Joined(source_form_, folder.relative), &source);
  // A subfolder deleted since its parent was listed: robocopy found nothing in it either.
  if (listed == ListingState::kMissing && !folder.relative.empty()) return true;
  if (listed != ListingState::kListed) return SourceUnreadable(folder);
  std::vector<ListedEntry> destination;
  const Counterpart counterpart =
      folder.in_destination ? ListDestination(folder, &destination) : Counterpart::kAbsent;
  if (counterpart == Counterpart::kLost) return Stop(&result_.destination_state);
  if (counterpart == Counterpart::kUnreadable) {
    Unreadable(result_.destination, folder.relative);
  } else {
    Compare(folder, source, destination);
  }
  return true;
}

// A listing that fails when the top folder has gone too (a stick pulled out, a network drive
// lost) ends the walk, instead of failing once for every folder left.
bool TreeComparison::SourceUnreadable(const PendingFolder& folder) {
  if (IsSystemVolumeFolder(folder)) return true;
  if (folder.relative.empty() || ProbeFolder(source_form_) != ListingState::kListed) {
    return Stop(&result_.source_state);
  }
  Unreadable(result_.source, folder.relative);
  return true;
}

TreeComparison::Counterpart TreeComparison::ListDestination(const PendingFolder& folder,
                                                            std::vector<ListedEntry>* entries) {
  const ListingState listed = ListFolder(Joined(destination_form_, folder.relative), entries);
  if (listed == ListingState::kListed) return Counterpart::kListed;
  entries->clear();
  if (folder.relative.empty() || ProbeFolder(destination_form_) != ListingState::kListed) {
    return Counterpart::kLost;
  }
  // Gone since its parent was listed: its files are missing.
  return listed == ListingState::kMissing ? Counterpart::kAbsent : Counterpart::kUnreadable;
}

// Both listings are sorted by key: one pass finds each source entry's counterpart. Subfolders
// are stacked in reverse, so that they are visited in order of their names.
void TreeComparison::Compare(const PendingFolder& folder, const std::vector<ListedEntry>& source,
                             const std::vector<ListedEntry>& destination) {
  std::vector<PendingFolder> subfolders;
  size_t d = 0;
  for (const ListedEntry& entry : source) {
    while (d < destination.size() && destination[d].key < entry.key) ++d;
    const bool found = d < destination.size() && destination[d].key == entry.key;
    const ListedEntry* copy = found ? &destination[d] : nullptr;
    if (!entry.IsFolder()) {
      CheckFile(folder.relative, entry, copy);
    } else if (Enters(folder, entry)) {
      subfolders.push_back({Joined(folder.relative, entry.name), folder.level + 1,
                            copy != nullptr && copy->IsFolder(),
                            folder.behind_junction || entry.IsReparsePoint()});
    }
  }
  std::move(subfolders.rbegin(), subfolders.rend(), std::back_inserter(pending_));
}

// Without /xjd a junction is followed, but not a second one behind it: a junction that points
// back up the tree (Windows' own "Application Data" loops) would otherwise be walked forever.
bool TreeComparison::Enters(const PendingFolder& folder, const ListedEntry& entry) const {
  if (entry.IsReparsePoint() && folder.behind_junction) return false;
  return filter_.EntersFolder(folder.relative, entry.key, folder.level + 1, entry.IsReparsePoint());
}

void TreeComparison::CheckFile(const WString& relative, const ListedEntry& file,
                               const ListedEntry* copy) {
  if (!filter_.CopiesFile(relative, file.key, file.size)) return;
  ++result_.files_checked;
  result_.bytes_checked += file.size;
  if (copy == nullptr || copy->IsFolder()) {
    Mismatch(Joined(relative, file.name), FileProblem::kMissing);
  } else if (copy->size != file.size ||
             Distance(copy->write_time, file.write_time) > kTimeTolerance) {
    Mismatch(Joined(relative, file.name), FileProblem::kDifferent);
  }
}

void TreeComparison::Mismatch(const WString& relative_path, FileProblem problem) {
  ++result_.files_not_in_backup;
  if (result_.mismatches.size() < kNamedProblemLimit) {
    result_.mismatches.push_back({relative_path, problem});
  }
}

void TreeComparison::Unreadable(const WString& top, const WString& relative) {
  ++result_.unreadable_folder_count;
  if (result_.unreadable_folders.size() < kNamedProblemLimit) {
    result_.unreadable_folders.push_back(Joined(WithoutTrailingSeparator(top), relative));
  }
}

// Windows keeps restore points and the search index in this folder at the root of every drive,
// where no user may read it; robocopy fails on it too, so no backup of a whole drive holds it.
bool TreeComparison::IsSystemVolumeFolder(const PendingFolder& folder) const {
  return folder.level == 2 && IsDriveRoot(result_.source) &&
         FileSystemUpperCase(folder.relative) == kSystemVolumeFolder;
}

bool TreeComparison::Stop(TreeState* state) {
  *state = TreeState::kUnreadable;
  result_.finished = false;
  return false;
}

}  // namespace

// Out of memory is the one exception the walk can meet; the result then says that the check
// stopped half way.
FolderCheck CheckFolder(const WString& source, const WString& destination,
                        const CheckRules& rules) {
  FolderCheck result;
  try {
    result.source = source;
    result.destination = destination;
    TreeComparison(&result, rules).Run();
  } catch (const std::exception&) {
    result.finished = false;
  }
  return result;
}

}  // namespace sollux
