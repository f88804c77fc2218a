// How a run of Sollux.exe ends: every warning of the run said again where it does not scroll
// away, then one line that says plainly whether the backup is good and what to do if not; the
// same as one event in the Application log, for IT; and, only when a person is watching, a
// countdown before the window closes. Never a wait in a scheduled task, never an endless one.
#ifndef SOLLUX_APP_RUN_END_H_
#define SOLLUX_APP_RUN_END_H_

#include <cstdint>
#include <vector>

#include "app/planning.h"
#include "base/win.h"
#include "base/wstring.h"
#include "store/stick_record.h"

namespace sollux {

// The event source, and the first event ID: 1000 + the exit code.
inline constexpr wchar_t kEventSource[] = L"Sollux";
inline constexpr DWORD kFirstEventId = 1000;
// How long the window stays open at the end for a person to read it.
inline constexpr uint32_t kClosingSeconds = 180;

struct RunEnd {
  WString destination;      // where the backup went
  WStringList lines;        // the run's warnings and the check's lines, in the order said
  WStringList event_lines;  // what only the event carries
};

// The last line for `outcome`.
WString VerdictLine(BackupOutcome outcome);
// The event's type: information for 0, a warning for 3 and 4, an error for 1 and 2.
WORD EventTypeOf(BackupOutcome outcome);
// The event's text: the verdict, who ran what where, and the lines.
WString EventText(BackupOutcome outcome, const RunEnd& end);
// Says the end on the console, writes the event, and waits for a person who watches (not
// `unattended`). An event that cannot be written changes nothing.
void EndRun(BackupOutcome outcome, const RunEnd& end, bool unattended);

// What is said of the stick at `root`: whether it is encrypted.
enum class Encryption { kOn, kOff, kUnknown };
Encryption StickEncryption(const WString& root);
// Whether the console says that `stick` is not encrypted now: at most once a week for one stick.
bool SayUnencrypted(const Stick& stick, const std::vector<StickBackup>& earlier, int64_t now);
// Each stick with its last backup, when the PC's record names more than one; "" otherwise.
WString SticksLine(const std::vector<StickBackup>& backups, int64_t now);

}  // namespace sollux

#endif  // SOLLUX_APP_RUN_END_H_
