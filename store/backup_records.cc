#include "store/backup_records.h"

#include <algorithm>
#include <string>

#include "store/record_file.h"
#include "store/safe_path.h"

namespace sollux {
namespace {

// A skipped line is named by its start: a line may be of any length.
constexpr size_t kShownLineLength = 120;

std::optional<FolderRecord> ParseFolderRecord(const WString& line) {
  const WStringList fields = RecordFields(line);
  if (fields.size() != 3 && fields.size() != 4) return std::nullopt;
  const std::optional<RunName> run = ParseRunName(fields[0]);
  if (!run || !IsCanonicalFolder(fields[1]) || !IsSafePlace(fields[2])) return std::nullopt;
  FolderRecord record{*run, fields[1], fields[2], std::nullopt};
  if (fields.size() == 4 && !(record.added = RecordNumber(fields[3]))) return std::nullopt;
  return record;
}

}  // namespace

bool BackupRecords::Read(const WString& path, WStringList* lines) {
  lines->clear();
  return layout_.Plain(path) && ReadRecordLines(path, lines) == RecordRead::kRead;
}

void BackupRecords::Skip(const WString& path, const WString& line) {
  WString shown = line.size() > kShownLineLength ? line.substr(0, kShownLineLength) + L"..." : line;
  for (wchar_t& c : shown) c = c < 0x20 ? L'?' : c;
  const WString entry = path + L": " + shown;
  if (std::find(skipped_.begin(), skipped_.end(), entry) == skipped_.end()) {
    skipped_.push_back(entry);
  }
}

std::vector<RunName> BackupRecords::Runs() {
  const WString path = layout_.VersionsFile(kRunListFileName);
  WStringList lines;
  Read(path, &lines);
  std::vector<RunName> runs;
  for (const WString& line : lines) {
    const std::optional<RunName> run = ParseRunName(line);
    if (run) {
      runs.push_back(*run);
    } else {
      Skip(path, line);
    }
  }
  std::sort(runs.begin(), runs.end());
  runs.erase(std::unique(runs.begin(), runs.end()), runs.end());
  return runs;
}

bool BackupRecords::AddRun(const RunName& run) {
  const WString path = layout_.VersionsFile(kRunListFileName);
  return layout_.Plain(path) && AppendRecord(path, {run.Text()});
}

bool BackupRecords::DropRunsThrough(const RunName& run) {
  const WString path = layout_.VersionsFile(kRunListFileName);
  WStringList later;
  for (const RunName& listed : Runs()) {
    if (listed > run) later.push_back(listed.Text());
  }
  return layout_.Plain(path) && ReplaceRecord(path, later);
}

std::vector<FolderRecord> BackupRecords::Folders() {
  const WString path = layout_.VersionsFile(kFolderListFileName);
  WStringList lines;
  Read(path, &lines);
  std::vector<FolderRecord> folders;
  for (const WString& line : lines) {
    if (std::optional<FolderRecord> record = ParseFolderRecord(line)) {
      folders.push_back(std::move(*record));
    } else {
      Skip(path, line);
    }
  }
  return folders;
}

bool BackupRecords::AddFolders(const std::vector<FolderRecord>& folders) {
  if (folders.empty()) return true;
  WStringList lines;
  for (const FolderRecord& folder : folders) {
    WString line = folder.run.Text() + kRecordFieldSeparator + folder.original +
                   kRecordFieldSeparator + folder.place;
    if (folder.added) line += kRecordFieldSeparator + std::to_wstring(*folder.added);
    // What the reader would skip is not written: that folder cannot be rebuilt, which is said.
    if (ParseFolderRecord(line)) lines.push_back(line);
  }
  const WString path = layout_.VersionsFile(kFolderListFileName);
  return layout_.Plain(path) && AppendRecord(path, lines) && lines.size() == folders.size();
}

std::optional<WStringList> BackupRecords::Added(const RunName& run) {
  const WString path = layout_.RunFolder(run) + L"\\" + kAddedListFileName;
  WStringList lines;
  if (!Read(path, &lines)) return std::nullopt;
  WStringList places;
  for (const WString& line : lines) {
    if (IsSafePlace(line)) {
      places.push_back(line);
    } else {
      Skip(path, line);
    }
  }
  return places;
}

bool BackupRecords::WriteAdded(const RunName& run, const WStringList& places) {
  const WString path = layout_.RunFolder(run) + L"\\" + kAddedListFileName;
  return layout_.Plain(path) && ReplaceRecord(path, places);
}

bool BackupRecords::AddHistory(const WString& line) {
  const WString path = layout_.ComputerFile(kHistoryFileName);
  return layout_.Plain(path) && AppendRecord(path, {line}, kHistoryLineLimit);
}

bool BackupRecords::WriteReport(const WString& text) {
  const WString path = layout_.ComputerFile(kReportFileName);
  return layout_.Plain(path) && ReplaceRecordText(path, text);
}

uint64_t BackupRecords::TakeReadBackTurn(uint64_t turns) {
  const WString path = layout_.ComputerFile(kReadBackTurnFileName);
  if (!layout_.Plain(path)) return 0;
  WStringList lines;
  ReadRecordLines(path, &lines);
  uint64_t turn = 0;
  const WString count = lines.empty() ? WString() : lines.front();
  for (const wchar_t c : count) {
    if (c < L'0' || c > L'9') break;
    turn = (turn * 10 + static_cast<uint64_t>(c - L'0')) % turns;
  }
  ReplaceRecord(path, {std::to_wstring((turn + 1) % turns)});
  return turn;
}

}  // namespace sollux
