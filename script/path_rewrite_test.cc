#include "script/path_rewrite.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <optional>

#include "base/system_api.h"
#include "base/win.h"
#include "test/scoped_environment.h"

namespace sollux {
namespace {

using test::ScopedEnvironmentVariable;

// Wine cannot be given a computer name per test; the substitute answers a fixed one, or fails.
class FixedComputerName : public RealSystemApi {
 public:
  explicit FixedComputerName(const wchar_t* name) : name_(name) {}
  BOOL GetComputerNameW(wchar_t* buffer, DWORD* size) override {
    if (name_ == nullptr) return FALSE;
    wcscpy(buffer, name_);
    *size = static_cast<DWORD>(wcslen(name_));
    return TRUE;
  }

 private:
  const wchar_t* name_;
};

TEST(BackupDestinationForTest, ExamplesOnMachinePc01) {
  const struct {
    const wchar_t* source;
    const wchar_t* destination;
    WString expected;
  } cases[] = {
      {L"C:\\Data\\Master", L"D:\\_Backup_", L"D:\\_Backup_\\PC01\\C\\Data\\Master"},
      {L"\\\\fileserver\\share\\data", L"D:\\_Backup_", L"D:\\_Backup_\\fileserver\\share\\data"},
      {L"C:/Data/50%/x", L"D:\\_backup_", L"D:\\_backup_\\PC01\\C\\Data\\50\\x"},
      {L"C:\\Data\\", L"E:/_BACKUP_", L"E:\\_BACKUP_\\PC01\\C\\Data"},
      {L"\"C:\\Data\"", L"\"D:\\_Backup_\"", L"D:\\_Backup_\\PC01\\C\\Data"},
      {L"C:\\Data", L"\"D:\\Copies\"", L"D:\\Copies"},
      {L"C:\\Data", L"D:\\Copies", L"D:\\Copies"},
      {L"\\\\fileserver\\share", L"D:\\Copies/", L"D:\\Copies/"},
      {L"C:\\Data", L"D:\\_Backup_x", L"D:\\_Backup_x"},
      {L"relative\\folder", L"_Backup_", L"_Backup_\\relative\\folder"},
  };
  FixedComputerName api(L"PC01");
  ScopedSystemApi scoped(api);
  for (const auto& c : cases) {
    SCOPED_TRACE(WString(c.source) + L" -> " + c.destination);
    EXPECT_EQ(c.expected, BackupDestinationFor(c.source, c.destination));
  }
}

// Inputs of the randomized tests that led a mirror, which deletes what its source lacks, out
// of the backup folder. "." and ".." are resolved as Windows resolves them in the source, never
// above the drive letter or the share; other names of full stops and blanks are left out.
TEST(BackupDestinationForTest, NothingClimbsOutOfTheBackupFolder) {
  const struct {
    const wchar_t* name;
    const wchar_t* computer;
    const wchar_t* source;
    WString expected;
  } cases[] = {
      {L"parent folders above the drive", L"PC01", L"C:\\..\\..\\..\\Windows",
       L"D:\\_Backup_\\PC01\\C\\Windows"},
      {L"parent folder inside the source", L"PC01", L"C:\\Data\\..\\Users\\anna",
       L"D:\\_Backup_\\PC01\\C\\Users\\anna"},
      {L"percent signs that become separators", L"PC01", L"C:\\Data\\..%..%..%..%x",
       L"D:\\_Backup_\\PC01\\C\\x"},
      {L"dots in a quoted element", L"PC01", L"C:\\'..\\..\\..\\..\\x'",
       L"D:\\_Backup_\\PC01\\C\\x'"},
      {L"slashes in a quoted element", L"PC01", L"C:/'../../../x'", L"D:\\_Backup_\\PC01\\C\\x'"},
      {L"parent folders above the share", L"PC01", L"\\\\server\\share\\..\\..\\x",
       L"D:\\_Backup_\\server\\share\\x"},
      {L"device path with a dot (from the randomized test)", L"PC01",
       L"\\\\.\\\\<x\\B)/Y\\/y%8*j/i\\\\.\\/\\%~dp0", L"D:\\_Backup_\\<x\\B)\\Y\\y\\8*j\\i\\~dp0"},
      {L"three dots and dots with blanks", L"PC01", L"C:\\a\\...\\.. \\b\\. ",
       L"D:\\_Backup_\\PC01\\C\\a\\b"},
      {L"computer name of two dots", L"..", L"C:\\Data", L"D:\\_Backup_\\C\\Data"},
      {L"computer name that climbs", L"a\\..\\..", L"C:\\Data", L"D:\\_Backup_\\C\\Data"},
      {L"names with dots in them are kept", L"PC01", L"C:\\a..b\\.x\\x.",
       L"D:\\_Backup_\\PC01\\C\\a..b\\.x\\x."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FixedComputerName api(c.computer);
    ScopedSystemApi scoped(api);
    EXPECT_EQ(c.expected, BackupDestinationFor(c.source, L"D:\\_Backup_"));
  }
}

// Clears the computer name and all four variables that stand in for it.
class NoMachineName : public testing::Test {
 protected:
  FixedComputerName api_{nullptr};
  ScopedSystemApi scoped_{api_};
  ScopedEnvironmentVariable computer_name_{L"COMPUTERNAME", std::nullopt};
  ScopedEnvironmentVariable user_domain_{L"USERDOMAIN", std::nullopt};
  ScopedEnvironmentVariable host_name_{L"HOSTNAME", std::nullopt};
  ScopedEnvironmentVariable name_{L"NAME", std::nullopt};
};

TEST_F(NoMachineName, DestinationWithoutMachineLevel) {
  EXPECT_EQ(L"", MachineName());
  EXPECT_EQ(L"D:\\_Backup_\\C\\Data", BackupDestinationFor(L"C:\\Data", L"D:\\_Backup_"));
}

TEST_F(NoMachineName, VariablesStandInForTheComputerNameInOrder) {
  using Value = std::optional<WString>;
  const struct {
    Value computer_name, user_domain, host_name, name;
    WString expected;
  } cases[] = {
      {L"FROM-CN", L"FROM-UD", L"FROM-HN", L"FROM-N", L"FROM-CN"},
      {std::nullopt, L"FROM-UD", L"FROM-HN", L"FROM-N", L"FROM-UD"},
      {std::nullopt, std::nullopt, L"FROM-HN", L"FROM-N", L"FROM-HN"},
      {std::nullopt, std::nullopt, std::nullopt, L"a name longer than fifteen",
       L"a name longer than fifteen"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.expected);
    ScopedEnvironmentVariable computer_name(L"COMPUTERNAME", c.computer_name);
    ScopedEnvironmentVariable user_domain(L"USERDOMAIN", c.user_domain);
    ScopedEnvironmentVariable host_name(L"HOSTNAME", c.host_name);
    ScopedEnvironmentVariable name(L"NAME", c.name);
    EXPECT_EQ(c.expected, MachineName());
  }
}

TEST(MachineNameTest, SystemNameWinsOverTheVariables) {
  ScopedEnvironmentVariable computer_name(L"COMPUTERNAME", L"FROM-CN");
  FixedComputerName api(L"PC01");
  ScopedSystemApi scoped(api);
  EXPECT_EQ(L"PC01", MachineName());
}

TEST(MachineNameTest, RealComputerNameFitsTheBuffer) {
  const WString name = MachineName();
  EXPECT_FALSE(name.empty());
  EXPECT_LE(name.size(), 15u);
}

// Wine can give a drive the network type, but not the UNC name of a mapped share.
class MappedDriveZ : public RealSystemApi {
 public:
  UINT GetDriveTypeW(const wchar_t* root) override {
    if (WString(root).starts_with(L"Z:")) return DRIVE_REMOTE;
    return RealSystemApi::GetDriveTypeW(root);
  }
  DWORD WNetGetConnectionW(const wchar_t* local, wchar_t* remote, DWORD* length) override {
    asked.push_back(local);
    if (WString(local) != L"Z:" || *length < 20) return ERROR_NOT_CONNECTED;
    wcscpy(remote, L"\\\\fileserver\\share");
    return NO_ERROR;
  }
  WStringList asked;
};

TEST(MappedDriveToUncTest, MappedDriveBecomesItsShare) {
  MappedDriveZ api;
  ScopedSystemApi scoped(api);
  EXPECT_EQ(L"\\\\fileserver\\share\\Projects\\2024", MappedDriveToUnc(L"Z:\\Projects\\2024"));
  EXPECT_EQ(L"\\\\fileserver\\share/x", MappedDriveToUnc(L"Z:/x"));
  EXPECT_EQ(L"\\\\fileserver\\share", MappedDriveToUnc(L"Z:"));
  EXPECT_EQ((WStringList{L"Z:", L"Z:", L"Z:"}), api.asked);
}

TEST(MappedDriveToUncTest, EverythingElseIsUnchanged) {
  MappedDriveZ api;
  ScopedSystemApi scoped(api);
  for (const wchar_t* path :
       {L"C:\\Users\\x", L"\\\\server\\share\\a", L"Z", L"", L"relative\\z:", L"zz:\\a"}) {
    SCOPED_TRACE(path);
    EXPECT_EQ(path, MappedDriveToUnc(path));
  }
  EXPECT_EQ(L"", MappedDriveToUnc(nullptr));
  EXPECT_TRUE(api.asked.empty());  // only a network drive is looked up
}

class UnknownConnection : public MappedDriveZ {
 public:
  DWORD WNetGetConnectionW(const wchar_t*, wchar_t*, DWORD*) override {
    return ERROR_CONNECTION_UNAVAIL;
  }
};

TEST(MappedDriveToUncTest, FailedLookupLeavesThePath) {
  UnknownConnection api;
  ScopedSystemApi scoped(api);
  EXPECT_EQ(L"Z:\\Projects", MappedDriveToUnc(L"Z:\\Projects"));
}

}  // namespace
}  // namespace sollux
