#include "base/time_text.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "base/win.h"
#include "test/fake_machine.h"

namespace sollux {
namespace {

// 2100-07-01 12:00:00 UTC: the same calendar day in every time zone, far beyond 2038.
constexpr int64_t kMidsummer2100 = 4118126400;

WString LocalDateNow() {
  SYSTEMTIME now = {};
  ::GetLocalTime(&now);
  wchar_t text[16] = {};
  std::swprintf(text, 16, L"%04u%02u%02u", now.wYear, now.wMonth, now.wDay);
  return text;
}

TEST(FormatTimeTest, CurrentLocalDate) {
  const WString before = LocalDateNow();
  const WString date = FormatCurrentTime(L"%Y%m%d");
  const WString after = LocalDateNow();
  ASSERT_EQ(8u, date.size());
  EXPECT_EQ(WString::npos, date.find_first_not_of(L"0123456789"));
  EXPECT_TRUE(date == before || date == after) << "before " << before << " after " << after;
}

TEST(FormatTimeTest, CurrentTimeComesFromTheSystemLayer) {
  test::ScopedFakeMachine machine;
  machine.clock = kMidsummer2100;
  EXPECT_EQ(L"2100/07/01", FormatCurrentTime(L"%Y/%m/%d"));
}

TEST(FormatTimeTest, TimesAfter2038) {
  EXPECT_EQ(L"2100/07/01", FormatTime(kMidsummer2100, L"%Y/%m/%d"));
  // 2038-01-20 12:00:00 UTC, past the last second that a signed 32-bit count holds.
  EXPECT_EQ(L"2038/01/20", FormatTime(2147601600, L"%Y/%m/%d"));
}

TEST(FormatTimeTest, EmptyWhenNothingFitsOrConverts) {
  struct Case {
    const char* what;
    int64_t time;
    WString pattern;
    WString expected;
  } cases[] = {
      {"254 characters fit", kMidsummer2100, WString(250, L'x') + L"%Y",
       WString(250, L'x') + L"2100"},
      {"255 characters do not", kMidsummer2100, WString(251, L'x') + L"%Y", L""},
      {"plain 255", kMidsummer2100, WString(255, L'x'), L""},
      {"empty expansion", kMidsummer2100, L"", L""},
      {"before 1970", -86400, L"%Y", L""},
      {"after 3000", 32535302400, L"%Y", L""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(c.expected, FormatTime(c.time, c.pattern.c_str()));
  }
}

}  // namespace
}  // namespace sollux
