#include "app/registry.h"

#include <vector>

#include "base/messages.h"
#include "base/system_api.h"

namespace sollux {

RegistryKey::~RegistryKey() { Close(); }

bool RegistryKey::REG_get_key(HKEY root, const WString& path, REGSAM access) {
  if (handle_ != nullptr && root == root_ && path == path_ && access == access_) return true;
  Close();
  root_ = root;
  HKEY opened = nullptr;
  if (Sys().RegOpenKeyExW(root, path.c_str(), 0, access, &opened) != ERROR_SUCCESS) return false;
  handle_ = opened;
  path_ = path;
  access_ = access;
  return true;
}

WString RegistryKey::REG_get(const wchar_t* value_name, const wchar_t* default_text) {
  if (handle_ == nullptr) return default_text;
  DWORD type = 0;
  DWORD size = 0;
  if (Sys().RegQueryValueExW(handle_, value_name, &type, nullptr, &size) != ERROR_SUCCESS) {
    ErrorLine(L"REG_get error " + path_ + L" " + value_name);
    return default_text;
  }
  if (type != REG_SZ) {
    ErrorLine(L"REG_get != REG_SZ " + path_ + L" " + value_name);
    return default_text;
  }
  // The stored data need not end in a NUL, nor hold whole characters: round up to whole
  // characters and keep one zero character after them, which the query never writes.
  std::vector<wchar_t> text((size + 1) / sizeof(wchar_t) + 1, L'\0');
  Sys().RegQueryValueExW(handle_, value_name, &type, reinterpret_cast<BYTE*>(text.data()), &size);
  return text.data();
}

void RegistryKey::Close() {
  if (handle_ != nullptr) Sys().RegCloseKey(handle_);
  root_ = nullptr;
  handle_ = nullptr;
  path_.clear();
  access_ = 0;
}

WString ReadRegistryString(HKEY root, const wchar_t* key_path, const wchar_t* value_name,
                           const wchar_t* default_text) {
  if (key_path == nullptr || *key_path == L'\0') return default_text;
  RegistryKey key;
  if (!key.REG_get_key(root, key_path, KEY_READ)) {
    ErrorLine(WString(L"REG_get_key error ") + key_path);
    key.Close();
    return default_text;
  }
  WString result = key.REG_get(value_name, default_text);
  key.Close();
  return result;
}

}  // namespace sollux
