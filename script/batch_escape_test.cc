#include "script/batch_escape.h"

#include <gtest/gtest.h>

#include "base/system_api.h"
#include "base/text_file.h"
#include "base/win.h"
#include "script/batch_literals.h"
#include "test/batch_runner.h"

namespace sollux {
namespace {

using test::BatchRun;
using test::BatchRunner;
using test::StandInCall;

TEST(EscapeForEchoTest, CaretsBeforeOperatorsAndDoubledPercentSigns) {
  const struct {
    WString text, escaped;
  } cases[] = {
      {L"C:\\Users\\user1\\Documents", L"C:\\Users\\user1\\Documents"},
      {L"E:/_Backup_", L"E:/_Backup_"},
      {L"x (1) ! a!b!c ;,= 'q' `", L"x (1) ! a!b!c ;,= 'q' `"},
      {L"\x30C7\x30FC\x30BF\\\x30BD\x8868", L"\x30C7\x30FC\x30BF\\\x30BD\x8868"},
      {L"", L""},
      {L"R&D", L"R^&D"},
      {L"Tom & Jerry", L"Tom ^& Jerry"},
      {L"50%", L"50%%"},
      {L"%Temp%", L"%%Temp%%"},
      {L"a^b^", L"a^^b^^"},
      {L"a|b<c>d", L"a^|b^<c^>d"},
      {L"a\"b", L"a^\"b"},
      {L"a\r\nb\tc", L"a__b_c"},
      // Code page 932 writes the broken bar as "|"; the yen sign becomes a backslash, which
      // cmd.exe leaves alone, and the full-width percent sign has a form of its own.
      {L"a\u00A6b", L"a^\u00A6b"},
      {L"\u00A5100", L"\u00A5100"},
      {L"50\xFF05", L"50\xFF05"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.text));
    EXPECT_EQ(c.escaped, EscapeForEcho(c.text));
  }
}

TEST(EscapeForCommandLineTest, DoubledPercentSignsOnly) {
  const struct {
    WString text, escaped;
  } cases[] = {
      {L"D:\\_Backup_\\PC01\\C\\Data\\Master", L"D:\\_Backup_\\PC01\\C\\Data\\Master"},
      {L"R&D ^ x (1) ! | < >", L"R&D ^ x (1) ! | < >"},
      {L"\x30C7\x30FC\x30BF \xA6", L"\x30C7\x30FC\x30BF \xA6"},
      {L"50% %Temp%", L"50%% %%Temp%%"},
      {L"a\"b\nc\r", L"a_b_c_"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.text));
    EXPECT_EQ(c.escaped, EscapeForCommandLine(c.text));
  }
}

WString SourceOf(const WString& name) { return L"C:\\Src\\" + name; }
WString DestinationOf(const WString& name) { return L"D:\\_Backup_\\PC01\\C\\Src\\" + name; }

// A batch text shaped like the generated one: a banner line per folder, then a paused
// robocopy command per folder, and the closing pause.
WString BatchFor(const WStringList& names, bool escape) {
  WString banner = WString(kBatchEchoOff) + kBatchLineBreak;
  for (const WString& name : names) {
    banner += kBatchEchoFolder + (escape ? EscapeForEcho(SourceOf(name)) : SourceOf(name));
  }
  WString text = banner + kBatchLineBreak + kBatchChangeToTemp + kBatchLineBreak;
  for (const WString& name : names) {
    const WString source = escape ? EscapeForCommandLine(SourceOf(name)) : SourceOf(name);
    const WString destination =
        escape ? EscapeForCommandLine(DestinationOf(name)) : DestinationOf(name);
    text += kBatchPausedCommand +
            (L"robocopy \"" + source + L"\" \"" + destination +
             L"\" /s /purge /xf  mfc*.tmp  Thumbs.db  ") +
            kBatchLineBreak;
  }
  return text + kBatchShortPause + kBatchLineBreak;
}

// The calls and the banner that the batch text of `names` must produce; `as_read` gives what
// cmd.exe reads for a folder name.
void ExpectExactRun(const WStringList& names, const BatchRun& run,
                    WString (*as_read)(const WString&)) {
  ASSERT_TRUE(run.finished);
  std::wstring banner;
  std::vector<std::vector<std::wstring>> expected_args;
  const std::vector<std::wstring> pause = {L"/t", L"10"};
  for (const WString& name : names) {
    banner += L"\t\t" + as_read(SourceOf(name)) + L"\r\n";
    expected_args.push_back(pause);
    expected_args.push_back({as_read(SourceOf(name)), as_read(DestinationOf(name)), L"/s",
                             L"/purge", L"/xf", L"mfc*.tmp", L"Thumbs.db"});
  }
  expected_args.push_back(pause);
  for (size_t i = 0; i <= names.size(); ++i)
    banner += test::kTimeoutRefusal + std::wstring(L"\r\n");
  EXPECT_EQ(banner, run.output);
  std::vector<std::vector<std::wstring>> args;
  for (const StandInCall& call : run.calls) {
    args.push_back(call.args);
    EXPECT_EQ(call.args == pause ? L"timeout" : L"robocopy", call.program);
  }
  EXPECT_EQ(expected_args, args);
}

