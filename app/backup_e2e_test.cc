// Sollux.exe from start to end, in a Wine prefix of its own (backup_e2e_test.sh stages the
// drives): PLUMA's registry values, real folders, the batch file in code page 932, and the
// robocopy and timeout calls that cmd.exe makes, recorded by stand-ins.
#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <cwctype>
#include <filesystem>
#include <map>
#include <optional>

#include "app/registry.h"
#include "base/environment.h"
#include "base/ui_text.h"
#include "base/text_file.h"
#include "base/win.h"
#include "mirror/backup_report.h"
#include "store/record_file.h"
#include "test/batch_runner.h"
#include "test/child_process.h"
#include "test/scoped_environment.h"
#include "test/temp_dir.h"

namespace sollux {
namespace {

using test::ScopedEnvironmentVariable;
using test::ScopedTempDir;

constexpr wchar_t kPlumaKey[] = L"Software\\Morvaine";
// 日本語!データ!: cmd.exe with delayed expansion would drop the "!"s; /v:off keeps them.
constexpr wchar_t kJapaneseFolder[] = L"\u65E5\u672C\u8A9E!\u30C7\u30FC\u30BF!";
constexpr char kJapaneseFolderSjis[] = "\x93\xFA\x96\x7B\x8C\xEA!\x83\x66\x81\x5B\x83\x5E!";
constexpr wchar_t kOddFolder[] = L"R&D 50%";
// A temporary folder that two tests share, one with the stick and one without.
constexpr wchar_t kSharedTemp[] = L"C:\\sollux-e2e-shared-temp";

// What the timeout stand-ins write to the inherited error stream: one refusal per pause.
std::string Refusals(size_t pauses) {
  std::string lines;
  for (size_t i = 0; i < pauses; ++i) lines += test::Narrow(test::kTimeoutRefusal) + "\n";
  return lines;
}

std::wstring ComputerName() {
  wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
  ::GetComputerNameW(name, &size);
  return name;
}

void SetPlumaValue(const wchar_t* key_path, const wchar_t* name, const std::wstring& value) {
  HKEY key = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExW(HKEY_CURRENT_USER, key_path, 0, nullptr, 0,
                                             KEY_SET_VALUE, nullptr, &key, nullptr));
  ::RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  ::RegCloseKey(key);
}

// One run of Sollux.exe in a private temporary folder, with the recording stand-ins first on
// PATH.
class BackupRun : public ::testing::Test {
 protected:
  BackupRun()
      : path_(L"PATH", runner_.bin_folder() + L";" + EnvironmentValue(L"PATH")),
        log_(L"SOLLUX_STANDIN_LOG", runner_.log_path()),
        tmp_(L"TMP", temp_.path()) {
    ::RegDeleteTreeW(HKEY_CURRENT_USER, kPlumaKey);
  }
  ~BackupRun() override { ::RegDeleteTreeW(HKEY_CURRENT_USER, kPlumaKey); }

  // PLUMA's values: two equal folders with "&" and "%" in the name, a missing folder, the
  // Documents folder and a Japanese folder.
  void SetPlumaSettings() {
    for (const wchar_t* name : {kOddFolder, kJapaneseFolder}) test::MakeFolders(data_ / name);
    const std::wstring values[] = {data_ / kOddFolder, data_ / kOddFolder, data_ / L"Missing",
                                   SpecialFolderPath(CSIDL_PERSONAL), data_ / kJapaneseFolder};
    for (size_t i = 0; i < kPlumaSettingCount; ++i) {
      SetPlumaValue(kPlumaSettings[i].key_path, kPlumaSettings[i].value_name, values[i]);
    }
  }
  // The folders that get a robocopy command, in their order.
  std::vector<std::wstring> ExpectedSources(bool with_pluma) const {
    std::vector<std::wstring> sources;
    if (with_pluma) {
      sources = {data_ / kOddFolder, SpecialFolderPath(CSIDL_PERSONAL), data_ / kJapaneseFolder};
    }
    for (int csidl : {CSIDL_COMMON_DOCUMENTS, CSIDL_COMMON_PICTURES, CSIDL_COMMON_MUSIC,
                      CSIDL_COMMON_VIDEO, CSIDL_COMMON_DESKTOPDIRECTORY, CSIDL_PERSONAL,
                      CSIDL_MYPICTURES, CSIDL_MYMUSIC, CSIDL_MYVIDEO, CSIDL_DESKTOPDIRECTORY}) {
      const std::wstring folder = SpecialFolderPath(csidl);
      if (std::find(sources.begin(), sources.end(), folder) == sources.end()) {
        sources.push_back(folder);
      }
    }
    return sources;
  }
  // A run in which Wine's cmd.exe failed to start a stand-in is repeated (test/batch_runner.h).
  // cmd.exe says so on its error stream, which Sollux.exe shares.
  // Wine writes no event log, but traces each event on the Unix error stream of the process
  // that started the program, which backup_e2e_test.sh sends into the file that
  // SOLLUX_EVENT_TRACE names: what a run added to it is kept in `events_`.
  test::ChildOutput RunSollux(const std::vector<std::wstring>& arguments = {}) {
    test::ChildOutput run;
    std::wstring command_line = test::QuoteArgument(test::SolluxProgram());
    for (const std::wstring& argument : arguments) command_line += L" " + test::QuoteArgument(argument);
    test::ChildSetup setup;
    setup.environment = {{L"WINEDEBUG", L"-all,fixme+advapi,+eventlog"}};
    const std::wstring trace = test::HostPath(test::Narrow(EnvironmentValue(L"SOLLUX_EVENT_TRACE")));
    for (int attempt = 0; attempt < 3; ++attempt) {
      runner_.ClearCalls();
      const size_t traced = test::ReadFileBytes(trace).size();
      run = test::RunChildCommandLine(test::SolluxProgram(), command_line, setup);
      events_ = test::ReadFileBytes(trace).substr(traced);
      if (!test::StandInFailedToStart(FromShiftJis(run.out)) &&
          !test::StandInFailedToStart(FromShiftJis(run.err))) {
        break;
      }
    }
    return run;
  }
  // The one event the last run wrote: its type, its ID and its text; a type of -1 when it wrote
  // none or more than one.
  struct Event {
    long type = -1;
    long id = -1;
    std::string text;
  };
  Event LastEvent() const {
    Event event;
    const size_t call = events_.find("ReportEventW (");
    if (call == std::string::npos || events_.find("ReportEventW (", call + 1) != std::string::npos) {
      return event;
    }
    std::vector<std::string> fields;
    for (size_t at = call + 14, comma; fields.size() < 4; at = comma + 1) {
      comma = events_.find(',', at);
      fields.push_back(events_.substr(at, comma - at));
    }
    event.type = std::stol(fields[1], nullptr, 16);
    event.id = std::stol(fields[3], nullptr, 16);
    const size_t text = events_.find("ReportEventW L\"");
    if (text != std::string::npos) {
      event.text = events_.substr(text + 15, events_.find('\n', text) - text - 16);
    }
    return event;
  }
  // Where robocopy is told to copy `source` below the backup folder `backup`.
  static std::wstring DestinationFor(const std::wstring& backup, std::wstring source) {
    if (!source.empty() && source.back() == L'%') source.pop_back();  // "%" splits the path
    if (source.ends_with(L'\\')) source.pop_back();                   // a whole drive
    return backup + L"\\" + ComputerName() + L"\\" + source.substr(0, 1) + source.substr(2);
  }
  // Each source got "timeout /t 10" and its robocopy call, the end "timeout /t 100".
  void ExpectCalls(const std::vector<std::wstring>& sources, const std::wstring& backup) {
    const auto calls = runner_.RecordedCalls();
    ASSERT_EQ(2 * sources.size() + 1, calls.size());
    for (size_t i = 0; i < sources.size(); ++i) {
      SCOPED_TRACE(sources[i]);
      EXPECT_EQ((std::vector<std::wstring>{L"/t", L"10"}), calls[2 * i].args);
      const auto& robocopy = calls[2 * i + 1];
      ASSERT_EQ(L"robocopy", robocopy.program);
      ASSERT_LE(2u, robocopy.args.size());
      EXPECT_EQ(sources[i], robocopy.args[0]);
      EXPECT_EQ(DestinationFor(backup, sources[i]), robocopy.args[1]);
    }
    EXPECT_EQ((std::vector<std::wstring>{L"/t", L"100"}), calls.back().args);
  }
  std::wstring ScriptFolder() const { return temp_ / L"Brevant.tmp\\Sollux"; }
  // The batch file of a run whose last folder is `last`, with the stick as E:.
  std::wstring BatchFile(std::wstring last) const {
    for (wchar_t& c : last) c = (c == L':' || c == L'\\') ? L'_' : c;
    return ScriptFolder() + L"\\RC_" + last + L"_E___Backup__smirfft.bat";
  }
  // The line of the PLUMA folder that SetPlumaSettings leaves missing.
  std::string MissingFolderLine() const {
    return "PLUMA folder not found, not backed up: " + test::Narrow(data_ / L"Missing") + "\n";
  }

