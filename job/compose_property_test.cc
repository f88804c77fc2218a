// Whole batch texts and batch file names composed from generated hostile folder lists
// (test/random_text.h), on a machine whose folders exist by a digest of their text
// (test/fake_machine.h).
#include <gtest/gtest.h>

#include <algorithm>
#include <cwchar>

#include "base/file_system.h"
#include "base/path.h"
#include "base/text.h"
#include "base/text_file.h"
#include "job/backup_job.h"
#include "job/command_line.h"
#include "script/batch_escape.h"
#include "script/batch_script.h"
#include "test/cmd_model.h"
#include "test/fake_machine.h"
#include "test/property_check.h"
#include "test/random_text.h"
#include "test/wide_error_capture.h"

namespace sollux {
namespace {

using test::InputCount;
using test::Property;
using test::RandomText;
using test::SeedFor;
using test::WideErrorCapture;

// The switches that the batch file's name shows.
struct NamedSwitches {
  bool list_only, subdirectories, mirror, fat_file_times;
  // The end of the batch file's name: "_", the switch letters in their order, ".bat".
  WString NameEnd() const {
    return WString(L"_") + (subdirectories ? L"s" : L"") + (mirror ? L"mir" : L"") +
           (fat_file_times ? L"fft" : L"") + (list_only ? L"l" : L"") + L".bat";
  }
};

NamedSwitches RandomSwitches(RandomText& random) {
  return {random.OneIn(3), !random.OneIn(4), random.OneIn(2), !random.OneIn(4)};
}

// A job with the given switches and a random pause and destination.
BackupJob RandomJob(RandomText& random, const NamedSwitches& switches) {
  BackupJob job;
  job.SetListOnly(switches.list_only);
  job.SetLongFinalPause(random.OneIn(2));
  job.SetMirror(switches.mirror);
  job.SetSubdirectories(switches.subdirectories);
  job.SetFatFileTimes(switches.fat_file_times);
  const WString destination = random.OneIn(2) ? random.Path() + L"\\_Backup_" : random.Any();
  job.SetDestination(destination.c_str());
  return job;
}

// The lines of a text whose line breaks are all CR LF and which ends with one; false otherwise.
bool CrLfLines(const WString& text, WStringList* lines) {
  lines->clear();
  size_t start = 0;
  for (size_t end; (end = text.find(L"\r\n", start)) != WString::npos; start = end + 2) {
    lines->push_back(text.substr(start, end - start));
  }
  if (start != text.size()) return false;
  return std::none_of(lines->begin(), lines->end(), [](const WString& line) {
    return line.find_first_of(L"\r\n") != WString::npos;
  });
}

// What cmd.exe shows for `folder` on an echo line: its text, controls as "_".
WString Shown(const WString& folder) {
  WString shown = test::ReadThroughShiftJis(folder);
  for (wchar_t& c : shown) {
    if (c < 0x20) c = L'_';
  }
  return shown;
}

bool EchoLineShows(const WString& line, const WString& start, const WString& folder) {
  WString shown;
  return line.starts_with(start) &&
         test::EchoShows(test::ReadThroughShiftJis(line.substr(start.size())), &shown) &&
         shown == Shown(folder);
}

WStringList Qualifying(const WStringList& sources) {
  WStringList qualifying;
  for (const WString& source : UniqueInOrder(sources)) {
    // The batch file changes to %Temp% first: only a full path names the same folder there.
    if (IsFullPath(source) && DirectoryExists(source.c_str())) qualifying.push_back(source);
  }
  return qualifying;
}

// Checks one multi-source text line by line.
void CheckScript(Property& script, BackupJob& job, const WStringList& qualifying, bool list_only) {
  WStringList lines;
  if (!script.Expect(CrLfLines(job.ScriptText(), &lines), "a line break other than CR LF")) return;
  const size_t k = qualifying.size();
  if (!script.Expect(lines.size() == 10 + 2 * k + (list_only ? 3 : 0), "line count")) return;
  script.Expect(lines[0] == L"@echo off" && lines[1].empty() && lines[2] == L"echo\trobocopy",
                "banner start");
  for (size_t n = 0; n < k; ++n) {
    script.Expect(EchoLineShows(lines[3 + n], L"echo\t\t\t", qualifying[n]), "source line");
  }
  size_t at = 3 + k;
  script.Expect(lines[at++] == L"echo.", "empty echo");
  script.Expect(EchoLineShows(lines[at++], L"echo\t\t\t", job.Destination()), "destination");
  if (list_only) at += 3;
  script.Expect(lines[at].empty() && lines[at + 1] == L"@echo on" && lines[at + 2].empty() &&
                    lines[at + 3] == L"cd /d %Temp%",
                "banner end");
  at += 4;
  for (size_t n = 0; n < k; ++n, ++at) {
    const WString& line = lines[at];
    script.Expect(line.starts_with(L"timeout /t 10  &\trobocopy \"") &&
                      std::count(line.begin(), line.end(), L'"') == 4,
                  "command line");
  }
  script.Expect(lines[at] == (job.LongFinalPause() ? L"timeout /t 100" : L"timeout /t 10"),
                "closing pause");
}

TEST(ComposePropertyTest, MultiSourceTextNamesExactlyTheExistingFolders) {
  test::ScopedFakeMachine machine;
  test::StageRandomMachine(machine);
  RandomText random(SeedFor("ComposeScript"));
  Property script("ComposeScript: CR LF lines, one echo and one command per existing folder");
  WideErrorCapture errors;  // the lost folders' reports
  for (size_t i = InputCount(20000); i > 0; --i) {
    const NamedSwitches switches = RandomSwitches(random);
    BackupJob job = RandomJob(random, switches);
    WStringList sources = random.List(8);
    if (!sources.empty() && random.OneIn(2)) sources.push_back(random.Pick(sources));
    const WString initial = random.Any();
    job.SetSource(initial.c_str());
    script.SetContext(job.Destination());
    script.Try(sources.empty() ? WString() : sources.front(), [&] {
      const WStringList qualifying = Qualifying(sources);
      job.ComposeScript(sources);
      CheckScript(script, job, qualifying, switches.list_only);
      // The source is set from the NUL-terminated text; the program's folder texts (registry
      // values, shell folders) never hold a NUL.
      const WString last = WString((qualifying.empty() ? initial : qualifying.back()).c_str());
      script.Expect(job.Source() == last, "source left at another folder");
    });
    errors.Take();
  }
}

TEST(ComposePropertyTest, SingleSourceTextHasItsSixOrSevenLines) {
  test::ScopedFakeMachine machine;
  test::StageRandomMachine(machine);
  RandomText random(SeedFor("ComposeSingleScript"));
  Property script("ComposeSingleScript: CR LF lines, banner, one command, pauses");
  WideErrorCapture errors;  // the lost folders' reports
  for (size_t i = InputCount(20000); i > 0; --i) {
    BackupJob job = RandomJob(random, RandomSwitches(random));
    const WString source = random.Any();
    job.SetSource(source.c_str());
    script.SetContext(job.Destination());
    script.Try(source, [&] {
      job.ComposeSingleScript();
      WStringList lines;
      if (!script.Expect(CrLfLines(job.ScriptText(), &lines), "a line break other than CR LF")) {
        return;
      }
      const bool long_pause = job.LongFinalPause();
      if (!script.Expect(lines.size() == (long_pause ? 7u : 6u), "line count")) return;
      script.Expect(lines[0].starts_with(L"rem\trobocopy\t") &&
                        lines[1].starts_with(L"rem\t\t\t") && lines[2] == L"rem" &&
                        lines[3] == L"cd /d %Temp%",
                    "banner");
      const WString& command = lines[long_pause ? 5 : 4];
      script.Expect(command.starts_with(L"robocopy \"") &&
                        std::count(command.begin(), command.end(), L'"') == 4,
                    "command line");
      script.Expect(lines.back() == (long_pause ? L"timeout /t 100" : L"timeout /t 10"), "pause");
    });
    errors.Take();
  }
}

// The folders of a command line that the batch file cannot name exactly.
WStringList LostFolders(BackupJob& job) {
  const CommandFolders folders = CommandFoldersOf(job);
  WStringList lost;
  for (const WString& folder : {folders.source, folders.destination}) {
    // What robocopy receives for the folder, by the model of cmd.exe and the C runtime.
    WString received;
    const bool exact =
        test::QuotedArgument(test::ReadThroughShiftJis(QuotedFolder(folder)), &received) &&
        received == folder;
    if (!exact && std::find(lost.begin(), lost.end(), folder) == lost.end()) lost.push_back(folder);
  }
  return lost;
}

// Never a folder lost without a word: each folder that the batch file cannot name exactly is
// reported once, in full.
TEST(ComposePropertyTest, EveryFolderThatCannotBeNamedIsReported) {
  test::ScopedFakeMachine machine;
  test::StageRandomMachine(machine);
  WideErrorCapture errors;
  RandomText random(SeedFor("LostFolders"));
  Property reported("ComposeScript reports each folder it cannot name exactly, once");
  for (size_t i = InputCount(20000); i > 0; --i) {
    BackupJob job = RandomJob(random, RandomSwitches(random));
    const WStringList sources = random.List(4);
    reported.SetContext(job.Destination());
    reported.Try(sources.empty() ? WString() : sources.front(), [&] {
      WString expected;
      WStringList lost;
      for (const WString& source : Qualifying(sources)) {
        BackupJob copy(job);
        copy.SetSource(source.c_str());
        for (const WString& folder : LostFolders(copy)) {
          if (std::find(lost.begin(), lost.end(), folder) != lost.end()) continue;
          lost.push_back(folder);
          expected +=
              L"cannot be backed up by this batch file, which has no exact form for the "
              L"folder: " +
              folder + L"\n";
        }
      }
      job.ComposeScript(sources);
      reported.Expect(errors.Take() == expected, "not each lost folder reported once");
    });
  }
}

// cmd.exe reads the batch file in the console's code page. Every folder of a command line
// that the file can name reaches robocopy exactly when the console is in 932, the code page of
// the file; in 65001 only folders of ASCII text do, which is why the console is switched to 932
// for the run.
TEST(ComposePropertyTest, CommandLineFoldersReadBackOnlyInTheFilesCodePage) {
  test::ScopedFakeMachine machine;
  test::StageRandomMachine(machine);
  WideErrorCapture errors;  // the lost folders' reports
  RandomText random(SeedFor("ConsoleCodePage"));
  Property exact("a folder that the file names reaches robocopy exactly in code page 932");
  Property utf8("in code page 65001 only a folder of ASCII text reaches robocopy exactly");
  for (size_t i = InputCount(20000); i > 0; --i) {
    BackupJob job = RandomJob(random, RandomSwitches(random));
    const WStringList sources = random.List(4);
    job.ComposeScript(sources);
    errors.Take();
    for (const CommandFolders& folders : job.ScriptFolders()) {
      for (const WString& folder : {folders.source, folders.destination}) {
        if (!NamedExactly(folder)) continue;
        const auto received = [&](unsigned code_page) {
          WString argument;
          const bool whole = test::QuotedArgument(
              test::ReadThroughConsole(QuotedFolder(folder), code_page), &argument);
          return whole && argument == folder;
        };
        exact.Try(folder, [&] { exact.Expect(received(932), "another folder in 932"); });
        utf8.Try(folder, [&] {
          const bool ascii =
              std::all_of(folder.begin(), folder.end(), [](wchar_t c) { return c < 0x80; });
          utf8.Expect(received(65001) == ascii, "65001 reads it as in 932");
        });
      }
    }
  }
}

TEST(ComposePropertyTest, ScriptLinesAreJoinedWithCrLf) {
  RandomText random(SeedFor("JoinScriptLines"));
  Property joined("JoinScriptLines puts CR LF between and after the lines");
  for (size_t i = InputCount(30000); i > 0; --i) {
    const WStringList lines = random.List(random.OneIn(20) ? 400 : 12);
    joined.Try(lines.empty() ? WString() : lines.front(), [&] {
      WString expected;
      for (const WString& line : lines) expected += line + L"\r\n";
      if (lines.empty()) expected = L"\r\n";
      joined.Expect(JoinScriptLines(lines) == expected, "other text");
    });
  }
}

TEST(ComposePropertyTest, BatchFileNamesAreFileNames) {
  test::ScopedFakeMachine machine;
  test::StageRandomMachine(machine);
  RandomText random(SeedFor("ScriptFileName"));
  Property name("ScriptFileName: RC_, no forbidden character, switch letters and .bat, fits");
  for (size_t i = InputCount(100000); i > 0; --i) {
    const NamedSwitches switches = RandomSwitches(random);
    BackupJob job = RandomJob(random, switches);
    const WString source = random.Any();
    job.SetSource(source.c_str());
    name.SetContext(job.Destination());
    name.Try(source, [&] {
      const WString file = job.ScriptFileName();
      name.Expect(file.starts_with(L"RC_") && file.ends_with(L".bat"), "RC_ ... .bat");
      name.Expect(file.size() <= 255, "longer than a file name may be");
      name.Expect(
          std::none_of(file.begin(), file.end(),
                       [](wchar_t c) { return c < 0x20 || std::wcschr(L"<>:\"/\\|?*", c); }),
          "forbidden character");
      name.Expect(file.ends_with(switches.NameEnd()), "switch letters");
    });
  }
}

}  // namespace
}  // namespace sollux
