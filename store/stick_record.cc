#include "store/stick_record.h"

#include "base/folders.h"
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

std::optional<int64_t> Number(const WString& text) {
  if (text.empty() || text.size() > 18 || text.find_first_not_of(L"0123456789") != WString::npos) {
    return std::nullopt;
  }
  return std::stoll(text);
}

WString RecordPath() { return ScratchSubfolder(L"") + kStickRecordFileName; }

}  // namespace

WString StickRecordLine(const StickBackup& backup, const WString& label, uint32_t serial) {
  return std::to_wstring(backup.ended) + L"\t" + FormatTime(backup.ended, L"%Y-%m-%d %H:%M:%S") +
         L"\t" + label + L"\t" + PaddedNumberText(serial >> 16, 16, 4) + L"-" +
         PaddedNumberText(serial & 0xFFFF, 16, 4) + L"\t" + std::to_wstring(backup.exit_code);
}

std::optional<StickBackup> LastStickBackup(const WStringList& lines) {
  std::optional<StickBackup> last;
  for (const WString& line : lines) {
    const size_t first = line.find(L'\t'), final = line.rfind(L'\t');
    if (first == WString::npos) continue;
    const std::optional<int64_t> ended = Number(line.substr(0, first));
    const std::optional<int64_t> code = Number(line.substr(final + 1));
    if (ended && code && *code != kNothingCopied) last = StickBackup{*ended, static_cast<int>(*code)};
  }
  return last;
}

int64_t DaysBetween(int64_t then, int64_t now) {
  return now > then ? (now - then) / kSecondsPerDay : 0;
}

void RecordStickBackup(const WString& stick_root, int exit_code) {
  wchar_t label[MAX_PATH + 1] = {};
  DWORD serial = 0;
  Sys().GetVolumeInformationW(stick_root.c_str(), label, MAX_PATH + 1, &serial);
  const StickBackup backup{Sys().CurrentTime(), exit_code};
  AppendRecord(RecordPath(), {StickRecordLine(backup, label, serial)}, kRecordLines);
}

std::optional<StickBackup> ReadLastStickBackup() {
  WStringList lines;
  ReadRecordLines(RecordPath(), &lines);
  return LastStickBackup(lines);
}

WString OwnDiskLine(const WString& destination, const std::optional<StickBackup>& last,
                    int64_t now) {
  const WString when =
      last ? SayCounted(Text::kLastStickBackup, DaysBetween(last->ended, now),
                        {FormatTime(last->ended, L"%Y-%m-%d")})
           : Say(Text::kNeverOnStick);
  return Say(Text::kNoStick, {destination, when});
}

}  // namespace sollux
