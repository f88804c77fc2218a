#include "mirror/read_back.h"

#include <cstring>

#include "base/path.h"
#include "base/system_api.h"

namespace sollux {

namespace {

// Sectors of up to 64 KiB fit a piece; no stick has larger ones.
constexpr DWORD kLargestSector = 64 * 1024;
constexpr DWORD kStickFlags =
    FILE_FLAG_NO_BUFFERING | FILE_FLAG_SEQUENTIAL_SCAN | FILE_FLAG_OVERLAPPED;
// The source is read as usual while the copy's read is in flight: under Wine an overlapped read
// costs a third more than a plain one.
constexpr DWORD kSourceFlags = FILE_FLAG_SEQUENTIAL_SCAN;

struct Stamp {
  bool known = false;
  uint64_t size = 0;
  FILETIME written = {};
  bool operator==(const Stamp& other) const {
    return known == other.known && size == other.size &&
           written.dwLowDateTime == other.written.dwLowDateTime &&
           written.dwHighDateTime == other.written.dwHighDateTime;
  }
};

Stamp StampOf(const WString& path) {
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  Stamp stamp;
  if (!Sys().GetFileAttributesExW(OpenablePath(path).c_str(), &data)) return stamp;
  stamp.known = true;
  stamp.size = (uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
  stamp.written = data.ftLastWriteTime;
  return stamp;
}

void CloseIfOpen(HANDLE handle) {
  if (handle != INVALID_HANDLE_VALUE) Sys().CloseHandle(handle);
}

// Equal bytes, eight at a time: the C runtime's memcmp goes byte by byte under Wine, which made
// the comparison cost a tenth of the reading.
bool SameBytes(const void* a, const void* b, size_t size) {
  const auto* x = static_cast<const unsigned char*>(a);
  const auto* y = static_cast<const unsigned char*>(b);
  size_t i = 0;
  for (; i + sizeof(uint64_t) <= size; i += sizeof(uint64_t)) {
    uint64_t u, v;
    std::memcpy(&u, x + i, sizeof(u));
    std::memcpy(&v, y + i, sizeof(v));
    if (u != v) return false;
  }
  for (; i < size; ++i) {
    if (x[i] != y[i]) return false;
  }
  return true;
}

// One read of `size` bytes at `offset` started; false when it failed at once (its error is in
// `error`; the end of the file is no failure, and reads nothing).
bool StartRead(HANDLE file, void* buffer, DWORD size, uint64_t offset, OVERLAPPED* overlapped,
               DWORD* error) {
  *overlapped = {};
  overlapped->Offset = static_cast<DWORD>(offset);
  overlapped->OffsetHigh = static_cast<DWORD>(offset >> 32);
  if (Sys().ReadFile(file, buffer, size, nullptr, overlapped)) return true;
  *error = Sys().GetLastError();
  return *error == ERROR_IO_PENDING || *error == ERROR_HANDLE_EOF;
}

// The bytes a started read brought; false when it failed.
bool FinishRead(HANDLE file, OVERLAPPED* overlapped, DWORD started_error, DWORD* read,
                DWORD* error) {
  *read = 0;
  if (started_error == ERROR_HANDLE_EOF) return true;
  if (Sys().GetOverlappedResult(file, overlapped, read, TRUE)) return true;
  *error = Sys().GetLastError();
  return *error == ERROR_HANDLE_EOF;
}

}  // namespace

struct CopyReader::Pair {
  HANDLE copy = INVALID_HANDLE_VALUE;
  HANDLE source = INVALID_HANDLE_VALUE;
  DWORD piece = kReadBackPiece;
  uint64_t size = 0;  // the source's, as it was before the reads
  ~Pair() {
    CloseIfOpen(copy);
    CloseIfOpen(source);
  }
};

CopyReader::CopyReader(const WString& stick_root) : root_(stick_root) {
  buffer_size_ = kReadBackPiece + kLargestSector;
  copy_buffer_ = Sys().VirtualAlloc(buffer_size_);
  source_buffer_ = Sys().VirtualAlloc(buffer_size_);
}

CopyReader::~CopyReader() {
  if (copy_buffer_ != nullptr) Sys().VirtualFree(copy_buffer_);
  if (source_buffer_ != nullptr) Sys().VirtualFree(source_buffer_);
}

// Unbuffered reads must be whole logical sectors: the stick's own answer (Windows 8 and
// later), else its volume's.
DWORD CopyReader::PieceSize(HANDLE copy) const {
  DWORD sector = 0;
  FILE_STORAGE_INFO storage = {};
  if (Sys().GetFileInformationByHandleEx(copy, FileStorageInfo, &storage, sizeof(storage))) {
    sector = storage.LogicalBytesPerSector;
  }
  DWORD sectors_per_cluster = 0, free_clusters = 0, clusters = 0;
  if (sector == 0 && !Sys().GetDiskFreeSpaceW(root_.c_str(), &sectors_per_cluster, &sector,
                                              &free_clusters, &clusters)) {
    sector = 0;
  }
  if (sector == 0 || sector > kLargestSector) sector = 512;
  return (kReadBackPiece + sector - 1) / sector * sector;
}

// A stick that no longer shows its root has gone; any other failure (ERROR_CRC,
// ERROR_IO_DEVICE, ERROR_FILE_CORRUPT, ERROR_DEVICE_NOT_CONNECTED, ...) is the file's.
ReadBack CopyReader::StickFailure() const {
  return Sys().GetFileAttributesW(root_.c_str()) == INVALID_FILE_ATTRIBUTES
             ? ReadBack::kStickGone
             : ReadBack::kStickUnreadable;
}

ReadBack CopyReader::Compare(const WString& source, const WString& copy,
                             const std::function<void(uint64_t)>& progress,
                             std::optional<uint64_t> known_size) {
  if (copy_buffer_ == nullptr || source_buffer_ == nullptr) return ReadBack::kSourceUnreadable;
  const Stamp before = known_size ? Stamp{true, *known_size, {}} : StampOf(source);
  Pair pair;
  pair.source = Sys().CreateFileW(OpenablePath(source).c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  OPEN_EXISTING, kSourceFlags);
  if (pair.source == INVALID_HANDLE_VALUE || !before.known) return ReadBack::kSourceUnreadable;
  pair.copy = Sys().CreateFileW(OpenablePath(copy).c_str(), GENERIC_READ, FILE_SHARE_READ,
                                OPEN_EXISTING, kStickFlags);
  if (pair.copy == INVALID_HANDLE_VALUE) return StickFailure();
  // All copies lie on one volume; asking each for its sectors would cost as much as reading it.
  if (piece_ == 0) piece_ = PieceSize(pair.copy);
  pair.piece = piece_;
  pair.size = before.size;
  const ReadBack verdict = CompareOpen(pair, progress);
  if (verdict == ReadBack::kStickUnreadable || verdict == ReadBack::kStickGone) return verdict;
  return known_size || StampOf(source) == before ? verdict : ReadBack::kSourceChanged;
}

// The source's bytes into a new file, piece by piece; the last piece read stays in the source's
// buffer. `written` gets the bytes of the file.
CopyReader::CopyResult CopyReader::WriteCopy(HANDLE source, const WString& copy,
                                             uint64_t write_time, DWORD* written) {
  const HANDLE target = Sys().CreateFileW(OpenablePath(copy).c_str(), GENERIC_WRITE, 0,
                                          CREATE_NEW, FILE_FLAG_SEQUENTIAL_SCAN);
  if (target == INVALID_HANDLE_VALUE) return {Copied::kNotCopied, Sys().GetLastError()};
  CopyResult result{Copied::kEqual, 0};
  *written = 0;
  for (DWORD read = kReadBackPiece; read == kReadBackPiece && result.outcome == Copied::kEqual;) {
    DWORD put = 0;
    if (!Sys().ReadFile(source, source_buffer_, kReadBackPiece, &read, nullptr)) {
      result = {Copied::kSourceUnreadable, Sys().GetLastError()};
    } else if (!Sys().WriteFile(target, source_buffer_, read, &put) || put != read) {
      result = {Copied::kNotCopied, Sys().GetLastError()};
    }
    *written += put;
  }
  const FILETIME time = {static_cast<DWORD>(write_time), static_cast<DWORD>(write_time >> 32)};
  if (result.outcome == Copied::kEqual && !Sys().SetFileTime(target, &time)) {
    result = {Copied::kNotCopied, Sys().GetLastError()};
  }
  Sys().CloseHandle(target);
  if (result.outcome != Copied::kEqual) Sys().DeleteFileW(OpenablePath(copy).c_str());
  return result;
}

CopyReader::CopyResult CopyReader::CopyAndCompare(const WString& source, const WString& copy,
                                                  uint64_t size, uint64_t write_time,
                                                  DWORD attributes) {
  if (copy_buffer_ == nullptr || source_buffer_ == nullptr) return {Copied::kNotCopied, 0};
  Pair pair;
  pair.source = Sys().CreateFileW(OpenablePath(source).c_str(), GENERIC_READ, FILE_SHARE_READ,
                                  OPEN_EXISTING, kSourceFlags);
  if (pair.source == INVALID_HANDLE_VALUE) return {Copied::kSourceUnreadable, Sys().GetLastError()};
  DWORD written = 0;
  const CopyResult copied = WriteCopy(pair.source, copy, write_time, &written);
  if (copied.outcome != Copied::kEqual) return copied;
  constexpr DWORD kPlain = FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NORMAL;
  if ((attributes & ~kPlain) != 0) Sys().SetFileAttributesW(OpenablePath(copy).c_str(), attributes);
  // A larger file is compared with its source read again, piece by piece.
  if (size > kReadBackPiece) {
    const ReadBack read = Compare(source, copy, nullptr, size);
    return {read == ReadBack::kEqual ? Copied::kEqual
            : read == ReadBack::kDifferent ? Copied::kDifferent
                                           : Copied::kCopyUnreadable, 0};
  }
  pair.copy = Sys().CreateFileW(OpenablePath(copy).c_str(), GENERIC_READ, FILE_SHARE_READ,
                                OPEN_EXISTING, kStickFlags & ~FILE_FLAG_OVERLAPPED);
  if (pair.copy == INVALID_HANDLE_VALUE) return {Copied::kCopyUnreadable, Sys().GetLastError()};
  if (piece_ == 0) piece_ = PieceSize(pair.copy);
  DWORD read = 0;
  if (!Sys().ReadFile(pair.copy, copy_buffer_, piece_, &read, nullptr)) {
    return {Copied::kCopyUnreadable, Sys().GetLastError()};
  }
  return {read == written && read == size && SameBytes(copy_buffer_, source_buffer_, read)
              ? Copied::kEqual
              : Copied::kDifferent,
          0};
}

// Piece by piece: the copy's read started, the source's read meanwhile, then the copy's
// awaited (a read in flight must end before its buffer and its OVERLAPPED go), then compared.
ReadBack CopyReader::CompareOpen(Pair& pair, const std::function<void(uint64_t)>& progress) {
  for (uint64_t offset = 0;; offset += pair.piece) {
    OVERLAPPED at_copy;
    DWORD copy_error = 0, from_copy = 0, from_source = 0;
    bool copy_read = StartRead(pair.copy, copy_buffer_, pair.piece, offset, &at_copy, &copy_error);
    const bool source_read =
        Sys().ReadFile(pair.source, source_buffer_, pair.piece, &from_source, nullptr) != FALSE;
    copy_read = copy_read && FinishRead(pair.copy, &at_copy, copy_error, &from_copy, &copy_error);
    if (!copy_read) return StickFailure();
    if (!source_read) return ReadBack::kSourceUnreadable;
    if (progress && from_copy != 0) progress(from_copy);
    if (from_copy != from_source || !SameBytes(copy_buffer_, source_buffer_, from_copy)) {
      return ReadBack::kDifferent;
    }
    // A read at the end would only say so, and costs as much as one that reads.
    if (from_copy < pair.piece || offset + from_copy >= pair.size) return ReadBack::kEqual;
  }
}

}  // namespace sollux
