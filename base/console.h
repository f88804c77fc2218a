// What the user sees in the program's console window: lines of output, and a pause that keeps
// the window open.
#ifndef SOLLUX_BASE_CONSOLE_H_
#define SOLLUX_BASE_CONSOLE_H_

#include <cstdint>
#include <functional>

#include "base/win.h"
#include "base/wstring.h"

namespace sollux {

// Writes `text` and a line feed to the standard output, as WriteStreamText does.
void OutputLine(const WString& text);
// The same for several lines at once: one look at the stream, one write.
void OutputLines(const WStringList& lines);
// Writes `text` as it is to the standard stream `which` (STD_OUTPUT_HANDLE or
// STD_ERROR_HANDLE): to a console as wide text, else in the console's output code page, or the
// ANSI code page without a console (a character without a code as "?"), and flushes it.
void WriteStreamText(DWORD which, const WString& text);

// On a console only: shows `text` on the current line in place of what this showed before, at
// most four times a second (`force` draws at once). ClearProgress blanks that line again
// before the next line is written. Redirected output gets neither.
void ShowProgress(const WString& text, bool force = false);
void ClearProgress();

// True when standard input is a console, where a key press can end a pause.
bool InputIsConsole();
// One line typed (or piped) on the standard input, without its line end; false at its end.
bool ReadInputLine(WString* line);

// Returns when a key is pressed in the console of standard input (keys pressed before the call
// do not count) or after `milliseconds`; at once when standard input is no console.
void WaitForKeyPress(uint32_t milliseconds);

// Whether a person is there to read the window: its console was made for this process alone
// (a double click, not a command window or a script) and the window station is visible (not a
// scheduled task's run whether anyone is logged on or not, whose key wait would last as long as
// the task may).
bool PersonIsWatching();
// Shows `line(seconds left)` on the progress line, anew each second, until a key is pressed
// or `seconds` have passed; at once when standard input is no console.
void CountDown(uint32_t seconds, const std::function<WString(uint32_t left)>& line);

}  // namespace sollux

#endif  // SOLLUX_BASE_CONSOLE_H_
