#include "test/registry_key.h"

#include <stdexcept>

namespace sollux::test {
namespace {

constexpr wchar_t kTestRoot[] = L"Software\\SolluxTest";

}  // namespace

ScopedRegistryKey::ScopedRegistryKey() {
  static int counter = 0;
  path_ = std::wstring(kTestRoot) + L"\\" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
          std::to_wstring(++counter);
  ::RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str());
  if (::RegCreateKeyExW(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &key_, nullptr) != ERROR_SUCCESS) {
    throw std::runtime_error("cannot create the test registry key");
  }
}

ScopedRegistryKey::~ScopedRegistryKey() {
  ::RegCloseKey(key_);
  ::RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str());
  // Fails, harmlessly, while another test program still owns a key below it.
  ::RegDeleteKeyW(HKEY_CURRENT_USER, kTestRoot);
}

void ScopedRegistryKey::SetBytes(const std::wstring& name, DWORD type, const void* data,
                                 DWORD bytes) {
  if (::RegSetValueExW(key_, name.c_str(), 0, type, static_cast<const BYTE*>(data), bytes) !=
      ERROR_SUCCESS) {
    throw std::runtime_error("cannot write a test registry value");
  }
}

void ScopedRegistryKey::SetText(const std::wstring& name, const std::wstring& text, DWORD type) {
  SetBytes(name, type, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

}  // namespace sollux::test
