// Dates as people say them, for choosing a backup or a file's version: "Wed 9 Dec 17:00
// (yesterday)", 「12月9日 (水) 17:00 (昨日)」, with the year only when it is not this one; and a
// file's name with the day of its version.
#ifndef SOLLUX_RESTORE_SPOKEN_DATE_H_
#define SOLLUX_RESTORE_SPOKEN_DATE_H_

#include <cstdint>
#include <optional>

#include "base/wstring.h"
#include "store/run_name.h"

namespace sollux {

// `stamp` said on the day `today`, to the minute or, with `seconds`, to the second.
WString SpokenStamp(const LocalStamp& stamp, const LocalStamp& today, bool seconds = false);
// "9 Dec", 「12月9日」.
WString ShortDay(const LocalStamp& stamp);
// "Quote.xlsx" of the version of `stamp`: "Quote (version of 9 Dec).xlsx", 「見積書 (12月9日の版).xlsx」.
WString VersionFileName(const WString& name, const LocalStamp& stamp);
// `name` with " (2)" before its extension for `number` 2, and so on; as it is for 1.
WString NumberedName(const WString& name, int number);
// A file time (100-nanosecond ticks since 1601, UTC) in local time.
std::optional<LocalStamp> StampOfFileTime(uint64_t ticks);

}  // namespace sollux

#endif  // SOLLUX_RESTORE_SPOKEN_DATE_H_