  test::BatchRunner runner_;
  ScopedEnvironmentVariable path_;
  ScopedEnvironmentVariable log_;
  ScopedTempDir temp_;
  ScopedEnvironmentVariable tmp_;
  ScopedTempDir data_;
  std::string events_;
};

// `folder` in code page 932, with the name of the odd folder (or what is left of it) as `odd`.
std::string Encoded(const std::wstring& folder, const std::string& odd) {
  const size_t name = folder.rfind(L'\\') + 1;
  const std::string parent = test::Narrow(folder.substr(0, name));
  if (folder.substr(name) == kJapaneseFolder) return parent + kJapaneseFolderSjis;
  if (folder.compare(name, 3, L"R&D") == 0) return parent + odd;
  return test::Narrow(folder);
}

// The whole batch file as cmd.exe reads it: every folder name escaped, stored in code page 932.
std::string ExpectedBatchFile(const std::vector<std::wstring>& sources) {
  std::string text = "@echo off\r\n\r\necho\trobocopy";
  for (const auto& source : sources) text += "\r\necho\t\t\t" + Encoded(source, "R^&D 50%%");
  text += "\r\necho.\r\necho\t\t\tE:/_Backup_\r\n\r\n@echo on\r\n\r\ncd /d %Temp%\r\n";
  for (std::wstring source : sources) {
    // A quoted drive root doubles its backslash: robocopy would read "D:\" as D: and a quote.
    const std::string quoted = Encoded(source, "R&D 50%%") + (source.ends_with(L'\\') ? "\\" : "");
    if (source.ends_with(L'\\')) source.pop_back();
    text += "timeout /t 10  &\trobocopy \"" + quoted + "\" \"E:\\_Backup_\\" +
            test::Narrow(ComputerName()) + "\\" + test::Narrow(source.substr(0, 1)) +
            Encoded(source.substr(2), "R&D 50") +
            "\" /s /purge /mir /fft /r:3 /w:5 /xjd /max:4294967296 /xf  *.bak  *.tmp  Thumbs.db "
            " /xd  bak  .vs  _Backup_  _Search_  _Backup_ *.tmp \r\n";
  }
  return text + "timeout /t 100\r\n";
}

TEST_F(BackupRun, WithStickBacksUpPlumaAndShellFoldersToIt) {
  SetPlumaSettings();
  const auto run = RunSollux();
  ASSERT_TRUE(run.started);
  EXPECT_EQ(0u, run.exit_code);
  const auto sources = ExpectedSources(true);
  EXPECT_EQ(MissingFolderLine() + Refusals(sources.size() + 1), run.err);
  ExpectCalls(sources, L"E:\\_Backup_");

  // Named after the last folder, written into the program's folder in the scratch folder.
  EXPECT_EQ(ExpectedBatchFile(sources), test::ReadFileBytes(BatchFile(sources.back())));
  // The run says who and what first, and ends with one event: information, 1000.
  EXPECT_TRUE(run.out.starts_with("Sollux 1.")) << run.out;
  const Event event = LastEvent();
  EXPECT_EQ(EVENTLOG_INFORMATION_TYPE, event.type) << events_;
  EXPECT_EQ(1000, event.id);
  // Wine's trace shows the text's start: the verdict, then who backed up where.
  EXPECT_TRUE(event.text.starts_with(test::Narrow(Say(Text::kVerdictGood)) + "\\r\\nSollux 1."))
      << event.text;
  EXPECT_NE(std::string::npos, event.text.find(", backup to E:\\\\_Backup_\\\\")) << event.text;
}

// A PLUMA folder that is a whole drive (D: of the staged drives) is backed up as the drive's
// root, into a folder named after its letter.
TEST_F(BackupRun, WithStickBacksUpAWholeDrive) {
  SetPlumaSettings();
  SetPlumaValue(kPlumaSettings[0].key_path, kPlumaSettings[0].value_name, L"D:\\");
  const auto run = RunSollux();
  EXPECT_EQ(0u, run.exit_code);
  auto sources = ExpectedSources(true);
  sources.insert(sources.begin(), L"D:\\");
  EXPECT_EQ(MissingFolderLine() + Refusals(sources.size() + 1), run.err);
  ExpectCalls(sources, L"E:\\_Backup_");
  EXPECT_EQ(ExpectedBatchFile(sources), test::ReadFileBytes(BatchFile(sources.back())));
}

// A batch file that cannot be written is not run, and a scheduled task sees exit code 1.
TEST_F(BackupRun, WithStickButNoBatchFileFails) {
  SetPlumaSettings();
  const std::wstring batch = BatchFile(ExpectedSources(true).back());
  test::MakeFolders(batch);
  const auto run = RunSollux();
  EXPECT_EQ(1u, run.exit_code);
  std::string attempts;  // the writer's counter of its 100 tries to open the file
  for (int attempt = 1; attempt <= 100; ++attempt) attempts += std::to_string(attempt) + "\r";
  EXPECT_EQ(MissingFolderLine() + attempts +
                "The batch file could not be written and was not run: " + test::Narrow(batch) +
                "\n",
            run.err);
  EXPECT_TRUE(runner_.RecordedCalls().empty());
}

// Extra arguments are stored, never read: the run is the same.
TEST_F(BackupRun, WithStickArgumentsChangeNothing) {
  SetPlumaSettings();
  const auto plain = RunSollux();
  const auto plain_calls = runner_.RecordedCalls();
  const auto with_arguments = RunSollux({L"/x", L"two words"});
  EXPECT_EQ(0u, with_arguments.exit_code);
  EXPECT_EQ(plain.out, with_arguments.out);
  EXPECT_EQ(plain.err, with_arguments.err);
  ASSERT_EQ(plain_calls.size(), runner_.RecordedCalls().size());
  for (size_t i = 0; i < plain_calls.size(); ++i) {
    EXPECT_EQ(plain_calls[i].args, runner_.RecordedCalls()[i].args);
  }

  // /? says how Sollux is used and backs nothing up: no batch file, the stick as it was.
  const std::wstring batch = BatchFile(ExpectedSources(true).back());
  ::DeleteFileW(batch.c_str());
  const auto stick = test::FilesBelow(L"E:\\");
  const auto usage = RunSollux({L"/?"});
  EXPECT_EQ(0u, usage.exit_code);
  EXPECT_NE(std::string::npos, usage.out.find("Sollux.exe /unattended")) << usage.out;
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesW(batch.c_str()));
  EXPECT_EQ(stick, test::FilesBelow(L"E:\\"));
  EXPECT_TRUE(runner_.RecordedCalls().empty());
  EXPECT_EQ("", events_);

