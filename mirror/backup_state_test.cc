#include "mirror/backup_state.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace sollux {
namespace {

// A folder's files at one backup: path below the backup folder, and bytes.
using Files = std::map<WString, std::string>;

// Backs up each state in turn as the mirror and its versions do, recording each run; then
// rebuilds every earlier state from the records, the versions' bytes and the last mirror.
void ExpectEveryStateRebuilt(const std::vector<Files>& states) {
  std::vector<RunRecord> runs;
  std::vector<Files> versions;  // the bytes each run kept
  Files mirror;
  for (const Files& state : states) {
    RunRecord run;
    Files kept;
    for (const auto& [path, bytes] : mirror) {
      const auto now = state.find(path);
      if (now == state.end() || now->second != bytes) {
        run.kept.push_back(path);
        kept[path] = bytes;
      }
    }
    for (const auto& [path, bytes] : state) {
      if (!mirror.contains(path)) run.added.push_back(path);
    }
    runs.push_back(run);
    versions.push_back(kept);
    mirror = state;
  }
  WStringList mirror_paths;
  for (const auto& [path, bytes] : mirror) mirror_paths.push_back(path);
  for (size_t k = 0; k < states.size(); ++k) {
    SCOPED_TRACE(k);
    Files rebuilt;
    for (const HeldFile& file : StateAfter(k, runs, mirror_paths)) {
      rebuilt[file.path] = file.version_run == kInMirror ? mirror.at(file.path)
                                                         : versions[file.version_run].at(file.path);
    }
    EXPECT_EQ(states[k], rebuilt);
    EXPECT_TRUE(RebuiltExactly(k, runs));
  }
}

TEST(BackupStateTest, EveryBackupIsRebuiltAsItWas) {
  const struct {
    const char* name;
    std::vector<Files> states;
  } cases[] = {
      {"changed", {{{L"a", "1"}}, {{L"a", "2"}}, {{L"a", "3"}}}},
      {"deleted", {{{L"a", "1"}, {L"b", "1"}}, {{L"b", "1"}}}},
      {"added", {{}, {{L"a", "1"}}, {{L"a", "1"}, {L"b", "1"}}}},
      {"deleted and added again", {{{L"a", "1"}}, {}, {{L"a", "2"}}}},
      {"added then deleted", {{}, {{L"a", "1"}}, {}}},
      {"added then changed", {{}, {{L"a", "1"}}, {{L"a", "2"}}}},
      {"replaced by a folder of its name", {{{L"x", "file"}}, {{L"x\\a", "in folder"}}, {}}},
      {"a folder replaced by a file", {{{L"x\\a", "1"}, {L"x\\b", "2"}}, {{L"x", "file"}}}},
      {"runs that kept nothing", {{{L"a", "1"}}, {{L"a", "1"}}, {{L"a", "1"}, {L"b", "2"}}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ExpectEveryStateRebuilt(c.states);
  }
}

// Letter case does not tell files apart; a pruned or unrecorded run makes the runs before it
// inexact, not those after it.
TEST(BackupStateTest, CaseAndIncompleteRuns) {
  std::vector<RunRecord> runs(3);
  runs[1].kept = {L"PC\\C\\Plan.xlsx"};
  runs[2].added = {L"PC\\C\\new.txt"};
  runs[2].complete = false;
  const auto state = StateAfter(0, runs, {L"pc\\c\\PLAN.xlsx", L"PC\\C\\new.txt"});
  EXPECT_EQ((std::vector<HeldFile>{{L"PC\\C\\Plan.xlsx", 1}}), state);
  EXPECT_FALSE(RebuiltExactly(0, runs));
  EXPECT_FALSE(RebuiltExactly(1, runs));
  EXPECT_TRUE(RebuiltExactly(2, runs));
}

}  // namespace
}  // namespace sollux
