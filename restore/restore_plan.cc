#include "restore/restore_plan.h"

#include <cwctype>

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

bool Digits(const WString& text, size_t from, size_t count) {
  for (size_t i = from; i < from + count; ++i) {
    if (i >= text.size() || !std::iswdigit(text[i])) return false;
  }
  return true;
}

}  // namespace

std::optional<RestoreArguments> ParseRestoreArguments(const WStringList& arguments,
                                                      WString* wrong) {
  RestoreArguments parsed;
  for (const WString& argument : arguments) {
    std::optional<WString> value;
    if ((value = SwitchValue(argument, L"at")) && !value->empty()) {
      parsed.at = value;
    } else if ((value = SwitchValue(argument, L"folder")) && !value->empty()) {
      parsed.folder = value;
    } else if ((value = SwitchValue(argument, L"to")) && !value->empty()) {
      parsed.to = value;
    } else if ((value = SwitchValue(argument, L"computer")) && !value->empty()) {
      parsed.computer = value;
    } else if (EqualsIgnoreCase(argument, L"/inplace")) {
      parsed.in_place = true;
    } else if (EqualsIgnoreCase(argument, L"/yes")) {
      parsed.yes = true;
    } else {
      *wrong = argument;
      return std::nullopt;
    }
  }
  if (parsed.in_place && parsed.to) {
    *wrong = L"/inplace";
    return std::nullopt;
  }
  return parsed;
}

std::optional<WString> StampOfWhen(const WString& when) {
  if (EqualsIgnoreCase(when, L"latest")) return WString();
  const bool date = Digits(when, 0, 4) && when.size() >= 10 && when[4] == L'-' &&
                    Digits(when, 5, 2) && when[7] == L'-' && Digits(when, 8, 2);
  if (!date) return std::nullopt;
  if (when.size() == 10) return when + L" 23.59.59";
  // A run's own name, with the " (2)" of a second run in one second.
  const bool second_run = when.size() > 19 && when.substr(19, 2) == L" (" && when.back() == L')';
  const wchar_t mark = when.size() == 19 || second_run ? when[13] : L'\0';
  const bool time = when[10] == L' ' && Digits(when, 11, 2) && (mark == L':' || mark == L'.') &&
                    Digits(when, 14, 2) && when[16] == mark && Digits(when, 17, 2);
  if (!time) return std::nullopt;
  WString stamp = when;
  stamp[13] = stamp[16] = L'.';  // a run's name has no colons
  return stamp;
}

std::optional<size_t> BackupAt(const WStringList& runs, const WString& stamp) {
  std::optional<size_t> found;
  for (size_t i = 0; i < runs.size(); ++i) {
    if (stamp.empty() || runs[i].substr(0, stamp.size()) <= stamp) found = i;
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
