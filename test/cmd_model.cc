#include "test/cmd_model.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "base/win.h"

namespace sollux::test {
namespace {

constexpr UINT kShiftJis = 932;
constexpr uint16_t kNoForm = 0xFFFF;

// What code page 932 writes for characters that it has no form of, by its best-fit table: the
// character that the bytes read back as. Taken from WideCharToMultiByte(932) under Wine 8, every
// UTF-16 unit tried once, and the overline from Windows' table (Wine 8 writes the default
// character for it instead, which reads as the same plain character to cmd.exe).
constexpr std::pair<wchar_t, wchar_t> kBestFit[] = {
    {0x00A1, L'!'},   {0x00A2, 0xFFE0}, {0x00A3, 0xFFE1}, {0x00A5, L'\\'},  {0x00A6, L'|'},
    {0x00A9, L'c'},   {0x00AA, L'a'},   {0x00AB, 0x226A}, {0x00AC, 0xFFE2}, {0x00AD, L'-'},
    {0x00AE, L'R'},   {0x00AF, 0xFFE3}, {0x00B2, L'2'},   {0x00B3, L'3'},   {0x00B5, 0x03BC},
    {0x00B7, 0x30FB}, {0x00B8, 0xFF0C}, {0x00B9, L'1'},   {0x00BA, L'o'},   {0x00BB, 0x226B},
    {0x203E, L'~'},   {0x3094, 0x30F4}};
// U+00C0 to U+00FF, the Latin letters, read as the letter without its accent; × and ÷ (0 here)
// have forms of their own.
constexpr wchar_t kLatinLetters[] =
    L"AAAAAAACEEEEIIIIDNOOOOO\0OUUUUYTsaaaaaaaceeeeiiiidnooooo\0ouuuuyty";

bool IsLeadByte(unsigned byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// Where Windows writes a character that has several byte pairs: a JIS X 0208 row first, then
// NEC's row 13, then the IBM extensions, then NEC's selection of them.
unsigned Rank(unsigned code) {
  const unsigned lead = code >> 8;
  if (lead == 0x87) return 1;
  if (lead >= 0xFA) return 2;
  return lead == 0xED || lead == 0xEE ? 3 : 0;
}

// The code page 932 bytes of every character that has a form (kNoForm for the others), found
// by decoding every byte and byte pair, never with the encoder that the program writes with;
// over all characters they are those that WideCharToMultiByte(932) writes under Wine 8. Every
// single byte reads as some character (0xA0 and 0xFD to 0xFF as private-use ones), a pair
// counts only when it stands for one.
std::vector<uint16_t> DecodedForms() {
  std::vector<uint16_t> forms(0x10000, kNoForm);
  for (unsigned code = 0; code <= 0xFCFC; ++code) {
    const unsigned lead = code >> 8, trail = code & 0xFF;
    const bool pair = code >= 0x100;
    if (pair ? !IsLeadByte(lead) || trail < 0x40 || trail == 0x7F || trail > 0xFC
             : IsLeadByte(trail)) {
      continue;
    }
    const char bytes[2] = {static_cast<char>(lead), static_cast<char>(trail)};
    wchar_t c = 0;
    if (::MultiByteToWideChar(kShiftJis, pair ? MB_ERR_INVALID_CHARS : 0, pair ? bytes : bytes + 1,
                              pair ? 2 : 1, &c, 1) != 1) {
      continue;
    }
    uint16_t& known = forms[c];
    if (known == kNoForm || std::pair(Rank(code), code) < std::pair(Rank(known), unsigned{known})) {
      known = static_cast<uint16_t>(code);
    }
  }
  return forms;
}

uint16_t FormOf(wchar_t c) {
  static const std::vector<uint16_t> forms = DecodedForms();
  return forms[c];
}

// The character that `c` reads back as from a code page 932 file.
wchar_t ReadBack(wchar_t c) {
  if (FormOf(c) != kNoForm) return c;
  if (c >= 0xC0 && c <= 0xFF) return kLatinLetters[c - 0xC0];
  for (const auto& [from, to] : kBestFit) {
    if (from == c) return to;
  }
  return L'_';
}

bool IsControl(wchar_t c) { return c < 0x20; }

bool IsOperator(wchar_t c) { return c == L'&' || c == L'|' || c == L'<' || c == L'>' || c == L'"'; }

}  // namespace

std::wstring ReadThroughShiftJis(const std::wstring& text) {
  std::wstring read = text;
  for (wchar_t& c : read) c = ReadBack(c);
  return read;
}

std::wstring ReadThroughConsole(const std::wstring& text, unsigned console_code_page) {
  if (console_code_page == kShiftJis) return ReadThroughShiftJis(text);
  std::string bytes;
  for (const wchar_t c : text) {
    const uint16_t code = FormOf(ReadBack(c));
    if (code >= 0x100) bytes += static_cast<char>(code >> 8);
    bytes += static_cast<char>(code & 0xFF);
  }
  if (bytes.empty()) return std::wstring();
  const int size = static_cast<int>(bytes.size());
  std::wstring read(bytes.size(), L'\0');
  const int length =
      ::MultiByteToWideChar(console_code_page, 0, bytes.data(), size, read.data(), size);
  read.resize(length > 0 ? length : 0);
  return read;
}
// cmd.exe expands percent signs first, on the whole line, and only then reads carets and
// operators.
bool EchoShows(const std::wstring& read, std::wstring* shown) {
  std::wstring expanded;
  for (size_t i = 0; i < read.size(); ++i) {
    if (IsControl(read[i])) return false;
    if (read[i] == L'%' && (++i == read.size() || read[i] != L'%')) return false;
    expanded += read[i];
  }
  shown->clear();
  for (size_t i = 0; i < expanded.size(); ++i) {
    if (IsOperator(expanded[i])) return false;
    if (expanded[i] == L'^' && ++i == expanded.size()) return false;
    *shown += expanded[i];
  }
  return true;
}

bool QuotedArgument(const std::wstring& read, std::wstring* argument) {
  argument->clear();
  if (read.size() < 2 || read.front() != L'"' || read.back() != L'"') return false;
  const std::wstring inner = read.substr(1, read.size() - 2);
  for (size_t i = 0; i < inner.size(); ++i) {
    const wchar_t c = inner[i];
    if (IsControl(c) || c == L'"') return false;
    if (c == L'%') {
      if (i + 1 == inner.size() || inner[i + 1] != L'%') return false;
      ++i;
    }
    *argument += c;
  }
  const size_t last = argument->find_last_not_of(L'\\');
  const size_t trailing = argument->size() - (last == std::wstring::npos ? 0 : last + 1);
  if (trailing % 2 != 0) return false;
  argument->resize(argument->size() - trailing / 2);
  return true;
}

}  // namespace sollux::test
