// One machine for the tests, for what Wine cannot be given per test: the computer's name, the
// clock, which folders exist, network drives and environment variables. Whatever is not set
// goes to the real calls.
//
//   ScopedFakeMachine machine;  // the system layer while it lives
//   machine.computer_name = L"PC01";
//   machine.folders = {L"D:\\Data\\Master"};
//   machine.clock = kNow;
//
// A test that needs one more odd answer (a shell error code, a recorded process start) derives
// from FakeMachine and overrides that call.
#ifndef SOLLUX_TEST_FAKE_MACHINE_H_
#define SOLLUX_TEST_FAKE_MACHINE_H_

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "base/system_api.h"
#include "test/scoped_environment.h"
#include "test/temp_dir.h"

namespace sollux::test {

// Orders variable names as Windows compares them, without regard to letter case.
struct IgnoreCase {
  bool operator()(const std::wstring& a, const std::wstring& b) const;
};

class FakeMachine : public RealSystemApi {
 public:
  // What GetComputerNameW answers; like the real call it fails for a buffer too small.
  std::optional<std::wstring> computer_name;
  bool computer_name_fails = false;
  int computer_name_asks = 0;
  // The clock stands at this time (seconds since 1970); Sleep advances it instead of waiting.
  std::optional<int64_t> clock;
  int64_t slept_milliseconds = 0;
  // Folders that exist besides the real ones: exact texts, without a trailing separator.
  std::vector<std::wstring> folders;
  // Whether any other path exists, as a folder, without a look at the disk (paths in the private
  // temporary folder excepted). Such a machine has no short names either: the long form of a
  // path is the path itself, which Wine takes up to a millisecond to tell.
  std::function<bool(const std::wstring& path)> folder_rule;
  // GetDriveTypeW's answers by drive letter (a capital); 0 stands for every other root.
  std::map<wchar_t, UINT> drive_types;
  // WNetGetConnectionW's answers by drive letter; "" for a drive that is not connected.
  std::map<wchar_t, std::wstring> connections;
  // GetEnv's answers by variable name (in any letter case); no value for a missing variable.
  std::map<std::wstring, std::optional<std::wstring>, IgnoreCase> variables;

  // The programs that hold a file open, by its path: the Restart Manager's application name and
  // the program's path. Wine's Restart Manager finds nothing.
  struct Holder {
    std::wstring app;
    std::wstring image;
  };
  std::map<std::wstring, std::vector<Holder>, IgnoreCase> holders;

  // When set to a list, the path of every existence query (status, access or attributes; a
  // \\?\ form without its prefix) is added to it.
  std::optional<std::vector<std::wstring>> existence_queries;
  // The drives ("Z:") whose connection was looked up, in order.
  std::vector<std::wstring> connection_lookups;

  // Two of three texts exist, by a digest of the text.
  static bool DigestRule(const std::wstring& path);
  static bool NothingExists(const std::wstring&) { return false; }
  // Points TMP at a private folder, which stays on the real disk whatever the rule, so that the
  // scratch folder that the code creates stays inside the test. Answers that folder.
  const std::wstring& UsePrivateTemporaryFolder();

  BOOL GetComputerNameW(wchar_t* buffer, DWORD* size) override;
  int64_t CurrentTime() override;
  void Sleep(DWORD milliseconds) override;
  int Stat64(const wchar_t* path, struct _stat64* record) override;
  int Access(const wchar_t* path, int mode) override;
  BOOL GetFileAttributesExW(const wchar_t* path, WIN32_FILE_ATTRIBUTE_DATA* data) override;
  DWORD GetLongPathNameW(const wchar_t* path, wchar_t* buffer, DWORD size) override;
  UINT GetDriveTypeW(const wchar_t* root) override;
  DWORD WNetGetConnectionW(const wchar_t* local, wchar_t* remote, DWORD* length) override;
  const wchar_t* GetEnv(const wchar_t* name) override;
  DWORD RestartManagerList(const wchar_t* path, std::vector<RM_PROCESS_INFO>* list) override;
  bool ProcessImagePath(DWORD id, std::wstring* path) override;

 private:
  // Whether `path` exists by the list or the rule; nothing when the disk decides.
  std::optional<bool> Exists(const std::wstring& path);

  std::vector<std::wstring> images_;  // by process id
  std::optional<ScopedTempDir> temp_;
  std::optional<ScopedEnvironmentVariable> tmp_;
};

// The machine of the randomized tests: the computer is PC01 and the variables that stand in for
// its name are missing, folders exist by DigestRule, M: to P: are network drives connected to
// \\fileserver\share and every other drive is a fixed one, and TMP is private.
void StageRandomMachine(FakeMachine& machine);

// A FakeMachine that is the system layer for its lifetime.
class ScopedFakeMachine : public FakeMachine {
 private:
  ScopedSystemApi scoped_{*this};
};

}  // namespace sollux::test

#endif  // SOLLUX_TEST_FAKE_MACHINE_H_
