#include "mirror/backup_check.h"

#include <exception>

#include "base/path.h"
#include "mirror/tree_comparison.h"

namespace sollux {
namespace {

// robocopy's /fft: FAT keeps last-write times in steps of 2 seconds, so times that far apart
// count as equal. In 100-nanosecond ticks.
constexpr uint64_t kTimeTolerance = 2 * 10000000ull;

uint64_t Distance(uint64_t a, uint64_t b) { return a > b ? a - b : b - a; }

// After the backup, every file robocopy copies must be in the copy, equal.
class CheckVisitor : public ComparisonVisitor {
 public:
  CheckVisitor(FolderCheck* result, const std::function<void(uint64_t)>& progress,
               const ReadBackChoice& choose)
      : result_(*result), progress_(progress), choose_(choose) {}

  void CopiedFile(const WString& relative, const ListedEntry& file,
                  const ListedEntry* copy) override {
    ++result_.files_checked;
    result_.bytes_checked += file.size;
    if (copy == nullptr) {
      Mismatch(JoinedPath(relative, file.name), FileProblem::kMissing);
    } else if (!SameFile(file, *copy)) {
      Mismatch(JoinedPath(relative, file.name), FileProblem::kDifferent);
    } else if (choose_) {
      WString path = JoinedPath(relative, file.name);
      if (choose_(path)) result_.read_back.chosen.push_back({std::move(path), file.size});
    }
  }
  void SourceListed(size_t files) override {
    listed_ += files;
    if (progress_) progress_(listed_);
  }
  void UnreadableFolder(bool in_source, const WString& relative_path) override {
    const WString& top = in_source ? result_.source : result_.destination;
    ++result_.unreadable_folder_count;
    if (result_.unreadable_folders.size() < kNamedProblemLimit) {
      result_.unreadable_folders.push_back(
          JoinedPath(WithoutTrailingSeparator(top), relative_path));
    }
  }

 private:
  void Mismatch(const WString& relative_path, FileProblem problem) {
    AddMismatch(&result_, relative_path, problem);
  }

  FolderCheck& result_;
  const std::function<void(uint64_t)>& progress_;
  const ReadBackChoice& choose_;
  uint64_t listed_ = 0;
};

}  // namespace

void AddMismatch(FolderCheck* folder, const WString& relative_path, FileProblem problem) {
  ++folder->files_not_in_backup;
  if (folder->mismatches.size() < kNamedProblemLimit) {
    folder->mismatches.push_back({relative_path, problem});
  }
}

bool SameFile(const ListedEntry& file, const ListedEntry& copy) {
  return copy.size == file.size && Distance(copy.write_time, file.write_time) <= kTimeTolerance;
}

// Out of memory is the one exception the walk can meet; the result then says that the check
// stopped half way.
FolderCheck CheckFolder(const WString& source, const WString& destination, const CheckRules& rules,
                        const std::function<void(uint64_t)>& progress,
                        const ReadBackChoice& choose) {
  FolderCheck result;
  try {
    result.source = source;
    result.destination = destination;
    CheckVisitor visitor(&result, progress, choose);
    const TreeOutcome outcome = CompareTrees(source, destination, rules, &visitor);
    result.source_state = outcome.source_state;
    result.destination_state = outcome.destination_state;
    result.finished = outcome.finished;
  } catch (const std::exception&) {
    result.finished = false;
  }
  return result;
}

}  // namespace sollux
