// A machine for the randomized tests of the job and the batch script. The computer's name is
// whatever the test sets (or the call fails), and so are the environment fallbacks of that
// name; whether a folder exists is decided by a digest of its text, so a test can ask the same
// of DirectoryExists and know which of its random folders the script must name. Drives M: to
// P: are network drives connected to what the test sets. Only paths in the private temporary
// folder (TMP, where the command line creates its scratch folder) reach the disk, and the long
// form of a path is the path itself. Wine takes up to a millisecond for a drive type or a long
// path; without them, a command line costs microseconds.
#ifndef SOLLUX_TEST_RANDOM_MACHINE_H_
#define SOLLUX_TEST_RANDOM_MACHINE_H_

#include <map>
#include <string>

#include "base/file_system.h"
#include "base/system_api.h"
#include "test/scoped_environment.h"
#include "test/temp_dir.h"

namespace sollux::test {

class RandomMachineApi : public RealSystemApi {
 public:
  explicit RandomMachineApi(std::wstring real_root) : real_root_(std::move(real_root)) {}

  // The name that GetComputerNameW answers; a name that does not fit the caller's buffer
  // fails as the real call does.
  void SetComputerName(std::wstring name) { computer_name_ = std::move(name); }
  // The remote name of the network drives; "" for a failing lookup.
  void SetConnection(std::wstring remote) { connection_ = std::move(remote); }
  // The value of an environment variable; "" stands for a missing one.
  void SetVariable(const std::wstring& name, std::wstring value) { variables_[name] = value; }

  // Whether the stand-in lets `path` exist as a folder: two of three texts do.
  static bool Exists(const std::wstring& path);

  DWORD GetLongPathNameW(const wchar_t* path, wchar_t* buffer, DWORD size) override;
  UINT GetDriveTypeW(const wchar_t* root) override;
  DWORD WNetGetConnectionW(const wchar_t* local, wchar_t* remote, DWORD* length) override;
  BOOL GetComputerNameW(wchar_t* buffer, DWORD* size) override;
  const wchar_t* GetEnv(const wchar_t* name) override;
  int Stat64(const wchar_t* path, struct _stat64* record) override;
  int Access(const wchar_t* path, int mode) override;

 private:
  bool IsReal(const wchar_t* path) const;

  std::wstring real_root_;
  std::wstring computer_name_ = L"PC01";
  std::wstring connection_ = L"\\\\fileserver\\share";
  std::map<std::wstring, std::wstring> variables_;
};

// Installs a RandomMachineApi with TMP pointing at a private folder.
class RandomMachine {
 public:
  RandomMachine();
  RandomMachine(const RandomMachine&) = delete;
  RandomMachine& operator=(const RandomMachine&) = delete;

  RandomMachineApi& api() { return api_; }

 private:
  ScopedTempDir temp_;
  ScopedEnvironmentVariable tmp_;
  RandomMachineApi api_;
  ScopedSystemApi scoped_;
};

}  // namespace sollux::test

#endif  // SOLLUX_TEST_RANDOM_MACHINE_H_
