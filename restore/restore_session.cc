#include "restore/restore_session.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "base/console.h"
#include "base/environment.h"
#include "base/folders.h"
#include "base/link_check.h"
#include "base/messages.h"
#include "base/path.h"
#include "base/system_api.h"
#include "base/text.h"
#include "base/ui_text.h"
#include "base/win.h"
#include "mirror/backup_check.h"
#include "mirror/tree_comparison.h"
#include "mirror/tree_listing.h"
#include "restore/dialog.h"
#include "restore/session.h"
#include "restore/spoken_date.h"
#include "script/path_rewrite.h"
#include "store/safe_path.h"

namespace sollux {
namespace {

using enum Text;

constexpr wchar_t kRestoredFolderName[] = L"Sollux restored";
constexpr wchar_t kReplacedFolderName[] = L"Sollux replaced ";
constexpr uint32_t kClosingPauseMilliseconds = 100 * 1000;  // as the text of the pause says
// Files named in the preview; the rest are counted.
constexpr size_t kPreviewNames = 10;

RestoreExit Stop(const WString& line) {
  ErrorLine(line);
  return RestoreExit::kNothingDone;
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


}  // namespace

std::nullopt_t Refuse(const WString& line) {
  ErrorLine(line);
  return std::nullopt;
}

Step End(const WString& line) {
  ErrorLine(line);
  return Step::kEnd;
}

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

bool Exists(const WString& path) {
  return Sys().GetFileAttributesW(OpenablePath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

Session::Session(const RestoreArguments& args)
    : args_(args),
      stamp_(RunNameAt(Sys().CurrentTime()).Text()),
      today_(LocalStampOf(Sys().CurrentTime()).value_or(LocalStamp{})) {
  WStringList links;
  locations_ = BackupLocations(&links);
  for (const WString& link : links) OutputLine(Say(kLinkNotFollowed, {link}));
}

RestoreExit Session::Run() {
  const std::optional<Computer> computer = ChooseComputer();
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
  for (const Backup& backup : catalog.backups()) names_.push_back(backup.name);
  for (const auto& [run, later] : catalog.not_exact()) {
    OutputLine(Say(kRestoreNotExact, {run.Text(), later.Text()}));
  }
  if (args_.find) return FileWay(catalog).value_or(RestoreExit::kNothingDone);
  if (!Asking() || args_.folder || args_.at || args_.to || args_.in_place) {
    return FolderWay(catalog).value_or(RestoreExit::kNothingDone);
  }
  for (;;) {
    const Pick what = AskPick(Say(kRestoreAskWhat), 2, 0, false);
    if (what.kind == Pick::kEnd) return Stop(Say(kRestoreCancelled));
    if (what.kind != Pick::kNumber) continue;
    const std::optional<RestoreExit> exit =
        what.index == 0 ? FileWay(catalog) : FolderWay(catalog);
    if (exit) return *exit;
  }
}

std::optional<Computer> Session::ChooseComputer() {
  std::vector<Computer> found;
  const WString mine = MachineName();
  for (const BackupLocation& location : locations_) {
    for (const WString& name : BackedUpComputers(location.folder, mine)) {
      found.push_back({location, name});
    }
  }
  if (found.empty()) return Refuse(Say(kRestoreNoBackup));
  if (args_.computer || !Asking() || found.size() == 1) {
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
  const Pick chosen = AskPick(Say(kRestoreAskComputer), found.size(), 0, false);
  if (chosen.kind != Pick::kNumber) return Refuse(Say(kRestoreCancelled));
  return found[chosen.index];
}

// To the minute, unless another backup started in the same minute.
WString Session::Spoken(const RunName& run) const {
  const bool seconds = std::any_of(names_.begin(), names_.end(), [&run](const RunName& other) {
    const LocalStamp& a = run.stamp;
    const LocalStamp& b = other.stamp;
    return other != run && a.year == b.year && a.month == b.month && a.day == b.day &&
           a.hour == b.hour && a.minute == b.minute;
  });
  const WString said = SpokenStamp(run.stamp, today_, seconds);
  return run.number > 1 ? said + L" #" + std::to_wstring(run.number) : said;
}

// The steps in turn; a step that a switch decides asks nothing, and going back passes over it.
std::optional<RestoreExit> Session::FolderWay(const BackupCatalog& catalog) {
  std::optional<Backup> backup;
  std::vector<BackedUpFolder> folders;
  WString where;
  std::optional<RestoreExit> exit;
  for (int step = 0;;) {
    Step next = Step::kNext;
    if (step == 0) next = ChooseBackup(catalog.backups(), &backup);
    if (step == 1) next = ChooseFolders(catalog, *backup, &folders);
    if (step == 2) next = ChooseWhere(*backup, &where);
    if (step == 3) {
      const std::optional<Plan> plan = FolderPlan(catalog, *backup, folders, where);
      if (!plan) return RestoreExit::kNothingDone;
      next = Go(*plan, &exit);
    }
    if (next == Step::kEnd) return exit.value_or(RestoreExit::kNothingDone);
    if (next == Step::kBack && step == 0) return std::nullopt;
    step += next == Step::kBack ? -1 : 1;
  }
}

Step Session::ChooseBackup(const std::vector<Backup>& backups, std::optional<Backup>* chosen) {
  if (args_.at || !Asking()) {
    const WString when = args_.at.value_or(L"latest");
    std::vector<RunName> names;
    for (const Backup& backup : backups) names.push_back(backup.name);
    const std::optional<When> parsed = ParseWhen(when);
    if (!parsed) return End(Say(kRestoreWrongArgument, {L"/at:" + when}));
    const std::optional<size_t> at = BackupAt(names, *parsed);
    if (!at) return End(Say(kRestoreNoSuchBackup, {when}));
    *chosen = backups[*at];
    return Step::kNext;
  }
  if (backups.empty()) return End(Say(kRestoreNoSuchBackup, {L"latest"}));
  OutputLine(Say(kRestoreBackups, {computer_.name}));
  WStringList lines;
  for (auto backup = backups.rbegin(); backup != backups.rend(); ++backup) {
    lines.push_back(Spoken(backup->name));
  }
  ListNumbered(lines);
  const Pick pick = AskPick(Say(kRestoreAskBackup, {lines.front()}), backups.size(), 0, false);
  if (pick.kind == Pick::kEnd) return End(Say(kRestoreCancelled));
  if (pick.kind == Pick::kBack) return Step::kBack;
  *chosen = backups[backups.size() - 1 - pick.index];
  return Step::kNext;
}

Step Session::ChooseFolders(const BackupCatalog& catalog, const Backup& backup,
                            std::vector<BackedUpFolder>* chosen) {
  const std::vector<BackedUpFolder>& folders = backup.folders;
  if (args_.folder || !Asking()) {
    const WString wanted = args_.folder.value_or(L"*");
    all_folders_ = wanted == L"*";
    chosen->clear();
    for (const BackedUpFolder& folder : folders) {
      if (all_folders_ || SameFolder(wanted, folder.original)) chosen->push_back(folder);
    }
    if (chosen->empty()) return End(Say(kRestoreNoSuchFolder, {Spoken(backup.name), wanted}));
    return Step::kNext;
  }
  if (folders.empty()) return End(Say(kRestoreNoSuchFolder, {Spoken(backup.name), L"*"}));
  OutputLine(Say(kRestoreFolders, {Spoken(backup.name)}));
  WStringList lines;
  for (const BackedUpFolder& folder : folders) {
    uint64_t bytes = 0;
    const std::vector<HeldCopy> files = catalog.FilesAt(backup, folder);
    for (const HeldCopy& file : files) bytes += file.size;
    lines.push_back(folder.original + L": " + FileCountText(files.size()) + L", " +
                    SizeText(bytes));
  }
  ListNumbered(lines);
  const Pick pick =
      AskPick(Say(kRestoreAskFolder, {folders.front().original}), folders.size(), 0, true);
  if (pick.kind == Pick::kEnd) return End(Say(kRestoreCancelled));
  if (pick.kind == Pick::kBack) return Step::kBack;
  all_folders_ = pick.kind == Pick::kAll;
  *chosen = all_folders_ ? folders : std::vector<BackedUpFolder>{folders[pick.index]};
  return Step::kNext;
}

// "" for back in place. A new folder lies outside every folder that Sollux backs up: the next
// backup would copy it, and once it is tidied away, count its files as a large change.
Step Session::ChooseWhere(const Backup& backup, WString* where) {
  WString restored = WithTrailingSeparator(EnvironmentValue(L"USERPROFILE")) + kRestoredFolderName;
  const bool backed_up = std::any_of(backup.folders.begin(), backup.folders.end(),
                                     [&](const BackedUpFolder& f) { return IsWithin(restored, f.original); });
  // The scratch folder is never backed up: robocopy leaves out folders named *.tmp.
  if (backed_up || EnvironmentValue(L"USERPROFILE").empty()) {
    restored = ScratchSubfolder(L"") + kRestoredFolderName;
  }
  restored += L"\\" + stamp_;
  if (args_.in_place) {
    where->clear();
    return Step::kNext;
  }
  if (args_.to) {
    *where = FullPath(*args_.to);  // "" would mean back in place
    if (where->empty()) return End(Say(kRestoreWrongArgument, {L"/to:" + *args_.to}));
    return Step::kNext;
  }
  *where = restored;
  if (!Asking()) return Step::kNext;
  const Pick pick = AskPick(Say(kRestoreAskWhere, {restored}), 3, 0, false);
  if (pick.kind == Pick::kEnd) return End(Say(kRestoreCancelled));
  if (pick.kind == Pick::kBack) return Step::kBack;
  if (pick.index != 0) where->clear();
  missing_only_ = pick.index == 2;
  return Step::kNext;
}

std::optional<WString> Session::Refused(const WString& target) const {
  const WString final_target = FinalPathOf(target);
  for (const BackupLocation& location : locations_) {
    // A stick's whole drive; the PC's own disk, the backup folder alone.
    const WString area = location.on_stick ? WithTrailingSeparator(PathRoot(location.folder))
                                           : location.folder;
    const WString final_area = FinalPathOf(area);
    const bool within = IsWithin(target, location.folder) ||
                        (!final_target.empty() && !final_area.empty() &&
                         IsWithin(final_target, final_area));
    const DWORD serial = location.on_stick ? VolumeSerial(area) : 0;
    if (within || (serial != 0 && !final_target.empty() && VolumeSerial(final_target) == serial)) {
      return Say(location.on_stick ? kRestoreTargetOnStick : kRestoreTargetInBackup, {target});
    }
  }
  return std::nullopt;
}

std::optional<Plan> Session::FolderPlan(const BackupCatalog& catalog, const Backup& backup,
                                        const std::vector<BackedUpFolder>& folders,
                                        const WString& where) {
  Plan plan;
  plan.when = Spoken(backup.name);
  plan.missing_only = args_.missing || missing_only_;
  plan.new_folder = !where.empty() && !args_.to;
  WStringList targets, originals;
  for (const BackedUpFolder& folder : folders) {
    const WString target = WithoutTrailingSeparatorBelowRoot(
        where.empty() ? InPlaceFolder(folder.original, [](int csidl) { return SpecialFolderPath(csidl); })
                      : WithTrailingSeparator(where) + PlaceBelowComputer(folder.place, computer_.name));
    if (const std::optional<WString> refused = Refused(target)) return Refuse(*refused);
    targets.push_back(target);
    originals.push_back(folder.original);
    const WString aside = WithTrailingSeparator(target) + kReplacedFolderName + stamp_;
    // A folder that is not there holds nothing to look at.
    const bool there = Exists(target);
    for (const HeldCopy& file : catalog.FilesAt(backup, folder)) {
      const WString path = JoinedPath(target, file.relative);
      // A name of the stick's that Windows would read as another file, or no file at all.
      if (!IsSafePlace(file.relative)) {
        plan.unrestored.Add(Say(kRestoreNotRestored, {Say(kRestoreNameNotWritable), path}));
        continue;
      }
      plan.files.push_back({file.stick_path, path,
                            there ? JoinedPath(aside, file.relative) : WString(), file.size,
                            file.write_time, file.attributes});
    }
    if (where.empty()) plan.aside = kReplacedFolderName + stamp_;
  }
  if (all_folders_) {
    for (const BackedUpFolder& folder : backup.not_offered) {
      plan.unrestored.folders += 1;
      plan.unrestored.lines.push_back(
          Say(kRestoreNotRestored, {Say(kRestoreNoBackupFolder), folder.original}));
    }
  }
  plan.what = JoinWithText(originals, L"; ");
  plan.where = where.empty() ? JoinWithText(targets, L"; ") : where;
  LookAtTargets(&plan.files, plan.missing_only);
  return plan;
}

void Session::Preview(const Plan& plan) const {
  uint64_t count = 0, bytes = 0, same = 0, there = 0;
  WStringList aside;
  for (const RestoreFile& file : plan.files) {
    if (file.same) same += 1;
    if (file.there) there += 1;
    if (!file.aside.empty()) aside.push_back(file.target);
    if (!file.same && !file.there) {
      count += 1;
      bytes += file.size;
    }
  }
  if (plan.files.size() == 1 && plan.unrestored.lines.empty()) {
    OutputLine(Say(kRestorePlanVersion, {plan.what, plan.when, SizeText(bytes), plan.where}));
  } else {
    OutputLine(Say(kRestorePlan, {plan.what, FileCountText(count), SizeText(bytes), plan.when,
                                  plan.where}));
  }
  if (!aside.empty()) {
    OutputLine(SayCounted(kRestoreAside, aside.size(), {plan.aside}));
    for (size_t i = 0; i < aside.size() && i < kPreviewNames; ++i) OutputLine(L"  " + aside[i]);
    if (aside.size() > kPreviewNames) {
      OutputLine(Say(kRestoreMoreAside, {CountText(aside.size() - kPreviewNames), plan.aside}));
    }
  }
  if (same != 0) OutputLine(SayCounted(kRestoreEqual, same));
  if (there != 0) OutputLine(SayCounted(kRestoreMissingOnly, there));
}

Step Session::Go(const Plan& plan, std::optional<RestoreExit>* exit) {
  Preview(plan);
  if (args_.list) {
    *exit = RestoreExit::kAllRestored;
    return Step::kEnd;
  }
  if (Asking()) {
    const YesNo answer = AskYesNo(Say(kRestoreAskGo));
    if (answer == YesNo::kBack) return Step::kBack;
    if (answer != YesNo::kYes) return End(Say(kRestoreCancelled));
  }
  const RestoreOutcome outcome =
      CopyFiles(plan.files, WithTrailingSeparator(PathRoot(computer_.location.folder)));
  *exit = Summary(plan, outcome);
  OfferToOpen(plan, **exit);
  return Step::kEnd;
}

// Every file of the backup's state is counted: written now, the same already, left as it is, or
// not restored.
RestoreExit Session::Summary(const Plan& plan, const RestoreOutcome& outcome) {
  const uint64_t there = std::count_if(plan.files.begin(), plan.files.end(),
                                       [](const RestoreFile& file) { return file.same || file.there; });
  const uint64_t state = plan.files.size() + plan.unrestored.files;
  const uint64_t missing = state - std::min(state, outcome.restored + there);
  WStringList lines = plan.unrestored.lines;
  lines.insert(lines.end(), outcome.failed_lines.begin(), outcome.failed_lines.end());
  for (size_t i = 0; i < lines.size() && i < kNamedProblemLimit; ++i) ErrorLine(lines[i]);
  const uint64_t named = std::min<uint64_t>(lines.size(), kNamedProblemLimit);
  if (missing + plan.unrestored.folders > named) {
    ErrorLine(SayCounted(kRestoreMoreNotRestored, missing + plan.unrestored.folders - named));
  }
  if (outcome.stick_gone) ErrorLine(Say(kRestoreStickGone));
  const WStringList counts = {FileCountText(outcome.restored), SizeText(outcome.bytes),
                              plan.where};
  if (missing == 0 && plan.unrestored.folders == 0) {
    OutputLine(Say(kRestoreSummary, counts));
    return RestoreExit::kAllRestored;
  }
  WStringList parts;
  if (missing != 0) parts.push_back(FileCountText(missing));
  if (plan.unrestored.folders != 0) parts.push_back(SayCounted(kFolderCount, plan.unrestored.folders));
  OutputLine(Say(kRestoreSummaryNotAll,
                 {counts[0], counts[1], counts[2], JoinWithText(parts, L", ")}));
  return RestoreExit::kNotAllRestored;
}

// A new folder is shown in the Explorer when a person is there to look.
void Session::OfferToOpen(const Plan& plan, RestoreExit exit) const {
  if (!plan.new_folder || exit == RestoreExit::kNothingDone || !Asking() || !InputIsConsole()) {
    return;
  }
  if (AskYesNo(Say(kRestoreOpenFolder, {plan.where})) != YesNo::kYes) return;
  Sys().ShellExecuteW(nullptr, L"explore", plan.where.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

RestoreExit RunRestore(const WStringList& arguments) {
  ArgumentFault fault;
  const std::optional<RestoreArguments> args = ParseRestoreArguments(arguments, &fault);
  if (!args) {
    return Stop(Say(fault.twice ? kRestoreSwitchTwice : kRestoreWrongArgument, {fault.argument}));
  }
  const RestoreExit exit = Session(*args).Run();
  // Started with a double click, the window would close before its last lines were read.
  if (!args->yes && !args->list && InputIsConsole()) {
    OutputLine(Say(kPause));
    WaitForKeyPress(kClosingPauseMilliseconds);
  }
  return exit;
}

}  // namespace sollux
