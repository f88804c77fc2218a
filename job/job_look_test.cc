#include "job/job_look.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "base/ui_text.h"
#include "test/child_process.h"
#include "test/fake_machine.h"
#include "test/temp_dir.h"

namespace sollux {
namespace {

// Without a console; the attributes of folders whose path ends in `unreadable` cannot be read,
// as of a backup folder that the stick's file system no longer answers for.
class UnreadableFolders : public test::ScopedFakeMachine {
 public:
  std::wstring unreadable;

  BOOL GetConsoleMode(HANDLE, DWORD*) override { return FALSE; }
  BOOL GetFileAttributesExW(const wchar_t* path, WIN32_FILE_ATTRIBUTE_DATA* data) override {
    std::wstring folder = path;
    if (folder.ends_with(L'\\')) folder.pop_back();
    if (!unreadable.empty() && folder.ends_with(unreadable)) {
      ::SetLastError(ERROR_ACCESS_DENIED);
      return FALSE;
    }
    return FakeMachine::GetFileAttributesExW(path, data);
  }
};

// A look that could not read a tree to the end says so before the copying, on the console and
// in the report: robocopy may read it, and delete there what was not kept.
TEST(MirrorGuardTest, ALookThatCouldNotReadTheBackupSaysSo) {
  const WString said = Say(Text::kLookIncomplete);
  for (const bool readable : {true, false}) {
    SCOPED_TRACE(readable);
    UnreadableFolders machine;
    machine.computer_name = L"PC01";
    const test::ScopedTempDir temp;
    const std::wstring source = temp / L"Data";
    const std::wstring backup = temp / L"_Backup_";
    test::WriteFileBytes(source + L"\\a.txt", "1");
    const std::wstring copy = backup + L"\\PC01\\C" + source.substr(2);
    test::WriteFileBytes(copy + L"\\old.txt", "1");
    BackupJob job;
    job.SetDestination(backup.c_str());
    job.ComposeScript({source});
    if (!readable) machine.unreadable = copy;

    testing::internal::CaptureStdout();
    MirrorGuard guard(job, backup, backup + L"\\PC01");
    ASSERT_TRUE(guard.Lock());
    guard.BeforeCopying();
    guard.AfterCopying(false);
    const std::string output = testing::internal::GetCapturedStdout();
    const WStringList& lines = guard.report().lines;
    const bool reported = std::find(lines.begin(), lines.end(), said) != lines.end();
    EXPECT_EQ(!readable, reported);
    EXPECT_EQ(!readable, output.find("could not be read to the end") != std::string::npos);
    // The readable backup's extra file was kept as a version, and put back when nothing ran.
    EXPECT_EQ(readable, output.find("kept as versions") != std::string::npos);
    EXPECT_EQ("1", test::ReadFileBytes(copy + L"\\old.txt"));
  }
}

// A backup folder whose files cannot be moved (held open).
class HeldFiles : public test::ScopedFakeMachine {
 public:
  std::wstring held;

  BOOL GetConsoleMode(HANDLE, DWORD*) override { return FALSE; }
  BOOL MoveFileExW(const wchar_t* from, const wchar_t* to, DWORD flags) override {
    if (std::wstring(from).find(held) == std::wstring::npos) {
      return FakeMachine::MoveFileExW(from, to, flags);
    }
    ::SetLastError(ERROR_SHARING_VIOLATION);
    return FALSE;
  }
};

// A large change whose files cannot be kept as versions is not mirrored: its line is left out,
// said on the console and in the report, and the run still counts as a large change (exit 3).
TEST(MirrorGuardTest, ALargeChangeThatCannotBeKeptIsLeftOut) {
  HeldFiles machine;
  machine.computer_name = L"PC01";
  const test::ScopedTempDir temp;
  const std::wstring source = temp / L"Data";
  const std::wstring backup = temp / L"_Backup_";
  const std::wstring copy = backup + L"\\PC01\\C" + source.substr(2);
  machine.held = copy;
  test::MakeFolders(source);
  for (int i = 0; i < 12; ++i) test::WriteFileBytes(copy + L"\\" + std::to_wstring(i), "x");
  BackupJob job;
  job.SetDestination(backup.c_str());
  job.ComposeScript({source});

  testing::internal::CaptureStdout();
  MirrorGuard guard(job, backup, backup + L"\\PC01");
  ASSERT_TRUE(guard.Lock());
  guard.BeforeCopying();
  const std::vector<CommandFolders> left_out = guard.LeftOut();
  guard.AfterCopying(false);
  const std::string output = testing::internal::GetCapturedStdout();
  ASSERT_EQ(1u, left_out.size());
  EXPECT_EQ(source, left_out[0].source);
  EXPECT_TRUE(guard.report().large_change);
  const WString line = SayCounted(Text::kNotMirrored, 12);
  const WStringList& lines = guard.report().lines;
  EXPECT_NE(lines.end(), std::find(lines.begin(), lines.end(), line));
  EXPECT_NE(std::string::npos, output.find(test::Narrow(source + L": " + line))) << output;
  EXPECT_EQ(12u, test::FilesBelow(copy).size());
}

}  // namespace
}  // namespace sollux
