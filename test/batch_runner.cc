#include "test/batch_runner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <cwctype>
#include <string_view>

#include "base/text_file.h"
#include "base/win.h"
#include "test/child_process.h"

namespace sollux::test {
namespace {

constexpr int kStartRetries = 2;
constexpr wchar_t kLogVariable[] = L"SOLLUX_STANDIN_LOG";
const wchar_t* const kStandIns[] = {L"robocopy.exe", L"timeout.exe"};

bool SameName(const std::wstring& a, const std::wstring& b) {
  return _wcsicmp(a.c_str(), b.c_str()) == 0;
}

std::wstring LowerStem(std::wstring name) {
  name.erase(std::min(name.rfind(L'.'), name.size()));
  for (wchar_t& c : name) c = static_cast<wchar_t>(std::towlower(c));
  return name;
}

// Splits the stand-ins' log into calls; see test/fixtures/record_call.cc for its layout.
std::vector<StandInCall> ParseCalls(const std::string& bytes) {
  std::wstring text(bytes.size() / 2, L'\0');
  std::memcpy(text.data(), bytes.data(), text.size() * 2);
  std::vector<std::wstring> fields;
  for (size_t start = 0, end; (end = text.find(L'\0', start)) != std::wstring::npos;
       start = end + 1) {
    fields.push_back(text.substr(start, end - start));
  }
  std::vector<StandInCall> calls;
  for (size_t i = 0; i < fields.size();) {
    const size_t count = std::wcstoul(fields[i].c_str(), nullptr, 10);
    if (count < 3 || i + 1 + count > fields.size()) {
      ADD_FAILURE() << "stand-in log is damaged";
      break;
    }
    StandInCall call{LowerStem(fields[i + 1]), fields[i + 2], fields[i + 3], {}};
    call.args.assign(fields.begin() + i + 4, fields.begin() + i + 1 + count);
    calls.push_back(std::move(call));
    i += 1 + count;
  }
  return calls;
}

std::wstring CommandInterpreter() {
  const wchar_t* comspec = _wgetenv(L"COMSPEC");
  if (comspec != nullptr && *comspec != L'\0') return comspec;
  wchar_t system[MAX_PATH + 1] = {};
  ::GetSystemDirectoryW(system, MAX_PATH);
  return std::wstring(system) + L"\\cmd.exe";
}

}  // namespace

std::vector<std::wstring> BatchRun::OutputLines() const {
  std::vector<std::wstring> lines;
  for (size_t start = 0; start < output.size();) {
    size_t end = output.find(L'\n', start);
    if (end == std::wstring::npos) end = output.size();
    std::wstring line = output.substr(start, end - start);
    if (!line.empty() && line.back() == L'\r') line.pop_back();
    lines.push_back(std::move(line));
    start = end + 1;
  }
  return lines;
}

std::vector<StandInCall> BatchRun::CallsOf(const std::wstring& program) const {
  std::vector<StandInCall> selected;
  for (const StandInCall& call : calls) {
    if (call.program == program) selected.push_back(call);
  }
  return selected;
}

std::vector<std::wstring> StandInCall::ProgramAndArgs() const {
  std::vector<std::wstring> all = {program};
  all.insert(all.end(), args.begin(), args.end());
  return all;
}

BatchRunner::BatchRunner() : bin_(dir_ / L"bin"), log_(dir_ / L"calls.log") {
  MakeFolders(bin_);
  for (const wchar_t* program : kStandIns) {
    const std::wstring from = FixtureProgram(program);
    if (!::CopyFileW(from.c_str(), (bin_ + L"\\" + program).c_str(), FALSE)) {
      ADD_FAILURE() << "stand-in missing: " << testing::PrintToString(from);
    }
  }
}

void BatchRunner::SetEnvironment(const std::wstring& name, const std::wstring& value) {
  for (auto& [known, known_value] : environment_) {
    if (SameName(known, name)) {
      known_value = value;
      return;
    }
  }
  environment_.emplace_back(name, value);
}

std::vector<std::pair<std::wstring, std::wstring>> BatchRunner::Environment() const {
  const wchar_t* path = _wgetenv(L"PATH");
  std::vector<std::pair<std::wstring, std::wstring>> settings = environment_;
  settings.emplace_back(kLogVariable, log_);
  std::wstring search = bin_ + L";" + (path != nullptr ? path : L"");
  for (const auto& [name, value] : environment_) {
    if (SameName(name, L"PATH")) search = bin_ + L";" + value;
  }
  settings.emplace_back(L"PATH", search);
  return settings;
}

BatchRun BatchRunner::Run(const std::wstring& text, const std::wstring& file_name) {
  const std::wstring path = dir_ / file_name;
  EXPECT_TRUE(WriteTextFile(path.c_str(), text)) << "cannot write the batch file";
  return RunFile(path);
}

void BatchRunner::ClearCalls() const { ::DeleteFileW(log_.c_str()); }

std::vector<StandInCall> BatchRunner::RecordedCalls() const {
  return ParseCalls(ReadFileBytes(log_));
}

bool StandInFailedToStart(const std::wstring& output) {
  size_t line = 0;
  while (line < output.size()) {
    // Wine's cmd.exe says either the command line alone or "Can't recognize '<line>' as ...".
    for (const std::wstring_view start :
         {L"timeout ", L"robocopy ", L"Can't recognize 'timeout ", L"Can't recognize 'robocopy "}) {
      if (output.compare(line, start.size(), start) == 0) return true;
    }
    const size_t end = output.find(L'\n', line);
    if (end == std::wstring::npos) break;
    line = end + 1;
  }
  return false;
}

BatchRun BatchRunner::RunFile(const std::wstring& path) {
  BatchRun run = RunOnce(path);
  for (int retry = 1; retry <= kStartRetries && StandInFailedToStart(run.output); ++retry) {
    std::fprintf(stderr, "cmd.exe could not start a stand-in; running the batch file again\n");
    run = RunOnce(path);
  }
  return run;
}

BatchRun BatchRunner::RunOnce(const std::wstring& path) {
  ClearCalls();
  const std::wstring interpreter = CommandInterpreter();
  const ChildOutput child =
      RunChildCommandLine(interpreter, L"\"" + interpreter + L"\" /c \"" + path + L"\"",
                          {Environment(), dir_.path(), /*error_into_output=*/true,
                           /*exact_bytes=*/true, /*input=*/""});
  if (!child.started) ADD_FAILURE() << "cannot start " << testing::PrintToString(interpreter);
  if (child.started && !child.finished) ADD_FAILURE() << "cmd.exe did not finish in time";
  BatchRun run;
  run.finished = child.finished;
  if (child.finished) run.exit_code = child.exit_code;
  run.output_bytes = child.out;
  run.output = FromShiftJis(run.output_bytes);
  run.calls = RecordedCalls();
  return run;
}

}  // namespace sollux::test
