#include "script/batch_script.h"

#include <gtest/gtest.h>

#include "app/planning.h"
#include "base/path.h"
#include "job/backup_job.h"
#include "test/fake_machine.h"

namespace sollux {
namespace {

TEST(JoinScriptLinesTest, CrLfBetweenAndAfterTheLines) {
  EXPECT_EQ(L"\r\n", JoinScriptLines({}));
  EXPECT_EQ(L"@echo off\r\n", JoinScriptLines({L"@echo off"}));
  EXPECT_EQ(L"@echo off\r\n\r\necho\t\r\n\r\ntimeout /t 10\r\n",
            JoinScriptLines({L"@echo off\r\n\r\necho\t", L"", L"timeout /t 10"}));
  // Hundreds of lines, as a backup of many folders has.
  WStringList lines;
  WString expected;
  for (int i = 0; i < 300; ++i) {
    lines.push_back(L"timeout /t 10  &\trobocopy " + std::to_wstring(i));
    expected += lines.back() + L"\r\n";
  }
  EXPECT_EQ(expected, JoinScriptLines(lines));
}

TEST(PathRootTest, DriveOrServer) {
  const struct {
    WString path, root;
  } cases[] = {
      {L"", L""},
      {L"C", L""},
      {L"C:", L"C:"},
      {L"c:\\Data", L"c:"},
      {L"C:Data", L"C:"},
      {L"\\\\fileserver\\share\\data", L"\\\\fileserver"},
      {L"//fileserver/share", L"//fileserver"},
      {L"\\\\fileserver/share\\data", L"\\\\fileserver/share"},  // a backslash is looked for first
      {L"\\\\fileserver/share", L"\\\\fileserver"},
      {L"\\\\fileserver", L""},
      {L"\\\\", L""},
      {L"\\/server\\share", L""},
      // From the randomized test: a server name may be empty.
      {L"//\\/x", L"//"},
      {L"\\Data\\Master", L""},
      {L"Master\\Patterns", L""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(c.root, PathRoot(c.path));
  }
}

TEST(ShortenPathTest, Examples) {
  const WString roaming = L"C:\\Users\\user1\\AppData\\Roaming\\Vendor\\Suite\\Master\\Patterns";
  const struct {
    WString path;
    size_t max_length;
    WString shortened;
  } cases[] = {
      {roaming, 59, roaming},
      {roaming, 58, L"C:\\Users\\...\\AppData\\Roaming\\Vendor\\Suite\\Master\\Patterns"},
      {roaming, 50, L"C:\\Users\\...\\Roaming\\Vendor\\Suite\\Master\\Patterns"},
      {roaming, 30, L"C:\\Users\\...\\Master\\Patterns"},
      {roaming, 21, L"C:\\Users\\...\\Patterns"},
      {roaming, 20, L"Patterns"},
      {roaming, 7, L"Patterns"},
      {L"\\\\fileserver\\share\\projects\\2024\\customer\\drawings\\final", 50,
       L"\\\\fileserver\\share\\...\\customer\\drawings\\final"},
      {L"Master\\Patterns\\Current", 20, L"Master\\...\\Current"},
      {L"C:\\x\\Master", 10, L"Master"},
      {L"C:\\Data\\Master", 14, L"C:\\Data\\Master"},
      {L"C:\\Data\\Master", 1000, L"C:\\Data\\Master"},
      {L"", 0, L""},
      {L"C:\\Data\\AVeryLongFolderNameIndeed", 10, L"AVeryLongFolderNameIndeed"},
      {L"C:\\AVeryLongFolderNameIndeed", 10, L"AVeryLongFolderNameIndeed"},
      // Slashes count where a path has no backslash; the inserted separators are backslashes.
      {L"C:/Users/user1/AppData/Roaming/Master/Patterns", 30, L"C:/Users\\...\\Master/Patterns"},
      // The root and the first folder below it are kept whole, or nothing but the last
      // component is.
      {L"\\\\fileserver\\share", 15, L"share"},
      {L"\\\\fileserver\\a\\b", 15, L"b"},
      {L"\\\\fileserver\\a\\bbbbbbb\\c", 21, L"\\\\fileserver\\a\\...\\c"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << testing::PrintToString(c.path) << " " << c.max_length);
    const WString shortened = ShortenPath(c.path, c.max_length);
    EXPECT_EQ(c.shortened, shortened);
  }
}

using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

// The computer is PC01, and the scratch folder lies in a private temporary folder.
class OnPc01 : public testing::Test {
 protected:
  OnPc01() {
    machine_.computer_name = L"PC01";
    machine_.UsePrivateTemporaryFolder();
  }
  test::ScopedFakeMachine machine_;
};
using ComposeScriptTest = OnPc01;
using ComposeSingleScriptTest = OnPc01;

// The job of the planning driver: mirror, its exclusion lists, 4 GiB and the long final pause.
BackupJob PlanningJob(const wchar_t* destination) {
  BackupJob job;
  ConfigureBackupJob(job, destination);
  return job;
}

TEST_F(ComposeScriptTest, PlanningDriversJob) {
  machine_.folders = {L"D:\\Data\\Master", L"C:\\Users\\user1\\Documents"};
  BackupJob job = PlanningJob(L"E:/_Backup_");
  EXPECT_TRUE(job.ComposeScript(
      {L"D:\\Data\\Master", L"T:\\Develop\\_.SRC", L"C:\\Users\\user1\\Documents"}));
  const WString switches =
      L"/s /purge /mir /fft /r:3 /w:5 /xjd /max:4294967296 /xf  *.bak  *.tmp  Thumbs.db  "
      L"/xd  bak  .vs  _Backup_  _Search_  _Backup_ *.tmp ";
  EXPECT_EQ(
      L"@echo off\r\n"
      L"\r\n"
      L"echo\trobocopy\r\n"
      L"echo\t\t\tD:\\Data\\Master\r\n"
      L"echo\t\t\tC:\\Users\\user1\\Documents\r\n"
      L"echo.\r\n"
      L"echo\t\t\tE:/_Backup_\r\n"
      L"\r\n"
      L"@echo on\r\n"
      L"\r\n"
      L"cd /d %Temp%\r\n"
      L"timeout /t 10  &\trobocopy \"D:\\Data\\Master\" "
      L"\"E:\\_Backup_\\PC01\\D\\Data\\Master\" " +
          switches +
          L"\r\n"
          L"timeout /t 10  &\trobocopy \"C:\\Users\\user1\\Documents\" "
          L"\"E:\\_Backup_\\PC01\\C\\Users\\user1\\Documents\" " +
          switches +
          L"\r\n"
          L"timeout /t 100\r\n",
      job.ScriptText());
  EXPECT_EQ(L"C:\\Users\\user1\\Documents", job.Source());
  EXPECT_EQ(L"RC_C__Users_user1_Documents_E___Backup__smirfft.bat", job.ScriptFileName());
}

// The folders of the multi-source examples: a duplicate, and one that does not exist.
const WStringList kSources = {L"C:\\Data\\Master", L"C:\\Data\\Patterns", L"C:\\Data\\Master",
                              L"C:\\Data\\Old"};
const std::vector<std::wstring> kExisting = {L"C:\\Data\\Master", L"C:\\Data\\Patterns"};

WString ExpectedMultiSource(const WString& note, const WString& list_only) {
  const WString command = L"timeout /t 10  &\trobocopy \"C:\\Data\\";
  const WString destination = L"\" \"D:\\_Backup_\\PC01\\C\\Data\\";
  const WString switches = L"\" /s /purge /fft /r:3 /w:5 /xo /xjd /xf  mfc*.tmp  Thumbs.db  ";
  return L"@echo off\r\n\r\necho\trobocopy\r\n"
         L"echo\t\t\tC:\\Data\\Master\r\n"
         L"echo\t\t\tC:\\Data\\Patterns\r\n"
         L"echo.\r\n"
         L"echo\t\t\tD:\\_Backup_\r\n" +
         note + L"\r\n@echo on\r\n\r\ncd /d %Temp%\r\n" + command + L"Master" + destination +
         L"Master" + switches + list_only + L"\r\n" + command + L"Patterns" + destination +
         L"Patterns" + switches + list_only + L"\r\ntimeout /t 100\r\n";
}

TEST_F(ComposeScriptTest, MultiSourceExamples) {
  machine_.folders = kExisting;
  BackupJob job;
  job.SetDestination(L"D:\\_Backup_");
  job.SetLongFinalPause(true);
  EXPECT_TRUE(job.ComposeScript(kSources));
  EXPECT_EQ(ExpectedMultiSource(L"", L""), job.ScriptText());
  EXPECT_EQ(L"C:\\Data\\Patterns", job.Source());

  job.SetListOnly(true);
  job.ComposeScript(kSources);
  EXPECT_EQ(ExpectedMultiSource(L"echo.\r\necho\t\tSpecifies that files are to be listed only "
                                L"(and not copied, deleted, or time stamped).\r\necho.\r\n",
                                L" /l"),
            job.ScriptText());

  // A copy holds the same text and changes apart from the job.
  BackupJob copy = job;
  EXPECT_EQ(job.ScriptText(), copy.ScriptText());
  copy.ComposeScript({});
  EXPECT_EQ(ExpectedMultiSource(L"echo.\r\necho\t\tSpecifies that files are to be listed only "
                                L"(and not copied, deleted, or time stamped).\r\necho.\r\n",
                                L" /l"),
            job.ScriptText());
}

// Folders that do not exist, and folders named relative to the current folder (of the
// program, not of the batch file, which changes to %Temp%), are not backed up.
TEST_F(ComposeScriptTest, NoQualifyingSourceLeavesTenLines) {
  machine_.folders = {L".", L"\\", L"Data", L"C:Data", L"..\\x"};
  BackupJob job;
  job.SetSource(L"C:\\Before");
  job.SetDestination(L"D:\\_Backup_");
  for (const WStringList& sources :
       {WStringList{}, WStringList{L"", L"C:\\Data\\Old", L"\"C:\\Windows\""},
        WStringList{L".", L"\\", L"Data", L"C:Data", L"..\\x"}}) {
    EXPECT_TRUE(job.ComposeScript(sources));
    EXPECT_EQ(
        L"@echo off\r\n\r\necho\trobocopy\r\necho.\r\necho\t\t\tD:\\_Backup_\r\n\r\n"
        L"@echo on\r\n\r\ncd /d %Temp%\r\ntimeout /t 10\r\n",
        job.ScriptText());
    EXPECT_EQ(L"C:\\Before", job.Source());
  }
}

TEST_F(ComposeSingleScriptTest, BannerPausesAndCommand) {
  const WString command =
      L"robocopy \"C:\\Data\\Master\" \"D:\\Copy\" /s /purge /fft /r:3 "
      L"/w:5 /xo /xjd /xf  mfc*.tmp  Thumbs.db  ";
  BackupJob job;
  job.SetSource(L"C:\\Data\\Master");
  job.SetDestination(L"D:\\Copy");
  EXPECT_TRUE(job.ComposeSingleScript());
  EXPECT_EQ(L"rem\trobocopy\tC:\\Data\\Master\r\nrem\t\t\t\r\nrem\r\ncd /d %Temp%\r\n" + command +
                L"\r\ntimeout /t 10\r\n",
            job.ScriptText());

  // Quotes are not shown; the note and the two pauses.
  job.SetSource(L"\"C:\\Data\\Master\"");
  job.SetListOnly(true);
  job.SetLongFinalPause(true);
  job.ComposeSingleScript();
  EXPECT_EQ(
      L"rem\trobocopy\tC:\\Data\\Master\r\n"
      L"rem\t\t\tSpecifies that files are to be listed only (and not copied, deleted, or "
      L"time stamped).\r\n"
      L"rem\r\ncd /d %Temp%\r\ntimeout /t 10\r\n" +
          command + L" /l\r\ntimeout /t 100\r\n",
      job.ScriptText());
}

TEST_F(ComposeSingleScriptTest, LongSourceIsShortenedInTheBannerOnly) {
  const WString source = L"C:\\Users\\user1\\AppData\\Roaming\\Vendor\\Suite\\Master\\Patterns";
  BackupJob job;
  job.SetSource(source.c_str());
  job.SetDestination(L"D:\\Copy");
  job.ComposeSingleScript();
  EXPECT_TRUE(job.ScriptText().starts_with(
      L"rem\trobocopy\tC:\\Users\\...\\Roaming\\Vendor\\Suite\\Master\\Patterns\r\n"));
  EXPECT_NE(WString::npos, job.ScriptText().find(L"\r\nrobocopy \"" + source + L"\" "));
}

// Percent signs and the operators of cmd.exe: escaped on echo lines, percent signs only in the
// rem banner (cmd.exe shows a rem line as it stands) and between the quotes of the command.
TEST_F(ComposeScriptTest, AwkwardFolderNamesAreEscaped) {
  machine_.folders = {L"C:\\R&D 50%"};
  BackupJob job;
  job.SetDestination(L"D:\\a^b");
  job.ComposeScript({L"C:\\R&D 50%"});
  const WString text = job.ScriptText();
  EXPECT_NE(WString::npos, text.find(L"\r\necho\t\t\tC:\\R^&D 50%%\r\n"));
  EXPECT_NE(WString::npos, text.find(L"\r\necho\t\t\tD:\\a^^b\r\n"));
  EXPECT_NE(WString::npos, text.find(L"&\trobocopy \"C:\\R&D 50%%\" \"D:\\a^b\" /s"));
  job.ComposeSingleScript();
  EXPECT_TRUE(job.ScriptText().starts_with(L"rem\trobocopy\tC:\\R&D 50%%\r\n"));
}

constexpr char kLostFolder[] =
    "cannot be backed up by this batch file, which has no exact form for the folder: ";

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  for (size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos;
       start = end + 1) {
    lines.push_back(text.substr(start, end - start));
  }
  return lines;
}

// A name that code page 932 writes differently names another folder in the batch file; the
// text stays as it is, and every such folder of a command gets one line on the error stream.
TEST_F(ComposeScriptTest, FoldersLostInCodePage932AreReported) {
  const WStringList sources = {L"C:\\Data\\Caf\u00e9", L"C:\\Data\\\u00a5100",
                               L"C:\\Data\\\x30C7\x30FC\x30BF"};
  machine_.folders = sources;
  BackupJob job;
  job.SetDestination(L"D:\\_Backup_");
  CaptureStderr();
  job.ComposeScript(sources);
  const std::vector<std::string> lines = Lines(GetCapturedStderr());
  ASSERT_EQ(4u, lines.size());
  EXPECT_TRUE(lines[0].starts_with(std::string(kLostFolder) + "C:\\Data\\Caf"));
  EXPECT_TRUE(lines[1].starts_with(std::string(kLostFolder) + "D:\\_Backup_\\PC01\\C\\Data\\Caf"));
  EXPECT_TRUE(lines[2].starts_with(std::string(kLostFolder) + "C:\\Data\\"));
  EXPECT_TRUE(lines[3].starts_with(std::string(kLostFolder) + "D:\\_Backup_\\PC01\\C\\Data\\"));
  EXPECT_NE(WString::npos, job.ScriptText().find(L"robocopy \"C:\\Data\\Caf\u00e9\""));

  // A destination that does not survive is named once, however many commands use it.
  job.SetDestination(L"D:\\Copies\\Caf\u00e9");
  CaptureStderr();
  job.ComposeScript({sources[2], L"C:\\Windows"});
  ASSERT_EQ(1u, Lines(GetCapturedStderr()).size());
  CaptureStderr();
  job.ComposeSingleScript();
  ASSERT_EQ(1u, Lines(GetCapturedStderr()).size());
  // Japanese names have their exact form: nothing to report.
  job.SetDestination(L"D:\\_Backup_");
  CaptureStderr();
  job.ComposeScript({sources[2]});
  job.ComposeSingleScript();
  EXPECT_EQ("", GetCapturedStderr());
}

// Found by the randomized test: a folder text with a control character or a double quote, which
// the command line writes as "_", went missing without a word. No folder on disk has such a
// name, but a registry value can, and the single-source form makes no existence test.
TEST_F(ComposeScriptTest, FoldersWithControlsOrQuotesAreReported) {
  const struct {
    const wchar_t* name;
    WString source;
  } cases[] = {
      {L"tab", L"C:\\Data\\a\tb"},
      {L"vertical tab", L"\\\\server\\share\\h\x0Bx"},
      {L"double quote", L"C:\\Data\\a\"b"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    BackupJob job;
    job.SetSource(c.source.c_str());
    job.SetDestination(L"D:\\Copies");
    CaptureStderr();
    job.ComposeSingleScript();
    const std::vector<std::string> lines = Lines(GetCapturedStderr());
    ASSERT_EQ(1u, lines.size());
    EXPECT_TRUE(lines[0].starts_with(kLostFolder));
  }
}

}  // namespace
}  // namespace sollux
