// The file system: the status of a path, existence tests, creating folders, opening files.
#ifndef SOLLUX_BASE_FILE_SYSTEM_H_
#define SOLLUX_BASE_FILE_SYSTEM_H_

#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "base/wstring.h"

namespace sollux {

// A snapshot of the C runtime's status record of one path, with 64-bit sizes and times.
class FileStatus {
 public:
  explicit FileStatus(const wchar_t* path);
  FileStatus(const FileStatus&) = delete;
  FileStatus& operator=(const FileStatus&) = delete;

  virtual bool Failed() const;
  virtual int64_t Size() const;
  virtual int64_t AccessTime() const;
  virtual int64_t ModifyTime() const;
  virtual int64_t ChangeTime() const;
  virtual unsigned short Mode() const;
  virtual bool IsFile() const;
  virtual bool IsDirectory() const;

 private:
  struct _stat64 record_;
  int error_ = 0;
};

// True for an existing directory; for a UNC path, for anything that exists. Absolute paths too
// long for the C runtime's status call (260 characters or more) are tested in their \\?\ form.
bool DirectoryExists(const wchar_t* path);
// True for an existing path; with `require_non_empty`, an empty regular file counts as absent.
bool PathExists(const wchar_t* path, bool require_non_empty);

// Creates `path` and every missing level above it. True when the folder exists afterwards (or
// `path` is empty); false at the first level that could not be created, leaving the levels
// created so far. Roots ("\", "/"), drive designators ("C:") and the server and share levels
// of a UNC path are never created.
bool CreateDirectoryChain(const WString& path);
// The same in the \\?\ form, through Windows and not the C runtime, so that paths of 260
// characters and more work.
bool CreateLongFolderChain(const WString& folder);

// Closes a C runtime file through the system layer.
struct FileCloser {
  void operator()(FILE* file) const;
};
using UniqueFile = std::unique_ptr<FILE, FileCloser>;

// Opens `path` in the C runtime's wide `mode`, trying every 100 ms for `seconds` (at least
// once), since another program may hold the file for a moment. After each failed attempt the
// attempt number and a carriage return go to the standard error stream. An empty path answers
// none without trying.
UniqueFile OpenWithRetry(const wchar_t* path, const wchar_t* mode, int seconds);

// The whole file; "" when it is missing or cannot be read.
std::string ReadWholeFile(const WString& path);
// Writes `bytes` to `path` opened in `mode` (L"wb", L"ab"); false when it could not be opened
// or not all of the bytes reached it.
bool WriteWholeFile(const WString& path, const std::string& bytes, const wchar_t* mode);

}  // namespace sollux

#endif  // SOLLUX_BASE_FILE_SYSTEM_H_
