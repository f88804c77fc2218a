// Two lookups of the user's environment: the name of the logged-on user, and the full path of
// a program or file that does not exist as given.
#ifndef SOLLUX_DIAG_USER_PROGRAMS_H_
#define SOLLUX_DIAG_USER_PROGRAMS_H_

#include "base/wstring.h"

namespace sollux {

// The logged-on user's name as the system gives it, else the variable USER, else USERNAME;
// "" when all three are empty.
WString UserName();

// An existing path for `name` (a file name, or a relative or absolute path): `name` itself
// when it exists as given (relative to the current directory), else `name` below the
// program-files folder, "C:\Program Files" or "C:\Program Files (x86)", and, for a name ending
// in ".exe" (any letter case), its file name in the Windows folder or the system folder.
// `name` unchanged when none of them exists; "" for an empty name.
WString LocateProgram(const wchar_t* name);

// The extension of the file name of `path` in lower case, without the full stop.
WString LowerFileExtension(const wchar_t* path);

}  // namespace sollux

#endif  // SOLLUX_DIAG_USER_PROGRAMS_H_
