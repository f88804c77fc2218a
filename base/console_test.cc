#include "base/console.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/system_api.h"

namespace sollux {
namespace {

const HANDLE kInput = reinterpret_cast<HANDLE>(uintptr_t{11});
const HANDLE kOutput = reinterpret_cast<HANDLE>(uintptr_t{12});

INPUT_RECORD KeyEvent(bool down, WORD key = 'A') {
  INPUT_RECORD record = {};
  record.EventType = KEY_EVENT;
  record.Event.KeyEvent.bKeyDown = down;
  record.Event.KeyEvent.wVirtualKeyCode = key;
  return record;
}

INPUT_RECORD MouseEvent() {
  INPUT_RECORD record = {};
  record.EventType = MOUSE_EVENT;
  return record;
}

// A console whose input events arrive one a second, and a clock that waiting moves on.
class ScriptedConsole : public RealSystemApi {
 public:
  bool input_is_console = true;
  bool output_is_console = false;
  std::vector<INPUT_RECORD> events;
  size_t events_read = 0;
  uint64_t ticks = 5000;
  bool flushed = false;
  std::wstring console_text;
  UINT console_output_cp = 0;  // 0: the process has no console
  UINT ansi_cp = 1252;
  int output_mode_asked = 0;
  DWORD console_processes = 1;
  bool visible_station = true;

