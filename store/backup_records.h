// The records of one computer's backup on a stick, each with one reader and one writer: the run
// list, the folders each run mirrored, each run's list of the files it added, the report, the
// history and the read back's turn. Every path is checked for links before it is read or
// written; every line read is checked for its form, and one that fails is skipped and noted.
#ifndef SOLLUX_STORE_BACKUP_RECORDS_H_
#define SOLLUX_STORE_BACKUP_RECORDS_H_

#include <cstdint>
#include <optional>
#include <vector>

#include "base/wstring.h"
#include "store/run_name.h"
#include "store/stick_layout.h"

namespace sollux {

inline constexpr size_t kHistoryLineLimit = 1000;

// A folder that a run mirrored: a line "<run>\t<folder>\t<place>\t<added>" of the folder list.
struct FolderRecord {
  RunName run;
  WString original;  // the folder on the PC, C:\Users\anna\Documents (safe_path.h's form)
  WString place;     // its backup folder below _Backup_, PC01\C\Users\anna\Documents
  // The files the run's mirror added below the place; none in lines of runs made before the
  // count was kept, whose runs made no folder of their own when they kept and added nothing.
  std::optional<uint64_t> added;
};

class BackupRecords {
 public:
  explicit BackupRecords(StickLayout* layout) : layout_(*layout) {}

  // The runs of the run list, oldest first, each once.
  std::vector<RunName> Runs();
  // Each writer answers false when its record could not be written, a link in its place too.
  bool AddRun(const RunName& run);
  // The run list without `run` and the runs before it.
  bool DropRunsThrough(const RunName& run);

  std::vector<FolderRecord> Folders();
  bool AddFolders(const std::vector<FolderRecord>& folders);

  // The places of the files that `run` added; nullopt when its list is missing or unreadable.
  std::optional<WStringList> Added(const RunName& run);
  bool WriteAdded(const RunName& run, const WStringList& places);

  // Adds the run's line; the history keeps its last kHistoryLineLimit lines.
  bool AddHistory(const WString& line);
  bool WriteReport(const WString& text);

  // This run's turn of `turns`, from the count in the computer's folder, which it advances.
  uint64_t TakeReadBackTurn(uint64_t turns);

  // The lines skipped for their form, "<record>: <line>", each once, in the order found.
  const WStringList& skipped() const { return skipped_; }

 private:
  // The lines of a record that is no link; false when it is missing, unreadable or a link.
  bool Read(const WString& path, WStringList* lines);
  void Skip(const WString& path, const WString& line);

  StickLayout& layout_;
  WStringList skipped_;
};

}  // namespace sollux

#endif  // SOLLUX_STORE_BACKUP_RECORDS_H_
