#include "mirror/backup_report.h"

#include <algorithm>
#include <string_view>

#include "base/messages.h"
#include "base/path.h"
#include "base/system_api.h"
#include "base/text.h"
#include "base/time_text.h"

namespace sollux {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr wchar_t kLineEnd[] = L"\r\n";
constexpr size_t kReadChunk = 16384;
constexpr wchar_t kNoBackupFolderText[] = L"its backup folder is missing";
constexpr wchar_t kNotNamedText[] = L"not checked; the batch file could not name it";

// "1 file", "2 files"; the count with thousands separators.
WString Counted(uint64_t count, const wchar_t* one, const wchar_t* many) {
  return CountText(count) + L" " + (count == 1 ? one : many);
}

WString NotInBackupText(uint64_t count) {
  return Counted(count, L"file is", L"files are") + L" NOT in the backup";
}

uint64_t TotalOf(const RunCheck& run, uint64_t FolderCheck::*field) {
  uint64_t total = 0;
  for (const FolderCheck& folder : run.folders) total += folder.*field;
  return total;
}

// What kept the check of a folder from being complete, in words.
WStringList IncompleteTexts(const FolderCheck& folder) {
  WStringList texts;
  if (folder.source_state == TreeState::kMissing) texts.push_back(L"the folder is missing");
  if (folder.source_state == TreeState::kUnreadable) {
    texts.push_back(L"the folder could not be read");
  }
  if (folder.destination_state == TreeState::kMissing) texts.push_back(kNoBackupFolderText);
  if (folder.destination_state == TreeState::kUnreadable) {
    texts.push_back(L"its backup folder could not be read");
  }
  if (!folder.finished) texts.push_back(L"the check stopped before the end");
  if (folder.unreadable_folder_count != 0) {
    texts.push_back(Counted(folder.unreadable_folder_count, L"subfolder", L"subfolders") +
                    L" could not be read");
  }
  return texts;
}

// The names, indented, and how many of `total` were not named.
void AddNamedLines(WStringList* lines, const WStringList& named, uint64_t total) {
  for (const WString& name : named) lines->push_back(L"  " + name);
  if (total > named.size()) {
    lines->push_back(L"  ... and " + CountText(total - named.size()) + L" more");
  }
}

WStringList FolderLines(const FolderCheck& folder) {
  WStringList lines = {L"", L"Folder: " + folder.source, L"Backup: " + folder.destination,
                       L"Checked: " + Counted(folder.files_checked, L"file", L"files") + L", " +
                           SizeText(folder.bytes_checked)};
  for (const WString& text : IncompleteTexts(folder)) lines.push_back(L"Note: " + text);
  if (folder.files_not_in_backup != 0) {
    lines.push_back(NotInBackupText(folder.files_not_in_backup) + L":");
    WStringList named;
    for (const FileMismatch& mismatch : folder.mismatches) {
      named.push_back(
          (mismatch.problem == FileProblem::kMissing ? L"missing    " : L"different  ") +
          mismatch.relative_path);
    }
    AddNamedLines(&lines, named, folder.files_not_in_backup);
  }
  if (folder.unreadable_folder_count != 0) {
    lines.push_back(L"Not read:");
    AddNamedLines(&lines, folder.unreadable_folders, folder.unreadable_folder_count);
  }
  return lines;
}

void AppendUtf8(char32_t code, std::string* bytes) {
  if (code < 0x80) {
    *bytes += static_cast<char>(code);
    return;
  }
  const int tail = code < 0x800 ? 1 : code < 0x10000 ? 2 : 3;
  static constexpr unsigned char kLead[] = {0, 0xC0, 0xE0, 0xF0};
  *bytes += static_cast<char>(kLead[tail] | (code >> (6 * tail)));
  for (int i = tail - 1; i >= 0; --i)
    *bytes += static_cast<char>(0x80 | ((code >> (6 * i)) & 0x3F));
}

// Written out by hand: the C runtime's conversions follow its locale, which is "C" unless the
// program sets another. A lone surrogate becomes U+FFFD.
std::string Utf8(const WString& text) {
  std::string bytes;
  bytes.reserve(3 * text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t code = text[i];
    const bool pair = code >= 0xD800 && code <= 0xDBFF && i + 1 < text.size() &&
                      text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF;
    if (pair) {
      code = 0x10000 + ((code - 0xD800) << 10) + (text[++i] - 0xDC00);
    } else if (code >= 0xD800 && code <= 0xDFFF) {
      code = 0xFFFD;
    }
    AppendUtf8(code, &bytes);
  }
  return bytes;
}

// A path past MAX_PATH opens only in its \\?\ form.
WString OpenablePath(const WString& path) {
  const WString form = LongPathForm(path);
  return form.empty() ? path : form;
}

// The whole file; "" when it is missing or cannot be read.
std::string ReadWholeFile(const WString& path) {
  FILE* file = Sys().OpenFile(OpenablePath(path).c_str(), L"rb");
  if (file == nullptr) return std::string();
  std::string bytes, chunk(kReadChunk, '\0');
  for (size_t read; (read = Sys().ReadFromFile(chunk.data(), 1, chunk.size(), file)) > 0;) {
    bytes.append(chunk, 0, read);
  }
  Sys().CloseFile(file);
  return bytes;
}

bool WriteWholeFile(const WString& path, const std::string& bytes, const wchar_t* what) {
  FILE* file = Sys().OpenFile(OpenablePath(path).c_str(), L"wb");
  bool written = file != nullptr;
  if (written) {
    written = Sys().WriteToFile(bytes.data(), 1, bytes.size(), file) == bytes.size();
    // A full stick shows only when the last buffer is flushed.
    written = Sys().CloseFile(file) == 0 && written;
  }
  if (!written) ErrorLine(WString(what) + L" could not be written: " + path);
  return written;
}

bool CheckedCompletely(const FolderCheck& folder) {
  return folder.source_state == TreeState::kRead &&
         folder.destination_state != TreeState::kUnreadable && folder.finished &&
         folder.unreadable_folder_count == 0;
}

// Folders not checked, or not to the end.
uint64_t IncompleteCount(const RunCheck& run) {
  return run.not_checked.size() +
         std::count_if(run.folders.begin(), run.folders.end(),
                       [](const FolderCheck& folder) { return !CheckedCompletely(folder); });
}

// A check that could not look everywhere must not say that everything is there.
WString LastSummaryLine(const RunCheck& run, const WString& report_path) {
  WString line = L"Backup checked: " + Counted(run.folders.size(), L"folder", L"folders") + L", " +
                 Counted(TotalOf(run, &FolderCheck::files_checked), L"file", L"files") + L", " +
                 SizeText(TotalOf(run, &FolderCheck::bytes_checked));
  if (AllInBackup(run)) return line + L", all in the backup.";
  const uint64_t missing = TotalOf(run, &FolderCheck::files_not_in_backup);
  const uint64_t incomplete = IncompleteCount(run);
  if (missing != 0) line += L"; " + NotInBackupText(missing);
  if (incomplete != 0) {
    line +=
        L"; " + Counted(incomplete, L"folder was", L"folders were") + L" not checked completely";
  }
  if (!report_path.empty()) line += L"; see " + report_path;
  return line;
}

// A run whose check could not look everywhere must not read like a good one in the history.
WString IncompleteHistoryText(const RunCheck& run) {
  const uint64_t incomplete = IncompleteCount(run);
  if (incomplete == 0) return WString();
  return L"; " + Counted(incomplete, L"folder", L"folders") + L" not checked completely";
}

}  // namespace

