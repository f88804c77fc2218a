// When a backup last reached a USB stick, kept on the PC (in the scratch folder), not on the
// stick: a run without a stick says how long ago that was, and a run to a stick after a long
// time without one says so too.
#ifndef SOLLUX_STORE_STICK_RECORD_H_
#define SOLLUX_STORE_STICK_RECORD_H_

#include <cstdint>
#include <optional>

#include "base/wstring.h"

namespace sollux {

inline constexpr wchar_t kStickRecordFileName[] = L"Sollux-sticks.txt";
inline constexpr int64_t kStickReminderDays = 14;

struct StickBackup {
  int64_t ended = 0;  // seconds since 1970
  int exit_code = 0;
};

// A line of the record: "<seconds since 1970>\t<local date and time>\t<volume label>\t<serial
// number>\t<exit code>"; the date and the stick are for people who read it.
WString StickRecordLine(const StickBackup& backup, const WString& label, uint32_t serial);
// The last backup that reached a stick (an exit code other than 1: 1 copied nothing), from the
// record's lines; lines that are not the record's are passed over.
std::optional<StickBackup> LastStickBackup(const WStringList& lines);
// Whole days from `then` to `now`.
int64_t DaysBetween(int64_t then, int64_t now);

// Appends the run that ended now to the record, which keeps its last 100 lines.
void RecordStickBackup(const WString& stick_root, int exit_code);
std::optional<StickBackup> ReadLastStickBackup();

// The line of a backup into `destination` on the PC's own disk, with the last backup to a
// stick.
WString OwnDiskLine(const WString& destination, const std::optional<StickBackup>& last,
                    int64_t now);

}  // namespace sollux

#endif  // SOLLUX_STORE_STICK_RECORD_H_
