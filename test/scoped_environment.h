// Scoped changes of the test process's environment variables and current directory, undone
// when the object goes out of scope.
#ifndef SOLLUX_TEST_SCOPED_ENVIRONMENT_H_
#define SOLLUX_TEST_SCOPED_ENVIRONMENT_H_

#include <optional>
#include <string>

namespace sollux::test {

// Sets (or, with no value, removes) one variable in both the C runtime's and the Windows
// environment block, so that GetTempPathW and the like follow it too.
class ScopedEnvironmentVariable {
 public:
  ScopedEnvironmentVariable(std::wstring name, std::optional<std::wstring> value);
  ~ScopedEnvironmentVariable();
  ScopedEnvironmentVariable(const ScopedEnvironmentVariable&) = delete;
  ScopedEnvironmentVariable& operator=(const ScopedEnvironmentVariable&) = delete;

 private:
  std::wstring name_;
  std::optional<std::wstring> previous_;
};

class ScopedCurrentDirectory {
 public:
  explicit ScopedCurrentDirectory(const std::wstring& path);
  ~ScopedCurrentDirectory();
  ScopedCurrentDirectory(const ScopedCurrentDirectory&) = delete;
  ScopedCurrentDirectory& operator=(const ScopedCurrentDirectory&) = delete;

 private:
  std::wstring previous_;
};

}  // namespace sollux::test

#endif  // SOLLUX_TEST_SCOPED_ENVIRONMENT_H_
