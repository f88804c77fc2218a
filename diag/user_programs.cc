#include "diag/user_programs.h"

#include <initializer_list>

#include "base/environment.h"
#include "base/file_system.h"
#include "base/path.h"
#include "base/system_api.h"
#include "diag/folder_listing.h"

namespace sollux {
namespace {

// UNLEN + 1.
constexpr DWORD kUserNameLength = 257;

bool Exists(const WString& path) { return PathExists(path.c_str(), false); }

WString InFolder(int csidl, const WString& name) {
  return WithTrailingSeparator(SpecialFolderPath(csidl), L'\\') + name;
}

// The name below the program-files folders; "" when it is in none of them.
WString InProgramFiles(const WString& name) {
  for (const WString& candidate :
       {InFolder(CSIDL_PROGRAM_FILES, name), WString(L"C:\\Program Files\\") + name,
        WString(L"C:\\Program Files (x86)\\") + name}) {
    if (Exists(candidate)) return candidate;
  }
  return WString();
}

// The file name of an ".exe" name in the Windows or system folder; "" when in neither.
WString InSystemFolders(const WString& name) {
  if (LowerFileExtension(name.c_str()) != L"exe") return WString();
  const WString file = FileNamePart(name);
  for (int csidl : {CSIDL_WINDOWS, CSIDL_SYSTEM}) {
    const WString candidate = InFolder(csidl, file);
    if (Exists(candidate)) return candidate;
  }
  return WString();
}

}  // namespace

WString UserName() {
  WString buffer(kUserNameLength, L'\0');
  DWORD size = kUserNameLength;
  WString name;
  if (Sys().GetUserNameW(buffer.data(), &size)) name = buffer.c_str();
  if (name.empty()) name = EnvironmentValue(L"USER");
  if (name.empty()) name = EnvironmentValue(L"USERNAME");
  return name;
}

WString LocateProgram(const wchar_t* name) {
  const WString given = name != nullptr ? name : L"";
  // An empty name would otherwise find the program-files folder itself.
  if (given.empty()) return given;
  if (Exists(given)) return given;
  WString found = InProgramFiles(given);
  if (found.empty()) found = InSystemFolders(given);
  return found.empty() ? given : found;
}

WString LowerFileExtension(const wchar_t* path) { return ToLower(FileExtension(path)); }

}  // namespace sollux
