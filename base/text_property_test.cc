// The text helpers and the code page 932 conversion on generated hostile texts
// (test/random_text.h).
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

#include "base/path.h"
#include "base/text.h"
#include "base/text_file.h"
#include "test/property_check.h"
#include "test/random_text.h"
#include "test/temp_dir.h"

namespace sollux {
namespace {

using test::InputCount;
using test::Property;
using test::RandomText;
using test::SeedFor;

bool IsQuote(wchar_t c) { return c == L'"' || c == L'\''; }
WString UpToNul(const WString& text) { return WString(text.c_str()); }

bool HasEnclosingQuotes(const WString& text) {
  return text.size() >= 2 && text.front() == text.back() && IsQuote(text.front());
}

// The value of `digits` in `radix`, as the program writes digits (0-9, then a-z).
uint64_t DigitValue(const WString& digits, unsigned radix, bool* valid) {
  uint64_t value = 0;
  *valid = !digits.empty();
  for (const wchar_t c : digits) {
    const unsigned digit = c >= L'0' && c <= L'9'   ? c - L'0'
                           : c >= L'a' && c <= L'z' ? c - L'a' + 10
                                                    : 99;
    if (digit >= radix) *valid = false;
    value = value * radix + digit;
  }
  return value;
}

TEST(TextPropertyTest, QuotesAndFolderParts) {
  RandomText random(SeedFor("Unquote"));
  Property unquote("Unquote never lengthens and leaves no enclosing pair");
  Property enclosed("Unquote takes off what EnclosedIn puts on");
  Property folder("DirectoryPart is the text before the last separator");
  for (size_t i = InputCount(150000); i > 0; --i) {
    const WString text = random.Any();
    unquote.Try(text, [&] {
      const WString once = UnquoteOnce(text);
      unquote.Expect(once == text || once.size() + 2 == text.size(), "UnquoteOnce took not two");
      const WString bare = Unquote(text);
      unquote.Expect(bare.size() <= text.size(), "longer than its input");
      unquote.Expect(!HasEnclosingQuotes(bare), "an enclosing pair is left");
      unquote.Expect(text.compare((text.size() - bare.size()) / 2, bare.size(), bare) == 0,
                     "not the middle part");
      unquote.Expect(Unquote(text.c_str()) == Unquote(UpToNul(text)), "the C string form differs");
    });
    enclosed.Try(text, [&] {
      const wchar_t quote = random.OneIn(2) ? L'"' : L'\'';
      const WString quoted = EnclosedIn(text, quote);
      enclosed.Expect(quoted.size() == text.size() + 2 && quoted.substr(1, text.size()) == text,
                      "not enclosed");
      enclosed.Expect(Unquote(quoted) == Unquote(text), "quotes not taken off");
    });
    folder.Try(text, [&] {
      size_t at = text.rfind(L'\\');
      if (at == WString::npos) at = text.rfind(L'/');
      const WString part = DirectoryPart(text);
      folder.Expect(at == WString::npos ? part == L"\\" : part == text.substr(0, at), "wrong part");
      folder.Expect(DirectoryPart(text.c_str()) == DirectoryPart(UpToNul(text)),
                    "C string differs");
    });
  }
}

TEST(TextPropertyTest, UniqueInOrderAndFindIgnoreCase) {
  RandomText random(SeedFor("UniqueInOrder"));
  Property unique("UniqueInOrder keeps each first occurrence in order");
  Property find("FindIgnoreCase finds a part of the text at or before where it was taken");
  for (size_t i = InputCount(40000); i > 0; --i) {
    WStringList list = random.List(12);
    // Repeats, as the planning driver's folder list has them.
    for (size_t n = random.Below(6); n > 0 && !list.empty(); --n) list.push_back(random.Pick(list));
    const WString first = list.empty() ? WString() : list.front();
    unique.Try(first, [&] {
      WStringList expected;
      std::set<WString> seen;
      for (const WString& text : list) {
        if (seen.insert(text).second) expected.push_back(text);
      }
      unique.Expect(UniqueInOrder(list) == expected, "wrong list");
    });
    const WString text = random.Any();
    const size_t from = random.Below(text.size() + 1);
    const size_t length = random.Below(text.size() - from + 1);
    WString pattern = text.substr(from, length);
    const bool swap_case = random.OneIn(2) && UpToNul(text).size() == text.size();
    if (swap_case) {
      for (wchar_t& c : pattern) {
        if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
      }
    }
    const size_t start = random.Below(from + 1);
    find.SetContext(pattern);
    find.Try(text, [&] {
      const size_t at = FindIgnoreCase(text, pattern, start);
      // The exact search goes first and may find a case-swapped part further on.
      const bool exact = at != WString::npos && text.compare(at, pattern.size(), pattern) == 0;
      find.Expect(at != WString::npos && at >= start && (at <= from || exact),
                  "not found where it is");
      find.Expect(FindIgnoreCase(text, pattern, text.size() + 1 + random.Below(3)) == WString::npos,
                  "found past the end");
    });
  }
}

TEST(TextPropertyTest, NumberTextsReadBack) {
  RandomText random(SeedFor("NumberText"));
  Property numbers("NumberText, NumberText64 and PaddedNumberText read back as their value");
  for (size_t i = InputCount(100000); i > 0; --i) {
    const uint64_t value64 = random.OneIn(4) ? random.Below(1000) : random.engine()();
    const uint32_t value = static_cast<uint32_t>(value64);
    const unsigned radix = static_cast<unsigned>(random.Below(45));
    const unsigned clamped = radix < 2 ? 2 : radix > 36 ? 36 : radix;
    const size_t width = random.Below(80);
    const WString shown = NumberText64(value64, radix);
    numbers.Try(shown, [&] {
      bool valid = false;
      numbers.Expect(DigitValue(shown, clamped, &valid) == value64 && valid, "64-bit value");
      numbers.Expect(shown.size() == 1 || shown[0] != L'0', "leading zero");
      const WString shown32 = NumberText(value, radix);
      numbers.Expect(DigitValue(shown32, clamped, &valid) == value && valid, "32-bit value");
      const WString padded = PaddedNumberText(value, radix, width);
      numbers.Expect(padded.size() == std::max(width, shown32.size()), "width");
      numbers.Expect(DigitValue(padded, clamped, &valid) == value && valid, "padded value");
    });
  }
}

// The code page 932 bytes of a text: no NUL, at most two bytes for each unit before the first
// NUL, and a text that survives the trip comes back exactly.
TEST(TextPropertyTest, ShiftJisConversion) {
  RandomText random(SeedFor("ToShiftJis"));
  Property bytes("ToShiftJis gives at most two bytes per unit, none of them NUL");
  Property survives("a text that survives code page 932 comes back from its bytes");
  for (size_t i = InputCount(60000); i > 0; --i) {
    const WString text = random.Any();
    std::string converted;
    bytes.Try(text, [&] {
      converted = ToShiftJis(text);
      bytes.Expect(converted.size() <= 2 * UpToNul(text).size(), "too many bytes");
      bytes.Expect(converted.find('\0') == std::string::npos, "NUL byte");
    });
    survives.Try(text, [&] {
      const WString back = FromShiftJis(converted);
      survives.Expect(back.size() <= UpToNul(text).size(), "more units than the text");
      if (SurvivesShiftJis(text)) survives.Expect(back == text, "survivor changed");
      if (UpToNul(text).size() < text.size()) {
        survives.Expect(!SurvivesShiftJis(text), "a text with NUL survives");
      }
      // Any bytes at all, as a damaged file would hold them.
      std::string noise(random.Below(40), '\0');
      for (char& b : noise) b = static_cast<char>(random.Below(256));
      survives.Expect(FromShiftJis(noise).size() <= noise.size(), "more units than bytes");
    });
  }
}

TEST(TextPropertyTest, WrittenFilesHoldTheConvertedBytes) {
  RandomText random(SeedFor("WriteTextFile"));
  test::ScopedTempDir dir;
  const WString path = dir / L"text.bat";
  Property written("WriteTextFile writes exactly the bytes of ToShiftJis");
  for (size_t i = InputCount(300); i > 0; --i) {
    const WString text = random.Any();
    written.Try(text, [&] {
      const std::string expected = ToShiftJis(text);
      written.Expect(WriteTextFile(path.c_str(), text), "not written");
      written.Expect(test::ReadFileBytes(path) == expected, "other bytes on disk");
    });
  }
}

}  // namespace
}  // namespace sollux
