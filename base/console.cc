#include "base/console.h"

#include <climits>
#include <cstdio>
#include <cstdlib>

#include "base/system_api.h"

namespace sollux {
namespace {

// The console handle of `which` standard stream, or null when the stream is a file, a pipe or
// closed.
HANDLE ConsoleOf(DWORD which) {
  HANDLE handle = Sys().GetStdHandle(which);
  DWORD mode = 0;
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return nullptr;
  return Sys().GetConsoleMode(handle, &mode) ? handle : nullptr;
}

// `text` with "?" for each character that the C runtime's locale has no code for: the runtime
// would end the whole write at the first one.
WString Convertible(const WString& text) {
  WString result = text;
  char bytes[MB_LEN_MAX];
  for (wchar_t& c : result) {
    if (c >= 0x80 && std::wctomb(bytes, c) < 0) c = L'?';
  }
  return result;
}

// Shift, Ctrl, Alt and the Windows key alone do not count: Alt+Tab away from the window must
// not close it.
bool IsKeyPress(const INPUT_RECORD& record) {
  if (record.EventType != KEY_EVENT || !record.Event.KeyEvent.bKeyDown) return false;
  switch (record.Event.KeyEvent.wVirtualKeyCode) {
    case VK_SHIFT:
    case VK_CONTROL:
    case VK_MENU:
    case VK_LWIN:
    case VK_RWIN:
      return false;
    default:
      return true;
  }
}

}  // namespace

// The C runtime converts wide text to the ANSI code page, and the console shows the bytes in
// its own (OEM) code page: a folder named "Café" would show as "CafÚ". A console takes the
// wide text itself.
void OutputLine(const WString& text) { OutputLines({text}); }

void OutputLines(const WStringList& lines) {
  WString line;
  for (const WString& text : lines) line += text + L"\n";
  if (HANDLE console = ConsoleOf(STD_OUTPUT_HANDLE)) {
    DWORD written = 0;
    if (Sys().WriteConsoleW(console, line.data(), static_cast<DWORD>(line.size()), &written)) {
      return;
    }
  }
  std::fputws(Convertible(line).c_str(), stdout);
  std::fflush(stdout);
}

namespace {

constexpr uint64_t kProgressPauseMs = 250;

struct ProgressState {
  size_t shown = 0;  // characters on the line now
  uint64_t last = 0;
  bool drawn = false;
};

ProgressState& Progress() {
  static ProgressState state;
  return state;
}

// A carriage return goes back to the line's start; blanks wipe what a longer text left.
void DrawProgress(HANDLE console, const WString& text) {
  ProgressState& state = Progress();
  WString line = L"\r" + text;
  if (text.size() < state.shown) line.append(state.shown - text.size(), L' ');
  line += L"\r";
  DWORD written = 0;
  Sys().WriteConsoleW(console, line.data(), static_cast<DWORD>(line.size()), &written);
  state.shown = text.size();
}

}  // namespace

void ShowProgress(const WString& text, bool force) {
  HANDLE console = ConsoleOf(STD_OUTPUT_HANDLE);
  if (console == nullptr) return;
  ProgressState& state = Progress();
  const uint64_t now = Sys().GetTickCount64();
  if (!force && state.drawn && now - state.last < kProgressPauseMs) return;
  state.last = now;
  state.drawn = true;
  DrawProgress(console, text);
}

void ClearProgress() {
  HANDLE console = ConsoleOf(STD_OUTPUT_HANDLE);
  if (console == nullptr || Progress().shown == 0) return;
  DrawProgress(console, WString());
  Progress().drawn = false;
}

bool InputIsConsole() { return ConsoleOf(STD_INPUT_HANDLE) != nullptr; }

// Mouse, focus, key-release and modifier events are read and passed over.
void WaitForKeyPress(uint32_t milliseconds) {
  HANDLE console = ConsoleOf(STD_INPUT_HANDLE);
  if (console == nullptr) return;
  // Keys pressed while robocopy ran would end the pause before anyone has read a line.
  Sys().FlushConsoleInputBuffer(console);
  const uint64_t end = Sys().GetTickCount64() + milliseconds;
  for (uint64_t now = Sys().GetTickCount64(); now < end; now = Sys().GetTickCount64()) {
    if (Sys().WaitForSingleObject(console, static_cast<DWORD>(end - now)) != WAIT_OBJECT_0) {
      return;
    }
    INPUT_RECORD record = {};
    DWORD read = 0;
    if (!Sys().ReadConsoleInputW(console, &record, 1, &read)) return;
    if (read == 1 && IsKeyPress(record)) return;
  }
}

}  // namespace sollux