  // /unattended: the same backup without a single pause, so nothing waits for a key.
  const auto unattended = RunSollux({L"/unattended"});
  EXPECT_EQ(0u, unattended.exit_code) << unattended.out;
  std::string expected = ExpectedBatchFile(ExpectedSources(true));
  for (const std::string pause : {"timeout /t 10  &\t", "timeout /t 100\r\n"}) {
    for (size_t at; (at = expected.find(pause)) != std::string::npos;) expected.erase(at, pause.size());
  }
  EXPECT_EQ(expected, test::ReadFileBytes(batch));
  EXPECT_EQ(MissingFolderLine(), unattended.err);  // no timeout ran, none refused
  for (const auto& call : runner_.RecordedCalls()) EXPECT_EQ(L"robocopy", call.program);
  EXPECT_EQ(ExpectedSources(true).size(), runner_.RecordedCalls().size());
  EXPECT_EQ(1000, LastEvent().id);
}

// The last `count` lines of `text`, a line feed after each.
std::wstring LastLines(const std::wstring& text, size_t count) {
  size_t start = text.size() - (text.ends_with(L'\n') ? 1 : 0);
  for (size_t i = 0; i < count && start != 0 && start != std::wstring::npos; ++i) {
    start = text.rfind(L'\n', start - 1);
  }
  return start == std::wstring::npos ? text : text.substr(start + 1);
}

// robocopy's stand-in copies nothing, so the copy is staged beforehand: every folder's copy
// exists, and the Japanese folder's copy lacks a file, holds one of another size and one 3
// seconds older (one 1 second older counts as equal), and has none of the files that the
// exclusions leave out. The check must name exactly the first three and the missing one of a
// subfolder; once the copy is complete, the run ends with 0.
TEST_F(BackupRun, WithStickCheckNamesWhatIsNotInTheBackup) {
  SetPlumaSettings();
  const auto sources = ExpectedSources(true);
  for (const auto& source : sources) test::MakeFolders(DestinationFor(L"E:\\_Backup_", source));
  const std::wstring source = data_ / kJapaneseFolder;
  const std::wstring copy = DestinationFor(L"E:\\_Backup_", source);
  const std::wstring photo = L"\u5199\u771F\\\u65C5\u884C.jpg";  // 写真\旅行.jpg
  constexpr int64_t kTime = 1700000000;
  const struct {
    std::wstring name;
    std::string bytes;
    const char* copy_bytes;  // null: not in the copy
    int64_t copy_age;
  } files[] = {
      {L"same.txt", "12345", "12345", 0},   {L"missing.txt", "1", nullptr, 0},
      {L"size.txt", "123", "12", 0},        {L"older3.txt", "abc", "abc", 3},
      {L"older1.txt", "abc", "abc", 1},     {L"x.bak", "bak", nullptr, 0},
      {L"bak\\inner.txt", "1", nullptr, 0}, {photo, "jpeg", nullptr, 0},
  };
  for (const auto& file : files) {
    test::WriteFileBytes(source + L"\\" + file.name, file.bytes);
    ASSERT_TRUE(test::SetLastWriteTime(source + L"\\" + file.name, kTime));
    if (file.copy_bytes == nullptr) continue;
    test::WriteFileBytes(copy + L"\\" + file.name, file.copy_bytes);
    ASSERT_TRUE(test::SetLastWriteTime(copy + L"\\" + file.name, kTime - file.copy_age));
  }
  const std::wstring computer_folder = L"E:\\_Backup_\\" + ComputerName();
  const std::wstring report = computer_folder + L"\\Sollux-report.txt";
  const std::wstring history = computer_folder + L"\\Sollux-history.txt";
  ::DeleteFileW(history.c_str());
  const std::wstring totals =
      L"Backup checked: " + std::to_wstring(sources.size()) + L" folders, 6 files, 19 B";

  const auto run = RunSollux();
  EXPECT_EQ(2u, run.exit_code);
  EXPECT_EQ(MissingFolderLine() + Refusals(sources.size() + 1), run.err);
  const Event event = LastEvent();
  EXPECT_EQ(EVENTLOG_ERROR_TYPE, event.type) << events_;
  EXPECT_EQ(1002, event.id);
  EXPECT_TRUE(event.text.starts_with(test::Narrow(Say(Text::kVerdictIncomplete)))) << event.text;
  // The end of the run says it again, and plainly.
  EXPECT_EQ(source + L": 4 files are NOT in the backup\n" + totals +
                L"; 4 files are NOT in the backup; see " + report + L"\n" +
                Say(Text::kVerdictIncomplete) + L"\n",
            LastLines(FromShiftJis(run.out), 3));
  const std::string report_bytes = test::ReadFileBytes(report);
  EXPECT_TRUE(report_bytes.starts_with(Utf8FileBytes(L"Sollux backup check, "))) << report_bytes;
  const std::wstring block = L"Folder: " + source + L"\r\nBackup: " + copy +
                             L"\r\nChecked: 6 files, 19 B\r\n4 files are NOT in the backup:\r\n"
                             L"  missing    missing.txt\r\n  different  older3.txt\r\n"
                             L"  different  size.txt\r\n  missing    " +
                             photo + L"\r\n";
  EXPECT_NE(std::string::npos, report_bytes.find(Utf8FileBytes(block).substr(3))) << report_bytes;

  for (const auto& file : files) {  // the copy made complete
    test::WriteFileBytes(copy + L"\\" + file.name, file.bytes);
    ASSERT_TRUE(test::SetLastWriteTime(copy + L"\\" + file.name, kTime));
  }
  const auto complete = RunSollux();
  EXPECT_EQ(0u, complete.exit_code);
  // The equal copies that fall to this run's turn are read back, and say so.
  const std::wstring last = LastLines(FromShiftJis(complete.out), 2);
  const std::wstring good = L"\n" + Say(Text::kVerdictGood) + L"\n";
  EXPECT_TRUE(last == totals + L", all in the backup." + good ||
              (last.starts_with(totals + L", all in the backup; ") &&
               last.ends_with(L" read back from the stick." + good)))
      << complete.out;
  // One line per run: date and time, folders, files, bytes, files missing.
  const std::string runs = test::ReadFileBytes(history);
  const std::string counts = "; " + std::to_string(sources.size()) + " folders; 6 files; 19 B; ";
  EXPECT_EQ(2, std::count(runs.begin(), runs.end(), '\n')) << runs;
  EXPECT_NE(std::string::npos, runs.find(counts + "4 files NOT in the backup")) << runs;
  EXPECT_NE(std::string::npos, runs.find(counts + "0 files NOT in the backup", runs.find('\n')))
      << runs;
}

