#include "store/stick_record.h"

#include <algorithm>

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

std::optional<int64_t> Number(const WString& text) {
  if (text.empty() || text.size() > 18 || text.find_first_not_of(L"0123456789") != WString::npos) {
    return std::nullopt;
  }
  return std::stoll(text);
}

WString RecordPath() { return ScratchSubfolder(L"") + kStickRecordFileName; }

// At every tab, whatever else the line holds.
WStringList Fields(const WString& line) {
  WStringList fields(1);
  for (const wchar_t c : line) {
    if (c == L'\t') {
      fields.emplace_back();
    } else {
      fields.back() += c;
    }
  }
  return fields;
}

}  // namespace

WString StickRecordLine(const StickBackup& backup) {
  return std::to_wstring(backup.ended) + L"\t" + FormatTime(backup.ended, L"%Y-%m-%d %H:%M:%S") +
         L"\t" + backup.stick.label + L"\t" + backup.stick.serial + L"\t" +
         std::to_wstring(backup.exit_code) +
         (backup.unencrypted_said ? WString(L"\t") + kUnencryptedSaid : WString());
}

std::vector<StickBackup> StickBackups(const WStringList& lines) {
  std::vector<StickBackup> backups;
  for (const WString& line : lines) {
    const WStringList fields = Fields(line);
    if (fields.size() < 5) continue;
    const std::optional<int64_t> ended = Number(fields[0]);
    const std::optional<int64_t> code = Number(fields[4]);
    if (!ended || !code || *code == kNothingCopied) continue;
    backups.push_back({*ended, static_cast<int>(*code), {fields[2], fields[3]},
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
  WString text =
      PaddedNumberText(serial >> 16, 16, 4) + L"-" + PaddedNumberText(serial & 0xFFFF, 16, 4);
  for (wchar_t& c : text) c = c >= L'a' && c <= L'f' ? static_cast<wchar_t>(c - 32) : c;
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

WString OwnDiskLine(const WString& destination, const std::optional<StickBackup>& last,
                    int64_t now) {
  const int64_t days = last ? DaysBetween(last->ended, now) : 0;
  const WString day = last ? FormatTime(last->ended, L"%Y-%m-%d") : WString();
  const WString when = !last       ? Say(Text::kNeverOnStick)
                       : days == 0 ? Say(Text::kLastStickBackupToday, {day})
                                   : SayCounted(Text::kLastStickBackup, days, {day});
  return Say(Text::kNoStick, {destination, when});
}

}  // namespace sollux
