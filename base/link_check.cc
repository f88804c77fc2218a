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
// Through a link to what it points to, whose path the handle then gives; folders too.
constexpr DWORD kOpenEntry = FILE_FLAG_BACKUP_SEMANTICS;

// The path of an open handle, in the \\?\ form; "" when the system cannot give it.
WString HandlePath(HANDLE handle) {
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

// Opened for no access at all, which another process's lock does not refuse.
WString OpenedPath(const WString& path) {
  const HANDLE handle =
      Sys().CreateFileW(OpenablePath(path).c_str(), 0, kShareAll, OPEN_EXISTING, kOpenEntry);
  if (handle == INVALID_HANDLE_VALUE) return WString();
  WString final_path = HandlePath(handle);
  Sys().CloseHandle(handle);
  return final_path;
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
  return WithoutTrailingSeparatorBelowRoot(WithoutLongPrefix(long_path));
}

// `path` below `base`, as the system would name it when `base` is named `base_final`.
WString Below(const WString& base_final, const WString& base, const WString& path) {
  return WithoutTrailingSeparator(base_final) + L"\\" +
         path.substr(WithoutTrailingSeparator(base).size() + 1);
}

WString Canonical(const WString& path) {
  return WithoutTrailingSeparatorBelowRoot(NormalizeSeparators(WithoutLongPrefix(path), L'\\'));
}

}  // namespace

LinkCheck::LinkCheck(const WString& top)
    : top_(Canonical(top)),
      base_(IsDriveRoot(top_) ? top_ : WithoutTrailingSeparatorBelowRoot(DirectoryPart(top_))) {}

// A link that leads somewhere shows by its handle's path; one that leads nowhere, or a handle
// whose path the system cannot give, by its attributes.
LinkCheck::Level LinkCheck::Ask(const WString& path) const {
  Level level;
  level.final_path = OpenedPath(path);
  if (!level.final_path.empty()) {
    level.exists = true;
    return level;
  }
  const DWORD attributes = Sys().GetFileAttributesW(OpenablePath(path).c_str());
  level.exists = attributes != INVALID_FILE_ATTRIBUTES;
  level.reparse_point = level.exists && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
  return level;
}

// The system names the level as the base's path and the names below it, in any letter case.
bool LinkCheck::LeadsWhereNamed(const Level& level, const WString& path) const {
  if (base_final_.empty()) base_final_ = OpenedPath(base_);
  if (level.final_path.empty() || base_final_.empty()) return true;
  if (EqualsIgnoreCase(level.final_path, Below(base_final_, base_, path))) return true;
  // A short name (PROGRA~1) given for a long one is no link: the system names the long one.
  const WString long_path = LongForm(path), long_base = LongForm(base_);
  return !long_path.empty() && !long_base.empty() && IsWithin(long_path, long_base) &&
         long_path.size() > WithoutTrailingSeparator(long_base).size() &&
         EqualsIgnoreCase(level.final_path, Below(base_final_, long_base, long_path));
}

WString LinkCheck::FirstLink(const WString& path) const {
  const WString full = Canonical(path);
  if (!IsWithin(full, top_)) return full;
  WStringList levels;  // from `path` up to the top
  for (WString level = full; level.size() > WithoutTrailingSeparator(base_).size();
       level = DirectoryPart(level)) {
    levels.push_back(level);
  }
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

WString FinalPathOf(const WString& path) {
  WString level = Canonical(path), below;
  for (;;) {
    const WString final_path = OpenedPath(level);
    if (!final_path.empty()) return WithoutTrailingSeparator(final_path) + below;
    const WString parent = WithoutTrailingSeparatorBelowRoot(DirectoryPart(level));
    if (parent == level || parent.size() >= level.size() || !IsFullPath(parent)) return WString();
    below = level.substr(WithoutTrailingSeparator(parent).size()) + below;
    level = parent;
  }
}

}  // namespace sollux
