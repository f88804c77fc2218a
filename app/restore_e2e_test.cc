// Sollux.exe and Sollux-restore.exe together, with the stick as E: (backup_e2e_test.sh): four
// backups with changes between them, then each backup restored and compared with what the
// folder held when it was made.
#include <gtest/gtest.h>

#include <map>

#include "app/registry.h"
#include "base/environment.h"
#include "base/path.h"
#include "base/text_file.h"
#include "base/win.h"
#include "script/path_rewrite.h"
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
  const std::string list = test::ReadFileBytes(std::wstring(kBackup) + L"\\" + MachineName() +
                                               L"\\Sollux-versions\\Sollux-runs.txt");
  std::vector<std::wstring> runs;
  size_t start = 0;
  for (size_t end; (end = list.find("\r\n", start)) != std::string::npos; start = end + 2) {
    runs.emplace_back(list.begin() + start, list.begin() + end);
  }
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
    source_ = data_ / (L"\u65E5\u672C\u8A9E " + std::wstring(120, L'x') + L"\\" +
                       std::wstring(150, L'y'));
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
  ~RestoreRun() override { ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Morvaine"); }

  unsigned long Backup() {
    test::ChildOutput run;
    for (int attempt = 0; attempt < 3; ++attempt) {
      run = test::RunChild(test::SolluxProgram(), {});
      if (!test::StandInFailedToStart(FromShiftJis(run.out)) &&
          !test::StandInFailedToStart(FromShiftJis(run.err))) {
        break;
      }
    }
    return run.exit_code;
  }
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
  EXPECT_NE(std::string::npos, into_backup.err.find("not restored into the backup itself"))
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

}  // namespace
}  // namespace sollux
