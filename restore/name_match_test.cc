#include "restore/name_match.h"

#include <gtest/gtest.h>

#include "restore/answer.h"

namespace sollux {
namespace {

// As the Explorer's search box: a part of the name, letter case and the width of letters and
// digits aside; with * or ?, the whole name.
TEST(NameMatchTest, APartOfTheNameAsTheExplorerFindsIt) {
  const struct {
    const wchar_t* typed;
    const wchar_t* name;
    bool matches;
  } cases[] = {
      {L"\u898B\u7A4D", L"\u898B\u7A4D\u66F8.xlsx", true},       // 見積 in 見積書.xlsx
      {L"\u7A4D\u66F8", L"\u898B\u7A4D\u66F8.xlsx", true},       // the middle of a name
      {L"quote", L"Quote 2026.XLSX", true},
      {L"\uFF31\uFF35\uFF2F\uFF34\uFF25", L"quote.xlsx", true},  // ＱＵＯＴＥ
      {L"\uFF12\uFF10\uFF12\uFF16", L"plan 2026.txt", true},    // ２０２６
      {L"quote", L"\uFF51\uFF55\uFF4F\uFF54\uFF45.xlsx", true},  // ｑｕｏｔｅ.xlsx
      {L"plan\u3000202", L"Plan 2026.txt", true},              // an ideographic space
      {L"  quote ", L"quote.xlsx", true},
      {L"\u00E4", L"\u00C4rger.txt", true},                     // ä in Ärger
      {L"*.xlsx", L"Quote.XLSX", true},
      {L"*.xlsx", L"Quote.xlsx.bak", false},
      {L"q?ote*", L"Quote 1.txt", true},
      {L"q?ote", L"Quote 1.txt", false},
      {L"quote", L"quota.xlsx", false},
      {L"\u898B\u7A4D", L"\u898B\u7A4E.xlsx", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(c.typed) + L" / " + c.name));
    const NamePattern pattern(c.typed);
    EXPECT_FALSE(pattern.Empty());
    EXPECT_EQ(c.matches, pattern.Matches(c.name));
  }
  for (const wchar_t* every : {L"", L"   ", L"*", L"**", L"*.*", L"\uFF0A"}) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(every)));
    EXPECT_TRUE(NamePattern(every).Empty());
  }
}

// What people type with an input method on or off, in either language.
TEST(NameMatchTest, AnswersAsPeopleTypeThem) {
  const struct {
    const wchar_t* typed;
    Answer::Kind kind;
    size_t number;
  } cases[] = {
      {L"", Answer::kEnter, 0},       {L"  ", Answer::kEnter, 0},
      {L"2", Answer::kNumber, 2},     {L"\uFF12", Answer::kNumber, 2},
      {L" 11 ", Answer::kNumber, 11}, {L"\uFF11\uFF11", Answer::kNumber, 11},
      {L"0", Answer::kBack, 0},       {L"\uFF10", Answer::kBack, 0},
      {L"*", Answer::kAll, 0},        {L"\uFF0A", Answer::kAll, 0},
      {L"y", Answer::kYes, 0},        {L"Yes", Answer::kYes, 0},
      {L"\uFF59", Answer::kYes, 0},   {L"\u306F\u3044", Answer::kYes, 0},
      {L"n", Answer::kNo, 0},         {L"NO", Answer::kNo, 0},
      {L"\u3044\u3044\u3048", Answer::kNo, 0},
      {L"two", Answer::kOther, 0},    {L"-1", Answer::kOther, 0},
      {L"1.5", Answer::kOther, 0},    {L"99999999999", Answer::kOther, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(c.typed)));
    const Answer answer = ReadAnswer(c.typed);
    EXPECT_EQ(c.kind, answer.kind);
    EXPECT_EQ(c.number, answer.number);
  }
}

}  // namespace
}  // namespace sollux
