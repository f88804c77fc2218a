// Rewriting of the folders that go into a robocopy command line: mapped network drives become
// UNC paths, and a destination that is the backup folder itself gets one subfolder per computer
// and source.
#ifndef SOLLUX_SCRIPT_PATH_REWRITE_H_
#define SOLLUX_SCRIPT_PATH_REWRITE_H_

#include <optional>
#include <utility>
#include <vector>

#include "base/wstring.h"

namespace sollux {

// `path` with a drive letter that is mapped to a network share replaced by the share's UNC
// name, as in Z:\Projects becoming \\fileserver\share\Projects; any other path unchanged.
WString MappedDriveToUnc(const wchar_t* path);

// While an object of this class lives, MappedDriveToUnc asks Windows for each drive's type
// only once, and MachineName for the computer's name only once. A batch file names the same one
// or two drives, and the same computer, in all of its command lines; under Wine every
// GetDriveTypeW of an existing drive is a request to the mount manager, another process, and
// every GetComputerNameW three requests to the registry: milliseconds on a busy machine.
class ScopedMachineMemo {
 public:
  ScopedMachineMemo();
  ~ScopedMachineMemo();
  ScopedMachineMemo(const ScopedMachineMemo&) = delete;
  ScopedMachineMemo& operator=(const ScopedMachineMemo&) = delete;

  // GetDriveTypeW of `root`, asked on its first use.
  unsigned DriveType(const WString& root);
  // MachineName's answer, asked on the first use.
  const WString& MachineName();

 private:
  ScopedMachineMemo* previous_;
  std::vector<std::pair<WString, unsigned>> known_;
  std::optional<WString> machine_name_;
};

// The destination without enclosing quotes. When its last component is the backup folder, the
// source's own subfolder below it: B\<machine>\X\a\b for a source X:\a\b, B\server\share\a for
// \\server\share\a. Slashes, colons and percent signs in the source become separators. The
// subfolder never leads out of B: "." and ".." in the source (or the machine's name) are
// resolved as Windows resolves them in the source, stopping at the drive letter (or the server
// and share), and other names of full stops and blanks alone are left out.
WString BackupDestinationFor(const wchar_t* source, const wchar_t* destination);

// The computer's own folder below the backup folder `backup_folder`, in which the copies of
// its drives' folders lie: B\<machine>. A file there is beside the mirrored folders, never in
// one.
WString ComputerBackupFolder(const wchar_t* backup_folder);

// The computer's name, else the first non-empty of COMPUTERNAME, USERDOMAIN, HOSTNAME and
// NAME; possibly "".
WString MachineName();

}  // namespace sollux

#endif  // SOLLUX_SCRIPT_PATH_REWRITE_H_