WString Unchanged(const WString& text) { return text; }
WString ThroughShiftJis(const WString& text) { return FromShiftJis(ToShiftJis(text)); }

const WStringList kAwkwardNames = {
    L"R&D",
    L"Tom & Jerry",
    L"a & timeout /t 99",
    L"50%",
    L"100%% done",
    L"%Temp%",
    L"%~dp0",
    L"%1",
    L"a^b",
    L"^",
    L"end^",
    L"x (1)",
    L"(x)",
    L"a)b",
    L"!",
    L"a!b!c",
    L"!Temp!",
    L"Jerry's; a,b=c `d`",
    L"x|timeout 7",
    L"x > y",
    L"<in",
    L"\x30C7\x30FC\x30BF&\x8CC7\x6599 50%",  // データ&資料 50%
    L"\x30BD\x8868\x30DD",                   // ソ表ポ, whose second bytes are \ and |
};

TEST(BatchEscapeThroughCmdTest, EveryFolderIsShownAndPassedExactly) {
  BatchRunner runner;
  const BatchRun run = runner.Run(BatchFor(kAwkwardNames, /*escape=*/true));
  ExpectExactRun(kAwkwardNames, run, Unchanged);
  // "cd /d %Temp%" took effect, and no redirection created a file.
  for (const StandInCall& call : runner.Run(BatchFor({L"x"}, true)).calls) {
    EXPECT_EQ(_wgetenv(L"TEMP"), call.directory);
  }
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesW((runner.folder() + L"\\y").c_str()));
}

// The same lines without escaping lose percent signs and run parts of names as commands.
TEST(BatchEscapeThroughCmdTest, UnescapedNamesAreMangled) {
  BatchRunner runner;
  const BatchRun run = runner.Run(BatchFor({L"a & timeout /t 99", L"50%"}, /*escape=*/false));
  ASSERT_TRUE(run.finished);
  bool injected = false;
  for (const StandInCall& call : run.calls) {
    injected = injected || call.args == std::vector<std::wstring>{L"/t", L"99"};
  }
  EXPECT_TRUE(injected);
  const std::vector<StandInCall> copies = run.CallsOf(L"robocopy");
  ASSERT_EQ(2u, copies.size());
  EXPECT_NE(SourceOf(L"50%"), copies[1].args[0]);
}

// Characters that code page 932 writes as ASCII operators are escaped for what cmd.exe reads:
// such a folder is not found (the composer reports it), but nothing else runs.
TEST(BatchEscapeThroughCmdTest, BestFitOperatorsRunNothing) {
  const WStringList names = {L"a\xA6timeout 7", L"\u00A5100", L"Caf\xE9 & co"};
  BatchRunner runner;
  ExpectExactRun(names, runner.Run(BatchFor(names, /*escape=*/true)), ThroughShiftJis);
  const BatchRun unescaped = runner.Run(BatchFor({L"a\xA6timeout 7"}, /*escape=*/false));
  EXPECT_EQ(4u, unescaped.calls.size());  // the banner piped into a timeout of its own
}

// cmd.exe's message for a program it could not start begins with the command; prompt lines, the
// banner and echoed folders never do.
TEST(BatchRunnerTest, TellsAStandInThatFailedToStart) {
  const struct {
    std::wstring output;
    bool failed;
  } cases[] = {
      {L"robocopy\n\t\tC:\\x\n\nC:\\t>timeout /t 10  &\trobocopy \"C:\\x\" \"D:\\y\"\n", false},
      {L"C:\\t>rem\trobocopy\tC:\\x\n", false},
      {L"\t\trobocopy x\n", false},
      {L"C:\\t>x\ntimeout /t 10   is not recognised\n", true},
      {L"robocopy \"C:\\x\" \"D:\\y\" /s is not recognised", true},
      {L"x\r\nCan't recognize 'robocopy \"C:\\x\" \"D:\\y\"' as an internal or external "
       L"command\r\n",
       true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.output));
    EXPECT_EQ(c.failed, test::StandInFailedToStart(c.output));
  }
}

}  // namespace
}  // namespace sollux
