#include "test/random_machine.h"

#include <cerrno>
#include <cstring>
#include <cwchar>
#include <cwctype>

namespace sollux::test {
namespace {

constexpr wchar_t const* kNameVariables[] = {L"COMPUTERNAME", L"USERDOMAIN", L"HOSTNAME", L"NAME"};

}  // namespace

bool RandomMachineApi::Exists(const std::wstring& path) {
  uint32_t hash = 2166136261u;
  for (const wchar_t c : path) hash = (hash ^ static_cast<uint16_t>(c)) * 16777619u;
  return hash % 3 != 0;
}

bool RandomMachineApi::IsReal(const wchar_t* path) const {
  return _wcsnicmp(path, real_root_.c_str(), real_root_.size()) == 0;
}

DWORD RandomMachineApi::GetLongPathNameW(const wchar_t* path, wchar_t* buffer, DWORD size) {
  const size_t length = std::wcslen(path);
  if (length >= size) return static_cast<DWORD>(length + 1);
  std::wmemcpy(buffer, path, length + 1);
  return static_cast<DWORD>(length);
}

UINT RandomMachineApi::GetDriveTypeW(const wchar_t* root) {
  if (root == nullptr || root[0] == L'\0') return DRIVE_FIXED;
  const wchar_t letter = static_cast<wchar_t>(std::towupper(root[0]));
  return letter >= L'M' && letter <= L'P' && root[1] == L':' ? DRIVE_REMOTE : DRIVE_FIXED;
}

DWORD RandomMachineApi::WNetGetConnectionW(const wchar_t*, wchar_t* remote, DWORD* length) {
  if (connection_.empty()) return ERROR_NOT_CONNECTED;
  if (connection_.size() >= *length) {
    *length = static_cast<DWORD>(connection_.size() + 1);
    return ERROR_MORE_DATA;
  }
  std::wmemcpy(remote, connection_.c_str(), connection_.size() + 1);
  return NO_ERROR;
}

BOOL RandomMachineApi::GetComputerNameW(wchar_t* buffer, DWORD* size) {
  if (computer_name_.size() >= *size) {
    *size = static_cast<DWORD>(computer_name_.size() + 1);
    return FALSE;
  }
  std::wmemcpy(buffer, computer_name_.c_str(), computer_name_.size() + 1);
  *size = static_cast<DWORD>(computer_name_.size());
  return TRUE;
}

const wchar_t* RandomMachineApi::GetEnv(const wchar_t* name) {
  for (const wchar_t* variable : kNameVariables) {
    if (_wcsicmp(name, variable) != 0) continue;
    const auto found = variables_.find(variable);
    return found == variables_.end() || found->second.empty() ? nullptr : found->second.c_str();
  }
  return RealSystemApi::GetEnv(name);
}

int RandomMachineApi::Stat64(const wchar_t* path, struct _stat64* record) {
  if (IsReal(path)) return RealSystemApi::Stat64(path, record);
  std::memset(record, 0, sizeof(*record));
  if (!Exists(path)) return ENOENT;
  record->st_mode = _S_IFDIR;
  return 0;
}

int RandomMachineApi::Access(const wchar_t* path, int mode) {
  if (IsReal(path)) return RealSystemApi::Access(path, mode);
  return Exists(path) ? 0 : -1;
}

RandomMachine::RandomMachine() : tmp_(L"TMP", temp_.path()), api_(temp_.path()), scoped_(api_) {}

}  // namespace sollux::test
