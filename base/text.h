// Text helpers shared by the subsystems: de-duplication, quoting, case-tolerant
// search and number texts.
#ifndef SOLLUX_BASE_TEXT_H_
#define SOLLUX_BASE_TEXT_H_

#include <cstdint>
#include <string_view>
#include <vector>

#include "base/wstring.h"

namespace sollux {

// Drops repeated texts (exact, case-sensitive comparison); first occurrences keep their place.
WStringList UniqueInOrder(const WStringList& list);

// `quote`, the text and `quote` again; nothing inside is escaped.
WString EnclosedIn(const WString& text, wchar_t quote);
// Removes one pair of equal enclosing quote characters (double quote or apostrophe).
WString UnquoteOnce(const WString& text);
// Removes enclosing quote pairs as long as there are any.
WString Unquote(const WString& text);
WString Unquote(const wchar_t* text);

// Position of `pattern` in `text` from `start`, exactly or else in lower case; npos if none.
size_t FindIgnoreCase(const WString& text, const WString& pattern, size_t start);

// The lines of a file's bytes, split at every LF and each without a CR before it, whatever
// else they hold (NULs, quotes, bytes of any code page); a last line without a line end too.
std::vector<std::string_view> ByteLines(std::string_view bytes);

// Digits of `value` in `radix` (clamped to 2..36), lower-case letters above 9.
WString NumberText(uint32_t value, unsigned radix = 10);
WString NumberText64(uint64_t value, unsigned radix = 10);
// NumberText left-padded with "0" to at least `width` characters.
WString PaddedNumberText(uint32_t value, unsigned radix, size_t width);

}  // namespace sollux

#endif  // SOLLUX_BASE_TEXT_H_
