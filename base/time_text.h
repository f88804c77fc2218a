// Local time stamps formatted with wcsftime patterns ("%Y%m%d", "%m%d_%H", ...).
#ifndef SOLLUX_BASE_TIME_TEXT_H_
#define SOLLUX_BASE_TIME_TEXT_H_

#include <cstdint>

#include "base/wstring.h"

namespace sollux {

// The current local time formatted by `pattern`, or "".
WString FormatCurrentTime(const wchar_t* pattern);
// `time` (seconds since 1970-01-01 00:00 UTC) as local time formatted by `pattern`; "" when
// the time cannot be converted or the text is empty or longer than 254 characters.
WString FormatTime(int64_t time, const wchar_t* pattern);

}  // namespace sollux

#endif  // SOLLUX_BASE_TIME_TEXT_H_