WString CountText(uint64_t value) {
  const WString digits = NumberText64(value);
  WString text;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i != 0 && (digits.size() - i) % 3 == 0) text += L',';
    text += digits[i];
  }
  return text;
}

WString FileCountText(uint64_t count) { return Counted(count, L"file", L"files"); }

// Tenths of the unit, rounded; a size that would show as 1024.0 of one unit shows in the next.
WString SizeText(uint64_t bytes) {
  static constexpr const wchar_t* kUnits[] = {L"KB", L"MB", L"GB", L"TB"};
  if (bytes < 1024) return CountText(bytes) + L" B";
  using Wide = unsigned __int128;  // ten times 2^64 - 1 must fit
  Wide unit = 1024;
  for (size_t u = 0;; ++u, unit *= 1024) {
    const auto tenths = static_cast<uint64_t>((Wide{bytes} * 10 + unit / 2) / unit);
    if (tenths < 10240 || u + 1 == std::size(kUnits)) {
      return CountText(tenths / 10) + L"." + NumberText64(tenths % 10) + L" " + kUnits[u];
    }
  }
}

WString ReportText(const RunCheck& run) {
  WStringList lines = {
      L"Sollux backup check, " + FormatTime(run.time, L"%Y-%m-%d %H:%M:%S"),
      L"Computer: " + run.computer,
      L"Backup: " + run.destination,
      L"Files written to a folder after robocopy had passed them show as different.",
  };
  for (const FolderCheck& folder : run.folders) {
    const WStringList folder_lines = FolderLines(folder);
    lines.insert(lines.end(), folder_lines.begin(), folder_lines.end());
  }
  if (!run.not_checked.empty()) {
    lines.insert(lines.end(), {L"", L"Not checked (the batch file could not name them):"});
    AddNamedLines(&lines, run.not_checked, run.not_checked.size());
  }
  lines.insert(lines.end(), run.look_lines.begin(), run.look_lines.end());
  return JoinWithText(lines, kLineEnd) + kLineEnd;
}

