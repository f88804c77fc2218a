#include "job/job_check.h"

#include "base/console.h"
#include "base/file_system.h"
#include "base/messages.h"
#include "base/path.h"
#include "base/process.h"
#include "base/system_api.h"
#include "base/ui_text.h"
#include "job/command_line.h"
#include "job/job_read_back.h"
#include "mirror/backup_check.h"
#include "mirror/backup_report.h"
#include "script/batch_script.h"
#include "script/path_rewrite.h"
#include "store/backup_records.h"
#include "store/stick_layout.h"

namespace sollux {
namespace {

constexpr uint64_t kHolderSearchMilliseconds = 1000;

// The folders of the script, checked; a line whose folder the batch file could not name copied
// some other folder or none, and its source is only listed as not checked.
RunCheck CheckScriptFolders(const BackupJob& job, const WString& report_folder,
                            const LookReport& look, BackupRecords* records) {
  const uint64_t turn = records->TakeReadBackTurn(kReadBackTurns);
  RunCheck run;
  run.time = Sys().CurrentTime();
  run.computer = MachineName();
  run.destination = report_folder;
  for (const CommandFolders& folders : job.ScriptFolders()) {
    if (!UnnamableFolders({folders}).empty()) {
      run.not_checked.push_back(folders.source);
      continue;
    }
    const auto progress = [&folders](uint64_t files) {
      ShowProgress(Say(Text::kChecking, {folders.source, FileCountText(files)}));
    };
    run.folders.push_back(CheckFolder(folders.source, folders.destination,
                                      job.CheckRulesFor(folders), progress,
                                      ReadBackChoiceFor(folders, job.Destination(), look, turn)));
    ClearProgress();
  }
  return run;
}

// The report's path, or "" when it could not be written (said on stderr). A history that could
// not be written is said in the report too; neither is written in the place of a link, which
// would take it wherever the link points.
WString WriteReportFiles(const RunCheck& run, StickLayout* layout, BackupRecords* records) {
  const WString report = layout->ComputerFile(kReportFileName);
  const WString history = layout->ComputerFile(kHistoryFileName);
  if (layout->Plain(layout->computer_folder())) CreateLongFolderChain(layout->computer_folder());
  const size_t links = layout->links().size();
  const bool history_written = records->AddHistory(HistoryLine(run));
  const WString history_failed = history_written ? WString() : Say(Text::kHistoryNotWritten, {history});
  const bool report_written =
      records->WriteReport(ReportText(run) + (history_written ? L"" : history_failed + L"\r\n"));
  for (size_t i = links; i < layout->links().size(); ++i) {
    ErrorLine(Say(Text::kLinkNotFollowed, {layout->links()[i]}));
  }
  if (!report_written) ErrorLine(Say(Text::kReportNotWritten, {report}));
  if (!history_written) ErrorLine(history_failed);
  return report_written ? report : WString();
}

// The programs that hold the files named as missing or different, by the Restart Manager: for
// the first of them, and for a second at most in all.
void NameHolders(RunCheck* run) {
  const uint64_t end = Sys().GetTickCount64() + kHolderSearchMilliseconds;
  size_t asked = 0;
  for (FolderCheck& folder : run->folders) {
    for (FileMismatch& mismatch : folder.mismatches) {
      if (asked++ == kNamedProblemLimit || Sys().GetTickCount64() >= end) return;
      mismatch.holder = FileHolders(JoinedPath(folder.source, mismatch.relative_path));
    }
  }
}

}  // namespace

CheckRules BackupJob::CheckRulesFor(const CommandFolders& folders) const {
  CheckRules rules;
  if (exclude_files_enabled_) rules.excluded_files = SplitExclusionText(excluded_files_);
  if (exclude_dirs_enabled_) rules.excluded_dirs = SplitExclusionText(excluded_dirs_);
  if (max_size_enabled_) rules.max_size = max_size_;
  rules.skip_junctions = exclude_junction_dirs_;
  if (!subdirectories_ && !mirror_) {
    rules.max_depth = 1;
  } else if (IsNestedFolder(folders.source, folders.destination)) {
    rules.max_depth = kNestedCopyLevels;
  }
  return rules;
}

CheckOutcome CheckBackup(const BackupJob& job, const WString& report_folder,
                         const LookReport& look, const DamagedCopyKeeper& keep,
                         const WString& own_disk_line, const WStringList& notes) {
  // The report's folder is the computer's in the backup folder.
  StickLayout layout(DirectoryPart(WithoutTrailingSeparator(report_folder)), report_folder);
  BackupRecords records(&layout);
  RunCheck run = CheckScriptFolders(job, report_folder, look, &records);
  NameHolders(&run);
  run.own_disk_line = own_disk_line;
  ReadBackCopies(&run, keep);
  run.look_lines = look.lines;
  run.look_lines.insert(run.look_lines.end(), notes.begin(), notes.end());
  run.files_kept = look.files_kept;
  run.folders_left_out = look.folders_left_out;
  const WString report = WriteReportFiles(run, &layout, &records);
  // A stick that returned wrong bytes once will do so again, mended copies or not.
  return {AllInBackup(run) && !run.stick_failing, SummaryLines(run, report)};
}

}  // namespace sollux
