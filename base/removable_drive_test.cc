// Runs in a Wine prefix whose drives removable_drive_test.sh arranges anew for each test: E: a
// removable drive without a medium, F: a removable drive with one (a USB stick), G: a network
// drive. Each test names the arrangement it needs; the script runs it in that one only.
#include <gtest/gtest.h>

#include "base/environment.h"
#include "base/file_system.h"
#include "base/path.h"
#include "base/system_api.h"
#include "base/win.h"
#include "script/path_rewrite.h"
#include "test/fake_machine.h"
#include "test/scoped_environment.h"
#include "test/temp_dir.h"

namespace sollux {
namespace {

using test::ScopedEnvironmentVariable;
using test::ScopedTempDir;

// Runs the real calls and notes which roots were probed for a medium, and the error mode at
// that moment.
class ProbeObserver : public RealSystemApi {
 public:
  BOOL GetDiskFreeSpaceExW(const wchar_t* root, ULARGE_INTEGER* available, ULARGE_INTEGER* total,
                           ULARGE_INTEGER* free) override {
    probed.push_back(root);
    modes.push_back(::GetErrorMode());
    return RealSystemApi::GetDiskFreeSpaceExW(root, available, total, free);
  }
  WStringList probed;
  std::vector<UINT> modes;
};

// Error mode of the process before a test, put back afterwards.
class ErrorModeGuard {
 public:
  ErrorModeGuard() : previous_(::GetErrorMode()) {}
  ~ErrorModeGuard() { ::SetErrorMode(previous_); }

 private:
  UINT previous_;
};

TEST(StagedDrives, EmptySlotBeforeStick) {
  ErrorModeGuard guard;
  ::SetErrorMode(SEM_NOGPFAULTERRORBOX);
  ProbeObserver observer;
  ScopedSystemApi scoped(observer);
  EXPECT_EQ(5, FindFirstRemovableDrive());
  EXPECT_EQ((WStringList{L"E:\\", L"F:\\"}), observer.probed);
  for (UINT mode : observer.modes) {
    EXPECT_EQ(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX | SEM_NOGPFAULTERRORBOX, mode);
  }
  EXPECT_EQ(static_cast<UINT>(SEM_NOGPFAULTERRORBOX), ::GetErrorMode());
  EXPECT_EQ(L"F:/", RemovableDriveRoot());
}

TEST(StagedDrives, UsbStick) {
  EXPECT_EQ(5, FindFirstRemovableDrive());
  EXPECT_EQ(L"F:/", RemovableDriveRoot());
}

void ExpectScratchFolderAsRoot() {
  ScopedTempDir dir;
  ScopedEnvironmentVariable tmp(L"TMP", dir.path());
  EXPECT_EQ(-1, FindFirstRemovableDrive());
  const WString root = RemovableDriveRoot();
  EXPECT_EQ(dir / L"Brevant.tmp\\", root);
  EXPECT_TRUE(DirectoryExists(root.c_str()));
}

TEST(StagedDrives, OnlyEmptySlot) {
  ASSERT_EQ(static_cast<UINT>(DRIVE_REMOVABLE), ::GetDriveTypeW(L"E:\\"));
  ExpectScratchFolderAsRoot();
}

TEST(StagedDrives, NoRemovableDrive) { ExpectScratchFolderAsRoot(); }

// Wine gives G: the network type for real but knows no share behind it, so only the
// connection lookup is substituted.
TEST(StagedDrives, NetworkDriveIsRecognised) {
  test::ScopedFakeMachine machine;
  machine.connections[L'G'] = L"\\\\fileserver\\share";
  EXPECT_EQ(L"\\\\fileserver\\share\\Projects", MappedDriveToUnc(L"G:\\Projects"));
  EXPECT_EQ(L"F:\\Projects", MappedDriveToUnc(L"F:\\Projects"));
}

}  // namespace
}  // namespace sollux
