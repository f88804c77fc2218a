// The thin layer between Sollux and the machine it runs on.
//
// Every Windows call and every C runtime call that reads or changes the state of the machine
// (registry, files, drives, shell, network, processes, console, environment, clock) goes through
// Sys(). The real implementation forwards each call unchanged. A test replaces only the few
// calls that Wine cannot stage (a mapped network drive, a failing GetComputerNameW, a shell
// error code, ...) by deriving from RealSystemApi and installing its object with
// ScopedSystemApi; everything else keeps running against the real calls.
#ifndef SOLLUX_BASE_SYSTEM_API_H_
#define SOLLUX_BASE_SYSTEM_API_H_

#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "base/win.h"

namespace sollux {

class SystemApi {
 public:
  virtual ~SystemApi() = default;

  // Registry.
  virtual LSTATUS RegOpenKeyExW(HKEY root, const wchar_t* sub_key, DWORD options, REGSAM access,
                                HKEY* result) = 0;
  virtual LSTATUS RegQueryValueExW(HKEY key, const wchar_t* name, DWORD* type, BYTE* data,
                                   DWORD* size) = 0;
  virtual LSTATUS RegCloseKey(HKEY key) = 0;

  // Modules and shell folders.
  virtual HMODULE LoadLibraryW(const wchar_t* name) = 0;
  virtual FARPROC GetProcAddress(HMODULE module, const char* name) = 0;
  virtual HRESULT SHGetMalloc(IMalloc** allocator) = 0;
  virtual HRESULT SHGetSpecialFolderLocation(HWND owner, int csidl, PIDLIST_ABSOLUTE* items) = 0;
  virtual BOOL SHGetPathFromIDListW(PCIDLIST_ABSOLUTE items, wchar_t* path) = 0;
  virtual DWORD GetModuleFileNameW(HMODULE module, wchar_t* buffer, DWORD size) = 0;

  // Shell.
  virtual HINSTANCE ShellExecuteW(HWND owner, const wchar_t* verb, const wchar_t* file,
                                  const wchar_t* parameters, const wchar_t* directory,
                                  int show) = 0;
  virtual BOOL ShellExecuteExW(SHELLEXECUTEINFOW* info) = 0;

  // Folders and drives.
  virtual DWORD GetTempPathW(DWORD size, wchar_t* buffer) = 0;
  virtual DWORD GetLongPathNameW(const wchar_t* path, wchar_t* buffer, DWORD size) = 0;
  virtual DWORD GetCurrentDirectoryW(DWORD size, wchar_t* buffer) = 0;
  // `path` made absolute against the current folder (of its drive), "." and ".." resolved.
  virtual DWORD GetFullPathNameW(const wchar_t* path, DWORD size, wchar_t* buffer) = 0;
  virtual UINT GetDriveTypeW(const wchar_t* root) = 0;
  virtual BOOL GetDiskFreeSpaceExW(const wchar_t* root, ULARGE_INTEGER* available,
                                   ULARGE_INTEGER* total, ULARGE_INTEGER* free) = 0;
  virtual BOOL GetDiskFreeSpaceW(const wchar_t* root, DWORD* sectors_per_cluster,
                                 DWORD* bytes_per_sector, DWORD* free_clusters,
                                 DWORD* total_clusters) = 0;
  virtual BOOL GetVolumePathNameW(const wchar_t* path, wchar_t* buffer, DWORD size) = 0;
  // The file system's name ("NTFS", "FAT32", "exFAT") of the volume at `root`.
  virtual BOOL GetVolumeFileSystemW(const wchar_t* root, wchar_t* name, DWORD size) = 0;
  virtual UINT SetErrorMode(UINT mode) = 0;
  virtual DWORD WNetGetConnectionW(const wchar_t* local, wchar_t* remote, DWORD* length) = 0;

