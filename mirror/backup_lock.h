// One backup at a time to a computer's folder: Sollux.lock held open with no sharing from
// before the look until after the check. Only an open handle blocks; a file left behind by a
// run that died is opened again (and deleted when closed). A folder or a link in its place is
// no lock: a second run could start beside this one, and a link's deletion on close would
// delete what it points to.
#ifndef SOLLUX_MIRROR_BACKUP_LOCK_H_
#define SOLLUX_MIRROR_BACKUP_LOCK_H_

#include "base/win.h"
#include "base/wstring.h"
#include "store/stick_layout.h"

namespace sollux {

class BackupLock {
 public:
  enum class State { kHeld, kBusy, kFailed, kNotALock };

  // Creates the computer's folder when it is missing (the first backup) and opens the lock,
  // trying again for about 2 seconds while another process holds it. A link above the lock
  // (the computer's folder, _Backup_) leaves it kFailed, with nothing made through the link.
  explicit BackupLock(const StickLayout& layout);
  ~BackupLock();
  BackupLock(const BackupLock&) = delete;
  BackupLock& operator=(const BackupLock&) = delete;

  State state() const { return state_; }
  DWORD error() const { return error_; }
  const WString& path() const { return path_; }
  // With kNotALock: the folder or link in the lock's place.
  const WString& obstacle() const { return obstacle_; }

 private:
  WString path_;
  WString obstacle_;
  HANDLE handle_ = INVALID_HANDLE_VALUE;
  State state_ = State::kFailed;
  DWORD error_ = 0;
};

}  // namespace sollux

#endif  // SOLLUX_MIRROR_BACKUP_LOCK_H_
