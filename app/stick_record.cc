#include "app/stick_record.h"

#include <string_view>

#include "base/file_system.h"
#include "base/folders.h"
#include "base/system_api.h"
#include "base/text.h"
#include "base/time_text.h"
#include "base/ui_text.h"
#include "mirror/backup_report.h"

namespace sollux {
namespace {

constexpr size_t kRecordLines = 100;
constexpr int64_t kSecondsPerDay = 24 * 60 * 60;
constexpr int kNothingCopied = 1;

std::optional<int64_t> Number(std::string_view text) {
  if (text.empty() || text.size() > 18 || text.find_first_not_of("0123456789") != text.npos) {
    return std::nullopt;
  }
  return std::stoll(std::string(text));
}

WString RecordPath() { return ScratchSubfolder(L"") + kStickRecordFileName; }

}  // namespace

WString StickRecordLine(const StickBackup& backup, const WString& label, uint32_t serial) {
  return std::to_wstring(backup.ended) + L"\t" + FormatTime(backup.ended, L"%Y-%m-%d %H:%M:%S") +
         L"\t" + label + L"\t" + PaddedNumberText(serial >> 16, 16, 4) + L"-" +
         PaddedNumberText(serial & 0xFFFF, 16, 4) + L"\t" + std::to_wstring(backup.exit_code);
}

std::optional<StickBackup> LastStickBackup(const std::string& bytes) {
  std::optional<StickBackup> last;
  std::string_view text = bytes;
  if (text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());
  for (const std::string_view line : ByteLines(text)) {
    const size_t first = line.find('\t'), final = line.rfind('\t');
    if (first == line.npos) continue;
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
  const WString path = RecordPath();
  const StickBackup backup{Sys().CurrentTime(), exit_code};
  WriteWholeFile(path,
                 HistoryFileBytes(ReadWholeFile(path), StickRecordLine(backup, label, serial),
                                  kRecordLines),
                 L"wb");
}

std::optional<StickBackup> ReadLastStickBackup() {
  return LastStickBackup(ReadWholeFile(RecordPath()));
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
