// How the list helpers scale: JoinWithText and SplitText over 10^4, 10^5 and 10^6 elements, and
// the walker's delete pass (its descending sort, then one existence test per path) over as many
// paths, beside the library's sort of the same paths. Prints the best time of each size and
// the ratio between neighbouring sizes: about 10 for linear work, about 12 for n log n; and the
// sort's comparisons per n log2 n. Run by tools/scaling_benchmark.sh, not by the tests.
//
// The walker runs on a system layer that answers every status query "missing" at once, so the
// figures are the program's own work, not Wine's file system.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <functional>
#include <vector>

#include "base/path.h"
#include "diag/file_tree_walker.h"
#include "test/fake_machine.h"

namespace sollux {
namespace {

constexpr size_t kSizes[] = {10000, 100000, 1000000};
constexpr int kRuns = 5;

// Distinct folder-like texts in shuffled order, as the walker collects them.
WStringList Paths(size_t count) {
  WStringList paths;
  paths.reserve(count);
  uint64_t state = 88172645463325252ull;
  for (size_t i = 0; i < count; ++i) {
    state ^= state << 13, state ^= state >> 7, state ^= state << 17;
    paths.push_back(L"C:\\Users\\anna\\AppData\\Local\\Temp\\Brevant.tmp\\_trace_\\WC\\" +
                    std::to_wstring(state % 1000) + L"\\" + std::to_wstring(i) + L".txt");
  }
  return paths;
}

// The best of kRuns timings of `work`, in milliseconds (the machine is shared: the best run
// is the one least disturbed); `prepare` runs untimed before each.
double BestMilliseconds(const std::function<void()>& prepare, const std::function<void()>& work) {
  std::vector<double> times;
  for (int run = 0; run < kRuns; ++run) {
    prepare();
    const auto start = std::chrono::steady_clock::now();
    work();
    const auto end = std::chrono::steady_clock::now();
    times.push_back(std::chrono::duration<double, std::milli>(end - start).count());
  }
  return *std::min_element(times.begin(), times.end());
}

void PrintRow(const char* name, const std::vector<double>& times) {
  std::printf("%-22s", name);
  for (const double time : times) std::printf(" %10.2f ms", time);
  for (size_t i = 1; i < times.size(); ++i) std::printf("   %6.1f", times[i] / times[i - 1]);
  std::printf("\n");
}

std::vector<double> JoinTimes() {
  std::vector<double> times;
  for (const size_t n : kSizes) {
    WStringList list(n, L"Folder");
    size_t length = 0;
    times.push_back(BestMilliseconds([] {}, [&] { length += JoinWithText(list, L", ").size(); }));
    if (length == 0) std::printf("(empty join)\n");
  }
  return times;
}

std::vector<double> SplitTimes() {
  std::vector<double> times;
  for (const size_t n : kSizes) {
    const WString text = JoinWithText(WStringList(n, L"Folder"), L"\\");
    size_t parts = 0;
    times.push_back(BestMilliseconds([] {}, [&] { parts += SplitAtChar(text, L'\\').size(); }));
    if (parts == 0) std::printf("(empty split)\n");
  }
  return times;
}

// The library's sort of the same paths in the same order, for comparison with the walker, and
// its number of comparisons per n log2 n (constant for n log n).
std::vector<double> SortTimes(std::vector<double>* comparisons) {
  std::vector<double> times;
  for (const size_t n : kSizes) {
    const WStringList paths = Paths(n);
    WStringList sorted;
    size_t count = 0;
    const auto greater = [&count](const WString& a, const WString& b) {
      ++count;
      return a > b;
    };
    times.push_back(BestMilliseconds([&] { sorted = paths; },
                                     [&] { std::sort(sorted.begin(), sorted.end(), greater); }));
    comparisons->push_back(static_cast<double>(count) / kRuns / (n * std::log2(n)));
  }
  return times;
}

std::vector<double> DeleteOrderTimes() {
  test::ScopedFakeMachine machine;
  machine.folder_rule = test::FakeMachine::NothingExists;
  std::vector<double> times;
  for (const size_t n : kSizes) {
    const WStringList paths = Paths(n);
    FileTreeWalker walker;
    times.push_back(BestMilliseconds([&] { walker.AddPaths(paths); }, [&] { walker.DeleteAll(); }));
  }
  return times;
}

}  // namespace
}  // namespace sollux

int main() {
  std::printf("%-22s %13s %13s %13s %8s %8s\n", "", "10^4", "10^5", "10^6", "x10^5", "x10^6");
  sollux::PrintRow("JoinWithText", sollux::JoinTimes());
  sollux::PrintRow("SplitText", sollux::SplitTimes());
  sollux::PrintRow("walker delete pass", sollux::DeleteOrderTimes());
  std::vector<double> comparisons;
  sollux::PrintRow("std::sort, same paths", sollux::SortTimes(&comparisons));
  std::printf("%-22s", "  compares/(n log2 n)");
  for (const double c : comparisons) std::printf(" %13.2f", c);
  std::printf("\n");
  std::printf("(ratio to the size before: 10 is linear, about 12 is n log n)\n");
  return 0;
}
