// The text of the generated batch file: line joining and the path shortening of its banner and
// file name.
#ifndef SOLLUX_SCRIPT_BATCH_SCRIPT_H_
#define SOLLUX_SCRIPT_BATCH_SCRIPT_H_

#include <cstddef>

#include "base/wstring.h"

namespace sollux {

// The lines joined with CR LF, with one more CR LF at the end. A line may itself hold CR LF.
WString JoinScriptLines(const WStringList& lines);

// The root of a path: "C:" for a drive path, "\\server" (or "//server") for a network path
// that goes on below the server, otherwise "".
WString PathRoot(const WString& path);

// Fits `path` into `max_length` UTF-16 units by replacing folders after the root and the first
// folder below it with "...": C:\Users\...\Master\Patterns. A path that fits comes back as it
// is; when even the root, the first folder and the last component do not fit, the last
// component comes back alone, also when it is longer than `max_length`.
WString ShortenPath(const WString& path, size_t max_length);

}  // namespace sollux

#endif  // SOLLUX_SCRIPT_BATCH_SCRIPT_H_
