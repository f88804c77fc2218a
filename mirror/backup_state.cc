#include "mirror/backup_state.h"

#include <unordered_set>

#include "mirror/check_rules.h"

namespace sollux {

std::vector<HeldFile> StateAfter(size_t k, const std::vector<RunRecord>& runs,
                                 const WStringList& mirror) {
  std::unordered_set<WString> decided;
  std::vector<HeldFile> held;
  const auto first_event = [&decided](const WString& path) {
    return decided.insert(FileSystemUpperCase(path)).second;
  };
  for (size_t j = k + 1; j < runs.size(); ++j) {
    for (const WString& path : runs[j].kept) {
      if (first_event(path)) held.push_back({path, j});
    }
    for (const WString& path : runs[j].added) first_event(path);
  }
  for (const WString& path : mirror) {
    if (first_event(path)) held.push_back({path, kInMirror});
  }
  return held;
}

bool RebuiltExactly(size_t k, const std::vector<RunRecord>& runs) {
  for (size_t j = k + 1; j < runs.size(); ++j) {
    if (!runs[j].complete) return false;
  }
  return true;
}

}  // namespace sollux
