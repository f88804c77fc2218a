// Sollux.exe and Sollux-restore.exe together, with the stick as E: (backup_e2e_test.sh): four
// backups with changes between them, then each backup restored and compared with what the
// folder held when it was made.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>

#include "app/registry.h"
#include "base/environment.h"
#include "base/path.h"
#include "base/text_file.h"
#include "base/win.h"
#include "restore/spoken_date.h"
#include "script/path_rewrite.h"
#include "store/record_file.h"
#include "store/run_name.h"
#include "test/batch_runner.h"
#include "test/child_process.h"
#include "test/scoped_environment.h"
#include "test/temp_dir.h"

namespace sollux {
namespace {

using test::ScopedEnvironmentVariable;
using Files = std::map<std::wstring, std::string>;

constexpr wchar_t kBackup[] = L"E:\\_Backup_";

void Stage(const std::wstring& folder, const Files& files) {
  for (const auto& [name, bytes] : test::FilesBelow(folder)) {
    if (!files.contains(name)) ::DeleteFileW((L"\\\\?\\" + folder + L"\\" + name).c_str());
  }
  for (const auto& [name, bytes] : files) {
    const std::wstring path = L"\\\\?\\" + folder + L"\\" + name;
    ::RemoveDirectoryW(path.c_str());  // a folder where a file comes, emptied above
    test::MakeFolders(DirectoryPart(path));
    if (!test::FilesBelow(folder).contains(name) || test::ReadFileBytes(path) != bytes) {
      test::WriteFileBytes(path, bytes);
    }
  }
}

// The last `count` lines of the run list.
std::vector<std::wstring> LastRuns(size_t count) {
  WStringList runs;
  ReadRecordLines(std::wstring(kBackup) + L"\\" + MachineName() +
                      L"\\Sollux-versions\\Sollux-runs.txt",
                  &runs);
  return std::vector<std::wstring>(runs.end() - count, runs.end());
}

class RestoreRun : public ::testing::Test {
 protected:
  RestoreRun()
      : path_(L"PATH", runner_.bin_folder() + L";" + EnvironmentValue(L"PATH")),
        log_(L"SOLLUX_STANDIN_LOG", runner_.log_path()),
        tmp_(L"TMP", temp_.path()),
        mirror_(L"SOLLUX_STANDIN_MIRROR", L"1") {
    // A folder beyond 260 characters, with a Japanese name.
    UseSource(data_ / (L"\u65E5\u672C\u8A9E " + std::wstring(120, L'x') + L"\\" +
                       std::wstring(150, L'y')));
  }
  ~RestoreRun() override { ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Morvaine"); }

  // The folder that PLUMA names, and so is backed up.
  void UseSource(const std::wstring& source) {
    source_ = source;
    test::MakeFolders(L"\\\\?\\" + source_);
    const RegistrySetting& pluma = kPlumaSettings[0];
    HKEY key = nullptr;
    ::RegCreateKeyExW(HKEY_CURRENT_USER, pluma.key_path, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                      &key, nullptr);
    ::RegSetValueExW(key, pluma.value_name, 0, REG_SZ,
                     reinterpret_cast<const BYTE*>(source_.c_str()),
                     static_cast<DWORD>((source_.size() + 1) * sizeof(wchar_t)));
    ::RegCloseKey(key);
  }

  test::ChildOutput RunBackup() {
    test::ChildOutput run;
    for (int attempt = 0; attempt < 3; ++attempt) {
      run = test::RunChild(test::SolluxProgram(), {});
      if (!test::StandInFailedToStart(FromShiftJis(run.out)) &&
          !test::StandInFailedToStart(FromShiftJis(run.err))) {
        break;
      }
    }
    return run;
  }
  unsigned long Backup() { return RunBackup().exit_code; }
  // The source's place below the computer's backup folder: C\...
  std::wstring Place() const { return source_.substr(0, 1) + source_.substr(2); }

  test::BatchRunner runner_;
  ScopedEnvironmentVariable path_;
  ScopedEnvironmentVariable log_;
  test::ScopedTempDir temp_;
  ScopedEnvironmentVariable tmp_;
  ScopedEnvironmentVariable mirror_;
  test::ScopedTempDir data_;
  std::wstring source_;
};

// Changed, deleted, added, deleted and added again, added then deleted, a folder replaced by a
// file of the same name and back: each backup comes back byte for byte, with nothing extra, and
// the stick is not touched. Back in place, what the folder holds now is moved aside, not lost.
TEST_F(RestoreRun, WithStickGivesEveryBackupBack) {
  const std::vector<Files> states = {
      {{L"plan.xlsx", "plan 1"}, {L"gone.txt", "gone"}, {L"sub\\a.txt", "a"},
       {L"\u00C5ngstr\u00F6m.txt", "outside code page 932"}},
      {{L"plan.xlsx", "plan 2, longer"}, {L"new.txt", "new"}, {L"sub\\a.txt", "a"}},
      {{L"plan.xlsx", "plan 2, longer"}, {L"gone.txt", "back again"}, {L"sub", "now a file"}},
      {{L"plan.xlsx", "plan 3, longest of all"}, {L"sub\\a.txt", "a folder again"}},
  };
  for (const Files& state : states) {
    Stage(source_, state);
    ASSERT_EQ(0u, Backup());
  }
  const std::vector<std::wstring> runs = LastRuns(states.size());
  const Files stick = test::FilesBelow(kBackup);

  test::ScopedTempDir target;
  for (size_t k = 0; k < states.size(); ++k) {
    SCOPED_TRACE(runs[k]);
    const std::wstring to = target / std::to_wstring(k);
    const auto restore = test::RunChild(
        test::RestoreProgram(), {L"/at:" + runs[k], L"/folder:" + source_ + L"\\", L"/to:" + to,
                                 L"/computer:" + MachineName(), L"/yes"});
    EXPECT_EQ(0u, restore.exit_code) << restore.out << restore.err;
    EXPECT_EQ(states[k], test::FilesBelow(to + L"\\" + Place()));
  }
  EXPECT_EQ(stick, test::FilesBelow(kBackup));

  // Asked and not answered: nothing happens.
  Stage(source_, {{L"plan.xlsx", "plan 4"}, {L"sub\\a.txt", "a folder again"}, {L"mine", "m"}});
  const Files before = test::FilesBelow(source_);
  const auto asked =
      test::RunChild(test::RestoreProgram(), {L"/at:" + runs[0], L"/folder:*", L"/inplace"});
  EXPECT_EQ(1u, asked.exit_code);
  EXPECT_NE(std::string::npos, asked.err.find("Cancelled: nothing was restored.")) << asked.err;
  EXPECT_EQ(before, test::FilesBelow(source_));

  const auto in_place = test::RunChild(
      test::RestoreProgram(), {L"/at:" + runs[0], L"/folder:" + source_, L"/inplace", L"/yes"});
  EXPECT_EQ(0u, in_place.exit_code) << in_place.out << in_place.err;
  Files expected = states[0];
  expected[L"mine"] = "m";
  for (const auto& [name, bytes] : before) {
    if (states[0].contains(name) && states[0].at(name) == bytes) continue;
    if (!states[0].contains(name)) continue;
    expected[L"Sollux replaced *\\" + name] = bytes;
  }
  Files found;
  for (const auto& [name, bytes] : test::FilesBelow(source_)) {
    const bool aside = name.starts_with(L"Sollux replaced ");
    found[aside ? L"Sollux replaced *" + name.substr(name.find(L'\\')) : name] = bytes;
  }
  EXPECT_EQ(expected, found);
  EXPECT_NE(std::string::npos, in_place.out.find("2 files there differ and are first moved aside"))
      << in_place.out;
  EXPECT_EQ(stick, test::FilesBelow(kBackup));

  const auto into_backup = test::RunChild(
      test::RestoreProgram(), {L"/folder:*", L"/to:" + std::wstring(kBackup) + L"\\x", L"/yes"});
  EXPECT_EQ(1u, into_backup.exit_code);
  EXPECT_NE(std::string::npos,
            into_backup.err.find("not restored onto the drive that holds the backup"))
      << into_backup.err;

  // A lost list of added files: the backups before its run are named and not offered.
  const std::wstring added = std::wstring(kBackup) + L"\\" + MachineName() +
                             L"\\Sollux-versions\\" + runs[1] + L"\\Sollux-added.txt";
  ASSERT_TRUE(::MoveFileW(added.c_str(), (target / L"added").c_str()));
  const auto lost = test::RunChild(test::RestoreProgram(),
                                   {L"/at:" + runs[0], L"/folder:*", L"/to:" + target.path(), L"/yes"});
  ::MoveFileW((target / L"added").c_str(), added.c_str());
  EXPECT_EQ(1u, lost.exit_code);
  EXPECT_NE(std::string::npos,
            lost.out.find(test::Narrow(L"The backup of " + runs[0] +
                                       L" can no longer be rebuilt exactly and is not offered: "
                                       L"the record of the backup of " + runs[1])))
      << lost.out;
}

// One file found by a part of its name in four backups (changed, deleted, made again), and one
// of its versions brought back beside the original, nothing else in the folder changed; only
// what is missing comes back in place; the preview alone writes nothing.
TEST_F(RestoreRun, WithStickFindsOneFileAndGivesAVersionBack) {
  UseSource(data_ / L"Office");
  const std::wstring quote = L"\u898B\u7A4D\u66F8 Q7.xlsx";  // 見積書
  const std::wstring sales = L"\u58F2\u4E0A\u96C6\u8A08 Q7.xlsx";  // 売上集計
  const std::wstring oil = L"\u00D6l Q8.txt";  // outside code page 932
  const std::vector<Files> states = {
      {{quote, "quote 1"}, {sales, "sales 1"}, {L"drawings\\a.dwg", "a"}, {oil, "oil"}},
      {{quote, "quote 2, longer"}, {sales, "sales 1"}, {L"drawings\\a.dwg", "a"}, {oil, "oil"}},
      {{sales, "sales 2, longer"}, {L"drawings\\a.dwg", "a"}, {oil, "oil"}},
      {{quote, "quote 4, the longest"}, {sales, "sales 2, longer"}, {L"drawings\\a.dwg", "a"},
       {oil, "oil"}},
  };
  for (const Files& state : states) {
    Stage(source_, state);
    ASSERT_EQ(0u, Backup());
  }
  const std::vector<std::wstring> runs = LastRuns(states.size());
  const Files stick = test::FilesBelow(kBackup);
  const auto restore = [](const std::vector<std::wstring>& arguments, const std::string& input = "") {
    test::ChildSetup setup;
    setup.error_into_output = true;
    setup.input = input;
    std::wstring command_line = test::QuoteArgument(test::RestoreProgram());
    for (const std::wstring& argument : arguments) command_line += L" " + test::QuoteArgument(argument);
    const test::ChildOutput run =
        test::RunChildCommandLine(test::RestoreProgram(), command_line, setup);
    return std::pair{run.exit_code, FromShiftJis(run.out)};
  };
  // Listed: the three versions of the quote, newest first, each with its backups.
  const auto [listed, list] = restore({L"/find:\u898B\u7A4D"});
  EXPECT_EQ(0u, listed) << test::Narrow(list);
  EXPECT_NE(std::wstring::npos, list.find(L"1 file whose name matches")) << test::Narrow(list);
  EXPECT_NE(std::wstring::npos, list.find(source_ + L"\\" + quote)) << test::Narrow(list);
  size_t versions = 0;
  for (size_t at = 0; (at = list.find(L"; in the backups of ", at)) != std::wstring::npos; ++at) {
    ++versions;
  }
  EXPECT_EQ(3u, versions) << test::Narrow(list);
  // A full-width part of a name finds both workbooks; the stick is never written.
  const auto [both, two] = restore({L"/find:\uFF51\uFF17"});
  EXPECT_EQ(0u, both);
  EXPECT_NE(std::wstring::npos, two.find(L"2 files whose names match")) << test::Narrow(two);
  const auto [outside, one] = restore({L"/find:\u00F6L q8"});
  EXPECT_EQ(0u, outside);
  EXPECT_NE(std::wstring::npos, one.find(L"1 file whose name matches")) << test::Narrow(one);
  for (const auto& [arguments, says] : std::vector<std::pair<std::vector<std::wstring>, std::wstring>>{
           {{L"/find:nothing like it"}, L"has a name with \"nothing like it\""},
           {{L"/find:*"}, L"* alone stands for every file"},
           {{L"/find:q7", L"/at:latest", L"/yes"}, L"2 files match \"q7\""},
           {{L"/find:\u898B\u7A4D", L"/at:" + runs[2], L"/yes"}, L"holds no version of"}}) {
    const auto [exit, out] = restore(arguments);
    EXPECT_EQ(1u, exit) << test::Narrow(out);
    EXPECT_NE(std::wstring::npos, out.find(says)) << test::Narrow(out);
  }
  EXPECT_EQ(states[3], test::FilesBelow(source_));

  // The second backup's quote beside today's, under a name with its day.
  const auto [got, said] = restore({L"/find:\u898B\u7A4D", L"/at:" + runs[1], L"/yes"});
  EXPECT_EQ(0u, got) << test::Narrow(said);
  Files expected = states[3];
  expected[VersionFileName(quote, ParseRunName(runs[1])->stamp)] = "quote 2, longer";
  EXPECT_EQ(expected, test::FilesBelow(source_));

  // The same by the questions, as a person answers them: the whole folder, then back to the
  // first question; a file; * alone, then a part of its name; a wrong number, then the oldest
  // version in full-width digits; はい. Its name is taken now, so it gets a number.
  const std::string typed = "2\r\n0\r\n1\r\n*\r\n" + ToShiftJis(L"\u898B\u7A4D") +
                            "\r\n7\r\n" + ToShiftJis(L"\uFF13\r\n\u306F\u3044\r\n");
  const auto [answered, dialog] = restore({}, typed);
  EXPECT_EQ(0u, answered) << test::Narrow(dialog);
  for (const wchar_t* said : {L"What do you want back?", L"As at which backup?",
                              L"* alone stands for every file", L"Type a number from 1 to 3, or * for all",
                              L"Restored 1 file"}) {
    EXPECT_NE(std::wstring::npos, dialog.find(said)) << test::Narrow(said) << test::Narrow(dialog);
  }
  expected[NumberedName(VersionFileName(quote, ParseRunName(runs[0])->stamp), 2)] = "quote 1";
  EXPECT_EQ(expected, test::FilesBelow(source_));

  // Only what is missing: the drawing comes back, the sales figures of today stay.
  Stage(source_, {{quote, "quote 4, the longest"}, {sales, "sales 3, today's"}, {oil, "oil"}});
  const Files before = test::FilesBelow(source_);
  const auto [previewed, preview] =
      restore({L"/at:" + runs[3], L"/folder:" + source_, L"/inplace", L"/missing", L"/list"});
  EXPECT_EQ(0u, previewed) << test::Narrow(preview);
  EXPECT_NE(std::wstring::npos, preview.find(L"1 file is there and is left as it is"))
      << test::Narrow(preview);
  EXPECT_EQ(before, test::FilesBelow(source_));
  const auto [missing, back] =
      restore({L"/at:" + runs[3], L"/folder:" + source_, L"/inplace", L"/missing", L"/yes"});
  EXPECT_EQ(0u, missing) << test::Narrow(back);
  Files now = before;
  now[L"drawings\\a.dwg"] = "a";
  EXPECT_EQ(now, test::FilesBelow(source_));
  EXPECT_EQ(stick, test::FilesBelow(kBackup));
}

// A change to the stick and what undoes it.
struct Change {
  std::function<void()> make = [] {};
  std::function<void()> undo = [] {};
};

// The file's bytes replaced by what `edit` makes of them.
Change Edit(const std::wstring& path, const std::function<std::string(std::string)>& edit) {
  const std::string bytes = test::ReadFileBytes(path);
  return {[=] { test::WriteFileBytes(path, edit(bytes)); },
          [=] { test::WriteFileBytes(path, bytes); }};
}
// The file or folder moved away, and with `link`, a link to `link` in its place.
Change Aside(const std::wstring& path, const std::wstring& link = L"") {
  return {[=] {
            ::MoveFileExW(path.c_str(), (path + L" aside").c_str(), 0);
            if (!link.empty()) test::MakeUnixLink(path, link);
          },
          [=] {
            if (!link.empty()) test::RemoveUnixLink(path);
            ::MoveFileExW((path + L" aside").c_str(), path.c_str(), 0);
          }};
}

// A stick tampered with after two good backups, as a hostile tester would: records that climb
// out of the stick (with slashes or backslashes), name devices or hold garbage; links at each
// level; missing folders and lists; a run list out of order; targets that are the stick by
// another spelling; wrong arguments. Each is refused or named, nothing outside the target
// changes, a restore leaves the stick as it was, and only a backup that can be rebuilt is given
// back. Sollux.exe writes nothing through a link in the place of _Backup_ or Sollux-versions.
TEST_F(RestoreRun, WithStickATamperedStickStaysOnTheStick) {
  UseSource(data_ / L"Docs");
  const Files first = {{L"a.txt", "a 1"}, {L"b.txt", "b"}};
  const Files second = {{L"a.txt", "a 2, longer"}, {L"c.txt", "c"}};
  const Files without_c = {{L"a.txt", "a 2, longer"}};
  for (const Files& state : {first, second}) {
    Stage(source_, state);
    ASSERT_EQ(0u, Backup());
  }
  const std::vector<std::wstring> runs = LastRuns(2);
  const std::wstring computer = std::wstring(kBackup) + L"\\" + MachineName();
  const std::wstring versions = computer + L"\\Sollux-versions";
  const std::wstring folder_list = versions + L"\\Sollux-folders.txt";
  const std::wstring mirror = computer + L"\\" + Place();
  const test::ScopedTempDir decoy;
  test::WriteFileBytes(decoy / L"evil.bat", "@echo evil");
  test::WriteFileBytes(decoy / (L"sub\\" + Place() + L"\\a.txt"), "decoy");
  const Files decoy_files = test::FilesBelow(decoy.path());
  const std::string climbs = test::Narrow(runs[1]) + "\tC:\\decoy\t" + test::Narrow(MachineName());
  const std::string hostile_lines =
      climbs + "/../../../../sollux-decoy\r\n" + climbs + "\\..\\..\\sollux-decoy\r\n" + climbs +
      "\\C\\COM1\r\n" + climbs + "\\" + std::string(100000, 'x') + "\r\n\xFF\xFE\t\x80\r\n" +
      test::Narrow(runs[1]) + "\tE:\\.\\_Backup_\\" + test::Narrow(MachineName()) + "\\C\t" +
      test::Narrow(MachineName()) + "\\C\t1\r\n";
  const std::wstring at_first = L"/at:" + runs[0];
  const std::vector<std::wstring> all = {at_first, L"/folder:*", L"/yes"};
  const std::vector<std::wstring> source = {at_first, L"/folder:" + source_, L"/yes"};
  const struct {
    const char* name;
    Change change;
    std::vector<std::wstring> args;  // Sollux-restore's, and /to:<target> unless one is given;
                                     // none: Sollux.exe backs up
    std::wstring folder;             // the working folder
    unsigned long exit;
    std::string says;       // at least once; the hostile lines each once
    const Files* restored;  // what the target then holds; after a backup, the mirror
  } rows[] = {
      {"hostile folder lines", Edit(folder_list, [&](std::string b) { return b + hostile_lines; }),
       all, L"", 0, "A line that Sollux did not write, skipped: ", &first},
      {"the run list out of order",
       Edit(versions + L"\\Sollux-runs.txt",
            [&](std::string) { return test::Narrow(runs[1] + L"\r\n" + runs[0] + L"\r\n"); }),
       all, L"", 0, "Restored 2 files", &first},
      {"/to: through a dot", {}, {at_first, L"/to:E:\\.\\_Backup_\\x", L"/yes"}, L"", 1,
       "not restored onto the drive that holds the backup", nullptr},
      {"/to: through a climb", {}, {at_first, L"/to:E:\\zz\\..\\_Backup_\\x", L"/yes"}, L"", 1,
       "not restored onto the drive", nullptr},
      {"/to: in the \\\\?\\ form", {}, {at_first, L"/to:\\\\?\\E:\\_Backup_\\x", L"/yes"}, L"", 1,
       "not restored onto the drive", nullptr},
      {"/to: by another letter", {}, {at_first, L"/to:F:\\_Backup_\\x", L"/yes"}, L"", 1,
       "not restored onto the drive", nullptr},
      {"/to: elsewhere on the stick", {}, {at_first, L"/to:E:\\restored", L"/yes"}, L"", 1,
       "not restored onto the drive", nullptr},
      {"/to: relative, working on the stick", {}, {at_first, L"/to:restored", L"/yes"}, L"E:\\",
       1, "not restored onto the drive", nullptr},
      {"an original on the stick, in place",
       Edit(folder_list,
            [&](std::string b) {
              return b + test::Narrow(runs[1] + L"\tE:\\elsewhere\t" + MachineName() + L"\\" +
                                      Place() + L"\t0\r\n");
            }),
       {L"/at:latest", L"/folder:E:\\elsewhere", L"/inplace", L"/yes"}, L"", 1,
       "not restored onto the drive that holds the backup: E:\\elsewhere", nullptr},
      {"the mirror folder missing, every folder", Aside(mirror), all, L"", 2,
       "Not offered: the backup folder", nullptr},
      {"the mirror folder missing", Aside(mirror), source, L"", 1, "holds no folder", nullptr},
      {"the mirror folder a link", Aside(mirror, decoy.path()), source, L"", 1,
       "A link on the stick, not followed: ", nullptr},
      {"C a link", Aside(computer + L"\\C", decoy / L"sub"), source, L"", 1,
       "A link on the stick, not followed: ", nullptr},
      {"Sollux-versions a link, restored", Aside(versions, decoy.path()), all, L"", 1,
       "A link on the stick, not followed: ", nullptr},
      {"a run folder a link", Aside(versions + L"\\" + runs[1], decoy / L"sub"), all, L"", 1,
       "can no longer be rebuilt exactly", nullptr},
      {"a run folder missing", Aside(versions + L"\\" + runs[1]), all, L"", 1,
       "can no longer be rebuilt exactly", nullptr},
      {"an added list missing", Aside(versions + L"\\" + runs[1] + L"\\Sollux-added.txt"), all,
       L"", 1, "can no longer be rebuilt exactly", nullptr},
      {"an added list cut short",
       Edit(versions + L"\\" + runs[1] + L"\\Sollux-added.txt", [](std::string) { return ""; }),
       all, L"", 1, "can no longer be rebuilt exactly", nullptr},
      {"an impossible date", {}, {L"/at:2026-13-45", L"/folder:*", L"/yes"}, L"", 1,
       "Not understood: /at:2026-13-45", nullptr},
      {"an impossible time", {}, {L"/at:2026-12-10 25.61.61", L"/folder:*", L"/yes"}, L"", 1,
       "Not understood: /at:2026-12-10 25.61.61", nullptr},
      {"a switch twice", {}, {at_first, L"/folder:*", L"/to:C:\\one", L"/to:C:\\two", L"/yes"},
       L"", 1, "/to:C:\\two is given twice", nullptr},
      {"_Backup_ a link", Aside(kBackup, decoy.path()), {}, L"", 2,
       "Nothing was backed up: E:\\_Backup_ is a link on the stick", &second},
      {"Sollux-versions a link, backed up", Aside(versions, decoy.path()), {}, L"", 2,
       "Nothing was backed up: ", &second},
      {"a folder in the place of the folder list",
       {[&] {
          Aside(folder_list).make();
          test::MakeFolders(folder_list);
        },
        [&] {
          ::RemoveDirectoryW(folder_list.c_str());
          Aside(folder_list).undo();
        }},
       {}, L"", 2, "Sollux-folders.txt could not be written: Sollux-restore cannot rebuild",
       &without_c},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const test::ScopedTempDir target;
    row.change.make();
    const Files stick = test::FilesBelow(kBackup);
    test::ChildOutput run;
    if (row.args.empty()) {
      ::DeleteFileW((source_ + L"\\c.txt").c_str());  // the mirror would delete its copy
      run = RunBackup();
      run.out += run.err;
      Stage(source_, second);
    } else {
      std::wstring command_line = test::QuoteArgument(test::RestoreProgram());
      for (const std::wstring& argument : row.args) command_line += L" " + test::QuoteArgument(argument);
      const bool to = std::any_of(row.args.begin(), row.args.end(),
                                  [](const std::wstring& a) { return a.starts_with(L"/to:") || a == L"/inplace"; });
      if (!to) command_line += L" " + test::QuoteArgument(L"/to:" + target.path());
      test::ChildSetup setup;
      setup.folder = row.folder;
      setup.error_into_output = true;
      run = test::RunChildCommandLine(test::RestoreProgram(), command_line, setup);
      EXPECT_EQ(stick, test::FilesBelow(kBackup));
    }
    row.change.undo();
    EXPECT_EQ(row.exit, run.exit_code) << run.out << run.err;
    size_t said = 0;
    for (size_t at = 0; (at = run.out.find(row.says, at)) != std::string::npos; at += 1) ++said;
    EXPECT_EQ(&row == &rows[0] ? 6u : std::max<size_t>(said, 1), said) << run.out;
    EXPECT_EQ(decoy_files, test::FilesBelow(decoy.path()));
    if (row.args.empty()) {
      EXPECT_EQ(*row.restored, test::FilesBelow(mirror));
      continue;
    }
    const Files restored = test::FilesBelow(target.path());
    EXPECT_EQ(row.restored != nullptr ? *row.restored : Files(),
              restored.empty() ? Files() : test::FilesBelow(target / Place()));
  }
}

}  // namespace
}  // namespace sollux
