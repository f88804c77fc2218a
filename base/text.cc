#include "base/text.h"

#include <algorithm>
#include <unordered_set>

#include "base/path.h"

namespace sollux {

WStringList UniqueInOrder(const WStringList& list) {
  WStringList unique;
  std::unordered_set<WString> seen;
  for (const WString& text : list) {
    if (seen.insert(text).second) unique.push_back(text);
  }
  return unique;
}

WString EnclosedIn(const WString& text, wchar_t quote) { return quote + text + quote; }

WString UnquoteOnce(const WString& text) {
  if (text.size() >= 2 && text.front() == text.back() &&
      (text.front() == L'"' || text.front() == L'\'')) {
    return text.substr(1, text.size() - 2);
  }
  return text;
}

WString Unquote(const WString& text) {
  WString current = text;
  for (;;) {
    WString next = UnquoteOnce(current);
    if (next.size() == current.size()) return current;
    current = std::move(next);
  }
}

WString Unquote(const wchar_t* text) { return Unquote(WString(text ? text : L"")); }

size_t FindIgnoreCase(const WString& text, const WString& pattern, size_t start) {
  const size_t exact = text.find(pattern, start);
  if (exact != WString::npos) return exact;
  return ToLower(text).find(ToLower(pattern), start);
}

WString NumberText64(uint64_t value, unsigned radix) {
  radix = std::clamp(radix, 2u, 36u);
  WString digits;
  do {
    const unsigned digit = static_cast<unsigned>(value % radix);
    digits += static_cast<wchar_t>(digit < 10 ? L'0' + digit : L'a' + (digit - 10));
    value /= radix;
  } while (value != 0);
  std::reverse(digits.begin(), digits.end());
  return digits;
}

WString NumberText(uint32_t value, unsigned radix) { return NumberText64(value, radix); }

WString PaddedNumberText(uint32_t value, unsigned radix, size_t width) {
  const WString digits = NumberText(value, radix);
  if (digits.size() >= width) return digits;
  return WString(width - digits.size(), L'0') + digits;
}

std::vector<std::string_view> ByteLines(std::string_view bytes) {
  std::vector<std::string_view> lines;
  while (!bytes.empty()) {
    const size_t end = std::min(bytes.find('\n'), bytes.size());
    std::string_view line = bytes.substr(0, end);
    if (line.ends_with('\r')) line.remove_suffix(1);
    lines.push_back(line);
    bytes.remove_prefix(std::min(end + 1, bytes.size()));
  }
  return lines;
}

}  // namespace sollux
