// Sollux's records are files of text lines: UTF-8 after a byte order mark (older Notepads read a
// file without one in the ANSI code page), CRLF line ends. They are read whatever their bytes:
// a line end is LF with or without CR, a last line may lack one, and what is no UTF-8 becomes
// U+FFFD; a line is checked by whoever knows its form. Every write replaces a record whole.
#ifndef SOLLUX_STORE_RECORD_FILE_H_
#define SOLLUX_STORE_RECORD_FILE_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/wstring.h"

namespace sollux {

inline constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";  // UTF-8's

// `text` in UTF-8 after a byte order mark; a lone surrogate becomes U+FFFD.
std::string Utf8FileBytes(const WString& text);
// UTF-8 bytes, with or without a byte order mark, as text; what is no UTF-8 becomes U+FFFD.
WString FromUtf8(std::string_view bytes);

enum class RecordRead { kRead, kMissing, kUnreadable };

// The lines of the file, empty ones left out. kUnreadable also for a folder in its place and a
// file larger than any record Sollux writes.
RecordRead ReadRecordLines(const WString& path, WStringList* lines);
// Replaces the file by `lines`, whole: they are written to a new file beside it, flushed to the
// device, and that file is moved over the old one, so that a stick pulled out meanwhile leaves
// the old file or the new one, never a part of either. False when it could not be.
bool ReplaceRecord(const WString& path, const WStringList& lines);
// The same for a text with its own line ends (a report).
bool ReplaceRecordText(const WString& path, const WString& text);
// What parts a line of a record into fields.
inline constexpr wchar_t kRecordFieldSeparator = L'\t';
// A line's fields, at every separator, whatever else the line holds.
WStringList RecordFields(const WString& line);
// A field of decimal digits alone, at most 18 of them; nothing for any other.
std::optional<uint64_t> RecordNumber(const WString& field);
// Adds `lines` to the file's and keeps the last `limit` of all (0: all), replacing the file
// whole; false, and the file as it was, when it is there but cannot be read.
bool AppendRecord(const WString& path, const WStringList& lines, size_t limit = 0);

}  // namespace sollux

#endif  // SOLLUX_STORE_RECORD_FILE_H_
