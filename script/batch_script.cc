#include "script/batch_script.h"

#include <algorithm>

#include "base/path.h"
#include "base/text.h"
#include "script/batch_escape.h"
#include "script/batch_literals.h"

namespace sollux {
namespace {

// The single-source banner shows at most this many characters of the source.
constexpr size_t kBannerSourceLength = 50;

const wchar_t* FinalPause(bool long_final_pause) {
  return long_final_pause ? kBatchLongPause : kBatchShortPause;
}

}  // namespace

WString JoinScriptLines(const WStringList& lines) {
  return JoinWithText(lines, kBatchLineBreak) + kBatchLineBreak;
}

// Folder names go through EscapeForEcho on the echo lines, since cmd.exe reads & | < > ^ there
// as operators and expands percent signs.
WString RenderBatch(const MultiSourceBatch& batch) {
  WString banner = WString(kBatchEchoOff) + kBatchLineBreak + kBatchEchoTool + batch.tool;
  for (const WString& folder : batch.folders) banner += kBatchEchoFolder + EscapeForEcho(folder);
  banner += WString(kBatchEchoEmpty) + kBatchEchoFolder + EscapeForEcho(batch.destination);
  if (batch.list_only) {
    banner += WString(kBatchEchoEmpty) + kBatchEchoNote + kBatchListOnlyNote + kBatchEchoEmpty;
  }
  banner += WString(kBatchLineBreak) + kBatchEchoOn + kBatchLineBreak;
  WStringList lines = {banner, kBatchChangeToTemp};
  for (const WString& command : batch.command_lines) {
    lines.push_back(batch.pauses ? kBatchPausedCommand + command : command);
  }
  if (batch.pauses) lines.push_back(FinalPause(batch.long_final_pause));
  return JoinScriptLines(lines);
}

// cmd.exe echoes the rem lines (this form has no "@echo off") after expanding percent signs in
// them, and a "%~" there can even end the batch file on Windows; & | < > ^ are shown as they are.
// So the shown source is escaped as on a command line: percent signs doubled, and a control
// character or double quote, which could end the line, made "_".
WString RenderBatch(const SingleSourceBatch& batch) {
  const WString shown = ShortenPath(Unquote(batch.source), kBannerSourceLength);
  const WString banner = kBatchRemTool + batch.tool + kBatchRemToolSeparator +
                         EscapeForCommandLine(shown) + kBatchRemNote +
                         (batch.list_only ? kBatchListOnlyNote : L"") + kBatchRemEnd;
  WStringList lines = {banner, kBatchChangeToTemp};
  if (batch.long_final_pause && batch.pauses) lines.push_back(kBatchShortPause);
  lines.push_back(batch.command_line);
  if (batch.pauses) lines.push_back(FinalPause(batch.long_final_pause));
  return JoinScriptLines(lines);
}

// The batch file is stored in code page 932: a folder whose name has no exact form there
// names another folder in the file (an e with an acute accent becomes e, the yen sign a
// backslash), so its copy would silently go missing; so would one whose control characters or
// double quotes the command line replaces.
WStringList UnnamableFolders(const std::vector<CommandFolders>& folders) {
  WStringList lost;
  for (const CommandFolders& call : folders) {
    for (const WString& folder : {call.source, call.destination}) {
      if (NamedExactly(folder) || std::find(lost.begin(), lost.end(), folder) != lost.end()) {
        continue;
      }
      lost.push_back(folder);
    }
  }
  return lost;
}

}  // namespace sollux