  // Files.
  virtual DWORD GetFileAttributesW(const wchar_t* path) = 0;
  virtual BOOL GetFileAttributesExW(const wchar_t* path, WIN32_FILE_ATTRIBUTE_DATA* data) = 0;
  virtual BOOL SetFileAttributesW(const wchar_t* path, DWORD attributes) = 0;
  virtual HANDLE FindFirstFileW(const wchar_t* pattern, WIN32_FIND_DATAW* data) = 0;
  virtual HANDLE FindFirstFileExW(const wchar_t* pattern, FINDEX_INFO_LEVELS level, void* data,
                                  FINDEX_SEARCH_OPS search, void* filter, DWORD flags) = 0;
  virtual BOOL FindNextFileW(HANDLE find, WIN32_FIND_DATAW* data) = 0;
  virtual BOOL FindClose(HANDLE find) = 0;
  // The error code of the last call that failed on this thread.
  virtual DWORD GetLastError() = 0;
  virtual BOOL CopyFileW(const wchar_t* from, const wchar_t* to, BOOL fail_if_exists) = 0;
  virtual BOOL MoveFileExW(const wchar_t* from, const wchar_t* to, DWORD flags) = 0;
  virtual BOOL DeleteFileW(const wchar_t* path) = 0;
  virtual BOOL RemoveDirectoryW(const wchar_t* path) = 0;
  virtual BOOL CreateDirectoryW(const wchar_t* path) = 0;
  virtual HANDLE CreateFileW(const wchar_t* path, DWORD access, DWORD share, DWORD disposition,
                             DWORD flags) = 0;
  virtual BOOL GetFileInformationByHandleEx(HANDLE file, FILE_INFO_BY_HANDLE_CLASS kind,
                                            void* info, DWORD size) = 0;
  // `overlapped` null: a read that waits; else one that may still be in flight on return.
  virtual BOOL ReadFile(HANDLE file, void* buffer, DWORD size, DWORD* read,
                        OVERLAPPED* overlapped) = 0;
  virtual BOOL GetOverlappedResult(HANDLE file, OVERLAPPED* overlapped, DWORD* transferred,
                                   BOOL wait) = 0;
  virtual BOOL WriteFile(HANDLE file, const void* data, DWORD size, DWORD* written) = 0;
  virtual BOOL SetFileTime(HANDLE file, const FILETIME* written) = 0;
  // Writes what the system holds of the file to the device.
  virtual BOOL FlushFileBuffers(HANDLE file) = 0;
  // Copies a file with its last-write time and attributes (no progress routine, no cancel).
  virtual BOOL CopyFileExW(const wchar_t* from, const wchar_t* to, DWORD flags) = 0;
  // Committed read-write pages, page-aligned; VirtualFree releases them.
  virtual void* VirtualAlloc(size_t size) = 0;
  virtual BOOL VirtualFree(void* memory) = 0;
  virtual DWORD GetFinalPathNameByHandleW(HANDLE file, wchar_t* path, DWORD size, DWORD flags) = 0;
  virtual DWORD GetFileVersionInfoSizeW(const wchar_t* path, DWORD* handle) = 0;
  virtual BOOL GetFileVersionInfoW(const wchar_t* path, DWORD handle, DWORD size, void* data) = 0;
  virtual BOOL VerQueryValueW(const void* block, const wchar_t* sub_block, void** value,
                              UINT* length) = 0;

  // C runtime: file status (0 or the errno value), existence test, folders, files.
  virtual int Stat64(const wchar_t* path, struct _stat64* record) = 0;
  virtual int Access(const wchar_t* path, int mode) = 0;
  virtual int MakeDirectory(const wchar_t* path) = 0;
  virtual int DeleteDirectory(const wchar_t* path) = 0;
  virtual int RemoveFile(const wchar_t* path) = 0;
  virtual FILE* OpenFile(const wchar_t* path, const wchar_t* mode) = 0;
  virtual size_t WriteToFile(const void* data, size_t size, size_t count, FILE* file) = 0;
  virtual size_t ReadFromFile(void* data, size_t size, size_t count, FILE* file) = 0;
  virtual int CloseFile(FILE* file) = 0;

