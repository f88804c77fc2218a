#include "restore/restorer.h"

#include <map>
#include <memory>

#include "base/console.h"
#include "base/file_system.h"
#include "base/path.h"
#include "base/system_api.h"
#include "base/ui_text.h"
#include "base/win.h"
#include "mirror/backup_check.h"
#include "mirror/read_back.h"
#include "mirror/tree_comparison.h"
#include "mirror/tree_listing.h"

namespace sollux {
namespace {

class Copier {
 public:
  Copier(const std::vector<RestoreFile>& files, const WString& stick_root)
      : stick_root_(stick_root) {
    for (const RestoreFile& file : files) {
      if (file.same || file.there) continue;
      total_files_ += 1;
      total_bytes_ += file.size;
    }
  }

  RestoreOutcome Copy(const std::vector<RestoreFile>& files) {
    for (size_t i = 0; i < files.size() && !outcome_.stick_gone; ++i) {
      if (files[i].same || files[i].there) continue;
      ShowProgress(Say(Text::kRestoreProgress,
                       {CountText(done_ + 1), CountText(total_files_), SizeText(bytes_done_),
                        SizeText(total_bytes_)}));
      CopyOne(files[i]);
      done_ += 1;
      bytes_done_ += files[i].size;
    }
    ClearProgress();
    // With the files that a stick which went took with it.
    outcome_.failed = total_files_ - outcome_.restored;
    return outcome_;
  }

 private:
  void CopyOne(const RestoreFile& file) {
    const WString target = OpenablePath(file.target);
    if (!file.aside.empty() &&
        (!CreateLongFolderChain(DirectoryPart(file.aside)) ||
         !Sys().MoveFileExW(target.c_str(), OpenablePath(file.aside).c_str(), 0))) {
      return Fail(file, Say(Text::kRestoreNotMovedAside, {std::to_wstring(Sys().GetLastError())}));
    }
    // Never over a file: one that appeared since the look stays as it is. The files come folder
    // by folder, so that each folder is made once.
    const WString folder = DirectoryPart(file.target);
    if (folder != made_ && CreateLongFolderChain(folder)) made_ = folder;
    if (folder != made_) {
      return Fail(file, Say(Text::kRestoreCopyFailed, {std::to_wstring(Sys().GetLastError())}));
    }
    using Copied = CopyReader::Copied;
    const CopyReader::CopyResult result = Reader(file.target).CopyAndCompare(
        file.source, file.target, file.size, file.write_time, file.attributes);
    if (result.outcome == Copied::kEqual) {
      outcome_.restored += 1;
      outcome_.bytes += file.size;
    } else if (!StickGone()) {
      const bool copied = result.outcome == Copied::kDifferent ||
                          result.outcome == Copied::kCopyUnreadable;
      Fail(file, copied ? Say(Text::kRestoreReadBackWrong)
                        : Say(Text::kRestoreCopyFailed, {std::to_wstring(result.error)}));
    }
  }

  bool StickGone() {
    if (Sys().GetFileAttributesW(stick_root_.c_str()) != INVALID_FILE_ATTRIBUTES) return false;
    outcome_.stick_gone = true;
    return true;
  }

  void Fail(const RestoreFile& file, const WString& reason) {
    if (outcome_.failed_lines.size() < kNamedProblemLimit) {
      outcome_.failed_lines.push_back(Say(Text::kRestoreNotRestored, {reason, file.target}));
    }
  }

  // The copies are read on their own volume, without its cache.
  CopyReader& Reader(const WString& target) {
    const WString root = WithTrailingSeparator(PathRoot(target));
    std::unique_ptr<CopyReader>& reader = readers_[ToLower(root)];
    if (!reader) reader = std::make_unique<CopyReader>(root);
    return *reader;
  }

  const WString stick_root_;
  std::map<WString, std::unique_ptr<CopyReader>> readers_;
  RestoreOutcome outcome_;
  uint64_t total_files_ = 0;
  uint64_t total_bytes_ = 0;
  uint64_t done_ = 0;
  uint64_t bytes_done_ = 0;
  WString made_;  // the folder last made
};

}  // namespace

void LookAtTargets(std::vector<RestoreFile>* files, bool missing_only) {
  for (RestoreFile& file : *files) {
    if (file.aside.empty()) continue;
    const std::optional<ListedEntry> there = EntryAt(file.target);
    ListedEntry restored;
    restored.size = file.size;
    restored.write_time = file.write_time;
    file.same = there && !there->IsFolder() && SameFile(*there, restored);
    file.there = missing_only && there && !file.same;
    if (!there || file.same || missing_only) file.aside.clear();
  }
}

RestoreOutcome CopyFiles(const std::vector<RestoreFile>& files, const WString& stick_root) {
  return Copier(files, stick_root).Copy(files);
}

}  // namespace sollux
