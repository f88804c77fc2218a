#include "script/path_rewrite.h"

#include <algorithm>

#include "base/environment.h"
#include "base/folders.h"
#include "base/path.h"
#include "base/system_api.h"
#include "base/text.h"
#include "base/win.h"

namespace sollux {
namespace {

constexpr DWORD kUncBufferSize = 260;
// NetBIOS computer names have at most 15 characters.
constexpr DWORD kComputerNameBufferSize = 16;

ScopedMachineMemo* machine_memo = nullptr;

unsigned DriveTypeOf(const WString& root) {
  if (machine_memo != nullptr) return machine_memo->DriveType(root);
  return Sys().GetDriveTypeW(root.c_str());
}

WString ConnectionOf(const WString& drive) {
  wchar_t remote[kUncBufferSize + 1] = {};
  DWORD length = kUncBufferSize;
  Sys().WNetGetConnectionW(drive.c_str(), remote, &length);
  return remote;
}

WString AskedMachineName() {
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

// Full stops and blanks alone: ".." names the folder above, and Windows trims trailing full
// stops and blanks from a path's last name, so "..." or ".. " may act as "." or "..".
bool IsDotElement(const WString& element) {
  return element.find(L'.') != WString::npos && element.find_first_not_of(L". ") == WString::npos;
}

// The elements between every backslash and slash, quoted or not (Windows does not care for
// quotes in a path).
WStringList PathElements(const WString& path) {
  WStringList elements;
  for (size_t start = 0, end; start <= path.size(); start = end + 1) {
    end = std::min(path.find_first_of(L"\\/", start), path.size());
    elements.push_back(path.substr(start, end - start));
  }
  return elements;
}

// `part`, a folder text to be placed below the backup folder, with "." and ".." resolved as
// Windows resolves them in the source, never above its first `root` elements (the drive letter,
// or the server and share), and other elements of full stops and blanks left out. A source such
// as C:\..\..\Windows, or a folder named ..%..%x whose percent signs become separators, must
// not lead the mirror, which deletes what its source lacks, out of the backup folder. A part
// without such elements comes back as it is.
WString WithoutDotElements(const WString& part, size_t root) {
  const WStringList elements = PathElements(part);
  if (std::none_of(elements.begin(), elements.end(), IsDotElement)) return part;
  WStringList kept;
  for (const WString& element : elements) {
    if (element == L"..") {
      if (kept.size() > root) kept.pop_back();
    } else if (!element.empty() && !IsDotElement(element)) {
      kept.push_back(element);
    }
  }
  return JoinWithChar(kept, L'\\');
}

}  // namespace

WString MappedDriveToUnc(const wchar_t* path) {
  const WString whole = TextOrEmpty(path);
  if (whole.size() < 2) return whole;
  const WString drive = whole.substr(0, 2);
  // GetDriveTypeW documents a root with its backslash; the bare "Z:" is not reliably a root.
  if (drive[1] != L':' || DriveTypeOf(drive + L"\\") != DRIVE_REMOTE) {
    return whole;
  }
  const WString unc = ConnectionOf(drive);
  return unc.empty() ? whole : unc + whole.substr(2);
}

ScopedMachineMemo::ScopedMachineMemo() : previous_(machine_memo) { machine_memo = this; }

ScopedMachineMemo::~ScopedMachineMemo() { machine_memo = previous_; }

unsigned ScopedMachineMemo::DriveType(const WString& root) {
  for (const auto& [known_root, type] : known_) {
    if (known_root == root) return type;
  }
  known_.emplace_back(root, Sys().GetDriveTypeW(root.c_str()));
  return known_.back().second;
}

const WString& ScopedMachineMemo::MachineName() {
  if (!machine_name_) machine_name_ = AskedMachineName();
  return *machine_name_;
}

WString MachineName() {
  return machine_memo != nullptr ? machine_memo->MachineName() : AskedMachineName();
}

namespace {

// The computer's folder below the unquoted backup folder `folder`.
WString MachineFolderOf(const WString& folder) {
  return WithTrailingSeparator(folder) + WithoutDotElements(MachineName(), 0);
}

}  // namespace

WString ComputerBackupFolder(const wchar_t* backup_folder) {
  return NormalizeSeparators(MachineFolderOf(Unquote(backup_folder)), L'\\');
}

WString BackupDestinationFor(const wchar_t* source, const wchar_t* destination) {
  WString dest = Unquote(destination);
  if (!EqualsIgnoreCase(FileNamePart(dest), kBackupFolderName)) return dest;
  WString src = NormalizeSeparators(Unquote(source), L'\\');
  const bool drive_path = FindIgnoreCase(src, L":", 0) != WString::npos;
  const bool unc_path = src.starts_with(L"\\\\");
  if (drive_path) dest = MachineFolderOf(dest);
  src = JoinWithChar(SplitText(src, L"/:%"), L'\\');
  src = WithoutDotElements(src, drive_path ? 1 : unc_path ? 2 : 0);
  return NormalizeSeparators(WithTrailingSeparator(dest) + src, L'\\');
}

}  // namespace sollux
