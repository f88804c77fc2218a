#include "restore/spoken_date.h"

#include <string>
#include <utility>

#include "base/path.h"
#include "base/ui_text.h"

namespace sollux {
namespace {

constexpr uint64_t kTicksPerSecond = 10000000;
constexpr int64_t kSecondsFrom1601To1970 = 11644473600;

// Days since 1970-01-01 of a date of the proleptic Gregorian calendar.
int64_t DaysOf(const LocalStamp& s) {
  const int64_t y = s.year - (s.month <= 2 ? 1 : 0);
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t year_of_era = y - era * 400;
  const int64_t day_of_year = (153 * (s.month + (s.month > 2 ? -3 : 9)) + 2) / 5 + s.day - 1;
  const int64_t day_of_era =
      year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
  return era * 146097 + day_of_era - 719468;
}

// The `index`th of the blank-separated words of a text.
WString Word(Text words, size_t index) {
  const WStringList list = SplitAtChar(Say(words), L' ');
  return index < list.size() ? list[index] : WString();
}

// "Quote.xlsx": "Quote" and ".xlsx"; a name that starts with its only full stop has no extension.
std::pair<WString, WString> StemAndExtension(const WString& name) {
  const size_t dot = name.rfind(L'.');
  if (dot == WString::npos || dot == 0) return {name, WString()};
  return {name.substr(0, dot), name.substr(dot)};
}

WString TwoDigits(int value) { return (value < 10 ? L"0" : L"") + std::to_wstring(value); }

}  // namespace

WString SpokenStamp(const LocalStamp& stamp, const LocalStamp& today, bool seconds) {
  const int64_t days = DaysOf(stamp);
  // 1970-01-01 was a Thursday.
  const WString weekday = Word(Text::kWeekdayNames, static_cast<size_t>(((days % 7) + 11) % 7));
  const WStringList day = {weekday, std::to_wstring(stamp.day),
                           Word(Text::kMonthNames, static_cast<size_t>(stamp.month - 1)),
                           std::to_wstring(stamp.year)};
  WString said = Say(stamp.year == today.year ? Text::kSpokenDay : Text::kSpokenDayOfYear, day) +
                 L" " + TwoDigits(stamp.hour) + L":" + TwoDigits(stamp.minute) +
                 (seconds ? L":" + TwoDigits(stamp.second) : WString());
  const int64_t ago = DaysOf(today) - days;
  if (ago == 0) said += L" (" + Say(Text::kToday) + L")";
  if (ago == 1) said += L" (" + Say(Text::kYesterday) + L")";
  return said;
}

WString ShortDay(const LocalStamp& stamp) {
  return Say(Text::kShortDay, {std::to_wstring(stamp.day),
                               Word(Text::kMonthNames, static_cast<size_t>(stamp.month - 1))});
}

WString VersionFileName(const WString& name, const LocalStamp& stamp) {
  const auto [stem, extension] = StemAndExtension(name);
  return Say(Text::kVersionFileName, {stem, ShortDay(stamp)}) + extension;
}

WString NumberedName(const WString& name, int number) {
  if (number <= 1) return name;
  const auto [stem, extension] = StemAndExtension(name);
  return stem + L" (" + std::to_wstring(number) + L")" + extension;
}

std::optional<LocalStamp> StampOfFileTime(uint64_t ticks) {
  return LocalStampOf(static_cast<int64_t>(ticks / kTicksPerSecond) - kSecondsFrom1601To1970);
}

}  // namespace sollux
