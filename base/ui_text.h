// Every text that Sollux itself says to its user (console lines, the report, the history), in
// English and in Japanese, in one table. A text names its blanks {1}, {2}, ... and a counted
// text {n}; English has a form for one and one for more, Japanese one form with its counter.
// The language is the user's UI language: Japanese where it is Japanese, English otherwise,
// decided once per run.
#ifndef SOLLUX_BASE_UI_TEXT_H_
#define SOLLUX_BASE_UI_TEXT_H_

#include <cstddef>
#include <cstdint>

#include "base/wstring.h"

namespace sollux {

enum class Language { kEnglish, kJapanese };

enum class Text {
  // Before the copying.
  kPlumaFolderMissing,
  kPlumaFolderNotFullPath,
  kFolderWithoutExactForm,
  kCodePageNotSwitched,
  kBatchNotWritten,
  kInterpreterNotStarted,
  kAnotherRunActive,
  kLockFailed,
  kNotALock,
  kLinkNotFollowed,
  kBackupFolderIsLink,
  kRecordsBehindLink,
  kRunNotListed,
  kRecordNotWritten,
  kNotMirrored,
  kLooking,
  kChecking,
  kKeptAsVersions,
  kLeftOutForSize,
  kOnlineOnly,
  kLargeChange,
  kNotKept,
  kMoreNotKept,
  kStickStopped,
  kBackupFoldersUnreadable,
  kLookIncomplete,
  kOldVersionsDeleted,
  kNoRoom,
  kNoStick,
  kLastStickBackup,
  kNeverOnStick,
  kStickAfterLong,
  kOwnDiskFull,
  kLastStickBackupToday,
  kNotEncrypted,
  kSticksLine,
  kStickLast,
  kDaysAgo,
  // The end of a run.
  kVersionLine,
  kUsage,
  kEndHeader,
  kVerdictGood,
  kVerdictNothing,
  kVerdictIncomplete,
  kVerdictLargeChange,
  kVerdictOwnDisk,
  kCloseCountdown,
  kEventHead,
  // The report.
  kReportTitle,
  kReportComputer,
  kReportBackup,
  kReportLateWrites,
  kReportFolder,
  kReportChecked,
  kReportNote,
  kReportNotRead,
  kReportNotChecked,
  kReportNotInBackupList,
  kReportMissingTag,
  kReportDifferentTag,
  kReportMore,
  kReportBeforeCopying,
  kReportKept,
  kReportLeftOut,
  kReportOnlineOnly,
  kReportClockShifts,
  kReportNotWritten,
  kHistoryNotWritten,
  // The check's summary and what kept a folder's check from being complete.
  kFolderMissing,
  kFolderUnreadable,
  kCopyMissing,
  kCopyUnreadable,
  kCheckStopped,
  kSubfoldersUnreadable,
  kNotNamed,
  kNotInBackup,
  kNotInBackupInHistory,
  kFoldersNotChecked,
  kFoldersNotCheckedInHistory,
  kKeptInHistory,
  kSummaryAllIn,
  kSummaryAllInReadBack,
  kSummaryNotAllIn,
  kSummaryReadBack,
  kSummaryAllInReadBackOwnDisk,
  kSummaryReadBackOwnDisk,
  kHeldOpenBy,
  kOwnDiskInHistory,
  // The read back.
  kReadingBack,
  kReadBackMended,
  kReadBackDamaged,
  kReadBackUnreadable,
  kReadBackStopped,
  kStickFailing,
  kReportReadBack,
  kReportMended,
  kReportDamaged,
  kReportUnreadableOnStick,
  kReadBackInHistory,
  kDamagedInHistory,
  kSummarySee,
  kPause,
  // Getting files back.
  kRestoreNoBackup,
  kRestoreWrongArgument,
  kRestoreNoSuchComputer,
  kRestoreNoRecords,
  kRestoreRecordsUnreadable,
  kRestoreNotExact,
  kRestoreFolderMissing,
  kRecordLineSkipped,
  kRestoreSwitchTwice,
  kRestoreNoSuchBackup,
  kRestoreNoSuchFolder,
  kRestoreTargetInBackup,
  kRestoreTargetOnStick,
  kRestoreAskWhat,
  kRestoreAskName,
  kRestoreEveryName,
  kRestoreNoMatch,
  kRestoreMatches,
  kRestoreMoreMatches,
  kRestoreFoundVersion,
  kRestoreDeletedFromPc,
  kRestoreAskFile,
  kRestoreVersions,
  kRestoreAskVersion,
  kRestoreFindNotOne,
  kRestoreNoVersionAt,
  kRestorePlanVersion,
  kRestoreMoreAside,
  kRestoreMissingOnly,
  kRestoreOpenFolder,
  kAskNumber,
  kAskNumberOrAll,
  kAskYesNo,
  kRestoreComputers,
  kRestoreAskComputer,
  kRestoreBackups,
  kRestoreAskBackup,
  kRestoreFolders,
  kRestoreAskFolder,
  kRestoreAskWhere,
  kRestorePlan,
  kRestoreAside,
  kRestoreEqual,
  kRestoreAskGo,
  kRestoreCancelled,
  kRestoreProgress,
  kRestoreNotRestored,
  kRestoreCopyFailed,
  kRestoreReadBackWrong,
  kRestoreNotMovedAside,
  kRestoreNameNotWritable,
  kRestoreNoBackupFolder,
  kRestoreMoreNotRestored,
  kRestoreStickGone,
  kRestoreSummary,
  kRestoreSummaryNotAll,
  // Dates as people say them.
  kWeekdayNames,
  kMonthNames,
  kSpokenDay,
  kSpokenDayOfYear,
  kToday,
  kYesterday,
  kShortDay,
  kVersionFileName,
  kHeldFromTo,
  // Counted nouns and forms.
  kFileCount,
  kFolderCount,
  kDateTime,
  kCount
};

struct TextForms {
  Text id;
  const wchar_t* english;
  const wchar_t* english_many;  // a counted text's form for 0 and for 2 or more; else null
  const wchar_t* japanese;
};

// The whole table, in the order of Text.
const TextForms* TextTable();
inline constexpr size_t kTextCount = static_cast<size_t>(Text::kCount);

// The run's language.
Language UiLanguage();
// Asks the UI language again on the next call (for the tests, which change it).
void ForgetUiLanguage();

// The text in the run's language with its blanks filled; a blank without an argument stays.
WString Say(Text id, const WStringList& args = {});
// A counted text: {n} is `count` with digit grouping, the English form chosen by it.
WString SayCounted(Text id, uint64_t count, const WStringList& args = {});

// 12345 as "12,345" (both languages group digits with commas).
WString CountText(uint64_t value);
// Bytes as "512 B", "1.5 KB", "38.2 GB" (1 KB = 1024 B, one decimal, B to TB).
WString SizeText(uint64_t bytes);
// "3 files" / "3 個のファイル".
WString FileCountText(uint64_t count);
// `time` (seconds since 1970, UTC) as local date and time in the run's language.
WString DateTimeText(int64_t time);

}  // namespace sollux

#endif  // SOLLUX_BASE_UI_TEXT_H_
