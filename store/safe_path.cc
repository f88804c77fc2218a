#include "store/safe_path.h"

#include <algorithm>
#include <cwctype>
#include <string_view>

#include "base/path.h"

namespace sollux {
namespace {

constexpr size_t kLongestName = 255;
constexpr std::wstring_view kForbidden = L"\\/:*?\"<>|";
constexpr std::wstring_view kDevices[] = {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$",
                                          L"CONOUT$", L"CLOCK$"};

// COM1 to COM9 and LPT1 to LPT9, with the superscript digits that Windows takes as well.
bool IsNumberedDevice(const WString& base) {
  if (base.size() != 4) return false;
  const WString head = base.substr(0, 3);
  const wchar_t digit = base[3];
  return (head == L"COM" || head == L"LPT") &&
         ((digit >= L'1' && digit <= L'9') || digit == L'\u00B9' || digit == L'\u00B2' ||
          digit == L'\u00B3');
}

// Windows opens "con.txt" and "CON .log" as the console too.
bool IsDeviceName(const WString& name) {
  WString base = name.substr(0, name.find(L'.'));
  while (!base.empty() && base.back() == L' ') base.pop_back();
  for (wchar_t& c : base) c = static_cast<wchar_t>(c < 0x80 ? std::towupper(c) : c);
  return IsNumberedDevice(base) ||
         std::find(std::begin(kDevices), std::end(kDevices), base) != std::end(kDevices);
}

bool AllSafe(const WStringList& names) {
  return std::all_of(names.begin(), names.end(), IsSafeName);
}

// Every level, at backslashes and slashes alike, empty ones too; a NUL is part of a level.
WStringList Levels(const WString& path) {
  WStringList levels(1);
  for (const wchar_t c : path) {
    if (c == L'\\' || c == L'/') {
      levels.emplace_back();
    } else {
      levels.back() += c;
    }
  }
  return levels;
}

}  // namespace

bool IsSafeName(const WString& name) {
  if (name.empty() || name.size() > kLongestName || name.back() == L'.' || name.back() == L' ') {
    return false;
  }
  for (const wchar_t c : name) {
    if (c < 0x20 || kForbidden.find(c) != std::wstring_view::npos) return false;
  }
  return !IsDeviceName(name);
}

bool IsSafePlace(const WString& place) {
  return AllSafe(Levels(place));
}

bool IsCanonicalFolder(const WString& folder) {
  if (folder.size() >= 3 && IsDriveDesignator(folder.substr(0, 2)) && folder[2] == L'\\') {
    return folder.size() == 3 || AllSafe(Levels(folder.substr(3)));
  }
  if (!folder.starts_with(L"\\\\")) return false;
  const WStringList levels = Levels(folder.substr(2));
  return levels.size() >= 2 && AllSafe(levels);
}

WString CanonicalFolder(const WString& folder) {
  // A drive's root has no \\?\ form of its own.
  WString form = IsDriveRoot(folder) ? folder.substr(0, 2) : LongPathForm(folder);
  if (form.starts_with(L"\\\\?\\UNC\\")) {
    form = L"\\" + form.substr(7);
  } else if (form.starts_with(L"\\\\?\\")) {
    form = form.substr(4);
  }
  form = WithoutTrailingSeparatorBelowRoot(form);
  return IsCanonicalFolder(form) ? form : WString();
}

}  // namespace sollux
