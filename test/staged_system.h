// A machine for the tests of the batch script: the computer is named PC01, a few example
// folders that Wine's drives lack (D:\Data\Master, C:\Users\user1\Documents, ...) exist besides
// the real ones, and the scratch folder lies in a private temporary folder.
#ifndef SOLLUX_TEST_STAGED_SYSTEM_H_
#define SOLLUX_TEST_STAGED_SYSTEM_H_

#include <string>
#include <vector>

#include "base/system_api.h"
#include "test/scoped_environment.h"
#include "test/temp_dir.h"

namespace sollux::test {

// The layer itself: GetComputerNameW answers PC01, and the status of a staged folder (exact
// text, without a trailing separator) is that of a directory. Every other call is real.
class StagedFolderApi : public RealSystemApi {
 public:
  explicit StagedFolderApi(std::vector<std::wstring> folders) : folders_(std::move(folders)) {}

  BOOL GetComputerNameW(wchar_t* buffer, DWORD* size) override;
  int Stat64(const wchar_t* path, struct _stat64* record) override;

 private:
  std::vector<std::wstring> folders_;
};

// Installs a StagedFolderApi for `folders` and points TMP at a private folder, so that the
// scratch folder that the command line creates stays inside the test.
class StagedSystem {
 public:
  explicit StagedSystem(std::vector<std::wstring> folders = {});
  StagedSystem(const StagedSystem&) = delete;
  StagedSystem& operator=(const StagedSystem&) = delete;

  // The scratch folder, "Brevant.tmp" in the private temporary folder, without a trailing
  // separator.
  std::wstring ScratchFolder() const { return temp_ / L"Brevant.tmp"; }

 private:
  ScopedTempDir temp_;
  ScopedEnvironmentVariable tmp_;
  StagedFolderApi api_;
  ScopedSystemApi scoped_;
};

}  // namespace sollux::test

#endif  // SOLLUX_TEST_STAGED_SYSTEM_H_
