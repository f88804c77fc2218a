#include "mirror/backup_report.h"

#include <algorithm>

#include "base/path.h"
#include "base/text.h"
#include "base/time_text.h"

namespace sollux {
namespace {

constexpr wchar_t kLineEnd[] = L"\r\n";
// Names shown on a console line for one list; the report names up to kNamedProblemLimit.
constexpr size_t kConsoleNames = 3;
WString FolderCountText(uint64_t count) { return SayCounted(Text::kFolderCount, count); }

uint64_t TotalOf(const RunCheck& run, uint64_t FolderCheck::*field) {
  uint64_t total = 0;
  for (const FolderCheck& folder : run.folders) total += folder.*field;
  return total;
}

// What kept the check of a folder from being complete, in words. A missing copy of a folder
// with nothing to copy is left out when `for_summary`: such a folder is in the backup whatever
// its copy's state (robocopy makes no copy of an empty folder's files); only the report notes it.
WStringList IncompleteTexts(const FolderCheck& folder, bool for_summary) {
  WStringList texts;
  if (folder.source_state == TreeState::kMissing) texts.push_back(Say(Text::kFolderMissing));
  if (folder.source_state == TreeState::kUnreadable) texts.push_back(Say(Text::kFolderUnreadable));
  if (folder.destination_state == TreeState::kMissing &&
      !(for_summary && folder.files_checked == 0)) {
    texts.push_back(Say(Text::kCopyMissing));
  }
  if (folder.destination_state == TreeState::kUnreadable) {
    texts.push_back(Say(Text::kCopyUnreadable));
  }
  if (!folder.finished) texts.push_back(Say(Text::kCheckStopped));
  if (folder.unreadable_folder_count != 0) {
    texts.push_back(SayCounted(Text::kSubfoldersUnreadable, folder.unreadable_folder_count));
  }
  return texts;
}

// The names, indented, and how many of `total` were not named.
void AddNamedLines(WStringList* lines, const WStringList& named, uint64_t total) {
  for (const WString& name : named) lines->push_back(L"  " + name);
  if (total > named.size()) {
    lines->push_back(Say(Text::kReportMore, {CountText(total - named.size())}));
  }
}

// ": held open by Microsoft Outlook (OUTLOOK.EXE): close it ..." where the holder is known.
WString HolderText(const FileMismatch& mismatch) {
  return mismatch.holder.empty() ? WString() : L": " + Say(Text::kHeldOpenBy, {mismatch.holder});
}

WStringList FolderLines(const FolderCheck& folder) {
  WStringList lines = {L"", Say(Text::kReportFolder, {folder.source}),
                       Say(Text::kReportBackup, {folder.destination}),
                       Say(Text::kReportChecked,
                           {FileCountText(folder.files_checked), SizeText(folder.bytes_checked)})};
  for (const WString& text : IncompleteTexts(folder, false)) {
    lines.push_back(Say(Text::kReportNote, {text}));
  }
  if (folder.files_not_in_backup != 0) {
    lines.push_back(SayCounted(Text::kReportNotInBackupList, folder.files_not_in_backup));
    const WString missing = Say(Text::kReportMissingTag),
                  different = Say(Text::kReportDifferentTag);
    WStringList named;
    for (const FileMismatch& mismatch : folder.mismatches) {
      named.push_back((mismatch.problem == FileProblem::kMissing ? missing : different) +
                      mismatch.relative_path + HolderText(mismatch));
    }
    AddNamedLines(&lines, named, folder.files_not_in_backup);
  }
  if (folder.unreadable_folder_count != 0) {
    lines.push_back(Say(Text::kReportNotRead));
    AddNamedLines(&lines, folder.unreadable_folders, folder.unreadable_folder_count);
  }
  const FolderReadBack& read_back = folder.read_back;
  if (read_back.bytes != 0) {
    lines.push_back(
        Say(Text::kReportReadBack, {FileCountText(read_back.files), SizeText(read_back.bytes)}));
  }
  for (const auto& [text, files] : {std::pair{Text::kReportMended, &read_back.mended},
                                    {Text::kReportDamaged, &read_back.damaged},
                                    {Text::kReportUnreadableOnStick, &read_back.unreadable}}) {
    if (files->count == 0) continue;
    lines.push_back(Say(text));
    AddNamedLines(&lines, files->names, files->count);
  }
  return lines;
}

// A console line for a folder whose copies did not all read back right; "" for one whose did.
WString ReadBackLine(const FolderCheck& folder) {
  WStringList parts;
  for (const auto& [text, files] : {std::pair{Text::kReadBackMended, &folder.read_back.mended},
                                    {Text::kReadBackDamaged, &folder.read_back.damaged},
                                    {Text::kReadBackUnreadable, &folder.read_back.unreadable}}) {
    if (files->count != 0) {
      parts.push_back(
          SayCounted(text, files->count, {FirstNames(files->names, files->count, kConsoleNames)}));
    }
  }
  return parts.empty() ? WString() : folder.source + L": " + JoinWithText(parts, L"; ");
}

uint64_t ReadBackBytes(const RunCheck& run) {
  uint64_t bytes = 0;
  for (const FolderCheck& folder : run.folders) bytes += folder.read_back.bytes;
  return bytes;
}

uint64_t ReadBackFailures(const RunCheck& run) {
  uint64_t files = 0;
  for (const FolderCheck& folder : run.folders) {
    const FolderReadBack& read_back = folder.read_back;
    files += read_back.mended.count + read_back.damaged.count + read_back.unreadable.count;
  }
  return files;
}

bool CheckedCompletely(const FolderCheck& folder) {
  return folder.source_state == TreeState::kRead &&
         folder.destination_state != TreeState::kUnreadable && folder.finished &&
         folder.unreadable_folder_count == 0;
}

// Folders not checked, or not to the end.
uint64_t IncompleteCount(const RunCheck& run) {
  return run.not_checked.size() + run.folders_left_out +
         std::count_if(run.folders.begin(), run.folders.end(),
                       [](const FolderCheck& folder) { return !CheckedCompletely(folder); });
}

// A check that could not look everywhere must not say that everything is there.
WString LastSummaryLine(const RunCheck& run, const WString& report_path) {
  const WStringList totals = {FolderCountText(run.folders.size()),
                              FileCountText(TotalOf(run, &FolderCheck::files_checked)),
                              SizeText(TotalOf(run, &FolderCheck::bytes_checked))};
  const uint64_t read_back = ReadBackBytes(run);
  // Without a stick, the copies read back lie in the backup folder on the PC's own disk.
  const bool own_disk = !run.own_disk_line.empty();
  if (AllInBackup(run)) {
    if (read_back == 0) return Say(Text::kSummaryAllIn, totals);
    WStringList with_read_back = totals;
    with_read_back.push_back(SizeText(read_back));
    return Say(own_disk ? Text::kSummaryAllInReadBackOwnDisk : Text::kSummaryAllInReadBack,
               with_read_back);
  }
  WString line = Say(Text::kSummaryNotAllIn, totals);
  const uint64_t missing = TotalOf(run, &FolderCheck::files_not_in_backup);
  const uint64_t incomplete = IncompleteCount(run);
  if (missing != 0) line += L"; " + SayCounted(Text::kNotInBackup, missing);
  if (incomplete != 0) line += L"; " + SayCounted(Text::kFoldersNotChecked, incomplete);
  if (read_back != 0) {
    line += L"; " + Say(own_disk ? Text::kSummaryReadBackOwnDisk : Text::kSummaryReadBack,
                        {SizeText(read_back)});
  }
  if (!report_path.empty()) line += L"; " + Say(Text::kSummarySee, {report_path});
  return line;
}

// A run whose check could not look everywhere must not read like a good one in the history.
WString IncompleteHistoryText(const RunCheck& run) {
  const uint64_t incomplete = IncompleteCount(run);
  if (incomplete == 0) return WString();
  return L"; " + SayCounted(Text::kFoldersNotCheckedInHistory, incomplete);
}

// What the read back read, and the files that failed it, where there are any.
WString ReadBackHistoryText(const RunCheck& run) {
  WString text;
  if (const uint64_t bytes = ReadBackBytes(run); bytes != 0) {
    text += L"; " + Say(Text::kReadBackInHistory, {SizeText(bytes)});
  }
  if (const uint64_t failed = ReadBackFailures(run); failed != 0) {
    text += L"; " + SayCounted(Text::kDamagedInHistory, failed);
  }
  return text;
}

}  // namespace

WString ReportText(const RunCheck& run) {
  WStringList lines = {
      Say(Text::kReportTitle, {DateTimeText(run.time)}),
      Say(Text::kReportComputer, {run.computer}),
      Say(Text::kReportBackup, {run.destination}),
      Say(Text::kReportLateWrites),
  };
  for (const FolderCheck& folder : run.folders) {
    const WStringList folder_lines = FolderLines(folder);
    lines.insert(lines.end(), folder_lines.begin(), folder_lines.end());
  }
  if (!run.not_checked.empty()) {
    lines.insert(lines.end(), {L"", Say(Text::kReportNotChecked)});
    AddNamedLines(&lines, run.not_checked, run.not_checked.size());
  }
  if (run.read_back_stopped) lines.insert(lines.end(), {L"", Say(Text::kReadBackStopped)});
  if (run.stick_failing) lines.insert(lines.end(), {L"", Say(Text::kStickFailing)});
  if (!run.own_disk_line.empty()) lines.insert(lines.end(), {L"", run.own_disk_line});
  lines.insert(lines.end(), run.look_lines.begin(), run.look_lines.end());
  return JoinWithText(lines, kLineEnd) + kLineEnd;
}

WString HistoryLine(const RunCheck& run) {
  return DateTimeText(run.time) + L"; " + FolderCountText(run.folders.size()) + L"; " +
         FileCountText(TotalOf(run, &FolderCheck::files_checked)) + L"; " +
         SizeText(TotalOf(run, &FolderCheck::bytes_checked)) + L"; " +
         SayCounted(Text::kNotInBackupInHistory, TotalOf(run, &FolderCheck::files_not_in_backup)) +
         IncompleteHistoryText(run) +
         (run.files_kept == 0 ? WString()
                              : L"; " + SayCounted(Text::kKeptInHistory, run.files_kept)) +
         ReadBackHistoryText(run) +
         (run.own_disk_line.empty() ? WString() : L"; " + Say(Text::kOwnDiskInHistory));
}

bool AllInBackup(const RunCheck& run) {
  return TotalOf(run, &FolderCheck::files_not_in_backup) == 0 && IncompleteCount(run) == 0;
}

WStringList SummaryLines(const RunCheck& run, const WString& report_path) {
  WStringList lines;
  for (const FolderCheck& folder : run.folders) {
    WStringList texts = IncompleteTexts(folder, true);
    if (folder.files_not_in_backup != 0) {
      texts.insert(texts.begin(), SayCounted(Text::kNotInBackup, folder.files_not_in_backup));
    }
    if (!texts.empty()) lines.push_back(folder.source + L": " + JoinWithText(texts, L"; "));
    for (const FileMismatch& mismatch : folder.mismatches) {
      if (!mismatch.holder.empty()) {
        lines.push_back(JoinedPath(folder.source, mismatch.relative_path) + HolderText(mismatch));
      }
    }
  }
  for (const WString& folder : run.not_checked) {
    lines.push_back(folder + L": " + Say(Text::kNotNamed));
  }
  for (const FolderCheck& folder : run.folders) {
    if (const WString line = ReadBackLine(folder); !line.empty()) lines.push_back(line);
  }
  if (run.read_back_stopped) lines.push_back(Say(Text::kReadBackStopped));
  if (run.stick_failing) lines.push_back(Say(Text::kStickFailing));
  lines.push_back(LastSummaryLine(run, report_path));
  if (!run.own_disk_line.empty()) lines.push_back(run.own_disk_line);
  return lines;
}

WString FirstNames(const WStringList& names, uint64_t total, size_t limit) {
  WStringList shown(names.begin(), names.begin() + std::min(limit, names.size()));
  WString text = JoinWithText(shown, L", ");
  return total > shown.size() ? text + L", ..." : text;
}

}  // namespace sollux
