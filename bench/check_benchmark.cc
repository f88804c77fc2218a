// What the backup check costs beside the bare listing of the two trees it compares: 10^4 files
// in 10^2 folders and 10^5 files in 10^3 folders, each as a source and an identical backup.
// Prints the best of five times of CheckFolder and of a walk that only counts the entries of
// both trees with the same FindFirstFileExW calls, their ratio (below 1.5: the check adds
// little to the listing it cannot avoid), and the growth from 10^4 to 10^5 (about 10: linear).
// Run by tools/check_benchmark.sh, not by the tests.
//
// Creating 220,000 files under Wine takes a few minutes, so the trees are made once, in
// sollux-check-benchmark in the temporary folder, and used again while they are complete.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "base/path.h"
#include "base/system_api.h"
#include "base/win.h"
#include "mirror/backup_check.h"

namespace sollux {
namespace {

constexpr int kRuns = 5;
constexpr int kFilesPerFolder = 100;
constexpr int kFolderCounts[] = {100, 1000};
// 2023-11-14 22:13:20 UTC, in 100-nanosecond ticks since 1601.
constexpr uint64_t kWriteTime = (1700000000ull + 11644473600ull) * 10000000ull;

WString TempFolder() {
  wchar_t buffer[MAX_PATH + 1] = {};
  Sys().GetTempPathW(MAX_PATH, buffer);
  return WithoutTrailingSeparator(WString(buffer));
}

bool StageFile(const WString& path, size_t size) {
  const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const std::string bytes(size, 'x');
  DWORD written = 0;
  const FILETIME time = {static_cast<DWORD>(kWriteTime), static_cast<DWORD>(kWriteTime >> 32)};
  const bool done = ::WriteFile(file, bytes.data(), static_cast<DWORD>(size), &written, nullptr) &&
                    ::SetFileTime(file, nullptr, nullptr, &time);
  ::CloseHandle(file);
  return done && written == size;
}

// <root>\source and <root>\backup, each `folders` folders of kFilesPerFolder files of 0 to 99
// bytes; <root>\complete once both are there.
bool MakeTrees(const WString& root, int folders) {
  const WString marker = root + L"\\complete";
  if (Sys().GetFileAttributesW(marker.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
  std::printf("creating %d files in %ls (once)...\n", 2 * folders * kFilesPerFolder, root.c_str());
  std::fflush(stdout);
  ::CreateDirectoryW(root.c_str(), nullptr);
  for (const wchar_t* tree : {L"\\source", L"\\backup"}) {
    ::CreateDirectoryW((root + tree).c_str(), nullptr);
    for (int d = 0; d < folders; ++d) {
      const WString folder = root + tree + L"\\folder " + std::to_wstring(d);
      ::CreateDirectoryW(folder.c_str(), nullptr);
      for (int f = 0; f < kFilesPerFolder; ++f) {
        const WString file = folder + L"\\document " + std::to_wstring(f) + L".txt";
        if (!StageFile(file, static_cast<size_t>((d + f) % 100))) return false;
      }
    }
  }
  return StageFile(marker, 0);
}

// The entries below `folder`, listed as the check lists them, and nothing else.
uint64_t CountEntries(const WString& folder) {
  uint64_t count = 0;
  std::vector<WString> pending = {LongPathForm(folder)};
  while (!pending.empty()) {
    const WString current = std::move(pending.back());
    pending.pop_back();
    WIN32_FIND_DATAW data;
    const HANDLE find =
        Sys().FindFirstFileExW((current + L"\\*").c_str(), FindExInfoBasic, &data,
                               FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (find == INVALID_HANDLE_VALUE) continue;
    do {
      const WString name = data.cFileName;
      if (name == L"." || name == L"..") continue;
      ++count;
      if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        pending.push_back(current + L"\\" + name);
      }
    } while (Sys().FindNextFileW(find, &data));
    Sys().FindClose(find);
  }
  return count;
}

double Milliseconds(const std::function<void()>& work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  const auto end = std::chrono::steady_clock::now();
  return std::chrono::duration<double, std::milli>(end - start).count();
}

struct Timing {
  double check = 1e300;
  double walk = 1e300;
};

// The two are timed in turn, so that a disturbance of the shared machine hits both alike; the
// best run of each counts.
Timing Measure(const WString& root, uint64_t files) {
  const CheckRules rules = {SplitExclusionText(L" *.bak  *.tmp  Thumbs.db "),
                            SplitExclusionText(L" bak  .vs  _Backup_  _Search_  _Backup_ *.tmp "),
                            uint64_t{1} << 32, true, 0};
  Timing best;
  for (int run = 0; run < kRuns; ++run) {
    FolderCheck check;
    best.check = std::min(best.check, Milliseconds([&] {
                            check = CheckFolder(root + L"\\source", root + L"\\backup", rules);
                          }));
    uint64_t entries = 0;
    best.walk = std::min(best.walk, Milliseconds([&] {
                           entries =
                               CountEntries(root + L"\\source") + CountEntries(root + L"\\backup");
                         }));
    if (check.files_checked != files || check.files_not_in_backup != 0 || !check.finished ||
        entries != 2 * (files + files / kFilesPerFolder)) {
      std::printf("unexpected result: %llu files checked, %llu not in the backup, %llu entries\n",
                  static_cast<unsigned long long>(check.files_checked),
                  static_cast<unsigned long long>(check.files_not_in_backup),
                  static_cast<unsigned long long>(entries));
    }
  }
  return best;
}

}  // namespace
}  // namespace sollux

int main() {
  using namespace sollux;
  const WString base = TempFolder() + L"\\sollux-check-benchmark";
  Sys().MakeDirectory(base.c_str());
  std::vector<Timing> timings;
  for (const int folders : kFolderCounts) {
    const WString root = base + L"\\" + std::to_wstring(folders) + L" folders";
    if (!MakeTrees(root, folders)) {
      std::printf("could not create the trees in %ls\n", root.c_str());
      return 1;
    }
    timings.push_back(Measure(root, uint64_t{1} * folders * kFilesPerFolder));
  }
  std::printf("trees in %ls (best of %d runs)\n", base.c_str(), kRuns);
  std::printf("%-32s %12s %12s %8s\n", "", "10^4 files", "10^5 files", "x10^5");
  std::printf("%-32s %9.1f ms %9.1f ms %8.1f\n", "CheckFolder", timings[0].check, timings[1].check,
              timings[1].check / timings[0].check);
  std::printf("%-32s %9.1f ms %9.1f ms %8.1f\n", "listing both trees, counting", timings[0].walk,
              timings[1].walk, timings[1].walk / timings[0].walk);
  std::printf("%-32s %12.2f %12.2f\n", "ratio (below 1.5)", timings[0].check / timings[0].walk,
              timings[1].check / timings[1].walk);
  return 0;
}
