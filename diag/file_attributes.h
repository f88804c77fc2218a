// A snapshot of the attribute bits of one path, taken at construction, with queries and two
// operations that write a changed set of bits back.
#ifndef SOLLUX_DIAG_FILE_ATTRIBUTES_H_
#define SOLLUX_DIAG_FILE_ATTRIBUTES_H_

#include <cstdint>

#include "base/wstring.h"

namespace sollux {

class FileAttributes {
 public:
  // Slashes become backslashes and one trailing separator is dropped before the bits are read.
  explicit FileAttributes(WString path);
  FileAttributes(const FileAttributes&) = delete;
  FileAttributes& operator=(const FileAttributes&) = delete;

  // True when the bits could not be read (they are then all set).
  virtual bool Failed() const;
  virtual uint32_t Attributes() const;
  // The normalised path; "" when the bits could not be read.
  virtual WString Path() const;
  // The bits of `mask` that are set.
  virtual uint32_t Has(uint32_t mask) const;
  // Writes the bits read at construction without / with `mask`. The snapshot is not refreshed.
  virtual bool Clear(uint32_t mask);
  virtual bool Set(uint32_t mask);
  // Clears read-only, hidden and system, writing only when one of them is set.
  virtual bool ClearProtection();
  // Clear(mask) when any bit of `mask` is set; otherwise true without writing.
  virtual bool ClearIfSet(uint32_t mask);

 private:
  WString path_;
  uint32_t attributes_;
};

}  // namespace sollux

#endif  // SOLLUX_DIAG_FILE_ATTRIBUTES_H_
