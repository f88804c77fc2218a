// A private folder for one test, below the temporary folder, removed with everything in it.
#ifndef SOLLUX_TEST_TEMP_DIR_H_
#define SOLLUX_TEST_TEMP_DIR_H_

#include <cstdint>
#include <map>
#include <string>

namespace sollux::test {

class ScopedTempDir {
 public:
  ScopedTempDir();
  ~ScopedTempDir();
  ScopedTempDir(const ScopedTempDir&) = delete;
  ScopedTempDir& operator=(const ScopedTempDir&) = delete;

  // The folder, without a trailing backslash.
  const std::wstring& path() const { return path_; }
  // The folder, a backslash and `relative`.
  std::wstring operator/(const std::wstring& relative) const { return path_ + L"\\" + relative; }

 private:
  std::wstring path_;
};

// Creates (or replaces) a file holding exactly `bytes`, creating its folders.
void WriteFileBytes(const std::wstring& path, const std::string& bytes);
// The whole content of a file; "" when it cannot be read.
std::string ReadFileBytes(const std::wstring& path);
// Creates a folder and its parents.
void MakeFolders(const std::wstring& path);
// Every file below `folder` (of any length) by its path below it, with its bytes.
std::map<std::wstring, std::string> FilesBelow(const std::wstring& folder);
// Makes `link` a Unix symbolic link to `target` (a full Windows path, or a relative one such
// as "..\\..\\PC02"), which Wine shows as a junction or a symbolic link on an NTFS stick would
// be; true when it was made. Such links are removed, never followed, with a ScopedTempDir.
bool MakeUnixLink(const std::wstring& link, const std::wstring& target);
// Removes a link made by MakeUnixLink (Windows' calls would act on what it points to).
void RemoveUnixLink(const std::wstring& link);

// Sets the last-write time of a file or folder to `seconds` after 1970 (UTC); true on success.
bool SetLastWriteTime(const std::wstring& path, int64_t seconds);

}  // namespace sollux::test

#endif  // SOLLUX_TEST_TEMP_DIR_H_
