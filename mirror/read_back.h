// Reading a copy back from the stick and comparing it with its source, byte for byte. The
// stick is asked itself, not Windows' file cache, which still holds what robocopy just wrote:
// a fake-capacity or failing stick keeps names, sizes and times right while the bytes are not.
// The copy is read without buffering (whole sectors into page-aligned memory), the source as
// usual while the copy's read of the same piece is in flight, so that a read back costs the
// stick's time, not the sum of both.
#ifndef SOLLUX_MIRROR_READ_BACK_H_
#define SOLLUX_MIRROR_READ_BACK_H_

#include <cstdint>
#include <functional>
#include <optional>

#include "base/win.h"
#include "base/wstring.h"

namespace sollux {

enum class ReadBack {
  kEqual,
  kDifferent,         // the stick returned other bytes, or another length
  kSourceChanged,     // saved on the PC while it was read: no fault of the stick
  kSourceUnreadable,  // held open by a program, or gone: nothing can be said
  kStickUnreadable,   // a read of the copy failed (CRC, device error, ...)
  kStickGone,         // the stick itself no longer answers
};

// What each read asks for: 1 MiB, or whole sectors just over it.
inline constexpr DWORD kReadBackPiece = 1 << 20;

class CopyReader {
 public:
  // `stick_root` is the root of the copies' volume ("E:\").
  explicit CopyReader(const WString& stick_root);
  ~CopyReader();
  CopyReader(const CopyReader&) = delete;
  CopyReader& operator=(const CopyReader&) = delete;

  // What copying a file and reading the copy back came to.
  enum class Copied { kEqual, kDifferent, kNotCopied, kSourceUnreadable, kCopyUnreadable };
  struct CopyResult {
    Copied outcome = Copied::kNotCopied;
    DWORD error = 0;  // of a copy that could not be made or a source that could not be read
  };
  // Copies `source` to the new file `copy` (never over one) with its last-write time and
  // attributes, then reads the copy back from its device (the reader's volume) and compares it
  // with the source. A file of one piece is read from the source once: the copy is compared
  // with the bytes that were written, which is what a copy and a read back cost at least.
  CopyResult CopyAndCompare(const WString& source, const WString& copy, uint64_t size,
                            uint64_t write_time, DWORD attributes);

  // `progress` hears the bytes of each piece read from the stick. A source that nothing writes
  // to (a backup's file) may be given its `known_size`: its size and time are then not taken
  // before and after the read, which for small files costs as much as the read.
  ReadBack Compare(const WString& source, const WString& copy,
                   const std::function<void(uint64_t bytes)>& progress,
                   std::optional<uint64_t> known_size = std::nullopt);

 private:
  struct Pair;
  DWORD PieceSize(HANDLE copy) const;
  ReadBack CompareOpen(Pair& pair, const std::function<void(uint64_t)>& progress);
  ReadBack StickFailure() const;
  CopyResult WriteCopy(HANDLE source, const WString& copy, uint64_t write_time, DWORD* written);

  WString root_;
  void* copy_buffer_ = nullptr;
  void* source_buffer_ = nullptr;
  DWORD buffer_size_ = 0;
  DWORD piece_ = 0;  // asked of the first copy
};

}  // namespace sollux

#endif  // SOLLUX_MIRROR_READ_BACK_H_
