#include "base/ui_text.h"

#include <iterator>

#include "base/system_api.h"
#include "base/text.h"
#include "base/time_text.h"

namespace sollux {
namespace {

using enum Text;

// Japanese has no plural: a counted noun is a phrase with its counter (個, 件).
constexpr TextForms kTable[] = {
    {kPlumaFolderMissing, L"PLUMA folder not found, not backed up: {1}", nullptr,
     L"PLUMA のフォルダーが見つからないため、バックアップしません: {1}"},
    {kPlumaFolderNotFullPath, L"PLUMA folder is not a full path, not backed up: {1}", nullptr,
     L"PLUMA のフォルダーが完全なパスで書かれていないため、バックアップしません: {1}"},
    {kFolderWithoutExactForm,
     L"cannot be backed up by this batch file, which has no exact form for the folder: {1}",
     nullptr,
     L"このフォルダーの名前はバッチ ファイルに正しく書けないため、バックアップできません: {1}"},
    {kCodePageNotSwitched,
     L"The console reads the batch file in code page {1}, not 932; the batch file may not reach "
     L"this folder: {2}",
     nullptr,
     L"コンソールがバッチ ファイルをコード ページ 932 ではなく {1} で読むため、このフォルダーが"
     L"正しくコピーされないことがあります: {2}"},
    {kBatchNotWritten, L"The batch file could not be written and was not run: {1}", nullptr,
     L"バッチ ファイルを書き込めなかったため、実行しませんでした: {1}"},
    {kInterpreterNotStarted, L"The command interpreter could not be started: {1}", nullptr,
     L"コマンド インタープリターを起動できませんでした: {1}"},
    {kAnotherRunActive, L"Another Sollux backup to {1} is running; this run did nothing.", nullptr,
     L"{1} への別の Sollux のバックアップが実行中です。今回は何もしませんでした。"},
    {kLockFailed, L"The lock {1} could not be made (error {2}); no versions are kept in this run",
     nullptr, L"ロック ファイル {1} を作れませんでした (エラー {2})。今回は以前の版を残しません"},
    {kNotALock,
     L"{1} is a folder or a link, not Sollux's lock, so one backup at a time cannot be kept to; "
     L"this run did nothing. Delete that folder or link and run Sollux again.",
     nullptr,
     L"{1} はフォルダーかリンクで、Sollux のロックではありません。バックアップを一度に 1 つに"
     L"限れないため、今回は何もしませんでした。そのフォルダーかリンクを削除して、もう一度 Sollux "
     L"を実行してください。"},
    {kLinkNotFollowed, L"A link on the stick, not followed: {1}", nullptr,
     L"USB メモリーの上のリンクのため、たどりませんでした: {1}"},
    {kBackupFolderIsLink,
     L"not mirrored: its backup folder lies behind a link on the stick, through which robocopy "
     L"would write elsewhere: {1}",
     nullptr,
     L"ミラーしません: バックアップのフォルダーが USB メモリーの上のリンクの先にあり、robocopy "
     L"がリンクを通して別の場所に書き込むためです: {1}"},
    {kRecordsBehindLink,
     L"Nothing was backed up: {1} is a link on the stick, through which the backup's versions "
     L"and records would be written elsewhere. Delete that link and run Sollux again.",
     nullptr,
     L"何もバックアップしませんでした: {1} は USB メモリーの上のリンクで、バックアップの以前の版と"
     L"記録がリンクを通して別の場所に書き込まれるためです。そのリンクを削除して、もう一度 Sollux "
     L"を実行してください。"},
    {kRunNotListed,
     L"Nothing was backed up: the list of backups {1} could not be written, and without it the "
     L"earlier backups could no longer be got back exactly. Make room on the stick, or check "
     L"that it can be written, and run Sollux again.",
     nullptr,
     L"何もバックアップしませんでした: バックアップの一覧 {1} を書き込めず、一覧がないと以前の"
     L"バックアップを正確に戻せなくなるためです。USB メモリーに空きを作るか、書き込めることを確か"
     L"めてから、もう一度 Sollux を実行してください。"},
    {kRecordNotWritten,
     L"The record {1} could not be written: Sollux-restore cannot rebuild this backup and the "
     L"ones before it exactly.",
     nullptr,
     L"記録 {1} を書き込めませんでした。Sollux-restore はこのバックアップとそれ以前のバック"
     L"アップを正確に戻せません。"},
    {kNotMirrored,
     L"not mirrored: the mirror would delete or replace {n} file that could not be kept as a "
     L"version",
     L"not mirrored: the mirror would delete or replace {n} files that could not be kept as "
     L"versions",
     L"ミラーしません: 以前の版として残せなかった {n} 個のファイルをミラーが削除するか置き換える"
     L"ためです"},
    {kLooking, L"Looking at {1}: {2}", nullptr, L"{1} を調べています: {2}"},
    {kChecking, L"Checking {1}: {2}", nullptr, L"{1} を確認しています: {2}"},
    {kKeptAsVersions, L"{1} kept as versions in {2}", nullptr,
     L"{1}を以前の版として {2} に残しました"},
    {kLeftOutForSize, L"{1} left out for their size: {2}", nullptr,
     L"{1}は大きすぎるためコピーしません: {2}"},
    {kOnlineOnly, L"{1} online only; {2} will be downloaded to this PC", nullptr,
     L"{1}はクラウドにしかありません。{2} がこの PC にダウンロードされます"},
    {kLargeChange,
     L"LARGE CHANGE: the mirror deletes or replaces {1} of the {2} of its backup; if that was "
     L"not meant, copy them back from {3}",
     nullptr,
     L"大きな変更: ミラーはバックアップの {2}のうち {1} 個を削除するか置き換えます。意図した"
     L"変更でなければ、{3} からコピーして戻してください"},
    {kNotKept, L"not kept as a version, the mirror may delete it: {1}", nullptr,
     L"以前の版として残せなかったため、ミラーが削除することがあります: {1}"},
    {kMoreNotKept, L"  ... and {1} more not kept", nullptr,
     L"  ... ほかに {1} 件を残せませんでした"},
    {kStickStopped, L"the stick stopped answering; no more versions were kept", nullptr,
     L"USB メモリーが応答しなくなったため、ここから先は以前の版を残せませんでした"},
    {kBackupFoldersUnreadable,
     L"{n} backup folder could not be read; what the mirror deletes there is not kept as a "
     L"version",
     L"{n} backup folders could not be read; what the mirror deletes there is not kept as a "
     L"version",
     L"バックアップの {n} 個のフォルダーを読めませんでした。そこでミラーが削除するものは以前の版"
     L"として残りません"},
    {kLookIncomplete,
     L"the folder or its backup could not be read to the end; what the mirror deletes or "
     L"replaces beyond that is not kept as a version",
     nullptr,
     L"フォルダーかバックアップを最後まで読めませんでした。そこから先でミラーが削除・上書きするもの"
     L"は以前の版として残りません"},
    {kOldVersionsDeleted, L"Old versions deleted to make room: {1} ({2})", nullptr,
     L"空きを作るため、古い版を削除しました: {1} ({2})"},
    {kNoRoom,
     L"The backup needs {1} more than {2} has free ({3}); some files will not fit: make room or "
     L"use a larger stick",
     nullptr,
     L"バックアップには {2} の空き ({3}) より {1} 多く必要です。入りきらないファイルがあります。"
     L"空きを作るか、大きな USB メモリーを使ってください"},
    {kNoStick,
     L"No USB stick: backed up to {1} on this PC's own disk, which does not protect against a "
     L"broken disk. {2}",
     nullptr,
     L"USB メモリがありません: この PC 自身のディスクの {1} にバックアップしました。ディスクが"
     L"壊れたときには役に立ちません。{2}"},
    {kLastStickBackup, L"Last backup to a stick: {1}, {n} day ago.",
     L"Last backup to a stick: {1}, {n} days ago.",
     L"最後に USB メモリにバックアップしたのは {1} ({n} 日前) です。"},
    {kNeverOnStick, L"Never backed up to a stick.", nullptr,
     L"USB メモリにバックアップしたことはまだありません。"},
    {kStickAfterLong, L"The last backup to a stick was {n} days ago ({1}).", nullptr,
     L"前回 USB メモリにバックアップしたのは {n} 日前 ({1}) です。"},
    {kOwnDiskFull,
     L"Not backed up: the copy needs {1}, and {2} has {3} free, of which at least {4} must stay "
     L"free for Windows and your programs. Plug in a USB stick and run Sollux again.",
     nullptr,
     L"バックアップしませんでした: コピーには {1} 必要ですが、{2} の空きは {3} で、そのうち {4} "
     L"以上は Windows とプログラムのために空けておく必要があります。USB メモリを差し込んでから、"
     L"もう一度 Sollux を実行してください。"},
    {kLastStickBackupToday, L"Last backup to a stick: {1}, today.", nullptr,
     L"最後に USB メモリにバックアップしたのは {1} (今日) です。"},
    {kNotEncrypted,
     L"This USB stick is not encrypted: whoever finds it can read every backed-up file. Ask IT "
     L"about BitLocker To Go.",
     nullptr,
     L"この USB メモリーは暗号化されていません。拾った人がバックアップしたファイルをすべて読め"
     L"ます。BitLocker To Go について IT 担当者に相談してください。"},
    {kSticksLine, L"USB sticks with this PC's backups, and their last backup: {1}", nullptr,
     L"この PC のバックアップがある USB メモリーと、最後のバックアップ: {1}"},
    {kStickLast, L"{1} ({2}): {3}", nullptr, L"{1} ({2}): {3}"},
    {kDaysAgo, L"{n} day ago", L"{n} days ago", L"{n} 日前"},
    {kVersionLine, L"Sollux {1}", nullptr, L"Sollux {1}"},
    {kUsage,
     L"Sollux {1} backs up PLUMA's folders and the Documents, Pictures, Music, Videos and Desktop "
     L"folders to the first USB stick (without one, to this PC's own disk).\n"
     L"  Sollux.exe              back up, with the pauses of a window that a person reads\n"
     L"  Sollux.exe /unattended  back up without any pause, for the Task Scheduler\n"
     L"  Sollux.exe /?           show this text\n"
     L"Exit codes: 0 all in the backup; 1 nothing backed up; 2 files not in the backup, or the "
     L"stick failing; 3 a folder changed much (its old files are kept as versions); 4 no USB "
     L"stick, the backup is on this PC's own disk.",
     nullptr,
     L"Sollux {1} は、PLUMA のフォルダーと、ドキュメント・ピクチャ・ミュージック・ビデオ・"
     L"デスクトップのフォルダーを、最初の USB メモリーにバックアップします (ないときはこの PC "
     L"自身のディスクに)。\n"
     L"  Sollux.exe              バックアップします (人が読むウィンドウの待ち時間あり)\n"
     L"  Sollux.exe /unattended  待ち時間なしでバックアップします (タスク スケジューラ用)\n"
     L"  Sollux.exe /?           この説明を表示します\n"
     L"終了コード: 0 すべてバックアップにある、1 何もバックアップしていない、2 バックアップにない"
     L"ファイルがあるか USB メモリーが壊れかけている、3 大きく変わったフォルダーがある (古い"
     L"ファイルは以前の版に残っている)、4 USB メモリーがなく、バックアップは PC 自身のディスクに"
     L"しかない。"},
    {kEndHeader, L"The backup, in short:", nullptr, L"バックアップのまとめ:"},
    {kVerdictGood, L"THE BACKUP IS GOOD: every file is in the backup. Nothing needs doing.",
     nullptr,
     L"バックアップは正常です。すべてのファイルがバックアップにあります。何もする必要は"
     L"ありません。"},
    {kVerdictNothing,
     L"NOTHING WAS BACKED UP. The reason is said above: put it right and run Sollux again.",
     nullptr,
     L"何もバックアップしていません。理由は上に表示しました。直してから、もう一度 Sollux を実行"
     L"してください。"},
    {kVerdictIncomplete,
     L"THE BACKUP IS NOT COMPLETE: what is missing, and why, is said above. Put it right and run "
     L"Sollux again.",
     nullptr,
     L"バックアップは完全ではありません。足りないものと理由は上に表示しました。直してから、もう"
     L"一度 Sollux を実行してください。"},
    {kVerdictLargeChange,
     L"The backup is complete, but a folder lost or changed much since the last backup (above): "
     L"if that was not meant, get its files back with Sollux-restore.",
     nullptr,
     L"バックアップは完全ですが、前回のバックアップから大きく変わったフォルダーがあります (上に"
     L"表示)。意図したものでなければ、Sollux-restore でファイルを戻してください。"},
    {kVerdictOwnDisk,
     L"The backup is only on this PC's own disk, which does not protect against a broken disk: "
     L"plug in the USB stick and run Sollux again.",
     nullptr,
     L"バックアップはこの PC 自身のディスクにしかなく、ディスクが壊れたときには役に立ちません。"
     L"USB メモリーを挿して、もう一度 Sollux を実行してください。"},
    {kCloseCountdown, L"Press any key to close this window (it closes by itself in {1}).", nullptr,
     L"何かキーを押すと、このウィンドウを閉じます (あと {1} で自動的に閉じます)。"},
    {kEventHead, L"Sollux {1} on {2}, backup to {3}", nullptr,
     L"Sollux {1} ({2}): {3} へのバックアップ"},
    {kReportTitle, L"Sollux backup check, {1}", nullptr, L"Sollux バックアップの確認 {1}"},
    {kReportComputer, L"Computer: {1}", nullptr, L"コンピューター: {1}"},
    {kReportBackup, L"Backup: {1}", nullptr, L"バックアップ先: {1}"},
    {kReportLateWrites,
     L"Files written to a folder after robocopy had passed them show as different.", nullptr,
     L"robocopy が通り過ぎた後にフォルダーに書き込まれたファイルは「違う」と表示されます。"},
    {kReportFolder, L"Folder: {1}", nullptr, L"フォルダー: {1}"},
    {kReportChecked, L"Checked: {1}, {2}", nullptr, L"確認したもの: {1}、{2}"},
    {kReportNote, L"Note: {1}", nullptr, L"注意: {1}"},
    {kReportNotRead, L"Not read:", nullptr, L"読めなかったフォルダー:"},
    {kReportNotChecked, L"Not checked (the batch file could not name them):", nullptr,
     L"確認していないフォルダー (バッチ ファイルに名前を書けませんでした):"},
    {kReportNotInBackupList, L"{n} file is NOT in the backup:", L"{n} files are NOT in the backup:",
     L"バックアップにないファイル {n} 個:"},
    {kReportMissingTag, L"missing    ", nullptr, L"ない    "},
    {kReportDifferentTag, L"different  ", nullptr, L"違う    "},
    {kReportMore, L"  ... and {1} more", nullptr, L"  ... ほか {1} 件"},
    {kReportBeforeCopying, L"Before the copying: {1}", nullptr, L"コピーの前: {1}"},
    {kReportKept, L"Kept as versions: {1} in {2}", nullptr, L"以前の版として残したもの: {1}、{2}"},
    {kReportLeftOut, L"Left out for their size: {1}", nullptr,
     L"大きすぎるためコピーしないもの: {1}"},
    {kReportOnlineOnly, L"Online only: {1}; {2} will be downloaded to this PC", nullptr,
     L"クラウドにしかないもの: {1}。{2} がこの PC にダウンロードされます"},
    {kReportClockShifts,
     L"Clock shifts: {1} an hour off on the stick, copied again, not kept as versions", nullptr,
     L"時刻のずれ: {1}は USB メモリーの上で 1 時間ずれているため、もう一度コピーします (以前の版"
     L"としては残しません)"},
    {kReportNotWritten, L"The check's report could not be written: {1}", nullptr,
     L"確認の報告を書き込めませんでした: {1}"},
    {kHistoryNotWritten, L"The backup history could not be written: {1}", nullptr,
     L"バックアップの履歴を書き込めませんでした: {1}"},
    {kFolderMissing, L"the folder is missing", nullptr, L"フォルダーがありません"},
    {kFolderUnreadable, L"the folder could not be read", nullptr, L"フォルダーを読めませんでした"},
    {kCopyMissing, L"its backup folder is missing", nullptr,
     L"バックアップのフォルダーがありません"},
    {kCopyUnreadable, L"its backup folder could not be read", nullptr,
     L"バックアップのフォルダーを読めませんでした"},
    {kCheckStopped, L"the check stopped before the end", nullptr, L"確認が途中で止まりました"},
    {kSubfoldersUnreadable, L"{n} subfolder could not be read", L"{n} subfolders could not be read",
     L"{n} 個のサブフォルダーを読めませんでした"},
    {kNotNamed, L"not checked; the batch file could not name it", nullptr,
     L"バッチ ファイルに名前を書けなかったため、確認していません"},
    {kNotInBackup, L"{n} file is NOT in the backup", L"{n} files are NOT in the backup",
     L"{n} 個のファイルがバックアップにありません"},
    {kNotInBackupInHistory, L"{n} file NOT in the backup", L"{n} files NOT in the backup",
     L"バックアップにないファイル {n} 個"},
    {kFoldersNotChecked, L"{n} folder was not checked completely",
     L"{n} folders were not checked completely",
     L"{n} 個のフォルダーを最後まで確認できませんでした"},
    {kFoldersNotCheckedInHistory, L"{n} folder not checked completely",
     L"{n} folders not checked completely", L"最後まで確認できなかったフォルダー {n} 個"},
    {kKeptInHistory, L"{n} file kept as versions", L"{n} files kept as versions",
     L"以前の版として残したファイル {n} 個"},
    {kSummaryAllIn, L"Backup checked: {1}, {2}, {3}, all in the backup.", nullptr,
     L"バックアップを確認しました: {1}、{2}、{3}。すべてバックアップにあります。"},
    {kSummaryAllInReadBack,
     L"Backup checked: {1}, {2}, {3}, all in the backup; {4} read back from the stick.", nullptr,
     L"バックアップを確認しました: {1}、{2}、{3}。すべてバックアップにあります。USB メモリーから "
     L"{4} を読み戻しました。"},
    {kSummaryNotAllIn, L"Backup checked: {1}, {2}, {3}", nullptr,
     L"バックアップを確認しました: {1}、{2}、{3}"},
    {kSummaryReadBack, L"{1} read back from the stick", nullptr,
     L"USB メモリーから {1} を読み戻しました"},
    {kSummaryAllInReadBackOwnDisk,
     L"Backup checked: {1}, {2}, {3}, all in the backup; {4} read back from the backup folder on "
     L"this PC.",
     nullptr,
     L"バックアップを確認しました: {1}、{2}、{3}。すべてバックアップにあります。この PC の"
     L"バックアップ フォルダーから {4} を読み戻しました。"},
    {kSummaryReadBackOwnDisk, L"{1} read back from the backup folder on this PC", nullptr,
     L"この PC のバックアップ フォルダーから {1} を読み戻しました"},
    {kHeldOpenBy, L"held open by {1}: close it and run Sollux again", nullptr,
     L"{1} が開いています。閉じてから、もう一度 Sollux を実行してください"},
    {kOwnDiskInHistory, L"no USB stick, on this PC's own disk", nullptr,
     L"USB メモリなし、この PC のディスクに保存"},
    {kReadingBack, L"Reading back from {1}: {2} of {3}, {4}/s", nullptr,
     L"{1} から読み戻しています: {3} のうち {2}、{4}/s"},
    {kReadBackMended, L"{n} file read back wrong from the stick and was copied again: {1}",
     L"{n} files read back wrong from the stick and were copied again: {1}",
     L"{n} 個のファイルが USB メモリーから正しく読み戻せなかったため、コピーし直しました: {1}"},
    {kReadBackDamaged, L"{n} file still reads back wrong from the stick: {1}",
     L"{n} files still read back wrong from the stick: {1}",
     L"{n} 個のファイルは USB メモリーから読み戻すと違ったままです: {1}"},
    {kReadBackUnreadable, L"{n} file could not be read back from the stick: {1}",
     L"{n} files could not be read back from the stick: {1}",
     L"{n} 個のファイルを USB メモリーから読み戻せませんでした: {1}"},
    {kReadBackStopped,
     L"The stick stopped answering while it was read back; the read back ended there.", nullptr,
     L"読み戻しの途中で USB メモリーが応答しなくなったため、読み戻しはそこで終わりました。"},
    {kStickFailing,
     L"The stick returned wrong bytes or could not read a file back: it may be failing or "
     L"smaller than it claims, and its backups cannot be trusted. Test it (for example with "
     L"H2testw) or replace it.",
     nullptr,
     L"USB メモリーが違うデータを返したか、ファイルを読み戻せませんでした。USB メモリーが壊れ"
     L"かけているか、表示より容量が小さいおそれがあり、そのバックアップは信頼できません。"
     L"(H2testw などで) USB メモリーを検査するか、取り替えてください。"},
    {kReportReadBack, L"Read back from the stick: {1}, {2}", nullptr,
     L"USB メモリーから読み戻したもの: {1}、{2}"},
    {kReportMended,
     L"Read back wrong and copied again (the wrong copy is kept in this run's versions folder, "
     L"below \"damaged copies\"):",
     nullptr,
     L"正しく読み戻せなかったため、コピーし直したもの (違っていたコピーは今回の以前の版の"
     L"フォルダーの「damaged copies」の下に残してあります):"},
    {kReportDamaged, L"Still read back wrong from the stick:", nullptr,
     L"USB メモリーから読み戻すと違ったままのもの:"},
    {kReportUnreadableOnStick, L"Could not be read back from the stick:", nullptr,
     L"USB メモリーから読み戻せなかったもの:"},
    {kReadBackInHistory, L"{1} read back", nullptr, L"読み戻し {1}"},
    {kDamagedInHistory, L"{n} file failed the read back", L"{n} files failed the read back",
     L"読み戻しで問題のあったファイル {n} 個"},
    {kSummarySee, L"see {1}", nullptr, L"詳しくは {1} を見てください"},
    {kPause, L"Press a key to close this window; it closes by itself in 100 seconds.", nullptr,
     L"何かキーを押すと、このウィンドウを閉じます。100 秒たつと自動で閉じます。"},
    {kRestoreNoBackup,
     L"No backup found: plug in the USB stick that holds the backup (its _Backup_ folder) and "
     L"start Sollux-restore again.",
     nullptr,
     L"バックアップが見つかりません。バックアップの入った USB メモリ (_Backup_ フォルダー) を差し"
     L"込んでから、もう一度 Sollux-restore を起動してください。"},
    {kRestoreWrongArgument,
     L"Not understood: {1}. Use: Sollux-restore.exe /find:<part of a name> [/at:<when> | /at:*] "
     L"[/to:<folder>], or Sollux-restore.exe /at:<when> /folder:<folder> (/to:<target> | /inplace "
     L"[/missing]); with [/computer:<name>] [/yes] [/list]",
     nullptr,
     L"引数がわかりません: {1}。使い方: Sollux-restore.exe /find:<名前の一部> [/at:<日時> | /at:*] "
     L"[/to:<フォルダー>]、または Sollux-restore.exe /at:<日時> /folder:<フォルダー> (/to:<戻す先> | "
     L"/inplace [/missing])。ほかに [/computer:<名前>] [/yes] [/list]"},
    {kRestoreNoSuchComputer, L"No backup of the computer {1} is on the stick or on this PC.",
     nullptr, L"コンピューター {1} のバックアップは、USB メモリにもこの PC にもありません。"},
    {kRestoreNoRecords,
     L"The backup of {1} in {2} has no record of its folders (an older Sollux made it): copy its "
     L"files from there by hand.",
     nullptr,
     L"{2} にある {1} のバックアップには、フォルダーの記録がありません (古い Sollux で作られまし"
     L"た)。そこからファイルを手でコピーしてください。"},
    {kRestoreRecordsUnreadable,
     L"The records of the backup of {1} in {2} cannot be read as Sollux wrote them (see above); "
     L"nothing was restored.",
     nullptr,
     L"{2} にある {1} のバックアップの記録は、Sollux が書いたとおりには読めません (上に表示)。何も"
     L"戻していません。"},
    {kRestoreNotExact,
     L"The backup of {1} can no longer be rebuilt exactly and is not offered: the record of the "
     L"backup of {2} is missing or damaged.",
     nullptr,
     L"{1} のバックアップは、{2} のバックアップの記録がないか壊れているため、正確に戻せなくなりま"
     L"した。選べません。"},
    {kRestoreFolderMissing,
     L"Not offered: the backup folder {1} is missing, cannot be read or holds a link, so what "
     L"its folder held cannot be told.",
     nullptr,
     L"選べません: バックアップのフォルダー {1} がないか、読めないか、リンクを含むため、元のフォル"
     L"ダーの中身がわかりません。"},
    {kRecordLineSkipped, L"A line that Sollux did not write, skipped: {1}", nullptr,
     L"Sollux が書いた形ではない行のため、読み飛ばしました: {1}"},
    {kRestoreSwitchTwice, L"{1} is given twice; give it once.", nullptr,
     L"{1} が 2 回指定されています。1 回だけ指定してください。"},
    {kRestoreNoSuchBackup, L"No backup was made at or before {1}.", nullptr,
     L"{1} 以前のバックアップはありません。"},
    {kRestoreNoSuchFolder, L"The backup of {1} holds no folder {2}.", nullptr,
     L"{1} のバックアップに、フォルダー {2} はありません。"},
    {kRestoreTargetInBackup, L"Files are not restored into the backup itself: {1}", nullptr,
     L"バックアップの中へは戻しません: {1}"},
    {kRestoreTargetOnStick, L"Files are not restored onto the drive that holds the backup: {1}",
     nullptr, L"バックアップのあるドライブへは戻しません: {1}"},
    {kRestoreAskWhat,
     L"What do you want back? 1: a file (type part of its name); 2: a whole folder as it was. "
     L"Type a number and press Enter (Enter alone: 1):",
     nullptr,
     L"何を戻しますか? 1: ファイル (名前の一部を入力します)、2: フォルダー全体 (その時点のまま)。"
     L"番号を入力して Enter キーを押してください (Enter キーだけなら 1):"},
    {kRestoreAskName,
     L"Type part of the file's name (* and ? stand for any characters) and press Enter (0: back):",
     nullptr,
     L"ファイルの名前の一部を入力して Enter キーを押してください (* と ? はどんな文字にも合います。"
     L"0: 前の質問へ):"},
    {kRestoreEveryName, L"* alone stands for every file: type part of a name.", nullptr,
     L"* だけではすべてのファイルになります。名前の一部を入力してください。"},
    {kRestoreNoMatch, L"No file in the backups of {1} has a name with \"{2}\".", nullptr,
     L"{1} のバックアップに、名前に「{2}」を含むファイルはありません。"},
    {kRestoreMatches, L"{n} file whose name matches, newest first:",
     L"{n} files whose names match, newest first:", L"名前が合うファイル ({n} 個、新しい順):"},
    {kRestoreMoreMatches, L"{n} more: type more of the name.", nullptr,
     L"ほかに {n} 個あります。名前をもっと入力してください。"},
    {kRestoreFoundVersion, L"{1}, last changed {2}; in the backups of {3}", nullptr,
     L"{1}、最終更新 {2}。{3} のバックアップにあります"},
    {kRestoreDeletedFromPc, L"deleted from the PC", nullptr, L"PC からは削除されています"},
    {kRestoreAskFile, L"Which file? Type a number and press Enter (0: back):", nullptr,
     L"どのファイルを戻しますか? 番号を入力して Enter キーを押してください (0: 前の質問へ):"},
    {kRestoreVersions, L"Versions of {1}, newest first:", nullptr, L"{1} の版 (新しい順):"},
    {kRestoreAskVersion,
     L"Which version? Type a number, or * for every version, and press Enter (Enter alone: 1, "
     L"the newest, of {1}; 0: back):",
     nullptr,
     L"どの版を戻しますか? 番号 (すべての版なら *) を入力して Enter キーを押してください (Enter "
     L"キーだけなら 1、最新の {1} の版。0: 前の質問へ):"},
    {kRestoreFindNotOne,
     L"{n} file matches \"{1}\"; give more of its name to get one back.",
     L"{n} files match \"{1}\"; give more of the name to get one back.",
     L"「{1}」に合うファイルが {n} 個あります。戻すには名前をもっと指定してください。"},
    {kRestoreNoVersionAt, L"The backup of {1} holds no version of {2}.", nullptr,
     L"{1} のバックアップに、{2} の版はありません。"},
    {kRestorePlanVersion, L"{1} as it was at the backup of {2} ({3}) goes to: {4}", nullptr,
     L"{2} のバックアップの時点の {1} ({3}) を、次の場所に戻します: {4}"},
    {kRestoreMoreAside, L"  ... and {1} more, all of them moved into \"{2}\"", nullptr,
     L"  ... ほかに {1} 個、すべて「{2}」へ移します"},
    {kRestoreMissingOnly,
     L"{n} file is there and is left as it is: only the files that are no longer there come back",
     L"{n} files are there and are left as they are: only the files that are no longer there "
     L"come back",
     L"{n} 個のファイルはそこにあるため、そのままにします (なくなったファイルだけを戻します)"},
    {kRestoreOpenFolder, L"Open {1} in the Explorer? Type Y or N and press Enter:", nullptr,
     L"{1} をエクスプローラーで開きますか? Y か N を入力して Enter キーを押してください:"},
    {kAskNumber, L"Type a number from 1 to {1} and press Enter.", nullptr,
     L"1 から {1} の番号を入力して Enter キーを押してください。"},
    {kAskNumberOrAll, L"Type a number from 1 to {1}, or * for all, and press Enter.", nullptr,
     L"1 から {1} の番号か、すべてなら * を入力して Enter キーを押してください。"},
    {kAskYesNo, L"Type Y (yes) or N (no) and press Enter.", nullptr,
     L"Y (はい) か N (いいえ) を入力して Enter キーを押してください。"},
    {kRestoreComputers, L"Backups of these computers were found:", nullptr,
     L"次のコンピューターのバックアップが見つかりました:"},
    {kRestoreAskComputer, L"Whose files? Type a number and press Enter (Enter alone: 1):", nullptr,
     L"どのコンピューターのファイルを戻しますか? 番号を入力して Enter キーを押してください (Enter "
     L"キーだけなら 1):"},
    {kRestoreBackups, L"Backups of {1}, newest first:", nullptr,
     L"{1} のバックアップ (新しい順):"},
    {kRestoreAskBackup,
     L"As at which backup? Type a number and press Enter (Enter alone: 1, the newest, of {1}; 0: "
     L"back):",
     nullptr,
     L"どのバックアップの時点に戻しますか? 番号を入力して Enter キーを押してください (Enter キー"
     L"だけなら 1、最新の {1}。0: 前の質問へ):"},
    {kRestoreFolders, L"Folders in the backup of {1}:", nullptr,
     L"{1} のバックアップにあるフォルダー:"},
    {kRestoreAskFolder,
     L"Which folder? Type a number, or * for all, and press Enter (Enter alone: 1, {1}; 0: back):",
     nullptr,
     L"どのフォルダーを戻しますか? 番号 (すべてなら *) を入力して Enter キーを押してください "
     L"(Enter キーだけなら 1、{1}。0: 前の質問へ):"},
    {kRestoreAskWhere,
     L"Where to? 1: a new folder, {1} (Enter alone); 2: back to the original places, where files "
     L"that differ are first moved aside and nothing is deleted; 3: back to the original places, "
     L"only the files that are no longer there (0: back):",
     nullptr,
     L"どこへ戻しますか? 1: 新しいフォルダー {1} (Enter キーだけなら 1)、2: 元の場所 (そこにある"
     L"違うファイルは先に別のフォルダーへ移し、何も削除しません)、3: 元の場所に、なくなったファイル"
     L"だけ (0: 前の質問へ):"},
    {kRestorePlan, L"{1}: {2} ({3}) as they were at the backup of {4} go to: {5}", nullptr,
     L"{1}: {4} のバックアップの時点の {2} ({3}) を、次の場所に戻します: {5}"},
    {kRestoreAside, L"{n} file there differs and is first moved aside into \"{1}\"",
     L"{n} files there differ and are first moved aside into \"{1}\"",
     L"そこにある {n} 個のファイルは内容が違うため、先に「{1}」へ移します"},
    {kRestoreEqual, L"{n} file there is the same already and is left alone",
     L"{n} files there are the same already and are left alone",
     L"{n} 個のファイルはすでに同じなので、そのままにします"},
    {kRestoreAskGo, L"Start? Type Y and press Enter (N: cancel; 0: back):", nullptr,
     L"始めますか? Y を入力して Enter キーを押してください (N: 取り消し、0: 前の質問へ):"},
    {kRestoreCancelled, L"Cancelled: nothing was restored.", nullptr,
     L"取り消しました。何も戻していません。"},
    {kRestoreProgress, L"Restoring: {1} of {2} files, {3} of {4}", nullptr,
     L"戻しています: {2} 個中 {1} 個のファイル、{4} 中 {3}"},
    {kRestoreNotRestored, L"Not restored ({1}): {2}", nullptr, L"戻せませんでした ({1}): {2}"},
    {kRestoreCopyFailed, L"the copy failed, error {1}", nullptr, L"コピーに失敗、エラー {1}"},
    {kRestoreReadBackWrong, L"the copy read back wrong", nullptr,
     L"コピーを読み直すと内容が違いました"},
    {kRestoreNotMovedAside, L"the file there could not be moved aside, error {1}", nullptr,
     L"そこにあるファイルを移せませんでした、エラー {1}"},
    {kRestoreNameNotWritable, L"its name cannot be written on Windows", nullptr,
     L"Windows では書けない名前です"},
    {kRestoreNoBackupFolder, L"its backup folder is missing or cannot be read", nullptr,
     L"バックアップのフォルダーがないか、読めません"},
    {kRestoreMoreNotRestored, L"... and {n} more file not restored",
     L"... and {n} more files not restored", L"... ほかに {n} 個のファイルを戻せませんでした"},
    {kRestoreStickGone, L"The stick stopped answering, so the restore stopped.", nullptr,
     L"USB メモリが応答しなくなったため、戻すのを止めました。"},
    {kRestoreSummary, L"Restored {1} ({2}) to {3}; every copy was read back and is equal.",
     nullptr,
     L"{1} ({2}) を {3} に戻しました。すべてのコピーを読み直し、同じであることを確かめました。"},
    {kRestoreSummaryNotAll, L"Restored {1} ({2}) to {3}; {4} not restored, named above.", nullptr,
     L"{1} ({2}) を {3} に戻しました。{4} は戻せませんでした (上に表示)。"},
    {kWeekdayNames, L"Sun Mon Tue Wed Thu Fri Sat", nullptr,
     L"\u65E5 \u6708 \u706B \u6C34 \u6728 \u91D1 \u571F"},
    {kMonthNames, L"Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec", nullptr,
     L"1 2 3 4 5 6 7 8 9 10 11 12"},
    {kSpokenDay, L"{1} {2} {3}", nullptr, L"{3}月{2}日 ({1})"},
    {kSpokenDayOfYear, L"{1} {2} {3} {4}", nullptr, L"{4}年{3}月{2}日 ({1})"},
    {kToday, L"today", nullptr, L"今日"},
    {kYesterday, L"yesterday", nullptr, L"昨日"},
    {kShortDay, L"{1} {2}", nullptr, L"{2}月{1}日"},
    {kVersionFileName, L"{1} (version of {2})", nullptr, L"{1} ({2}の版)"},
    {kHeldFromTo, L"{1} to {2}", nullptr, L"{1} から {2} まで"},
    {kFileCount, L"{n} file", L"{n} files", L"{n} 個のファイル"},
    {kFolderCount, L"{n} folder", L"{n} folders", L"{n} 個のフォルダー"},
    {kDateTime, L"%Y-%m-%d %H:%M:%S", nullptr, L"%Y/%m/%d %H:%M:%S"},
};
static_assert(std::size(kTable) == kTextCount, "one row for each text");

constexpr uint16_t kJapanesePrimaryLanguage = 0x11;  // LANG_JAPANESE

struct LanguageChoice {
  bool decided = false;
  Language language = Language::kEnglish;
};

LanguageChoice& Choice() {
  static LanguageChoice choice;
  return choice;
}

void Replace(WString* text, const WString& blank, const WString& value) {
  for (size_t at = text->find(blank); at != WString::npos; at = text->find(blank, at)) {
    text->replace(at, blank.size(), value);
    at += value.size();
  }
}

WString Filled(WString text, const WStringList& args) {
  for (size_t i = 0; i < args.size(); ++i) {
    Replace(&text, L"{" + std::to_wstring(i + 1) + L"}", args[i]);
  }
  return text;
}

}  // namespace

const TextForms* TextTable() { return kTable; }

Language UiLanguage() {
  LanguageChoice& choice = Choice();
  if (!choice.decided) {
    const uint16_t primary = Sys().GetUserDefaultUILanguage() & 0x3FF;
    choice.language =
        primary == kJapanesePrimaryLanguage ? Language::kJapanese : Language::kEnglish;
    choice.decided = true;
  }
  return choice.language;
}

void ForgetUiLanguage() { Choice().decided = false; }

WString Say(Text id, const WStringList& args) {
  const TextForms& forms = kTable[static_cast<size_t>(id)];
  return Filled(UiLanguage() == Language::kJapanese ? forms.japanese : forms.english, args);
}

WString SayCounted(Text id, uint64_t count, const WStringList& args) {
  const TextForms& forms = kTable[static_cast<size_t>(id)];
  const wchar_t* form = forms.japanese;
  if (UiLanguage() == Language::kEnglish) {
    form = count == 1 || forms.english_many == nullptr ? forms.english : forms.english_many;
  }
  WString text = Filled(form, args);
  Replace(&text, L"{n}", CountText(count));
  return text;
}

WString CountText(uint64_t value) {
  const WString digits = NumberText64(value);
  WString text;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i != 0 && (digits.size() - i) % 3 == 0) text += L',';
    text += digits[i];
  }
  return text;
}

// Tenths of the unit, rounded; a size that would show as 1024.0 of one unit shows in the next.
WString SizeText(uint64_t bytes) {
  static constexpr const wchar_t* kUnits[] = {L"KB", L"MB", L"GB", L"TB"};
  if (bytes < 1024) return CountText(bytes) + L" B";
  using Wide = unsigned __int128;  // ten times 2^64 - 1 must fit
  Wide unit = 1024;
  for (size_t u = 0;; ++u, unit *= 1024) {
    const auto tenths = static_cast<uint64_t>((Wide{bytes} * 10 + unit / 2) / unit);
    if (tenths < 10240 || u + 1 == std::size(kUnits)) {
      return CountText(tenths / 10) + L"." + NumberText64(tenths % 10) + L" " + kUnits[u];
    }
  }
}

WString FileCountText(uint64_t count) { return SayCounted(kFileCount, count); }

WString DateTimeText(int64_t time) { return FormatTime(time, Say(kDateTime).c_str()); }

}  // namespace sollux
