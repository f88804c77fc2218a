#include "restore/spoken_date.h"

#include <gtest/gtest.h>

#include "base/system_api.h"
#include "base/ui_text.h"

namespace sollux {
namespace {

class UiLanguage : public RealSystemApi {
 public:
  explicit UiLanguage(LANGID language) : language_(language) { ForgetUiLanguage(); }
  ~UiLanguage() override { ForgetUiLanguage(); }
  LANGID GetUserDefaultUILanguage() override { return language_; }

 private:
  LANGID language_;
};

// Dates as people say them, in both languages: the weekday, today and yesterday, the year only
// when it is not this one; a version's file name with its day.
TEST(SpokenDateTest, DatesAndVersionNamesInBothLanguages) {
  const LocalStamp today{2026, 12, 10, 9, 30, 0};
  const struct {
    LocalStamp stamp;
    bool seconds;
    const wchar_t* english;
    const wchar_t* japanese;
  } cases[] = {
      {{2026, 12, 9, 17, 0, 5}, false, L"Wed 9 Dec 17:00 (yesterday)",
       L"12\u67089\u65E5 (\u6C34) 17:00 (\u6628\u65E5)"},
      {{2026, 12, 10, 8, 5, 9}, true, L"Thu 10 Dec 08:05:09 (today)",
       L"12\u670810\u65E5 (\u6728) 08:05:09 (\u4ECA\u65E5)"},
      {{2026, 11, 30, 23, 59, 0}, false, L"Mon 30 Nov 23:59",
       L"11\u670830\u65E5 (\u6708) 23:59"},
      {{2025, 12, 31, 12, 0, 0}, false, L"Wed 31 Dec 2025 12:00",
       L"2025\u5E7412\u670831\u65E5 (\u6C34) 12:00"},
      {{2024, 2, 29, 0, 0, 0}, false, L"Thu 29 Feb 2024 00:00",
       L"2024\u5E742\u670829\u65E5 (\u6728) 00:00"},
  };
  for (const LANGID language : {LANGID{0x0409}, LANGID{0x0411}}) {
    UiLanguage ui(language);
    const ScopedSystemApi scoped(ui);
    for (const auto& c : cases) {
      const std::wstring expected = language == 0x0411 ? c.japanese : c.english;
      SCOPED_TRACE(testing::PrintToString(expected));
      EXPECT_EQ(expected, SpokenStamp(c.stamp, today, c.seconds));
    }
    const LocalStamp day{2026, 12, 9, 17, 0, 0};
    EXPECT_EQ(language == 0x0411 ? L"\u898B\u7A4D\u66F8 (12\u67089\u65E5\u306E\u7248).xlsx"
                                 : L"\u898B\u7A4D\u66F8 (version of 9 Dec).xlsx",
              VersionFileName(L"\u898B\u7A4D\u66F8.xlsx", day));
    EXPECT_EQ(language == 0x0411 ? L".profile (12\u67089\u65E5\u306E\u7248)"
                                 : L".profile (version of 9 Dec)",
              VersionFileName(L".profile", day));
  }
  EXPECT_EQ(L"Quote (version of 9 Dec) (2).xlsx",
            NumberedName(L"Quote (version of 9 Dec).xlsx", 2));
  EXPECT_EQ(L"README (3)", NumberedName(L"README", 3));
}

}  // namespace
}  // namespace sollux
