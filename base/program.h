// The program's own file and name, and the process-wide list of its command-line arguments.
#ifndef SOLLUX_BASE_PROGRAM_H_
#define SOLLUX_BASE_PROGRAM_H_

#include "base/win.h"
#include "base/wstring.h"

namespace sollux {

// The full path of `module`'s file (null: the program file). When it differs from the first
// argument, both are written to the standard error stream; when it cannot be found, the first
// argument stands in for it.
WString ModulePath(HMODULE module = nullptr);

// Replaces the process-wide argument list by copies of the `count` arguments. Always true.
bool SetArgumentList(int count, const wchar_t* const* arguments);
// A copy of the process-wide argument list. Until the entry point stores its arguments, and
// whenever the list is empty, it holds the C runtime's own wide argument vector if there is one.
WStringList ArgumentList();

// The OriginalFilename of the program file's version resource, else the program file's name.
// Computed on the first call and the same on every later one.
WString ProgramName();
// The ProductVersion of the program file's version resource ("1.0.0"); "" without one.
WString ProgramVersion();

}  // namespace sollux

#endif  // SOLLUX_BASE_PROGRAM_H_
