// What the comparison of a folder with its backup costs beside the bare listing of the two
// trees it compares, and what keeping versions costs a file. Run by tools/check_benchmark.sh,
// not by the tests.
//
// The trees: 10^4 files in 10^2 folders and 10^5 files in 10^3 folders, each as a source, an
// identical backup and a changed backup. In the changed one, the files numbered 0, 20, 40, ...
// of each folder are one byte longer (the mirror replaces them) and those numbered 10, 30,
// 50, ... are named "old document <n>.txt" (the mirror purges them and copies the source's
// "document <n>.txt" anew): a tenth of the files doomed. Five runs of each, in turn: CheckFolder
// on the identical backup, LookAtFolder on both backups, and a walk that only counts the
// entries of the source and of either backup with the same FindFirstFileExW calls, and the
// listing of the comparison itself (ListFolder) on the identical pair alone. Printed: the
// best times, the growth from 10^4 to 10^5 (about 10: linear), and the ratios to the walk (the
// check below 1.5, the look below 1.2: the comparison adds little to the listing it cannot
// avoid), of the best times and as the median of the ratios run by run.
//
// The moves: 10^4 files in 100 folders below <top>\_Backup_\PC\C\data, each named by the look
// as a purged file, moved by VersionStore::Keep into the versions folder; beside it the same
// number of bare MoveFileExW renames from and to the same paths, into folders made beforehand
// (Keep tests whether a file's folder is there before each move), then the renames again, each
// after that test. Each run stages its files anew (the moves take them away); the best of three
// runs, in total and a file.
//
// Creating 330,000 files under Wine takes a minute or more, so the trees are made once, in
// sollux-check-benchmark in the temporary folder, and used again while they are complete; the
// moves' files are made for each run and deleted at the end.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "base/file_system.h"
#include "base/path.h"
#include "base/system_api.h"
#include "base/win.h"
#include "mirror/backup_check.h"
#include "mirror/mirror_look.h"
#include "mirror/tree_listing.h"
#include "mirror/versions.h"

