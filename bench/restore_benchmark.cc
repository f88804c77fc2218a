// What getting files back costs. Run by tools/restore_benchmark.sh, not by the tests.
//
//   restore_benchmark make <backup folder> <files> <runs>
//       a computer's backup of C:\bench\data as Sollux leaves it after <runs> backups: <files>
//       files of 10 KB in folders of 100, all added by the first run; each later run kept a
//       share of them as versions, so that the first backup's state lies in the versions of
//       every later run. Also <backup folder>\floor-list.txt, the same files as the restore
//       of the first backup copies them.
//   restore_benchmark floor <backup folder> <target>
//       CopyFileExW of every file of the list, and one read of each copy from the device
//       (FILE_FLAG_NO_BUFFERING), the least that a restore which reads its copies back does
//   restore_benchmark list <backup folder>
//       a bare listing of every folder below it (FindFirstFileExW, nothing kept)
//   restore_benchmark state <backup folder>
//       the catalog's reading and the state of the first backup, in microseconds
//
// The script times Sollux-restore.exe against the floor, and its search against the listing,
// as whole processes (farm-bench).
#include <chrono>
#include <cstdio>
#include <string>

#include "base/file_system.h"
#include "base/path.h"
#include "base/win.h"
#include "restore/backup_catalog.h"
#include "script/path_rewrite.h"
#include "store/backup_records.h"
#include "store/record_file.h"
#include "store/stick_layout.h"

namespace sollux {
namespace {

constexpr size_t kFileBytes = 10 * 1024;
constexpr wchar_t kOriginal[] = L"C:\\bench\\data";

RunName RunOf(int run) { return {{2026, 1, 10 + run, 10, 0, 0}, 1}; }
WString Relative(int file) {
  return L"d" + std::to_wstring(file / 100) + L"\\f" + std::to_wstring(file) + L".bin";
}

void Write(const WString& path, const std::string& bytes) {
  CreateLongFolderChain(DirectoryPart(path));
  WriteWholeFile(path, bytes, L"wb");
}

// The records as Sollux writes them, through its own writers.
int Make(const WString& backup, int files, int runs) {
  const WString place = MachineName() + L"\\C\\bench\\data";
  StickLayout layout(backup, backup + L"\\" + MachineName());
  BackupRecords records(&layout);
  WStringList added, floor;
  for (int file = 0; file < files; ++file) {
    // The bytes the first backup held are in the versions of the one run that replaced them.
    const int keeper = 1 + file % (runs - 1);
    const WString kept = layout.RunFolder(RunOf(keeper)) + L"\\" + place + L"\\" + Relative(file);
    Write(kept, std::string(kFileBytes, 'a'));
    Write(backup + L"\\" + place + L"\\" + Relative(file), std::string(kFileBytes, 'b'));
    added.push_back(place + L"\\" + Relative(file));
    floor.push_back(kept + L"\t" + Relative(file));
  }
  for (int run = 0; run < runs; ++run) {
    const WStringList run_added = run == 0 ? added : WStringList();
    CreateLongFolderChain(layout.RunFolder(RunOf(run)));
    if (!records.AddRun(RunOf(run)) || !records.WriteAdded(RunOf(run), run_added) ||
        !records.AddFolders({{RunOf(run), kOriginal, place, run_added.size()}})) {
      return 1;
    }
  }
  return ReplaceRecord(backup + L"\\floor-list.txt", floor) ? 0 : 1;
}

constexpr DWORD kReadPiece = 1 << 20;

// The copy as the device holds it: whole sectors into page-aligned memory.
bool ReadFromDevice(const WString& path, void* buffer) {
  const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_NO_BUFFERING, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD read = 0;
  bool ok = true;
  while ((ok = ::ReadFile(file, buffer, kReadPiece, &read, nullptr) != FALSE) && read == kReadPiece) {
  }
  ::CloseHandle(file);
  return ok;
}

int Floor(const WString& backup, const WString& target) {
  void* buffer = ::VirtualAlloc(nullptr, kReadPiece, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  WString made;
  WStringList lines;
  ReadRecordLines(backup + L"\\floor-list.txt", &lines);
  for (const WString& line : lines) {
    const size_t tab = line.find(L'\t');
    if (tab == WString::npos) continue;
    const WString to = target + L"\\" + line.substr(tab + 1);
    if (DirectoryPart(to) != made) CreateLongFolderChain(made = DirectoryPart(to));
    if (!::CopyFileExW(line.substr(0, tab).c_str(), to.c_str(), nullptr, nullptr, nullptr,
                       COPY_FILE_FAIL_IF_EXISTS) ||
        !ReadFromDevice(to, buffer)) {
      return 1;
    }
  }
  return 0;
}

// Every entry of every folder below `folder`, counted.
uint64_t List(const WString& folder) {
  uint64_t entries = 0;
  WIN32_FIND_DATAW data;
  const HANDLE find = ::FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &data,
                                         FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
  if (find == INVALID_HANDLE_VALUE) return 0;
  do {
    const WString name = data.cFileName;
    if (name == L"." || name == L"..") continue;
    ++entries;
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) entries += List(folder + L"\\" + name);
  } while (::FindNextFileW(find, &data));
  ::FindClose(find);
  return entries;
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
  if (mode == L"list" && argc == 3) return List(LongPathForm(argv[2])) == 0 ? 1 : 0;
  std::fprintf(stderr, "usage: restore_benchmark make|floor|list|state ...\n");
  return 2;
}
