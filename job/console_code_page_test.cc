#include "job/console_code_page.h"

#include <gtest/gtest.h>

#include "base/system_api.h"
#include "job/job_runner.h"
#include "test/wide_error_capture.h"

namespace sollux {
namespace {

// A console whose code pages the test sets; 0 stands for no console. The interpreter never
// starts.
class FakeConsole : public RealSystemApi {
 public:
  UINT GetConsoleCP() override { return input; }
  UINT GetConsoleOutputCP() override { return output; }
  BOOL SetConsoleCP(UINT code_page) override { return Set(L"in ", code_page, input); }
  BOOL SetConsoleOutputCP(UINT code_page) override { return Set(L"out ", code_page, output); }
  UINT GetOEMCP() override { return oem; }
  BOOL CreateProcessW(const wchar_t*, wchar_t*, BOOL, DWORD, void*, const wchar_t*, STARTUPINFOW*,
                      PROCESS_INFORMATION*) override {
    calls.push_back(L"start in " + std::to_wstring(input) + L" out " + std::to_wstring(output));
    return FALSE;
  }

  UINT input = 0;
  UINT output = 0;
  UINT oem = 932;
  bool settable = true;
  std::vector<std::wstring> calls;

 private:
  BOOL Set(const wchar_t* which, UINT code_page, UINT& current) {
    calls.push_back(which + std::to_wstring(code_page));
    if (current == 0 || !settable) return FALSE;
    current = code_page;
    return TRUE;
  }
};

// The console is switched to 932 for the run and put back afterwards, also when the run
// fails; where it cannot be switched, the code page that cmd.exe reads with is told.
TEST(ScopedBatchCodePageTest, SwitchesAndRestoresTheConsole) {
  const struct {
    const char* name;
    UINT input, output, oem;
    bool settable;
    UINT reading;
    std::vector<std::wstring> calls;
  } cases[] = {
      {"Japanese console", 932, 932, 932, true, 932, {L"start in 932 out 932"}},
      {"UTF-8 console",
       65001,
       65001,
       932,
       true,
       932,
       {L"in 932", L"out 932", L"start in 932 out 932", L"in 65001", L"out 65001"}},
      {"input only", 437, 932, 437, true, 932, {L"in 932", L"start in 932 out 932", L"in 437"}},
      {"locked console",
       65001,
       65001,
       932,
       false,
       65001,
       {L"in 932", L"out 932", L"start in 65001 out 65001"}},
      {"no console, English OEM", 0, 0, 437, true, 437, {L"start in 0 out 0"}},
      {"no console, Japanese OEM", 0, 0, 932, true, 932, {L"start in 0 out 0"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakeConsole api;
    api.input = c.input;
    api.output = c.output;
    api.oem = c.oem;
    api.settable = c.settable;
    ScopedSystemApi scoped(api);
    {
      const ScopedBatchCodePage code_page;
      EXPECT_EQ(c.reading, code_page.ReadingCodePage());
    }
    EXPECT_EQ(c.input, api.input);
    EXPECT_EQ(c.output, api.output);
    api.calls.clear();
    test::WideErrorCapture errors;
    const std::vector<CommandFolders> folders = {{L"C:\\\u65E5\u672C", L"E:\\x"}};
    EXPECT_FALSE(RunThroughInterpreter(L"C:\\x.bat", folders));
    EXPECT_EQ(c.calls, api.calls);
    EXPECT_EQ(c.reading != 932, errors.Take().find(L"may not reach") != std::wstring::npos);
  }
}

// One line for each source whose line holds a character outside ASCII, on either side.
TEST(WarnOfCodePageTest, NamesEachFolderOutsideAsciiOnce) {
  const std::wstring japanese = L"C:\\\u8868";  // 表 ends in the byte of a backslash
  const std::vector<CommandFolders> folders = {
      {L"C:\\Data", L"E:\\_Backup_\\PC01\\C\\Data"},
      {japanese, L"E:\\_Backup_\\PC01\\C\\\u8868"},
      {L"D:\\Plain", L"C:\\Users\\\u7530\u4E2D\\Temp\\_Backup_\\PC01\\D\\Plain"},
      {japanese, L"F:\\other"},
  };
  test::WideErrorCapture errors;
  WarnOfCodePage(932, folders);
  EXPECT_EQ(L"", errors.Take());
  WarnOfCodePage(65001, folders);
  const std::wstring line =
      L"The console reads the batch file in code page 65001, not 932; the batch file may not "
      L"reach this folder: ";
  EXPECT_EQ(line + japanese + L"\n" + line + L"D:\\Plain\n", errors.Take());
}

}  // namespace
}  // namespace sollux
