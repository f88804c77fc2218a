// The one-file way: a file found by a part of its name in every backup, one of its versions
// (or every one) chosen by the backups that held it, and brought back beside the original under
// a name that says its date, or into a folder under its own name. Nothing is replaced.
#include <algorithm>
#include <set>

#include "base/console.h"
#include "base/environment.h"
#include "base/messages.h"
#include "base/path.h"
#include "base/system_api.h"
#include "base/ui_text.h"
#include "base/win.h"
#include "mirror/tree_comparison.h"
#include "restore/dialog.h"
#include "restore/name_match.h"
#include "restore/session.h"
#include "restore/spoken_date.h"
#include "store/safe_path.h"

namespace sollux {
namespace {

using enum Text;

// Files listed for a name; the rest are counted.
constexpr size_t kListedMatches = 50;

WString OriginalOf(const FoundFile& file) { return JoinedPath(file.folder.original, file.relative); }

}  // namespace

std::optional<RestoreExit> Session::FileWay(const BackupCatalog& catalog) {
  std::vector<FoundFile> found;
  const FoundFile* file = nullptr;
  std::vector<ChosenVersion> versions;
  std::optional<RestoreExit> exit;
  for (int step = 0;;) {
    Step next = Step::kNext;
    if (step == 0) next = FindFiles(catalog, &found, &exit);
    if (step == 1) next = ChooseFile(found, &file);
    if (step == 2) next = ChooseVersions(catalog, *file, &versions);
    if (step == 3) {
      const std::optional<Plan> plan = VersionPlan(catalog, *file, versions);
      if (!plan) return RestoreExit::kNothingDone;
      next = Go(*plan, &exit);
    }
    if (next == Step::kEnd) return exit.value_or(RestoreExit::kNothingDone);
    if (next == Step::kBack && step == 0) return std::nullopt;
    step += next == Step::kBack ? -1 : 1;
  }
}

// Asked until a name matches; /find: alone lists what matches and ends there.
Step Session::FindFiles(const BackupCatalog& catalog, std::vector<FoundFile>* found,
                        std::optional<RestoreExit>* exit) {
  for (;;) {
    WString typed;
    if (args_.find) {
      typed = *args_.find;
    } else {
      const std::optional<WString> line = AskText(Say(kRestoreAskName));
      if (!line) return End(Say(kRestoreCancelled));
      if (line->find_first_not_of(L" 0\uFF10") == WString::npos && !line->empty()) {
        return Step::kBack;
      }
      typed = *line;
    }
    const NamePattern pattern(typed);
    if (pattern.Empty()) {
      if (args_.find) return End(Say(kRestoreEveryName));
      OutputLine(Say(kRestoreEveryName));
      continue;
    }
    *found = catalog.Find(pattern);
    if (found->empty()) {
      if (args_.find) return End(Say(kRestoreNoMatch, {computer_.name, typed}));
      OutputLine(Say(kRestoreNoMatch, {computer_.name, typed}));
      continue;
    }
    // One file's versions are listed where they are chosen.
    if ((args_.find && !args_.at) || found->size() > 1) ListFound(catalog, *found);
    if (args_.find && !args_.at) {
      *exit = RestoreExit::kAllRestored;
      return Step::kEnd;
    }
    return Step::kNext;
  }
}

WString Session::PlaceOnThisPc(const FoundFile& file) const {
  return JoinedPath(InPlaceFolder(file.folder.original,
                                  [](int csidl) { return SpecialFolderPath(csidl); }),
                    file.relative);
}

WString Session::VersionLine(const BackupCatalog& catalog, const FileVersion& version) const {
  const std::vector<Backup>& backups = catalog.backups();
  const WString newest = Spoken(backups[version.backups.front()].name);
  const WString held =
      version.backups.size() == 1
          ? newest
          : Say(kHeldFromTo, {Spoken(backups[version.backups.back()].name), newest});
  const std::optional<LocalStamp> changed = StampOfFileTime(version.copy.write_time);
  return Say(kRestoreFoundVersion, {SizeText(version.copy.size),
                                    changed ? SpokenStamp(*changed, today_) : WString(), held});
}

void Session::ListFound(const BackupCatalog& catalog, const std::vector<FoundFile>& found) const {
  OutputLine(SayCounted(kRestoreMatches, found.size()));
  for (size_t i = 0; i < found.size() && i < kListedMatches; ++i) {
    const FoundFile& file = found[i];
    const bool gone = !Exists(PlaceOnThisPc(file));
    OutputLine(L"  " + std::to_wstring(i + 1) + L". " + OriginalOf(file) +
               (gone ? L"  (" + Say(kRestoreDeletedFromPc) + L")" : WString()));
    for (const FileVersion& version : file.versions) {
      OutputLine(L"       - " + VersionLine(catalog, version));
    }
  }
  if (found.size() > kListedMatches) {
    OutputLine(SayCounted(kRestoreMoreMatches, found.size() - kListedMatches));
  }
}

Step Session::ChooseFile(const std::vector<FoundFile>& found, const FoundFile** chosen) {
  if (found.size() == 1) {
    *chosen = &found.front();
    return Step::kNext;
  }
  if (args_.find) {
    return End(SayCounted(kRestoreFindNotOne, found.size(), {*args_.find}));
  }
  const Pick pick =
      AskPick(Say(kRestoreAskFile), std::min(found.size(), kListedMatches), std::nullopt, false);
  if (pick.kind == Pick::kEnd) return End(Say(kRestoreCancelled));
  if (pick.kind == Pick::kBack) return Step::kBack;
  *chosen = &found[pick.index];
  return Step::kNext;
}

Step Session::ChooseVersions(const BackupCatalog& catalog, const FoundFile& file,
                             std::vector<ChosenVersion>* chosen) {
  chosen->clear();
  const std::vector<FileVersion>& versions = file.versions;
  const auto every = [&] {
    for (const FileVersion& version : versions) chosen->push_back({&version, version.backups.front()});
  };
  if (args_.at && *args_.at == L"*") {
    every();
    return Step::kNext;
  }
  if (args_.at || !Asking()) {
    const WString when = args_.at.value_or(L"latest");
    const std::optional<When> parsed = ParseWhen(when);
    if (!parsed) return End(Say(kRestoreWrongArgument, {L"/at:" + when}));
    std::vector<RunName> names;
    for (const Backup& backup : catalog.backups()) names.push_back(backup.name);
    const std::optional<size_t> at = BackupAt(names, *parsed);
    for (const FileVersion& version : versions) {
      if (at && std::find(version.backups.begin(), version.backups.end(), *at) !=
                    version.backups.end()) {
        chosen->push_back({&version, *at});
        return Step::kNext;
      }
    }
    return End(Say(kRestoreNoVersionAt, {at ? Spoken(names[*at]) : when, OriginalOf(file)}));
  }
  OutputLine(Say(kRestoreVersions, {OriginalOf(file)}));
  WStringList lines;
  for (const FileVersion& version : versions) lines.push_back(VersionLine(catalog, version));
  ListNumbered(lines);
  const WString newest = Spoken(catalog.backups()[versions.front().backups.front()].name);
  const Pick pick = AskPick(Say(kRestoreAskVersion, {newest}), versions.size(), 0, true);
  if (pick.kind == Pick::kEnd) return End(Say(kRestoreCancelled));
  if (pick.kind == Pick::kBack) return Step::kBack;
  if (pick.kind == Pick::kAll) {
    every();
  } else {
    chosen->push_back({&versions[pick.index], versions[pick.index].backups.front()});
  }
  return Step::kNext;
}

// Beside the original, "Quote (version of 9 Dec).xlsx", or into the /to: folder under its own
// name; a number is added where that name is taken, never anything replaced.
std::optional<Plan> Session::VersionPlan(const BackupCatalog& catalog, const FoundFile& file,
                                         const std::vector<ChosenVersion>& versions) {
  Plan plan;
  plan.what = OriginalOf(file);
  const std::vector<Backup>& backups = catalog.backups();
  plan.when = Spoken(backups[versions.front().second].name);
  if (versions.size() > 1) {
    plan.when = Say(kHeldFromTo, {Spoken(backups[versions.back().second].name), plan.when});
  }
  WString folder = DirectoryPart(PlaceOnThisPc(file));
  if (args_.to) {
    folder = FullPath(*args_.to);
    if (folder.empty()) return Refuse(Say(kRestoreWrongArgument, {L"/to:" + *args_.to}));
  }
  if (const std::optional<WString> refused = Refused(folder)) return Refuse(*refused);
  plan.where = folder;
  const WString name = FileNamePart(file.relative);
  std::set<WString> taken;
  for (const auto& [version, backup] : versions) {
    const WString own = args_.to ? name : VersionFileName(name, backups[backup].name.stamp);
    WString target;
    for (int number = 1; target.empty() || Exists(target) || taken.contains(ToLower(target));
         ++number) {
      target = JoinedPath(folder, NumberedName(own, number));
    }
    taken.insert(ToLower(target));
    if (!IsSafePlace(file.relative)) {
      plan.unrestored.Add(Say(kRestoreNotRestored, {Say(kRestoreNameNotWritable), target}));
      continue;
    }
    plan.files.push_back({version->copy.stick_path, target, L"", version->copy.size,
                          version->copy.write_time, version->copy.attributes});
  }
  if (plan.files.size() == 1) plan.where = plan.files.front().target;
  return plan;
}

}  // namespace sollux
