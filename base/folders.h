// Creating a folder with all its missing parents, and the program's own scratch folder inside
// the temporary folder.
#ifndef SOLLUX_BASE_FOLDERS_H_
#define SOLLUX_BASE_FOLDERS_H_

#include "base/wstring.h"

namespace sollux {

// The name of the program's own folder inside the temporary folder.
inline constexpr wchar_t kScratchFolderName[] = L"Brevant.tmp";

// Creates `path` and every missing level above it. True when the folder exists afterwards (or
// `path` is empty); false at the first level that could not be created, leaving the levels
// created so far. Roots ("\", "/"), drive designators ("C:") and the server and share levels
// of a UNC path are never created.
bool CreateDirectoryChain(const WString& path);

// The scratch folder (the temporary folder, "Brevant.tmp") followed by a backslash and `name`,
// created if missing. Returned whether or not the creation succeeded; with an empty `name` it
// ends in a backslash.
WString ScratchSubfolder(const wchar_t* name);

}  // namespace sollux

#endif  // SOLLUX_BASE_FOLDERS_H_
