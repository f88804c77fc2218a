#include "base/system_api.h"

#include <direct.h>
#include <io.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>

namespace sollux {

LSTATUS RealSystemApi::RegOpenKeyExW(HKEY root, const wchar_t* sub_key, DWORD options,
                                     REGSAM access, HKEY* result) {
  return ::RegOpenKeyExW(root, sub_key, options, access, result);
}
LSTATUS RealSystemApi::RegQueryValueExW(HKEY key, const wchar_t* name, DWORD* type, BYTE* data,
                                        DWORD* size) {
  return ::RegQueryValueExW(key, name, nullptr, type, data, size);
}
LSTATUS RealSystemApi::RegCloseKey(HKEY key) { return ::RegCloseKey(key); }

HMODULE RealSystemApi::LoadLibraryW(const wchar_t* name) { return ::LoadLibraryW(name); }
FARPROC RealSystemApi::GetProcAddress(HMODULE module, const char* name) {
  return ::GetProcAddress(module, name);
}
HRESULT RealSystemApi::SHGetMalloc(IMalloc** allocator) { return ::SHGetMalloc(allocator); }
HRESULT RealSystemApi::SHGetSpecialFolderLocation(HWND owner, int csidl, PIDLIST_ABSOLUTE* items) {
  return ::SHGetSpecialFolderLocation(owner, csidl, items);
}
BOOL RealSystemApi::SHGetPathFromIDListW(PCIDLIST_ABSOLUTE items, wchar_t* path) {
  return ::SHGetPathFromIDListW(items, path);
}
DWORD RealSystemApi::GetModuleFileNameW(HMODULE module, wchar_t* buffer, DWORD size) {
  return ::GetModuleFileNameW(module, buffer, size);
}

HINSTANCE RealSystemApi::ShellExecuteW(HWND owner, const wchar_t* verb, const wchar_t* file,
                                       const wchar_t* parameters, const wchar_t* directory,
                                       int show) {
  return ::ShellExecuteW(owner, verb, file, parameters, directory, show);
}
BOOL RealSystemApi::ShellExecuteExW(SHELLEXECUTEINFOW* info) { return ::ShellExecuteExW(info); }

DWORD RealSystemApi::GetTempPathW(DWORD size, wchar_t* buffer) {
  return ::GetTempPathW(size, buffer);
}
DWORD RealSystemApi::GetLongPathNameW(const wchar_t* path, wchar_t* buffer, DWORD size) {
  return ::GetLongPathNameW(path, buffer, size);
}
DWORD RealSystemApi::GetCurrentDirectoryW(DWORD size, wchar_t* buffer) {
  return ::GetCurrentDirectoryW(size, buffer);
}
DWORD RealSystemApi::GetFullPathNameW(const wchar_t* path, DWORD size, wchar_t* buffer) {
  return ::GetFullPathNameW(path, size, buffer, nullptr);
}
UINT RealSystemApi::GetDriveTypeW(const wchar_t* root) { return ::GetDriveTypeW(root); }
BOOL RealSystemApi::GetDiskFreeSpaceExW(const wchar_t* root, ULARGE_INTEGER* available,
                                        ULARGE_INTEGER* total, ULARGE_INTEGER* free) {
  return ::GetDiskFreeSpaceExW(root, available, total, free);
}
BOOL RealSystemApi::GetDiskFreeSpaceW(const wchar_t* root, DWORD* sectors_per_cluster,
                                      DWORD* bytes_per_sector, DWORD* free_clusters,
                                      DWORD* total_clusters) {
  return ::GetDiskFreeSpaceW(root, sectors_per_cluster, bytes_per_sector, free_clusters,
                             total_clusters);
}
BOOL RealSystemApi::GetVolumePathNameW(const wchar_t* path, wchar_t* buffer, DWORD size) {
  return ::GetVolumePathNameW(path, buffer, size);
}
BOOL RealSystemApi::GetVolumeFileSystemW(const wchar_t* root, wchar_t* name, DWORD size) {
  return ::GetVolumeInformationW(root, nullptr, 0, nullptr, nullptr, nullptr, name, size);
}
UINT RealSystemApi::SetErrorMode(UINT mode) { return ::SetErrorMode(mode); }
DWORD RealSystemApi::WNetGetConnectionW(const wchar_t* local, wchar_t* remote, DWORD* length) {
  return ::WNetGetConnectionW(local, remote, length);
}

DWORD RealSystemApi::GetFileAttributesW(const wchar_t* path) { return ::GetFileAttributesW(path); }
BOOL RealSystemApi::GetFileAttributesExW(const wchar_t* path, WIN32_FILE_ATTRIBUTE_DATA* data) {
  return ::GetFileAttributesExW(path, GetFileExInfoStandard, data);
}
BOOL RealSystemApi::SetFileAttributesW(const wchar_t* path, DWORD attributes) {
  return ::SetFileAttributesW(path, attributes);
}
HANDLE RealSystemApi::FindFirstFileW(const wchar_t* pattern, WIN32_FIND_DATAW* data) {
  return ::FindFirstFileW(pattern, data);
}
HANDLE RealSystemApi::FindFirstFileExW(const wchar_t* pattern, FINDEX_INFO_LEVELS level, void* data,
                                       FINDEX_SEARCH_OPS search, void* filter, DWORD flags) {
  return ::FindFirstFileExW(pattern, level, data, search, filter, flags);
}
BOOL RealSystemApi::FindNextFileW(HANDLE find, WIN32_FIND_DATAW* data) {
  return ::FindNextFileW(find, data);
}
BOOL RealSystemApi::FindClose(HANDLE find) { return ::FindClose(find); }
DWORD RealSystemApi::GetLastError() { return ::GetLastError(); }
BOOL RealSystemApi::CopyFileW(const wchar_t* from, const wchar_t* to, BOOL fail_if_exists) {
  return ::CopyFileW(from, to, fail_if_exists);
}
BOOL RealSystemApi::MoveFileExW(const wchar_t* from, const wchar_t* to, DWORD flags) {
  return ::MoveFileExW(from, to, flags);
}
BOOL RealSystemApi::DeleteFileW(const wchar_t* path) { return ::DeleteFileW(path); }
BOOL RealSystemApi::RemoveDirectoryW(const wchar_t* path) { return ::RemoveDirectoryW(path); }
BOOL RealSystemApi::CreateDirectoryW(const wchar_t* path) {
  return ::CreateDirectoryW(path, nullptr);
}
HANDLE RealSystemApi::CreateFileW(const wchar_t* path, DWORD access, DWORD share,
                                  DWORD disposition, DWORD flags) {
  return ::CreateFileW(path, access, share, nullptr, disposition, flags, nullptr);
}
BOOL RealSystemApi::GetFileInformationByHandleEx(HANDLE file, FILE_INFO_BY_HANDLE_CLASS kind,
                                                 void* info, DWORD size) {
  return ::GetFileInformationByHandleEx(file, kind, info, size);
}
BOOL RealSystemApi::ReadFile(HANDLE file, void* buffer, DWORD size, DWORD* read,
                             OVERLAPPED* overlapped) {
  return ::ReadFile(file, buffer, size, read, overlapped);
}
BOOL RealSystemApi::GetOverlappedResult(HANDLE file, OVERLAPPED* overlapped, DWORD* transferred,
                                        BOOL wait) {
  return ::GetOverlappedResult(file, overlapped, transferred, wait);
}
BOOL RealSystemApi::WriteFile(HANDLE file, const void* data, DWORD size, DWORD* written) {
  return ::WriteFile(file, data, size, written, nullptr);
}
BOOL RealSystemApi::FlushFileBuffers(HANDLE file) { return ::FlushFileBuffers(file); }
BOOL RealSystemApi::SetFileTime(HANDLE file, const FILETIME* written) {
  return ::SetFileTime(file, nullptr, nullptr, written);
}
BOOL RealSystemApi::CopyFileExW(const wchar_t* from, const wchar_t* to, DWORD flags) {
  return ::CopyFileExW(from, to, nullptr, nullptr, nullptr, flags);
}
void* RealSystemApi::VirtualAlloc(size_t size) {
  return ::VirtualAlloc(nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
}
BOOL RealSystemApi::VirtualFree(void* memory) { return ::VirtualFree(memory, 0, MEM_RELEASE); }
DWORD RealSystemApi::GetFinalPathNameByHandleW(HANDLE file, wchar_t* path, DWORD size,
                                               DWORD flags) {
  return ::GetFinalPathNameByHandleW(file, path, size, flags);
}
DWORD RealSystemApi::GetFileVersionInfoSizeW(const wchar_t* path, DWORD* handle) {
  return ::GetFileVersionInfoSizeW(path, handle);
}
BOOL RealSystemApi::GetFileVersionInfoW(const wchar_t* path, DWORD handle, DWORD size, void* data) {
  return ::GetFileVersionInfoW(path, handle, size, data);
}
BOOL RealSystemApi::VerQueryValueW(const void* block, const wchar_t* sub_block, void** value,
                                   UINT* length) {
  return ::VerQueryValueW(block, sub_block, value, length);
}

int RealSystemApi::Stat64(const wchar_t* path, struct _stat64* record) {
  return _wstat64(path, record) == 0 ? 0 : errno;
}
int RealSystemApi::Access(const wchar_t* path, int mode) { return _waccess(path, mode); }
int RealSystemApi::MakeDirectory(const wchar_t* path) { return _wmkdir(path); }
int RealSystemApi::DeleteDirectory(const wchar_t* path) { return _wrmdir(path); }
int RealSystemApi::RemoveFile(const wchar_t* path) { return _wremove(path); }
FILE* RealSystemApi::OpenFile(const wchar_t* path, const wchar_t* mode) {
  return _wfopen(path, mode);
}
size_t RealSystemApi::WriteToFile(const void* data, size_t size, size_t count, FILE* file) {
  return std::fwrite(data, size, count, file);
}
size_t RealSystemApi::ReadFromFile(void* data, size_t size, size_t count, FILE* file) {
  return std::fread(data, size, count, file);
}
int RealSystemApi::CloseFile(FILE* file) { return std::fclose(file); }

wchar_t** RealSystemApi::RuntimeArguments(int* count) {
  *count = __argc;
  return __wargv;
}
const wchar_t* RealSystemApi::GetEnv(const wchar_t* name) { return _wgetenv(name); }
wchar_t* RealSystemApi::GetEnvironmentStringsW() { return ::GetEnvironmentStringsW(); }
BOOL RealSystemApi::FreeEnvironmentStringsW(wchar_t* block) {
  return ::FreeEnvironmentStringsW(block);
}
UINT RealSystemApi::GetSystemDirectoryW(wchar_t* buffer, UINT size) {
  return ::GetSystemDirectoryW(buffer, size);
}
BOOL RealSystemApi::CreateProcessW(const wchar_t* application, wchar_t* command_line,
                                   BOOL inherit_handles, DWORD flags, void* environment,
                                   const wchar_t* directory, STARTUPINFOW* startup,
                                   PROCESS_INFORMATION* process) {
  return ::CreateProcessW(application, command_line, nullptr, nullptr, inherit_handles, flags,
                          environment, directory, startup, process);
}
DWORD RealSystemApi::WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
  return ::WaitForSingleObject(handle, milliseconds);
}
BOOL RealSystemApi::GetExitCodeProcess(HANDLE process, DWORD* code) {
  return ::GetExitCodeProcess(process, code);
}
BOOL RealSystemApi::CloseHandle(HANDLE handle) { return ::CloseHandle(handle); }
HANDLE RealSystemApi::GetStdHandle(DWORD which) { return ::GetStdHandle(which); }
BOOL RealSystemApi::GetConsoleMode(HANDLE console, DWORD* mode) {
  return ::GetConsoleMode(console, mode);
}
BOOL RealSystemApi::WriteConsoleW(HANDLE console, const wchar_t* text, DWORD length,
                                  DWORD* written) {
  return ::WriteConsoleW(console, text, length, written, nullptr);
}
BOOL RealSystemApi::FlushConsoleInputBuffer(HANDLE console) {
  return ::FlushConsoleInputBuffer(console);
}
BOOL RealSystemApi::ReadConsoleInputW(HANDLE console, INPUT_RECORD* records, DWORD length,
                                      DWORD* read) {
  return ::ReadConsoleInputW(console, records, length, read);
}
uint64_t RealSystemApi::GetTickCount64() { return ::GetTickCount64(); }
UINT RealSystemApi::GetConsoleCP() { return ::GetConsoleCP(); }
UINT RealSystemApi::GetConsoleOutputCP() { return ::GetConsoleOutputCP(); }
BOOL RealSystemApi::SetConsoleCP(UINT code_page) { return ::SetConsoleCP(code_page); }
BOOL RealSystemApi::SetConsoleOutputCP(UINT code_page) { return ::SetConsoleOutputCP(code_page); }
UINT RealSystemApi::GetOEMCP() { return ::GetOEMCP(); }
UINT RealSystemApi::GetACP() { return ::GetACP(); }
LANGID RealSystemApi::GetUserDefaultUILanguage() { return ::GetUserDefaultUILanguage(); }
DWORD RealSystemApi::GetConsoleProcessList(DWORD* ids, DWORD count) {
  return ::GetConsoleProcessList(ids, count);
}
bool RealSystemApi::WindowStationVisible() {
  USEROBJECTFLAGS flags = {};
  DWORD needed = 0;
  return ::GetUserObjectInformationW(::GetProcessWindowStation(), UOI_FLAGS, &flags,
                                     sizeof(flags), &needed) &&
         (flags.dwFlags & WSF_VISIBLE) != 0;
}
HANDLE RealSystemApi::RegisterEventSourceW(const wchar_t* source) {
  return ::RegisterEventSourceW(nullptr, source);
}
BOOL RealSystemApi::ReportEventW(HANDLE log, WORD type, DWORD id, const wchar_t* text) {
  const wchar_t* strings[] = {text};
  return ::ReportEventW(log, type, 0, id, nullptr, 1, 0, strings, nullptr);
}
BOOL RealSystemApi::DeregisterEventSource(HANDLE log) { return ::DeregisterEventSource(log); }
int RealSystemApi::LCMapStringEx(const wchar_t* locale, DWORD flags, const wchar_t* source,
                                 int source_size, wchar_t* destination, int destination_size) {
  return ::LCMapStringEx(locale, flags, source, source_size, destination, destination_size, nullptr,
                         nullptr, 0);
}
BOOL RealSystemApi::GetComputerNameW(wchar_t* buffer, DWORD* size) {
  return ::GetComputerNameW(buffer, size);
}
BOOL RealSystemApi::GetUserNameW(wchar_t* buffer, DWORD* size) {
  return ::GetUserNameW(buffer, size);
}
BOOL RealSystemApi::GetVolumeInformationW(const wchar_t* root, wchar_t* label, DWORD label_size,
                                          DWORD* serial) {
  return ::GetVolumeInformationW(root, label, label_size, serial, nullptr, nullptr, nullptr, 0);
}

namespace {

// GetProcAddress's answer as the function it is; through void (*)() the compiler takes the
// cast as meant.
template <typename Function>
Function Procedure(HMODULE module, const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(::GetProcAddress(module, name)));
}

// rstrtmgr.dll is loaded on the first question: most runs never ask one.
struct RestartManager {
  decltype(&::RmStartSession) start = nullptr;
  decltype(&::RmRegisterResources) register_files = nullptr;
  decltype(&::RmGetList) list = nullptr;
  decltype(&::RmEndSession) end = nullptr;

