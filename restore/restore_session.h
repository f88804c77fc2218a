// Sollux-restore from start to end: whose backup, which backup, which folders, where to; then
// the plan, one question, the copying and the summary.
#ifndef SOLLUX_RESTORE_RESTORE_SESSION_H_
#define SOLLUX_RESTORE_RESTORE_SESSION_H_

#include "base/wstring.h"

namespace sollux {

// How a restore ended; the program's exit code.
enum class RestoreExit : int {
  kAllRestored = 0,
  kNothingDone = 1,     // no stick, no such backup or folder, a wrong argument, or cancelled
  kNotAllRestored = 2,  // some files were not restored, each named
};

RestoreExit RunRestore(const WStringList& arguments);

}  // namespace sollux

#endif  // SOLLUX_RESTORE_RESTORE_SESSION_H_
