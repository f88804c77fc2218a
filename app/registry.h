// PLUMA's folder settings in the current user's registry: one string value at a time, with a
// default for every failure and one line on the standard error stream for each.
#ifndef SOLLUX_APP_REGISTRY_H_
#define SOLLUX_APP_REGISTRY_H_

#include <cstddef>

#include "base/win.h"
#include "base/wstring.h"

namespace sollux {

// One opened registry key; the destructor closes it.
class RegistryKey {
 public:
  RegistryKey() = default;
  ~RegistryKey();
  RegistryKey(const RegistryKey&) = delete;
  RegistryKey& operator=(const RegistryKey&) = delete;

  // Opens `path` below `root`. A key that is already open with the same root, path and
  // access is kept as it is.
  bool REG_get_key(HKEY root, const WString& path, REGSAM access);
  // The text of a REG_SZ value of the open key up to its first NUL, else `default_text`.
  WString REG_get(const wchar_t* value_name, const wchar_t* default_text);
  void Close();

 private:
  HKEY root_ = nullptr;
  HKEY handle_ = nullptr;
  WString path_;
  REGSAM access_ = 0;
};

// The REG_SZ value `value_name` of `key_path` below `root`, or `default_text` when the path is
// empty or the key or value cannot be read.
WString ReadRegistryString(HKEY root, const wchar_t* key_path, const wchar_t* value_name,
                           const wchar_t* default_text);

// Where PLUMA keeps the folders that are backed up, all below HKEY_CURRENT_USER.
struct RegistrySetting {
  const wchar_t* key_path;
  const wchar_t* value_name;
};

inline constexpr wchar_t kPlumaFilePathKey[] = L"Software\\Morvaine\\PLUMA\\PLUMA\\FilePath";
inline constexpr wchar_t kPlumaPlnCtrlKey[] = L"Software\\Morvaine\\PLUMA\\PLUMA\\PlnCtrl";

// The data folders, then the most recently used base folder, in the order they are read.
inline constexpr RegistrySetting kPlumaSettings[] = {
    {kPlumaFilePathKey, L"User_Master"},
    {kPlumaFilePathKey, L"User_PatData"},
    {kPlumaFilePathKey, L"User_PatMake"},
    {kPlumaFilePathKey, L"User_Data"},
    // "Latest base directory name" in PLUMA's Japanese.
    {kPlumaPlnCtrlKey, L"\u6700\u65B0\u306E\u57FA\u672C\u30C7\u30A3\u30EC\u30AF\u30C8\u30EA\u540D"},
};
inline constexpr size_t kPlumaSettingCount = sizeof(kPlumaSettings) / sizeof(kPlumaSettings[0]);

}  // namespace sollux

#endif  // SOLLUX_APP_REGISTRY_H_
