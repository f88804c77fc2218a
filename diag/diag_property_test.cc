// Name patterns, extensions, trace flattening and the walker's delete order on generated
// hostile texts (test/random_text.h).
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <vector>

#include "base/path.h"
#include "base/system_api.h"
#include "diag/file_tree_walker.h"
#include "diag/folder_listing.h"
#include "diag/trace_log.h"
#include "test/fake_machine.h"
#include "test/property_check.h"
#include "test/random_text.h"

namespace sollux {
namespace {

using test::InputCount;
using test::Property;
using test::RandomText;
using test::SeedFor;

// Whether `name` matches `pattern`, "*" standing for any run: the textbook dynamic programme,
// slow but plainly right.
bool GlobMatches(const WString& name, const WString& pattern) {
  std::vector<bool> row(name.size() + 1, false);  // row[j]: pattern so far matches name[0, j)
  row[0] = true;
  for (const wchar_t p : pattern) {
    std::vector<bool> next(name.size() + 1, false);
    if (p == L'*') {
      bool any = false;
      for (size_t j = 0; j <= name.size(); ++j) next[j] = any = any || row[j];
    } else {
      for (size_t j = 1; j <= name.size(); ++j) next[j] = row[j - 1] && name[j - 1] == p;
    }
    row.swap(next);
  }
  return row[name.size()];
}

// A pattern for `name`: pieces of it cut out and replaced by stars, or random text with stars.
WString PatternFor(RandomText& random, const WString& name) {
  if (random.OneIn(3)) {
    WString pattern = random.Text(random.Below(8));
    for (size_t n = random.Below(4); n > 0; --n)
      pattern.insert(random.Below(pattern.size() + 1), L"*");
    return pattern;
  }
  WString pattern = name;
  for (size_t n = random.Below(4); n > 0; --n) {
    const size_t from = random.Below(pattern.size() + 1);
    const size_t length = random.Below(pattern.size() - from + 1);
    pattern.replace(from, length, L"*");
  }
  if (random.OneIn(4) && !pattern.empty()) {  // and one character changed
    pattern[random.Below(pattern.size())] = random.Unit();
  }
  return pattern;
}

TEST(DiagPropertyTest, PatternsMatchLikeTheTextbookMatcher) {
  RandomText random(SeedFor("MatchesPattern"));
  Property matches("MatchesPattern agrees with the textbook matcher on the lower-case name");
  for (size_t i = InputCount(100000); i > 0; --i) {
    const WString path = random.OneIn(2) ? random.Path() : random.Text(random.Below(20));
    const WString pattern = PatternFor(random, FileNamePart(path));
    matches.SetContext(pattern);
    matches.Try(path, [&] {
      const WString name = ToLower(FileNamePart(path));
      const WString pat = ToLower(pattern);
      const bool expected = pat.empty() || GlobMatches(name, pat);
      matches.Expect(MatchesPattern(path, pattern) == expected, "disagrees");
    });
  }
}

TEST(DiagPropertyTest, StemAndExtensionGiveTheNameBack) {
  RandomText random(SeedFor("FileExtension"));
  Property extension("stem, full stop and extension give the file name back");
  for (size_t i = InputCount(150000); i > 0; --i) {
    const WString path = random.Any();
    extension.Try(path, [&] {
      const WString name = FileNamePart(path);
      const WString ext = FileExtension(path);
      extension.Expect(FileExtension(path.c_str()) == FileExtension(WString(path.c_str())),
                       "the C string form differs");
      if (name.empty() || name == L" " || name.find(L'?') != WString::npos) {
        extension.Expect(ext.empty() && FileStem(path).empty(), "a name without parts has one");
        return;
      }
      const bool dotted = name.find(L'.') != WString::npos;
      extension.Expect(ext.find(L'.') == WString::npos, "full stop in the extension");
      extension.Expect(FileStem(path) + (dotted ? L"." + ext : WString()) == name, "not the name");
    });
  }
}

TEST(DiagPropertyTest, FlattenedTraceTextsHaveNoLineBreak) {
  RandomText random(SeedFor("FlattenLineBreaks"));
  Property flat("FlattenLineBreaks replaces CR and LF and keeps every other unit");
  Property bytes("WideTextBytes holds each unit, low byte first");
  for (size_t i = InputCount(150000); i > 0; --i) {
    const WString text = random.Any();
    flat.Try(text, [&] {
      const WString flattened = FlattenLineBreaks(text, L"\t\t");
      flat.Expect(flattened.size() == text.size(), "length changed");
      bool kept = flattened.size() == text.size();
      for (size_t k = 0; kept && k < text.size(); ++k) {
        const bool line_break = text[k] == L'\r' || text[k] == L'\n';
        kept = flattened[k] == (line_break ? L'\t' : text[k]);
      }
      flat.Expect(kept, "a unit changed");
      // Any other replacement: CR becomes its first unit, LF the rest.
      const WString replacement = random.Text(random.Below(4));
      WString expected;
      for (const wchar_t c : text) {
        expected += c == L'\r'   ? replacement.substr(0, 1)
                    : c == L'\n' ? replacement.substr(std::min<size_t>(1, replacement.size()))
                                 : WString(1, c);
      }
      flat.Expect(FlattenLineBreaks(text, replacement) == expected, "other replacement");
    });
    bytes.Try(text, [&] {
      const std::vector<uint8_t> data = WideTextBytes(text);
      bool same = data.size() == 2 * text.size();
      for (size_t k = 0; same && k < text.size(); ++k) {
        same = data[2 * k] == (text[k] & 0xFF) && data[2 * k + 1] == (text[k] >> 8);
      }
      bytes.Expect(same, "other bytes");
    });
  }
}

// Paths from a small alphabet, so that many are prefixes of others; without slashes and
// trailing separators, the walker asks about each exactly as it was queued.
TEST(DiagPropertyTest, WalkerVisitsLongerPathsFirstAndEachOnce) {
  RandomText random(SeedFor("FileTreeWalker"));
  Property order("the walker visits a path after every longer path that starts with it, once");
  for (size_t i = InputCount(20000); i > 0; --i) {
    WStringList paths(random.Below(60));
    for (WString& path : paths) {
      path = L"C:\\";
      for (size_t n = random.Below(6); n > 0; --n) path += L"ab\\\x00E9"[random.Below(4)];
      while (path.back() == L'\\') path.pop_back();
    }
    // Nothing exists, so nothing is deleted; the machine notes the order of the questions.
    test::FakeMachine machine;
    machine.folder_rule = test::FakeMachine::NothingExists;
    machine.existence_queries.emplace();
    {
      ScopedSystemApi scoped(machine);
      FileTreeWalker walker;
      walker.AddPaths(paths);
      walker.DeleteAll();
    }
    const WStringList& asked = *machine.existence_queries;
    order.Try(paths.empty() ? WString() : paths.front(), [&] {
      std::set<WString> distinct;  // as the existence test asks: "C:" as its root
      for (const WString& path : paths) distinct.insert(WithoutTrailingSeparatorBelowRoot(path));
      order.Expect(asked.size() == distinct.size(), "not each path once");
      order.Expect(std::set<WString>(asked.begin(), asked.end()) == distinct, "other paths");
      bool deepest_first = true;
      for (size_t a = 0; a < asked.size(); ++a) {
        for (size_t b = a + 1; b < asked.size(); ++b) {
          const WString &folder = asked[a], &inside = asked[b];
          if (inside.size() > folder.size() && inside.starts_with(folder)) deepest_first = false;
        }
      }
      order.Expect(deepest_first, "a folder before what lies in it");
    });
  }
}

}  // namespace
}  // namespace sollux