namespace sollux {
namespace {

constexpr int kRuns = 5;
constexpr int kMoveRuns = 3;
constexpr int kFilesPerFolder = 100;
constexpr int kFolderCounts[] = {100, 1000};
constexpr int kMoveFolders = 100;
// 2023-11-14 22:13:20 UTC, in 100-nanosecond ticks since 1601, and in seconds since 1970.
constexpr uint64_t kWriteTime = (1700000000ull + 11644473600ull) * 10000000ull;
constexpr int64_t kRunTime = 1700000000;

// How a staged tree differs from the source.
enum class Variant { kSame, kChanged };

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

// The f-th file of folder d: "document <f>.txt" of (d + f) % 100 bytes; in the changed backup
// one byte longer when f % 20 is 0, and "old document <f>.txt" when it is 10.
bool StageDocument(const WString& folder, int d, int f, Variant variant) {
  const bool changed = variant == Variant::kChanged;
  const WString name = changed && f % 20 == 10 ? L"\\old document " : L"\\document ";
  const size_t size = static_cast<size_t>((d + f) % 100) + (changed && f % 20 == 0 ? 1 : 0);
  return StageFile(folder + name + std::to_wstring(f) + L".txt", size);
}

// <root>\<tree>: `folders` folders of kFilesPerFolder files; "<root>\<tree> complete" once it
// is all there.
bool MakeTree(const WString& root, const WString& tree, int folders, Variant variant) {
  const WString marker = root + L"\\" + tree + L" complete";
  if (Sys().GetFileAttributesW(marker.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
  std::printf("creating %d files in %ls\\%ls (once)...\n", folders * kFilesPerFolder, root.c_str(),
              tree.c_str());
  std::fflush(stdout);
  ::CreateDirectoryW(root.c_str(), nullptr);
  ::CreateDirectoryW((root + L"\\" + tree).c_str(), nullptr);
  for (int d = 0; d < folders; ++d) {
    const WString folder = root + L"\\" + tree + L"\\folder " + std::to_wstring(d);
    ::CreateDirectoryW(folder.c_str(), nullptr);
    for (int f = 0; f < kFilesPerFolder; ++f) {
      if (!StageDocument(folder, d, f, variant)) return false;
    }
  }
  return StageFile(marker, 0);
}

bool MakeTrees(const WString& root, int folders) {
  return MakeTree(root, L"source", folders, Variant::kSame) &&
         MakeTree(root, L"backup", folders, Variant::kSame) &&
         MakeTree(root, L"changed", folders, Variant::kChanged);
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

// The files below `folder`, listed by the comparison's own listing (an entry with its
// upper-cased key for each name, each folder's entries sorted), without comparing anything.
uint64_t ListedFiles(const WString& folder) { return CountFilesBelow(ListingForm(folder)); }

double Milliseconds(const std::function<void()>& work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  const auto end = std::chrono::steady_clock::now();
  return std::chrono::duration<double, std::milli>(end - start).count();
}

// The times of one kind of run, in the order they were taken.
struct Series {
  std::vector<double> times;

  void Time(const std::function<void()>& work) { times.push_back(Milliseconds(work)); }
  double Best() const { return *std::min_element(times.begin(), times.end()); }
};

// The median of the ratios of runs taken side by side: steadier than the ratio of two best
// times on a shared machine whose speed drifts from one second to the next.
double MedianRatio(const Series& a, const Series& b) {
  std::vector<double> ratios;
  for (size_t i = 0; i < a.times.size(); ++i) ratios.push_back(a.times[i] / b.times[i]);
  std::sort(ratios.begin(), ratios.end());
  const size_t n = ratios.size();
  return n % 2 == 1 ? ratios[n / 2] : (ratios[n / 2 - 1] + ratios[n / 2]) / 2;
}

void Expect(bool met, const char* what, uint64_t value) {
  if (!met) {
    std::printf("unexpected result: %s %llu\n", what, static_cast<unsigned long long>(value));
  }
}

struct Timing {
  Series check, walk_same, listed_same, look_same, look_changed, walk_changed;
};

CheckRules BenchRules() {
  return {SplitExclusionText(L" *.bak  *.tmp  Thumbs.db "),
          SplitExclusionText(L" bak  .vs  _Backup_  _Search_  _Backup_ *.tmp "), uint64_t{1} << 32,
          true, 0};
}

// The identical backup: nothing to copy, nothing doomed.
void ExpectSame(const FolderCheck& check, const FolderLook& look, uint64_t files) {
  Expect(check.files_checked == files && check.finished, "files checked:", check.files_checked);
  Expect(check.files_not_in_backup == 0, "files not in the backup:", check.files_not_in_backup);
  Expect(look.doomed.empty() && look.files_to_copy == 0, "doomed:", look.doomed.size());
  Expect(look.backup_files == files && look.outcome.finished, "backup files:", look.backup_files);
}

// The changed backup: a tenth doomed, half of them replaced, half purged, and as many copied.
void ExpectChanged(const FolderLook& look, uint64_t files) {
  Expect(look.doomed.size() == files / 10, "doomed:", look.doomed.size());
  Expect(look.files_replaced == files / 20, "replaced:", look.files_replaced);
  Expect(look.files_purged == files / 20, "purged:", look.files_purged);
  Expect(look.files_to_copy == files / 10, "to copy:", look.files_to_copy);
  Expect(look.backup_files == files && look.outcome.finished, "backup files:", look.backup_files);
}

// The comparisons and the walks are timed in turn, each comparison next to the walk of its
// trees, so that a disturbance of the shared machine hits both alike.
Timing Measure(const WString& root, uint64_t files) {
  const CheckRules rules = BenchRules();
  const WString source = root + L"\\source", backup = root + L"\\backup";
  const WString changed = root + L"\\changed";
  const uint64_t entries = 2 * (files + files / kFilesPerFolder);
  Timing t;
  for (int run = 0; run < kRuns; ++run) {
    FolderCheck check;
    FolderLook same, other;
    uint64_t walked_same = 0, walked_changed = 0, listed = 0;
    t.check.Time([&] { check = CheckFolder(source, backup, rules); });
    t.walk_same.Time([&] { walked_same = CountEntries(source) + CountEntries(backup); });
    t.listed_same.Time([&] { listed = ListedFiles(source) + ListedFiles(backup); });
    t.look_same.Time([&] { same = LookAtFolder(source, backup, rules, VolumeFacts{}, nullptr); });
    t.look_changed.Time(
        [&] { other = LookAtFolder(source, changed, rules, VolumeFacts{}, nullptr); });
    t.walk_changed.Time([&] { walked_changed = CountEntries(source) + CountEntries(changed); });
    ExpectSame(check, same, files);
    ExpectChanged(other, files);
    Expect(walked_same == entries && walked_changed == entries, "entries:", walked_same);
    Expect(listed == 2 * files, "files listed:", listed);
  }
  return t;
}

void PrintRow(const char* what, const Series& small, const Series& large) {
  std::printf("%-40s %9.1f ms %9.1f ms %8.1f\n", what, small.Best(), large.Best(),
              large.Best() / small.Best());
}

// `a` against `b` at both sizes: the ratio of their best times and the median of the ratios
// run by run.
void PrintRatio(const char* what, const Series& a0, const Series& b0, const Series& a1,
                const Series& b1) {
  std::printf("%-40s %12.2f %12.2f %12.2f %12.2f\n", what, a0.Best() / b0.Best(),
              a1.Best() / b1.Best(), MedianRatio(a0, b0), MedianRatio(a1, b1));
}

void PrintTrees(const WString& base, const std::vector<Timing>& t) {
  std::printf("trees in %ls (best of %d runs)\n", base.c_str(), kRuns);
  std::printf("%-40s %12s %12s %8s\n", "", "10^4 files", "10^5 files", "x10^5");
  PrintRow("CheckFolder, identical backup", t[0].check, t[1].check);
  PrintRow("LookAtFolder, identical backup", t[0].look_same, t[1].look_same);
  PrintRow("LookAtFolder, a tenth doomed", t[0].look_changed, t[1].look_changed);
  PrintRow("listing both trees, identical", t[0].walk_same, t[1].walk_same);
  PrintRow("the same by ListFolder, keys, sorted", t[0].listed_same, t[1].listed_same);
  PrintRow("listing both trees, a tenth doomed", t[0].walk_changed, t[1].walk_changed);
  std::printf("%-40s %12s %12s %12s %12s\n", "ratio to the listing", "best 10^4", "best 10^5",
              "median 10^4", "median 10^5");
  PrintRatio("check (below 1.5)", t[0].check, t[0].walk_same, t[1].check, t[1].walk_same);
  PrintRatio("look, identical (below 1.2)", t[0].look_same, t[0].walk_same, t[1].look_same,
             t[1].walk_same);
  PrintRatio("look, a tenth doomed (below 1.2)", t[0].look_changed, t[0].walk_changed,
             t[1].look_changed, t[1].walk_changed);
  PrintRatio("ListFolder listing", t[0].listed_same, t[0].walk_same, t[1].listed_same,
             t[1].walk_same);
}

// Deletes `folder` and everything below it.
void DeleteTree(const WString& folder) {
  WIN32_FIND_DATAW data;
  const HANDLE find = Sys().FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &data,
                                             FindExSearchNameMatch, nullptr, 0);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const WString name = data.cFileName;
      if (name == L"." || name == L"..") continue;
      if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        DeleteTree(folder + L"\\" + name);
      } else {
        Sys().DeleteFileW((folder + L"\\" + name).c_str());
      }
    } while (Sys().FindNextFileW(find, &data));
    Sys().FindClose(find);
  }
  Sys().RemoveDirectoryW(folder.c_str());
}

// `data`: kMoveFolders folders of kFilesPerFolder files of 10 bytes, each named in the look's
// list of what the mirror deletes.
bool StageDoomed(const WString& data, FolderLook* look) {
  look->destination = data;
  if (!CreateDirectoryChain(data)) return false;
  for (int d = 0; d < kMoveFolders; ++d) {
    const WString folder = L"folder " + std::to_wstring(d);
    ::CreateDirectoryW((data + L"\\" + folder).c_str(), nullptr);
    for (int f = 0; f < kFilesPerFolder; ++f) {
      const WString file = folder + L"\\document " + std::to_wstring(f) + L".txt";
      if (!StageFile(data + L"\\" + file, 10)) return false;
      look->doomed.push_back({file, false, false, 1});
    }
  }
  return true;
}

struct MoveTiming {
  Series keep, renames, tested;
};

// The folders of one run of the moves below `top`, as VersionStore names them.
struct MoveFolders {
  explicit MoveFolders(const WString& top)
      : backup(top + L"\\_Backup_"),
        computer(backup + L"\\PC"),
        data(computer + L"\\C\\data"),
        kept(computer + L"\\" + kVersionsFolderName + L"\\" + RunNameAt(kRunTime).Text() +
             L"\\PC\\C\\data") {}

