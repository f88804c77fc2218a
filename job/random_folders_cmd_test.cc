// Random folder names from every character that a Windows folder name may hold, created on
// disk, composed into one batch file and run through Wine's real cmd.exe with the recording
// stand-ins of test/batch_runner.h: robocopy receives every folder exactly, the banner shows
// every folder exactly, and nothing else runs.
#include <gtest/gtest.h>

#include <algorithm>
#include <cwctype>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "base/text_file.h"
#include "base/win.h"
#include "base/wstring.h"
#include "job/backup_job.h"
#include "script/path_rewrite.h"
#include "test/batch_runner.h"
#include "test/fake_machine.h"
#include "test/random_text.h"
#include "test/temp_dir.h"
#include "test/wide_error_capture.h"

namespace sollux {
namespace {

namespace fs = std::filesystem;
using test::BatchRun;
using test::BatchRunner;
using test::RandomText;
using test::ScopedTempDir;
using test::StandInCall;
using Args = std::vector<std::wstring>;

constexpr size_t kFolderCount = 220;
constexpr size_t kLongestName = 40;

// Japanese whose Shift JIS second byte is 0x5C (a backslash) or 0x7C (a vertical bar), which a
// reader that takes the file byte by byte would misread.
const WString kTrailByteKanji =
    L"\x30BD\x8868\x30DD\x80FD\x5341\x4E88\x8CBC\x7533\x69CB\x5642\x8695\x7984\x5154\x66B4";
// The punctuation that cmd.exe treats specially somewhere, and that a folder name may hold.
const WString kSpecials = L"&%^()!';,=~ ";

WStringList Switches() {
  return {L"/s",   L"/purge", L"/mir",     L"/fft",      L"/r:3", L"/w:5",
          L"/xjd", L"/xf",    L"mfc*.tmp", L"Thumbs.db", L"/xd",  L"bak"};
}

// A random character of `first` to `last` that code page 932 names exactly.
wchar_t SurvivingIn(RandomText& random, wchar_t first, wchar_t last) {
  for (;;) {
    const wchar_t c = static_cast<wchar_t>(first + random.Below(last - first + 1));
    if (SurvivesShiftJis(WString(1, c))) return c;
  }
}

wchar_t FolderNameChar(RandomText& random) {
  const size_t r = random.Below(100);
  if (r < 25) {
    for (;;) {  // printable ASCII that a file name may hold
      const wchar_t c = static_cast<wchar_t>(0x20 + random.Below(0x5F));
      if (WString(L"\\/:*?\"<>|").find(c) == WString::npos) return c;
    }
  }
  if (r < 45) return kSpecials[random.Below(kSpecials.size())];
  if (r < 55) return static_cast<wchar_t>(0x3041 + random.Below(0x3093 - 0x3041 + 1));  // hiragana
  if (r < 65) return static_cast<wchar_t>(0x30A1 + random.Below(0x30F6 - 0x30A1 + 1));  // katakana
  if (r < 78) return SurvivingIn(random, 0x4E00, 0x9FA0);                               // kanji
  if (r < 88) return kTrailByteKanji[random.Below(kTrailByteKanji.size())];
  if (r < 93) return SurvivingIn(random, 0xFF01, 0xFF9F);  // fullwidth forms, halfwidth kana
  return SurvivingIn(random, 0x0391, 0x044F);              // Greek and Cyrillic
}

bool IsDeviceName(const WString& name) {
  WString base = name.substr(0, name.find(L'.'));
  while (!base.empty() && base.back() == L' ') base.pop_back();
  for (wchar_t& c : base) c = static_cast<wchar_t>(std::towupper(c));
  static const std::set<WString> kDevices = {
      L"CON",  L"PRN",  L"AUX",  L"NUL",  L"COM0", L"COM1", L"COM2",   L"COM3",   L"COM4",
      L"COM5", L"COM6", L"COM7", L"COM8", L"COM9", L"LPT0", L"LPT1",   L"LPT2",   L"LPT3",
      L"LPT4", L"LPT5", L"LPT6", L"LPT7", L"LPT8", L"LPT9", L"CONIN$", L"CONOUT$"};
  return kDevices.count(base) > 0;
}

// 1 to 40 characters; no trailing blank or full stop, no device name.
WString FolderName(RandomText& random) {
  for (;;) {
    WString name;
    for (size_t n = 1 + random.Below(kLongestName); n > 0; --n) name += FolderNameChar(random);
    if (name.back() == L' ' || name.back() == L'.' || IsDeviceName(name)) continue;
    return name;
  }
}

// The folder below the backup folder that a source without quote characters must get: the
// computer (PC01), the drive letter and the path, percent signs as separators, "." and ".."
// resolved within the path and other names of full stops and blanks left out. (A quote after
// a percent sign protects the percent signs up to its partner; that rule is left to the
// program's own tests.)
WString BackupFolderOf(const WString& backup, const WString& source) {
  WStringList kept = {L"PC01", source.substr(0, 1)};
  WString element;
  for (size_t k = 2; k <= source.size(); ++k) {
    if (k < source.size() && source[k] != L'\\' && source[k] != L'%') {
      element += source[k];
      continue;
    }
    const bool dots =
        element.find(L'.') != WString::npos && element.find_first_not_of(L". ") == WString::npos;
    if (element == L".." && kept.size() > 2) kept.pop_back();
    if (!element.empty() && !dots) kept.push_back(element);
    element.clear();
  }
  WString folder = backup;
  for (const WString& part : kept) folder += L"\\" + part;
  return folder;
}

// Every file and folder below `root`, as paths relative to it.
std::set<WString> Entries(const WString& root) {
  std::set<WString> entries;
  for (const auto& entry : fs::recursive_directory_iterator(fs::path(root))) {
    entries.insert(fs::relative(entry.path(), fs::path(root)).wstring());
  }
  return entries;
}

class RandomFoldersThroughCmdTest : public testing::Test {
 protected:
  RandomFoldersThroughCmdTest() {
    machine_.computer_name = L"PC01";
    machine_.UsePrivateTemporaryFolder();
    runner_.SetEnvironment(L"TEMP", temp_.path());
    test::MakeFolders(tree_ / L"src");
  }

