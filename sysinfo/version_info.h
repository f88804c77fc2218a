// The string values of a file's Windows version resource, read through the file's first
// translation entry.
#ifndef SOLLUX_SYSINFO_VERSION_INFO_H_
#define SOLLUX_SYSINFO_VERSION_INFO_H_

#include <cstdint>
#include <vector>

#include "base/wstring.h"

namespace sollux {

// Used on the stack and never shared. Failures of the version calls are reported on the
// standard error stream and otherwise only give false or the empty text.
class VersionInfoReader {
 public:
  VersionInfoReader() = default;
  VersionInfoReader(const VersionInfoReader&) = delete;
  VersionInfoReader& operator=(const VersionInfoReader&) = delete;

  // Stores the path and loads its resource; false for an empty or absent path.
  virtual bool Open(const WString& path);
  virtual bool Open(const wchar_t* path);
  // One value of the string table; loads the resource first when that has not succeeded yet.
  virtual WString Value(const wchar_t* name);
  // Reads the resource and finds the string table of its first translation entry.
  virtual bool Load();
  virtual WString Comments();
  virtual WString CompanyName();
  virtual WString FileDescription();
  virtual WString FileVersion();
  virtual WString InternalName();
  virtual WString LegalCopyright();
  virtual WString LegalTrademarks();
  virtual WString OriginalFilename();
  virtual WString PrivateBuild();
  virtual WString ProductName();
  virtual WString ProductVersion();
  virtual WString SpecialBuild();

  // "\StringFileInfo\" + language and code page in hexadecimal + "\"; empty before a load.
  const WString& string_table_prefix() const { return prefix_; }

 private:
  friend WString OriginalFilenameOf(const wchar_t* path);

  WString path_;
  uint32_t handle_ = 0;
  uint32_t size_ = 0;
  std::vector<unsigned char> data_;
  WString prefix_;
};

// The OriginalFilename value of the file at `path`; "" when it has none.
WString OriginalFilenameOf(const wchar_t* path);

}  // namespace sollux

#endif  // SOLLUX_SYSINFO_VERSION_INFO_H_
