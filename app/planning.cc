#include "app/planning.h"

#include "app/registry.h"
#include "base/console.h"
#include "base/environment.h"
#include "base/file_system.h"
#include "base/folders.h"
#include "base/messages.h"
#include "base/path.h"
#include "base/system_api.h"
#include "base/text.h"
#include "base/time_text.h"
#include "base/ui_text.h"
#include "base/win.h"
#include "job/backup_job.h"
#include "job/job_check.h"
#include "job/job_look.h"
#include "script/path_rewrite.h"
#include "store/stick_record.h"

namespace sollux {
namespace {

// The developers' own source tree, backed up wherever it exists (two levels above the folder
// this driver was once built in).
constexpr wchar_t kDevelopmentFolder[] = L"T:\\Develop\\_.SRC";

// What robocopy leaves out: backup and temporary files, Explorer's thumbnails, and folders of
// backups, of Visual Studio's caches and of search indexes. Each entry stands between blanks.
constexpr wchar_t kExcludedFiles[] = L" *.bak  *.tmp  Thumbs.db ";
constexpr wchar_t kExcludedDirs[] = L" bak  .vs  _Backup_  _Search_ ";

constexpr int kUserFolders[] = {
    CSIDL_COMMON_DOCUMENTS,
    CSIDL_COMMON_PICTURES,
    CSIDL_COMMON_MUSIC,
    CSIDL_COMMON_VIDEO,
    CSIDL_COMMON_DESKTOPDIRECTORY,
    CSIDL_PERSONAL,
    CSIDL_MYPICTURES,
    CSIDL_MYMUSIC,
    CSIDL_MYVIDEO,
    CSIDL_DESKTOPDIRECTORY,
    CSIDL_DESKTOP,
};

constexpr uint64_t kMaxFileSize = uint64_t{1} << 32;

}  // namespace

// A PLUMA folder that is not there (a share offline, a folder renamed), or that a setting names
// relative to some current folder, holds the user's work all the same: say so rather than skip
// it in silence.
void ReportMissingPlumaFolders(const WStringList& values) {
  for (const WString& folder : UniqueInOrder(values)) {
    if (folder.empty()) continue;
    if (!IsFullPath(folder)) {
      ErrorLine(Say(Text::kPlumaFolderNotFullPath, {folder}));
    } else if (!DirectoryExists(folder.c_str())) {
      ErrorLine(Say(Text::kPlumaFolderMissing, {folder}));
    }
  }
}

BackupOutcome PlanBackup() {
  WStringList folders;
  for (const RegistrySetting& setting : kPlumaSettings) {
    folders.push_back(
        ReadRegistryString(HKEY_CURRENT_USER, setting.key_path, setting.value_name, L""));
  }
  ReportMissingPlumaFolders(folders);
  folders.push_back(kDevelopmentFolder);
  for (const WString& folder : UserFolderList()) folders.push_back(folder);
  return RunBackup(UniqueInOrder(folders));
}

WStringList UserFolderList() {
  WStringList folders;
  for (int csidl : kUserFolders) folders.push_back(SpecialFolderPath(csidl));
  return UniqueInOrder(folders);
}

WString BackupDestination(const WString& base) {
  const size_t length = WString(kBackupFolderName).size();
  if (base.size() >= length &&
      EqualsIgnoreCase(base.substr(base.size() - length), kBackupFolderName)) {
    return base;
  }
  return WithTrailingSeparator(base, L'\\') + kBackupFolderName;
}

void ConfigureBackupJob(BackupJob& job, const WString& destination) {
  job.SetExcludeOlder(false);
  job.SetMirror(true);
  job.SetExcludedFiles(kExcludedFiles);
  job.SetExcludedDirs(kExcludedDirs);
  job.SetExcludeFilesEnabled(true);
  job.SetExcludeDirsEnabled(true);
  job.SetDestination(destination.c_str());
  job.AddExcludedDir(kBackupFolderName);
  job.AddExcludedDir(L"*.tmp");
  job.SetMaxSize(kMaxFileSize);
  job.SetMaxSizeEnabled(true);
  job.SetLongFinalPause(true);
}

BackupOutcome RunBackup(const WStringList& folders) {
  BackupJob job;
  const WString root = RemovableDriveRoot();
  // Without a stick the root is the scratch folder on the PC's own disk.
  const bool on_stick = IsDriveRoot(root);
  const WString destination = BackupDestination(root);
  ConfigureBackupJob(job, destination);
  job.ComposeScript(folders);
  const int64_t now = Sys().CurrentTime();
  const std::optional<StickBackup> last = ReadLastStickBackup();
  WString own_disk_line;
  if (!on_stick) {
    own_disk_line = OwnDiskLine(NormalizeSeparators(destination, L'\\'), last, now);
    OutputLine(own_disk_line);
  } else if (last && DaysBetween(last->ended, now) >= kStickReminderDays) {
    OutputLine(SayCounted(Text::kStickAfterLong, DaysBetween(last->ended, now),
                          {FormatTime(last->ended, L"%Y-%m-%d")}));
  }
  const BackupOutcome outcome = Mirror(job, destination, on_stick, own_disk_line);
  if (on_stick) RecordStickBackup(root, static_cast<int>(outcome));
  return outcome;
}

BackupOutcome Mirror(BackupJob& job, const WString& destination, bool on_stick,
                     const WString& own_disk_line) {
  const WString computer_folder = ComputerBackupFolder(destination.c_str());
  // Held from before the look until after the check.
  MirrorGuard guard(job, destination, computer_folder);
  if (!guard.Lock()) return BackupOutcome::kNotRun;
  if (!on_stick) guard.SetOwnDisk();
  guard.BeforeCopying();
  if (guard.refused()) {
    guard.AfterCopying(false);
    return BackupOutcome::kNotRun;
  }
  job.LeaveOut(guard.LeftOut());
  const bool ran = job.Run(SW_SHOWMAXIMIZED, true);
  guard.AfterCopying(ran);
  if (!ran) return BackupOutcome::kNotRun;
  const LookReport& look = guard.report();
  const DamagedCopyKeeper keep = [&guard](const WString& destination, const WString& relative) {
    return guard.KeepDamaged(destination, relative);
  };
  // A backup that Sollux-restore cannot rebuild exactly is not a good one, all in or not.
  if (!CheckBackup(job, computer_folder, look, keep, own_disk_line) || look.records_failed) {
    return BackupOutcome::kNotAllInBackup;
  }
  if (look.large_change) return BackupOutcome::kLargeChange;
  return on_stick ? BackupOutcome::kAllInBackup : BackupOutcome::kOnOwnDisk;
}

}  // namespace sollux
