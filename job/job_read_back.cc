#include "job/job_read_back.h"

#include <string>

#include "base/console.h"
#include "base/path.h"
#include "base/system_api.h"
#include "base/ui_text.h"
#include "mirror/read_back.h"
#include "mirror/tree_comparison.h"

namespace sollux {
namespace {

// FNV-1a over the path's UTF-16 units: the same file falls to the same turn in every run.
uint64_t PathHash(const WString& path) {
  uint64_t hash = 14695981039346656037ull;
  for (const wchar_t unit : path) {
    hash ^= static_cast<uint16_t>(unit);
    hash *= 1099511628211ull;
  }
  return hash;
}

WString VolumeRoot(const WString& folder) {
  wchar_t root[MAX_PATH + 1] = {};
  if (!Sys().GetVolumePathNameW(folder.c_str(), root, MAX_PATH + 1)) return WString();
  return root;
}

// The read back of one run: its reader, its progress and what it found.
class ReadBackPass {
 public:
  ReadBackPass(RunCheck* run, const DamagedCopyKeeper& keep)
      : run_(*run), keep_(keep), root_(VolumeRoot(run->destination)), reader_(root_) {
    for (const FolderCheck& folder : run_.folders) {
      for (const ReadBackItem& item : folder.read_back.chosen) total_ += item.size;
    }
    started_ = Sys().GetTickCount64();
  }

  void Run() {
    for (FolderCheck& folder : run_.folders) {
      for (const ReadBackItem& item : folder.read_back.chosen) {
        if (run_.read_back_stopped) break;
        ReadOne(folder, item.relative_path);
      }
    }
    ClearProgress();
  }

 private:
  void Progress(uint64_t bytes) {
    done_ += bytes;
    const uint64_t elapsed = Sys().GetTickCount64() - started_;
    const uint64_t rate = elapsed == 0 ? 0 : done_ * 1000 / elapsed;
    ShowProgress(Say(Text::kReadingBack, {WithoutTrailingSeparator(root_), SizeText(done_),
                                          SizeText(total_), SizeText(rate)}));
  }

  ReadBack Compare(FolderCheck& folder, const WString& relative) {
    const auto progress = [this, &folder](uint64_t bytes) {
      folder.read_back.bytes += bytes;
      Progress(bytes);
    };
    return reader_.Compare(JoinedPath(WithoutTrailingSeparator(folder.source), relative),
                           JoinedPath(WithoutTrailingSeparator(folder.destination), relative),
                           progress);
  }

  // A copy that reads back wrong is kept as it is before the source is copied again: the
  // damage may as well be on the PC's disk.
  bool Mend(FolderCheck& folder, const WString& relative) {
    if (!keep_ || !keep_(folder.destination, relative)) return false;
    const WString source = JoinedPath(WithoutTrailingSeparator(folder.source), relative);
    const WString copy = JoinedPath(WithoutTrailingSeparator(folder.destination), relative);
    if (!Sys().CopyFileExW(OpenablePath(source).c_str(), OpenablePath(copy).c_str(), 0)) {
      return false;
    }
    return Compare(folder, relative) == ReadBack::kEqual;
  }

  void ReadOne(FolderCheck& folder, const WString& relative) {
    FolderReadBack& read_back = folder.read_back;
    switch (Compare(folder, relative)) {
      case ReadBack::kEqual:
        ++read_back.files;
        return;
      case ReadBack::kDifferent:
        run_.stick_failing = true;
        (Mend(folder, relative) ? read_back.mended : read_back.damaged).Add(relative);
        if (run_.read_back_stopped) return;
        ++read_back.files;
        return;
      case ReadBack::kSourceChanged:  // saved meanwhile: as the check counts it
        return AddMismatch(&folder, relative, FileProblem::kDifferent);
      case ReadBack::kSourceUnreadable:
        return;
      case ReadBack::kStickUnreadable:
        run_.stick_failing = true;
        read_back.unreadable.Add(relative);
        return;
      case ReadBack::kStickGone:
        run_.read_back_stopped = true;
        return;
    }
  }

  RunCheck& run_;
  const DamagedCopyKeeper& keep_;
  const WString root_;
  CopyReader reader_;
  uint64_t total_ = 0;
  uint64_t done_ = 0;
  uint64_t started_ = 0;
};

}  // namespace

ReadBackChoice ReadBackChoiceFor(const CommandFolders& folders, const WString& backup_folder,
                                 const LookReport& look, uint64_t turn) {
  const WString destination = WithoutTrailingSeparator(NormalizeSeparators(folders.destination));
  const WString backup = WithoutTrailingSeparator(NormalizeSeparators(backup_folder));
  const WString below = IsWithin(destination, backup) && destination.size() > backup.size()
                            ? destination.substr(backup.size() + 1) + L"\\"
                            : WString();
  const auto copied = look.copied.find(folders.destination);
  const std::unordered_set<WString>* this_run =
      copied == look.copied.end() ? nullptr : &copied->second;
  return [below, this_run, turn](const WString& relative) {
    if (this_run != nullptr && this_run->contains(relative)) return true;
    return PathHash(below + relative) % kReadBackTurns == turn;
  };
}

void ReadBackCopies(RunCheck* run, const DamagedCopyKeeper& keep) { ReadBackPass(run, keep).Run(); }

}  // namespace sollux