  HANDLE GetStdHandle(DWORD which) override {
    return which == STD_INPUT_HANDLE ? kInput : which == STD_OUTPUT_HANDLE ? kOutput : nullptr;
  }
  BOOL GetConsoleMode(HANDLE console, DWORD* mode) override {
    *mode = 0;
    output_mode_asked += console == kOutput ? 1 : 0;
    return console == kInput ? input_is_console : console == kOutput && output_is_console;
  }
  BOOL WriteConsoleW(HANDLE, const wchar_t* text, DWORD length, DWORD* written) override {
    console_text.append(text, length);
    *written = length;
    return TRUE;
  }
  BOOL FlushConsoleInputBuffer(HANDLE) override { return flushed = true; }
  uint64_t GetTickCount64() override { return ticks; }
  UINT GetConsoleOutputCP() override { return console_output_cp; }
  UINT GetACP() override { return ansi_cp; }
  DWORD WaitForSingleObject(HANDLE, DWORD milliseconds) override {
    const bool event = events_read < events.size() && milliseconds >= 1000;
    ticks += event ? 1000 : milliseconds;
    return event ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
  }
  BOOL ReadConsoleInputW(HANDLE, INPUT_RECORD* records, DWORD, DWORD* read) override {
    records[0] = events[events_read++];
    *read = 1;
    return TRUE;
  }
  DWORD GetConsoleProcessList(DWORD* ids, DWORD count) override {
    for (DWORD i = 0; i < console_processes && i < count; ++i) ids[i] = 100 + i;
    return console_processes;
  }
  bool WindowStationVisible() override { return visible_station; }
};

TEST(ConsoleTest, WaitForKeyPressEndsAtAKeyDownOrAfterItsTime) {
  const struct {
    const char* name;
    bool console;
    std::vector<INPUT_RECORD> events;
    uint64_t waited;
    size_t read;
  } cases[] = {
      {"no console", false, {KeyEvent(true)}, 0, 0},
      {"key pressed",
       true,
       {MouseEvent(), KeyEvent(false), KeyEvent(true), KeyEvent(true)},
       3000,
       3},
      {"no key pressed", true, {MouseEvent(), KeyEvent(false)}, 100000, 2},
      {"Alt, then a key", true, {KeyEvent(true, VK_MENU), KeyEvent(true)}, 2000, 2},
      {"Alt alone", true, {KeyEvent(true, VK_MENU), KeyEvent(false, VK_MENU)}, 100000, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedConsole console;
    console.input_is_console = c.console;
    console.events = c.events;
    const ScopedSystemApi scoped(console);
    EXPECT_EQ(c.console, InputIsConsole());
    WaitForKeyPress(100000);
    EXPECT_EQ(c.waited, console.ticks - 5000);
    EXPECT_EQ(c.read, console.events_read);
    EXPECT_EQ(c.console, console.flushed);
  }
}

// A person watches a window made for this process alone, on a station that is seen: not a
// command window that started it, not a scheduled task's hidden station, not a redirection.
TEST(ConsoleTest, PersonIsWatchingOnlyTheirOwnVisibleWindow) {
  const struct {
    const char* name;
    bool console;
    DWORD processes;
    bool visible;
    bool watching;
  } cases[] = {
      {"double click", true, 1, true, true},
      {"started from a command window", true, 2, true, false},
      {"a task whether logged on or not", true, 1, false, false},
      {"input redirected", false, 1, true, false},
      {"no console at all", true, 0, true, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedConsole console;
    console.input_is_console = c.console;
    console.console_processes = c.processes;
    console.visible_station = c.visible;
    const ScopedSystemApi scoped(console);
    EXPECT_EQ(c.watching, PersonIsWatching());
  }
}

// The countdown draws the time left each second and ends at a key press or when it runs out.
TEST(ConsoleTest, CountDownEndsAtAKeyOrWhenItRunsOut) {
  for (const bool key : {true, false}) {
    SCOPED_TRACE(key);
    ScriptedConsole console;
    console.output_is_console = true;
    if (key) console.events = {MouseEvent(), KeyEvent(true)};
    const ScopedSystemApi scoped(console);
    std::vector<uint32_t> shown;
    CountDown(5, [&shown](uint32_t left) {
      shown.push_back(left);
      return L"closing in " + std::to_wstring(left);
    });
    const std::vector<uint32_t> expected =
        key ? std::vector<uint32_t>{5, 4} : std::vector<uint32_t>{5, 4, 3, 2, 1};
    EXPECT_EQ(expected, shown);
    EXPECT_EQ(key ? 2000u : 5000u, console.ticks - 5000);
    const std::wstring last = key ? L"closing in 4" : L"closing in 1";
    const std::wstring cleared = L"\r" + last + L"\r\r" + std::wstring(last.size(), L' ') + L"\r";
    ASSERT_GE(console.console_text.size(), cleared.size());
    EXPECT_EQ(cleared, console.console_text.substr(console.console_text.size() - cleared.size()));
  }
}

// A console takes the wide text as it is; a file or pipe gets it in the console's output code
// page, or the ANSI code page without a console, a character without a code there as "?".
TEST(ConsoleTest, OutputLinesGoToTheConsoleAsWideText) {
  const struct {
    bool console;
    UINT console_cp;
    std::string redirected;
  } cases[] = {
      {true, 850, ""},
      {false, 0, "Caf\xE9 ??\nnext\n"},               // ANSI code page 1252
      {false, 932, "Caf? \x93\xFA\x96\x7B\nnext\n"},  // the console's
      {false, 65001, "Caf\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC\nnext\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.console_cp);
    ScriptedConsole console;
    console.output_is_console = c.console;
    console.console_output_cp = c.console_cp;
    const ScopedSystemApi scoped(console);
    testing::internal::CaptureStdout();
    OutputLines({L"Caf\u00E9 \u65E5\u672C", L"next"});
    const std::string bytes = testing::internal::GetCapturedStdout();
    EXPECT_EQ(c.console ? L"Caf\u00E9 \u65E5\u672C\nnext\n" : L"", console.console_text);
    EXPECT_EQ(c.redirected, bytes);
  }
}

// The progress line is rewritten in place at most four times a second, blanked before the next
// line, and never written where standard output is no console; the output's mode is asked no
// more often than the line could be drawn, a clearing notwithstanding.
TEST(ConsoleTest, ProgressLineOnAConsoleOnly) {
  for (const bool console_output : {true, false}) {
    SCOPED_TRACE(console_output);
    ScriptedConsole console;
    console.output_is_console = console_output;
    const ScopedSystemApi scoped(console);
    testing::internal::CaptureStdout();
    ShowProgress(L"Looking at C:\\Data: 10 files");
    console.ticks += 100;
    ShowProgress(L"Looking at C:\\Data: 20 files");  // too soon
    console.ticks += 200;
    ShowProgress(L"Looking at C:\\Data: 30 files");
    ClearProgress();
    OutputLine(L"next");
    ShowProgress(L"the next folder, too soon");
    ShowProgress(L"again", true);
    ClearProgress();
    EXPECT_EQ(console_output ? "" : "next\n", testing::internal::GetCapturedStdout());
    // Three lines drawn and the "next" line; on a console, the two clearings of a drawn line.
    EXPECT_EQ(console_output ? 6 : 4, console.output_mode_asked);
    const std::wstring blank(std::wstring(L"Looking at C:\\Data: 30 files").size(), L' ');
    EXPECT_EQ(console_output
                  ? L"\rLooking at C:\\Data: 10 files\r\rLooking at C:\\Data: 30 files\r\r" +
                        blank + L"\r" + L"next\n\ragain\r\r     \r"
                  : L"",
              console.console_text);
  }
}

}  // namespace
}  // namespace sollux
