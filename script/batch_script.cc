#include "script/batch_script.h"

#include <algorithm>

#include "base/messages.h"
#include "base/path.h"
#include "base/text.h"
#include "job/backup_job.h"
#include "job/command_line.h"
#include "script/batch_escape.h"
#include "script/batch_literals.h"
#include "script/path_rewrite.h"

namespace sollux {
namespace {

// Characters that the three dots and their two backslashes add.
constexpr size_t kEllipsisLength = 5;
// Up to this many characters before the last component (a drive, a colon and a backslash) the
// path has no first folder worth keeping.
constexpr size_t kShortPrefix = 3;
// The single-source banner shows at most this many characters of the source.
constexpr size_t kBannerSourceLength = 50;

constexpr wchar_t kLostFolderMessage[] =
    L"cannot be backed up by this batch file, which has no exact form for the folder: ";

bool IsSeparatorPair(const WString& path) {
  return (path[0] == L'\\' && path[1] == L'\\') || (path[0] == L'/' && path[1] == L'/');
}

// The first backslash at or after `from`; when there is none, the first slash.
size_t FindSeparator(const WString& text, size_t from) {
  const size_t backslash = text.find(L'\\', from);
  return backslash != WString::npos ? backslash : text.find(L'/', from);
}

bool Qualifies(const WString& source) { return !source.empty() && DirectoryExists(source.c_str()); }

// The batch file is stored in code page 932: a folder whose name has no exact form there
// names another folder in the file (an e with an acute accent becomes e, the yen sign a
// backslash), so its copy would silently go missing; so would one whose control characters or
// double quotes the command line replaces. `reported` keeps each folder to one line per script.
void ReportLostFolders(const CommandFolders& folders, WStringList& reported) {
  for (const WString& folder : {folders.source, folders.destination}) {
    if (NamedExactly(folder) ||
        std::find(reported.begin(), reported.end(), folder) != reported.end()) {
      continue;
    }
    reported.push_back(folder);
    ErrorLine(kLostFolderMessage + folder);
  }
}

WString FinalPause(BackupJob& job) {
  return job.LongFinalPause() ? kBatchLongPause : kBatchShortPause;
}

}  // namespace

WString JoinScriptLines(const WStringList& lines) {
  return JoinWithText(lines, kBatchLineBreak) + kBatchLineBreak;
}

WString PathRoot(const WString& path) {
  if (path.size() < 2) return WString();
  if (path[1] == L':') return path.substr(0, 2);
  if (!IsSeparatorPair(path)) return WString();
  const size_t end = FindSeparator(path, 2);
  return end == WString::npos ? WString() : path.substr(0, end);
}

WString ShortenPath(const WString& path, size_t max_length) {
  if (max_length >= path.size()) return path;
  const WString name = FileNamePart(path);
  if (max_length < name.size()) return name;
  WString head = PathRoot(path);
  if (path.size() - name.size() > kShortPrefix) {
    const size_t end = FindSeparator(path, head.size() + 1);
    if (end != WString::npos) head = path.substr(0, end);
  }
  if (max_length < head.size() + name.size() + kEllipsisLength) return name;
  WString tail = path.substr(std::min(head.size() + 1, path.size()));
  while (tail.size() + head.size() + kEllipsisLength > max_length) {
    const size_t separator = FindSeparator(tail, 0);
    if (separator == WString::npos) break;
    tail.erase(0, separator + 1);
  }
  return WithTrailingSeparator(head, L'\\') + L"...\\" + tail;
}

// Folder names go through EscapeForEcho on the echo lines, since cmd.exe reads & | < > ^ there
// as operators and expands percent signs.
bool BackupJob::ComposeScript(WStringList sources) {
  const WStringList unique = UniqueInOrder(sources);
  WString banner = WString(kBatchEchoOff) + kBatchLineBreak + kBatchEchoTool + ToolName();
  for (const WString& source : unique) {
    if (Qualifies(source)) banner += kBatchEchoFolder + EscapeForEcho(source);
  }
  banner += WString(kBatchEchoEmpty) + kBatchEchoFolder + EscapeForEcho(Destination());
  if (list_only_) {
    banner += WString(kBatchEchoEmpty) + kBatchEchoNote + kBatchListOnlyNote + kBatchEchoEmpty;
  }
  banner += WString(kBatchLineBreak) + kBatchEchoOn + kBatchLineBreak;
  WStringList lines = {banner, kBatchChangeToTemp};
  WStringList reported;
  script_folders_.clear();
  ScopedDriveTypeMemo drive_types;
  for (const WString& source : unique) {
    if (!Qualifies(source)) continue;
    SetSource(source.c_str());
    lines.push_back(kBatchPausedCommand + CommandLine());
    script_folders_.push_back(CommandFoldersOf(*this));
    ReportLostFolders(script_folders_.back(), reported);
  }
  lines.push_back(FinalPause(*this));
  script_text_ = JoinScriptLines(lines);
  return true;
}

// cmd.exe echoes the rem lines (this form has no "@echo off") after expanding percent signs in
// them, and a "%~" there can even end the batch file on Windows; & | < > ^ are shown as they are,
// so only the percent signs are doubled.
bool BackupJob::ComposeSingleScript() {
  const WString shown = ShortenPath(Unquote(Source()), kBannerSourceLength);
  const WString banner = kBatchRemTool + ToolName() + kBatchRemToolSeparator +
                         EscapeForCommandLine(shown) + kBatchRemNote +
                         (list_only_ ? kBatchListOnlyNote : L"") + kBatchRemEnd;
  WStringList lines = {banner, kBatchChangeToTemp};
  if (LongFinalPause()) lines.push_back(kBatchShortPause);
  lines.push_back(CommandLine());
  script_folders_ = {CommandFoldersOf(*this)};
  WStringList reported;
  ReportLostFolders(script_folders_.back(), reported);
  lines.push_back(FinalPause(*this));
  script_text_ = JoinScriptLines(lines);
  return true;
}

}  // namespace sollux
