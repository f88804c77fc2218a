#include "mirror/backup_lock.h"

#include "base/file_system.h"
#include "base/path.h"
#include "base/system_api.h"

namespace sollux {
namespace {

constexpr int kAttempts = 10;
constexpr DWORD kPauseMs = 200;

}  // namespace

BackupLock::BackupLock(const StickLayout& layout) : path_(layout.ComputerFile(kLockFileName)) {
  const WString open_path = OpenablePath(path_);
  const WString link = layout.FirstLink(path_);
  const DWORD attributes = Sys().GetFileAttributesW(open_path.c_str());
  if (link == path_ || (link.empty() && attributes != INVALID_FILE_ATTRIBUTES &&
                        (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)) {
    obstacle_ = path_;
    state_ = State::kNotALock;
    return;
  }
  if (!link.empty()) {
    error_ = ERROR_CANT_ACCESS_FILE;
    return;
  }
  CreateLongFolderChain(layout.computer_folder());
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    if (attempt > 0) Sys().Sleep(kPauseMs);
    handle_ = Sys().CreateFileW(
        open_path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, OPEN_ALWAYS,
        FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE | FILE_FLAG_OPEN_REPARSE_POINT);
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
