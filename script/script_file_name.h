// The name of the generated batch file.
#ifndef SOLLUX_SCRIPT_SCRIPT_FILE_NAME_H_
#define SOLLUX_SCRIPT_SCRIPT_FILE_NAME_H_

#include "base/wstring.h"

namespace sollux {

// `text` with the characters that cannot stand in a file name replaced: tab, line feed,
// carriage return, double quote, comma, semicolon and vertical bar by ".", blank, slash, colon,
// question mark and backslash by "_", "#" and "%" by "-", "*" by "x", "<" by "(" and ">" by ")".
// Every other character is kept.
WString ToFileNameChars(const WString& text);

}  // namespace sollux

#endif  // SOLLUX_SCRIPT_SCRIPT_FILE_NAME_H_
