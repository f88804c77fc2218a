#include "job/job_check.h"

#include <gtest/gtest.h>

#include <string>

#include "base/path.h"
#include "mirror/backup_report.h"
#include "store/record_file.h"
#include "test/child_process.h"
#include "test/fake_machine.h"
#include "test/temp_dir.h"
#include "test/wide_error_capture.h"

namespace sollux {
namespace {

// Without a console the check neither writes to one nor pauses, whoever runs the test.
class NoConsole : public test::ScopedFakeMachine {
 public:
  BOOL GetConsoleMode(HANDLE, DWORD*) override { return FALSE; }
};

// A folder that the batch file cannot name was copied wrongly or not at all: it is listed as
// not checked, and the run is not all in the backup even though no checked file is missing.
TEST(JobCheckTest, FolderTheBatchFileCannotNameIsNotCheckedAndFailsTheRun) {
  NoConsole machine;
  machine.computer_name = L"PC01";
  test::ScopedTempDir temp;
  const std::wstring named = temp / L"Named";
  const std::wstring unnamed = temp / L"Caf\u00E9";  // code page 932 has no e with an accent
  const std::wstring backup = temp / L"_Backup_";
  const std::wstring copy = backup + L"\\PC01\\C" + named.substr(2);
  test::WriteFileBytes(named + L"\\a.txt", "1");
  test::WriteFileBytes(unnamed + L"\\b.txt", "1");
  test::WriteFileBytes(copy + L"\\a.txt", "1");
  ASSERT_TRUE(test::SetLastWriteTime(named + L"\\a.txt", 1700000000));
  ASSERT_TRUE(test::SetLastWriteTime(copy + L"\\a.txt", 1700000001));  // 1 s: equal
  BackupJob job;
  job.SetDestination(backup.c_str());
  test::WideErrorCapture errors;  // the composer's line for the unnamed folder
  job.ComposeScript({named, unnamed});

  // a.txt was copied in this run (so the look says): it is read back from the stick, and equal.
  LookReport look;
  look.copied[job.ScriptFolders()[0].destination] = {L"a.txt"};

  const CheckOutcome check = CheckBackup(job, backup + L"\\PC01", look);
  EXPECT_FALSE(check.all_in);
  const std::wstring report = backup + L"\\PC01\\Sollux-report.txt";
  EXPECT_EQ((WStringList{unnamed + L": not checked; the batch file could not name it",
                         L"Backup checked: 1 folder, 1 file, 1 B; 1 folder was not checked "
                         L"completely; 1 B read back from the stick; see " +
                             report}),
            check.lines);
  EXPECT_TRUE(test::ReadFileBytes(report).ends_with(
      Utf8FileBytes(L"Not checked (the batch file could not name them):\r\n  " + unnamed + L"\r\n")
          .substr(3)));
}

// A file that is not in the backup because a program holds it open is named with that program,
// on the console and in the report; a file that nobody holds keeps its plain line.
TEST(JobCheckTest, AFileHeldOpenIsNamedWithItsProgram) {
  NoConsole machine;
  machine.computer_name = L"PC01";
  test::ScopedTempDir temp;
  const std::wstring mail = temp / L"Mail";
  const std::wstring backup = temp / L"_Backup_";
  test::WriteFileBytes(mail + L"\\outlook.pst", "mail");
  test::WriteFileBytes(mail + L"\\notes.txt", "notes");
  machine.holders[mail + L"\\outlook.pst"] = {
      {L"Microsoft Outlook", L"C:\\Program Files\\Microsoft Office\\OUTLOOK.EXE"}};
  BackupJob job;
  job.SetDestination(backup.c_str());
  job.ComposeScript({mail});

  const CheckOutcome check = CheckBackup(job, backup + L"\\PC01");
  EXPECT_FALSE(check.all_in);
  const std::string held = ": held open by Microsoft Outlook (OUTLOOK.EXE): close it and run Sollux again";
  const std::string output = test::Narrow(JoinWithText(check.lines, L"\n"));
  EXPECT_NE(std::string::npos, output.find(test::Narrow(mail) + "\\outlook.pst" + held)) << output;
  EXPECT_EQ(std::string::npos, output.find("notes.txt")) << output;
  const std::string report = test::ReadFileBytes(backup + L"\\PC01\\Sollux-report.txt");
  EXPECT_NE(std::string::npos, report.find("outlook.pst" + held + "\r\n")) << report;
  EXPECT_NE(std::string::npos, report.find("notes.txt\r\n")) << report;
}

}  // namespace
}  // namespace sollux
