// The folder into which the program writes its batch files.
#ifndef SOLLUX_BASE_SCRIPT_FOLDER_H_
#define SOLLUX_BASE_SCRIPT_FOLDER_H_

#include "base/wstring.h"

namespace sollux {

// The scratch folder's subfolder named after the program (the stem of its OriginalFilename
// when that differs from the file's own name, else of the file name, else today's date),
// ending in a backslash and created. When it cannot be created: the common documents
// folder's Temp\Temp\Brevant.tmp\<program file stem>\, which is not created here.
WString ScriptFolder();

}  // namespace sollux

#endif  // SOLLUX_BASE_SCRIPT_FOLDER_H_
