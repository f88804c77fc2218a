#include "test/child_process.h"

#include "base/win.h"
#include "test/temp_dir.h"

namespace sollux::test {
namespace {

constexpr DWORD kTimeoutMilliseconds = 60 * 1000;

// A file handle that the child inherits; closed when this object goes away.
class InheritedFile {
 public:
  InheritedFile(const std::wstring& path, DWORD access, DWORD disposition) {
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    handle_ = ::CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                            disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  }
  ~InheritedFile() {
    if (handle_ != INVALID_HANDLE_VALUE) ::CloseHandle(handle_);
  }
  InheritedFile(const InheritedFile&) = delete;
  InheritedFile& operator=(const InheritedFile&) = delete;
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

std::string WithoutCarriageReturns(const std::string& text) {
  std::string result;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    result += text[i];
  }
  return result;
}

// Starts the child with the three standard handles and waits for its end.
void StartAndWait(const std::wstring& program, std::wstring command_line, HANDLE in, HANDLE out,
                  HANDLE err, ChildOutput& result) {
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = in;
  startup.hStdOutput = out;
  startup.hStdError = err;
  PROCESS_INFORMATION process = {};
  result.started = ::CreateProcessW(program.c_str(), command_line.data(), nullptr, nullptr, TRUE,
                                    CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process);
  if (!result.started) return;
  if (::WaitForSingleObject(process.hProcess, kTimeoutMilliseconds) == WAIT_OBJECT_0) {
    DWORD code = 0;
    if (::GetExitCodeProcess(process.hProcess, &code)) result.exit_code = code;
  } else {
    ::TerminateProcess(process.hProcess, ~0u);
  }
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
}

}  // namespace

ChildOutput RunChildCommandLine(const std::wstring& program, const std::wstring& command_line) {
  ChildOutput result;
  ScopedTempDir dir;
  {
    InheritedFile in(L"NUL", GENERIC_READ, OPEN_EXISTING);
    InheritedFile out(dir / L"out", GENERIC_WRITE, CREATE_ALWAYS);
    InheritedFile err(dir / L"err", GENERIC_WRITE, CREATE_ALWAYS);
    StartAndWait(program, command_line, in.get(), out.get(), err.get(), result);
  }
  result.out = WithoutCarriageReturns(ReadFileBytes(dir / L"out"));
  result.err = WithoutCarriageReturns(ReadFileBytes(dir / L"err"));
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

}  // namespace sollux::test
