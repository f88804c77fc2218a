// The path helpers on generated hostile texts (test/random_text.h): no exception, and the
// properties that callers rely on, on every input.
#include <gtest/gtest.h>

#include "base/file_system.h"
#include "base/path.h"
#include "test/fake_machine.h"
#include "test/property_check.h"
#include "test/random_text.h"

namespace sollux {
namespace {

using test::InputCount;
using test::Property;
using test::RandomText;
using test::SeedFor;

bool IsQuote(wchar_t c) { return c == L'"' || c == L'\''; }
bool HasQuote(const WString& text) { return text.find_first_of(L"\"'") != WString::npos; }
WString UpToNul(const WString& text) { return WString(text.c_str()); }
WString WithoutQuotes(WString text) {
  for (wchar_t& c : text) {
    if (IsQuote(c)) c = L'_';
  }
  return text;
}

WString PlainJoin(const WStringList& list, const WString& separator) {
  WString joined;
  for (size_t i = 0; i < list.size(); ++i) {
    if (i > 0) joined += separator;
    joined += list[i];
  }
  return joined;
}

// Two narrowings, both by design of the three passes. A quote that opens an element protects
// the separators up to its partner, and the passes split at different characters, so a quote
// can pair up differently in a second call: a/"b\c/d" gives a\"b\c/d", which gives a\"b\c\d".
// And the first two elements are kept even when empty, so one element followed by an empty one
// ends in a separator (a// gives a\, \\\\ gives \), which a second call drops as the trailing
// separator it is. Idempotence is therefore checked on texts without quote characters, with
// that one exception; every text is checked never to lengthen.
TEST(PathPropertyTest, NormalizeSeparatorsNeverLengthensAndIsIdempotent) {
  RandomText random(SeedFor("NormalizeSeparators"));
  Property shorter("NormalizeSeparators never lengthens");
  Property idempotent("NormalizeSeparators is idempotent on texts without quotes");
  Property no_slash("NormalizeSeparators leaves no slash in a text without quotes");
  for (size_t i = InputCount(150000); i > 0; --i) {
    const WString text = random.OneIn(2) ? random.Any() : WithoutQuotes(random.Any());
    WString once;
    shorter.Try(text, [&] {
      once = NormalizeSeparators(text, L'\\');
      shorter.Expect(once.size() <= text.size(), "longer than its input");
      shorter.Expect(NormalizeSeparators(once, L'\\').size() <= once.size(), "second call longer");
    });
    if (HasQuote(text)) continue;
    idempotent.Try(text, [&] {
      const WString twice = NormalizeSeparators(once, L'\\');
      if (!once.empty() && once.back() == L'\\') {
        const WString element = once.substr(0, once.size() - 1);
        idempotent.Expect(element.find(L'\\') == WString::npos && twice == element,
                          "more than one element before a trailing separator");
      } else {
        idempotent.Expect(twice == once, "a second call changes it");
      }
    });
    no_slash.Try(text, [&] { no_slash.Expect(once.find(L'/') == WString::npos, "slash left"); });
  }
}

TEST(PathPropertyTest, SplitAndJoinGiveTheTextBack) {
  RandomText random(SeedFor("SplitText"));
  Property round_trip("JoinWithChar(SplitAtChar(t, c), c) is t less one trailing c");
  Property elements("a split element holds a delimiter only after an opening quote");
  Property join("JoinWithText equals the plain join");
  const WString delimiters = L"\\/:%\" ;";
  for (size_t i = InputCount(100000); i > 0; --i) {
    const WString text = random.Any();
    WString set;  // one delimiter, or a set of up to three as in "/:%"
    for (size_t n = random.OneIn(2) ? 1 : 1 + random.Below(3); n > 0; --n) {
      set += delimiters[random.Below(delimiters.size())];
    }
    round_trip.SetContext(set);
    WStringList parts;
    round_trip.Try(text, [&] {
      parts = SplitText(text, set.c_str());
      if (set.size() > 1) return;
      const WString whole = UpToNul(text);
      const WString joined = JoinWithChar(parts, set[0]);
      round_trip.Expect(SplitAtChar(text, set[0]) == parts, "SplitAtChar differs");
      round_trip.Expect(joined == whole || (joined + set[0] == whole), "text not given back");
    });
    elements.SetContext(set);
    elements.Try(text, [&] {
      size_t units = 0;
      for (const WString& part : parts) {
        const bool quoted = !part.empty() && IsQuote(part[0]);
        elements.Expect(quoted || part.find_first_of(set) == WString::npos, "delimiter in element");
        units += part.size() + 1;
      }
      elements.Expect(units <= UpToNul(text).size() + 1, "more text than was split");
    });
    const WString separator = random.OneIn(4) ? WString() : random.Text(random.Below(4));
    join.SetContext(separator);
    join.Try(text, [&] {
      join.Expect(JoinWithText(parts, separator.c_str()) == PlainJoin(parts, UpToNul(separator)),
                  "join of the split differs");
    });
  }
}

// Lists around the chunk breaks of the join (100, 228, 356, ...) and far beyond them.
TEST(PathPropertyTest, JoinWithTextEqualsThePlainJoin) {
  RandomText random(SeedFor("JoinWithText"));
  Property join("JoinWithText equals the plain join");
  for (size_t i = InputCount(3000); i > 0; --i) {
    WStringList list(random.OneIn(50) ? random.Below(20000) : random.Below(800));
    for (WString& element : list)
      element = random.OneIn(3) ? WString() : random.Text(random.Below(6));
    const WString separator = random.OneIn(5) ? WString() : random.Text(1 + random.Below(3));
    join.Try(separator, [&] {
      join.Expect(JoinWithText(list, separator.c_str()) == PlainJoin(list, UpToNul(separator)),
                  "join differs");
      join.Expect(JoinWithChar(list, L'\\') == PlainJoin(list, L"\\"), "char join differs");
    });
  }
}

TEST(PathPropertyTest, TrailingSeparatorsNamesAndStems) {
  RandomText random(SeedFor("FileNamePart"));
  Property trailing("WithoutTrailingSeparator undoes WithTrailingSeparator");
  Property parts("folder part, separator and file name give the path back");
  Property stem("the stem is the file name before its last full stop");
  Property lower("ToLower keeps the length up to NUL; EqualsIgnoreCase holds for ASCII case");
  for (size_t i = InputCount(150000); i > 0; --i) {
    const WString path = random.Any();
    trailing.Try(path, [&] {
      const WString with = WithTrailingSeparator(path, L'\\');
      trailing.Expect(
          with.empty() == path.empty() && IsSeparator(with.empty() ? L'\\' : with.back()),
          "no trailing separator");
      if (!path.empty() && !IsSeparator(path.back())) {
        trailing.Expect(WithoutTrailingSeparator(with) == path, "not undone");
      }
      trailing.Expect(
          WithoutTrailingSeparator(path.c_str()) == WithoutTrailingSeparator(UpToNul(path)),
          "the C string form differs");
    });
    const WString name = FileNamePart(path);
    parts.Try(path, [&] {
      size_t at = path.rfind(L'\\');
      if (at == WString::npos) at = path.rfind(L'/');
      parts.Expect(name.find(L'\\') == WString::npos, "backslash in the name");
      parts.Expect(at == WString::npos ? name == path : path.substr(0, at + 1) + name == path,
                   "name is not the path's end");
    });
    stem.Try(path, [&] {
      const WString s = FileStem(path);
      if (name.empty() || name == L" " || name.find(L'?') != WString::npos) {
        stem.Expect(s.empty(), "stem of a name without one");
      } else {
        const size_t dot = name.rfind(L'.');
        stem.Expect(s == (dot == WString::npos ? name : name.substr(0, dot)), "wrong stem");
      }
    });
    lower.Try(path, [&] {
      const WString low = ToLower(path);
      lower.Expect(low.size() == UpToNul(path).size(), "length changed");
      WString swapped = path;
      for (wchar_t& c : swapped) {
        if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
      }
      lower.Expect(EqualsIgnoreCase(path, swapped) && EqualsIgnoreCase(swapped, path),
                   "upper-case ASCII letters compare unequal");
    });
  }
}

// Every status and existence query answers "missing" without asking the disk, so that hostile
// texts reach the existence tests' own code quickly.
TEST(PathPropertyTest, ExistenceTestsTakeAnyText) {
  test::ScopedFakeMachine machine;
  machine.folder_rule = test::FakeMachine::NothingExists;
  machine.existence_queries.emplace();
  RandomText random(SeedFor("DirectoryExists"));
  Property exists("DirectoryExists and PathExists answer false for what is missing");
  for (size_t i = InputCount(50000); i > 0; --i) {
    const WString path = random.Any();
    exists.Try(path, [&] {
      const WStringList& asked = *machine.existence_queries;
      machine.existence_queries->clear();
      exists.Expect(!DirectoryExists(path.c_str()), "a missing folder exists");
      exists.Expect(!PathExists(path.c_str(), random.OneIn(2)), "a missing path exists");
      exists.Expect(asked.size() == 2, "not asked once each");
      // Only a drive ("D:") is asked about as something longer: its root.
      const WString given = UpToNul(path);
      exists.Expect(!asked.empty() && (asked.back().size() <= given.size() ||
                                       (IsDriveDesignator(given) && asked.back() == given + L"\\")),
                    "asked about a longer path");
    });
  }
}

}  // namespace
}  // namespace sollux
