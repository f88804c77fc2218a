#include "base/folders.h"

#include "base/path.h"
#include "base/system_api.h"

namespace sollux {
namespace {

bool IsUncPath(const WString& path) {
  return path.size() >= 2 && path[0] == L'\\' && path[1] == L'\\';
}

// \\server and \\server\share name no folder that could be created.
bool IsUncServerOrShare(const WString& prefix) {
  if (!IsUncPath(prefix)) return false;
  const WString after_server = prefix.substr(2);
  const size_t share_start = after_server.find(L'\\');
  if (share_start == WString::npos) return true;
  return after_server.find(L'\\', share_start + 1) == WString::npos;
}

bool IsSkippedLevel(const WString& prefix) {
  if (prefix.empty() || prefix == L"\\" || prefix == L"/") return true;
  if (DirectoryExists(prefix.c_str())) return true;
  if (prefix.back() == L':') return true;
  return IsUncServerOrShare(prefix);
}

}  // namespace

bool CreateDirectoryChain(const WString& path) {
  if (DirectoryExists(path.c_str())) return true;
  const WString whole = WithoutTrailingSeparator(NormalizeSeparators(path, L'\\'));
  const WStringList elements = SplitAtChar(whole, L'\\');
  WString prefix;
  for (size_t i = 0; i < elements.size(); ++i) {
    if (i > 0) prefix += L'\\';
    prefix += elements[i];
    if (IsSkippedLevel(prefix)) continue;
    // Another process may have created the level between the test and the creation.
    if (Sys().MakeDirectory(prefix.c_str()) != 0 && !DirectoryExists(prefix.c_str())) {
      return false;
    }
  }
  return true;
}

}  // namespace sollux
