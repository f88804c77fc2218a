// Texts are UTF-16 throughout (wchar_t is 16 bits on Windows).
#ifndef SOLLUX_BASE_WSTRING_H_
#define SOLLUX_BASE_WSTRING_H_

#include <string>
#include <vector>

namespace sollux {

using WString = std::wstring;
using WStringList = std::vector<WString>;

// A C string that may be null, read as the empty text.
inline const wchar_t* TextOrEmpty(const wchar_t* text) { return text != nullptr ? text : L""; }

}  // namespace sollux

#endif  // SOLLUX_BASE_WSTRING_H_
