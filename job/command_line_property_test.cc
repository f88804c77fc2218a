// The robocopy command line of jobs with generated hostile folders (test/random_text.h) and
// random switches, on the fake machine of the randomized tests (test/fake_machine.h).
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "base/path.h"
#include "base/text.h"
#include "job/backup_job.h"
#include "job/command_line.h"
#include "script/batch_escape.h"
#include "test/cmd_model.h"
#include "test/fake_machine.h"
#include "test/property_check.h"
#include "test/random_text.h"

namespace sollux {
namespace {

using test::InputCount;
using test::Property;
using test::RandomText;
using test::SeedFor;

// Sets every switch of `job` at random and answers the text that must follow the two folders,
// built here from the flags, in the fixed order.
WString RandomSwitches(RandomText& random, BackupJob& job) {
  WStringList expected;
  const auto flag = [&](bool (BackupJob::*set)(bool), const WString& text) {
    const bool on = random.OneIn(2);
    (job.*set)(on);
    if (on) expected.push_back(text);
  };
  const WString selection = random.OneIn(4) ? L"*.txt" : L"";
  job.SetFileSelection(selection.c_str());
  if (!selection.empty()) expected.push_back(selection);
  const uint16_t retries = static_cast<uint16_t>(random.engine()());
  const uint16_t wait = static_cast<uint16_t>(random.engine()());
  const uint32_t max_age = static_cast<uint32_t>(random.engine()());
  const uint32_t min_age = static_cast<uint32_t>(random.engine()());
  const uint64_t min_size = random.engine()();
  const uint64_t max_size = random.engine()();
  job.SetRetryCount(retries);
  job.SetWaitSeconds(wait);
  job.SetMaxAge(max_age);
  job.SetMinAge(min_age);
  job.SetMinSize(min_size);
  job.SetMaxSize(max_size);
  job.SetExcludedDirs(L" bak  .vs ");
  flag(&BackupJob::SetSubdirectories, L"/s");
  flag(&BackupJob::SetPurge, L"/purge");
  flag(&BackupJob::SetMirror, L"/mir");
  flag(&BackupJob::SetFatFileTimes, L"/fft");
  flag(&BackupJob::SetRetryEnabled, L"/r:" + std::to_wstring(retries));
  flag(&BackupJob::SetWaitEnabled, L"/w:" + std::to_wstring(wait));
  flag(&BackupJob::SetExcludeOlder, L"/xo");
  flag(&BackupJob::SetExcludeExtra, L"/xx");
  flag(&BackupJob::SetExcludeJunctionDirs, L"/xjd");
  flag(&BackupJob::SetMaxAgeEnabled, L"/maxage:" + std::to_wstring(max_age));
  flag(&BackupJob::SetMinAgeEnabled, L"/minage:" + std::to_wstring(min_age));
  flag(&BackupJob::SetMinSizeEnabled, L"/min:" + std::to_wstring(min_size));
  flag(&BackupJob::SetMaxSizeEnabled, L"/max:" + std::to_wstring(max_size));
  flag(&BackupJob::SetExcludeFilesEnabled, L"/xf  mfc*.tmp  Thumbs.db ");
  flag(&BackupJob::SetExcludeDirsEnabled, L"/xd  bak  .vs ");
  const WString extra = random.OneIn(3) ? L"/np" : L"";
  job.SetExtraOptions(extra.c_str());
  expected.push_back(extra);
  flag(&BackupJob::SetListOnly, L"/l");
  return JoinWithChar(expected, L' ');
}

// What robocopy must receive for `folder`: the folder, with the characters that a batch file
// cannot carry in a quoted argument (controls, the double quote) as "_".
WString Received(const WString& folder) {
  WString received = test::ReadThroughShiftJis(folder);
  for (wchar_t& c : received) {
    if (c < 0x20 || c == L'"') c = L'_';
  }
  return received;
}

TEST(CommandLinePropertyTest, TwoQuotedFoldersThenTheSwitchesInTheirOrder) {
  test::ScopedFakeMachine machine;
  test::StageRandomMachine(machine);
  RandomText random(SeedFor("CommandLine"));
  Property line("CommandLine holds exactly two double-quoted folders and its switches in order");
  for (size_t i = InputCount(40000); i > 0; --i) {
    BackupJob job;
    const WString source = random.Any();
    const WString destination = random.OneIn(2) ? random.Path() + L"\\_Backup_" : random.Any();
    job.SetSource(source.c_str());
    job.SetDestination(destination.c_str());
    const WString remote = random.OneIn(4) ? WString() : random.Path();
    for (const wchar_t letter : {L'M', L'N', L'O', L'P'}) machine.connections[letter] = remote;
    WString tail = RandomSwitches(random, job);
    line.SetContext(destination);
    line.Try(source, [&] {
      const CommandFolders folders = CommandFoldersOf(job);
      if (IsNestedFolder(folders.source, folders.destination)) tail += L" /lev:3";
      const WString text = job.CommandLine();
      line.Expect(std::none_of(text.begin(), text.end(), [](wchar_t c) { return c < 0x20; }),
                  "control character");
      std::vector<size_t> quotes;  // positions of the double quotes
      for (size_t k = text.find(L'"'); k != WString::npos; k = text.find(L'"', k + 1)) {
        quotes.push_back(k);
      }
      if (!line.Expect(quotes.size() == 4 && text.starts_with(L"robocopy \""), "not 4 quotes")) {
        return;
      }
      const size_t q1 = quotes[1], q2 = quotes[2], q3 = quotes[3];
      line.Expect(q2 == q1 + 2 && text[q1 + 1] == L' ', "folders not side by side");
      line.Expect(text.substr(q3 + 1) == L" " + tail, "switches");
      WString received;
      line.Expect(
          test::QuotedArgument(test::ReadThroughShiftJis(text.substr(9, q1 - 8)), &received) &&
              received == Received(folders.source),
          "source not received exactly");
      line.Expect(test::QuotedArgument(test::ReadThroughShiftJis(text.substr(q2, q3 - q2 + 1)),
                                       &received) &&
                      received == Received(folders.destination),
                  "destination not received exactly");
    });
  }
}

TEST(CommandLinePropertyTest, NestingFollowsThePathComponents) {
  RandomText random(SeedFor("IsNestedFolder"));
  Property nested("IsNestedFolder: a folder holds itself and what lies below it, nothing else");
  for (size_t i = InputCount(150000); i > 0; --i) {
    const WString source = random.Any();
    const WString below = random.Text(random.Below(8));
    nested.SetContext(below);
    nested.Try(source, [&] {
      const bool separator_end =
          !source.empty() && (source.back() == L'\\' || source.back() == L'/');
      nested.Expect(IsNestedFolder(source, source) == !source.empty(), "not inside itself");
      nested.Expect(IsNestedFolder(source, source + L"\\" + below) == !source.empty(), "below");
      const bool apart = !below.empty() && below[0] != L'\\' && below[0] != L'/' && !separator_end;
      if (apart) nested.Expect(!IsNestedFolder(source, source + below), "a sibling counts");
      nested.Expect(!IsNestedFolder(source, below) || below.size() >= source.size(), "shorter");
    });
  }
}

}  // namespace
}  // namespace sollux
