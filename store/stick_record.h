// The USB sticks that got this PC's backups, kept on the PC (in the scratch folder), not on a
// stick: a run without a stick says how long ago the last one was, a run to a stick after a
// long time without one says so too, the end of a run names each stick with its last backup,
// and a stick that is not encrypted is named at most once a week.
#ifndef SOLLUX_STORE_STICK_RECORD_H_
#define SOLLUX_STORE_STICK_RECORD_H_

#include <cstdint>
#include <vector>

#include "base/wstring.h"

namespace sollux {

inline constexpr wchar_t kStickRecordFileName[] = L"Sollux-sticks.txt";
inline constexpr int64_t kStickReminderDays = 14;

// A stick as Windows names it.
struct Stick {
  WString label;
  WString serial;  // "A1B2-C3D4"
};

// One backup that ended on a stick.
struct StickBackup {
  int64_t ended = 0;  // seconds since 1970
  int exit_code = 0;
  Stick stick;
  bool unencrypted_said = false;  // the console said that the stick is not encrypted
};

// A line of the record: "<seconds since 1970>\t<local date and time>\t<volume label>\t<serial
// number>\t<exit code>", and "\t<the unencrypted note>" when the console said so; the date and
// the stick are for people who read it.
WString StickRecordLine(const StickBackup& backup);
// The backups that reached a stick (an exit code other than 1: 1 copied nothing), oldest first,
// from the record's lines; lines that are not the record's are passed over.
std::vector<StickBackup> StickBackups(const WStringList& lines);
// The last backup to each stick, newest first.
std::vector<StickBackup> LastBackupPerStick(const std::vector<StickBackup>& backups);
// Whole days from `then` to `now`.
int64_t DaysBetween(int64_t then, int64_t now);

// The stick whose root is `root` ("E:\\").
Stick StickAt(const WString& root);
// Appends the run that ended now to the record, which keeps its last 100 lines.
void RecordStickBackup(const StickBackup& backup);
std::vector<StickBackup> ReadStickBackups();

// The line of a backup into `destination` on the PC's own disk, with the last backup to a
// stick (none: never).
WString OwnDiskLine(const WString& destination, const StickBackup* last, int64_t now);

}  // namespace sollux

#endif  // SOLLUX_STORE_STICK_RECORD_H_
