#include "test/temp_dir.h"

#include <filesystem>
#include <fstream>
#include <iterator>

#include "base/win.h"

namespace sollux::test {
namespace fs = std::filesystem;

ScopedTempDir::ScopedTempDir() {
  static int counter = 0;
  wchar_t temp[MAX_PATH + 1] = {};
  ::GetTempPathW(MAX_PATH, temp);
  path_ = std::wstring(temp) + L"sollux-test-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
          std::to_wstring(++counter);
  fs::remove_all(path_);
  fs::create_directories(path_);
}

ScopedTempDir::~ScopedTempDir() {
  std::error_code ignored;
  // Read-only entries would stop remove_all. The iterator's own increment throws where a path
  // grows past MAX_PATH.
  fs::recursive_directory_iterator it(path_, ignored);
  for (; !ignored && it != fs::recursive_directory_iterator(); it.increment(ignored)) {
    ::SetFileAttributesW(it->path().c_str(), FILE_ATTRIBUTE_NORMAL);
  }
  fs::remove_all(path_, ignored);
}

void WriteFileBytes(const std::wstring& path, const std::string& bytes) {
  fs::create_directories(fs::path(path).parent_path());
  std::ofstream out(fs::path(path), std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ReadFileBytes(const std::wstring& path) {
  std::ifstream in(fs::path(path), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void MakeFolders(const std::wstring& path) { fs::create_directories(path); }

bool SetLastWriteTime(const std::wstring& path, int64_t seconds) {
  const HANDLE handle = ::CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  const uint64_t ticks = static_cast<uint64_t>(seconds + 11644473600LL) * 10000000ULL;
  const FILETIME time = {static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
  const bool set = ::SetFileTime(handle, nullptr, nullptr, &time) != FALSE;
  ::CloseHandle(handle);
  return set;
}

}  // namespace sollux::test
