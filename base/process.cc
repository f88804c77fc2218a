#include "base/process.h"

#include <cwctype>
#include <vector>

#include "base/path.h"
#include "base/system_api.h"
#include "base/text.h"
#include "base/win.h"

namespace sollux {
namespace {

// Owns one kernel handle.
class UniqueHandle {
 public:
  explicit UniqueHandle(HANDLE handle) : handle_(handle) {}
  ~UniqueHandle() {
    if (handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE) Sys().CloseHandle(handle_);
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

// The name of an entry in upper case, as Windows compares environment names.
WString UpperName(const WString& entry) {
  WString name = entry.substr(0, entry.find(L'=', 1));
  for (wchar_t& c : name) c = static_cast<wchar_t>(towupper(c));
  return name;
}

}  // namespace

WStringList EnvironmentEntries() {
  WStringList entries;
  wchar_t* block = Sys().GetEnvironmentStringsW();
  if (block == nullptr) return entries;
  for (const wchar_t* entry = block; *entry != L'\0'; entry += entries.back().size() + 1) {
    entries.emplace_back(entry);
  }
  Sys().FreeEnvironmentStringsW(block);
  return entries;
}

WStringList WithVariable(WStringList entries, const WString& name, const WString& value) {
  const WString entry = name + L"=" + value;
  const WString key = UpperName(name);
  for (WString& other : entries) {
    if (UpperName(other) == key) {
      other = entry;
      return entries;
    }
  }
  auto at = entries.begin();
  while (at != entries.end() && (at->starts_with(L"=") || UpperName(*at) < key)) ++at;
  entries.insert(at, entry);
  return entries;
}

WString EnvironmentBlock(const WStringList& entries) {
  WString block;
  for (const WString& entry : entries) block += entry + L'\0';
  return block + L'\0';
}

bool RunAndWait(const WString& command_line, const WString& environment, uint32_t* exit_code) {
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  WString writable = command_line;  // CreateProcessW may write into the command line
  WString block = environment;
  // Inheriting handles hands the child this process's standard handles, as the C runtime's
  // system call does: its output goes where ours goes.
  if (!Sys().CreateProcessW(nullptr, writable.data(), TRUE, CREATE_UNICODE_ENVIRONMENT,
                            block.data(), nullptr, &startup, &process)) {
    return false;
  }
  const UniqueHandle owned_process(process.hProcess);
  const UniqueHandle owned_thread(process.hThread);
  Sys().WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 0;
  Sys().GetExitCodeProcess(process.hProcess, &code);
  *exit_code = code;
  return true;
}

WString FileHolders(const WString& path) {
  std::vector<RM_PROCESS_INFO> processes;
  if (Sys().RestartManagerList(OpenablePath(path).c_str(), &processes) != ERROR_SUCCESS) {
    return WString();
  }
  WStringList names;
  for (const RM_PROCESS_INFO& process : processes) {
    WString name = process.strAppName;
    WString image;
    if (Sys().ProcessImagePath(process.Process.dwProcessId, &image)) {
      name = name.empty() ? FileNamePart(image) : name + L" (" + FileNamePart(image) + L")";
    }
    if (!name.empty()) names.push_back(name);
  }
  return JoinWithText(UniqueInOrder(names), L", ");
}

}  // namespace sollux
