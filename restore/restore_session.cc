#include "restore/restore_session.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "base/console.h"
#include "base/environment.h"
#include "base/link_check.h"
#include "base/messages.h"
#include "base/path.h"
#include "base/system_api.h"
#include "base/text.h"
#include "base/ui_text.h"
#include "base/win.h"
#include "mirror/backup_check.h"
#include "mirror/tree_comparison.h"
#include "restore/backup_catalog.h"
#include "restore/restore_plan.h"
#include "restore/restorer.h"
#include "script/path_rewrite.h"
#include "store/run_name.h"
#include "store/safe_path.h"

namespace sollux {
namespace {

using enum Text;

constexpr wchar_t kRestoredFolderName[] = L"Sollux restored ";
constexpr uint32_t kClosingPauseMilliseconds = 100 * 1000;  // as the text of the pause says
constexpr wchar_t kReplacedFolderName[] = L"Sollux replaced ";

struct Computer {
  BackupLocation location;
  WString name;
};

// The answer to `question`: an index of a list of `count`, 0 for Enter alone, `count` for "*"
// where `all` is allowed; nullopt at the input's end. Anything else is asked again.
std::optional<size_t> Ask(Text question, size_t count, bool all, const WStringList& args = {}) {
  for (;;) {
    OutputLine(Say(question, args));
    WString answer;
    if (!ReadInputLine(&answer)) return std::nullopt;
    answer = Unquote(answer);
    if (answer.empty()) return 0;
    if (all && answer == L"*") return count;
    const size_t number = static_cast<size_t>(std::wcstoull(answer.c_str(), nullptr, 10));
    if (number >= 1 && number <= count) return number - 1;
  }
}

void ListNumbered(const WStringList& lines) {
  for (size_t i = 0; i < lines.size(); ++i) {
    OutputLine(L"  " + std::to_wstring(i + 1) + L". " + lines[i]);
  }
}

RestoreExit Stop(const WString& line) {
  ErrorLine(line);
  return RestoreExit::kNothingDone;
}

// Says why nothing is done, for a choice that then has none.
std::nullopt_t Refuse(const WString& line) {
  ErrorLine(line);
  return std::nullopt;
}

// The path that `target` (as given, maybe relative to the working folder) names.
WString FullPath(const WString& target) {
  const WString path = target.starts_with(L"\\\\?\\") ? target.substr(4) : target;
  WString full(MAX_PATH, L'\0');
  DWORD length = Sys().GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data());
  if (length >= full.size()) {
    full.resize(length + 1);
    length = Sys().GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data());
  }
  full.resize(length < full.size() ? length : 0);
  return full;
}

DWORD VolumeSerial(const WString& path) {
  wchar_t root[MAX_PATH + 1] = {};
  DWORD serial = 0;
  if (!Sys().GetVolumePathNameW(path.c_str(), root, MAX_PATH + 1) ||
      !Sys().GetVolumeInformationW(root, nullptr, 0, &serial)) {
    return 0;
  }
  return serial;
}

// What is not restored beside the copier's failures: files whose names cannot be written, and
// folders of the backup that are not offered.
struct Unrestored {
  uint64_t files = 0;
  uint64_t folders = 0;
  WStringList lines;

  void Add(const WString& line) {
    files += 1;
    lines.push_back(line);
  }
};

class Session {
 public:
  explicit Session(const RestoreArguments& args)
      : args_(args), stamp_(RunNameAt(Sys().CurrentTime()).Text()) {
    WStringList links;
    locations_ = BackupLocations(&links);
    for (const WString& link : links) OutputLine(Say(kLinkNotFollowed, {link}));
  }

