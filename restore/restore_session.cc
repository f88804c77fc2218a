#include "restore/restore_session.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "base/console.h"
#include "base/environment.h"
#include "base/messages.h"
#include "base/path.h"
#include "base/system_api.h"
#include "base/text.h"
#include "base/ui_text.h"
#include "base/win.h"
#include "mirror/tree_comparison.h"
#include "mirror/versions.h"
#include "restore/backup_catalog.h"
#include "restore/restore_plan.h"
#include "restore/restorer.h"
#include "script/path_rewrite.h"

namespace sollux {
namespace {

using enum Text;

constexpr wchar_t kRestoredFolderName[] = L"Sollux restored ";
constexpr uint32_t kClosingPauseMilliseconds = 100 * 1000;  // as the text of the pause says
constexpr wchar_t kReplacedFolderName[] = L"Sollux replaced ";

struct Computer {
  WString backup_folder;
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

class Session {
 public:
  explicit Session(const RestoreArguments& args)
      : args_(args), stamp_(RunFolderName(Sys().CurrentTime())), backup_folders_(BackupFolders()) {}

  RestoreExit Run() {
    std::optional<Computer> computer = ChooseComputer();
    if (!computer) return RestoreExit::kNothingDone;
    computer_ = *computer;
    BackupCatalog catalog(computer_.backup_folder, computer_.name);
    if (!catalog.Load()) {
      return Stop(Say(kRestoreNoRecords, {computer_.name, computer_.backup_folder}));
    }
    for (const auto& [run, later] : catalog.not_exact()) {
      OutputLine(Say(kRestoreNotExact, {run, later}));
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
    for (const WString& folder : backup_folders_) {
      for (const WString& name : BackedUpComputers(folder, mine)) found.push_back({folder, name});
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
    for (const Computer& computer : found) lines.push_back(computer.name + L"  (" + computer.backup_folder + L")");
    ListNumbered(lines);
    const std::optional<size_t> chosen = Ask(kRestoreAskComputer, found.size(), false);
    if (!chosen) return Refuse(Say(kRestoreCancelled));
    return found[*chosen];
  }

  std::optional<Backup> ChooseBackup(const std::vector<Backup>& backups) {
    WStringList names;
    for (const Backup& backup : backups) names.push_back(backup.name);
    if (args_.at || args_.yes) {
      const WString when = args_.at.value_or(L"latest");
      const std::optional<WString> stamp = StampOfWhen(when);
      if (!stamp) return Refuse(Say(kRestoreWrongArgument, {L"/at:" + when}));
      // A backup's own name chooses it, not a later one started in the same second.
      const auto named = std::find(names.rbegin(), names.rend(), when);
      const std::optional<size_t> at =
          named != names.rend() ? std::optional<size_t>(names.rend() - named - 1)
                                : BackupAt(names, *stamp);
      if (!at) return Refuse(Say(kRestoreNoSuchBackup, {when}));
      return backups[*at];
    }
    if (backups.empty()) return Refuse(Say(kRestoreNoSuchBackup, {L"latest"}));
    OutputLine(Say(kRestoreBackups, {computer_.name}));
    WStringList lines;
    for (auto backup = backups.rbegin(); backup != backups.rend(); ++backup) {
      lines.push_back(backup->name + (backup->counts.empty() ? L"" : L"  (" + backup->counts + L")"));
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
      if (wanted == L"*") return folders;
      for (const BackedUpFolder& folder : folders) {
        if (SameFolder(wanted, folder.original)) return {folder};
      }
      Stop(Say(kRestoreNoSuchFolder, {backup.name, wanted}));
      return {};
    }
    OutputLine(Say(kRestoreFolders, {backup.name}));
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
    if (*chosen == folders.size()) return folders;
    return {folders[*chosen]};
  }

  // The folder that the files go below; "" for back in place.
  std::optional<WString> ChooseWhere() {
    if (args_.in_place) return WString();
    const WString desktop = WithTrailingSeparator(SpecialFolderPath(CSIDL_DESKTOPDIRECTORY)) +
                            kRestoredFolderName + stamp_;
    if (args_.to) {
      return IsFullPath(*args_.to) ? *args_.to : JoinedPath(CurrentDirectory(), *args_.to);
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

  RestoreExit Restore(const BackupCatalog& catalog, const Backup& backup,
                      const std::vector<BackedUpFolder>& folders, const WString& where) {
    std::vector<RestoreFile> files;
    WStringList targets;
    for (const BackedUpFolder& folder : folders) {
      const WString target = WithoutTrailingSeparatorBelowRoot(TargetOf(folder, where));
      // The chosen backup folder is among them.
      for (const WString& backup_folder : backup_folders_) {
        if (IsWithin(target, backup_folder)) return Stop(Say(kRestoreTargetInBackup, {target}));
      }
      targets.push_back(target);
      const WString aside = WithTrailingSeparator(target) + kReplacedFolderName + stamp_;
      // A folder that is not there holds nothing to look at.
      const bool there = Sys().GetFileAttributesW(OpenablePath(target).c_str()) !=
                         INVALID_FILE_ATTRIBUTES;
      for (const HeldCopy& file : catalog.FilesAt(backup, folder)) {
        files.push_back({file.stick_path, JoinedPath(target, file.relative),
                         there ? JoinedPath(aside, file.relative) : WString(), file.size,
                         file.write_time});
      }
    }
    LookAtTargets(&files);
    if (!Confirm(files, backup, where.empty() ? JoinWithText(targets, L"; ") : where)) {
      return Stop(Say(kRestoreCancelled));
    }
    const RestoreOutcome outcome = CopyFiles(files, WithTrailingSeparator(PathRoot(computer_.backup_folder)));
    return Summary(outcome, where.empty() ? JoinWithText(targets, L"; ") : where);
  }

  bool Confirm(const std::vector<RestoreFile>& files, const Backup& backup, const WString& where) {
    uint64_t count = 0, bytes = 0, aside = 0, same = 0;
    for (const RestoreFile& file : files) {
      same += file.same ? 1 : 0;
      aside += file.aside.empty() ? 0 : 1;
      if (!file.same) count += 1, bytes += file.size;
    }
    OutputLine(Say(kRestorePlan, {FileCountText(count), SizeText(bytes), backup.name, where}));
    if (aside != 0) OutputLine(SayCounted(kRestoreAside, aside, {kReplacedFolderName + stamp_}));
    if (same != 0) OutputLine(SayCounted(kRestoreEqual, same));
    if (args_.yes) return true;
    OutputLine(Say(kRestoreAskGo));
    WString answer;
    return ReadInputLine(&answer) && (answer == L"y" || answer == L"Y" || answer == L"\uFF39" ||
                                      answer == L"\uFF59");
  }

  RestoreExit Summary(const RestoreOutcome& outcome, const WString& where) {
    for (const WString& line : outcome.failed_lines) ErrorLine(line);
    if (outcome.failed > outcome.failed_lines.size()) {
      ErrorLine(SayCounted(kRestoreMoreNotRestored, outcome.failed - outcome.failed_lines.size()));
    }
    if (outcome.stick_gone) ErrorLine(Say(kRestoreStickGone));
    const WStringList counts = {FileCountText(outcome.restored), SizeText(outcome.bytes), where};
    if (outcome.failed == 0) {
      OutputLine(Say(kRestoreSummary, counts));
      return RestoreExit::kAllRestored;
    }
    OutputLine(Say(kRestoreSummaryNotAll,
                   {counts[0], counts[1], counts[2], FileCountText(outcome.failed)}));
    return RestoreExit::kNotAllRestored;
  }

  const RestoreArguments args_;
  const WString stamp_;
  const WStringList backup_folders_;  // every one found, on the sticks and on this PC
  Computer computer_;
};

}  // namespace

RestoreExit RunRestore(const WStringList& arguments) {
  WString wrong;
  const std::optional<RestoreArguments> args = ParseRestoreArguments(arguments, &wrong);
  if (!args) return Stop(Say(kRestoreWrongArgument, {wrong}));
  const RestoreExit exit = Session(*args).Run();
  // Started with a double click, the window would close before its last lines were read.
  if (!args->yes && InputIsConsole()) {
    OutputLine(Say(kPause));
    WaitForKeyPress(kClosingPauseMilliseconds);
  }
  return exit;
}

}  // namespace sollux
