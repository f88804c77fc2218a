// What getting files back costs. Run by tools/restore_benchmark.sh, not by the tests.
//
//   restore_benchmark make <backup folder> <files> <runs>
//       a computer's backup of C:\bench\data as Sollux leaves it after <runs> backups: <files>
//       files of 10 KB in folders of 100, all added by the first run; each later run kept a
//       share of them as versions, so that the first backup's state lies in the versions of
//       every later run. Also <backup folder>\floor-list.txt, the same files as the restore
//       of the first backup copies them.
//   restore_benchmark floor <backup folder> <target>
//       CopyFileExW of every file of the list, nothing else
//   restore_benchmark state <backup folder>
//       the catalog's reading and the state of the first backup, in microseconds
//
// The script times Sollux-restore.exe against the floor as whole processes (farm-bench).
#include <chrono>
#include <cstdio>
#include <string>

#include "base/file_system.h"
#include "base/path.h"
#include "base/win.h"
#include "mirror/backup_report.h"
#include "restore/backup_catalog.h"
#include "script/path_rewrite.h"

namespace sollux {
namespace {

constexpr size_t kFileBytes = 10 * 1024;
constexpr wchar_t kOriginal[] = L"C:\\bench\\data";

WString RunName(int run) { return L"2026-01-" + std::to_wstring(10 + run) + L" 10.00.00"; }
WString Relative(int file) {
  return L"d" + std::to_wstring(file / 100) + L"\\f" + std::to_wstring(file) + L".bin";
}

void Write(const WString& path, const std::string& bytes) {
  CreateLongFolderChain(DirectoryPart(path));
  WriteWholeFile(path, bytes, L"wb");
}

int Make(const WString& backup, int files, int runs) {
  const WString computer = backup + L"\\" + MachineName();
  const WString place = MachineName() + L"\\C\\bench\\data";
  const WString versions = computer + L"\\Sollux-versions";
  WString run_list, folder_list, added, floor;
  for (int run = 0; run < runs; ++run) {
    run_list += RunName(run) + L"\r\n";
    folder_list += RunName(run) + L"\t" + kOriginal + L"\t" + place + L"\r\n";
  }
  for (int file = 0; file < files; ++file) {
    // The bytes the first backup held are in the versions of the one run that replaced them.
    const int keeper = 1 + file % (runs - 1);
    const WString kept = versions + L"\\" + RunName(keeper) + L"\\" + place + L"\\" + Relative(file);
    Write(kept, std::string(kFileBytes, 'a'));
    Write(backup + L"\\" + place + L"\\" + Relative(file), std::string(kFileBytes, 'b'));
    added += place + L"\\" + Relative(file) + L"\r\n";
    floor += kept + L"\t" + Relative(file) + L"\r\n";
  }
  Write(versions + L"\\" + RunName(0) + L"\\Sollux-added.txt", Utf8FileBytes(added));
  for (int run = 1; run < runs; ++run) {
    Write(versions + L"\\" + RunName(run) + L"\\Sollux-added.txt", Utf8FileBytes(L""));
  }
  Write(versions + L"\\Sollux-runs.txt", Utf8FileBytes(run_list).substr(3));
  Write(versions + L"\\Sollux-folders.txt", Utf8FileBytes(folder_list).substr(3));
  Write(backup + L"\\floor-list.txt", Utf8FileBytes(floor).substr(3));
  return 0;
}

int Floor(const WString& backup, const WString& target) {
  WString made;
  for (const WString& line : SplitAtChar(FromUtf8(ReadWholeFile(backup + L"\\floor-list.txt")), L'\n')) {
    const size_t tab = line.find(L'\t');
    if (tab == WString::npos) continue;
    const WString to = target + L"\\" + line.substr(tab + 1, line.size() - tab - 2);
    if (DirectoryPart(to) != made) CreateLongFolderChain(made = DirectoryPart(to));
    if (!::CopyFileExW(line.substr(0, tab).c_str(), to.c_str(), nullptr, nullptr, nullptr,
                       COPY_FILE_FAIL_IF_EXISTS)) {
      return 1;
    }
  }
  return 0;
}

int State(const WString& backup) {
  const auto start = std::chrono::steady_clock::now();
  BackupCatalog catalog(backup, MachineName());
  if (!catalog.Load() || catalog.backups().empty()) return 1;
  const Backup& first = catalog.backups().front();
  const size_t files = catalog.FilesAt(first, first.folders.front()).size();
  const auto micros = std::chrono::duration_cast<std::chrono::microseconds>(
      std::chrono::steady_clock::now() - start);
  std::printf("%zu files of %zu backups: %lld us\n", files, catalog.backups().size(),
              static_cast<long long>(micros.count()));
  return 0;
}

}  // namespace
}  // namespace sollux

int wmain(int argc, wchar_t** argv) {
  using namespace sollux;
  const WString mode = argc > 1 ? argv[1] : L"";
  if (mode == L"make" && argc == 5) return Make(argv[2], _wtoi(argv[3]), _wtoi(argv[4]));
  if (mode == L"floor" && argc == 4) return Floor(argv[2], argv[3]);
  if (mode == L"state" && argc == 3) return State(argv[2]);
  std::fprintf(stderr, "usage: restore_benchmark make|floor|state ...\n");
  return 2;
}