  RestoreExit Run() {
    std::optional<Computer> computer = ChooseComputer();
    if (!computer) return RestoreExit::kNothingDone;
    computer_ = *computer;
    BackupCatalog catalog(computer_.location.folder, computer_.name);
    const bool loaded = catalog.Load();
    const WStringList notes = catalog.Notes();
    for (const WString& note : notes) OutputLine(note);
    if (!loaded) {
      return Stop(Say(notes.empty() ? kRestoreNoRecords : kRestoreRecordsUnreadable,
                      {computer_.name, computer_.location.folder}));
    }
    for (const auto& [run, later] : catalog.not_exact()) {
      OutputLine(Say(kRestoreNotExact, {run.Text(), later.Text()}));
    }
    const std::optional<Backup> backup = ChooseBackup(catalog.backups());
    if (!backup) return RestoreExit::kNothingDone;
    const std::vector<BackedUpFolder> folders = ChooseFolders(catalog, *backup);
    if (folders.empty()) return RestoreExit::kNothingDone;
    const std::optional<WString> where = ChooseWhere();
    if (!where) return RestoreExit::kNothingDone;
    return Restore(catalog, *backup, folders, *where);
  }

 private:
  std::optional<Computer> ChooseComputer() {
    std::vector<Computer> found;
    const WString mine = MachineName();
    for (const BackupLocation& location : locations_) {
      for (const WString& name : BackedUpComputers(location.folder, mine)) {
        found.push_back({location, name});
      }
    }
    if (found.empty()) return Refuse(Say(kRestoreNoBackup));
    if (args_.computer || args_.yes || found.size() == 1) {
      const WString wanted = args_.computer.value_or(found.size() == 1 ? found[0].name : mine);
      for (const Computer& computer : found) {
        if (EqualsIgnoreCase(computer.name, wanted)) return computer;
      }
      return Refuse(Say(kRestoreNoSuchComputer, {wanted}));
    }
    OutputLine(Say(kRestoreComputers));
    WStringList lines;
    for (const Computer& computer : found) {
      lines.push_back(computer.name + L"  (" + computer.location.folder + L")");
    }
    ListNumbered(lines);
    const std::optional<size_t> chosen = Ask(kRestoreAskComputer, found.size(), false);
    if (!chosen) return Refuse(Say(kRestoreCancelled));
    return found[*chosen];
  }

  std::optional<Backup> ChooseBackup(const std::vector<Backup>& backups) {
    std::vector<RunName> names;
    for (const Backup& backup : backups) names.push_back(backup.name);
    if (args_.at || args_.yes) {
      const WString when = args_.at.value_or(L"latest");
      const std::optional<When> parsed = ParseWhen(when);
      if (!parsed) return Refuse(Say(kRestoreWrongArgument, {L"/at:" + when}));
      const std::optional<size_t> at = BackupAt(names, *parsed);
      if (!at) return Refuse(Say(kRestoreNoSuchBackup, {when}));
      return backups[*at];
    }
    if (backups.empty()) return Refuse(Say(kRestoreNoSuchBackup, {L"latest"}));
    OutputLine(Say(kRestoreBackups, {computer_.name}));
    WStringList lines;
    for (auto backup = backups.rbegin(); backup != backups.rend(); ++backup) {
      lines.push_back(backup->name.Text() +
                      (backup->counts.empty() ? L"" : L"  (" + backup->counts + L")"));
    }
    ListNumbered(lines);
    const std::optional<size_t> chosen = Ask(kRestoreAskBackup, backups.size(), false);
    if (!chosen) return Refuse(Say(kRestoreCancelled));
    return backups[backups.size() - 1 - *chosen];
  }

  std::vector<BackedUpFolder> ChooseFolders(const BackupCatalog& catalog, const Backup& backup) {
    const std::vector<BackedUpFolder>& folders = backup.folders;
    if (args_.folder || args_.yes) {
      const WString wanted = args_.folder.value_or(L"*");
      all_folders_ = wanted == L"*";
      if (all_folders_ && folders.empty()) {
        Stop(Say(kRestoreNoSuchFolder, {backup.name.Text(), wanted}));
      }
      if (all_folders_) return folders;
      for (const BackedUpFolder& folder : folders) {
        if (SameFolder(wanted, folder.original)) return {folder};
      }
      Stop(Say(kRestoreNoSuchFolder, {backup.name.Text(), wanted}));
      return {};
    }
    OutputLine(Say(kRestoreFolders, {backup.name.Text()}));
    WStringList lines;
    for (const BackedUpFolder& folder : folders) {
      uint64_t bytes = 0;
      const std::vector<HeldCopy> files = catalog.FilesAt(backup, folder);
      for (const HeldCopy& file : files) bytes += file.size;
      lines.push_back(folder.original + L": " + FileCountText(files.size()) + L", " +
                      SizeText(bytes));
    }
    ListNumbered(lines);
    const std::optional<size_t> chosen = Ask(kRestoreAskFolder, folders.size(), true);
    if (!chosen) {
      Stop(Say(kRestoreCancelled));
      return {};
    }
    all_folders_ = *chosen == folders.size();
    if (all_folders_) return folders;
    return {folders[*chosen]};
  }