// Every file below `folder`, by its path below it, with its bytes.
// The runs' folders below Sollux-versions, in the order of their names.
std::vector<std::wstring> RunFolders(const std::wstring& versions) {
  std::vector<std::wstring> runs;
  WIN32_FIND_DATAW data;
  const HANDLE find = ::FindFirstFileW((versions + L"\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return runs;
  do {
    const std::wstring name = data.cFileName;
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 && name != L"." && name != L"..") {
      runs.push_back(versions + L"\\" + name);
    }
  } while (::FindNextFileW(find, &data));
  ::FindClose(find);
  std::sort(runs.begin(), runs.end());
  return runs;
}

// With the mirroring stand-in, a whole cycle: the first run copies; after a deletion and an
// edit the second keeps exactly the old bytes of both in one versions folder; after the
// folder is emptied the third keeps all of its files there too, and says so with exit code 3.
TEST_F(BackupRun, WithStickKeepsWhatTheMirrorDeletesOrReplaces) {
  SetPlumaSettings();
  ScopedEnvironmentVariable mirror(L"SOLLUX_STANDIN_MIRROR", L"1");
  const std::wstring source = data_ / kJapaneseFolder;
  std::map<std::wstring, std::string> originals = {{L"plan.txt", "plan v1"},
                                                   {L"gone.txt", "soon gone"}};
  for (int i = 0; i < 12; ++i) originals[L"sub\\" + std::to_wstring(10 + i) + L".txt"] = "x";
  for (const auto& [name, bytes] : originals) test::WriteFileBytes(source + L"\\" + name, bytes);
  const std::wstring copy = DestinationFor(L"E:\\_Backup_", source);
  const std::wstring computer = L"E:\\_Backup_\\" + ComputerName();
  const std::wstring below_backup = copy.substr(std::wstring(L"E:\\_Backup_\\").size());
  const std::wstring versions = computer + L"\\Sollux-versions";
  const size_t earlier = RunFolders(versions).size();  // of the tests before

  ASSERT_EQ(0u, RunSollux().exit_code);
  EXPECT_EQ(originals, test::FilesBelow(copy));
  // The first run added every file: its folder keeps nothing but their list.
  ASSERT_EQ(earlier + 1, RunFolders(versions).size());
  const std::string added =
      test::ReadFileBytes(RunFolders(versions)[earlier] + L"\\Sollux-added.txt");
  EXPECT_EQ(originals.size(), static_cast<size_t>(std::count(added.begin(), added.end(), '\n')));
  for (const auto& [name, bytes] : originals) {
    EXPECT_NE(std::string::npos,
              added.find(Utf8FileBytes(below_backup + L"\\" + name + L"\r\n").substr(3)))
        << added;
  }
  const auto with_list = [](std::map<std::wstring, std::string> files) {
    files[L"Sollux-added.txt"] = Utf8FileBytes(L"");  // nothing added
    return files;
  };

  ::DeleteFileW((source + L"\\gone.txt").c_str());
  test::WriteFileBytes(source + L"\\plan.txt", "plan v2, longer");
  const auto second = RunSollux();
  EXPECT_EQ(0u, second.exit_code) << second.out;
  ASSERT_EQ(earlier + 2, RunFolders(versions).size());
  EXPECT_EQ(with_list({{below_backup + L"\\gone.txt", "soon gone"},
                       {below_backup + L"\\plan.txt", "plan v1"}}),
            test::FilesBelow(RunFolders(versions)[earlier + 1]));
  EXPECT_EQ("plan v2, longer", test::ReadFileBytes(copy + L"\\plan.txt"));
  EXPECT_NE(std::string::npos, second.out.find(": 2 files kept as versions in ")) << second.out;

  std::map<std::wstring, std::string> last = test::FilesBelow(source);
  for (const auto& [name, bytes] : last) ::DeleteFileW((source + L"\\" + name).c_str());
  const auto third = RunSollux();
  EXPECT_EQ(3u, third.exit_code) << third.out;
  ASSERT_EQ(earlier + 3, RunFolders(versions).size());
  std::map<std::wstring, std::string> kept;
  for (const auto& [name, bytes] : last) kept[below_backup + L"\\" + name] = bytes;
  EXPECT_EQ(with_list(kept), test::FilesBelow(RunFolders(versions)[earlier + 2]));
  EXPECT_TRUE(test::FilesBelow(copy).empty());
  EXPECT_NE(std::string::npos, FromShiftJis(third.out).find(source + L": LARGE CHANGE: "))
      << third.out;
  // Said again at the end, where it does not scroll away, right before the verdict; a warning,
  // 1003, for IT.
  const std::wstring end = LastLines(FromShiftJis(third.out), 2);
  EXPECT_TRUE(end.starts_with(source + L": LARGE CHANGE: ")) << third.out;
  EXPECT_TRUE(end.ends_with(Say(Text::kVerdictLargeChange) + L"\n")) << third.out;
  const Event event = LastEvent();
  EXPECT_EQ(EVENTLOG_WARNING_TYPE, event.type) << events_;
  EXPECT_EQ(1003, event.id);
  EXPECT_TRUE(event.text.starts_with(test::Narrow(Say(Text::kVerdictLargeChange)))) << event.text;
}

// Sollux speaks the user's UI language: Japanese on a Japanese Windows (backup_e2e_test.sh runs
// this once more with a Japanese LC_MESSAGES), English otherwise; the code page is 932 in both.
TEST_F(BackupRun, WithStickSpeaksTheUsersLanguage) {
  SetPlumaSettings();
  const bool japanese = (::GetUserDefaultUILanguage() & 0x3FF) == LANG_JAPANESE;
  const auto run = RunSollux();
  EXPECT_EQ(0u, run.exit_code);
  const std::wstring missing = data_ / L"Missing";
  EXPECT_EQ((japanese ? L"PLUMA \u306E\u30D5\u30A9\u30EB\u30C0\u30FC\u304C\u898B\u3064\u304B"
                        L"\u3089\u306A\u3044\u305F\u3081\u3001\u30D0\u30C3\u30AF\u30A2"
                        L"\u30C3\u30D7\u3057\u307E\u305B\u3093: "
                      : L"PLUMA folder not found, not backed up: ") +
                missing + L"\n",
            FromShiftJis(run.err.substr(0, run.err.find('\n') + 1)));
  // The check's line, then the verdict: "バックアップは正常です。..."
  const std::wstring both = LastLines(FromShiftJis(run.out), 2);
  const std::wstring last = both.substr(0, both.find(L'\n') + 1);
  EXPECT_TRUE(both.ends_with(L"\n" + Say(Text::kVerdictGood) + L"\n")) << run.out;
  // "バックアップを確認しました: " ... "すべてバックアップにあります。"
  EXPECT_TRUE(last.starts_with(japanese ? L"\u30D0\u30C3\u30AF\u30A2\u30C3\u30D7\u3092\u78BA"
                                          L"\u8A8D\u3057\u307E\u3057\u305F: "
                                        : L"Backup checked: "))
      << run.out;
  EXPECT_TRUE(last.ends_with(japanese ? L"\u3059\u3079\u3066\u30D0\u30C3\u30AF\u30A2\u30C3"
                                        L"\u30D7\u306B\u3042\u308A\u307E\u3059\u3002\n"
                                      : L", all in the backup.\n"))
      << run.out;
  // "Sollux バックアップの確認 2026/12/09 09:30:00" or "Sollux backup check, 2026-12-09 09:30:00".
  const std::string report =
      test::ReadFileBytes(L"E:\\_Backup_\\" + ComputerName() + L"\\Sollux-report.txt");
  const std::string line = report.substr(3, report.find('\r') - 3);  // after the mark
  std::wstring first(line.size(), L'\0');
  first.resize(::MultiByteToWideChar(CP_UTF8, 0, line.data(), static_cast<int>(line.size()),
                                     first.data(), static_cast<int>(first.size())));
  const std::wstring pattern =
      japanese ? L"Sollux \u30D0\u30C3\u30AF\u30A2\u30C3\u30D7\u306E\u78BA\u8A8D ####/##/## "
               : L"Sollux backup check, ####-##-## ";
  ASSERT_EQ(pattern.size() + 8, first.size()) << report;
  for (size_t i = 0; i < pattern.size(); ++i) {
    EXPECT_TRUE(pattern[i] == L'#' ? std::iswdigit(first[i]) != 0 : pattern[i] == first[i]) << i;
  }
}

// While another run holds the lock, a run says so, exits with 1 and changes nothing.
TEST_F(BackupRun, WithStickSecondRunAtOnceDoesNothing) {
  SetPlumaSettings();
  const std::wstring computer = L"E:\\_Backup_\\" + ComputerName();
  test::MakeFolders(computer);
  const HANDLE lock = ::CreateFileW((computer + L"\\Sollux.lock").c_str(), GENERIC_WRITE, 0,
                                    nullptr, OPEN_ALWAYS, FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, lock);
  const auto before = test::FilesBelow(L"E:\\_Backup_");
  const auto run = RunSollux();
  const auto after = test::FilesBelow(L"E:\\_Backup_");
  ::CloseHandle(lock);
  EXPECT_EQ(1u, run.exit_code);
  EXPECT_EQ(MissingFolderLine() +
                "Another Sollux backup to E:\\_Backup_ is running; this run did nothing.\n",
            run.err);
  EXPECT_TRUE(runner_.RecordedCalls().empty());
  EXPECT_EQ(before, after);
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES,
            ::GetFileAttributesW(BatchFile(ExpectedSources(true).back()).c_str()));
}

