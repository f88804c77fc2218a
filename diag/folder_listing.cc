#include "diag/folder_listing.h"

#include <algorithm>
#include <cstring>

#include "base/file_system.h"
#include "base/path.h"
#include "base/system_api.h"
#include "base/text.h"

namespace sollux {
namespace {

bool EndsInSeparator(const WString& path) {
  return !path.empty() && (path.back() == L'\\' || path.back() == L'/');
}

bool StartsWith(const WString& text, const WString& start) {
  return text.compare(0, start.size(), start) == 0;
}

bool EndsWith(const WString& text, const WString& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

}  // namespace

FolderEnumeration::FolderEnumeration(const WString& pattern) : first_pending_(true) {
  std::memset(&data_, 0, sizeof(data_));
  handle_ = Sys().FindFirstFileW(pattern.c_str(), &data_);
}

FolderEnumeration::~FolderEnumeration() {
  if (Started()) Sys().FindClose(handle_);
}

bool FolderEnumeration::Next() {
  if (!Started()) return false;
  if (first_pending_) {
    first_pending_ = false;
    return true;
  }
  return Sys().FindNextFileW(handle_, &data_) != FALSE;
}

WStringList ListDirectory(const wchar_t* folder, bool skip_dots) {
  WString t = WithoutTrailingSeparatorBelowRoot(TextOrEmpty(folder));
  if (t.empty() || !PathExists(t.c_str(), false)) return {};
  if (!FileStatus(t.c_str()).IsDirectory()) t = DirectoryPart(t);
  const WString prefix = WithTrailingSeparator(t, L'\\');
  WStringList entries;
  FolderEnumeration enumeration(prefix + L"*.*");
  while (enumeration.Next()) {
    const WIN32_FIND_DATAW& entry = enumeration.Entry();
    if (skip_dots && IsDotEntry(entry.cFileName)) continue;
    WString name = entry.cFileName;
    if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
      name = WithTrailingSeparator(name, L'\\');
    }
    entries.push_back(prefix + name);
  }
  return entries;
}

WStringList ListMatchingFiles(const wchar_t* folder, const WString& pattern) {
  WStringList files;
  for (const WString& entry : ListDirectory(folder, true)) {
    if (!EndsInSeparator(entry) && MatchesPattern(entry, pattern)) files.push_back(entry);
  }
  return files;
}

bool MatchesPattern(const WString& path, const WString& pattern) {
  const WString name = ToLower(FileNamePart(path));
  const WString pat = ToLower(pattern);
  if (pat.empty() || pat == L"*") return true;
  if (pat == L"*.*") return name.find(L'.') != WString::npos;
  // Taken literally, the anchored search below would let "ab" match "abab" too.
  if (pat.find(L'*') == WString::npos) return name == pat;
  // Every star counts, also after a quote: SplitAtChar would keep a quoted run whole.
  WStringList tokens;
  for (size_t start = 0, star; start <= pat.size(); start = star + 1) {
    star = std::min(pat.find(L'*', start), pat.size());
    if (star > start) tokens.push_back(pat.substr(start, star - start));
  }
  size_t from = 0;
  for (const WString& token : tokens) {
    const size_t at = name.find(token, from);
    if (at == WString::npos) return false;
    from = at + token.size();
  }
  if (tokens.empty()) return true;
  if (pat.front() != L'*' && !StartsWith(name, tokens.front())) return false;
  if (pat.back() != L'*' && !EndsWith(name, tokens.back())) return false;
  return true;
}

}  // namespace sollux
