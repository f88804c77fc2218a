// The text of the generated batch file, rendered from plain data: the folders it shows, the
// command lines it runs, its pauses.
#ifndef SOLLUX_SCRIPT_BATCH_SCRIPT_H_
#define SOLLUX_SCRIPT_BATCH_SCRIPT_H_

#include <vector>

#include "base/wstring.h"

namespace sollux {

// The source and destination folders of a robocopy call, as robocopy receives them.
struct CommandFolders {
  WString source;
  WString destination;
};

// The batch file that copies several folders: a banner naming each folder and the
// destination, then one paused command line per folder, then the closing pause.
struct MultiSourceBatch {
  WString tool;
  WStringList folders;  // as the banner shows them, one per command line
  WString destination;  // as the banner shows it
  WStringList command_lines;
  bool list_only = false;
  bool long_final_pause = false;
  // The timeout before each command line and at the end; none for a scheduled task, whose
  // window nobody reads.
  bool pauses = true;
};

// The batch file that copies one folder: a rem banner, the command line, the pauses.
struct SingleSourceBatch {
  WString tool;
  WString source;  // as the job holds it; the banner shows it unquoted and shortened
  WString command_line;
  bool list_only = false;
  bool long_final_pause = false;
  bool pauses = true;
};

WString RenderBatch(const MultiSourceBatch& batch);
WString RenderBatch(const SingleSourceBatch& batch);

// The folders of `folders` (both sides of each call, in order, each once) that the batch file
// cannot name exactly: their text does not survive code page 932, or holds a control character
// or a double quote.
WStringList UnnamableFolders(const std::vector<CommandFolders>& folders);

// The lines joined with CR LF, with one more CR LF at the end. A line may itself hold CR LF.
WString JoinScriptLines(const WStringList& lines);

}  // namespace sollux

#endif  // SOLLUX_SCRIPT_BATCH_SCRIPT_H_
