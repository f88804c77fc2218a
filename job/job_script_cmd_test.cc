// Composed batch files run through Wine's real cmd.exe, with stand-ins that record what robocopy
// and timeout receive.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/planning.h"
#include "base/path.h"
#include "base/wstring.h"
#include "job/backup_job.h"
#include "script/batch_script.h"
#include "test/batch_runner.h"
#include "test/fake_machine.h"
#include "test/temp_dir.h"

namespace sollux {
namespace {

using test::BatchRun;
using test::BatchRunner;
using test::ScopedTempDir;
using test::StandInCall;
using Args = std::vector<std::wstring>;

// Folder names that cmd.exe would otherwise read as operators, variables or escapes, and the
// name of their backup folder (a percent sign becomes a separator there).
const struct {
  WString name, backup_name;
} kFolders[] = {
    {L"R&D", L"R&D"},
    {L"50%", L"50"},
    {L"a^b", L"a^b"},
    {L"x (1)", L"x (1)"},
    {L"Tom & Jerry", L"Tom & Jerry"},
    {L"%Temp%", L"Temp"},
    {L"\x30C7\x30FC\x30BF&\x8CC7\x6599 50%", L"\x30C7\x30FC\x30BF&\x8CC7\x6599 50"},
};

// The switches of the planning driver's job, with each exclusion as an argument of its own.
const Args kSwitches = {
    L"/s",       L"/purge",   L"/mir",  L"/fft",      L"/r:3", L"/w:5", L"/xjd", L"/max:4294967296",
    L"/xf",      L"*.bak",    L"*.tmp", L"Thumbs.db", L"/xd",  L"bak",  L".vs",  L"_Backup_",
    L"_Search_", L"_Backup_", L"*.tmp"};

BackupJob PlanningJob(const WString& destination) {
  BackupJob job;
  ConfigureBackupJob(job, destination);
  return job;
}

Args RobocopyArgs(const WString& source, const WString& destination) {
  Args args = {source, destination};
  args.insert(args.end(), kSwitches.begin(), kSwitches.end());
  return args;
}

class ComposedScriptThroughCmdTest : public testing::Test {
 protected:
  ComposedScriptThroughCmdTest() {
    machine_.computer_name = L"PC01";
    machine_.UsePrivateTemporaryFolder();
    for (const auto& folder : kFolders) test::MakeFolders(Source(folder.name));
  }
  WString Source(const WString& name) const { return tree_ / (L"src\\" + name); }
  // The per-computer folder below the backup folder: PC01, the drive letter, the path.
  WString Backup(const WString& name) const {
    return tree_ / (L"dst\\_Backup_\\PC01\\C" + tree_.path().substr(2) + L"\\src\\" + name);
  }

  test::ScopedFakeMachine machine_;
  ScopedTempDir tree_;
  BatchRunner runner_;
};

TEST_F(ComposedScriptThroughCmdTest, MultiSourceFormShowsAndPassesEveryFolderExactly) {
  BackupJob job = PlanningJob(tree_ / L"dst\\_Backup_");
  WStringList sources;
  for (const auto& folder : kFolders) sources.push_back(Source(folder.name));
  sources.push_back(Source(L"missing"));
  job.ComposeScript(sources);
  const BatchRun run = runner_.Run(job.ScriptText());
  ASSERT_TRUE(run.finished);

  std::vector<Args> expected;
  std::vector<std::wstring> banner = {L"robocopy"};
  for (const auto& folder : kFolders) {
    expected.push_back({L"timeout", L"/t", L"10"});
    Args robocopy = RobocopyArgs(Source(folder.name), Backup(folder.backup_name));
    robocopy.insert(robocopy.begin(), L"robocopy");
    expected.push_back(robocopy);
    banner.push_back(L"\t\t" + Source(folder.name));
  }
  expected.push_back({L"timeout", L"/t", L"100"});
  banner.push_back(L"");
  banner.push_back(L"\t\t" + tree_ / L"dst\\_Backup_");
  std::vector<Args> calls;
  for (const StandInCall& call : run.calls) calls.push_back(call.ProgramAndArgs());
  EXPECT_EQ(expected, calls);
  const std::vector<std::wstring> lines = run.OutputLines();
  ASSERT_LE(banner.size(), lines.size());
  EXPECT_EQ(banner, std::vector<std::wstring>(lines.begin(), lines.begin() + banner.size()));
}

TEST_F(ComposedScriptThroughCmdTest, SingleSourceFormShowsAndPassesTheFolderExactly) {
  for (const auto& folder : kFolders) {
    SCOPED_TRACE(folder.name);
    BackupJob job = PlanningJob(tree_ / L"dst\\_Backup_");
    job.SetSource(Source(folder.name).c_str());
    job.ComposeSingleScript();
    const BatchRun run = runner_.Run(job.ScriptText());
    ASSERT_TRUE(run.finished);
    ASSERT_EQ(3u, run.calls.size());
    EXPECT_EQ((Args{L"timeout", L"/t", L"10"}), run.calls[0].ProgramAndArgs());
    EXPECT_EQ(RobocopyArgs(Source(folder.name), Backup(folder.backup_name)), run.calls[1].args);
    EXPECT_EQ((Args{L"timeout", L"/t", L"100"}), run.calls[2].ProgramAndArgs());
    // cmd.exe echoes the rem banner, after its own expansion of percent signs.
    EXPECT_NE(std::wstring::npos,
              run.output.find(L">rem\trobocopy\t" + ShortenPath(Source(folder.name), 50)));
  }
}

// A drive root stays a root, and a backslash before a closing quote does not swallow it.
TEST_F(ComposedScriptThroughCmdTest, RootsAndTrailingBackslashesArriveWhole) {
  const struct {
    WString source, destination;
    Args folders;
    bool nested;
  } cases[] = {
      {L"C:\\", tree_ / L"dst", {L"C:\\", tree_ / L"dst"}, true},
      {L"C:/", tree_ / L"dst", {L"C:/", tree_ / L"dst"}, true},
      {Source(L"R&D") + L"\\\\", L"D:\\", {Source(L"R&D") + L"\\", L"D:\\"}, false},
      {L"\"" + Source(L"50%") + L"\\\"",
       tree_ / L"dst\\\\",
       {Source(L"50%"), tree_ / L"dst\\"},
       false},
      // Found by the randomized test: a yen sign is a backslash in code page 932, and one
      // before the closing quote ran the two folders and the switches into one argument. The
      // folder itself cannot be named (it is reported), but the command keeps its shape.
      {Source(L"\x00A5"), tree_ / L"dst", {tree_ / L"src\\\\", tree_ / L"dst"}, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.source + L" -> " + c.destination);
    BackupJob job;
    job.SetSource(c.source.c_str());
    job.SetDestination(c.destination.c_str());
    job.SetExtraOptions(L"/np");
    job.ComposeSingleScript();
    const std::vector<StandInCall> copies = runner_.Run(job.ScriptText()).CallsOf(L"robocopy");
    ASSERT_EQ(1u, copies.size());
    Args expected = c.folders;
    for (const wchar_t* arg : {L"/s", L"/purge", L"/fft", L"/r:3", L"/w:5", L"/xo", L"/xjd", L"/xf",
                               L"mfc*.tmp", L"Thumbs.db", L"/np"}) {
      expected.push_back(arg);
    }
    if (c.nested) expected.push_back(L"/lev:3");
    EXPECT_EQ(expected, copies[0].args);
  }
}

}  // namespace
}  // namespace sollux
