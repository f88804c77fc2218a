#include "script/script_file_name.h"

namespace sollux {
namespace {

wchar_t FileNameChar(wchar_t c) {
  switch (c) {
    case L'\t':
    case L'\n':
    case L'\r':
    case L'"':
    case L',':
    case L';':
    case L'|':
      return L'.';
    case L' ':
    case L'/':
    case L':':
    case L'?':
    case L'\\':
      return L'_';
    case L'#':
    case L'%':
      return L'-';
    case L'*':
      return L'x';
    case L'<':
      return L'(';
    case L'>':
      return L')';
    default:
      return c;
  }
}

}  // namespace

WString ToFileNameChars(const WString& text) {
  WString name = text;
  for (wchar_t& c : name) c = FileNameChar(c);
  return name;
}

}  // namespace sollux