  // The folder that the files go below; "" for back in place.
  std::optional<WString> ChooseWhere() {
    if (args_.in_place) return WString();
    const WString desktop = WithTrailingSeparator(SpecialFolderPath(CSIDL_DESKTOPDIRECTORY)) +
                            kRestoredFolderName + stamp_;
    if (args_.to) {
      // "" would mean back in place.
      const WString full = FullPath(*args_.to);
      if (full.empty()) return Refuse(Say(kRestoreWrongArgument, {L"/to:" + *args_.to}));
      return full;
    }
    if (args_.yes) return desktop;
    const std::optional<size_t> chosen = Ask(kRestoreAskWhere, 2, false, {desktop});
    if (!chosen) return Refuse(Say(kRestoreCancelled));
    return *chosen == 0 ? desktop : WString();
  }

  // Where `folder`'s files go.
  WString TargetOf(const BackedUpFolder& folder, const WString& where) const {
    if (!where.empty()) {
      return WithTrailingSeparator(where) + PlaceBelowComputer(folder.place, computer_.name);
    }
    return InPlaceFolder(folder.original, [](int csidl) { return SpecialFolderPath(csidl); });
  }

  // Refuses `target` on the drive of a backup on a stick, or inside a backup on this PC; by the
  // paths the system names, so that no spelling ("..", \\?\, another drive letter for the
  // stick, a link) gets past.
  std::optional<Text> IntoABackup(const WString& target) const {
    const WString final_target = FinalPathOf(target);
    for (const BackupLocation& location : locations_) {
      const WString area = location.on_stick ? WithTrailingSeparator(PathRoot(location.folder))
                                             : location.folder;
      const WString final_area = FinalPathOf(area);
      const bool within = IsWithin(target, location.folder) ||
                          (!final_target.empty() && !final_area.empty() &&
                           IsWithin(final_target, final_area));
      const DWORD serial = location.on_stick ? VolumeSerial(area) : 0;
      if (within || (serial != 0 && !final_target.empty() && VolumeSerial(final_target) == serial)) {
        return location.on_stick ? kRestoreTargetOnStick : kRestoreTargetInBackup;
      }
    }
    return std::nullopt;
  }

  RestoreExit Restore(const BackupCatalog& catalog, const Backup& backup,
                      const std::vector<BackedUpFolder>& folders, const WString& where) {
    std::vector<RestoreFile> files;
    WStringList targets;
    Unrestored unrestored;
    for (const BackedUpFolder& folder : folders) {
      const WString target = WithoutTrailingSeparatorBelowRoot(TargetOf(folder, where));
      if (const std::optional<Text> refused = IntoABackup(target)) {
        return Stop(Say(*refused, {target}));
      }
      targets.push_back(target);
      const WString aside = WithTrailingSeparator(target) + kReplacedFolderName + stamp_;
      // A folder that is not there holds nothing to look at.
      const bool there = Sys().GetFileAttributesW(OpenablePath(target).c_str()) !=
                         INVALID_FILE_ATTRIBUTES;
      for (const HeldCopy& file : catalog.FilesAt(backup, folder)) {
        const WString path = JoinedPath(target, file.relative);
        // A name of the stick's that Windows would read as another file, or no file at all.
        if (!IsSafePlace(file.relative)) {
          unrestored.Add(Say(kRestoreNotRestored, {Say(kRestoreNameNotWritable), path}));
          continue;
        }
        files.push_back({file.stick_path, path, there ? JoinedPath(aside, file.relative) : WString(),
                         file.size, file.write_time});
      }
    }
    if (all_folders_) {
      for (const BackedUpFolder& folder : backup.not_offered) {
        unrestored.folders += 1;
        unrestored.lines.push_back(
            Say(kRestoreNotRestored, {Say(kRestoreNoBackupFolder), folder.original}));
      }
    }
    LookAtTargets(&files);
    const WString to = where.empty() ? JoinWithText(targets, L"; ") : where;
    if (!Confirm(files, backup, to)) return Stop(Say(kRestoreCancelled));
    const RestoreOutcome outcome =
        CopyFiles(files, WithTrailingSeparator(PathRoot(computer_.location.folder)));
    return Summary(files, outcome, unrestored, to);
  }

