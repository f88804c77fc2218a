#include "mirror/read_back.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/system_api.h"
#include "test/temp_dir.h"

namespace sollux {
namespace {

using test::ScopedTempDir;
using test::WriteFileBytes;

// Wine ignores FILE_FLAG_NO_BUFFERING, so what Windows demands of such reads is checked here:
// the copy opened so, every read of it a whole number of 4 KiB sectors into page-aligned
// memory at a sector's offset. A read of the copy may fail with `copy_error`.
class SectorStick : public RealSystemApi {
 public:
  std::wstring copy_name;
  DWORD copy_error = 0;
  bool stick_gone = false;
  DWORD copy_flags = 0;
  std::vector<DWORD> copy_reads;
  bool misaligned = false;

  HANDLE CreateFileW(const wchar_t* path, DWORD access, DWORD share, DWORD disposition,
                     DWORD flags) override {
    const HANDLE file = RealSystemApi::CreateFileW(path, access, share, disposition, flags);
    if (std::wstring(path).ends_with(copy_name)) {
      copy_flags = flags;
      copy_ = file;
    }
    return file;
  }
  BOOL GetFileInformationByHandleEx(HANDLE file, FILE_INFO_BY_HANDLE_CLASS kind, void* info,
                                    DWORD size) override {
    if (file != copy_ || kind != FileStorageInfo) return FALSE;
    static_cast<FILE_STORAGE_INFO*>(info)->LogicalBytesPerSector = kSector;
    return size >= sizeof(FILE_STORAGE_INFO);
  }
  BOOL ReadFile(HANDLE file, void* buffer, DWORD size, DWORD* read,
                OVERLAPPED* overlapped) override {
    if (file == copy_) {
      copy_reads.push_back(size);
      misaligned = misaligned || size % kSector != 0 || overlapped->Offset % kSector != 0 ||
                   reinterpret_cast<uintptr_t>(buffer) % kPage != 0;
      if (copy_error != 0) {
        ::SetLastError(copy_error);
        return FALSE;
      }
    }
    return RealSystemApi::ReadFile(file, buffer, size, read, overlapped);
  }
  DWORD GetFileAttributesW(const wchar_t* path) override {
    if (stick_gone && std::wstring(path).size() <= 3) return INVALID_FILE_ATTRIBUTES;
    return RealSystemApi::GetFileAttributesW(path);
  }

  static constexpr DWORD kSector = 4096;
  static constexpr uintptr_t kPage = 4096;

 private:
  HANDLE copy_ = INVALID_HANDLE_VALUE;
};

// Equal copies of several lengths read back equal; a byte flipped at the end of a piece, a
// copy one byte longer, a failed read and a stick gone are each told apart.
TEST(CopyReaderTest, ComparesWholeSectorsWithoutTheCache) {
  const ScopedTempDir dir;
  const std::string piece(kReadBackPiece, 'p');
  std::string flipped = piece + "tail";
  flipped[kReadBackPiece - 1] = 'q';
  const struct {
    const char* name;
    std::string source;
    std::string copy;
    DWORD error;
    bool gone;
    ReadBack expected;
    size_t reads;
  } cases[] = {
      {"empty", "", "", 0, false, ReadBack::kEqual, 1},
      {"small", "abc", "abc", 0, false, ReadBack::kEqual, 1},
      {"one piece", piece, piece, 0, false, ReadBack::kEqual, 1},
      {"piece and tail", piece + "tail", piece + "tail", 0, false, ReadBack::kEqual, 2},
      {"flipped", piece + "tail", flipped, 0, false, ReadBack::kDifferent, 1},
      {"longer copy", "abc", "abcd", 0, false, ReadBack::kDifferent, 1},
      {"crc error", "abc", "abc", ERROR_CRC, false, ReadBack::kStickUnreadable, 1},
      {"device error", "abc", "abc", ERROR_DEVICE_NOT_CONNECTED, false, ReadBack::kStickUnreadable,
       1},
      {"stick gone", "abc", "abc", ERROR_GEN_FAILURE, true, ReadBack::kStickGone, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    WriteFileBytes(dir / L"source.bin", c.source);
    WriteFileBytes(dir / L"copy.bin", c.copy);
    SectorStick stick;
    stick.copy_name = L"copy.bin";
    stick.copy_error = c.error;
    stick.stick_gone = c.gone;
    const ScopedSystemApi scoped(stick);
    CopyReader reader(dir.path().substr(0, 3));
    uint64_t progress = 0;
    const auto count = [&progress](uint64_t bytes) { progress += bytes; };
    EXPECT_EQ(c.expected, reader.Compare(dir / L"source.bin", dir / L"copy.bin", count));
    EXPECT_EQ(DWORD{FILE_FLAG_NO_BUFFERING | FILE_FLAG_SEQUENTIAL_SCAN | FILE_FLAG_OVERLAPPED},
              stick.copy_flags);
    EXPECT_FALSE(stick.misaligned);
    EXPECT_EQ(c.reads, stick.copy_reads.size());
    if (c.expected == ReadBack::kEqual) {
      EXPECT_EQ(c.copy.size(), progress);
    }
  }
}

}  // namespace
}  // namespace sollux
