#include "job/backup_job.h"

#include "base/path.h"

namespace sollux {

BackupJob::BackupJob() { excluded_files_ = WString() + L" mfc*.tmp " + L" Thumbs.db "; }

WString BackupJob::ScriptText() const { return script_text_; }
std::vector<CommandFolders> BackupJob::ScriptFolders() const { return script_folders_; }
WString BackupJob::Source() const { return source_; }
WString BackupJob::Destination() const { return destination_; }
WString BackupJob::FileSelection() const { return file_selection_; }
WString BackupJob::ExtraOptions() const { return extra_options_; }
bool BackupJob::LongFinalPause() const { return long_final_pause_; }

bool BackupJob::SetSource(const wchar_t* text) {
  source_ = TextOrEmpty(text);
  return true;
}
bool BackupJob::SetDestination(const wchar_t* text) {
  destination_ = TextOrEmpty(text);
  return true;
}
bool BackupJob::SetFileSelection(const wchar_t* text) {
  file_selection_ = TextOrEmpty(text);
  return true;
}
bool BackupJob::SetExtraOptions(const wchar_t* text) {
  extra_options_ = TextOrEmpty(text);
  return true;
}

#define SOLLUX_JOB_SETTER(Name, Type, field) \
  bool BackupJob::Name(Type value) {         \
    field = value;                           \
    return true;                             \
  }
SOLLUX_JOB_SETTER(SetLongFinalPause, bool, long_final_pause_)
SOLLUX_JOB_SETTER(SetUnattended, bool, unattended_)
SOLLUX_JOB_SETTER(SetListOnly, bool, list_only_)
SOLLUX_JOB_SETTER(SetSubdirectories, bool, subdirectories_)
SOLLUX_JOB_SETTER(SetMirror, bool, mirror_)
SOLLUX_JOB_SETTER(SetPurge, bool, purge_)
SOLLUX_JOB_SETTER(SetFatFileTimes, bool, fat_file_times_)
SOLLUX_JOB_SETTER(SetRetryEnabled, bool, retry_enabled_)
SOLLUX_JOB_SETTER(SetWaitEnabled, bool, wait_enabled_)
SOLLUX_JOB_SETTER(SetExcludeOlder, bool, exclude_older_)
SOLLUX_JOB_SETTER(SetExcludeExtra, bool, exclude_extra_)
SOLLUX_JOB_SETTER(SetExcludeJunctionDirs, bool, exclude_junction_dirs_)
SOLLUX_JOB_SETTER(SetMinSizeEnabled, bool, min_size_enabled_)
SOLLUX_JOB_SETTER(SetMaxSizeEnabled, bool, max_size_enabled_)
SOLLUX_JOB_SETTER(SetMaxAgeEnabled, bool, max_age_enabled_)
SOLLUX_JOB_SETTER(SetMinAgeEnabled, bool, min_age_enabled_)
SOLLUX_JOB_SETTER(SetExcludeFilesEnabled, bool, exclude_files_enabled_)
SOLLUX_JOB_SETTER(SetExcludeDirsEnabled, bool, exclude_dirs_enabled_)
SOLLUX_JOB_SETTER(SetRetryCount, uint16_t, retry_count_)
SOLLUX_JOB_SETTER(SetWaitSeconds, uint16_t, wait_seconds_)
SOLLUX_JOB_SETTER(SetMinSize, uint64_t, min_size_)
SOLLUX_JOB_SETTER(SetMaxSize, uint64_t, max_size_)
SOLLUX_JOB_SETTER(SetMaxAge, uint32_t, max_age_)
SOLLUX_JOB_SETTER(SetMinAge, uint32_t, min_age_)
#undef SOLLUX_JOB_SETTER

bool BackupJob::SetExcludedFiles(const wchar_t* text) {
  excluded_files_ = TextOrEmpty(text);
  return true;
}
bool BackupJob::SetExcludedDirs(const wchar_t* text) {
  excluded_dirs_ = TextOrEmpty(text);
  return true;
}
bool BackupJob::AddExcludedFile(WString entry) {
  excluded_files_ += L" " + entry;
  return true;
}
bool BackupJob::AddExcludedDir(WString entry) {
  excluded_dirs_ += L" " + entry;
  return true;
}

WString BackupJob::ExcludedFiles() const { return excluded_files_; }
WString BackupJob::ExcludedDirs() const { return excluded_dirs_; }
uint16_t BackupJob::RetryCount() const { return retry_count_; }
uint16_t BackupJob::WaitSeconds() const { return wait_seconds_; }
uint64_t BackupJob::MinSize() const { return min_size_; }
uint64_t BackupJob::MaxSize() const { return max_size_; }
uint32_t BackupJob::MaxAge() const { return max_age_; }
uint32_t BackupJob::MinAge() const { return min_age_; }
WString BackupJob::ToolName() const { return ToLower(L"robocopy"); }

}  // namespace sollux
