#include "script/batch_escape.h"

#include "base/text.h"
#include "base/text_file.h"

namespace sollux {
namespace {

bool IsControl(wchar_t c) { return c < 0x20; }

bool IsUnquotedSpecial(wchar_t c) {
  return c == L'&' || c == L'|' || c == L'<' || c == L'>' || c == L'^' || c == L'"';
}

}  // namespace

wchar_t ReadInBatchFile(wchar_t c) {
  if (c < 0x80) return c;
  const std::string bytes = ToShiftJis(WString(1, c));
  if (bytes.size() == 1 && static_cast<unsigned char>(bytes[0]) < 0x80) return bytes[0];
  return c;
}

WString EscapeForEcho(const WString& text) {
  WString escaped;
  escaped.reserve(text.size());
  for (const wchar_t c : text) {
    const wchar_t read = ReadInBatchFile(c);
    if (IsControl(read)) {
      escaped += L'_';
      continue;
    }
    if (read == L'%') escaped += c;
    if (IsUnquotedSpecial(read)) escaped += L'^';
    escaped += c;
  }
  return escaped;
}

WString EscapeForCommandLine(const WString& text) {
  WString escaped;
  escaped.reserve(text.size());
  for (const wchar_t c : text) {
    const wchar_t read = ReadInBatchFile(c);
    if (IsControl(read) || read == L'"') {
      escaped += L'_';
      continue;
    }
    if (read == L'%') escaped += c;
    escaped += c;
  }
  return escaped;
}

bool NamedExactly(const WString& folder) {
  for (const wchar_t c : folder) {
    if (IsControl(c) || c == L'"') return false;
  }
  return SurvivesShiftJis(folder);
}

WString QuotedFolder(const WString& folder) {
  WString quoted = EscapeForCommandLine(folder);
  // The C runtime reads 2n backslashes before a double quote as n backslashes and a closing
  // quote, but 2n+1 as n backslashes and a quote character inside the argument, which would
  // run the two folders and the switches together. A yen sign is a backslash once the file is
  // in code page 932.
  size_t trailing = 0;
  while (trailing < quoted.size() &&
         ReadInBatchFile(quoted[quoted.size() - 1 - trailing]) == L'\\') {
    ++trailing;
  }
  quoted.append(trailing, L'\\');
  return EnclosedIn(quoted, L'"');
}

}  // namespace sollux
