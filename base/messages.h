// Diagnostic output on the standard error stream.
#ifndef SOLLUX_BASE_MESSAGES_H_
#define SOLLUX_BASE_MESSAGES_H_

#include <cstdint>

#include "base/wstring.h"

namespace sollux {

// Writes `text` and a line feed to the standard error stream (as WriteStreamText does).
void ErrorLine(const WString& text);
// Writes `count` and a carriage return (no line feed), so that a running count overwrites
// itself on one console line.
void ErrorCounter(uint64_t count);

// While set, ErrorLine and ErrorCounter append their text to `sink` instead of writing it:
// the tests read it there exactly as written. Null writes again.
void SetErrorSink(WString* sink);

}  // namespace sollux

#endif  // SOLLUX_BASE_MESSAGES_H_
