#include "app/planning.h"

#include "app/registry.h"
#include "app/run_end.h"
#include "base/console.h"
#include "base/environment.h"
#include "base/file_system.h"
#include "base/folders.h"
#include "base/messages.h"
#include "base/path.h"
#include "base/program.h"
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

RunSwitches ReadSwitches(const WStringList& arguments) {
  RunSwitches switches;
  for (size_t i = 1; i < arguments.size(); ++i) {
    if (arguments[i] == L"/?") switches.usage = true;
    if (EqualsIgnoreCase(arguments[i], L"/unattended")) switches.unattended = true;
  }
  return switches;
}

BackupOutcome PlanBackup(const RunSwitches& switches) {
  OutputLine(Say(Text::kVersionLine, {ProgramVersion()}));
  WStringList folders;
  for (const RegistrySetting& setting : kPlumaSettings) {
    folders.push_back(
        ReadRegistryString(HKEY_CURRENT_USER, setting.key_path, setting.value_name, L""));
  }
  ReportMissingPlumaFolders(folders);
  folders.push_back(kDevelopmentFolder);
  for (const WString& folder : UserFolderList()) folders.push_back(folder);
  return RunBackup(UniqueInOrder(folders), switches);
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

namespace {

// Before the mirror: without a stick, where the backup goes instead and when one last got it;
// with a stick after a long time, how long. The line for the summary's end when without one.
WString SayStickBefore(bool on_stick, const WString& destination,
                       const std::vector<StickBackup>& earlier, int64_t now, RunEnd* end) {
  const StickBackup* last = earlier.empty() ? nullptr : &earlier.back();
  if (!on_stick) {
    const WString line = OwnDiskLine(NormalizeSeparators(destination, L'\\'), last, now);
    OutputLine(line);
    return line;
  }
  if (last && DaysBetween(last->ended, now) >= kStickReminderDays) {
    const WString line = SayCounted(Text::kStickAfterLong, DaysBetween(last->ended, now),
                                    {FormatTime(last->ended, L"%Y-%m-%d")});
    OutputLine(line);
    end->lines.push_back(line);
  }
  return WString();
}

// After the mirror: the stick not encrypted (on the console at most once a week), the run in
// the PC's record of sticks, and every stick with its last backup when there are several.
void SayStickAfter(BackupOutcome outcome, const WStringList& notes, StickBackup backup,
                   std::vector<StickBackup> earlier, RunEnd* end) {
  if (!notes.empty()) {
    backup.unencrypted_said = SayUnencrypted(backup.stick, earlier, backup.ended);
    (backup.unencrypted_said ? end->lines : end->event_lines).push_back(notes.front());
  }
  backup.ended = Sys().CurrentTime();
  backup.exit_code = static_cast<int>(outcome);
  RecordStickBackup(backup);
  if (outcome != BackupOutcome::kNotRun) earlier.push_back(backup);
  if (const WString line = SticksLine(earlier, backup.ended); !line.empty()) {
    end->lines.push_back(line);
  }
}

}  // namespace

BackupOutcome RunBackup(const WStringList& folders, const RunSwitches& switches) {
  BackupJob job;
  const WString root = RemovableDriveRoot();
  // Without a stick the root is the scratch folder on the PC's own disk.
  const bool on_stick = IsDriveRoot(root);
  const WString destination = BackupDestination(root);
  ConfigureBackupJob(job, destination);
  job.SetUnattended(switches.unattended);
  job.ComposeScript(folders);
  const int64_t now = Sys().CurrentTime();
  const std::vector<StickBackup> earlier = ReadStickBackups();
  RunEnd end{ComputerBackupFolder(destination.c_str()), {}, {}};
  const WString own_disk_line = SayStickBefore(on_stick, destination, earlier, now, &end);
  // A lost stick is read by whoever finds it.
  WStringList notes;
  if (on_stick && StickEncryption(root) == Encryption::kOff) {
    notes.push_back(Say(Text::kNotEncrypted));
  }
  RunSaid said;
  const BackupOutcome outcome = Mirror(job, destination, on_stick, own_disk_line, notes, &said);
  end.lines.insert(end.lines.end(), said.lines.begin(), said.lines.end());
  // The check's last line ends with the line of a backup without a stick; without a check, the
  // end says it alone.
  if (!on_stick && outcome == BackupOutcome::kNotRun) end.lines.push_back(own_disk_line);
  if (on_stick) SayStickAfter(outcome, notes, {now, 0, StickAt(root), false}, earlier, &end);
  end.lines.insert(end.lines.end(), said.last.begin(), said.last.end());
  EndRun(outcome, end, switches.unattended);
  return outcome;
}

namespace {

// The mirror itself, and what the check found; `check` stays empty when nothing ran.
BackupOutcome Copy(BackupJob& job, MirrorGuard& guard, const WString& computer_folder,
                   bool on_stick, const WString& own_disk_line, const WStringList& notes,
                   CheckOutcome* check) {
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
  *check = CheckBackup(job, computer_folder, look, keep, own_disk_line, notes);
  // A backup that Sollux-restore cannot rebuild exactly is not a good one, all in or not.
  if (!check->all_in || look.records_failed) return BackupOutcome::kNotAllInBackup;
  if (look.large_change) return BackupOutcome::kLargeChange;
  return on_stick ? BackupOutcome::kAllInBackup : BackupOutcome::kOnOwnDisk;
}

}  // namespace

BackupOutcome Mirror(BackupJob& job, const WString& destination, bool on_stick,
                     const WString& own_disk_line, const WStringList& notes, RunSaid* said) {
  const WString computer_folder = ComputerBackupFolder(destination.c_str());
  // Held from before the look until after the check.
  MirrorGuard guard(job, destination, computer_folder);
  CheckOutcome check;
  const BackupOutcome outcome =
      Copy(job, guard, computer_folder, on_stick, own_disk_line, notes, &check);
  said->lines = guard.report().warnings;
  said->lines.insert(said->lines.end(), check.lines.begin(), check.lines.end());
  said->last = guard.report().large_change_lines;
  return outcome;
}

}  // namespace sollux
