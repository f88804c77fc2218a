// The text logic of getting files back: the arguments, which backup a date means, and where
// each file of a backed-up folder goes. Nothing here asks the disk.
#ifndef SOLLUX_RESTORE_RESTORE_PLAN_H_
#define SOLLUX_RESTORE_RESTORE_PLAN_H_

#include <cstddef>
#include <functional>
#include <optional>

#include "base/wstring.h"

namespace sollux {

// Sollux-restore.exe /at:<when> /folder:<folder> (/to:<target> | /inplace) [/computer:<name>]
// [/yes]; what is not given is asked.
struct RestoreArguments {
  std::optional<WString> at;
  std::optional<WString> folder;
  std::optional<WString> to;
  bool in_place = false;
  std::optional<WString> computer;
  bool yes = false;
};

// The arguments, or the first one that is not understood in `wrong`.
std::optional<RestoreArguments> ParseRestoreArguments(const WStringList& arguments,
                                                      WString* wrong);

// `when` ("latest", "2026-12-09", "2026-12-09 09:31:00", "2026-12-09 09.31.00") as the latest
// run stamp it covers ("2026-12-09 23.59.59" for a day); "" for latest; nullopt when it is
// none of these.
std::optional<WString> StampOfWhen(const WString& when);
// The index of the last of `runs` (oldest first, named by their stamps) that started at or
// before `stamp` ("" for the newest); nullopt when there is none.
std::optional<size_t> BackupAt(const WStringList& runs, const WString& stamp);

// `folder` is `original` in the form the user may give it: letter case and a trailing
// backslash do not matter.
bool SameFolder(const WString& folder, const WString& original);

// The shell folders that a backup knows by their place in a user's profile.
// `current(csidl)` gives this user's folder of a kind.
using ShellFolderOf = std::function<WString(int csidl)>;
// Where `original` goes back in place: a folder in another user's (or the old PC's user's)
// Documents, Pictures, Music, Videos or Desktop goes to this user's same folder; any other
// folder to itself.
WString InPlaceFolder(const WString& original, const ShellFolderOf& current);

// `place` (below _Backup_) below the computer's folder `computer`: PC01\C\Users\anna ->
// C\Users\anna; a place outside it (a share's) as it is.
WString PlaceBelowComputer(const WString& place, const WString& computer);

}  // namespace sollux

#endif  // SOLLUX_RESTORE_RESTORE_PLAN_H_
