#include "mirror/backup_report.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <ctime>
#include <string>

#include "base/system_api.h"
#include "store/record_file.h"

namespace sollux {
namespace {

constexpr int64_t kRunTime = 1715968923;  // 2024-05-17 18:02:03 UTC
constexpr uint64_t kGiB = uint64_t{1} << 30;

// Local time is UTC, whatever the zone of the machine that runs the test.
class UtcClock : public RealSystemApi {
 public:
  bool LocalTime(int64_t time, struct tm* fields) override {
    const __time64_t t = time;
    return _gmtime64_s(fields, &t) == 0;
  }
  LANGID GetUserDefaultUILanguage() override { return ui_language; }

  LANGID ui_language = 0x0409;  // en-US
};

FolderCheck Folder(const WString& source, uint64_t files, uint64_t bytes, uint64_t missing) {
  FolderCheck folder;
  folder.source = source;
  folder.destination = L"E:\\_Backup_\\PC01\\C" + source.substr(2);
  folder.files_checked = files;
  folder.bytes_checked = bytes;
  folder.files_not_in_backup = missing;
  return folder;
}

TEST(BackupReportTest, ReportIsUtf8WithByteOrderMarkAndCrLf) {
  RunCheck run = {kRunTime, L"PC01", L"E:\\_Backup_\\PC01", {}, {L"C:\\Users\\anna\\\x0416\xD800"},
                  {},       0};
  run.folders.push_back(Folder(L"C:\\Users\\anna\\Documents", 1234, 1536, 0));
  FolderCheck photos = Folder(L"C:\\Users\\anna\\\x5199\x771F", 2, 3 * kGiB, 52);
  photos.mismatches = {{L"\x65E5\x672C.jpg", FileProblem::kMissing},
                       {L"sub\\\xD83D\xDCBE.png", FileProblem::kDifferent}};
  photos.unreadable_folder_count = 1;
  photos.unreadable_folders = {L"C:\\Users\\anna\\\x5199\x771F\\locked"};
  photos.finished = false;
  run.folders.push_back(photos);
  UtcClock clock;
  const ScopedSystemApi scoped(clock);
  EXPECT_EQ(
      "\xEF\xBB\xBF"
      "Sollux backup check, 2024-05-17 18:02:03\r\n"
      "Computer: PC01\r\n"
      "Backup: E:\\_Backup_\\PC01\r\n"
      "Files written to a folder after robocopy had passed them show as different.\r\n"
      "\r\n"
      "Folder: C:\\Users\\anna\\Documents\r\n"
      "Backup: E:\\_Backup_\\PC01\\C\\Users\\anna\\Documents\r\n"
      "Checked: 1,234 files, 1.5 KB\r\n"
      "\r\n"
      "Folder: C:\\Users\\anna\\\xE5\x86\x99\xE7\x9C\x9F\r\n"
      "Backup: E:\\_Backup_\\PC01\\C\\Users\\anna\\\xE5\x86\x99\xE7\x9C\x9F\r\n"
      "Checked: 2 files, 3.0 GB\r\n"
      "Note: the check stopped before the end\r\n"
      "Note: 1 subfolder could not be read\r\n"
      "52 files are NOT in the backup:\r\n"
      "  missing    \xE6\x97\xA5\xE6\x9C\xAC.jpg\r\n"
      "  different  sub\\\xF0\x9F\x92\xBE.png\r\n"
      "  ... and 50 more\r\n"
      "Not read:\r\n"
      "  C:\\Users\\anna\\\xE5\x86\x99\xE7\x9C\x9F\\locked\r\n"
      "\r\n"
      "Not checked (the batch file could not name them):\r\n"
      "  C:\\Users\\anna\\\xD0\x96\xEF\xBF\xBD\r\n",  // a lone surrogate as U+FFFD
      Utf8FileBytes(ReportText(run)));
}

TEST(BackupReportTest, HistoryLineCountsTheRun) {
  const RunCheck run = {
      kRunTime, L"PC01", L"E:\\_Backup_\\PC01", {Folder(L"C:\\Data", 12345, 5 * kGiB, 3)}, {},
      {},       0};
  UtcClock clock;
  const ScopedSystemApi scoped(clock);
  EXPECT_EQ(L"2024-05-17 18:02:03; 1 folder; 12,345 files; 5.0 GB; 3 files NOT in the backup",
            HistoryLine(run));
}

TEST(BackupReportTest, NumberTexts) {
  const struct {
    uint64_t value;
    const wchar_t* count;
    const wchar_t* size;
  } cases[] = {
      {0, L"0", L"0 B"},
      {999, L"999", L"999 B"},
      {1023, L"1,023", L"1,023 B"},
      {1024, L"1,024", L"1.0 KB"},
      {1536, L"1,536", L"1.5 KB"},
      {1048524, L"1,048,524", L"1,023.9 KB"},
      {1048525, L"1,048,525", L"1.0 MB"},  // would be 1024.0 KB
      {41016937267, L"41,016,937,267", L"38.2 GB"},
      {5000 * (kGiB << 10), L"5,497,558,138,880,000", L"5,000.0 TB"},
      {UINT64_MAX, L"18,446,744,073,709,551,615", L"16,777,216.0 TB"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    EXPECT_EQ(c.count, CountText(c.value));
    EXPECT_EQ(c.size, SizeText(c.value));
  }
}

TEST(BackupReportTest, SummaryLines) {
  RunCheck all_in = {kRunTime, L"PC01", L"E:\\_Backup_\\PC01", {}, {}, {}, 0};
  for (int i = 0; i < 14; ++i) {
    all_in.folders.push_back(Folder(L"C:\\F" + std::to_wstring(i), i == 0 ? 12332 : 1,
                                    i == 0 ? 41016937267 - 13 : 1, 0));
  }
  RunCheck some_missing = all_in;
  some_missing.folders[3].files_not_in_backup = 126;
  some_missing.folders[5].files_not_in_backup = 1;
  some_missing.folders[5].destination_state = TreeState::kMissing;
  some_missing.folders[7].unreadable_folder_count = 2;
  RunCheck empty_folder = all_in;  // nothing to copy, and no copy
  empty_folder.folders.push_back(Folder(L"C:\\Empty", 0, 0, 0));
  empty_folder.folders.back().destination_state = TreeState::kMissing;
  RunCheck incomplete = all_in;
  incomplete.folders[2].destination_state = TreeState::kUnreadable;
  incomplete.not_checked = {L"C:\\Caf\u00E9"};
  const WString report = L"E:\\_Backup_\\PC01\\Sollux-report.txt";
  const struct {
    const char* name;
    RunCheck run;
    WStringList lines;
    const wchar_t* history;  // after the date and time
    LANGID ui = 0x0409;
    const wchar_t* title = L"Sollux backup check, 2024-05-17 18:02:03\r\n";
  } cases[] = {
      {"all in",
       all_in,
       {L"Backup checked: 14 folders, 12,345 files, 38.2 GB, all in the backup."},
       L"14 folders; 12,345 files; 38.2 GB; 0 files NOT in the backup"},
      {"empty folder without a copy",
       empty_folder,
       {L"Backup checked: 15 folders, 12,345 files, 38.2 GB, all in the backup."},
       L"15 folders; 12,345 files; 38.2 GB; 0 files NOT in the backup"},
      {"some missing",
       some_missing,
       {L"C:\\F3: 126 files are NOT in the backup",
        L"C:\\F5: 1 file is NOT in the backup; its backup folder is missing",
        L"C:\\F7: 2 subfolders could not be read",
        L"Backup checked: 14 folders, 12,345 files, 38.2 GB; 127 files are NOT in the backup; "
        L"1 folder was not checked completely; see E:\\_Backup_\\PC01\\Sollux-report.txt"},
       L"14 folders; 12,345 files; 38.2 GB; 127 files NOT in the backup; 1 folder not checked "
       L"completely"},
      {"none missing, not all read",
       incomplete,
       {L"C:\\F2: its backup folder could not be read",
        L"C:\\Caf\u00E9: not checked; the batch file could not name it",
        L"Backup checked: 14 folders, 12,345 files, 38.2 GB; 2 folders were not checked "
        L"completely; see E:\\_Backup_\\PC01\\Sollux-report.txt"},
       L"14 folders; 12,345 files; 38.2 GB; 0 files NOT in the backup; 2 folders not checked "
       L"completely"},
      {"all in, Japanese",
       all_in,
       {L"バックアップを確認しました: 14 個のフォルダー、12,345 個のファイル、38.2 GB。すべてバック"
        L"アップにあります。"},
       L"14 個のフォルダー; 12,345 個のファイル; 38.2 GB; バックアップにないファイル 0 個",
       0x0411,
       L"Sollux バックアップの確認 2024/05/17 18:02:03\r\n"},
      {"some missing, Japanese",
       some_missing,
       {L"C:\\F3: 126 個のファイルがバックアップにありません",
        L"C:\\F5: 1 個のファイルがバックアップにありません; バックアップのフォルダーがありません",
        L"C:\\F7: 2 個のサブフォルダーを読めませんでした",
        L"バックアップを確認しました: 14 個のフォルダー、12,345 個のファイル、38.2 GB; 127 個の"
        L"ファイルがバックアップにありません; 1 個のフォルダーを最後まで確認できませんでした; "
        L"詳しく"
        L"は E:\\_Backup_\\PC01\\Sollux-report.txt を見てください"},
       L"14 個のフォルダー; 12,345 個のファイル; 38.2 GB; バックアップにないファイル 127 個; 最後"
       L"まで確認できなかったフォルダー 1 個",
       0x0411,
       L"Sollux バックアップの確認 2024/05/17 18:02:03\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    UtcClock clock;
    clock.ui_language = c.ui;
    const ScopedSystemApi scoped(clock);
    ForgetUiLanguage();
    EXPECT_EQ(c.lines, SummaryLines(c.run, report));
    EXPECT_EQ(c.lines.size() == 1, AllInBackup(c.run));
    EXPECT_EQ(c.history, HistoryLine(c.run).substr(21));
    EXPECT_TRUE(ReportText(c.run).starts_with(c.title)) << ReportText(c.run);
  }
  ForgetUiLanguage();
}

}  // namespace
}  // namespace sollux
