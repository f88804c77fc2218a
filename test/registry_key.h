// A registry key below HKEY_CURRENT_USER that one test owns: created empty, deleted with all
// its values and subkeys when the object goes away.
#ifndef SOLLUX_TEST_REGISTRY_KEY_H_
#define SOLLUX_TEST_REGISTRY_KEY_H_

#include <string>

#include "base/win.h"

namespace sollux::test {

class ScopedRegistryKey {
 public:
  // A fresh key "Software\SolluxTest\<process id>-<counter>"; parallel test programs sharing
  // one Wine prefix never meet in it.
  ScopedRegistryKey();
  ~ScopedRegistryKey();
  ScopedRegistryKey(const ScopedRegistryKey&) = delete;
  ScopedRegistryKey& operator=(const ScopedRegistryKey&) = delete;

  // The key's path below HKEY_CURRENT_USER.
  const std::wstring& path() const { return path_; }

  // Stores exactly `bytes` bytes of `data` as the value `name` of type `type`.
  void SetBytes(const std::wstring& name, DWORD type, const void* data, DWORD bytes);
  // Stores `text` with its terminating NUL.
  void SetText(const std::wstring& name, const std::wstring& text, DWORD type = REG_SZ);

 private:
  std::wstring path_;
  HKEY key_ = nullptr;
};

}  // namespace sollux::test

#endif  // SOLLUX_TEST_REGISTRY_KEY_H_
