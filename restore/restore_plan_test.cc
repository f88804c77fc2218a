#include "restore/restore_plan.h"

#include <gtest/gtest.h>

#include "base/win.h"

namespace sollux {
namespace {

TEST(RestorePlanTest, ArgumentsAreReadOrTheWrongOneNamed) {
  ArgumentFault fault;
  const auto all = ParseRestoreArguments(
      {L"/AT:2026-12-09", L"/folder:C:\\Data", L"/to:D:\\Back", L"/computer:PC01", L"/Yes"},
      &fault);
  ASSERT_TRUE(all);
  EXPECT_EQ(L"2026-12-09", all->at);
  EXPECT_EQ(L"C:\\Data", all->folder);
  EXPECT_EQ(L"D:\\Back", all->to);
  EXPECT_EQ(L"PC01", all->computer);
  EXPECT_TRUE(all->yes);
  EXPECT_FALSE(all->in_place);
  const struct {
    WStringList arguments;
    const wchar_t* named;
    bool twice;
  } wrong[] = {
      {{L"/at:"}, L"/at:", false},
      {{L"/attic:x"}, L"/attic:x", false},
      {{L"/to:D:\\", L"/inplace"}, L"/inplace", false},
      {{L"latest"}, L"latest", false},
      {{L"/y"}, L"/y", false},
      {{L"/to:D:\\a", L"/TO:D:\\b"}, L"/TO:D:\\b", true},
      {{L"/yes", L"/at:latest", L"/yes"}, L"/yes", true},
  };
  for (const auto& c : wrong) {
    SCOPED_TRACE(testing::PrintToString(c.arguments));
    fault = {};
    EXPECT_FALSE(ParseRestoreArguments(c.arguments, &fault));
    EXPECT_EQ(c.named, fault.argument);
    EXPECT_EQ(c.twice, fault.twice);
  }
}

TEST(RestorePlanTest, AWhenMeansTheLastBackupStartedAtOrBeforeIt) {
  std::vector<RunName> runs;
  for (const wchar_t* name : {L"2026-12-01 09.00.00", L"2026-12-09 09.31.00",
                              L"2026-12-09 09.31.00 (2)", L"2026-12-10 08.00.00"}) {
    runs.push_back(*ParseRunName(name));
  }
  const struct {
    const wchar_t* when;
    std::optional<size_t> backup;
  } cases[] = {
      {L"latest", 3},
      {L"2026-12-09", 2},  // the day's end, the second run in that second
      {L"2026-12-09 09:31:00", 2},
      {L"2026-12-09 09.31.00", 1},  // a backup's own name: that very backup
      {L"2026-12-09 09.31.00 (2)", 2},
      {L"2026-12-09 09.30.59", 0},
      {L"2026-12-09 09.31.01", 2},
      {L"2026-11-30", std::nullopt},
      {L"2027-01-01 00:00:00", 3},
      {L"2024-02-29", std::nullopt},  // a leap day
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.when);
    const std::optional<When> when = ParseWhen(c.when);
    ASSERT_TRUE(when);
    EXPECT_EQ(c.backup, BackupAt(runs, *when));
  }
  for (const wchar_t* wrong :
       {L"yesterday", L"2026-12-9", L"2026-12-09 9:31", L"2026-12-09T09:31:00",
        L"2026-12-09 09:31.00", L"2026-13-45", L"2026-12-10 25.61.61", L"2026-02-29",
        L"2026-12-09 24:00:00", L"2026-12-09 09.31.00 (1)", L"2026-12-09 09.31.00 (02)",
        L"\uFF12\uFF10\uFF12\uFF16-12-09"}) {
    SCOPED_TRACE(wrong);
    EXPECT_FALSE(ParseWhen(wrong));
  }
}

TEST(RestorePlanTest, ProfileFoldersGoBackToThisUsersOwn) {
  const ShellFolderOf mine = [](int csidl) -> WString {
    if (csidl == CSIDL_PERSONAL) return L"C:\\Users\\ben\\Documents";
    if (csidl == CSIDL_DESKTOPDIRECTORY) return L"D:\\Desk";
    return L"";
  };
  const struct {
    const wchar_t* original;
    const wchar_t* in_place;
  } cases[] = {
      {L"C:\\Users\\anna\\Documents", L"C:\\Users\\ben\\Documents"},
      {L"C:\\users\\anna\\documents\\PLUMA\\2026", L"C:\\Users\\ben\\Documents\\PLUMA\\2026"},
      {L"E:\\Users\\anna\\Desktop", L"D:\\Desk"},
      {L"C:\\Users\\anna\\Music", L"C:\\Users\\anna\\Music"},  // this user has none
      {L"C:\\Users\\Public\\Documents", L"C:\\Users\\Public\\Documents"},
      {L"C:\\Users\\anna", L"C:\\Users\\anna"},
      {L"C:\\Data\\Users\\anna\\Documents", L"C:\\Data\\Users\\anna\\Documents"},
      {L"\\\\server\\share\\Users\\Documents", L"\\\\server\\share\\Users\\Documents"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.original);
    EXPECT_EQ(c.in_place, InPlaceFolder(c.original, mine));
  }
  EXPECT_TRUE(SameFolder(L"c:\\users\\ANNA\\documents\\", L"C:\\Users\\anna\\Documents"));
  EXPECT_FALSE(SameFolder(L"C:\\Users\\anna\\Doc", L"C:\\Users\\anna\\Documents"));
  EXPECT_EQ(L"C\\Users\\anna", PlaceBelowComputer(L"pc01\\C\\Users\\anna", L"PC01"));
  EXPECT_EQ(L"server\\share\\a", PlaceBelowComputer(L"server\\share\\a", L"PC01"));
}

}  // namespace
}  // namespace sollux
