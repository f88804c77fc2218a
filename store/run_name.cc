#include "store/run_name.h"

#include <algorithm>
#include <ctime>
#include <string>

#include "base/system_api.h"

namespace sollux {
namespace {

constexpr size_t kDayLength = 10;     // 2026-12-09
constexpr size_t kStampLength = 19;   // 2026-12-09 09.30.00
constexpr size_t kNumberDigits = 6;   // kLastRunNumber's

// `count` digits of `text` from `at` as a number; -1 when they are not all ASCII digits.
int Digits(const WString& text, size_t at, size_t count) {
  if (at + count > text.size()) return -1;
  int value = 0;
  for (size_t i = at; i < at + count; ++i) {
    if (text[i] < L'0' || text[i] > L'9') return -1;
    value = value * 10 + (text[i] - L'0');
  }
  return value;
}

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

WString TwoDigits(int value) { return {static_cast<wchar_t>(L'0' + value / 10),
                                       static_cast<wchar_t>(L'0' + value % 10)}; }

}  // namespace

bool IsValidStamp(const LocalStamp& s) {
  return s.year >= 1601 && s.year <= 9999 && s.month >= 1 && s.month <= 12 && s.day >= 1 &&
         s.day <= DaysInMonth(s.year, s.month) && s.hour >= 0 && s.hour <= 23 && s.minute >= 0 &&
         s.minute <= 59 && s.second >= 0 && s.second <= 59;
}

std::optional<LocalStamp> LocalStampOf(int64_t time) {
  struct tm fields = {};
  if (!Sys().LocalTime(time, &fields)) return std::nullopt;
  const LocalStamp stamp{fields.tm_year + 1900, fields.tm_mon + 1, fields.tm_mday,
                         fields.tm_hour,        fields.tm_min,     fields.tm_sec};
  if (!IsValidStamp(stamp)) return std::nullopt;
  return stamp;
}

WString RunName::Text() const {
  const WString text = std::to_wstring(stamp.year) + L"-" + TwoDigits(stamp.month) + L"-" + TwoDigits(stamp.day) + L" " + TwoDigits(stamp.hour) +
         L"." + TwoDigits(stamp.minute) + L"." + TwoDigits(stamp.second);
  return number > 1 ? text + L" (" + std::to_wstring(number) + L")" : text;
}

std::optional<LocalStamp> ParseDay(const WString& text) {
  if (text.size() != kDayLength || text[4] != L'-' || text[7] != L'-') return std::nullopt;
  const LocalStamp day{Digits(text, 0, 4), Digits(text, 5, 2), Digits(text, 8, 2), 0, 0, 0};
  if (!IsValidStamp(day)) return std::nullopt;
  return day;
}

std::optional<LocalStamp> ParseStamp(const WString& text, wchar_t mark) {
  if (text.size() != kStampLength || text[10] != L' ' || text[13] != mark || text[16] != mark) {
    return std::nullopt;
  }
  std::optional<LocalStamp> stamp = ParseDay(text.substr(0, kDayLength));
  if (!stamp) return std::nullopt;
  stamp->hour = Digits(text, 11, 2);
  stamp->minute = Digits(text, 14, 2);
  stamp->second = Digits(text, 17, 2);
  if (!IsValidStamp(*stamp)) return std::nullopt;
  return stamp;
}

std::optional<RunName> ParseRunName(const WString& text) {
  const std::optional<LocalStamp> stamp = ParseStamp(text.substr(0, kStampLength), L'.');
  if (!stamp) return std::nullopt;
  RunName name{*stamp, 1};
  if (text.size() == kStampLength) return name;
  // " (2)" to " (999999)", without leading zeros: only what Text() makes.
  const WString number = text.substr(kStampLength);
  const size_t digits = number.size() - 3;
  if (number.size() < 4 || digits > kNumberDigits || !number.starts_with(L" (") ||
      number.back() != L')' || number[2] == L'0') {
    return std::nullopt;
  }
  name.number = Digits(number, 2, digits);
  if (name.number < 2) return std::nullopt;
  return name;
}

RunName NextRunName(int64_t time, const std::vector<RunName>& earlier) {
  RunName name{LocalStampOf(time).value_or(LocalStamp{1601, 1, 1, 0, 0, 0}), 1};
  const auto latest = std::max_element(earlier.begin(), earlier.end());
  if (latest == earlier.end() || name > *latest) return name;
  name = *latest;
  name.number = std::min(name.number + 1, kLastRunNumber);
  return name;
}

}  // namespace sollux
