#include "test/fake_machine.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <cwchar>
#include <cwctype>

namespace sollux::test {
namespace {

// The path that a \\?\ form stands for.
std::wstring WithoutLongPrefix(const std::wstring& path) {
  if (path.starts_with(L"\\\\?\\UNC\\")) return L"\\\\" + path.substr(8);
  if (path.starts_with(L"\\\\?\\")) return path.substr(4);
  return path;
}

// Copies `text` into a caller's buffer of `*size` units as Windows does: the length without the
// NUL when it fits, otherwise the size needed with the NUL.
bool CopyOut(const std::wstring& text, wchar_t* buffer, DWORD* size) {
  const bool fits = text.size() < *size;
  if (fits) std::wmemcpy(buffer, text.c_str(), text.size() + 1);
  *size = static_cast<DWORD>(fits ? text.size() : text.size() + 1);
  return fits;
}

wchar_t DriveLetter(const wchar_t* root) {
  if (root == nullptr || root[0] == L'\0' || root[1] != L':') return 0;
  return static_cast<wchar_t>(std::towupper(root[0]));
}

}  // namespace

bool IgnoreCase::operator()(const std::wstring& a, const std::wstring& b) const {
  return _wcsicmp(a.c_str(), b.c_str()) < 0;
}

bool FakeMachine::DigestRule(const std::wstring& path) {
  uint32_t hash = 2166136261u;
  for (const wchar_t c : path) hash = (hash ^ static_cast<uint16_t>(c)) * 16777619u;
  return hash % 3 != 0;
}

const std::wstring& FakeMachine::UsePrivateTemporaryFolder() {
  if (!temp_) {
    temp_.emplace();
    tmp_.emplace(L"TMP", temp_->path());
  }
  return temp_->path();
}

BOOL FakeMachine::GetComputerNameW(wchar_t* buffer, DWORD* size) {
  ++computer_name_asks;
  if (computer_name_fails) return FALSE;
  if (!computer_name) return RealSystemApi::GetComputerNameW(buffer, size);
  return CopyOut(*computer_name, buffer, size);
}

int64_t FakeMachine::CurrentTime() {
  return clock ? *clock + slept_milliseconds / 1000 : RealSystemApi::CurrentTime();
}

void FakeMachine::Sleep(DWORD milliseconds) {
  if (!clock) return RealSystemApi::Sleep(milliseconds);
  slept_milliseconds += milliseconds;
}

std::optional<bool> FakeMachine::Exists(const std::wstring& path) {
  if (existence_queries) existence_queries->push_back(path);
  if (std::find(folders.begin(), folders.end(), path) != folders.end()) return true;
  const bool in_temp =
      temp_ && _wcsnicmp(path.c_str(), temp_->path().c_str(), temp_->path().size()) == 0;
  if (!folder_rule || in_temp) return std::nullopt;
  return folder_rule(path);
}

int FakeMachine::Stat64(const wchar_t* path, struct _stat64* record) {
  const std::optional<bool> exists = Exists(path);
  if (!exists) return RealSystemApi::Stat64(path, record);
  std::memset(record, 0, sizeof(*record));
  if (!*exists) return ENOENT;
  record->st_mode = _S_IFDIR;
  return 0;
}

int FakeMachine::Access(const wchar_t* path, int mode) {
  const std::optional<bool> exists = Exists(path);
  if (!exists) return RealSystemApi::Access(path, mode);
  return *exists ? 0 : -1;
}

BOOL FakeMachine::GetFileAttributesExW(const wchar_t* path, WIN32_FILE_ATTRIBUTE_DATA* data) {
  const std::optional<bool> exists = Exists(WithoutLongPrefix(path));
  if (!exists) return RealSystemApi::GetFileAttributesExW(path, data);
  *data = {};
  data->dwFileAttributes = FILE_ATTRIBUTE_DIRECTORY;
  return *exists;
}

DWORD FakeMachine::GetLongPathNameW(const wchar_t* path, wchar_t* buffer, DWORD size) {
  if (!folder_rule) return RealSystemApi::GetLongPathNameW(path, buffer, size);
  CopyOut(path, buffer, &size);
  return size;
}

UINT FakeMachine::GetDriveTypeW(const wchar_t* root) {
  auto type = drive_types.find(DriveLetter(root));
  if (type == drive_types.end()) type = drive_types.find(0);
  return type != drive_types.end() ? type->second : RealSystemApi::GetDriveTypeW(root);
}

DWORD FakeMachine::WNetGetConnectionW(const wchar_t* local, wchar_t* remote, DWORD* length) {
  connection_lookups.push_back(local);
  const auto connection = connections.find(DriveLetter(local));
  if (connection == connections.end()) {
    return RealSystemApi::WNetGetConnectionW(local, remote, length);
  }
  if (connection->second.empty()) return ERROR_NOT_CONNECTED;
  DWORD size = *length;  // left alone on success, as the real call does
  if (CopyOut(connection->second, remote, &size)) return NO_ERROR;
  *length = size;
  return ERROR_MORE_DATA;
}

DWORD FakeMachine::RestartManagerList(const wchar_t* path, std::vector<RM_PROCESS_INFO>* list) {
  std::wstring name = path;
  if (name.starts_with(L"\\\\?\\")) name.erase(0, 4);
  list->clear();
  const auto found = holders.find(name);
  if (found == holders.end()) return ERROR_SUCCESS;
  for (const Holder& holder : found->second) {
    RM_PROCESS_INFO info = {};
    info.Process.dwProcessId = static_cast<DWORD>(images_.size());
    holder.app.copy(info.strAppName, CCH_RM_MAX_APP_NAME);
    images_.push_back(holder.image);
    list->push_back(info);
  }
  return ERROR_SUCCESS;
}

bool FakeMachine::ProcessImagePath(DWORD id, std::wstring* path) {
  if (id >= images_.size() || images_[id].empty()) return false;
  *path = images_[id];
  return true;
}

const wchar_t* FakeMachine::GetEnv(const wchar_t* name) {
  const auto variable = variables.find(name);
  if (variable == variables.end()) return RealSystemApi::GetEnv(name);
  return variable->second ? variable->second->c_str() : nullptr;
}

void StageRandomMachine(FakeMachine& machine) {
  machine.computer_name = L"PC01";
  for (const wchar_t* name : {L"COMPUTERNAME", L"USERDOMAIN", L"HOSTNAME", L"NAME"}) {
    machine.variables[name] = std::nullopt;
  }
  machine.folder_rule = FakeMachine::DigestRule;
  machine.drive_types[0] = DRIVE_FIXED;
  for (const wchar_t letter : {L'M', L'N', L'O', L'P'}) {
    machine.drive_types[letter] = DRIVE_REMOTE;
    machine.connections[letter] = L"\\\\fileserver\\share";
  }
  machine.UsePrivateTemporaryFolder();
}

}  // namespace sollux::test
