#include "test/cmd_model.h"

#include "base/text_file.h"
#include "base/win.h"

namespace sollux::test {
namespace {

bool IsControl(wchar_t c) { return c < 0x20; }

bool IsOperator(wchar_t c) { return c == L'&' || c == L'|' || c == L'<' || c == L'>' || c == L'"'; }

}  // namespace

std::wstring ReadThroughShiftJis(const std::wstring& text) {
  std::wstring read = text;
  for (wchar_t& c : read) {
    if (c < 0x80) continue;
    const std::string bytes = ToShiftJis(std::wstring(1, c));
    if (bytes.size() == 1 && static_cast<unsigned char>(bytes[0]) < 0x80) c = bytes[0];
  }
  return read;
}

std::wstring ReadThroughConsole(const std::wstring& text, unsigned console_code_page) {
  if (console_code_page == 932) return ReadThroughShiftJis(text);
  const std::string bytes = ToShiftJis(text);
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
