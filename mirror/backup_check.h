// The check after a backup: each backed-up folder is compared with the folder that its robocopy
// line mirrored it to, from the directory listings of both trees alone (no file is opened), so
// that files that did not reach the stick (stick full, file held open, name too long) are
// found. CheckRules (mirror/check_rules.h) selects the files as robocopy's switches do.
#ifndef SOLLUX_MIRROR_BACKUP_CHECK_H_
#define SOLLUX_MIRROR_BACKUP_CHECK_H_

#include <cstdint>
#include <functional>
#include <vector>

#include "base/wstring.h"
#include "mirror/check_rules.h"
#include "mirror/tree_comparison.h"

namespace sollux {

enum class FileProblem { kMissing, kDifferent };

// A file of the source that the destination lacks, or holds with another size or a last-write
// time more than 2 seconds away (robocopy's /fft).
struct FileMismatch {
  WString relative_path;
  FileProblem problem;
  WString holder{};  // the programs that hold the source open, where known

  bool operator==(const FileMismatch&) const = default;
};

// Files named up to kNamedProblemLimit, all counted.
struct NamedFiles {
  uint64_t count = 0;
  WStringList names;
  void Add(const WString& name) {
    ++count;
    if (names.size() < kNamedProblemLimit) names.push_back(name);
  }
};

// A file whose copy is read back from the stick after the check: below both folders, and its
// size.
struct ReadBackItem {
  WString relative_path;
  uint64_t size = 0;
};

// What reading the copies back found in one folder.
struct FolderReadBack {
  std::vector<ReadBackItem> chosen;  // equal by the listings, and chosen to be read back
  uint64_t files = 0;                // read back to the end
  uint64_t bytes = 0;                // read from the stick, copies read twice counted twice
  NamedFiles damaged;                // read back wrong, and still wrong after a second copy
  NamedFiles mended;                 // read back wrong, right after a second copy
  NamedFiles unreadable;             // the stick failed to read them
};

struct FolderCheck {
  WString source;
  WString destination;
  // The files robocopy would copy, and their bytes.
  uint64_t files_checked = 0;
  uint64_t bytes_checked = 0;
  // Files missing or different, all of them; the first kNamedProblemLimit named in `mismatches`.
  uint64_t files_not_in_backup = 0;
  std::vector<FileMismatch> mismatches;
  // Subfolders (of either tree) that could not be listed; their files were not checked.
  uint64_t unreadable_folder_count = 0;
  WStringList unreadable_folders;
  // A missing destination counts every file of the source as missing.
  TreeState source_state = TreeState::kRead;
  TreeState destination_state = TreeState::kRead;
  // False when the check stopped half way (a tree that stopped answering, a stick pulled out).
  bool finished = true;
  FolderReadBack read_back;
};

// Whether a file (by its path below the folders) whose copy is equal by the listings is read
// back.
using ReadBackChoice = std::function<bool(const WString& relative_path)>;

// Compares `source` with `destination` as robocopy with `rules` would have mirrored it. Never
// throws; a missing or unreadable tree or subfolder is recorded in the result.
// `progress`, when given, hears the count of source files listed so far; `choose`, when given,
// picks the files of `read_back.chosen`.
FolderCheck CheckFolder(const WString& source, const WString& destination, const CheckRules& rules,
                        const std::function<void(uint64_t files)>& progress = nullptr,
                        const ReadBackChoice& choose = nullptr);

// Counts a file of `folder` as missing or different, naming the first kNamedProblemLimit.
void AddMismatch(FolderCheck* folder, const WString& relative_path, FileProblem problem);

// Equal as robocopy's /fft compares them: the same size and last-write times at most 2 seconds
// apart.
bool SameFile(const ListedEntry& file, const ListedEntry& copy);

}  // namespace sollux

#endif  // SOLLUX_MIRROR_BACKUP_CHECK_H_
