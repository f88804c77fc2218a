#include "script/path_rewrite.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <optional>

#include "base/system_api.h"
#include "base/win.h"
#include "test/fake_machine.h"

namespace sollux {
namespace {

using test::ScopedFakeMachine;

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
  ScopedFakeMachine machine;
  machine.computer_name = L"PC01";
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
  ScopedFakeMachine machine;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    machine.computer_name = c.computer;
    EXPECT_EQ(c.expected, BackupDestinationFor(c.source, L"D:\\_Backup_"));
  }
}

constexpr const wchar_t* kNameVariables[] = {L"COMPUTERNAME", L"USERDOMAIN", L"HOSTNAME", L"NAME"};

// Clears the computer name and all four variables that stand in for it.
class NoMachineName : public testing::Test {
 protected:
  NoMachineName() {
    machine_.computer_name_fails = true;
    for (const wchar_t* name : kNameVariables) machine_.variables[name] = std::nullopt;
  }
  ScopedFakeMachine machine_;
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
    const Value values[] = {c.computer_name, c.user_domain, c.host_name, c.name};
    for (size_t i = 0; i < 4; ++i) machine_.variables[kNameVariables[i]] = values[i];
    EXPECT_EQ(c.expected, MachineName());
  }
}

TEST(MachineNameTest, SystemNameWinsOverTheVariables) {
  ScopedFakeMachine machine;
  machine.variables[L"COMPUTERNAME"] = L"FROM-CN";
  machine.computer_name = L"PC01";
  EXPECT_EQ(L"PC01", MachineName());
}

// While a memo lives, the computer is asked its name once, however many lines name it.
TEST(MachineNameTest, AskedOnceWhileAMemoLives) {
  ScopedFakeMachine machine;
  machine.computer_name = L"PC01";
  {
    const ScopedMachineMemo memo;
    EXPECT_EQ(L"E:\\_Backup_\\PC01\\C\\a", BackupDestinationFor(L"C:\\a", L"E:\\_Backup_"));
    machine.computer_name = L"PC02";
    EXPECT_EQ(L"E:\\_Backup_\\PC01", ComputerBackupFolder(L"E:\\_Backup_"));
  }
  EXPECT_EQ(L"PC02", MachineName());
  EXPECT_EQ(2, machine.computer_name_asks);
}

TEST(MachineNameTest, RealComputerNameFitsTheBuffer) {
  const WString name = MachineName();
  EXPECT_FALSE(name.empty());
  EXPECT_LE(name.size(), 15u);
}

// Wine can give a drive the network type, but not the UNC name of a mapped share.
class MappedDriveToUncTest : public testing::Test {
 protected:
  MappedDriveToUncTest() {
    machine_.drive_types[L'Z'] = DRIVE_REMOTE;
    machine_.connections[L'Z'] = L"\\\\fileserver\\share";
  }
  ScopedFakeMachine machine_;
};

TEST_F(MappedDriveToUncTest, MappedDriveBecomesItsShare) {
  EXPECT_EQ(L"\\\\fileserver\\share\\Projects\\2024", MappedDriveToUnc(L"Z:\\Projects\\2024"));
  EXPECT_EQ(L"\\\\fileserver\\share/x", MappedDriveToUnc(L"Z:/x"));
  EXPECT_EQ(L"\\\\fileserver\\share", MappedDriveToUnc(L"Z:"));
  EXPECT_EQ((WStringList{L"Z:", L"Z:", L"Z:"}), machine_.connection_lookups);
}

TEST_F(MappedDriveToUncTest, EverythingElseIsUnchanged) {
  for (const wchar_t* path :
       {L"C:\\Users\\x", L"\\\\server\\share\\a", L"Z", L"", L"relative\\z:", L"zz:\\a"}) {
    SCOPED_TRACE(path);
    EXPECT_EQ(path, MappedDriveToUnc(path));
  }
  EXPECT_EQ(L"", MappedDriveToUnc(nullptr));
  EXPECT_TRUE(machine_.connection_lookups.empty());  // only a network drive is looked up
}

TEST_F(MappedDriveToUncTest, FailedLookupLeavesThePath) {
  machine_.connections[L'Z'] = L"";
  EXPECT_EQ(L"Z:\\Projects", MappedDriveToUnc(L"Z:\\Projects"));
}

}  // namespace
}  // namespace sollux