// A stick is no program's own. A folder or a link in the lock's place stops the run (exit 1);
// a report and a history that are links are not written, and a backup folder behind a link is
// left out of the batch file (exit 2): nothing outside the stick changes.
TEST_F(BackupRun, WithStickFollowsNoLinkOnTheStick) {
  SetPlumaSettings();
  const std::wstring computer = L"E:\\_Backup_\\" + ComputerName();
  const ScopedTempDir outside;
  for (const wchar_t* name : {L"lock.txt", L"report.txt", L"history.txt", L"backup\\there.txt"}) {
    test::WriteFileBytes(outside / name, "outside");
  }
  const auto outside_before = test::FilesBelow(outside.path());
  const std::wstring lock = computer + L"\\Sollux.lock";
  test::MakeFolders(lock);
  const auto folder_lock = RunSollux();
  ::RemoveDirectoryW(lock.c_str());
  ASSERT_TRUE(test::MakeUnixLink(lock, outside / L"lock.txt"));
  const auto link_lock = RunSollux();
  test::RemoveUnixLink(lock);
  for (const auto& run : {folder_lock, link_lock}) {
    EXPECT_EQ(1u, run.exit_code);
    EXPECT_NE(std::string::npos,
              run.err.find(test::Narrow(lock) + " is a folder or a link, not Sollux's lock"))
        << run.err;
  }
  EXPECT_TRUE(runner_.RecordedCalls().empty());

  const std::wstring source = data_ / kJapaneseFolder;
  const std::wstring copy = DestinationFor(L"E:\\_Backup_", source);
  ::MoveFileExW(copy.c_str(), (copy + L" aside").c_str(), 0);
  const std::wstring links[] = {computer + L"\\Sollux-report.txt",
                                computer + L"\\Sollux-history.txt", copy};
  const std::wstring targets[] = {outside / L"report.txt", outside / L"history.txt",
                                  outside / L"backup"};
  for (size_t i = 0; i < std::size(links); ++i) {
    ::DeleteFileW(links[i].c_str());
    ASSERT_TRUE(test::MakeUnixLink(links[i], targets[i]));
  }
  const auto run = RunSollux();
  for (const std::wstring& link : links) test::RemoveUnixLink(link);
  ::MoveFileExW((copy + L" aside").c_str(), copy.c_str(), 0);
  EXPECT_EQ(2u, run.exit_code);
  auto sources = ExpectedSources(true);
  std::erase(sources, source);
  ExpectCalls(sources, L"E:\\_Backup_");
  EXPECT_NE(std::wstring::npos,
            FromShiftJis(run.out).find(source +
                                       L": not mirrored: its backup folder lies behind a "
                                       L"link on the stick, through which robocopy would "
                                       L"write elsewhere: " +
                                       copy + L"\n"))
      << run.out;
  for (const std::wstring& link : {links[0], links[1]}) {
    EXPECT_NE(std::string::npos,
              run.err.find("A link on the stick, not followed: " + test::Narrow(link) + "\n"))
        << run.err;
  }
  EXPECT_EQ(outside_before, test::FilesBelow(outside.path()));
}

