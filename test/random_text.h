// Hostile texts for the randomized tests: folder texts as the registry and the shell may hand
// them over, with separators, quotes, wildcards, percent signs, blanks and line breaks, NUL,
// letters outside ASCII, lone surrogates, and now and then a text longer than 32,767 units.
//
// Every test draws from its own generator, seeded from one base seed that the test prints;
// SOLLUX_SEED=<number> replays a run with that base seed.
//
//   RandomText random(SeedFor("ShortenPath"));
//   for (int i = 0; i < 1000; ++i) Check(random.Path());
#ifndef SOLLUX_TEST_RANDOM_TEXT_H_
#define SOLLUX_TEST_RANDOM_TEXT_H_

#include <cstddef>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "base/path.h"

namespace sollux::test {

// The base seed: SOLLUX_SEED when it is set (decimal, or hexadecimal after "0x"), otherwise a
// fixed number, so that every run tries the same texts unless asked otherwise.
uint64_t BaseSeed();
// The seed of one test: the base seed mixed with `name`. Prints both to the standard output and
// records them in the test's XML properties.
uint64_t SeedFor(const std::string& name);
// How many inputs a test tries: `count` times SOLLUX_FUZZ_FACTOR (default 1), at least 1.
size_t InputCount(size_t count);

class RandomText {
 public:
  explicit RandomText(uint64_t seed) : engine_(seed) {}

  // Uniform in [0, n); 0 for n == 0.
  size_t Below(size_t n);
  // True with probability 1/n.
  bool OneIn(size_t n) { return Below(n) == 0; }
  // One element of `choices`.
  template <typename T>
  const T& Pick(const std::vector<T>& choices) {
    return choices[Below(choices.size())];
  }

  // A length: mostly short, sometimes hundreds of units, rarely over 32,767.
  size_t Length();
  // One code unit of the hostile mix (a surrogate pair counts as two units, see Text).
  wchar_t Unit();
  // A text of Length() units from the mix, surrogate pairs kept whole most of the time.
  std::wstring Text();
  std::wstring Text(size_t length);
  // A path-like text: a root now and then (C:, \\server\share, //x), components from the mix
  // and from a vocabulary (., .., _Backup_, %Temp%, quotes), joined by varying separators,
  // sometimes quoted as a whole.
  std::wstring Path();
  // Text() or Path(), half and half.
  std::wstring Any();
  // 0 to `max` texts from Any().
  std::vector<std::wstring> List(size_t max);

  std::mt19937_64& engine() { return engine_; }

 private:
  std::wstring Component();

  std::mt19937_64 engine_;
};

// `text` for a failure message, as a C++ wide literal without its L (so that a failing input
// can be pasted into a regression case): printable ASCII as it is, backslash and double quote
// escaped, every other unit as \xHHHH; cut after 300 units with the length added.
std::string Printable(const std::wstring& text);

}  // namespace sollux::test

#endif  // SOLLUX_TEST_RANDOM_TEXT_H_
