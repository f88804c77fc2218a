#include "base/path.h"

#include <algorithm>
#include <cwctype>
#include <utility>

namespace sollux {
namespace {

bool EndsInSeparator(const WString& path) { return !path.empty() && IsSeparator(path.back()); }

bool IsQuote(wchar_t c) { return c == L'"' || c == L'\''; }

// Elements between the chunk breaks of JoinWithText: breaking every 128 elements keeps each
// piece short while the pieces are joined again by the same function.
constexpr size_t kChunkSize = 128;
constexpr size_t kChunkBreak = 100;

bool IsDriveAbsolute(const WString& path) {
  return path.size() >= 3 && path[1] == L':' && path[2] == L'\\';
}

// The elements of a backslash path with "." dropped and ".." taking away the element before it
// (never the first `kept` ones): the \\?\ form reads every element literally.
WString ResolveDots(const WString& path, size_t kept) {
  WStringList elements;
  for (const WString& element : SplitAtChar(path, L'\\')) {
    if (element == L".") continue;
    if (element == L"..") {
      if (elements.size() > kept) elements.pop_back();
      continue;
    }
    elements.push_back(element);
  }
  return JoinWithChar(elements, L'\\');
}

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

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

bool IsUncPath(const WString& path) {
  return path.size() >= 2 && path[0] == L'\\' && path[1] == L'\\';
}

bool IsDotEntry(const WString& name) { return name == L"." || name == L".."; }

WString LongPathForm(const WString& path) {
  if (path.starts_with(L"\\\\?\\")) return path;
  const WString p = NormalizeSeparators(path, L'\\');
  if (IsDriveAbsolute(p)) return L"\\\\?\\" + ResolveDots(p, 1);
  // \\server\share: the server and the share stay.
  if (IsUncPath(p) && p.size() > 2) return L"\\\\?\\UNC\\" + ResolveDots(p.substr(2), 2);
  return WString();
}

bool IsFullPath(const WString& path) { return IsDriveRoot(path) || !LongPathForm(path).empty(); }

WString OpenablePath(const WString& path) {
  const WString form = LongPathForm(path);
  return form.empty() ? path : form;
}

WString WithTrailingSeparator(WString path, wchar_t separator) {
  if (!path.empty() && !EndsInSeparator(path)) path += separator;
  return path;
}

WString WithoutTrailingSeparator(WString path) {
  if (EndsInSeparator(path)) path.pop_back();
  return path;
}

WString WithoutTrailingSeparator(const wchar_t* path) {
  return WithoutTrailingSeparator(WString(path != nullptr ? path : L""));
}

WString WithoutTrailingSeparatorBelowRoot(WString path) {
  path = WithoutTrailingSeparator(std::move(path));
  if (IsDriveDesignator(path)) path += L'\\';
  return path;
}

WStringList SplitText(const WString& whole, const wchar_t* delimiters) {
  const WString text(whole.c_str());  // scanning stops at the first NUL
  const wchar_t* delims = delimiters != nullptr ? delimiters : L"";
  WStringList parts;
  size_t cursor = 0;
  while (cursor < text.size()) {
    size_t from = cursor;
    if (IsQuote(text[cursor])) {
      const size_t close = text.find(text[cursor], cursor + 1);
      if (close == WString::npos) break;
      from = close + 1;
    }
    const size_t delimiter = text.find_first_of(delims, from);
    if (delimiter == WString::npos) break;
    parts.push_back(text.substr(cursor, delimiter - cursor));
    cursor = delimiter + 1;
  }
  if (cursor < text.size()) parts.push_back(text.substr(cursor));
  return parts;
}

WStringList SplitAtChar(const WString& text, wchar_t separator) {
  const wchar_t delimiters[2] = {separator, L'\0'};
  return SplitText(text, delimiters);
}

WString JoinWithText(const WStringList& list, const wchar_t* separator) {
  const wchar_t* sep = separator != nullptr ? separator : L"";
  WStringList pieces;
  WString piece;
  for (size_t i = 0; i < list.size(); ++i) {
    piece += list[i];
    if (i + 1 == list.size()) break;
    if (i % kChunkSize == kChunkBreak) {
      pieces.push_back(std::move(piece));
      piece.clear();
      continue;
    }
    piece += sep;
  }
  if (pieces.empty()) return piece;
  pieces.push_back(std::move(piece));
  return JoinWithText(pieces, sep);
}

WString JoinWithChar(const WStringList& list, wchar_t separator) {
  const wchar_t text[2] = {separator, L'\0'};
  return JoinWithText(list, text);
}

WString NormalizeSeparators(const WString& path, wchar_t separator) {
  WString p = JoinWithChar(SplitAtChar(path, L'\\'), L'\\');
  p = JoinWithChar(SplitAtChar(p, L'/'), L'\\');
  WStringList kept;
  const WStringList elements = SplitAtChar(p, L'\\');
  for (size_t i = 0; i < elements.size(); ++i) {
    if (i < 2 || !elements[i].empty()) kept.push_back(elements[i]);
  }
  return JoinWithChar(kept, separator);
}

WString FileNamePart(const WString& path) {
  size_t at = path.rfind(L'\\');
  if (at == WString::npos) at = path.rfind(L'/');
  return at == WString::npos ? path : path.substr(at + 1);
}

WString FileStem(const WString& path) {
  const WString name = FileNamePart(path);
  if (name.empty() || name == L" " || name.find(L'?') != WString::npos) return WString();
  return name.substr(0, name.rfind(L'.'));
}

WString ToLower(const WString& text) {
  WString lower(text.c_str());
  for (wchar_t& c : lower) c = static_cast<wchar_t>(towlower(c));
  return lower;
}

bool EqualsIgnoreCase(const WString& a, const WString& b) {
  return a == b || ToLower(a) == ToLower(b);
}

bool IsWithin(const WString& path, const WString& folder) {
  const WString p = WithoutTrailingSeparator(NormalizeSeparators(path, L'\\'));
  const WString f = WithoutTrailingSeparator(NormalizeSeparators(folder, L'\\'));
  if (f.empty() || p.size() < f.size() || !EqualsIgnoreCase(p.substr(0, f.size()), f)) return false;
  return p.size() == f.size() || p[f.size()] == L'\\';
}

WString DirectoryPart(const WString& path) {
  size_t at = path.rfind(L'\\');
  if (at == WString::npos) at = path.rfind(L'/');
  return at == WString::npos ? WString(L"\\") : path.substr(0, at);
}

WString DirectoryPart(const wchar_t* path) { return DirectoryPart(WString(path ? path : L"")); }

WString FileExtension(const WString& path) {
  const WString name = FileNamePart(path);
  if (name.empty() || name == L" " || name.find(L'?') != WString::npos) return WString();
  const size_t dot = name.rfind(L'.');
  return dot == WString::npos ? WString() : name.substr(dot + 1);
}

WString FileExtension(const wchar_t* path) { return FileExtension(WString(path ? path : L"")); }

bool IsDriveDesignator(const WString& text) {
  return text.size() == 2 && text[1] == L':' && text[0] < 0x80 && std::iswalpha(text[0]);
}

bool IsDriveRoot(const WString& folder) {
  return IsDriveDesignator(WithoutTrailingSeparator(folder));
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
