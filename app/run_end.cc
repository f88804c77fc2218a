#include "app/run_end.h"

#include <string>

#include "base/console.h"
#include "base/path.h"
#include "base/program.h"
#include "base/system_api.h"
#include "base/text.h"
#include "base/ui_text.h"
#include "script/path_rewrite.h"

namespace sollux {
namespace {

constexpr int kBitLockerOn = 1;
constexpr int kBitLockerOff = 2;
constexpr int kBitLockerLocked = 6;
constexpr int64_t kSecondsPerWeek = 7 * 24 * 60 * 60;

WString MinutesAndSeconds(uint32_t seconds) {
  return std::to_wstring(seconds / 60) + L":" + (seconds % 60 < 10 ? L"0" : L"") +
         std::to_wstring(seconds % 60);
}

WString DaysAgo(int64_t then, int64_t now) {
  const int64_t days = DaysBetween(then, now);
  return days == 0 ? Say(Text::kToday) : SayCounted(Text::kDaysAgo, days);
}

}  // namespace

WString VerdictLine(BackupOutcome outcome) {
  switch (outcome) {
    case BackupOutcome::kAllInBackup:
      return Say(Text::kVerdictGood);
    case BackupOutcome::kNotRun:
      return Say(Text::kVerdictNothing);
    case BackupOutcome::kNotAllInBackup:
      return Say(Text::kVerdictIncomplete);
    case BackupOutcome::kLargeChange:
      return Say(Text::kVerdictLargeChange);
    case BackupOutcome::kOnOwnDisk:
      return Say(Text::kVerdictOwnDisk);
  }
  return WString();
}

WORD EventTypeOf(BackupOutcome outcome) {
  switch (outcome) {
    case BackupOutcome::kAllInBackup:
      return EVENTLOG_INFORMATION_TYPE;
    case BackupOutcome::kLargeChange:
    case BackupOutcome::kOnOwnDisk:
      return EVENTLOG_WARNING_TYPE;
    default:
      return EVENTLOG_ERROR_TYPE;
  }
}

// The verdict first: the Event Viewer's list and preview show the first line.
WString EventText(BackupOutcome outcome, const RunEnd& end) {
  WStringList lines = {VerdictLine(outcome),
                       Say(Text::kEventHead, {ProgramVersion(), MachineName(), end.destination})};
  lines.insert(lines.end(), end.lines.begin(), end.lines.end());
  lines.insert(lines.end(), end.event_lines.begin(), end.event_lines.end());
  return JoinWithText(lines, L"\r\n");
}

void EndRun(BackupOutcome outcome, const RunEnd& end, bool unattended) {
  OutputLines({L"", Say(Text::kEndHeader)});
  OutputLines(end.lines);
  OutputLine(VerdictLine(outcome));
  if (const HANDLE log = Sys().RegisterEventSourceW(kEventSource)) {
    Sys().ReportEventW(log, EventTypeOf(outcome), kFirstEventId + static_cast<DWORD>(outcome),
                       EventText(outcome, end).c_str());
    Sys().DeregisterEventSource(log);
  }
  if (unattended || !PersonIsWatching()) return;
  CountDown(kClosingSeconds,
            [](uint32_t left) { return Say(Text::kCloseCountdown, {MinutesAndSeconds(left)}); });
}

Encryption StickEncryption(const WString& root) {
  int value = 0;
  if (FAILED(Sys().BitLockerProtection(root.c_str(), &value))) return Encryption::kUnknown;
  if (value == kBitLockerOn || value == kBitLockerLocked) return Encryption::kOn;
  return value == kBitLockerOff ? Encryption::kOff : Encryption::kUnknown;
}

bool SayUnencrypted(const Stick& stick, const std::vector<StickBackup>& earlier, int64_t now) {
  for (const StickBackup& backup : earlier) {
    if (backup.unencrypted_said && EqualsIgnoreCase(backup.stick.serial, stick.serial) &&
        now - backup.ended < kSecondsPerWeek) {
      return false;
    }
  }
  return true;
}

WString SticksLine(const std::vector<StickBackup>& backups, int64_t now) {
  const std::vector<StickBackup> sticks = LastBackupPerStick(backups);
  if (sticks.size() < 2) return WString();
  WStringList named;
  for (const StickBackup& last : sticks) {
    named.push_back(
        Say(Text::kStickLast, {last.stick.label, last.stick.serial, DaysAgo(last.ended, now)}));
  }
  return Say(Text::kSticksLine, {JoinWithText(named, L"; ")});
}

}  // namespace sollux
