// Path and string utilities: separators, splitting and joining, file name parts, letter case,
// and the status of a path on disk.
#ifndef SOLLUX_BASE_PATH_H_
#define SOLLUX_BASE_PATH_H_

#include <sys/stat.h>

#include <cstdint>

#include "base/wstring.h"

namespace sollux {

// Appends `separator` unless `path` is empty or already ends in a backslash or slash.
WString WithTrailingSeparator(WString path, wchar_t separator = L'\\');
// Removes exactly one trailing backslash or slash.
WString WithoutTrailingSeparator(WString path);
WString WithoutTrailingSeparator(const wchar_t* path);

// Splits at every character of `delimiters`. An element that opens with a quote character
// runs to its closing quote before a delimiter is looked for. Adjacent delimiters give empty
// elements; a trailing delimiter gives none. Scanning stops at the first NUL.
WStringList SplitText(const WString& text, const wchar_t* delimiters);
WStringList SplitAtChar(const WString& text, wchar_t separator);
WString JoinWithText(const WStringList& list, const wchar_t* separator);
WString JoinWithChar(const WStringList& list, wchar_t separator);

// Rewrites every backslash and slash as `separator` and drops empty elements after the
// second, so that a UNC prefix survives: C:/a//b/ becomes C:\a\b, //server/share/ becomes
// \\server\share.
WString NormalizeSeparators(const WString& path, wchar_t separator = L'\\');

// The text after the last backslash, else after the last slash, else the whole path.
WString FileNamePart(const WString& path);
// The file name without its last extension; "" for "", " " and names holding "?".
WString FileStem(const WString& path);

// Lower-cased by the C runtime under the process locale; cut at the first NUL.
WString ToLower(const WString& text);
bool EqualsIgnoreCase(const WString& a, const WString& b);

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

// The \\?\ form of an absolute path (\\?\UNC\server\share\... for a network path), with
// separators made backslashes and "." and ".." elements resolved; a path already in that form
// as it is; "" for a relative path.
WString LongPathForm(const WString& path);

// True for an existing directory; for a UNC path, for anything that exists. Absolute paths too
// long for the C runtime's status call (260 characters or more) are tested in their \\?\ form.
bool DirectoryExists(const wchar_t* path);
// True for an existing path; with `require_non_empty`, an empty regular file counts as absent.
bool PathExists(const wchar_t* path, bool require_non_empty);

}  // namespace sollux

#endif  // SOLLUX_BASE_PATH_H_
