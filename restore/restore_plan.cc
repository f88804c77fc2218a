#include "restore/restore_plan.h"

#include <algorithm>

#include "base/path.h"
#include "base/win.h"

namespace sollux {
namespace {

struct ShellFolder {
  const wchar_t* name;  // its name in a profile, whatever the language of Windows
  int csidl;
};
constexpr ShellFolder kProfileFolders[] = {
    {L"Documents", CSIDL_PERSONAL}, {L"Pictures", CSIDL_MYPICTURES}, {L"Music", CSIDL_MYMUSIC},
    {L"Videos", CSIDL_MYVIDEO},     {L"Desktop", CSIDL_DESKTOPDIRECTORY},
};

// "/name:value" or "/name": the value after the colon, if `argument` is that switch.
std::optional<WString> SwitchValue(const WString& argument, const WString& name) {
  const WString head = L"/" + name;
  if (!EqualsIgnoreCase(argument.substr(0, head.size()), head)) return std::nullopt;
  if (argument.size() == head.size()) return WString();
  if (argument[head.size()] != L':') return std::nullopt;
  return argument.substr(head.size() + 1);
}

struct ValueSwitch {
  const wchar_t* name;
  std::optional<WString> RestoreArguments::*field;
};
constexpr ValueSwitch kValueSwitches[] = {{L"at", &RestoreArguments::at},
                                          {L"folder", &RestoreArguments::folder},
                                          {L"to", &RestoreArguments::to},
                                          {L"find", &RestoreArguments::find},
                                          {L"computer", &RestoreArguments::computer}};
struct FlagSwitch {
  const wchar_t* name;
  bool RestoreArguments::*field;
};
constexpr FlagSwitch kFlagSwitches[] = {{L"inplace", &RestoreArguments::in_place},
                                        {L"missing", &RestoreArguments::missing},
                                        {L"yes", &RestoreArguments::yes},
                                        {L"list", &RestoreArguments::list}};

// The switch that does not go with the others: a file comes back beside its original or into a
// folder, never in its place; only what is missing comes back in place alone.
const wchar_t* Conflict(const RestoreArguments& args) {
  if (args.in_place && args.to) return L"/inplace";
  if (args.find && args.folder) return L"/folder";
  if (args.find && args.in_place) return L"/inplace";
  if (args.missing && !args.in_place) return L"/missing";
  return nullptr;
}

}  // namespace

std::optional<RestoreArguments> ParseRestoreArguments(const WStringList& arguments,
                                                      ArgumentFault* fault) {
  RestoreArguments parsed;
  std::vector<const wchar_t*> given;
  for (const WString& argument : arguments) {
    const wchar_t* name = nullptr;
    for (const auto& [switch_name, field] : kValueSwitches) {
      const std::optional<WString> value = SwitchValue(argument, switch_name);
      if (!value || value->empty()) continue;
      parsed.*field = value;
      name = switch_name;
    }
    for (const auto& [switch_name, field] : kFlagSwitches) {
      if (!EqualsIgnoreCase(argument, WString(L"/") + switch_name)) continue;
      parsed.*field = true;
      name = switch_name;
    }
    // Given twice, the last would win without a word, and the first may be what was meant.
    const bool twice = std::find(given.begin(), given.end(), name) != given.end();
    if (name == nullptr || twice) {
      *fault = {argument, twice};
      return std::nullopt;
    }
    given.push_back(name);
  }
  if (const wchar_t* conflict = Conflict(parsed)) {
    *fault = {conflict, false};
    return std::nullopt;
  }
  return parsed;
}

std::optional<When> ParseWhen(const WString& when) {
  if (EqualsIgnoreCase(when, L"latest")) return When{};
  if (const std::optional<RunName> name = ParseRunName(when)) {
    // A stamp without a number covers every run named after that second.
    return When{name, RunName{name->stamp, name->number > 1 ? name->number : kLastRunNumber}};
  }
  std::optional<LocalStamp> stamp = ParseStamp(when, L':');
  if (!stamp && (stamp = ParseDay(when))) {
    stamp->hour = 23;
    stamp->minute = stamp->second = 59;
  }
  if (!stamp) return std::nullopt;
  return When{std::nullopt, RunName{*stamp, kLastRunNumber}};
}

std::optional<size_t> BackupAt(const std::vector<RunName>& runs, const When& when) {
  if (when.exact) {
    const auto named = std::find(runs.begin(), runs.end(), *when.exact);
    if (named != runs.end()) return named - runs.begin();
  }
  std::optional<size_t> found;
  for (size_t i = 0; i < runs.size(); ++i) {
    if (!when.bound || runs[i] <= *when.bound) found = i;
  }
  return found;
}

bool SameFolder(const WString& folder, const WString& original) {
  return EqualsIgnoreCase(WithoutTrailingSeparator(folder), WithoutTrailingSeparator(original));
}

WString InPlaceFolder(const WString& original, const ShellFolderOf& current) {
  const WStringList levels = SplitAtChar(WithoutTrailingSeparator(original), L'\\');
  if (levels.size() < 4 || !IsDriveDesignator(levels[0]) ||
      !EqualsIgnoreCase(levels[1], L"Users") || EqualsIgnoreCase(levels[2], L"Public")) {
    return original;
  }
  for (const ShellFolder& kind : kProfileFolders) {
    if (!EqualsIgnoreCase(levels[3], kind.name)) continue;
    WString folder = current(kind.csidl);
    if (folder.empty()) return original;
    for (size_t i = 4; i < levels.size(); ++i) folder = WithTrailingSeparator(folder) + levels[i];
    return folder;
  }
  return original;
}

WString PlaceBelowComputer(const WString& place, const WString& computer) {
  const WString head = computer + L"\\";
  return EqualsIgnoreCase(place.substr(0, head.size()), head) ? place.substr(head.size()) : place;
}

}  // namespace sollux
