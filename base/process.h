// Starting another program in this process's console and waiting for it; the programs that
// hold a file open.
#ifndef SOLLUX_BASE_PROCESS_H_
#define SOLLUX_BASE_PROCESS_H_

#include <cstdint>

#include "base/wstring.h"

namespace sollux {

// This process's environment as "name=value" texts, in the system's order.
WStringList EnvironmentEntries();

// `entries` with the variable `name` set to `value`: an entry of that name (any letter case)
// is replaced, else one is inserted where Windows keeps the block sorted, before the first
// entry whose name sorts after `name` without regard to letter case. The drive entries that
// begin with "=" stay in front.
WStringList WithVariable(WStringList entries, const WString& name, const WString& value);

// The environment block of `entries`: each followed by a NUL, and one more NUL at the end.
WString EnvironmentBlock(const WStringList& entries);

// Runs `command_line` with the environment block `environment` in this process's console,
// with this process's standard handles, and waits until it ends. False when the program could
// not be started; otherwise its exit code is stored in `exit_code`.
bool RunAndWait(const WString& command_line, const WString& environment, uint32_t* exit_code);

// The programs that hold `path` open, as "Microsoft Outlook (OUTLOOK.EXE)", joined by ", ";
// "" when none is known.
WString FileHolders(const WString& path);

}  // namespace sollux

#endif  // SOLLUX_BASE_PROCESS_H_
