// A model of how cmd.exe reads the folder texts of a batch file, for the randomized tests: what
// it reads after code page 932, what an echo line shows, and which argument the C runtime hands
// a program for a double-quoted folder. It models only what the program writes (escaped text);
// anything else is reported as unsafe rather than interpreted. Its code page 932 is its own,
// taken from the code page's decoding and a best-fit table, not from the program's writer.
#ifndef SOLLUX_TEST_CMD_MODEL_H_
#define SOLLUX_TEST_CMD_MODEL_H_

#include <string>

namespace sollux::test {

// `text` as cmd.exe reads it from the code page 932 file: a character without a form of its own
// reads as what the code page's best fit writes for it (¥ as a backslash, ¦ as a vertical bar,
// é as e, ¢ as ￠), or as the "_" written in its place.
std::wstring ReadThroughShiftJis(const std::wstring& text);

// `text` as cmd.exe reads it from the code page 932 file in a console whose code page is
// `console_code_page`: cmd.exe decodes every line with the console's code page, so in 65001,
// 437 or 850 the bytes of a Japanese name become other characters (表 ends in the byte of a
// backslash, ポ in that of a vertical bar). For 932 the same as ReadThroughShiftJis.
std::wstring ReadThroughConsole(const std::wstring& text, unsigned console_code_page);

// What an echo command shows for `read`, the rest of its line as cmd.exe reads it: "%%" shows
// as "%", "^" shows the next character. False, with `shown` unspecified, when the text holds
// something that cmd.exe would act on: a single percent sign, an unescaped & | < > or double
// quote, a caret at the end, or a control character.
bool EchoShows(const std::wstring& read, std::wstring* shown);

// The argument that a program receives for `read`, a double-quoted folder as cmd.exe reads it
// (percent signs doubled) and the C runtime splits it (2n backslashes before the closing quote
// stand for n). False when the text is not exactly one such argument: no enclosing quotes, a
// quote or control character inside, a single percent sign, or an odd run of backslashes before
// the closing quote.
bool QuotedArgument(const std::wstring& read, std::wstring* argument);

}  // namespace sollux::test

#endif  // SOLLUX_TEST_CMD_MODEL_H_