  // Creates `count` folders of random names below src; answers their paths.
  WStringList MakeRandomFolders(RandomText& random, size_t count) {
    WStringList sources;
    while (sources.size() < count) {
      const WString path = tree_ / (L"src\\" + FolderName(random));
      // A name that differs from an earlier one only in letter case names the same folder.
      if (::CreateDirectoryW(path.c_str(), nullptr)) sources.push_back(path);
    }
    return sources;
  }

  WString Backup() const { return tree_ / L"dst\\_Backup_"; }

  // For each folder a pause and a copy into its backup folder, then the closing pause.
  std::vector<Args> ExpectedCalls(const WStringList& sources) const {
    std::vector<Args> expected;
    for (const WString& source : sources) {
      const WString destination = BackupDestinationFor(source.c_str(), Backup().c_str());
      if (source.find(L'\'') == WString::npos) {
        EXPECT_EQ(BackupFolderOf(Backup(), source), destination) << test::Printable(source);
      }
      expected.push_back({L"timeout", L"/t", L"10"});
      Args robocopy = {L"robocopy", source, destination};
      for (const WString& arg : Switches()) robocopy.push_back(arg);
      expected.push_back(robocopy);
    }
    expected.push_back({L"timeout", L"/t", L"100"});
    return expected;
  }

  // The banner, line by line, then nothing but the commands that cmd.exe echoes after its
  // prompt: an error message there would mean that a name ran something. The first command
  // changes to %Temp%, here a private folder.
  void ExpectBannerThenPrompts(const BatchRun& run, const WStringList& sources) const {
    std::vector<WString> banner = {L"robocopy"};
    for (const WString& source : sources) banner.push_back(L"\t\t" + source);
    banner.push_back(L"");
    banner.push_back(L"\t\t" + Backup());
    const std::vector<WString> lines = run.OutputLines();
    ASSERT_LE(banner.size(), lines.size());
    for (size_t i = 0; i < banner.size(); ++i) EXPECT_EQ(banner[i], lines[i]) << "line " << i;
    size_t refusals = 0;
    for (size_t i = banner.size(); i < lines.size(); ++i) {
      if (lines[i] == test::kTimeoutRefusal) {
        ++refusals;
        continue;
      }
      EXPECT_TRUE(lines[i].empty() || lines[i].starts_with(temp_.path() + L">") ||
                  lines[i].starts_with(runner_.folder() + L">cd /d "))
          << "cmd.exe wrote: " << test::Printable(lines[i]);
    }
    EXPECT_EQ(sources.size() + 1, refusals);  // one for each pause
  }

  // No stray file from a redirection, no folder from a command, where cmd.exe ran.
  void ExpectNoStrayFiles() const {
    EXPECT_TRUE(Entries(temp_.path()).empty());
    EXPECT_EQ((std::set<WString>{L"bin", L"bin\\robocopy.exe", L"bin\\timeout.exe", L"calls.log",
                                 L"run.bat"}),
              Entries(runner_.folder()));
  }

