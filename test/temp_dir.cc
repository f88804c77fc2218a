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
  // Read-only entries would stop remove_all.
  for (const auto& entry : fs::recursive_directory_iterator(path_, ignored)) {
    ::SetFileAttributesW(entry.path().c_str(), FILE_ATTRIBUTE_NORMAL);
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

}  // namespace sollux::test
