// Text files in code page 932 (Shift JIS), the code page in which cmd.exe on a Japanese Windows
// reads batch files.
#ifndef SOLLUX_BASE_TEXT_FILE_H_
#define SOLLUX_BASE_TEXT_FILE_H_

#include <string>
#include <vector>

#include "base/wstring.h"

namespace sollux {

// Writes `text` to `path` as code page 932 bytes (no byte order mark, line ends as they are in
// the text), replacing the file. True when the file holds all the bytes; an empty text leaves
// an empty file and answers true. A file that another process holds is waited for.
bool WriteTextFile(const wchar_t* path, const WString& text);

// The code page 932 bytes of `text` up to its first NUL. Where the code page has a best-fit
// replacement the platform uses it (é becomes e, ¥ becomes the byte of the backslash); every
// other character without a form in the code page becomes one "_".
std::string ToShiftJis(const WString& text);

// The text that code page 932 bytes stand for.
WString FromShiftJis(const std::string& bytes);

// True when `text` comes back unchanged from code page 932. A folder name that does not
// survive names another, usually missing, folder once it is written into a batch file.
bool SurvivesShiftJis(const WString& text);

// Writes `bytes` to `path` in mode "wb". An open that fails is retried 100 times, 100 ms apart,
// with the attempt count on the standard error stream. A file that does not read back with the
// size written is written again, 10 ms later, up to pass number 11. `pass` is 0 on the first
// call.
bool WriteBytesToFile(const wchar_t* path, std::vector<char> bytes, int pass);

}  // namespace sollux

#endif  // SOLLUX_BASE_TEXT_FILE_H_