  // Process, environment, clock. RuntimeArguments is the C runtime's parsed wide argument
  // vector, null when the runtime has not parsed one (a program with a narrow main).
  virtual wchar_t** RuntimeArguments(int* count) = 0;
  virtual const wchar_t* GetEnv(const wchar_t* name) = 0;
  // The environment block of this process (FreeEnvironmentStringsW releases it).
  virtual wchar_t* GetEnvironmentStringsW() = 0;
  virtual BOOL FreeEnvironmentStringsW(wchar_t* block) = 0;
  virtual UINT GetSystemDirectoryW(wchar_t* buffer, UINT size) = 0;
  virtual BOOL CreateProcessW(const wchar_t* application, wchar_t* command_line,
                              BOOL inherit_handles, DWORD flags, void* environment,
                              const wchar_t* directory, STARTUPINFOW* startup,
                              PROCESS_INFORMATION* process) = 0;
  virtual DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) = 0;
  virtual BOOL GetExitCodeProcess(HANDLE process, DWORD* code) = 0;
  virtual BOOL CloseHandle(HANDLE handle) = 0;
  virtual HANDLE GetStdHandle(DWORD which) = 0;
  virtual BOOL GetConsoleMode(HANDLE console, DWORD* mode) = 0;
  virtual BOOL WriteConsoleW(HANDLE console, const wchar_t* text, DWORD length, DWORD* written) = 0;
  virtual BOOL FlushConsoleInputBuffer(HANDLE console) = 0;
  virtual BOOL ReadConsoleInputW(HANDLE console, INPUT_RECORD* records, DWORD length,
                                 DWORD* read) = 0;
  // Milliseconds since the system started.
  virtual uint64_t GetTickCount64() = 0;
  // The processes attached to this process's console (0 without one).
  virtual DWORD GetConsoleProcessList(DWORD* ids, DWORD count) = 0;
  // Whether this process's window station is one a person sees: a task set to run whether
  // anyone is logged on or not runs on an invisible one.
  virtual bool WindowStationVisible() = 0;

  // The Application event log: a source needs no registration to write.
  virtual HANDLE RegisterEventSourceW(const wchar_t* source) = 0;
  // One event of `type` (EVENTLOG_INFORMATION_TYPE, ...) and `id`, with `text` as its string.
  virtual BOOL ReportEventW(HANDLE log, WORD type, DWORD id, const wchar_t* text) = 0;
  virtual BOOL DeregisterEventSource(HANDLE log) = 0;
  // The shell property System.Volume.BitLockerProtection of the drive `root` ("E:\"), asked of a
  // fresh shell item (one made before an unlock keeps the old value), which a standard user may
  // read: 1 on, 2 off, 6 locked, others in between. An error where the shell cannot tell (Wine
  // answers E_NOTIMPL).
  virtual HRESULT BitLockerProtection(const wchar_t* root, int* value) = 0;

  // Console code pages: the Get calls answer 0 where the process has no console.
  virtual UINT GetConsoleCP() = 0;
  virtual UINT GetConsoleOutputCP() = 0;
  virtual BOOL SetConsoleCP(UINT code_page) = 0;
  virtual BOOL SetConsoleOutputCP(UINT code_page) = 0;
  virtual UINT GetOEMCP() = 0;
  virtual UINT GetACP() = 0;
  virtual LANGID GetUserDefaultUILanguage() = 0;
  // Case mapping by the system's tables; with LOCALE_NAME_INVARIANT and LCMAP_UPPERCASE alone,
  // the file system's ordinal upper-casing, by which NTFS and FAT compare names.
  virtual int LCMapStringEx(const wchar_t* locale, DWORD flags, const wchar_t* source,
                            int source_size, wchar_t* destination, int destination_size) = 0;
  virtual BOOL GetComputerNameW(wchar_t* buffer, DWORD* size) = 0;
  virtual BOOL GetUserNameW(wchar_t* buffer, DWORD* size) = 0;
  virtual BOOL GetVolumeInformationW(const wchar_t* root, wchar_t* label, DWORD label_size,
                                     DWORD* serial) = 0;
  // The programs that hold `path` open, by the Restart Manager (rstrtmgr.dll, no administrator
  // rights needed): one session of RmStartSession, RmRegisterResources, RmGetList and
  // RmEndSession. Its error code; ERROR_SUCCESS with no programs for a file nobody holds.
  virtual DWORD RestartManagerList(const wchar_t* path, std::vector<RM_PROCESS_INFO>* list) = 0;
  // The full path of process `id`'s program (OpenProcess, QueryFullProcessImageNameW).
  virtual bool ProcessImagePath(DWORD id, std::wstring* path) = 0;
  virtual int64_t CurrentTime() = 0;
  // Local calendar fields of `time`; false when the runtime cannot convert it.
  virtual bool LocalTime(int64_t time, struct tm* fields) = 0;
  virtual void Sleep(DWORD milliseconds) = 0;
};