// When the run cannot be listed (Sollux-versions is a file), a restore could not know what its
// mirror changed: nothing is mirrored, the backup keeps every file, and the run ends with 2.
TEST_F(BackupRun, WithStickMirrorsNothingWhenTheRunCannotBeListed) {
  SetPlumaSettings();
  ScopedEnvironmentVariable mirror(L"SOLLUX_STANDIN_MIRROR", L"1");
  const std::wstring source = data_ / kJapaneseFolder;
  for (int i = 0; i < 15; ++i) {
    test::WriteFileBytes(source + L"\\" + std::to_wstring(i) + L".txt", "x");
  }
  ASSERT_EQ(0u, RunSollux().exit_code);
  const std::wstring copy = DestinationFor(L"E:\\_Backup_", source);
  const auto backed_up = test::FilesBelow(copy);
  ASSERT_EQ(15u, backed_up.size());
  for (const auto& [name, bytes] : backed_up) ::DeleteFileW((source + L"\\" + name).c_str());
  const std::wstring versions = L"E:\\_Backup_\\" + ComputerName() + L"\\Sollux-versions";
  ::MoveFileExW(versions.c_str(), (versions + L" aside").c_str(), 0);
  test::WriteFileBytes(versions, "not a folder");
  const auto run = RunSollux();
  ::DeleteFileW(versions.c_str());
  ::MoveFileExW((versions + L" aside").c_str(), versions.c_str(), 0);
  EXPECT_EQ(2u, run.exit_code) << run.out;
  EXPECT_EQ(backed_up, test::FilesBelow(copy));
  EXPECT_EQ(1u, runner_.RecordedCalls().size()) << "the closing pause alone";
  EXPECT_NE(std::string::npos,
            run.out.find("Nothing was backed up: the list of backups " + test::Narrow(versions) +
                         "\\Sollux-runs.txt could not be written"))
      << run.out;
}

// `path`'s bytes with the one in the middle inverted, its last-write time kept: a stick that
// rotted a copy between backups.
void FlipMiddleByte(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  ASSERT_TRUE(::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data));
  std::string bytes = test::ReadFileBytes(path);
  ASSERT_FALSE(bytes.empty());
  bytes[bytes.size() / 2] = static_cast<char>(~bytes[bytes.size() / 2]);
  test::WriteFileBytes(path, bytes);
  const HANDLE file =
      ::CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ::SetFileTime(file, nullptr, nullptr, &data.ftLastWriteTime);
  ::CloseHandle(file);
}

// "In the backup" means read back from the stick. A clean cycle raises no alarm; a copy spoilt
// as robocopy wrote it is named, kept as a version and mended (exit 2); a copy that rotted on
// the stick between backups is found within 8 runs and mended.
TEST_F(BackupRun, WithStickReadsBackWhatItCopied) {
  SetPlumaSettings();
  ScopedEnvironmentVariable mirror(L"SOLLUX_STANDIN_MIRROR", L"1");
  const std::wstring source = data_ / kJapaneseFolder;
  for (int i = 0; i < 6; ++i) {
    test::WriteFileBytes(source + L"\\" + std::to_wstring(i) + L".txt",
                         std::string(40 + i, static_cast<char>('a' + i)));
  }
  const std::wstring copy = DestinationFor(L"E:\\_Backup_", source);
  for (int run = 0; run < 2; ++run) {
    const auto clean = RunSollux();
    EXPECT_EQ(0u, clean.exit_code) << clean.out;
  }
  test::WriteFileBytes(source + L"\\0.txt", "changed, and spoilt on its way to the stick");
  std::optional<ScopedEnvironmentVariable> flip;
  flip.emplace(L"SOLLUX_STANDIN_STICK", L"flip");
  const auto spoilt = RunSollux();
  flip.reset();
  EXPECT_EQ(2u, spoilt.exit_code);
  const std::wstring out = FromShiftJis(spoilt.out);
  EXPECT_NE(std::wstring::npos,
            out.find(source + L": 1 file read back wrong from the stick and was copied again: "
                              L"0.txt\n"))
      << spoilt.out;
  EXPECT_NE(std::wstring::npos, out.find(L"The stick returned wrong bytes")) << spoilt.out;
  EXPECT_EQ(test::FilesBelow(source), test::FilesBelow(copy));
  const auto runs = RunFolders(L"E:\\_Backup_\\" + ComputerName() + L"\\Sollux-versions");
  ASSERT_FALSE(runs.empty());
  const std::wstring below = copy.substr(std::wstring(L"E:\\_Backup_\\").size());
  std::string damaged = "changed, and spoilt on its way to the stick";
  damaged[damaged.size() / 2] = static_cast<char>(~damaged[damaged.size() / 2]);
  EXPECT_EQ(damaged, test::ReadFileBytes(runs.back() + L"\\damaged copies\\" + below + L"\\0.txt"));

  FlipMiddleByte(copy + L"\\3.txt");
  int found_in = 0;
  for (int run = 1; run <= 8 && found_in == 0; ++run) {
    const auto later = RunSollux();
    if (later.exit_code == 2) found_in = run;
    if (found_in == 0) {
      EXPECT_EQ(0u, later.exit_code) << later.out;
    }
  }
  EXPECT_NE(0, found_in);
  EXPECT_EQ(test::FilesBelow(source), test::FilesBelow(copy));
}