  WString backup, computer, data, kept;
};

// One run of VersionStore::Keep on freshly staged files below `top`; false when staging failed.
bool TimeKeep(const WString& top, MoveTiming* timing) {
  const MoveFolders folders(top);
  FolderLook look;
  if (!StageDoomed(folders.data, &look)) return false;
  StickLayout layout(folders.backup, folders.computer);
  BackupRecords records(&layout);
  VersionStore store(&layout, &records, kRunTime);
  store.Begin();
  FolderVersions kept;
  timing->keep.Time([&] { kept = store.Keep(look); });
  Expect(kept.files_kept == look.doomed.size(), "files kept:", kept.files_kept);
  Expect(kept.not_kept == 0 && !kept.stopped, "files not kept:", kept.not_kept);
  Expect(store.run_folder() + L"\\PC\\C\\data" == folders.kept, "another run folder", 0);
  return true;
}

// The same files renamed from and to the same paths with MoveFileExW alone, into folders made
// beforehand; with `test_first`, each after an existence test of its folder, as Keep does.
bool TimeRenames(const WString& top, bool test_first, Series* series) {
  const MoveFolders folders(top);
  FolderLook look;
  if (!StageDoomed(folders.data, &look)) return false;
  for (int d = 0; d < kMoveFolders; ++d) {
    CreateDirectoryChain(folders.kept + L"\\folder " + std::to_wstring(d));
  }
  size_t moved = 0, found = 0;
  series->Time([&] {
    for (const DoomedEntry& entry : look.doomed) {
      const WString source = LongPathForm(folders.data + L"\\" + entry.relative_path);
      const WString target = LongPathForm(folders.kept + L"\\" + entry.relative_path);
      if (test_first) {
        found += Sys().GetFileAttributesW(DirectoryPart(target).c_str()) != INVALID_FILE_ATTRIBUTES;
      }
      moved += Sys().MoveFileExW(source.c_str(), target.c_str(), 0) != FALSE;
    }
  });
  Expect(moved == look.doomed.size() && found == (test_first ? moved : 0), "renamed:", moved);
  return true;
}

void PrintMove(const char* what, const Series& series) {
  const double files = 1.0 * kMoveFolders * kFilesPerFolder;
  std::printf("%-40s %9.1f ms %9.1f us a file\n", what, series.Best(),
              series.Best() * 1000 / files);
}

void PrintMoves(const MoveTiming& t) {
  std::printf("moves of %d files in %d folders (best of %d runs, files staged anew for each)\n",
              kMoveFolders * kFilesPerFolder, kMoveFolders, kMoveRuns);
  PrintMove("VersionStore::Keep", t.keep);
  PrintMove("MoveFileExW alone, folders made", t.renames);
  PrintMove("the same, each after a test of its folder", t.tested);
  std::printf("%-40s %12.2f (median of the runs %.2f)\n", "ratio Keep / renames",
              t.keep.Best() / t.renames.Best(), MedianRatio(t.keep, t.renames));
}

// Best of kMoveRuns, each run in a folder of its own below `moves`. Whichever kind comes first
// after the previous run's staging runs slower, so each run starts with another kind.
bool MeasureMoves(const WString& moves) {
  DeleteTree(moves);
  Sys().MakeDirectory(moves.c_str());
  MoveTiming timing;
  const std::function<bool(const WString&)> kinds[] = {
      [&](const WString& top) { return TimeKeep(top + L" keep", &timing); },
      [&](const WString& top) { return TimeRenames(top + L" renames", false, &timing.renames); },
      [&](const WString& top) { return TimeRenames(top + L" tested", true, &timing.tested); }};
  for (int run = 0; run < kMoveRuns; ++run) {
    const WString top = moves + L"\\run " + std::to_wstring(run);
    for (int kind = 0; kind < 3; ++kind) {
      if (!kinds[(run + kind) % 3](top)) return false;
    }
  }
  DeleteTree(moves);
  PrintMoves(timing);
  return true;
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
  PrintTrees(base, timings);
  if (!MeasureMoves(base + L"\\moves")) {
    std::printf("could not stage the files to move in %ls\\moves\n", base.c_str());
    return 1;
  }
  return 0;
}
