#include "store/stick_record.h"

#include <algorithm>
#include <cstdio>

#include "base/folders.h"
#include "base/path.h"
#include "base/system_api.h"
#include "base/text.h"
#include "base/time_text.h"
#include "base/ui_text.h"
#include "base/win.h"
#include "store/record_file.h"

namespace sollux {
namespace {

constexpr size_t kRecordLines = 100;
constexpr int64_t kSecondsPerDay = 24 * 60 * 60;
constexpr int kNothingCopied = 1;
constexpr wchar_t kUnencryptedSaid[] = L"not encrypted, said";

WString RecordPath() { return ScratchSubfolder(L"") + kStickRecordFileName; }

}  // namespace

WString StickRecordLine(const StickBackup& backup) {
  WStringList fields = {std::to_wstring(backup.ended),
                        FormatTime(backup.ended, L"%Y-%m-%d %H:%M:%S"), backup.stick.label,
                        backup.stick.serial, std::to_wstring(backup.exit_code)};
  if (backup.unencrypted_said) fields.push_back(kUnencryptedSaid);
  return JoinWithChar(fields, kRecordFieldSeparator);
}

std::vector<StickBackup> StickBackups(const WStringList& lines) {
  std::vector<StickBackup> backups;
  for (const WString& line : lines) {
    const WStringList fields = RecordFields(line);
    if (fields.size() < 5) continue;
    const std::optional<uint64_t> ended = RecordNumber(fields[0]);
    const std::optional<uint64_t> code = RecordNumber(fields[4]);
    if (!ended || !code || *code == kNothingCopied) continue;
    backups.push_back({static_cast<int64_t>(*ended),
                       static_cast<int>(*code),
                       {fields[2], fields[3]},
                       fields.size() > 5 && fields[5] == kUnencryptedSaid});
  }
  return backups;
}

std::vector<StickBackup> LastBackupPerStick(const std::vector<StickBackup>& backups) {
  std::vector<StickBackup> last;
  for (auto backup = backups.rbegin(); backup != backups.rend(); ++backup) {
    const bool known = std::any_of(last.begin(), last.end(), [&](const StickBackup& seen) {
      return EqualsIgnoreCase(seen.stick.serial, backup->stick.serial);
    });
    if (!known) last.push_back(*backup);
  }
  return last;
}

int64_t DaysBetween(int64_t then, int64_t now) {
  return now > then ? (now - then) / kSecondsPerDay : 0;
}

Stick StickAt(const WString& root) {
  wchar_t label[MAX_PATH + 1] = {};
  DWORD serial = 0;
  Sys().GetVolumeInformationW(root.c_str(), label, MAX_PATH + 1, &serial);
  // As Windows shows it: A1B2-C3D4.
  wchar_t text[10] = {};
  std::swprintf(text, 10, L"%04X-%04X", static_cast<unsigned>(serial >> 16),
                static_cast<unsigned>(serial & 0xFFFF));
  return {label, text};
}

void RecordStickBackup(const StickBackup& backup) {
  AppendRecord(RecordPath(), {StickRecordLine(backup)}, kRecordLines);
}

std::vector<StickBackup> ReadStickBackups() {
  WStringList lines;
  ReadRecordLines(RecordPath(), &lines);
  return StickBackups(lines);
}

WString OwnDiskLine(const WString& destination, const StickBackup* last, int64_t now) {
  const int64_t days = last ? DaysBetween(last->ended, now) : 0;
  const WString day = last ? FormatTime(last->ended, L"%Y-%m-%d") : WString();
  const WString when = !last       ? Say(Text::kNeverOnStick)
                       : days == 0 ? Say(Text::kLastStickBackupToday, {day})
                                   : SayCounted(Text::kLastStickBackup, days, {day});
  return Say(Text::kNoStick, {destination, when});
}

}  // namespace sollux