  bool Confirm(const std::vector<RestoreFile>& files, const Backup& backup, const WString& where) {
    uint64_t count = 0, bytes = 0, aside = 0, same = 0;
    for (const RestoreFile& file : files) {
      same += file.same ? 1 : 0;
      aside += file.aside.empty() ? 0 : 1;
      if (!file.same) count += 1, bytes += file.size;
    }
    OutputLine(
        Say(kRestorePlan, {FileCountText(count), SizeText(bytes), backup.name.Text(), where}));
    if (aside != 0) OutputLine(SayCounted(kRestoreAside, aside, {kReplacedFolderName + stamp_}));
    if (same != 0) OutputLine(SayCounted(kRestoreEqual, same));
    if (args_.yes) return true;
    OutputLine(Say(kRestoreAskGo));
    WString answer;
    return ReadInputLine(&answer) && (answer == L"y" || answer == L"Y" || answer == L"\uFF39" ||
                                      answer == L"\uFF59");
  }

  // Every file of the backup's state is counted: written now, the same already, or not restored.
  RestoreExit Summary(const std::vector<RestoreFile>& files, const RestoreOutcome& outcome,
                      const Unrestored& unrestored, const WString& where) {
    const uint64_t same = std::count_if(files.begin(), files.end(),
                                        [](const RestoreFile& file) { return file.same; });
    const uint64_t state = files.size() + unrestored.files;
    const uint64_t missing = state - std::min(state, outcome.restored + same);
    WStringList lines = unrestored.lines;
    lines.insert(lines.end(), outcome.failed_lines.begin(), outcome.failed_lines.end());
    for (size_t i = 0; i < lines.size() && i < kNamedProblemLimit; ++i) ErrorLine(lines[i]);
    const uint64_t named = std::min<uint64_t>(lines.size(), kNamedProblemLimit);
    if (missing + unrestored.folders > named) {
      ErrorLine(SayCounted(kRestoreMoreNotRestored, missing + unrestored.folders - named));
    }
    if (outcome.stick_gone) ErrorLine(Say(kRestoreStickGone));
    const WStringList counts = {FileCountText(outcome.restored), SizeText(outcome.bytes), where};
    if (missing == 0 && unrestored.folders == 0) {
      OutputLine(Say(kRestoreSummary, counts));
      return RestoreExit::kAllRestored;
    }
    WStringList parts;
    if (missing != 0) parts.push_back(FileCountText(missing));
    if (unrestored.folders != 0) parts.push_back(SayCounted(kFolderCount, unrestored.folders));
    OutputLine(Say(kRestoreSummaryNotAll,
                   {counts[0], counts[1], counts[2], JoinWithText(parts, L", ")}));
    return RestoreExit::kNotAllRestored;
  }

  const RestoreArguments args_;
  const WString stamp_;
  std::vector<BackupLocation> locations_;  // every one found, on the sticks and on this PC
  Computer computer_;
  bool all_folders_ = false;  // every folder of the backup was asked for
};

}  // namespace

RestoreExit RunRestore(const WStringList& arguments) {
  ArgumentFault fault;
  const std::optional<RestoreArguments> args = ParseRestoreArguments(arguments, &fault);
  if (!args) {
    return Stop(Say(fault.twice ? kRestoreSwitchTwice : kRestoreWrongArgument, {fault.argument}));
  }
  const RestoreExit exit = Session(*args).Run();
  // Started with a double click, the window would close before its last lines were read.
  if (!args->yes && InputIsConsole()) {
    OutputLine(Say(kPause));
    WaitForKeyPress(kClosingPauseMilliseconds);
  }
  return exit;
}

}  // namespace sollux
