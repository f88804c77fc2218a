// What reading copies back from the stick costs. Run by tools/read_back_benchmark.sh, not by
// the tests.
//
//   read_back_benchmark make <folder> <files>   a source and an identical copy: 1 GiB in <files>
//   read_back_benchmark read-back <folder>      CopyReader::Compare on every pair
//   read_back_benchmark floor <folder>          both files of every pair read to the end with
//                                               the same piece size, nothing compared
//   read_back_benchmark overlap                 256 MiB through a system layer whose reads
//                                               take 5 ms a MiB on the stick, 2 ms on the PC
//
// The script times read-back against floor as whole processes (farm-bench). Under Wine both
// read from Linux's page cache (Wine ignores FILE_FLAG_NO_BUFFERING), so what is measured is
// the read back's own cost; overlap shows that the copy's read of a piece is in flight while the
// source's is made:
// its time is close to the stick's alone, not the sum of both.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

#include "base/path.h"
#include "base/system_api.h"
#include "base/win.h"
#include "mirror/read_back.h"

namespace sollux {
namespace {

constexpr uint64_t kTotal = uint64_t{1} << 30;
constexpr uint64_t kOverlapBytes = uint64_t{256} << 20;
constexpr double kStickMsPerMiB = 5;
constexpr double kSourceMsPerMiB = 2;

using Clock = std::chrono::steady_clock;

WString Name(const WString& folder, const wchar_t* side, int i) {
  return folder + L"\\" + side + L"\\" + std::to_wstring(i) + L".bin";
}

int CountFiles(const WString& folder) {
  int files = 0;
  while (Sys().GetFileAttributesW(Name(folder, L"copy", files).c_str()) != INVALID_FILE_ATTRIBUTES)
    ++files;
  return files;
}

int Make(const WString& folder, int files) {
  const std::string bytes(kTotal / files, 'x');
  ::CreateDirectoryW(DirectoryPart(folder).c_str(), nullptr);
  for (const wchar_t* side : {L"source", L"copy"}) {
    ::CreateDirectoryW(folder.c_str(), nullptr);
    ::CreateDirectoryW((folder + L"\\" + side).c_str(), nullptr);
    for (int i = 0; i < files; ++i) {
      FILE* file = _wfopen(Name(folder, side, i).c_str(), L"wb");
      if (file == nullptr) return 1;
      std::fwrite(bytes.data(), 1, bytes.size(), file);
      std::fclose(file);
    }
  }
  return 0;
}

int ReadBackAll(const WString& folder) {
  CopyReader reader(folder.substr(0, 3));
  const int files = CountFiles(folder);
  for (int i = 0; i < files; ++i) {
    if (reader.Compare(Name(folder, L"source", i), Name(folder, L"copy", i), nullptr) !=
        ReadBack::kEqual) {
      return 1;
    }
  }
  return 0;
}

void ReadToEnd(const WString& path, void* buffer) {
  const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  DWORD read = 0;
  while (::ReadFile(file, buffer, kReadBackPiece, &read, nullptr) && read != 0) {
  }
  ::CloseHandle(file);
}

int Floor(const WString& folder) {
  void* buffer = ::VirtualAlloc(nullptr, kReadBackPiece, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  const int files = CountFiles(folder);
  for (int i = 0; i < files; ++i) {
    ReadToEnd(Name(folder, L"source", i), buffer);
    ReadToEnd(Name(folder, L"copy", i), buffer);
  }
  ::VirtualFree(buffer, 0, MEM_RELEASE);
  return 0;
}

// Two files of kOverlapBytes that exist only here: a read is in flight until its time has
// passed, as a device's is; one waited for later finishes at once.
class SlowDevices : public RealSystemApi {
 public:
  HANDLE CreateFileW(const wchar_t* path, DWORD, DWORD, DWORD, DWORD) override {
    return std::wstring(path).ends_with(L"copy") ? kStick : kSource;
  }
  BOOL GetFileAttributesExW(const wchar_t*, WIN32_FILE_ATTRIBUTE_DATA* data) override {
    *data = {};
    data->nFileSizeLow = static_cast<DWORD>(kOverlapBytes);
    data->nFileSizeHigh = static_cast<DWORD>(kOverlapBytes >> 32);
    return TRUE;
  }
  BOOL GetFileInformationByHandleEx(HANDLE, FILE_INFO_BY_HANDLE_CLASS, void* info, DWORD) override {
    static_cast<FILE_STORAGE_INFO*>(info)->LogicalBytesPerSector = 4096;
    return TRUE;
  }
  BOOL ReadFile(HANDLE file, void* buffer, DWORD size, DWORD* read, OVERLAPPED* at) override {
    uint64_t& position = positions_[file];
    const uint64_t offset =
        at != nullptr ? (uint64_t{at->OffsetHigh} << 32) | at->Offset : position;
    const DWORD bytes = static_cast<DWORD>(
        offset >= kOverlapBytes ? 0 : std::min<uint64_t>(size, kOverlapBytes - offset));
    std::memset(buffer, 0, bytes);
    const double ms = (file == kStick ? kStickMsPerMiB : kSourceMsPerMiB) * bytes / (1 << 20);
    pending_[file] = {Clock::now() + std::chrono::microseconds(static_cast<int64_t>(ms * 1000)),
                      bytes};
    if (at == nullptr) {  // a plain read waits for itself
      position += bytes;
      return GetOverlappedResult(file, nullptr, read, TRUE);
    }
    ::SetLastError(ERROR_IO_PENDING);
    return FALSE;
  }
  BOOL GetOverlappedResult(HANDLE file, OVERLAPPED*, DWORD* transferred, BOOL) override {
    const Pending pending = pending_[file];
    // Wine's sleeps end early or late by up to a millisecond: sleep most of the way, then spin.
    for (auto left = pending.done - Clock::now(); left > std::chrono::milliseconds(2);
         left = pending.done - Clock::now()) {
      ::Sleep(1);
    }
    while (Clock::now() < pending.done) {
    }
    *transferred = pending.bytes;
    return TRUE;
  }
  BOOL CloseHandle(HANDLE) override { return TRUE; }

 private:
  struct Pending {
    Clock::time_point done;
    DWORD bytes = 0;
  };
  static inline HANDLE const kStick = reinterpret_cast<HANDLE>(0x1001);
  static inline HANDLE const kSource = reinterpret_cast<HANDLE>(0x1002);
  std::map<HANDLE, Pending> pending_;
  std::map<HANDLE, uint64_t> positions_;
};

int Overlap() {
  SlowDevices devices;
  const ScopedSystemApi scoped(devices);
  CopyReader reader(L"E:\\");
  const auto start = Clock::now();
  const ReadBack verdict = reader.Compare(L"E:\\source", L"E:\\copy", nullptr);
  const double took = std::chrono::duration<double>(Clock::now() - start).count();
  const double stick = kStickMsPerMiB * (kOverlapBytes >> 20) / 1000;
  const double both = (kStickMsPerMiB + kSourceMsPerMiB) * (kOverlapBytes >> 20) / 1000;
  std::printf(
      "read back of 256 MiB: %.3f s; the stick alone %.3f s, both one after the other "
      "%.3f s; ratio to the stick alone %.3f%s\n",
      took, stick, both, took / stick, verdict == ReadBack::kEqual ? "" : " (not equal!)");
  return 0;
}

}  // namespace
}  // namespace sollux

int wmain(int argc, wchar_t** argv) {
  const std::wstring mode = argc > 1 ? argv[1] : L"";
  if (mode == L"make" && argc > 3) return sollux::Make(argv[2], std::wcstol(argv[3], nullptr, 10));
  if (mode == L"read-back" && argc > 2) return sollux::ReadBackAll(argv[2]);
  if (mode == L"floor" && argc > 2) return sollux::Floor(argv[2]);
  if (mode == L"overlap") return sollux::Overlap();
  std::fprintf(stderr,
               "usage: read_back_benchmark make|read-back|floor FOLDER [FILES] | overlap\n");
  return 2;
}
