// Folder names as they must be written into a batch file so that cmd.exe shows them and hands
// them to robocopy exactly.
//
// cmd.exe expands percent signs on every line of a batch file, inside double quotes too, so
// "50%" would reach robocopy as "50". Outside double quotes it takes & | < > as command
// separators and redirections and ^ as its escape character, so an echo line naming "R&D" would
// run "D". The file is stored in code page 932, whose best-fit replacements turn some characters
// into ASCII ones (¦ into |, ¥ into \); such characters are escaped for what cmd.exe will read.
// Texts without any of these characters come back unchanged.
#ifndef SOLLUX_SCRIPT_BATCH_ESCAPE_H_
#define SOLLUX_SCRIPT_BATCH_ESCAPE_H_

#include "base/wstring.h"

namespace sollux {

// The character that cmd.exe reads where the batch file holds `c`: the file goes through code
// page 932, which writes some characters outside ASCII as ASCII bytes (¥ as the backslash).
wchar_t ReadInBatchFile(wchar_t c);

// For the unquoted rest of an echo line: "^" before & | < > ^ and the double quote, percent
// signs doubled. A control character, which no folder name holds and which could end the line,
// becomes "_". The echo command itself still takes a whole text of "on", "off" or one that
// begins with "/?" as its own option; folder paths never have those forms.
WString EscapeForEcho(const WString& text);

// For text between the double quotes of a command line: percent signs doubled. A double quote
// would end the quoted argument and a control character could end the line; no folder name holds
// either, and each becomes "_".
WString EscapeForCommandLine(const WString& text);

// True when a folder written between double quotes reaches the program as it is: its text
// survives code page 932 and holds no control character or double quote.
bool NamedExactly(const WString& folder);

// `folder` between double quotes, written so that cmd.exe and the C runtime's argument parser
// hand it to robocopy exactly: percent signs doubled, and backslashes before the closing quote
// (also those that code page 932 makes of a yen sign) doubled so that they do not escape it.
WString QuotedFolder(const WString& folder);

}  // namespace sollux

#endif  // SOLLUX_SCRIPT_BATCH_ESCAPE_H_
