#include "base/link_check.h"

#include "base/path.h"
#include "base/system_api.h"
#include "base/win.h"

namespace sollux {

struct LinkCheck::Level {
  bool exists = false;
  bool reparse_point = false;
  WString final_path;  // "" when the system could not tell
};

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// The entry itself, not what a link points to; folders too.
// Through a link to what it points to, whose path the handle then gives; folders too.
constexpr DWORD kOpenEntry = FILE_FLAG_BACKUP_SEMANTICS;

WString FinalPath(HANDLE handle) {
  WString path(MAX_PATH, L'\0');
  DWORD length =
      Sys().GetFinalPathNameByHandleW(handle, path.data(), static_cast<DWORD>(path.size()), 0);
  if (length >= path.size()) {
    path.resize(length + 1);
    length =
        Sys().GetFinalPathNameByHandleW(handle, path.data(), static_cast<DWORD>(path.size()), 0);
  }
  path.resize(length < path.size() ? length : 0);
  return path;
}

// The path without a \\?\ prefix, as the top is given.
WString WithoutLongPrefix(const WString& path) {
  if (path.starts_with(L"\\\\?\\UNC\\")) return L"\\" + path.substr(7);
  if (path.starts_with(L"\\\\?\\")) return path.substr(4);
  return path;
}

// The path with every short name made long; "" when the system cannot tell.
WString LongForm(const WString& path) {
  const WString openable = OpenablePath(path);
  WString long_path(openable.size() + MAX_PATH, L'\0');
  const DWORD length = Sys().GetLongPathNameW(openable.c_str(), long_path.data(),
                                              static_cast<DWORD>(long_path.size()));
  if (length == 0 || length >= long_path.size()) return WString();
  long_path.resize(length);
  return WithoutTrailingSeparator(WithoutLongPrefix(long_path));
}

}  // namespace

LinkCheck::LinkCheck(const WString& top)
    : top_(WithoutTrailingSeparator(NormalizeSeparators(WithoutLongPrefix(top), L'\\'))) {}

// Opened for no access at all, which another process's lock does not refuse. A link that leads
// somewhere shows by its handle's path; one that leads nowhere, or a handle whose path the
// system cannot give, by its attributes.
LinkCheck::Level LinkCheck::Ask(const WString& path) const {
  Level level;
  const WString openable = OpenablePath(path);
  const HANDLE handle =
      Sys().CreateFileW(openable.c_str(), 0, kShareAll, OPEN_EXISTING, kOpenEntry);
  if (handle != INVALID_HANDLE_VALUE) {
    level.exists = true;
    level.final_path = FinalPath(handle);
    Sys().CloseHandle(handle);
    if (!level.final_path.empty()) return level;
  }
  const DWORD attributes = Sys().GetFileAttributesW(openable.c_str());
  level.exists = level.exists || attributes != INVALID_FILE_ATTRIBUTES;
  level.reparse_point =
      attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
  return level;
}

// The system names the level as the top's path and the names below it, in any letter case.
bool LinkCheck::LeadsWhereNamed(const Level& level, const WString& path) const {
  if (top_final_.empty()) top_final_ = Ask(top_).final_path;
  if (level.final_path.empty() || top_final_.empty()) return true;
  if (EqualsIgnoreCase(level.final_path, top_final_ + path.substr(top_.size()))) return true;
  // A short name (PROGRA~1) given for a long one is no link: the system names the long one.
  const WString long_path = LongForm(path), long_top = LongForm(top_);
  return !long_path.empty() && !long_top.empty() && IsWithin(long_path, long_top) &&
         EqualsIgnoreCase(level.final_path, top_final_ + long_path.substr(long_top.size()));
}

WString LinkCheck::FirstLink(const WString& path) const {
  const WString full =
      WithoutTrailingSeparator(NormalizeSeparators(WithoutLongPrefix(path), L'\\'));
  if (!IsWithin(full, top_)) return full;
  WStringList levels = {full};  // from `path` up to the top
  while (levels.back().size() > top_.size()) levels.push_back(DirectoryPart(levels.back()));
  size_t deepest = 0;
  Level level;
  for (; deepest < levels.size(); ++deepest) {
    level = Ask(levels[deepest]);
    if (level.exists) break;
  }
  if (deepest == levels.size()) return WString();
  if (!level.reparse_point && LeadsWhereNamed(level, levels[deepest])) return WString();
  // Which level it is: the first from the top down.
  for (size_t i = levels.size(); i-- > deepest;) {
    const Level above = Ask(levels[i]);
    if (above.reparse_point || !LeadsWhereNamed(above, levels[i])) return levels[i];
  }
  return levels[deepest];
}

}  // namespace sollux
