// The program's own scratch folder inside the temporary folder.
#ifndef SOLLUX_BASE_FOLDERS_H_
#define SOLLUX_BASE_FOLDERS_H_

#include "base/wstring.h"

namespace sollux {

// The last component that marks a destination as the backup folder (in any letter case).
inline constexpr wchar_t kBackupFolderName[] = L"_Backup_";

// The name of the program's own folder inside the temporary folder.
inline constexpr wchar_t kScratchFolderName[] = L"Brevant.tmp";

// The scratch folder (the temporary folder, "Brevant.tmp") followed by a backslash and `name`,
// created if missing. Returned whether or not the creation succeeded; with an empty `name` it
// ends in a backslash.
WString ScratchSubfolder(const wchar_t* name);

}  // namespace sollux

#endif  // SOLLUX_BASE_FOLDERS_H_
