#include "base/text_file.h"

#include "base/file_system.h"
#include "base/messages.h"
#include "base/path.h"
#include "base/system_api.h"
#include "base/win.h"

namespace sollux {
namespace {

constexpr UINT kShiftJis = 932;
constexpr int kOpenSeconds = 10;
constexpr int kLastPass = 11;
constexpr DWORD kRewriteDelayMilliseconds = 10;

bool IsHighSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Code page 932 has no character outside the basic plane, and the conversion replaces each half
// of a surrogate pair on its own; keeping only the first half gives one "_" per character.
WString OneUnitPerCharacter(const WString& text) {
  WString units;
  units.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    units += text[i];
    if (IsHighSurrogate(text[i]) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) ++i;
  }
  return units;
}

}  // namespace

std::string ToShiftJis(const WString& text) {
  const WString units = OneUnitPerCharacter(WString(text.c_str()));
  std::vector<char> buffer(3 * (units.size() + 1), '\0');
  // One underscore as the default string: Wine writes the whole string for every character
  // without a form, so "__" would give two.
  ::WideCharToMultiByte(kShiftJis, 0, units.c_str(), -1, buffer.data(),
                        static_cast<int>(buffer.size()), "_", nullptr);
  return std::string(buffer.data());
}

WString FromShiftJis(const std::string& bytes) {
  if (bytes.empty()) return WString();
  const int size = static_cast<int>(bytes.size());
  const int length = ::MultiByteToWideChar(kShiftJis, 0, bytes.data(), size, nullptr, 0);
  if (length <= 0) return WString();
  WString text(static_cast<size_t>(length), L'\0');
  ::MultiByteToWideChar(kShiftJis, 0, bytes.data(), size, text.data(), length);
  return text;
}

bool SurvivesShiftJis(const WString& text) { return FromShiftJis(ToShiftJis(text)) == text; }

bool WriteTextFile(const wchar_t* path, const WString& text) {
  const std::string bytes = ToShiftJis(text);
  return WriteBytesToFile(path, std::vector<char>(bytes.begin(), bytes.end()), 0);
}

bool WriteBytesToFile(const wchar_t* path, std::vector<char> bytes, int pass) {
  if (path == nullptr || *path == L'\0') return false;
  UniqueFile file = OpenWithRetry(path, L"wb", kOpenSeconds);
  if (!file) return false;
  if (!bytes.empty()) Sys().WriteToFile(bytes.data(), 1, bytes.size(), file.get());
  file.reset();
  if (bytes.empty()) return true;
  // A short file (a full disk, a scanner that empties it) must not pass for the whole text.
  const FileStatus status(path);
  if (!status.Failed() && status.Size() == static_cast<int64_t>(bytes.size())) return true;
  if (pass >= kLastPass) return false;
  Sys().Sleep(kRewriteDelayMilliseconds);
  return WriteBytesToFile(path, bytes, pass + 1);
}

}  // namespace sollux
