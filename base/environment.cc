#include "base/environment.h"

#include <initializer_list>

#include "base/file_system.h"
#include "base/folders.h"
#include "base/path.h"
#include "base/system_api.h"
#include "base/text.h"
#include "base/win.h"

namespace sollux {
namespace {

constexpr DWORD kPathBufferSize = 260;
constexpr DWORD kSpecialFolderBufferSize = 530;
constexpr int kDriveCount = 26;

using SpecialFolderPathFunction = BOOL(WINAPI*)(HWND, wchar_t*, int, BOOL);

WString FirstNonEmptyVariable(std::initializer_list<const wchar_t*> names) {
  for (const wchar_t* name : names) {
    WString value = EnvironmentValue(name);
    if (!value.empty()) return value;
  }
  return WString();
}

WString SystemTemporaryFolder() {
  wchar_t buffer[kPathBufferSize + 1] = {};
  Sys().GetTempPathW(kPathBufferSize, buffer);
  return buffer;
}

WString FallbackTemporaryFolder() {
  WString folder = FirstNonEmptyVariable({L"TMP", L"TMPDIR", L"TEMP"});
  if (!folder.empty()) return folder;
  WString user = FirstNonEmptyVariable({L"USER", L"USERNAME"});
  if (user.empty()) user = L"___";
  const WString base = DirectoryExists(L"/tmp") ? WString(L"/tmp/") : CurrentDirectory();
  folder = WithTrailingSeparator(base) + user;
  CreateDirectoryChain(folder);
  return folder;
}

// The older route to a shell folder, for systems whose Shell32 lacks SHGetSpecialFolderPathW.
WString SpecialFolderThroughItemList(int csidl) {
  IMalloc* allocator = nullptr;
  Sys().SHGetMalloc(&allocator);
  // Without the shell's allocator the item list could not be freed again.
  if (allocator == nullptr) return WString();
  PIDLIST_ABSOLUTE items = nullptr;
  Sys().SHGetSpecialFolderLocation(nullptr, csidl, &items);
  wchar_t buffer[kSpecialFolderBufferSize + 1] = {};
  if (items != nullptr) {
    Sys().SHGetPathFromIDListW(items, buffer);
    allocator->Free(items);
  }
  allocator->Release();
  return buffer;
}

WString DriveRoot(int index, wchar_t separator) {
  return WString{static_cast<wchar_t>(L'A' + index), L':', separator};
}

// Asking an empty floppy or card-reader slot about its medium would otherwise show the
// "insert a disk" dialog and wait for a click.
class ScopedQuietDriveErrors {
 public:
  ScopedQuietDriveErrors() : previous_(Sys().SetErrorMode(kQuiet)) {
    if ((previous_ | kQuiet) != kQuiet) Sys().SetErrorMode(previous_ | kQuiet);
  }
  ~ScopedQuietDriveErrors() { Sys().SetErrorMode(previous_); }
  ScopedQuietDriveErrors(const ScopedQuietDriveErrors&) = delete;
  ScopedQuietDriveErrors& operator=(const ScopedQuietDriveErrors&) = delete;

 private:
  static constexpr UINT kQuiet = SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX;
  UINT previous_;
};

bool HasMedium(int index) {
  ULARGE_INTEGER available{}, total{}, free{};
  return Sys().GetDiskFreeSpaceExW(DriveRoot(index, L'\\').c_str(), &available, &total, &free) !=
         FALSE;
}

}  // namespace

WString TemporaryFolder() {
  WString folder = LongPathName(SystemTemporaryFolder());
  if (FindIgnoreCase(folder, L"Windows", 0) != WString::npos) folder = CommonTemporaryFolder();
  if (folder.empty()) folder = FallbackTemporaryFolder();
  return WString(folder.c_str());
}

WString EnvironmentValue(const WString& name) {
  const wchar_t* value = Sys().GetEnv(name.c_str());
  return value != nullptr ? WString(value) : WString();
}

// Keeps the program's files out of the Windows installation (a program started by a service
// is given the Windows folder's Temp).
WString CommonTemporaryFolder() {
  const WString documents = SpecialFolderPath(CSIDL_COMMON_DOCUMENTS);
  return WithTrailingSeparator(WithTrailingSeparator(documents) + L"Temp") + L"Temp";
}

WString SpecialFolderPath(int csidl) {
  const HMODULE shell = Sys().LoadLibraryW(L"Shell32.dll");
  const FARPROC found =
      shell != nullptr ? Sys().GetProcAddress(shell, "SHGetSpecialFolderPathW") : nullptr;
  if (found == nullptr) return SpecialFolderThroughItemList(csidl);
  // Through a plain function pointer: GCC warns about casts between unrelated function types.
  const auto get_path =
      reinterpret_cast<SpecialFolderPathFunction>(reinterpret_cast<void (*)()>(found));
  wchar_t buffer[kSpecialFolderBufferSize + 1] = {};
  get_path(nullptr, buffer, csidl, (csidl & CSIDL_FLAG_CREATE) != 0);
  return buffer;
}

WString CurrentDirectory() {
  wchar_t buffer[kPathBufferSize + 1] = {};
  Sys().GetCurrentDirectoryW(kPathBufferSize, buffer);
  return buffer;
}

WString LongPathName(const WString& path) {
  wchar_t buffer[kPathBufferSize + 1] = {};
  const DWORD length = Sys().GetLongPathNameW(path.c_str(), buffer, kPathBufferSize);
  // A length of the buffer size or more is the size the long form would need.
  if (length == 0 || length >= kPathBufferSize) return path;
  return buffer;
}

int FindFirstRemovableDrive() {
  const WStringList roots = ReadyRemovableDrives(true);
  return roots.empty() ? -1 : roots.front()[0] - L'A';
}

WStringList ReadyRemovableDrives(bool first_only) {
  const ScopedQuietDriveErrors quiet;
  WStringList roots;
  for (int index = 0; index < kDriveCount && !(first_only && !roots.empty()); ++index) {
    if (Sys().GetDriveTypeW(DriveRoot(index, L'/').c_str()) != DRIVE_REMOVABLE) continue;
    if (HasMedium(index)) roots.push_back(DriveRoot(index, L'/'));
  }
  return roots;
}

WString RemovableDriveRoot() {
  const int index = FindFirstRemovableDrive();
  if (index >= 0) return DriveRoot(index, L'/');
  return WithTrailingSeparator(ScratchSubfolder(L""));
}

}  // namespace sollux
