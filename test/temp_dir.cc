#include "test/temp_dir.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "base/win.h"

namespace sollux::test {
namespace fs = std::filesystem;

namespace {

std::vector<std::wstring>& StagedLinks() {
  static std::vector<std::wstring> links;
  return links;
}

std::wstring WithoutLongPrefix(const std::wstring& path) {
  return path.starts_with(L"\\\\?\\") ? path.substr(4) : path;
}

// The Unix path of a Windows one, through Wine's own export.
std::string UnixPath(const std::wstring& path) {
  using ToUnix = char*(CDECL*)(const wchar_t*);
  const auto to_unix = reinterpret_cast<ToUnix>(reinterpret_cast<void*>(
      ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  char* unix_path = to_unix != nullptr ? to_unix(path.c_str()) : nullptr;
  if (unix_path == nullptr) return std::string();
  const std::string result = unix_path;
  ::HeapFree(::GetProcessHeap(), 0, unix_path);
  return result;
}

// Runs a shell command line of Unix paths (in single quotes, so none may hold one). Wine starts
// a Unix program as it starts a Windows one but does not wait for it: the command touches
// `mark` when done, and the caller waits for that.
void RunUnixCommand(const std::string& command, const std::wstring& mark) {
  const std::string line = "/bin/sh -c \"" + command + "; touch '" + UnixPath(mark) + "'\"";
  // Unix paths are UTF-8; Wine hands the command line to the program in the Unix locale's.
  std::wstring wide(line.size() + 1, L'\0');
  wide.resize(::MultiByteToWideChar(CP_UTF8, 0, line.data(), static_cast<int>(line.size()),
                                    wide.data(), static_cast<int>(wide.size())));
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  if (!::CreateProcessW(nullptr, wide.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
    return;
  }
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  for (int i = 0; i < 500 && ::GetFileAttributesW(mark.c_str()) == INVALID_FILE_ATTRIBUTES; ++i) {
    ::Sleep(10);
  }
  ::DeleteFileW(mark.c_str());
}

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
      const auto& links = StagedLinks();
      if ((entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 ||
          std::find(links.begin(), links.end(), WithoutLongPrefix(child)) != links.end()) {
        RemoveUnixLink(WithoutLongPrefix(child));
        continue;
      }
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

namespace {

// Wine lists no link whose target is gone, so such a link keeps its folder from being removed;
// Unix's rm removes what is left.
void RemoveFolder(const std::wstring& path) {
  RemoveTree(L"\\\\?\\" + path);
  if (::GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) return;
  RunUnixCommand("rm -rf '" + UnixPath(path) + "'", path + L".removed");
}

}  // namespace

ScopedTempDir::ScopedTempDir() {
  static int counter = 0;
  wchar_t temp[MAX_PATH + 1] = {};
  ::GetTempPathW(MAX_PATH, temp);
  path_ = std::wstring(temp) + L"sollux-test-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
          std::to_wstring(++counter);
  // Wine hands out the same process ids again: a folder of an earlier run may be there.
  RemoveFolder(path_);
  fs::create_directories(path_);
}

ScopedTempDir::~ScopedTempDir() { RemoveFolder(path_); }

void WriteFileBytes(const std::wstring& path, const std::string& bytes) {
  fs::create_directories(fs::path(path).parent_path());
  std::ofstream out(fs::path(path), std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ReadFileBytes(const std::wstring& path) {
  std::ifstream in(fs::path(path), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::map<std::wstring, std::string> FilesBelow(const std::wstring& folder) {
  std::map<std::wstring, std::string> files;
  WIN32_FIND_DATAW data;
  const HANDLE find = ::FindFirstFileW((L"\\\\?\\" + folder + L"\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return files;
  do {
    const std::wstring name = data.cFileName;
    if (name == L"." || name == L"..") continue;
    const std::wstring path = folder + L"\\" + name;
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
      files[name] = ReadFileBytes(L"\\\\?\\" + path);
      continue;
    }
    for (const auto& [below, bytes] : FilesBelow(path)) files[name + L"\\" + below] = bytes;
  } while (::FindNextFileW(find, &data));
  ::FindClose(find);
  return files;
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

bool MakeUnixLink(const std::wstring& link, const std::wstring& target) {
  std::string to;
  if (target.starts_with(L".")) {
    for (const wchar_t c : target) to += c == L'\\' ? '/' : static_cast<char>(c);
  } else {
    to = UnixPath(target);
  }
  fs::create_directories(fs::path(link).parent_path());
  RunUnixCommand("ln -sfn '" + to + "' '" + UnixPath(link) + "'", link + L".staged");
  StagedLinks().push_back(link);
  WIN32_FIND_DATAW data;
  const HANDLE find = ::FindFirstFileW(link.c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return false;
  ::FindClose(find);
  return true;
}

void RemoveUnixLink(const std::wstring& link) {
  RunUnixCommand("rm -f '" + UnixPath(link) + "'", link + L".removed");
}

}  // namespace sollux::test
