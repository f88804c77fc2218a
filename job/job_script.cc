// The batch file of a job: its text and its name.
#include "base/file_system.h"
#include "base/messages.h"
#include "base/path.h"
#include "base/text.h"
#include "base/ui_text.h"
#include "job/backup_job.h"
#include "job/command_line.h"
#include "script/batch_script.h"
#include "script/path_rewrite.h"
#include "script/script_file_name.h"

namespace sollux {
namespace {

// The batch file changes to %Temp% before its first robocopy line, and a relative source has
// no place below the backup folder: "." would mirror %Temp% over the whole backup folder.
bool Qualifies(const WString& source) {
  return IsFullPath(source) && DirectoryExists(source.c_str());
}

// A folder that the batch file cannot name would be copied to or from another folder, or not
// at all: never without a word.
void ReportUnnamableFolders(const std::vector<CommandFolders>& folders) {
  for (const WString& folder : UnnamableFolders(folders))
    ErrorLine(Say(Text::kFolderWithoutExactForm, {folder}));
}

}  // namespace

bool BackupJob::ComposeScript(WStringList sources) {
  MultiSourceBatch batch = {ToolName(), {},         Destination(), {}, list_only_,
                            long_final_pause_, !unattended_};
  script_folders_.clear();
  ScopedMachineMemo machine_memo;
  for (const WString& source : UniqueInOrder(sources)) {
    if (!Qualifies(source)) continue;
    SetSource(source.c_str());
    batch.folders.push_back(source);
    batch.command_lines.push_back(CommandLine());
    script_folders_.push_back(CommandFoldersOf(*this));
  }
  ReportUnnamableFolders(script_folders_);
  script_text_ = RenderBatch(batch);
  batch_ = std::move(batch);
  return true;
}

bool BackupJob::LeaveOut(const std::vector<CommandFolders>& folders) {
  bool changed = false;
  for (const CommandFolders& left : folders) {
    for (size_t i = 0; i < script_folders_.size() && i < batch_.command_lines.size(); ++i) {
      if (script_folders_[i].source != left.source ||
          script_folders_[i].destination != left.destination) {
        continue;
      }
      script_folders_.erase(script_folders_.begin() + static_cast<std::ptrdiff_t>(i));
      batch_.command_lines.erase(batch_.command_lines.begin() + static_cast<std::ptrdiff_t>(i));
      changed = true;
      break;
    }
  }
  if (changed) script_text_ = RenderBatch(batch_);
  return true;
}

bool BackupJob::ComposeSingleScript() {
  const SingleSourceBatch batch = {ToolName(), Source(), CommandLine(), list_only_,
                                   long_final_pause_, !unattended_};
  batch_ = MultiSourceBatch();
  script_folders_ = {CommandFoldersOf(*this)};
  ReportUnnamableFolders(script_folders_);
  script_text_ = RenderBatch(batch);
  return true;
}

WString BackupJob::ScriptFileName() const {
  return BatchFileName(
      {Source(), Destination(), subdirectories_, mirror_, fat_file_times_, list_only_});
}

}  // namespace sollux
