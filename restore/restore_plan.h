// The text logic of getting files back: the arguments, which backup a date means, and where
// each file of a backed-up folder goes. Nothing here asks the disk.
#ifndef SOLLUX_RESTORE_RESTORE_PLAN_H_
#define SOLLUX_RESTORE_RESTORE_PLAN_H_

#include <cstddef>
#include <functional>
#include <optional>
#include <vector>

#include "base/wstring.h"
#include "store/run_name.h"

namespace sollux {

// Sollux-restore.exe /at:<when> /folder:<folder> (/to:<target> | /inplace [/missing])
// [/computer:<name>] [/yes] [/list], or /find:<name> [/at:<when>] [/to:<folder>] ...; what is
// not given is asked.
struct RestoreArguments {
  std::optional<WString> at;
  std::optional<WString> folder;
  std::optional<WString> to;
  bool in_place = false;
  bool missing = false;  // in place, only the files that are not there
  std::optional<WString> find;
  std::optional<WString> computer;
  bool yes = false;
  bool list = false;  // the preview alone
};

// What is wrong with the arguments: the first that is not understood, or a switch given twice.
struct ArgumentFault {
  WString argument;
  bool twice = false;
};
// The arguments, or what is wrong with them.
std::optional<RestoreArguments> ParseRestoreArguments(const WStringList& arguments,
                                                      ArgumentFault* fault);

// Which backup /at: names.
struct When {
  std::optional<RunName> exact;  // a backup's own name, which chooses that very backup
  std::optional<RunName> bound;  // else the last backup that started at or before it; none for
                                 // the latest
};
// "latest", "2026-12-09" (that day's end), "2026-12-09 09:31:00", "2026-12-09 09.31.00" or a
// backup's own name; nullopt for anything else, an impossible date or time too.
std::optional<When> ParseWhen(const WString& when);
// The index of the backup of `runs` (oldest first) that `when` names; nullopt when none.
std::optional<size_t> BackupAt(const std::vector<RunName>& runs, const When& when);

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
