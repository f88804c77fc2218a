#include "test/child_process.h"

#include <algorithm>
#include <cwchar>
#include <memory>

#include "base/win.h"
#include "test/temp_dir.h"

namespace sollux::test {
namespace {

// Two minutes: cmd.exe under Wine takes its time when the machine is busy.
constexpr DWORD kTimeoutMilliseconds = 120 * 1000;

struct HandleCloser {
  void operator()(HANDLE handle) const {
    if (handle != INVALID_HANDLE_VALUE) ::CloseHandle(handle);
  }
};
using UniqueHandle = std::unique_ptr<void, HandleCloser>;

// A file handle that the child inherits (invalid when the file does not open).
UniqueHandle InheritedFile(const std::wstring& path, DWORD access, DWORD disposition) {
  SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
  return UniqueHandle(::CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    &inherit, disposition, FILE_ATTRIBUTE_NORMAL, nullptr));
}

std::string WithoutCarriageReturns(const std::string& text) {
  std::string result;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    result += text[i];
  }
  return result;
}

bool SameName(const std::wstring& a, const std::wstring& b) {
  return _wcsicmp(a.c_str(), b.c_str()) == 0;
}

// The test's environment block with `changes` made: "NAME=value" entries, each ended by a NUL,
// and a NUL after the last.
std::wstring EnvironmentBlock(const std::vector<std::pair<std::wstring, std::wstring>>& changes) {
  std::wstring block;
  wchar_t* inherited = ::GetEnvironmentStringsW();
  for (const wchar_t* entry = inherited; *entry != L'\0'; entry += std::wcslen(entry) + 1) {
    const std::wstring text = entry;
    const std::wstring name = text.substr(0, text.find(L'=', 1));
    if (std::none_of(changes.begin(), changes.end(),
                     [&](const auto& change) { return SameName(change.first, name); })) {
      block += text + L'\0';
    }
  }
  ::FreeEnvironmentStringsW(inherited);
  for (const auto& [name, value] : changes) {
    if (!value.empty()) block += name + L"=" + value + L'\0';
  }
  return block + L'\0';
}

// Starts the child with the three standard handles and waits for its end.
void StartAndWait(const std::wstring& program, std::wstring command_line, const ChildSetup& setup,
                  const HANDLE (&handles)[3], ChildOutput& result) {
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = handles[0];
  startup.hStdOutput = handles[1];
  startup.hStdError = handles[2];
  std::wstring environment;
  if (!setup.environment.empty()) environment = EnvironmentBlock(setup.environment);
  const wchar_t* folder = setup.folder.empty() ? nullptr : setup.folder.c_str();
  PROCESS_INFORMATION process = {};
  result.started = ::CreateProcessW(program.c_str(), command_line.data(), nullptr, nullptr, TRUE,
                                    CREATE_NO_WINDOW | CREATE_UNICODE_ENVIRONMENT,
                                    environment.empty() ? nullptr : environment.data(), folder,
                                    &startup, &process);
  if (!result.started) return;
  result.finished = ::WaitForSingleObject(process.hProcess, kTimeoutMilliseconds) == WAIT_OBJECT_0;
  DWORD code = 0;
  if (!result.finished) {
    ::TerminateProcess(process.hProcess, ~0u);
  } else if (::GetExitCodeProcess(process.hProcess, &code)) {
    result.exit_code = code;
  }
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
}

}  // namespace

ChildOutput RunChildCommandLine(const std::wstring& program, const std::wstring& command_line,
                                const ChildSetup& setup) {
  ChildOutput result;
  ScopedTempDir dir;
  if (!setup.input.empty()) WriteFileBytes(dir / L"in", setup.input);
  {
    const UniqueHandle in = InheritedFile(setup.input.empty() ? L"NUL" : dir / L"in",
                                          GENERIC_READ, OPEN_EXISTING);
    const UniqueHandle out = InheritedFile(dir / L"out", GENERIC_WRITE, CREATE_ALWAYS);
    const UniqueHandle err = InheritedFile(dir / L"err", GENERIC_WRITE, CREATE_ALWAYS);
    const HANDLE handles[3] = {in.get(), out.get(),
                               setup.error_into_output ? out.get() : err.get()};
    StartAndWait(program, command_line, setup, handles, result);
  }
  for (auto [name, bytes] : {std::pair(L"out", &result.out), std::pair(L"err", &result.err)}) {
    *bytes = ReadFileBytes(dir / name);
    if (!setup.exact_bytes) *bytes = WithoutCarriageReturns(*bytes);
  }
  return result;
}

ChildOutput RunChild(const std::wstring& program, const std::vector<std::wstring>& arguments) {
  std::wstring command_line = QuoteArgument(program);
  for (const auto& argument : arguments) command_line += L" " + QuoteArgument(argument);
  return RunChildCommandLine(program, command_line);
}

std::wstring QuoteArgument(const std::wstring& argument) {
  if (!argument.empty() && argument.find_first_of(L" \t\"") == std::wstring::npos) {
    return argument;
  }
  std::wstring quoted = L"\"";
  size_t backslashes = 0;
  for (wchar_t c : argument) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    // Backslashes double only before a quote.
    quoted.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
    backslashes = 0;
    quoted += c;
  }
  quoted.append(2 * backslashes, L'\\');
  return quoted + L"\"";
}

std::wstring HostPath(const std::string& path) {
  const int length =
      ::MultiByteToWideChar(CP_UTF8, 0, path.data(), static_cast<int>(path.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(length), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, path.data(), static_cast<int>(path.size()), wide.data(),
                        length);
  if (wide.empty() || wide.front() != L'/') return wide;
  for (wchar_t& c : wide) {
    if (c == L'/') c = L'\\';
  }
  return L"Z:" + wide;
}

std::wstring FixtureProgram(const std::wstring& file_name) {
  return HostPath(SOLLUX_FIXTURE_DIR) + L"\\" + file_name;
}

std::wstring SolluxProgram() { return HostPath(SOLLUX_EXE); }
std::wstring RestoreProgram() { return HostPath(SOLLUX_RESTORE_EXE); }

}  // namespace sollux::test
