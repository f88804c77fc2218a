#include "store/safe_path.h"

#include <algorithm>
#include <string_view>

#include "base/path.h"

namespace sollux {
namespace {

using Name = std::wstring_view;

constexpr size_t kLongestName = 255;
constexpr size_t kLongestDevice = 7;  // CONOUT$
constexpr Name kForbidden = L"\\/:*?\"<>|";
constexpr Name kDevices[] = {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$", L"CLOCK$"};

// COM1 to COM9 and LPT1 to LPT9, with the superscript digits that Windows takes as well.
bool IsNumberedDevice(Name base) {
  if (base.size() != 4 || (base.substr(0, 3) != L"COM" && base.substr(0, 3) != L"LPT")) {
    return false;
  }
  const wchar_t digit = base[3];
  return (digit >= L'1' && digit <= L'9') || digit == L'\u00B9' || digit == L'\u00B2' ||
         digit == L'\u00B3';
}

// Windows opens "con.txt" and "CON .log" as the console too.
bool IsDeviceName(Name name) {
  Name base = name.substr(0, name.find(L'.'));
  while (!base.empty() && base.back() == L' ') base.remove_suffix(1);
  if (base.size() < 3 || base.size() > kLongestDevice) return false;
  wchar_t upper[kLongestDevice] = {};
  for (size_t i = 0; i < base.size(); ++i) {
    upper[i] = base[i] >= L'a' && base[i] <= L'z' ? static_cast<wchar_t>(base[i] - 32) : base[i];
  }
  const Name folded(upper, base.size());
  return IsNumberedDevice(folded) ||
         std::find(std::begin(kDevices), std::end(kDevices), folded) != std::end(kDevices);
}

bool SafeName(Name name) {
  if (name.empty() || name.size() > kLongestName || name.back() == L'.' || name.back() == L' ') {
    return false;
  }
  for (const wchar_t c : name) {
    if (c < 0x20 || kForbidden.find(c) != Name::npos) return false;
  }
  return !IsDeviceName(name);
}

// Every level safe, at backslashes and slashes alike; an empty level (a leading, doubled or
// trailing separator) is none, and a NUL is part of a level.
bool AllLevelsSafe(Name path) {
  for (;;) {
    const size_t end = path.find_first_of(L"\\/");
    if (!SafeName(path.substr(0, end))) return false;
    if (end == Name::npos) return true;
    path.remove_prefix(end + 1);
  }
}

}  // namespace

bool IsSafeName(const WString& name) { return SafeName(name); }

bool IsSafePlace(const WString& place) { return AllLevelsSafe(place); }

bool IsCanonicalFolder(const WString& folder) {
  if (folder.find(L'/') != WString::npos) return false;
  if (folder.size() >= 3 && IsDriveDesignator(folder.substr(0, 2)) && folder[2] == L'\\') {
    return folder.size() == 3 || AllLevelsSafe(Name(folder).substr(3));
  }
  if (!folder.starts_with(L"\\\\")) return false;
  const Name below = Name(folder).substr(2);
  return below.find_first_of(L"\\/") != Name::npos && AllLevelsSafe(below);
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