WString HistoryLine(const RunCheck& run) {
  return FormatTime(run.time, L"%Y-%m-%d %H:%M:%S") + L"; " +
         Counted(run.folders.size(), L"folder", L"folders") + L"; " +
         Counted(TotalOf(run, &FolderCheck::files_checked), L"file", L"files") + L"; " +
         SizeText(TotalOf(run, &FolderCheck::bytes_checked)) + L"; " +
         Counted(TotalOf(run, &FolderCheck::files_not_in_backup), L"file", L"files") +
         L" NOT in the backup" + IncompleteHistoryText(run) +
         (run.files_kept == 0
              ? WString()
              : L"; " + Counted(run.files_kept, L"file", L"files") + L" kept as versions");
}

bool AllInBackup(const RunCheck& run) {
  return TotalOf(run, &FolderCheck::files_not_in_backup) == 0 && IncompleteCount(run) == 0;
}

WStringList SummaryLines(const RunCheck& run, const WString& report_path) {
  WStringList lines;
  for (const FolderCheck& folder : run.folders) {
    WStringList texts = IncompleteTexts(folder);
    // A folder with nothing to copy is in the backup whatever its copy's state (robocopy makes
    // no copy of an empty folder's files); only the report notes it.
    if (folder.files_checked == 0) std::erase(texts, WString(kNoBackupFolderText));
    if (folder.files_not_in_backup != 0) {
      texts.insert(texts.begin(), NotInBackupText(folder.files_not_in_backup));
    }
    if (!texts.empty()) lines.push_back(folder.source + L": " + JoinWithText(texts, L"; "));
  }
  for (const WString& folder : run.not_checked) lines.push_back(folder + L": " + kNotNamedText);
  lines.push_back(LastSummaryLine(run, report_path));
  return lines;
}

std::string Utf8FileBytes(const WString& text) { return std::string(kByteOrderMark) + Utf8(text); }

std::string HistoryFileBytes(const std::string& existing, const WString& line) {
  std::string_view rest = existing;
  if (rest.starts_with(kByteOrderMark)) rest.remove_prefix(kByteOrderMark.size());
  std::vector<std::string_view> lines;
  while (!rest.empty()) {
    const size_t end = std::min(rest.find('\n'), rest.size());
    std::string_view piece = rest.substr(0, end);
    if (piece.ends_with('\r')) piece.remove_suffix(1);
    if (!piece.empty()) lines.push_back(piece);
    rest.remove_prefix(std::min(end + 1, rest.size()));
  }
  const size_t kept = std::min(lines.size(), kHistoryLineLimit - 1);
  std::string bytes(kByteOrderMark);
  for (size_t i = lines.size() - kept; i < lines.size(); ++i) bytes.append(lines[i]) += "\r\n";
  return bytes + Utf8(line + kLineEnd);
}

bool WriteReport(const WString& path, const RunCheck& run) {
  return WriteWholeFile(path, Utf8FileBytes(ReportText(run)), L"The check's report");
}

bool AppendHistory(const WString& path, const RunCheck& run) {
  const std::string bytes = HistoryFileBytes(ReadWholeFile(path), HistoryLine(run));
  return WriteWholeFile(path, bytes, L"The backup history");
}

}  // namespace sollux
