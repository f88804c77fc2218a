// Diagnostic output on the wide standard error stream.
#ifndef SOLLUX_BASE_MESSAGES_H_
#define SOLLUX_BASE_MESSAGES_H_

#include <cstdint>

#include "base/wstring.h"

namespace sollux {

// Writes `text` and a line feed to the standard error stream and flushes it.
void ErrorLine(const WString& text);
// Writes `count` and a carriage return (no line feed), so that a running count overwrites
// itself on one console line.
void ErrorCounter(uint64_t count);

}  // namespace sollux

#endif  // SOLLUX_BASE_MESSAGES_H_
