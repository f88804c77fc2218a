#include "restore/name_match.h"

#include "mirror/check_rules.h"

namespace sollux {
namespace {

constexpr wchar_t kFullWidthFirst = 0xFF01;  // ！, whose half-width form is !
constexpr wchar_t kFullWidthLast = 0xFF5E;   // ～
constexpr wchar_t kFullWidthOffset = 0xFF01 - L'!';
constexpr wchar_t kIdeographicSpace = 0x3000;

WString Trimmed(const WString& text) {
  const size_t first = text.find_first_not_of(L' ');
  if (first == WString::npos) return WString();
  return text.substr(first, text.find_last_not_of(L' ') - first + 1);
}

// The full-width forms of ASCII as ASCII; upper-cased before or after, the same.
WString HalfWidth(std::wstring_view text) {
  WString half(text);
  for (wchar_t& c : half) {
    if (c >= kFullWidthFirst && c <= kFullWidthLast) c = static_cast<wchar_t>(c - kFullWidthOffset);
    if (c == kIdeographicSpace) c = L' ';
  }
  return half;
}

}  // namespace

WString FoldedName(const WString& text) { return FileSystemUpperCase(HalfWidth(text)); }

NamePattern::NamePattern(const WString& typed) : folded_(Trimmed(FoldedName(typed))) {
  wildcards_ = folded_.find_first_of(L"*?") != WString::npos;
  // "*.*" too stands for every name, as it does for Windows.
  empty_ = folded_.find_first_not_of(L'*') == WString::npos || folded_ == L"*.*";
}

bool NamePattern::Matches(const WString& name) const {
  return MatchesUpperCase(FileSystemUpperCase(name));
}

bool NamePattern::MatchesUpperCase(std::wstring_view upper_name) const {
  if (empty_) return true;
  const WString folded = HalfWidth(upper_name);
  return wildcards_ ? MatchesUpperCaseWildcard(folded, folded_)
                    : folded.find(folded_) != WString::npos;
}

}  // namespace sollux
