#include "test/scoped_environment.h"

#include <cstdlib>
#include <utility>

#include "base/win.h"

namespace sollux::test {
namespace {

std::optional<std::wstring> Variable(const std::wstring& name) {
  const wchar_t* value = _wgetenv(name.c_str());
  if (value == nullptr) return std::nullopt;
  return std::wstring(value);
}

// The C runtime keeps its own copy of the environment; _wputenv updates both it and the
// Windows block. "NAME=" removes the variable.
void SetVariable(const std::wstring& name, const std::optional<std::wstring>& value) {
  _wputenv((name + L"=" + value.value_or(L"")).c_str());
  ::SetEnvironmentVariableW(name.c_str(), value ? value->c_str() : nullptr);
}

}  // namespace

ScopedEnvironmentVariable::ScopedEnvironmentVariable(std::wstring name,
                                                     std::optional<std::wstring> value)
    : name_(std::move(name)), previous_(Variable(name_)) {
  SetVariable(name_, value);
}

ScopedEnvironmentVariable::~ScopedEnvironmentVariable() { SetVariable(name_, previous_); }

ScopedCurrentDirectory::ScopedCurrentDirectory(const std::wstring& path) {
  wchar_t buffer[MAX_PATH + 1] = {};
  ::GetCurrentDirectoryW(MAX_PATH, buffer);
  previous_ = buffer;
  ::SetCurrentDirectoryW(path.c_str());
}

ScopedCurrentDirectory::~ScopedCurrentDirectory() { ::SetCurrentDirectoryW(previous_.c_str()); }

}  // namespace sollux::test
