#include "mirror/backup_lock.h"

#include "base/file_system.h"
#include "base/path.h"
#include "base/system_api.h"

namespace sollux {
namespace {

constexpr int kAttempts = 10;
constexpr DWORD kPauseMs = 200;

}  // namespace

BackupLock::BackupLock(const WString& computer_folder)
    : path_(WithTrailingSeparator(computer_folder) + kLockFileName) {
  CreateDirectoryChain(computer_folder);
  const WString open_path = OpenablePath(path_);
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    if (attempt > 0) Sys().Sleep(kPauseMs);
    handle_ = Sys().CreateFileW(open_path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE);
    if (handle_ != INVALID_HANDLE_VALUE) {
      state_ = State::kHeld;
      return;
    }
    error_ = Sys().GetLastError();
    if (error_ != ERROR_SHARING_VIOLATION) return;
  }
  state_ = State::kBusy;
}

BackupLock::~BackupLock() {
  if (handle_ != INVALID_HANDLE_VALUE) Sys().CloseHandle(handle_);
}

}  // namespace sollux
