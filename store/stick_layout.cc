#include "store/stick_layout.h"

#include <algorithm>

#include "base/path.h"
#include "store/safe_path.h"

namespace sollux {

StickLayout::StickLayout(const WString& backup_folder, const WString& computer_folder)
    : backup_folder_(WithoutTrailingSeparator(NormalizeSeparators(backup_folder, L'\\'))),
      computer_folder_(WithoutTrailingSeparator(NormalizeSeparators(computer_folder, L'\\'))),
      versions_folder_(computer_folder_ + L"\\" + kVersionsFolderName),
      link_check_(backup_folder_) {}

WString StickLayout::ComputerFile(const wchar_t* name) const {
  return computer_folder_ + L"\\" + name;
}

WString StickLayout::VersionsFile(const wchar_t* name) const {
  return versions_folder_ + L"\\" + name;
}

WString StickLayout::RunFolder(const RunName& run) const {
  return versions_folder_ + L"\\" + run.Text();
}

WString StickLayout::PlacePath(const WString& place) const {
  return IsSafePlace(place) ? backup_folder_ + L"\\" + NormalizeSeparators(place, L'\\')
                            : WString();
}

WString StickLayout::PlaceOf(const WString& path) const {
  const WString full = WithoutTrailingSeparator(NormalizeSeparators(path, L'\\'));
  if (full.size() <= backup_folder_.size() || !IsWithin(full, backup_folder_)) return WString();
  return full.substr(backup_folder_.size() + 1);
}

bool StickLayout::Plain(const WString& path) {
  const WString link = link_check_.FirstLink(path);
  if (link.empty()) return true;
  if (std::find(links_.begin(), links_.end(), link) == links_.end()) links_.push_back(link);
  return false;
}

}  // namespace sollux
