// What the program asks its environment: the temporary folder, environment variables, shell
// special folders, the current directory, long path names and the first removable drive.
#ifndef SOLLUX_BASE_ENVIRONMENT_H_
#define SOLLUX_BASE_ENVIRONMENT_H_

#include "base/wstring.h"

namespace sollux {

// The folder for the program's own files. The system's temporary folder in its long form,
// except that one whose path holds the word "Windows" (any letter case) is replaced by the
// common documents folder followed by \Temp\Temp. When the system has none: TMP, TMPDIR or
// TEMP unchanged, else a folder named after the user (or "___") in /tmp or the current
// directory, created. Never empty.
WString TemporaryFolder();

// The common documents folder followed by \Temp\Temp, where the program's files go when the
// system's temporary folder lies in the Windows folder or the script folder cannot be created.
WString CommonTemporaryFolder();

// The value of an environment variable (the name in any letter case), or "" when unset.
WString EnvironmentValue(const WString& name);

// The path of a shell folder given by its CSIDL number, or "" when the shell has none.
// Bit 0x8000 of the number asks the shell to create the folder.
WString SpecialFolderPath(int csidl);

// The process's current directory, or "".
WString CurrentDirectory();

// The long form of `path`, or `path` unchanged when the system cannot give one.
WString LongPathName(const WString& path);

// The index (0 for A: to 25 for Z:) of the first removable drive that holds a medium; -1 when
// there is none. Empty card-reader slots and floppy drives are passed over without any
// "insert a disk" dialog.
int FindFirstRemovableDrive();
// The roots ("E:/") of the removable drives that hold a medium, A: first; with `first_only`
// the first of them alone.
WStringList ReadyRemovableDrives(bool first_only = false);

// The root of the first ready removable drive, as in "E:/"; without one, the scratch folder,
// created, ending in a backslash.
WString RemovableDriveRoot();

}  // namespace sollux

#endif  // SOLLUX_BASE_ENVIRONMENT_H_
