#include "script/script_file_name.h"

#include <cstdint>

#include "base/path.h"
#include "base/text.h"

namespace sollux {
namespace {

constexpr wchar_t kNamePrefix[] = L"RC_";
constexpr wchar_t kNameExtension[] = L".bat";
constexpr size_t kSourceLength = 50;
constexpr size_t kDestinationLength = 30;
// "~" and eight hexadecimal digits.
constexpr wchar_t kDigestMark = L'~';
constexpr size_t kDigestLength = 9;

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
      // No control character can stand in a file name: the others go the way of the tab.
      return c < 0x20 ? L'.' : c;
  }
}

WString NamePiece(const WString& folder, size_t max_length) {
  return ToFileNameChars(ShortenPath(Unquote(folder), max_length));
}

// 32-bit FNV-1a over the UTF-16 units: the same text gives the same digest on every machine.
uint32_t Digest(const WString& text) {
  uint32_t hash = 2166136261u;
  for (const wchar_t c : text) {
    hash = (hash ^ (static_cast<uint16_t>(c) & 0xFF)) * 16777619u;
    hash = (hash ^ (static_cast<uint16_t>(c) >> 8)) * 16777619u;
  }
  return hash;
}

// The first `count` units of `text`, one fewer when the cut would split a surrogate pair.
WString Head(const WString& text, size_t count) {
  if (count >= text.size()) return text;
  if (count > 0 && text[count - 1] >= 0xD800 && text[count - 1] <= 0xDBFF) --count;
  return text.substr(0, count);
}

}  // namespace

WString ToFileNameChars(const WString& text) {
  WString name = text;
  for (wchar_t& c : name) c = FileNameChar(c);
  return name;
}

WString FitScriptFileName(const WString& name, size_t max_length) {
  if (name.size() <= max_length) return name;
  const size_t begin = name.starts_with(kNamePrefix) ? WString(kNamePrefix).size() : 0;
  // From the last "_" on (the switch letters and ".bat"); in another name, its extension.
  size_t end = name.rfind(L'_');
  if (end == WString::npos || end < begin) end = name.rfind(L'.');
  if (end == WString::npos || end < begin) end = name.size();
  // Where not even the switch letters fit beside the digest, the extension alone is kept.
  const size_t extension = name.rfind(L'.');
  if (begin + kDigestLength + (name.size() - end) > max_length && extension != WString::npos &&
      extension > end) {
    end = extension;
  }
  const WString kept_end = name.substr(end);
  const size_t fixed = begin + kDigestLength + kept_end.size();
  const size_t room = max_length > fixed ? max_length - fixed : 0;
  WString fitted = name.substr(0, begin) + Head(name.substr(begin, end - begin), room) +
                   kDigestMark + PaddedNumberText(Digest(name), 16, kDigestLength - 1) + kept_end;
  // A name barely longer than a tiny limit would only grow by its digest.
  return fitted.size() < name.size() ? fitted : name;
}

WString BatchFileName(const BatchNameParts& parts) {
  WString name = kNamePrefix + NamePiece(parts.source, kSourceLength) + L"_" +
                 NamePiece(parts.destination, kDestinationLength) + L"_";
  if (parts.subdirectories) name += L"s";
  if (parts.mirror) name += L"mir";
  if (parts.fat_file_times) name += L"fft";
  if (parts.list_only) name += L"l";
  return FitScriptFileName(name + kNameExtension, kMaxFileNameLength);
}

}  // namespace sollux
