// What a record on the stick may name. A record is the stick's word, not Sollux's: a place
// that climbs out of the backup folder ("..", a slash for a backslash, a drive), or a name that
// Windows reads as something else (a device such as CON, a stream after a colon, a trailing dot
// that Windows strips), would steer a restore to another file or folder than the one it names.
// Text only.
#ifndef SOLLUX_STORE_SAFE_PATH_H_
#define SOLLUX_STORE_SAFE_PATH_H_

#include "base/wstring.h"

namespace sollux {

// A file or folder name that Windows keeps as it is: not empty, at most 255 characters, no
// control character, none of \ / : * ? " < > |, no trailing full stop or blank, and no device
// name (CON, PRN, AUX, NUL, COM1 to COM9, LPT1 to LPT9, also with an extension).
bool IsSafeName(const WString& name);
// A path below some folder: relative, its levels separated by backslashes or slashes, each a
// safe name, so that it stays below that folder whatever resolves it.
bool IsSafePlace(const WString& place);
// A folder of the PC as Sollux records it: a drive's root (C:\), a drive path (C:\Users\anna)
// or a share's (\\server\share\a), backslashes only, every level below a safe name, no
// trailing backslash below a root.
bool IsCanonicalFolder(const WString& folder);
// `folder` in that form ("." and ".." resolved, slashes made backslashes); "" when it has none.
WString CanonicalFolder(const WString& folder);

}  // namespace sollux

#endif  // SOLLUX_STORE_SAFE_PATH_H_
