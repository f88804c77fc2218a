#include "base/messages.h"

#include <gtest/gtest.h>

#include <string>

#include "base/system_api.h"

namespace sollux {
namespace {

using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

TEST(MessagesTest, LinesAndCounters) {
  CaptureStderr();
  ErrorLine(L"REG_get error x y");
  ErrorCounter(1);
  ErrorCounter(100);
  EXPECT_EQ("REG_get error x y\n1\r100\r", GetCapturedStderr());
}

// The error stream as the standard output: wide text to a console, else the console's output
// code page (or the ANSI one), so that a Japanese folder name shows right on any console.
class ErrorConsole : public RealSystemApi {
 public:
  bool is_console = false;
  std::wstring console_text;
  HANDLE GetStdHandle(DWORD which) override {
    return which == STD_ERROR_HANDLE ? kError : RealSystemApi::GetStdHandle(which);
  }
  BOOL GetConsoleMode(HANDLE handle, DWORD* mode) override {
    *mode = 0;
    return handle == kError && is_console;
  }
  BOOL WriteConsoleW(HANDLE, const wchar_t* text, DWORD length, DWORD* written) override {
    console_text.append(text, length);
    *written = length;
    return TRUE;
  }
  UINT GetConsoleOutputCP() override { return 932; }

 private:
  const HANDLE kError = reinterpret_cast<HANDLE>(uintptr_t{13});
};

TEST(MessagesTest, ErrorLinesShowRightOnAConsoleAndInCodePage932Elsewhere) {
  for (const bool console : {true, false}) {
    SCOPED_TRACE(console);
    ErrorConsole system;
    system.is_console = console;
    const ScopedSystemApi scoped(system);
    CaptureStderr();
    ErrorLine(L"\xD800 lone surrogate \x65E5\x672C");
    ErrorLine(L"still shown");
    const std::string captured = GetCapturedStderr();
    EXPECT_EQ(console ? L"\xD800 lone surrogate \x65E5\x672C\nstill shown\n" : L"",
              system.console_text);
    EXPECT_EQ(console ? "" : "? lone surrogate \x93\xFA\x96\x7B\nstill shown\n", captured);
  }
}

}  // namespace
}  // namespace sollux
