#include "test/staged_system.h"

#include <algorithm>
#include <cstring>
#include <cwchar>

namespace sollux::test {

BOOL StagedFolderApi::GetComputerNameW(wchar_t* buffer, DWORD* size) {
  constexpr wchar_t kName[] = L"PC01";
  if (*size <= std::wcslen(kName)) return FALSE;
  std::wcscpy(buffer, kName);
  *size = static_cast<DWORD>(std::wcslen(kName));
  return TRUE;
}

int StagedFolderApi::Stat64(const wchar_t* path, struct _stat64* record) {
  if (std::find(folders_.begin(), folders_.end(), path) == folders_.end()) {
    return RealSystemApi::Stat64(path, record);
  }
  std::memset(record, 0, sizeof(*record));
  record->st_mode = _S_IFDIR;
  return 0;
}

StagedSystem::StagedSystem(std::vector<std::wstring> folders)
    : tmp_(L"TMP", temp_.path()), api_(std::move(folders)), scoped_(api_) {}

}  // namespace sollux::test
