#include "script/batch_script.h"

#include <algorithm>

#include "base/path.h"
#include "script/batch_literals.h"

namespace sollux {
namespace {

// Characters that the three dots and their two backslashes add.
constexpr size_t kEllipsisLength = 5;
// Up to this many characters before the last component (a drive, a colon and a backslash) the
// path has no first folder worth keeping.
constexpr size_t kShortPrefix = 3;

bool IsSeparatorPair(const WString& path) {
  return (path[0] == L'\\' && path[1] == L'\\') || (path[0] == L'/' && path[1] == L'/');
}

// The first backslash at or after `from`; when there is none, the first slash.
size_t FindSeparator(const WString& text, size_t from) {
  const size_t backslash = text.find(L'\\', from);
  return backslash != WString::npos ? backslash : text.find(L'/', from);
}

}  // namespace

WString JoinScriptLines(const WStringList& lines) {
  return JoinWithText(lines, kBatchLineBreak) + kBatchLineBreak;
}

WString PathRoot(const WString& path) {
  if (path.size() < 2) return WString();
  if (path[1] == L':') return path.substr(0, 2);
  if (!IsSeparatorPair(path)) return WString();
  const size_t end = FindSeparator(path, 2);
  return end == WString::npos ? WString() : path.substr(0, end);
}

WString ShortenPath(const WString& path, size_t max_length) {
  if (max_length >= path.size()) return path;
  const WString name = FileNamePart(path);
  if (max_length < name.size()) return name;
  WString head = PathRoot(path);
  if (path.size() - name.size() > kShortPrefix) {
    const size_t end = FindSeparator(path, head.size() + 1);
    if (end != WString::npos) head = path.substr(0, end);
  }
  if (max_length < head.size() + name.size() + kEllipsisLength) return name;
  WString tail = path.substr(std::min(head.size() + 1, path.size()));
  while (tail.size() + head.size() + kEllipsisLength > max_length) {
    const size_t separator = FindSeparator(tail, 0);
    if (separator == WString::npos) break;
    tail.erase(0, separator + 1);
  }
  return WithTrailingSeparator(head, L'\\') + L"...\\" + tail;
}

}  // namespace sollux