// A fake-capacity stick: the first backup names every copy that reads back wrong, whether the
// stick wraps around onto the copies written first or drops what comes past its real size.
TEST_F(BackupRun, WithStickFakeCapacityIsCaught) {
  SetPlumaSettings();
  ScopedEnvironmentVariable mirror(L"SOLLUX_STANDIN_MIRROR", L"1");
  const std::wstring source = data_ / kJapaneseFolder;
  constexpr size_t kFile = 16 * 1024;
  for (int i = 0; i < 8; ++i) {
    test::WriteFileBytes(source + L"\\" + std::to_wstring(i) + L".bin",
                         std::string(kFile, static_cast<char>('a' + i)));
  }
  const std::wstring copy = DestinationFor(L"E:\\_Backup_", source);
  const std::wstring report = L"E:\\_Backup_\\" + ComputerName() + L"\\Sollux-report.txt";
  for (const wchar_t* mode : {L"wrap:65536", L"drop:65536"}) {
    SCOPED_TRACE(mode);
    std::filesystem::remove_all(copy);
    const ScopedTempDir state;
    ScopedEnvironmentVariable stick(L"SOLLUX_STANDIN_STICK", mode);
    ScopedEnvironmentVariable state_folder(L"SOLLUX_STANDIN_STICK_STATE", state.path());
    const auto run = RunSollux();
    EXPECT_EQ(2u, run.exit_code);
    const std::wstring out = FromShiftJis(run.out);
    EXPECT_NE(std::wstring::npos, out.find(source + L": 4 files read back wrong from the stick"))
        << run.out;
    EXPECT_NE(std::wstring::npos, out.find(L"The stick returned wrong bytes")) << run.out;
    const std::string named = test::ReadFileBytes(report);
    EXPECT_NE(std::string::npos,
              named.find("Read back wrong and copied again (the wrong copy is kept in this run's "
                         "versions folder, below \"damaged copies\"):"))
        << named;
    EXPECT_EQ(test::FilesBelow(source), test::FilesBelow(copy));
  }
}

// A stick of 4 MiB (backup_e2e_test.sh mounts a tmpfs): old runs' versions make room, oldest
// first and never the current run's; what still does not fit is said before the copying.
TEST_F(BackupRun, SmallStickPrunesOldVersionsThenSaysWhatDoesNotFit) {
  SetPlumaSettings();
  ScopedEnvironmentVariable mirror(L"SOLLUX_STANDIN_MIRROR", L"1");
  const std::wstring file = data_ / kJapaneseFolder + L"\\a.bin";
  const std::wstring versions = L"E:\\_Backup_\\" + ComputerName() + L"\\Sollux-versions";
  constexpr size_t kMiB = 1 << 20;
  test::WriteFileBytes(file, std::string(kMiB * 6 / 5, 'a'));
  ASSERT_EQ(0u, RunSollux().exit_code);
  test::WriteFileBytes(file, std::string(kMiB * 6 / 5 + 1, 'b'));
  ASSERT_EQ(0u, RunSollux().exit_code);
  // The first run's folder holds the list of what it added; the second's the old a.bin.
  const std::vector<std::wstring> first_kept = RunFolders(versions);
  ASSERT_EQ(2u, first_kept.size());

  test::WriteFileBytes(file, std::string(2 * kMiB, 'c'));  // fits once the first run's go
  const auto third = RunSollux();
  EXPECT_EQ(0u, third.exit_code) << third.out;
  EXPECT_NE(std::string::npos, FromShiftJis(third.out).find(L"Old versions deleted to make room: " +
                                                            first_kept[1] + L" (1 file)\n"))
      << third.out;
  const std::vector<std::wstring> second_kept = RunFolders(versions);
  ASSERT_EQ(1u, second_kept.size());
  EXPECT_NE(first_kept, second_kept);

  test::WriteFileBytes(data_ / kJapaneseFolder + L"\\b.bin", std::string(3 * kMiB, 'd'));
  const auto fourth = RunSollux();
  EXPECT_EQ(2u, fourth.exit_code);
  const std::wstring out = FromShiftJis(fourth.out);
  EXPECT_NE(std::wstring::npos, out.find(L"Old versions deleted to make room: " + second_kept[0]))
      << fourth.out;
  EXPECT_NE(std::wstring::npos, out.find(L"The backup needs ")) << fourth.out;
  EXPECT_NE(std::wstring::npos, out.find(L" more than E: has free (")) << fourth.out;
  EXPECT_NE(std::wstring::npos,
            out.find(L"); some files will not fit: make room or use a larger stick\n"))
      << fourth.out;
  EXPECT_EQ(
      std::string(2 * kMiB, 'c'),
      test::ReadFileBytes(DestinationFor(L"E:\\_Backup_", data_ / kJapaneseFolder) + L"\\a.bin"));
}

// Each backup to a stick is recorded on the PC (not on the stick); after 14 days or more
// without one, the next backup to a stick says how long it was. A run that copied nothing
// (exit code 1) does not count.
TEST_F(BackupRun, WithStickIsRememberedOnThePC) {
  ::RemoveDirectoryW(kSharedTemp);  // of an earlier run
  const std::wstring record = std::wstring(kSharedTemp) + L"\\Brevant.tmp\\Sollux-sticks.txt";
  ::DeleteFileW(record.c_str());
  test::MakeFolders(std::wstring(kSharedTemp) + L"\\Brevant.tmp");
  ScopedEnvironmentVariable tmp(L"TMP", kSharedTemp);
  const int64_t now = std::time(nullptr);
  const std::string earlier = std::to_string(now - 20 * 86400) + "\t2026-11-19 10:00:00\tOLD\t0000-0001\t0\r\n" +
                              std::to_string(now - 86400) + "\t2026-12-08 10:00:00\tOLD\t0000-0001\t1\r\n";
  test::WriteFileBytes(record, earlier);
  const auto run = RunSollux();
  EXPECT_EQ(0u, run.exit_code) << run.out;
  EXPECT_NE(std::string::npos, run.out.find("The last backup to a stick was 20 days ago (")) << run.out;
  const std::string written = test::ReadFileBytes(record);
  ASSERT_TRUE(written.starts_with(std::string(kByteOrderMark) + earlier)) << written;
  EXPECT_TRUE(written.ends_with("\t0\r\n")) << written;
  EXPECT_EQ(3, std::count(written.begin(), written.end(), '\n')) << written;
}

