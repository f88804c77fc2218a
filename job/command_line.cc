#include "job/command_line.h"

#include "base/folders.h"
#include "base/path.h"
#include "base/text.h"
#include "script/batch_escape.h"
#include "script/path_rewrite.h"

namespace sollux {
namespace {

// One trailing separator dropped, except the one of a root: "C:" alone is the current folder
// of drive C, and "\" would become no folder at all.
WString WithoutFolderSeparator(const WString& folder) {
  const WString trimmed = WithoutTrailingSeparator(folder);
  if (trimmed.size() < folder.size() && (trimmed.empty() || trimmed.back() == L':')) {
    return folder;
  }
  return trimmed;
}

// "/r:" with 3 and the like: the switch is left out when its flag is clear.
void AddSwitch(WStringList& elements, bool on, const wchar_t* text, const WString& value = {}) {
  if (on) elements.push_back(text + value);
}

}  // namespace

CommandFolders CommandFoldersOf(const BackupJob& job) {
  WString source = Unquote(job.Source());
  WString destination = Unquote(job.Destination());
  // Only a job without a source or a destination needs the scratch folder: finding it costs a
  // long-name lookup of the temporary folder, which takes milliseconds under Wine, for every
  // command line of the batch file.
  if (source.empty() || destination.empty()) {
    const WString scratch = WithTrailingSeparator(ScratchSubfolder(L""), L'\\');
    if (source.empty()) source = scratch;
    if (destination.empty()) destination = scratch + kBackupFolderName;
  }
  source = MappedDriveToUnc(source.c_str());
  destination = MappedDriveToUnc(destination.c_str());
  destination = BackupDestinationFor(source.c_str(), destination.c_str());
  return {WithoutFolderSeparator(source), WithoutFolderSeparator(destination)};
}

bool IsNestedFolder(const WString& source, const WString& destination) {
  if (source.empty() || destination.size() < source.size()) return false;
  for (size_t i = 0; i < source.size(); ++i) {
    // The destination below a backup folder has backslashes only, the source as it was given.
    const bool same =
        source[i] == destination[i] || (IsSeparator(source[i]) && IsSeparator(destination[i]));
    if (!same) return false;
  }
  return destination.size() == source.size() || IsSeparator(source.back()) ||
         IsSeparator(destination[source.size()]);
}

WString BackupJob::CommandLine() const {
  const CommandFolders folders = CommandFoldersOf(*this);
  WStringList elements = {ToolName(), QuotedFolder(folders.source),
                          QuotedFolder(folders.destination)};
  const WString selection = FileSelection();
  if (!selection.empty()) elements.push_back(selection);
  AddSwitch(elements, subdirectories_, L"/s");
  AddSwitch(elements, purge_, L"/purge");
  AddSwitch(elements, mirror_, L"/mir");
  AddSwitch(elements, fat_file_times_, L"/fft");
  AddSwitch(elements, retry_enabled_, L"/r:", NumberText(retry_count_));
  AddSwitch(elements, wait_enabled_, L"/w:", NumberText(wait_seconds_));
  AddSwitch(elements, exclude_older_, L"/xo");
  AddSwitch(elements, exclude_extra_, L"/xx");
  AddSwitch(elements, exclude_junction_dirs_, L"/xjd");
  AddSwitch(elements, max_age_enabled_, L"/maxage:", NumberText(max_age_));
  AddSwitch(elements, min_age_enabled_, L"/minage:", NumberText(min_age_));
  AddSwitch(elements, min_size_enabled_, L"/min:", NumberText64(min_size_));
  AddSwitch(elements, max_size_enabled_, L"/max:", NumberText64(max_size_));
  AddSwitch(elements, exclude_files_enabled_, L"/xf ", excluded_files_);
  AddSwitch(elements, exclude_dirs_enabled_, L"/xd ", excluded_dirs_);
  elements.push_back(ExtraOptions());
  AddSwitch(elements, list_only_, L"/l");
  AddSwitch(elements, IsNestedFolder(folders.source, folders.destination), L"/lev:",
            NumberText(kNestedCopyLevels));
  return JoinWithChar(elements, L' ');
}

}  // namespace sollux
