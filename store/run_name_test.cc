#include "store/run_name.h"

#include <gtest/gtest.h>

#include "base/system_api.h"

namespace sollux {
namespace {

// Local time is UTC, whatever the zone of the machine that runs the test.
class UtcClock : public RealSystemApi {
 public:
  bool LocalTime(int64_t time, struct tm* fields) override {
    const __time64_t t = time;
    return _gmtime64_s(fields, &t) == 0;
  }
};

TEST(RunNameTest, OnlyTheNamesSolluxMakesAreRunNames) {
  for (const wchar_t* name : {L"2026-12-09 09.30.00", L"2026-12-09 09.30.00 (2)",
                              L"2024-02-29 23.59.59 (999999)", L"1601-01-01 00.00.00"}) {
    SCOPED_TRACE(name);
    const std::optional<RunName> parsed = ParseRunName(name);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(name, parsed->Text());
  }
  for (const wchar_t* wrong :
       {L"", L"..", L"2026-12-09 09.30.00\\..", L"2026-12-09 09:30:00", L"2026-12-09 09.30.00 ",
        L"2026-12-09 09.30.00 (1)", L"2026-12-09 09.30.00 (02)", L"2026-12-09 09.30.00 (x)",
        L"2026-12-09 09.30.00 (1000000)", L"2026-13-09 09.30.00", L"2025-02-29 09.30.00",
        L"2026-12-09 24.00.00", L"2026-12-09 09.60.00", L"1600-12-31 23.59.59",
        L"\uFF12026-12-09 09.30.00"}) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(wrong)));
    EXPECT_FALSE(ParseRunName(wrong));
  }
}

// Names sort as the runs ran: by stamp, then number; a clock set back, or a run in the same
// second, takes the latest name with the next number.
TEST(RunNameTest, ANewRunIsNamedAfterEveryEarlierOne) {
  UtcClock clock;
  const ScopedSystemApi scoped(clock);
  const int64_t time = 1765272600;  // 2025-12-09 09:30:00 UTC
  const RunName latest = *ParseRunName(L"2025-12-09 09.30.00 (2)");
  EXPECT_EQ(L"2025-12-09 09.30.01", NextRunName(time + 1, {latest}).Text());
  EXPECT_EQ(L"2025-12-09 09.30.00 (3)", NextRunName(time, {latest}).Text());
  EXPECT_EQ(L"2025-12-09 09.30.00 (3)", NextRunName(time - 86400, {latest}).Text());
  EXPECT_EQ(L"2025-12-09 09.30.00", NextRunName(time, {}).Text());
  EXPECT_LT(*ParseRunName(L"2025-12-09 09.30.00 (9)"), *ParseRunName(L"2025-12-09 09.30.00 (10)"));
  EXPECT_LT(*ParseRunName(L"2025-12-09 09.30.00 (10)"), *ParseRunName(L"2025-12-09 09.30.01"));
}

}  // namespace
}  // namespace sollux
