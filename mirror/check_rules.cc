#include "mirror/check_rules.h"

#include "base/path.h"
#include "base/system_api.h"

namespace sollux {
namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

bool HoldsSeparator(const WString& entry) { return entry.find_first_of(L"\\/") != WString::npos; }

// Upper-cased, with backslashes only and no trailing one.
WString UpperCasePath(WString path) {
  for (wchar_t& c : path) {
    if (c == L'/') c = L'\\';
  }
  return FileSystemUpperCase(WithoutTrailingSeparator(path));
}

// Upper-cased entries, full paths apart from names.
void SortEntries(const WStringList& entries, WStringList* names, WStringList* paths) {
  for (const WString& entry : entries) {
    if (entry.empty()) continue;
    if (HoldsSeparator(entry)) {
      paths->push_back(UpperCasePath(entry));
    } else {
      names->push_back(FileSystemUpperCase(entry));
    }
  }
}

// True when every character is ASCII; the ASCII letters are upper-cased in place.
bool UpperCaseAscii(WString* text) {
  bool ascii = true;
  for (wchar_t& c : *text) {
    if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - (L'a' - L'A'));
    if (c >= 0x80) ascii = false;
  }
  return ascii;
}

}  // namespace

// The way the C runtime splits robocopy's command line: a quote opens or closes a run in which
// blanks do not split, and is itself dropped.
WStringList SplitExclusionText(const WString& text) {
  WStringList entries;
  WString entry;
  bool quoted = false, pending = false;
  for (const wchar_t c : text) {
    if (c == L'"') {
      quoted = !quoted;
      pending = true;
    } else if (IsBlank(c) && !quoted) {
      if (pending) entries.push_back(entry);
      entry.clear();
      pending = false;
    } else {
      entry += c;
      pending = true;
    }
  }
  if (pending) entries.push_back(entry);
  return entries;
}

WString FileSystemUpperCase(const WString& name) {
  WString upper = name;
  if (UpperCaseAscii(&upper)) return upper;
  // Without LCMAP_LINGUISTIC_CASING the mapping is the file system's one-to-one table, the
  // same in every locale: the C runtime's towupper maps only a-z under the "C" locale.
  const int size = static_cast<int>(name.size());
  if (Sys().LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, name.c_str(), size, upper.data(),
                          size) != size) {
    upper = name;  // the ASCII letters at least
    UpperCaseAscii(&upper);
  }
  return upper;
}

// A star remembers where it stood; a mismatch later retries with the star taking one more
// character. Linear for the usual patterns, never worse than name times pattern.
bool MatchesUpperCaseWildcard(const WString& name, const WString& pattern) {
  // Windows reads "*.*" as every name, one without a full stop too.
  if (pattern == L"*.*") return true;
  size_t n = 0, p = 0, star = WString::npos, resume = 0;
  while (n < name.size()) {
    if (p < pattern.size() && (pattern[p] == L'?' || pattern[p] == name[n])) {
      ++n, ++p;
    } else if (p < pattern.size() && pattern[p] == L'*') {
      star = p++;
      resume = n;
    } else if (star != WString::npos) {
      p = star + 1;
      n = ++resume;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == L'*') ++p;
  return p == pattern.size();
}

RuleFilter::RuleFilter(const CheckRules& rules, const WString& source)
    : upper_source_(UpperCasePath(source)),
      max_size_(rules.max_size),
      skip_junctions_(rules.skip_junctions),
      max_depth_(rules.max_depth) {
  SortEntries(rules.excluded_files, &file_names_, &file_paths_);
  SortEntries(rules.excluded_dirs, &dir_names_, &dir_paths_);
}

bool RuleFilter::CopiesFile(const WString& relative, const WString& upper_name,
                            uint64_t size) const {
  return !TooLarge(size) && !ExcludesFileName(relative, upper_name);
}

bool RuleFilter::TooLarge(uint64_t size) const { return max_size_ && size > *max_size_; }

bool RuleFilter::ExcludesFileName(const WString& relative, const WString& upper_name) const {
  return Excluded(file_names_, file_paths_, upper_name,
                  file_paths_.empty() ? WString() : UpperPath(relative, upper_name));
}

bool RuleFilter::EntersFolder(const WString& relative, const WString& upper_name, unsigned level,
                              bool reparse_point) const {
  if (reparse_point && skip_junctions_) return false;
  return ReachesLevel(level) && !ExcludesFolderName(relative, upper_name);
}

bool RuleFilter::ReachesLevel(unsigned level) const {
  return max_depth_ == 0 || level <= max_depth_;
}

bool RuleFilter::ExcludesFolderName(const WString& relative, const WString& upper_name) const {
  return Excluded(dir_names_, dir_paths_, upper_name,
                  dir_paths_.empty() ? WString() : UpperPath(relative, upper_name));
}

bool RuleFilter::Excluded(const WStringList& names, const WStringList& paths,
                          const WString& upper_name, const WString& upper_path) {
  for (const WString& pattern : names) {
    if (MatchesUpperCaseWildcard(upper_name, pattern)) return true;
  }
  for (const WString& pattern : paths) {
    if (MatchesUpperCaseWildcard(upper_path, pattern)) return true;
  }
  return false;
}

WString RuleFilter::UpperPath(const WString& relative, const WString& upper_name) const {
  WString path = upper_source_ + L"\\";
  if (!relative.empty()) path += FileSystemUpperCase(relative) + L"\\";
  return path + upper_name;
}

}  // namespace sollux
