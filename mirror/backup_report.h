// What the check after a backup tells the user: the text of a report file beside the backup,
// one line per run for a history file, and summary lines for the console.
#ifndef SOLLUX_MIRROR_BACKUP_REPORT_H_
#define SOLLUX_MIRROR_BACKUP_REPORT_H_

#include <cstdint>
#include <vector>

#include "base/ui_text.h"
#include "base/wstring.h"
#include "mirror/backup_check.h"

namespace sollux {

// One run of the check.
struct RunCheck {
  int64_t time = 0;  // seconds since 1970 (UTC); shown in local time
  WString computer;
  WString destination;  // the computer's backup folder, e.g. E:\_Backup_\PC01
  std::vector<FolderCheck> folders;
  WStringList not_checked;  // folders that the batch file could not name
  // What the look before the copying found and did, for the report; the files it kept as
  // versions, for the history.
  WStringList look_lines;
  uint64_t files_kept = 0;
  // Folders whose robocopy line was left out, for their backup folder lay behind a link.
  uint64_t folders_left_out = 0;
  // The read back: the stick returned wrong bytes or failed a read; it stopped answering.
  bool stick_failing = false;
  bool read_back_stopped = false;
  // Without a stick, the line that says where the backup went instead, and when a stick last
  // got one; "" for a backup to a stick.
  WString own_disk_line{};
};

// The report's text, every line ending in CRLF.
WString ReportText(const RunCheck& run);
// The history's line for the run, without a line end; it counts the folders not checked
// completely and the files kept as versions where there are any.
WString HistoryLine(const RunCheck& run);
// Whether every file is in the backup: none missing or different, and every folder checked
// completely (both trees read to the end, no unreadable subfolder, none left unnamed).
bool AllInBackup(const RunCheck& run);
// One console line per folder with files missing or different (or that could not be checked
// completely), then the line for the whole run, naming `report_path` (when not empty) unless
// all is in the backup.
WStringList SummaryLines(const RunCheck& run, const WString& report_path);

// The first `limit` of `names`, joined for a console line; ", ..." when `total` is more.
WString FirstNames(const WStringList& names, uint64_t total, size_t limit);

}  // namespace sollux

#endif  // SOLLUX_MIRROR_BACKUP_REPORT_H_
