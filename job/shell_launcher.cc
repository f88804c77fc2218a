#include "job/shell_launcher.h"

#include <cstdint>

#include "base/file_system.h"
#include "base/path.h"
#include "base/system_api.h"
#include "base/text.h"
#include "diag/trace_log.h"
#include "diag/user_programs.h"

namespace sollux {
namespace {

// ShellExecuteW answers a value above 32 on success, else one of these error codes.
constexpr uintptr_t kLastErrorCode = 32;

struct ShellError {
  uintptr_t rc;
  const wchar_t* text;
};

constexpr ShellError kShellErrors[] = {
    {0, L"The operating system is out of memory or resources."},
    {ERROR_FILE_NOT_FOUND, L"The specified file was not found."},
    {ERROR_PATH_NOT_FOUND, L"The specified path was not found."},
    {SE_ERR_ACCESSDENIED, L"The operating system denied access to the specified file."},
    {SE_ERR_OOM, L"There was not enough memory to complete the operation."},
    {ERROR_BAD_FORMAT, L"The .EXE file is invalid (non-Win32 .EXE or error in .EXE image)."},
    {SE_ERR_SHARE, L"A sharing violation occurred."},
    {SE_ERR_ASSOCINCOMPLETE, L"The filename association is incomplete or invalid."},
    {SE_ERR_DDETIMEOUT,
     L"The DDE transaction could not be completed because the request timed out."},
    {SE_ERR_DDEFAIL, L"The DDE transaction failed."},
    {SE_ERR_DDEBUSY,
     L"The DDE transaction could not be completed because other DDE transactions were being "
     L"processed."},
    {SE_ERR_NOASSOC, L"There is no application associated with the given file name extension."},
    {SE_ERR_DLLNOTFOUND, L"The specified dynamic-link library was not found."},
};

const wchar_t* PointerTo(const std::optional<WString>& text) {
  return text ? text->c_str() : nullptr;
}

WString ValueOrEmpty(const std::optional<WString>& text) { return text.value_or(WString()); }

}  // namespace

bool ShellLauncher::SetShowCommand(int show_command) {
  show_command_ = show_command;
  return true;
}

bool ShellLauncher::SetVerb(const wchar_t* verb) {
  verb_ = TextOrEmpty(verb);
  return true;
}

bool ShellLauncher::SetFile(const wchar_t* file) {
  file_ = PathExists(file, false) ? WString(TextOrEmpty(file)) : LocateProgram(file);
  return true;
}

bool ShellLauncher::SetParameters(const wchar_t* parameters) {
  parameters_ = TextOrEmpty(parameters);
  return true;
}

bool ShellLauncher::Execute() {
  const wchar_t* target = file_ ? file_->c_str() : PointerTo(parameters_);
  const wchar_t* arguments = file_ ? PointerTo(parameters_) : nullptr;
  const HINSTANCE result = Sys().ShellExecuteW(owner_, PointerTo(verb_), target, arguments,
                                               PointerTo(directory_), show_command_);
  const auto rc = reinterpret_cast<uintptr_t>(result);
  if (rc > kLastErrorCode) return true;
  if (ValueOrEmpty(verb_) == L"properties") return ExecuteProperties(target, arguments);
  TraceFailure(rc);
  return false;
}

bool ShellLauncher::Explore(const wchar_t* parameters) {
  SetFile(L"explorer.exe");
  SetParameters(parameters);
  return Execute();
}

// The properties dialog needs the shell's item menu, which only ShellExecuteExW invokes.
bool ShellLauncher::ExecuteProperties(const wchar_t* target, const wchar_t* arguments) {
  SHELLEXECUTEINFOW info = {};
  // The size of the record as this program is built (112 bytes on x64); the system checks it
  // to tell which record it was given.
  info.cbSize = sizeof(info);
  info.fMask = SEE_MASK_INVOKEIDLIST;
  info.hwnd = owner_;
  info.lpVerb = PointerTo(verb_);
  info.lpFile = target;
  info.lpParameters = arguments;
  info.lpDirectory = PointerTo(directory_);
  info.nShow = SW_SHOWNORMAL;
  return Sys().ShellExecuteExW(&info) != FALSE;
}

void ShellLauncher::TraceFailure(uintptr_t rc) const {
  WString description;
  for (const ShellError& error : kShellErrors) {
    if (error.rc == rc) description = error.text;
  }
  if (description.empty()) {
    description = L"Error\n" + ValueOrEmpty(file_) + L"\n" + ValueOrEmpty(parameters_);
  }
  description += L"\nOperation=" + EnclosedIn(ValueOrEmpty(verb_), L'"');
  description += L"\nFile=" + EnclosedIn(ValueOrEmpty(file_), L'"');
  description += L"\nParamaters=" + EnclosedIn(ValueOrEmpty(parameters_), L'"');
  WriteTrace(description);
}

}  // namespace sollux
