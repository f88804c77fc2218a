#include "script/path_rewrite.h"

#include "base/environment.h"
#include "base/path.h"
#include "base/system_api.h"
#include "base/text.h"
#include "base/win.h"

namespace sollux {
namespace {

constexpr DWORD kUncBufferSize = 260;
// NetBIOS computer names have at most 15 characters.
constexpr DWORD kComputerNameBufferSize = 16;

WString ConnectionOf(const WString& drive) {
  wchar_t remote[kUncBufferSize + 1] = {};
  DWORD length = kUncBufferSize;
  Sys().WNetGetConnectionW(drive.c_str(), remote, &length);
  return remote;
}

WString PlainText(const wchar_t* text) { return WString(text != nullptr ? text : L""); }

}  // namespace

WString MappedDriveToUnc(const wchar_t* path) {
  const WString whole = PlainText(path);
  if (whole.size() < 2) return whole;
  const WString drive = whole.substr(0, 2);
  // GetDriveTypeW documents a root with its backslash; the bare "Z:" is not reliably a root.
  if (drive[1] != L':' || Sys().GetDriveTypeW((drive + L"\\").c_str()) != DRIVE_REMOTE) {
    return whole;
  }
  const WString unc = ConnectionOf(drive);
  return unc.empty() ? whole : unc + whole.substr(2);
}

WString MachineName() {
  wchar_t buffer[kComputerNameBufferSize] = {};
  DWORD size = kComputerNameBufferSize;
  if (!Sys().GetComputerNameW(buffer, &size)) buffer[0] = L'\0';
  WString name = buffer;
  for (const wchar_t* variable : {L"COMPUTERNAME", L"USERDOMAIN", L"HOSTNAME", L"NAME"}) {
    if (!name.empty()) break;
    name = EnvironmentValue(variable);
  }
  return name;
}

WString BackupDestinationFor(const wchar_t* source, const wchar_t* destination) {
  WString dest = Unquote(destination);
  if (!EqualsIgnoreCase(FileNamePart(dest), kBackupFolderName)) return dest;
  WString src = NormalizeSeparators(Unquote(source), L'\\');
  if (FindIgnoreCase(src, L":", 0) != WString::npos) {
    dest = WithTrailingSeparator(dest) + MachineName();
  }
  src = JoinWithChar(SplitText(src, L"/:%"), L'\\');
  return NormalizeSeparators(WithTrailingSeparator(dest) + src, L'\\');
}

}  // namespace sollux