  RestartManager() {
    const HMODULE module = ::LoadLibraryW(L"rstrtmgr.dll");
    if (module == nullptr) return;
    start = Procedure<decltype(start)>(module, "RmStartSession");
    register_files = Procedure<decltype(register_files)>(module, "RmRegisterResources");
    list = Procedure<decltype(list)>(module, "RmGetList");
    end = Procedure<decltype(end)>(module, "RmEndSession");
  }
  bool Loaded() const { return start && register_files && list && end; }
};

}  // namespace

DWORD RealSystemApi::RestartManagerList(const wchar_t* path, std::vector<RM_PROCESS_INFO>* list) {
  static const RestartManager manager;
  list->clear();
  if (!manager.Loaded()) return ERROR_CALL_NOT_IMPLEMENTED;
  DWORD session = 0;
  wchar_t key[CCH_RM_SESSION_KEY + 1] = {};
  DWORD error = manager.start(&session, 0, key);
  if (error != ERROR_SUCCESS) return error;
  LPCWSTR files[] = {path};
  error = manager.register_files(session, 1, files, 0, nullptr, 0, nullptr);
  for (UINT size = 4; error == ERROR_SUCCESS || error == ERROR_MORE_DATA;) {
    UINT needed = 0, count = size;
    DWORD reasons = 0;
    list->resize(size);
    error = manager.list(session, &needed, &count, list->data(), &reasons);
    if (error != ERROR_MORE_DATA) {
      list->resize(error == ERROR_SUCCESS ? count : 0);
      break;
    }
    size = needed;
  }
  manager.end(session);
  return error;
}
bool RealSystemApi::ProcessImagePath(DWORD id, std::wstring* path) {
  const HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id);
  if (process == nullptr) return false;
  wchar_t name[MAX_PATH * 2] = {};
  DWORD size = MAX_PATH * 2;
  const bool found = ::QueryFullProcessImageNameW(process, 0, name, &size) != FALSE;
  ::CloseHandle(process);
  if (found) path->assign(name, size);
  return found;
}
int64_t RealSystemApi::CurrentTime() { return _time64(nullptr); }
bool RealSystemApi::LocalTime(int64_t time, struct tm* fields) {
  const __time64_t t = time;
  return _localtime64_s(fields, &t) == 0;
}
void RealSystemApi::Sleep(DWORD milliseconds) { ::Sleep(milliseconds); }

namespace {
SystemApi* current_api = nullptr;
}  // namespace

SystemApi& Sys() {
  static RealSystemApi real;
  return current_api != nullptr ? *current_api : real;
}

ScopedSystemApi::ScopedSystemApi(SystemApi& api) : previous_(current_api) { current_api = &api; }
ScopedSystemApi::~ScopedSystemApi() { current_api = previous_; }

}  // namespace sollux
