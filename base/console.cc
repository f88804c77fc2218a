#include "base/console.h"

#include <cstdio>
#include <string>

#include "base/system_api.h"

namespace sollux {
namespace {

constexpr size_t kStreamBuffer = 4096;

// The console handle of `which` standard stream, or null when the stream is a file, a pipe or
// closed.
HANDLE ConsoleOf(DWORD which) {
  HANDLE handle = Sys().GetStdHandle(which);
  DWORD mode = 0;
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return nullptr;
  return Sys().GetConsoleMode(handle, &mode) ? handle : nullptr;
}

// Where no console takes the wide text (a file, a pipe): the console's output code page when
// the process has a console, else the ANSI code page; "?" for a character without a code.
std::string Encoded(const WString& text) {
  if (text.empty()) return std::string();
  UINT code_page = Sys().GetConsoleOutputCP();
  if (code_page == 0) code_page = Sys().GetACP();
  // UTF-8 has a code for every character and refuses a default one; elsewhere "é" must not
  // become a look-alike "e".
  const bool utf = code_page == CP_UTF8 || code_page == CP_UTF7;
  const char* fallback = utf ? nullptr : "?";
  const DWORD flags = utf ? 0 : WC_NO_BEST_FIT_CHARS;
  const int size = static_cast<int>(text.size());
  const int length =
      ::WideCharToMultiByte(code_page, flags, text.data(), size, nullptr, 0, fallback, nullptr);
  if (length <= 0) return std::string();
  std::string bytes(static_cast<size_t>(length), '\0');
  ::WideCharToMultiByte(code_page, flags, text.data(), size, bytes.data(), length, fallback,
                        nullptr);
  return bytes;
}

// The C runtime leaves a stream on a character device (NUL; /dev/null under Wine) unbuffered, and
// Wine's then writes it one character at a time, asking the console's mode for each. Every
// line is flushed at once anyway, so a buffer costs nothing. Setting one drops what the stream
// holds, hence the flush first.
void Buffer(FILE* stream) {
  static bool output_buffered = false, error_buffered = false;
  bool& buffered = stream == stderr ? error_buffered : output_buffered;
  if (buffered) return;
  std::fflush(stream);
  std::setvbuf(stream, nullptr, _IOFBF, kStreamBuffer);
  buffered = true;
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

// The C runtime would convert wide text to the ANSI code page, and the console shows the bytes
// in its own (OEM) code page: a folder named "Café" would show as "CafÚ". A console takes the
// wide text itself.
void OutputLine(const WString& text) { OutputLines({text}); }

void OutputLines(const WStringList& lines) {
  WString text;
  for (const WString& line : lines) text += line + L"\n";
  WriteStreamText(STD_OUTPUT_HANDLE, text);
}

void WriteStreamText(DWORD which, const WString& text) {
  if (HANDLE console = ConsoleOf(which)) {
    DWORD written = 0;
    if (Sys().WriteConsoleW(console, text.data(), static_cast<DWORD>(text.size()), &written)) {
      return;
    }
  }
  FILE* stream = which == STD_ERROR_HANDLE ? stderr : stdout;
  const std::string bytes = Encoded(text);
  Buffer(stream);
  std::fwrite(bytes.data(), 1, bytes.size(), stream);
  std::fflush(stream);
}

namespace {

constexpr uint64_t kProgressPauseMs = 250;

struct ProgressState {
  size_t shown = 0;  // characters on the line now
  uint64_t last = 0;
  bool asked = false;
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

// Whether standard output is a console costs a round trip to the console host (a wineserver
// request under Wine), so the pause is kept before asking, not after, and across folders: the
// look and the check clear the line after every folder, most of which take less than a pause.
void ShowProgress(const WString& text, bool force) {
  ProgressState& state = Progress();
  const uint64_t now = Sys().GetTickCount64();
  if (!force && state.asked && now - state.last < kProgressPauseMs) return;
  state.last = now;
  state.asked = true;
  if (HANDLE console = ConsoleOf(STD_OUTPUT_HANDLE)) DrawProgress(console, text);
}

void ClearProgress() {
  ProgressState& state = Progress();
  if (state.shown == 0) return;
  if (HANDLE console = ConsoleOf(STD_OUTPUT_HANDLE)) DrawProgress(console, WString());
  state.shown = 0;
}

bool InputIsConsole() { return ConsoleOf(STD_INPUT_HANDLE) != nullptr; }

bool ReadInputLine(WString* line) {
  line->clear();
  if (HANDLE console = ConsoleOf(STD_INPUT_HANDLE); console != nullptr) {
    wchar_t buffer[512];
    DWORD read = 0;
    if (!::ReadConsoleW(console, buffer, 512, &read, nullptr) || read == 0) return false;
    line->assign(buffer, read);
  } else {
    // A pipe or a file, read a byte at a time so that nothing after the line is taken.
    std::string bytes;
    char c = 0;
    DWORD read = 0;
    const HANDLE input = Sys().GetStdHandle(STD_INPUT_HANDLE);
    while (Sys().ReadFile(input, &c, 1, &read, nullptr) && read == 1 && c != '\n') bytes += c;
    if (bytes.empty() && read == 0) return false;
    line->resize(bytes.size());
    line->resize(::MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()),
                                       line->data(), static_cast<int>(line->size())));
  }
  while (!line->empty() && (line->back() == L'\n' || line->back() == L'\r')) line->pop_back();
  return true;
}

namespace {

// True when a key is pressed within `milliseconds`. Mouse, focus, key-release and modifier
// events are read and passed over.
bool KeyPressedWithin(HANDLE console, uint32_t milliseconds) {
  const uint64_t end = Sys().GetTickCount64() + milliseconds;
  for (uint64_t now = Sys().GetTickCount64(); now < end; now = Sys().GetTickCount64()) {
    if (Sys().WaitForSingleObject(console, static_cast<DWORD>(end - now)) != WAIT_OBJECT_0) {
      return false;
    }
    INPUT_RECORD record = {};
    DWORD read = 0;
    if (!Sys().ReadConsoleInputW(console, &record, 1, &read)) return false;
    if (read == 1 && IsKeyPress(record)) return true;
  }
  return false;
}

}  // namespace

void WaitForKeyPress(uint32_t milliseconds) {
  HANDLE console = ConsoleOf(STD_INPUT_HANDLE);
  if (console == nullptr) return;
  // Keys pressed while robocopy ran would end the pause before anyone has read a line.
  Sys().FlushConsoleInputBuffer(console);
  KeyPressedWithin(console, milliseconds);
}

bool PersonIsWatching() {
  DWORD ids[2] = {};
  return ConsoleOf(STD_INPUT_HANDLE) != nullptr && Sys().GetConsoleProcessList(ids, 2) == 1 &&
         Sys().WindowStationVisible();
}

void CountDown(uint32_t seconds, const std::function<WString(uint32_t left)>& line) {
  HANDLE console = ConsoleOf(STD_INPUT_HANDLE);
  if (console == nullptr) return;
  Sys().FlushConsoleInputBuffer(console);
  for (uint32_t left = seconds; left > 0; --left) {
    ShowProgress(line(left), true);
    if (KeyPressedWithin(console, 1000)) break;
  }
  ClearProgress();
}

}  // namespace sollux