// Without a stick the backup goes to the scratch folder, says so first and last, and ends with
// exit code 4; a PC that never saw a backup to a stick is told so.
TEST_F(BackupRun, WithoutStickBacksUpIntoTheScratchFolder) {
  SetPlumaSettings();
  const auto run = RunSollux();
  EXPECT_EQ(4u, run.exit_code);
  const std::string line = "No USB stick: backed up to " + test::Narrow(temp_.path()) +
                           "\\Brevant.tmp\\_Backup_ on this PC's own disk, which does not "
                           "protect against a broken disk. Never backed up to a stick.\n";
  // First after the program's name, and last before the verdict.
  EXPECT_EQ(line, run.out.substr(run.out.find('\n') + 1, line.size())) << run.out;
  EXPECT_TRUE(run.out.ends_with(line + test::Narrow(Say(Text::kVerdictOwnDisk)) + "\n"))
      << run.out;
  const Event event = LastEvent();
  EXPECT_EQ(EVENTLOG_WARNING_TYPE, event.type) << events_;
  EXPECT_EQ(1004, event.id);
  EXPECT_TRUE(event.text.starts_with(test::Narrow(Say(Text::kVerdictOwnDisk)))) << event.text;
  const std::string history = test::ReadFileBytes(temp_ / (L"Brevant.tmp\\_Backup_\\" +
                                                           ComputerName() + L"\\Sollux-history.txt"));
  EXPECT_NE(std::string::npos, history.find("; no USB stick, on this PC's own disk\r\n")) << history;
  EXPECT_EQ(MissingFolderLine() + Refusals(ExpectedSources(true).size() + 1), run.err);
  ExpectCalls(ExpectedSources(true), temp_ / L"Brevant.tmp\\_Backup_");
  EXPECT_NE(std::string::npos,
            run.out.find(test::Narrow(temp_.path()) + "\\Brevant.tmp\\_Backup_\n"))
      << run.out;
}

// Without any PLUMA setting: one line per value, and the shell folders are still backed up;
// also from a temporary folder whose name has a blank and an "&".
TEST_F(BackupRun, WithoutStickOrSettingsBacksUpTheShellFolders) {
  const std::wstring odd = temp_ / L"Anna Maria & Co";
  test::MakeFolders(odd);
  ScopedEnvironmentVariable tmp(L"TMP", odd);
  const auto run = RunSollux();
  EXPECT_EQ(4u, run.exit_code);
  const std::string file_path = "REG_get_key error Software\\Morvaine\\PLUMA\\PLUMA\\FilePath\n";
  EXPECT_EQ(file_path + file_path + file_path + file_path +
                "REG_get_key error Software\\Morvaine\\PLUMA\\PLUMA\\PlnCtrl\n" +
                Refusals(ExpectedSources(false).size() + 1),
            run.err);
  ExpectCalls(ExpectedSources(false), odd + L"\\Brevant.tmp\\_Backup_");
}

// After a backup to a stick (WithStickIsRememberedOnThePC), a run without one names its date.
TEST_F(BackupRun, WithoutStickNamesTheLastBackupToAStick) {
  ScopedEnvironmentVariable tmp(L"TMP", kSharedTemp);
  const auto run = RunSollux();
  EXPECT_EQ(4u, run.exit_code) << run.out;
  wchar_t today[16] = {};
  const std::time_t now = std::time(nullptr);
  std::wcsftime(today, 16, L"%Y-%m-%d", std::localtime(&now));
  EXPECT_TRUE(run.out.ends_with(" on this PC's own disk, which does not protect against a broken "
                                "disk. Last backup to a stick: " + test::Narrow(today) +
                                ", today.\n" + test::Narrow(Say(Text::kVerdictOwnDisk)) + "\n"))
      << run.out;
}

// Without a stick, on a PC disk that the backup would leave with less than a tenth free (and
// less than 2 GB), the batch file is not run: the figures are named, nothing is copied, and the
// run ends with 1. The disk is a tmpfs of 8 MiB staged as F: (backup_e2e_test.sh).
TEST_F(BackupRun, SmallDiskWithoutStickCopiesNothing) {
  test::MakeFolders(L"F:\\tmp");
  ScopedEnvironmentVariable tmp(L"TMP", L"F:\\tmp");
  const std::wstring folder = L"F:\\PLUMA";
  test::WriteFileBytes(folder + L"\\big.bin", std::string(7 << 20, 'x'));
  SetPlumaValue(kPlumaSettings[0].key_path, kPlumaSettings[0].value_name, folder);
  const auto run = RunSollux();
  EXPECT_EQ(1u, run.exit_code);
  EXPECT_NE(std::string::npos, run.out.find("Not backed up: the copy needs ")) << run.out;
  EXPECT_NE(std::string::npos, run.out.find(", of which at least 2.0 GB must stay free for "
                                            "Windows and your programs. Plug in a USB stick"))
      << run.out;
  // The end says both again, though no check ran, and that nothing was backed up.
  const std::string end = run.out.substr(run.out.find(test::Narrow(Say(Text::kEndHeader))));
  EXPECT_NE(std::string::npos, end.find("\nNot backed up: the copy needs ")) << end;
  EXPECT_NE(std::string::npos, end.find("\nNo USB stick: backed up to F:\\tmp\\")) << end;
  EXPECT_TRUE(end.ends_with(test::Narrow(Say(Text::kVerdictNothing)) + "\n")) << end;
  EXPECT_EQ(EVENTLOG_ERROR_TYPE, LastEvent().type) << events_;
  EXPECT_EQ(1001, LastEvent().id);
  for (const auto& call : runner_.RecordedCalls()) EXPECT_NE(L"robocopy", call.program);
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES,
            ::GetFileAttributesW((L"F:\\tmp\\Brevant.tmp\\_Backup_\\" + ComputerName() +
                                  L"\\F\\PLUMA\\big.bin").c_str()));
}

}  // namespace
}  // namespace sollux
