// Where Sollux keeps its own folders and files in a backup folder (E:\_Backup_), for one
// computer:
//
//   <computer>\Sollux-report.txt, Sollux-history.txt, Sollux-read-back.txt, Sollux.lock
//   <computer>\Sollux-versions\Sollux-runs.txt, Sollux-folders.txt
//   <computer>\Sollux-versions\<run>\Sollux-added.txt, <run>\damaged copies\...
//   <computer>\Sollux-versions\<run>\<place below the backup folder>   what the run kept
//
// and whether a path there lies behind a link: no level from the stick's root down, _Backup_
// included, may be one.
#ifndef SOLLUX_STORE_STICK_LAYOUT_H_
#define SOLLUX_STORE_STICK_LAYOUT_H_

#include "base/link_check.h"
#include "base/wstring.h"
#include "store/run_name.h"

namespace sollux {

inline constexpr wchar_t kVersionsFolderName[] = L"Sollux-versions";
inline constexpr wchar_t kRunListFileName[] = L"Sollux-runs.txt";
inline constexpr wchar_t kFolderListFileName[] = L"Sollux-folders.txt";
inline constexpr wchar_t kAddedListFileName[] = L"Sollux-added.txt";
// Copies that read back wrong from the stick, apart from what the backup held before the run.
// No computer or server is named with a blank.
inline constexpr wchar_t kDamagedCopiesFolderName[] = L"damaged copies";
inline constexpr wchar_t kReportFileName[] = L"Sollux-report.txt";
inline constexpr wchar_t kHistoryFileName[] = L"Sollux-history.txt";
inline constexpr wchar_t kReadBackTurnFileName[] = L"Sollux-read-back.txt";
inline constexpr wchar_t kLockFileName[] = L"Sollux.lock";

class StickLayout {
 public:
  // `backup_folder` is E:\_Backup_ (slashes too), `computer_folder` the computer's folder in it.
  StickLayout(const WString& backup_folder, const WString& computer_folder);

  const WString& backup_folder() const { return backup_folder_; }
  const WString& computer_folder() const { return computer_folder_; }
  const WString& versions_folder() const { return versions_folder_; }
  // One of the computer's files: kReportFileName, kHistoryFileName, ...
  WString ComputerFile(const wchar_t* name) const;
  // One of the files of the versions folder: kRunListFileName, kFolderListFileName.
  WString VersionsFile(const wchar_t* name) const;
  WString RunFolder(const RunName& run) const;
  // `place` below the backup folder as a path; "" when it is not a safe place (safe_path.h).
  WString PlacePath(const WString& place) const;
  // `path` below the backup folder as a place; "" when it does not lie below it.
  WString PlaceOf(const WString& path) const;

  // The first level of `path`, from _Backup_ down, that is a link; "" when there is none.
  WString FirstLink(const WString& path) const { return link_check_.FirstLink(path); }
  // True when no level of `path` is a link; a link found is noted, each once.
  bool Plain(const WString& path);
  // The links noted so far, in the order found.
  const WStringList& links() const { return links_; }

 private:
  WString backup_folder_;
  WString computer_folder_;
  WString versions_folder_;
  LinkCheck link_check_;
  WStringList links_;
};

}  // namespace sollux

#endif  // SOLLUX_STORE_STICK_LAYOUT_H_
