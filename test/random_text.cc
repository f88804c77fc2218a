#include "test/random_text.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cwctype>
#include <iostream>

namespace sollux::test {
namespace {

constexpr uint64_t kDefaultSeed = 20261207;
// Over the 32,767 units of a command line and of a path with the \\?\ prefix.
constexpr size_t kVeryLongMin = 32768;
constexpr size_t kVeryLongMax = 40000;

uint64_t Mix(uint64_t value) {  // splitmix64's finaliser
  value += 0x9E3779B97F4A7C15ull;
  value = (value ^ (value >> 30)) * 0xBF58476D1CE4E5B9ull;
  value = (value ^ (value >> 27)) * 0x94D049BB133111EBull;
  return value ^ (value >> 31);
}

uint64_t NameHash(const std::string& name) {
  uint64_t hash = 14695981039346656037ull;
  for (const unsigned char c : name) hash = (hash ^ c) * 1099511628211ull;
  return hash;
}

// Letters outside ASCII: accented Latin, Greek, Cyrillic, the yen sign and broken bar that code
// page 932 turns into \ and |, fullwidth forms, halfwidth katakana, and Japanese whose Shift JIS
// second byte is 0x5C or 0x7C (ソ 表 ポ 能 十 予 貼).
const std::wstring kNonAscii =
    L"\u00E9\u00FC\u00DF\u00F1\u00C5\u03A9\u0416\u00A5\u00A6\u00A0\u2014\u2019\uFF21\uFF05\uFF3C"
    L"\uFF71\u3042\u30BD\u8868\u30DD\u80FD\u5341\u4E88\u8CBC\u6F22\u5B57\u30C7\u30FC\u30BF";
// Other controls and oddities: C0 controls besides tab, CR and LF, DEL, NEL, the line and
// paragraph separators, the byte-order mark and the two non-characters of the basic plane.
const std::wstring kOddUnits =
    L"\x01\x02\x07\x08\x0B\x0C\x1A\x1B\x1F\x7F\u0085\u2028\u2029\uFEFF\uFFFE\uFFFF";
const std::wstring kAsciiPunctuation = L".._-~&^()!;,=[]{}#<>|+@$`";
const std::wstring kAlphanumeric =
    L"abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";

const std::vector<std::wstring> kRoots = {
    L"C:",      L"c:", L"Z:", L"C:\\", L"\\\\server\\share", L"//server/share", L"\\\\?\\C:",
    L"\\\\.\\", L"\\", L"/",  L"\\\\", L"E:/_Backup_"};
const std::vector<std::wstring> kSeparators = {L"\\", L"\\", L"\\",   L"\\", L"\\",  L"\\",
                                               L"/",  L"/",  L"\\\\", L"//", L"\\/", L""};
const std::vector<std::wstring> kWords = {
    L".",         L"..",        L"...",   L".. ", L"_Backup_", L"_backup_",
    L"%Temp%",    L"50%",       L"Data",  L"R&D", L"a b",      L"\"x\"",
    L"'y'",       L"Thumbs.db", L"*.tmp", L"?",   L"CON",      L"\u30BD\u8868",
    L"%~dp0",     L"^",         L"x (1)", L"\"",  L"'",        L"\u00A5",
    L"Documents", L"a.b.c",     L"%%",    L" ",   L"\t",       L"\r\n"};

}  // namespace

uint64_t BaseSeed() {
  const char* text = std::getenv("SOLLUX_SEED");
  if (text == nullptr || *text == '\0') return kDefaultSeed;
  return std::strtoull(text, nullptr, 0);
}

uint64_t SeedFor(const std::string& name) {
  const uint64_t base = BaseSeed();
  const uint64_t seed = Mix(base ^ NameHash(name));
  std::cout << "[   seed   ] " << name << ": base seed " << base
            << " (replay with SOLLUX_SEED=" << base << "), seed of this test " << seed << std::endl;
  testing::Test::RecordProperty("base_seed", std::to_string(base));
  return seed;
}

size_t InputCount(size_t count) {
  const char* text = std::getenv("SOLLUX_FUZZ_FACTOR");
  const double factor = text != nullptr && *text != '\0' ? std::strtod(text, nullptr) : 1.0;
  const double scaled = static_cast<double>(count) * factor;
  return scaled < 1.0 ? 1 : static_cast<size_t>(scaled);
}

size_t RandomText::Below(size_t n) {
  if (n == 0) return 0;
  return std::uniform_int_distribution<size_t>(0, n - 1)(engine_);
}

size_t RandomText::Length() {
  if (OneIn(2000)) return kVeryLongMin + Below(kVeryLongMax - kVeryLongMin + 1);
  if (OneIn(50)) return 0;
  const size_t r = Below(1000);
  if (r < 650) return 1 + Below(16);
  if (r < 900) return 17 + Below(48);
  if (r < 995) return 65 + Below(336);
  return 401 + Below(2600);
}

wchar_t RandomText::Unit() {
  const size_t r = Below(100);
  if (r < 14) return L"\\/:"[Below(3)];
  if (r < 19) return L"\"'"[Below(2)];
  if (r < 24) return L"%*?"[Below(3)];
  if (r < 30) return L"  \t"[Below(3)];
  if (r < 33) return L"\r\n"[Below(2)];
  if (r < 34) return L'\0';
  if (r < 62) return kAlphanumeric[Below(kAlphanumeric.size())];
  if (r < 72) return kAsciiPunctuation[Below(kAsciiPunctuation.size())];
  if (r < 84) return kNonAscii[Below(kNonAscii.size())];
  if (r < 87) return static_cast<wchar_t>(0xD800 + Below(0x800));  // a lone surrogate
  if (r < 90) return kOddUnits[Below(kOddUnits.size())];
  return static_cast<wchar_t>(0x80 + Below(0x10000 - 0x80));
}

std::wstring RandomText::Text() { return Text(Length()); }

std::wstring RandomText::Text(size_t length) {
  std::wstring text;
  text.reserve(length);
  while (text.size() < length) {
    if (OneIn(40)) {  // a character outside the basic plane, as a surrogate pair
      text += static_cast<wchar_t>(0xD800 + Below(0x400));
      if (text.size() < length) text += static_cast<wchar_t>(0xDC00 + Below(0x400));
      continue;
    }
    text += Unit();
  }
  return text;
}

std::wstring RandomText::Component() {
  if (Below(3) == 0) return Pick(kWords);
  return Text(OneIn(20) ? Length() : Below(12));
}

std::wstring RandomText::Path() {
  std::wstring path = OneIn(3) ? std::wstring() : Pick(kRoots);
  const size_t count = OneIn(20) ? Below(40) : Below(8);
  for (size_t i = 0; i < count; ++i) {
    if (!path.empty() || OneIn(4)) path += Pick(kSeparators);
    path += Component();
  }
  if (OneIn(8)) path += Pick(kSeparators);
  if (OneIn(2000)) {  // past 32,767 units in ordinary folders
    while (path.size() < kVeryLongMin) path += L"\\Folder" + std::to_wstring(path.size());
  }
  if (OneIn(10)) {
    const wchar_t quote = OneIn(4) ? L'\'' : L'"';
    path = quote + path + quote;
  }
  return path;
}

std::wstring RandomText::Any() { return OneIn(2) ? Text() : Path(); }

std::vector<std::wstring> RandomText::List(size_t max) {
  std::vector<std::wstring> list(Below(max + 1));
  for (std::wstring& text : list) text = Any();
  return list;
}

std::string Printable(const std::wstring& text) {
  constexpr size_t kShown = 300;
  std::string shown = "\"";
  for (size_t i = 0; i < text.size() && i < kShown; ++i) {
    const wchar_t c = text[i];
    if (c == L'\\' || c == L'"') {
      shown += '\\';
      shown += static_cast<char>(c);
    } else if (c >= 0x20 && c < 0x7F) {
      // A hexadecimal escape would swallow a following hexadecimal digit.
      if (i > 0 && std::iswxdigit(c) && (text[i - 1] < 0x20 || text[i - 1] >= 0x7F)) {
        shown += "\" L\"";
      }
      shown += static_cast<char>(c);
    } else {
      char escape[8];
      std::snprintf(escape, sizeof(escape), "\\x%04X", static_cast<unsigned>(c));
      shown += escape;
    }
  }
  shown += "\"";
  if (text.size() > kShown) shown += " (" + std::to_string(text.size()) + " units)";
  return shown;
}

}  // namespace sollux::test
