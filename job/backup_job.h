// One robocopy mirror run: folders, file selection, switches, exclusion lists, and the batch
// text composed for it.
#ifndef SOLLUX_JOB_BACKUP_JOB_H_
#define SOLLUX_JOB_BACKUP_JOB_H_

#include <cstdint>

#include "base/wstring.h"
#include "mirror/check_rules.h"
#include "script/batch_script.h"

namespace sollux {

class BackupJob {
 public:
  BackupJob();
  BackupJob(const BackupJob& other) = default;
  BackupJob& operator=(const BackupJob& other) = default;
  ~BackupJob() = default;

  virtual WString ScriptText() const;
  virtual WString Source() const;
  virtual WString Destination() const;
  virtual WString FileSelection() const;
  virtual WString ExtraOptions() const;
  virtual bool LongFinalPause() const;
  virtual bool SetSource(const wchar_t* text);
  virtual bool SetDestination(const wchar_t* text);
  virtual bool SetFileSelection(const wchar_t* text);
  virtual bool SetExtraOptions(const wchar_t* text);
  virtual bool SetLongFinalPause(bool on);
  virtual bool SetListOnly(bool on);
  virtual bool SetSubdirectories(bool on);
  virtual bool SetMirror(bool on);
  virtual bool SetPurge(bool on);
  virtual bool SetFatFileTimes(bool on);
  virtual bool SetRetryEnabled(bool on);
  virtual bool SetWaitEnabled(bool on);
  virtual bool SetExcludeOlder(bool on);
  virtual bool SetExcludeExtra(bool on);
  virtual bool SetExcludeJunctionDirs(bool on);
  virtual bool SetMinSizeEnabled(bool on);
  virtual bool SetMaxSizeEnabled(bool on);
  virtual bool SetMaxAgeEnabled(bool on);
  virtual bool SetMinAgeEnabled(bool on);
  virtual bool SetExcludeFilesEnabled(bool on);
  virtual bool SetExcludeDirsEnabled(bool on);
  virtual bool SetRetryCount(uint16_t count);
  virtual bool SetWaitSeconds(uint16_t seconds);
  virtual bool SetMinSize(uint64_t bytes);
  virtual bool SetMaxSize(uint64_t bytes);
  virtual bool SetMaxAge(uint32_t age);
  virtual bool SetMinAge(uint32_t age);
  virtual bool SetExcludedFiles(const wchar_t* text);
  virtual bool SetExcludedDirs(const wchar_t* text);
  virtual bool AddExcludedFile(WString entry);
  virtual bool AddExcludedDir(WString entry);
  virtual WString ExcludedFiles() const;
  virtual WString ExcludedDirs() const;
  virtual uint16_t RetryCount() const;
  virtual uint16_t WaitSeconds() const;
  virtual uint64_t MinSize() const;
  virtual uint64_t MaxSize() const;
  virtual uint32_t MaxAge() const;
  virtual uint32_t MinAge() const;
  // The robocopy command line of the job's current source and destination.
  virtual WString CommandLine() const;
  // A batch file for a scheduled task: no timeout before its command lines or at its end.
  virtual bool SetUnattended(bool unattended);
  // Fills the script text with the batch file for every existing folder of `sources`, and
  // leaves the source set to the last folder that got a command.
  virtual bool ComposeScript(WStringList sources);
  // Leaves the command lines that copy `folders` out of the script text composed by
  // ComposeScript, and out of ScriptFolders; the banner still names every folder.
  virtual bool LeaveOut(const std::vector<CommandFolders>& folders);
  // Fills the script text with the batch file for the job's own source.
  virtual bool ComposeSingleScript();
  // The batch file's name, a function of the source, destination and main switches.
  virtual WString ScriptFileName() const;
  virtual WString ToolName() const;
  // The folders of every command line of the script text, as robocopy receives them, in the
  // order of the lines; empty until a script is composed.
  virtual std::vector<CommandFolders> ScriptFolders() const;
  // Which files robocopy, given the job's switches, copies from `folders.source`: the rules by
  // which the check after the backup compares the folders of one command line. They follow
  // /xf, /xd, /max, /xjd, /s and /lev; the backup sets none of /min, /maxage, /minage and /xo.
  virtual CheckRules CheckRulesFor(const CommandFolders& folders) const;
  // Writes the batch file into the script folder and starts it: through the command
  // interpreter, waiting for it, or through the shell with `show_command`, returning at once.
  // False when the batch file could not be written or the interpreter not started.
  virtual bool Run(int show_command, bool through_interpreter);

 private:
  WString script_text_;
  MultiSourceBatch batch_;
  std::vector<CommandFolders> script_folders_;
  WString source_;
  WString destination_;
  WString file_selection_;
  WString extra_options_;
  bool list_only_ = false;
  bool subdirectories_ = true;
  bool mirror_ = false;
  bool purge_ = true;
  bool fat_file_times_ = true;
  bool retry_enabled_ = true;
  bool wait_enabled_ = true;
  uint16_t retry_count_ = 3;
  uint16_t wait_seconds_ = 5;
  bool exclude_older_ = true;
  bool exclude_extra_ = false;
  bool exclude_junction_dirs_ = true;
  bool exclude_files_enabled_ = true;
  bool exclude_dirs_enabled_ = false;
  WString excluded_files_;
  WString excluded_dirs_;
  bool min_size_enabled_ = false;
  bool max_size_enabled_ = false;
  uint64_t min_size_ = 0;
  uint64_t max_size_ = uint64_t{256} << 32;
  bool max_age_enabled_ = false;
  bool min_age_enabled_ = false;
  uint32_t max_age_ = 19700101;
  uint32_t min_age_ = 0;
  bool long_final_pause_ = false;
  bool unattended_ = false;
};

}  // namespace sollux

#endif  // SOLLUX_JOB_BACKUP_JOB_H_
