// The name of the generated batch file.
#ifndef SOLLUX_SCRIPT_SCRIPT_FILE_NAME_H_
#define SOLLUX_SCRIPT_SCRIPT_FILE_NAME_H_

#include <cstddef>

#include "base/wstring.h"

namespace sollux {

// The longest file name that Windows' file systems hold. Names built from folders of ordinary
// length stay far below it (at most 97 characters); only a last folder name that the path
// shortening keeps whole makes a longer name.
inline constexpr size_t kMaxFileNameLength = 255;

// The longest path of a batch file, folder and name together: MAX_PATH without its NUL.
inline constexpr size_t kMaxScriptPathLength = 259;

// What a batch file is named after: its source and destination folders and its main switches.
struct BatchNameParts {
  WString source;
  WString destination;
  bool subdirectories = false;
  bool mirror = false;
  bool fat_file_times = false;
  bool list_only = false;
};

// "RC_", the source (unquoted, shortened to 50 characters), "_", the destination (shortened to
// 30), "_", the letters s, mir, fft and l of the switches that are on, ".bat"; characters that
// a file name cannot hold replaced, and fitted to kMaxFileNameLength.
WString BatchFileName(const BatchNameParts& parts);

// `text` with the characters that cannot stand in a file name replaced: tab, line feed,
// carriage return and every other control character, double quote, comma, semicolon and
// vertical bar by ".", blank, slash, colon, question mark and backslash by "_", "#" and "%" by
// "-", "*" by "x", "<" by "(" and ">" by ")". Every other character is kept.
WString ToFileNameChars(const WString& text);

// `name` when it has at most `max_length` characters. Otherwise a name of exactly
// `max_length` characters that keeps the beginning "RC_", the end from the last "_" on (the
// switch letters and ".bat"), as much of the folders as fits, and "~" with eight hexadecimal
// digits of a digest of the whole `name`, so that names that differ only in the dropped part
// stay different: RC_C__Data_Some_very_lo~1f0c33a2_smirfft.bat. Where the switch letters do not
// fit beside the digest, only the extension is kept: RC_~1f0c33a2.bat. When not even that
// fits, the minimal form comes back, longer than `max_length`, or `name` itself when the
// minimal form would not be shorter. A pure function.
//
// The job runner passes the smaller of kMaxFileNameLength and kMaxScriptPathLength minus the
// length of the script folder, so that the whole path of the batch file stays within MAX_PATH.
WString FitScriptFileName(const WString& name, size_t max_length);

}  // namespace sollux

#endif  // SOLLUX_SCRIPT_SCRIPT_FILE_NAME_H_
