#include "base/path.h"

#include <cstring>
#include <cwctype>
#include <optional>

#include "base/system_api.h"
#include "base/win.h"

namespace sollux {
namespace {

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

bool EndsInSeparator(const WString& path) { return !path.empty() && IsSeparator(path.back()); }

bool IsQuote(wchar_t c) { return c == L'"' || c == L'\''; }

// Elements between the chunk breaks of JoinWithText: breaking every 128 elements keeps each
// piece short while the pieces are joined again by the same function.
constexpr size_t kChunkSize = 128;
constexpr size_t kChunkBreak = 100;

bool IsUncPath(const WString& path) {
  return path.size() >= 2 && path[0] == L'\\' && path[1] == L'\\';
}

// The path as the existence tests see it: one trailing separator removed, slashes rewritten.
WString ExistencePath(const wchar_t* path) {
  WString t = WithoutTrailingSeparator(path);
  if (t.find(L'/') != WString::npos) t = NormalizeSeparators(t, L'\\');
  return t;
}

// Windows' C runtime fails its status call for paths of this many characters or more unless the
// process is long-path aware and the system allows long paths; Wine has no such limit.
constexpr size_t kRuntimePathLimit = MAX_PATH;

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

// The attributes of an absolute path too long for the C runtime's status call, through its
// \\?\ form; nothing for a shorter or a relative path.
std::optional<WIN32_FILE_ATTRIBUTE_DATA> LongPathAttributes(const WString& path) {
  if (path.size() < kRuntimePathLimit) return std::nullopt;
  const WString form = LongPathForm(path);
  if (form.empty()) return std::nullopt;
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  if (!Sys().GetFileAttributesExW(form.c_str(), &data))
    data.dwFileAttributes = INVALID_FILE_ATTRIBUTES;
  return data;
}

}  // namespace

WString LongPathForm(const WString& path) {
  if (path.starts_with(L"\\\\?\\")) return path;
  const WString p = NormalizeSeparators(path, L'\\');
  if (IsDriveAbsolute(p)) return L"\\\\?\\" + ResolveDots(p, 1);
  // \\server\share: the server and the share stay.
  if (IsUncPath(p) && p.size() > 2) return L"\\\\?\\UNC\\" + ResolveDots(p.substr(2), 2);
  return WString();
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

FileStatus::FileStatus(const wchar_t* path) {
  WString p(path != nullptr ? path : L"");
  if (p.find(L'/') != WString::npos) p = NormalizeSeparators(p, L'\\');
  std::memset(&record_, 0, sizeof(record_));
  error_ = Sys().Stat64(p.c_str(), &record_);
  if (error_ != 0) std::memset(&record_, 0, sizeof(record_));
}

bool FileStatus::Failed() const { return error_ != 0; }
int64_t FileStatus::Size() const { return record_.st_size; }
int64_t FileStatus::AccessTime() const { return record_.st_atime; }
int64_t FileStatus::ModifyTime() const { return record_.st_mtime; }
int64_t FileStatus::ChangeTime() const { return record_.st_ctime; }
unsigned short FileStatus::Mode() const { return record_.st_mode; }
bool FileStatus::IsFile() const { return (record_.st_mode & 0xF000) == 0x8000; }
bool FileStatus::IsDirectory() const { return (record_.st_mode & 0xF000) == 0x4000; }

bool DirectoryExists(const wchar_t* path) {
  const WString t = ExistencePath(path);
  if (const auto data = LongPathAttributes(t)) {
    const DWORD attributes = data->dwFileAttributes;
    return attributes != INVALID_FILE_ATTRIBUTES &&
           (IsUncPath(t) || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0);
  }
  if (IsUncPath(t)) return Sys().Access(t.c_str(), 0) == 0;
  const FileStatus status(t.c_str());
  return !status.Failed() && status.IsDirectory();
}

bool PathExists(const wchar_t* path, bool require_non_empty) {
  const WString t = ExistencePath(path);
  if (const auto data = LongPathAttributes(t)) {
    if (data->dwFileAttributes == INVALID_FILE_ATTRIBUTES) return false;
    const bool empty_file = (data->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
                            data->nFileSizeLow == 0 && data->nFileSizeHigh == 0;
    return IsUncPath(t) || !require_non_empty || !empty_file;
  }
  if (IsUncPath(t)) return Sys().Access(t.c_str(), 0) == 0;
  const FileStatus status(t.c_str());
  return !status.Failed() && (status.Size() != 0 || status.IsDirectory() || !require_non_empty);
}

}  // namespace sollux
