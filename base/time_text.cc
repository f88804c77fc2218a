#include "base/time_text.h"

#include <ctime>
#include <cwchar>

#include "base/system_api.h"

namespace sollux {
namespace {

constexpr size_t kBufferLength = 256;
// The terminating NUL included.
constexpr size_t kFormatLimit = 255;

}  // namespace

WString FormatCurrentTime(const wchar_t* pattern) {
  return FormatTime(Sys().CurrentTime(), pattern);
}

WString FormatTime(int64_t time, const wchar_t* pattern) {
  struct tm fields = {};
  if (!Sys().LocalTime(time, &fields)) return WString();
  WString buffer(kBufferLength, L'\0');
  const size_t length = std::wcsftime(buffer.data(), kFormatLimit, pattern, &fields);
  // Wine's wcsftime fills the whole limit, leaving no room for the NUL, instead of failing.
  if (length == 0 || length >= kFormatLimit) return WString();
  return buffer.c_str();
}

}  // namespace sollux