// Forwards every call to Windows and the C runtime.
class RealSystemApi : public SystemApi {
 public:
  LSTATUS RegOpenKeyExW(HKEY root, const wchar_t* sub_key, DWORD options, REGSAM access,
                        HKEY* result) override;
  LSTATUS RegQueryValueExW(HKEY key, const wchar_t* name, DWORD* type, BYTE* data,
                           DWORD* size) override;
  LSTATUS RegCloseKey(HKEY key) override;
  HMODULE LoadLibraryW(const wchar_t* name) override;
  FARPROC GetProcAddress(HMODULE module, const char* name) override;
  HRESULT SHGetMalloc(IMalloc** allocator) override;
  HRESULT SHGetSpecialFolderLocation(HWND owner, int csidl, PIDLIST_ABSOLUTE* items) override;
  BOOL SHGetPathFromIDListW(PCIDLIST_ABSOLUTE items, wchar_t* path) override;
  DWORD GetModuleFileNameW(HMODULE module, wchar_t* buffer, DWORD size) override;
  HINSTANCE ShellExecuteW(HWND owner, const wchar_t* verb, const wchar_t* file,
                          const wchar_t* parameters, const wchar_t* directory, int show) override;
  BOOL ShellExecuteExW(SHELLEXECUTEINFOW* info) override;
  DWORD GetTempPathW(DWORD size, wchar_t* buffer) override;
  DWORD GetLongPathNameW(const wchar_t* path, wchar_t* buffer, DWORD size) override;
  DWORD GetCurrentDirectoryW(DWORD size, wchar_t* buffer) override;
  DWORD GetFullPathNameW(const wchar_t* path, DWORD size, wchar_t* buffer) override;
  UINT GetDriveTypeW(const wchar_t* root) override;
  BOOL GetDiskFreeSpaceExW(const wchar_t* root, ULARGE_INTEGER* available, ULARGE_INTEGER* total,
                           ULARGE_INTEGER* free) override;
  BOOL GetDiskFreeSpaceW(const wchar_t* root, DWORD* sectors_per_cluster, DWORD* bytes_per_sector,
                         DWORD* free_clusters, DWORD* total_clusters) override;
  BOOL GetVolumePathNameW(const wchar_t* path, wchar_t* buffer, DWORD size) override;
  BOOL GetVolumeFileSystemW(const wchar_t* root, wchar_t* name, DWORD size) override;
  UINT SetErrorMode(UINT mode) override;
  DWORD WNetGetConnectionW(const wchar_t* local, wchar_t* remote, DWORD* length) override;
  DWORD GetFileAttributesW(const wchar_t* path) override;
  BOOL GetFileAttributesExW(const wchar_t* path, WIN32_FILE_ATTRIBUTE_DATA* data) override;
  BOOL SetFileAttributesW(const wchar_t* path, DWORD attributes) override;
  HANDLE FindFirstFileW(const wchar_t* pattern, WIN32_FIND_DATAW* data) override;
  HANDLE FindFirstFileExW(const wchar_t* pattern, FINDEX_INFO_LEVELS level, void* data,
                          FINDEX_SEARCH_OPS search, void* filter, DWORD flags) override;
  BOOL FindNextFileW(HANDLE find, WIN32_FIND_DATAW* data) override;
  BOOL FindClose(HANDLE find) override;
  DWORD GetLastError() override;
  BOOL CopyFileW(const wchar_t* from, const wchar_t* to, BOOL fail_if_exists) override;
  BOOL MoveFileExW(const wchar_t* from, const wchar_t* to, DWORD flags) override;
  BOOL DeleteFileW(const wchar_t* path) override;
  BOOL RemoveDirectoryW(const wchar_t* path) override;
  BOOL CreateDirectoryW(const wchar_t* path) override;
  HANDLE CreateFileW(const wchar_t* path, DWORD access, DWORD share, DWORD disposition,
                     DWORD flags) override;
  BOOL GetFileInformationByHandleEx(HANDLE file, FILE_INFO_BY_HANDLE_CLASS kind, void* info,
                                    DWORD size) override;
  BOOL ReadFile(HANDLE file, void* buffer, DWORD size, DWORD* read,
                OVERLAPPED* overlapped) override;
  BOOL GetOverlappedResult(HANDLE file, OVERLAPPED* overlapped, DWORD* transferred,
                           BOOL wait) override;
  BOOL WriteFile(HANDLE file, const void* data, DWORD size, DWORD* written) override;
  BOOL SetFileTime(HANDLE file, const FILETIME* written) override;
  BOOL FlushFileBuffers(HANDLE file) override;
  BOOL CopyFileExW(const wchar_t* from, const wchar_t* to, DWORD flags) override;
  void* VirtualAlloc(size_t size) override;
  BOOL VirtualFree(void* memory) override;
  DWORD GetFinalPathNameByHandleW(HANDLE file, wchar_t* path, DWORD size, DWORD flags) override;
  DWORD GetFileVersionInfoSizeW(const wchar_t* path, DWORD* handle) override;
  BOOL GetFileVersionInfoW(const wchar_t* path, DWORD handle, DWORD size, void* data) override;
  BOOL VerQueryValueW(const void* block, const wchar_t* sub_block, void** value,
                      UINT* length) override;
  int Stat64(const wchar_t* path, struct _stat64* record) override;
  int Access(const wchar_t* path, int mode) override;
  int MakeDirectory(const wchar_t* path) override;
  int DeleteDirectory(const wchar_t* path) override;
  int RemoveFile(const wchar_t* path) override;
  FILE* OpenFile(const wchar_t* path, const wchar_t* mode) override;
  size_t WriteToFile(const void* data, size_t size, size_t count, FILE* file) override;
  size_t ReadFromFile(void* data, size_t size, size_t count, FILE* file) override;
  int CloseFile(FILE* file) override;
  wchar_t** RuntimeArguments(int* count) override;
  const wchar_t* GetEnv(const wchar_t* name) override;
  wchar_t* GetEnvironmentStringsW() override;
  BOOL FreeEnvironmentStringsW(wchar_t* block) override;
  UINT GetSystemDirectoryW(wchar_t* buffer, UINT size) override;
  BOOL CreateProcessW(const wchar_t* application, wchar_t* command_line, BOOL inherit_handles,
                      DWORD flags, void* environment, const wchar_t* directory,
                      STARTUPINFOW* startup, PROCESS_INFORMATION* process) override;
  DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) override;
  BOOL GetExitCodeProcess(HANDLE process, DWORD* code) override;
  BOOL CloseHandle(HANDLE handle) override;
  HANDLE GetStdHandle(DWORD which) override;
  BOOL GetConsoleMode(HANDLE console, DWORD* mode) override;
  BOOL WriteConsoleW(HANDLE console, const wchar_t* text, DWORD length, DWORD* written) override;
  BOOL FlushConsoleInputBuffer(HANDLE console) override;
  BOOL ReadConsoleInputW(HANDLE console, INPUT_RECORD* records, DWORD length, DWORD* read) override;
  uint64_t GetTickCount64() override;
  DWORD GetConsoleProcessList(DWORD* ids, DWORD count) override;
  bool WindowStationVisible() override;
  HANDLE RegisterEventSourceW(const wchar_t* source) override;
  BOOL ReportEventW(HANDLE log, WORD type, DWORD id, const wchar_t* text) override;
  BOOL DeregisterEventSource(HANDLE log) override;
  HRESULT BitLockerProtection(const wchar_t* root, int* value) override;
  UINT GetConsoleCP() override;
  UINT GetConsoleOutputCP() override;
  BOOL SetConsoleCP(UINT code_page) override;
  BOOL SetConsoleOutputCP(UINT code_page) override;
  UINT GetOEMCP() override;
  UINT GetACP() override;
  LANGID GetUserDefaultUILanguage() override;
  int LCMapStringEx(const wchar_t* locale, DWORD flags, const wchar_t* source, int source_size,
                    wchar_t* destination, int destination_size) override;
  BOOL GetComputerNameW(wchar_t* buffer, DWORD* size) override;
  BOOL GetUserNameW(wchar_t* buffer, DWORD* size) override;
  BOOL GetVolumeInformationW(const wchar_t* root, wchar_t* label, DWORD label_size,
                             DWORD* serial) override;
  DWORD RestartManagerList(const wchar_t* path, std::vector<RM_PROCESS_INFO>* list) override;
  bool ProcessImagePath(DWORD id, std::wstring* path) override;
  int64_t CurrentTime() override;
  bool LocalTime(int64_t time, struct tm* fields) override;
  void Sleep(DWORD milliseconds) override;
};

// The layer in use: a RealSystemApi unless a ScopedSystemApi has replaced it.
SystemApi& Sys();

// Installs another layer for the lifetime of this object (tests only).
class ScopedSystemApi {
 public:
  explicit ScopedSystemApi(SystemApi& api);
  ~ScopedSystemApi();
  ScopedSystemApi(const ScopedSystemApi&) = delete;
  ScopedSystemApi& operator=(const ScopedSystemApi&) = delete;

 private:
  SystemApi* previous_;
};

}  // namespace sollux

#endif  // SOLLUX_BASE_SYSTEM_API_H_
