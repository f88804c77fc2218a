// Opens a file or starts a program through the Windows shell, the way a double click would,
// and writes a readable description of a shell failure to the trace log.
#ifndef SOLLUX_JOB_SHELL_LAUNCHER_H_
#define SOLLUX_JOB_SHELL_LAUNCHER_H_

#include <cstdint>
#include <optional>

#include "base/win.h"
#include "base/wstring.h"

namespace sollux {

class ShellLauncher {
 public:
  ShellLauncher() = default;
  ShellLauncher(const ShellLauncher&) = delete;
  ShellLauncher& operator=(const ShellLauncher&) = delete;

  // The window show command of the shell call (SW_SHOWNORMAL until set).
  virtual bool SetShowCommand(int show_command);
  // The shell verb ("open", "print", "explore", "edit", "find", "properties", ...); without
  // one, the file's default verb.
  virtual bool SetVerb(const wchar_t* verb);
  // The file or program to open. A name that does not exist as given is looked up as a
  // program (LocateProgram) and stored as found.
  virtual bool SetFile(const wchar_t* file);
  // The command-line parameters; without a file they are what the shell opens.
  virtual bool SetParameters(const wchar_t* parameters);
  // Makes the shell call and does not wait for the started program. On failure the verb
  // "properties" is retried through ShellExecuteExW, silently; any other failure is described
  // in the trace log. True when the shell took the request.
  virtual bool Execute();
  // Opens the Windows Explorer with `parameters` (a folder, or switches and a folder).
  virtual bool Explore(const wchar_t* parameters);

 private:
  bool ExecuteProperties(const wchar_t* target, const wchar_t* arguments);
  void TraceFailure(uintptr_t rc) const;

  HWND owner_ = nullptr;
  int show_command_ = SW_SHOWNORMAL;
  std::optional<WString> verb_;
  std::optional<WString> file_;
  std::optional<WString> parameters_;
  // Never set: the shell call always gets no working directory.
  std::optional<WString> directory_;
};

}  // namespace sollux

#endif  // SOLLUX_JOB_SHELL_LAUNCHER_H_
