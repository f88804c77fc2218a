#include "test/temp_dir.h"

#include <filesystem>
#include <fstream>
#include <iterator>

#include "base/win.h"

namespace sollux::test {
namespace fs = std::filesystem;

namespace {

// Deletes `path` and everything below it, read-only entries and paths past MAX_PATH included
// (the \\?\ form), ignoring failures.
void RemoveTree(const std::wstring& path) {
  WIN32_FIND_DATAW entry;
  const HANDLE find = ::FindFirstFileW((path + L"\\*").c_str(), &entry);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = entry.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring child = path + L"\\" + name;
      ::SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(child);
      } else {
        ::DeleteFileW(child.c_str());
      }
    } while (::FindNextFileW(find, &entry));
    ::FindClose(find);
  }
  ::RemoveDirectoryW(path.c_str());
}

}  // namespace

ScopedTempDir::ScopedTempDir() {
  static int counter = 0;
  wchar_t temp[MAX_PATH + 1] = {};
  ::GetTempPathW(MAX_PATH, temp);
  path_ = std::wstring(temp) + L"sollux-test-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
          std::to_wstring(++counter);
  // Wine hands out the same process ids again: a folder of an earlier run may be there.
  RemoveTree(L"\\\\?\\" + path_);
  fs::create_directories(path_);
}

ScopedTempDir::~ScopedTempDir() { RemoveTree(L"\\\\?\\" + path_); }

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