  BackupJob Job() const {
    BackupJob job;
    job.SetMirror(true);
    job.SetExcludeOlder(false);
    job.SetExcludeDirsEnabled(true);
    job.SetExcludedDirs(L" bak ");
    job.SetLongFinalPause(true);
    job.SetDestination(Backup().c_str());
    return job;
  }

  test::ScopedFakeMachine machine_;
  ScopedTempDir tree_;
  ScopedTempDir temp_;
  BatchRunner runner_;
};

// The names are drawn at random from a printed seed (SOLLUX_SEED replays it); every name is one
// that Windows allows and that code page 932 names exactly.
TEST_F(RandomFoldersThroughCmdTest, EveryFolderArrivesExactlyAndNothingElseRuns) {
  RandomText random(test::SeedFor("RandomFoldersThroughCmd"));
  const WStringList sources = MakeRandomFolders(random, kFolderCount);
  for (const WString& source : sources) ASSERT_TRUE(SurvivesShiftJis(source)) << source;
  BackupJob job = Job();
  test::WideErrorCapture errors;
  job.ComposeScript(sources);
  EXPECT_EQ(L"", errors.Take()) << "a folder was reported as lost";
  const std::set<WString> tree_before = Entries(tree_.path());
  const BatchRun run = runner_.Run(job.ScriptText());
  ASSERT_TRUE(run.finished);

  const std::vector<Args> expected = ExpectedCalls(sources);
  std::vector<Args> calls;
  for (const StandInCall& call : run.calls) calls.push_back(call.ProgramAndArgs());
  EXPECT_EQ(expected.size(), calls.size());
  // Up to the first difference, so that a missing or extra call is named.
  for (size_t i = 0; i < std::min(expected.size(), calls.size()); ++i) {
    SCOPED_TRACE(test::Printable(i % 2 == 1 ? sources[i / 2] : L"(pause)"));
    if (expected[i] != calls[i]) {
      ADD_FAILURE() << "call " << i << ": expected " << testing::PrintToString(expected[i])
                    << ", got " << testing::PrintToString(calls[i]);
      break;
    }
  }
  ExpectBannerThenPrompts(run, sources);
  EXPECT_EQ(tree_before, Entries(tree_.path()));
  ExpectNoStrayFiles();
}

// Characters that code page 932 cannot name exactly are out of the exact test above; such a
// folder is named on the error stream instead, each once with its backup folder, and its
// command still has its shape: nothing else runs, and the other folders arrive exactly.
TEST_F(RandomFoldersThroughCmdTest, FoldersOutsideCodePage932AreReported) {
  const WStringList names = {L"Caf\u00e9",          L"\u00a5100", L"x\u00a5",
                             L"Smile \xD83D\xDE00", L"\u00fcber", L"\u8868\u00a6\u30BD"};
  WStringList sources = {tree_ / L"src\\plain & 50%"};
  for (const WString& name : names) sources.push_back(tree_ / (L"src\\" + name));
  for (const WString& source : sources) test::MakeFolders(source);
  BackupJob job = Job();
  test::WideErrorCapture errors;
  job.ComposeScript(sources);
  WString expected_errors;
  for (size_t i = 1; i < sources.size(); ++i) {
    for (const WString& folder :
         {sources[i], BackupDestinationFor(sources[i].c_str(), Backup().c_str())}) {
      expected_errors +=
          L"cannot be backed up by this batch file, which has no exact form for "
          L"the folder: " +
          folder + L"\n";
    }
  }
  EXPECT_EQ(expected_errors, errors.Take());

  const BatchRun run = runner_.Run(job.ScriptText());
  ASSERT_TRUE(run.finished);
  const std::vector<StandInCall> copies = run.CallsOf(L"robocopy");
  ASSERT_EQ(sources.size(), copies.size());
  EXPECT_EQ(2 * sources.size() + 1, run.calls.size());
  EXPECT_EQ(ExpectedCalls({sources[0]})[1],
            copies[0].ProgramAndArgs());  // the plain folder, exactly
  for (const StandInCall& copy : copies) {
    ASSERT_EQ(2 + Switches().size(), copy.args.size());
    EXPECT_EQ(Switches(), Args(copy.args.begin() + 2, copy.args.end()));
  }
  ExpectNoStrayFiles();
}

}  // namespace
}  // namespace sollux
