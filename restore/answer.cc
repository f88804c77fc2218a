#include "restore/answer.h"

#include <algorithm>
#include <string_view>

#include "base/text.h"
#include "restore/name_match.h"

namespace sollux {
namespace {

constexpr size_t kMostDigits = 9;
constexpr std::wstring_view kYes[] = {L"Y", L"YES", L"\u306F\u3044", L"\u30CF\u30A4"};  // はい, ハイ
constexpr std::wstring_view kNo[] = {L"N", L"NO", L"\u3044\u3044\u3048",
                                     L"\u30A4\u30A4\u30A8"};  // いいえ, イイエ

bool OneOf(const WString& text, const auto& words) {
  return std::find(std::begin(words), std::end(words), text) != std::end(words);
}

}  // namespace

Answer ReadAnswer(const WString& typed) {
  WString text = Unquote(FoldedName(typed));
  const size_t first = text.find_first_not_of(L' ');
  text = first == WString::npos ? WString() : text.substr(first, text.find_last_not_of(L' ') - first + 1);
  if (text.empty()) return {Answer::kEnter};
  if (text == L"*") return {Answer::kAll};
  if (OneOf(text, kYes)) return {Answer::kYes};
  if (OneOf(text, kNo)) return {Answer::kNo};
  if (text.size() > kMostDigits || text.find_first_not_of(L"0123456789") != WString::npos) {
    return {Answer::kOther};
  }
  const size_t number = std::stoul(text);
  return number == 0 ? Answer{Answer::kBack} : Answer{Answer::kNumber, number};
}

}  // namespace sollux
