// A backup run's name: the local time it started, "2026-12-09 09.30.00", with " (2)" and on for
// later runs named after the same second. Runs are ordered by their names, never by where a list
// has them, so a new run's name is later than every earlier one's even when the PC's clock was
// set back. Text only.
#ifndef SOLLUX_STORE_RUN_NAME_H_
#define SOLLUX_STORE_RUN_NAME_H_

#include <compare>
#include <cstdint>
#include <optional>
#include <vector>

#include "base/wstring.h"

namespace sollux {

// A local date and time of day, as the calendar has them.
struct LocalStamp {
  int year = 0;
  int month = 0;
  int day = 0;
  int hour = 0;
  int minute = 0;
  int second = 0;

  auto operator<=>(const LocalStamp&) const = default;
};

// A day of the calendar (from year 1601 to 9999) and a time of that day.
bool IsValidStamp(const LocalStamp& stamp);
// `time` (seconds since 1970, UTC) in local time; nullopt when it cannot be converted.
std::optional<LocalStamp> LocalStampOf(int64_t time);

struct RunName {
  LocalStamp stamp;
  int number = 1;  // the second run named after one second is " (2)"

  // "2026-12-09 09.30.00", "2026-12-09 09.30.00 (2)".
  WString Text() const;
  auto operator<=>(const RunName&) const = default;
};

// The largest number a run's name may carry.
inline constexpr int kLastRunNumber = 999999;

// Exactly the text that RunName::Text makes, of a valid stamp; nullopt for anything else.
std::optional<RunName> ParseRunName(const WString& text);
// "2026-12-09 09.30.00" or, with `mark` ':', "2026-12-09 09:30:00": a valid stamp; nullopt for
// anything else.
std::optional<LocalStamp> ParseStamp(const WString& text, wchar_t mark);
// "2026-12-09", a valid day (its time 00:00:00); nullopt for anything else.
std::optional<LocalStamp> ParseDay(const WString& text);

// The name of a run that starts at `time`: its own stamp, unless that is not later than every
// one of `earlier`; then the latest of them with the next number.
RunName NextRunName(int64_t time, const std::vector<RunName>& earlier);
// `time`'s stamp as a name, for what is named after a moment alone.
inline RunName RunNameAt(int64_t time) { return NextRunName(time, {}); }

}  // namespace sollux

#endif  // SOLLUX_STORE_RUN_NAME_H_
