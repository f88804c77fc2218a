#include "mirror/versions.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "base/path.h"
#include "base/system_api.h"
#include "base/win.h"
#include "test/temp_dir.h"

namespace sollux {
namespace {

using test::MakeUnixLink;
using test::ReadFileBytes;
using test::ScopedTempDir;
using test::WriteFileBytes;

constexpr int64_t kRunTime = 1765272600;  // 2025-12-09 09:30:00 UTC

bool Exists(const WString& path) {
  return ::GetFileAttributesW(LongPathForm(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// One run's store with its layout and records, begun as a backup begins it.
struct BackupRun {
  BackupRun(const WString& backup, const WString& computer, int64_t time)
      : layout(backup, computer), records(&layout), store(&layout, &records, time) {
    store.Begin();
  }
  StickLayout layout;
  BackupRecords records;
  VersionStore store;
};

WString NameAt(int64_t time) { return RunNameAt(time).Text(); }

// A stick with one computer's backup of C:\Data: E:\_Backup_\PC01\C\Data.
class VersionsTest : public testing::Test {
 protected:
  WString Backup() const { return dir_ / L"_Backup_"; }
  WString Computer() const { return Backup() + L"\\PC01"; }
  WString Copy() const { return Computer() + L"\\C\\Data"; }
  WString Source() const { return dir_ / L"source"; }
  WString Kept(const VersionStore& store, const WString& relative) const {
    return store.run_folder() + L"\\PC01\\C\\Data\\" + relative;
  }
  FolderLook LookOf(std::vector<DoomedEntry> doomed) const {
    FolderLook look;
    look.source = Source();
    look.destination = Copy();
    look.doomed = std::move(doomed);
    return look;
  }

  ScopedTempDir dir_;
};

// Files and whole folders move (read-only ones too), each keeping its path below _Backup_;
// the backup folder may be named with slashes, as the job names it.
TEST_F(VersionsTest, KeepMovesEachEntryBelowTheRunFolder) {
  WriteFileBytes(Copy() + L"\\plan.txt", "old plan");
  WriteFileBytes(Copy() + L"\\old\\a.txt", "a");
  WriteFileBytes(Copy() + L"\\old\\deep\\b.txt", "b");
  WriteFileBytes(Copy() + L"\\locked.txt", "ro");
  ::SetFileAttributesW((Copy() + L"\\locked.txt").c_str(), FILE_ATTRIBUTE_READONLY);
  BackupRun run(NormalizeSeparators(Backup(), L'/'), Computer(), kRunTime);
  VersionStore& store = run.store;
  EXPECT_EQ(Computer() + L"\\Sollux-versions\\" + NameAt(kRunTime), store.run_folder());

  const FolderLook look = LookOf({{L"plan.txt", false, true, 1},
                                  {L"old", true, false, 2},
                                  {L"locked.txt", false, false, 1},
                                  {L"never there.txt", false, false, 1}});
  const FolderVersions kept = store.Keep(look);
  EXPECT_EQ(4u, kept.files_kept);
  EXPECT_EQ(WStringList{L"plan.txt"}, kept.replaced_kept);
  EXPECT_EQ((WStringList{L"plan.txt", L"old", L"locked.txt"}), kept.kept_names);
  EXPECT_EQ(1u, kept.not_kept);
  EXPECT_EQ(WStringList{Copy() + L"\\never there.txt"}, kept.not_kept_names);
  EXPECT_EQ("old plan", ReadFileBytes(Kept(store, L"plan.txt")));
  EXPECT_EQ("b", ReadFileBytes(Kept(store, L"old\\deep\\b.txt")));
  EXPECT_EQ("ro", ReadFileBytes(Kept(store, L"locked.txt")));
  EXPECT_FALSE(Exists(Copy() + L"\\old"));
  EXPECT_FALSE(Exists(Copy() + L"\\plan.txt"));
}

// Runs in the same second get folders of their own, each listed, an idle one too; a run whose
// clock was set back is named after the latest, so that runs sort in the order they ran.
TEST_F(VersionsTest, RunsAreNamedInTheOrderTheyRan) {
  WriteFileBytes(Copy() + L"\\1.txt", "1");
  WriteFileBytes(Copy() + L"\\2.txt", "2");
  BackupRun first(Backup(), Computer(), kRunTime);
  first.store.Keep(LookOf({{L"1.txt", false, false, 1}}));
  BackupRun second(Backup(), Computer(), kRunTime);
  second.store.Keep(LookOf({{L"2.txt", false, false, 1}}));
  BackupRun set_back(Backup(), Computer(), kRunTime - 3600);
  set_back.store.Keep(LookOf({}));
  EXPECT_EQ(first.store.run_folder() + L" (2)", second.store.run_folder());
  EXPECT_EQ(first.store.run_folder() + L" (3)", set_back.store.run_folder());
  EXPECT_EQ("2", ReadFileBytes(Kept(second.store, L"2.txt")));
  EXPECT_TRUE(Exists(set_back.store.run_folder()));
  BackupRun now(Backup(), Computer(), kRunTime + 1);
  const std::vector<RunName> earlier = now.store.EarlierRuns();
  ASSERT_EQ(3u, earlier.size());
  EXPECT_EQ(set_back.store.run(), earlier.back());
}

// Windows refuses to rename a folder, or a file, while a handle inside lacks FILE_SHARE_DELETE
// (Wine renames the folder all the same, so the refusal is staged).
class OpenFileSystem : public RealSystemApi {
 public:
  BOOL MoveFileExW(const wchar_t* from, const wchar_t* to, DWORD flags) override {
    const WString path = from;
    if (path.ends_with(L"\\old") || path.ends_with(L"\\open.txt") || path.ends_with(L"\\link")) {
      ::SetLastError(ERROR_SHARING_VIOLATION);
      return FALSE;
    }
    return RealSystemApi::MoveFileExW(from, to, flags);
  }
  // "link" stands for a junction.
  DWORD GetFileAttributesW(const wchar_t* path) override {
    const DWORD attributes = RealSystemApi::GetFileAttributesW(path);
    const bool link = std::wstring(path).ends_with(L"\\link");
    return link && attributes != INVALID_FILE_ATTRIBUTES ? attributes | FILE_ATTRIBUTE_REPARSE_POINT
                                                         : attributes;
  }
};

// A folder that cannot move whole moves entry by entry; the file that cannot is named. When
// the batch file then never runs, the moved entries go back into the folder left in place.
TEST_F(VersionsTest, FolderWithAnOpenFileMovesEntryByEntry) {
  WriteFileBytes(Copy() + L"\\old\\free.txt", "free");
  WriteFileBytes(Copy() + L"\\old\\open.txt", "open");
  WriteFileBytes(Copy() + L"\\old\\sub\\deep.txt", "deep");
  OpenFileSystem system;
  const ScopedSystemApi scoped(system);
  BackupRun run(Backup(), Computer(), kRunTime);
  VersionStore& store = run.store;
  const FolderVersions kept = store.Keep(LookOf({{L"old", true, false, 3}}));
  EXPECT_EQ(2u, kept.files_kept);
  EXPECT_EQ(1u, kept.not_kept);
  EXPECT_EQ(WStringList{Copy() + L"\\old\\open.txt"}, kept.not_kept_names);
  // A junction that cannot move is not entered: what it shows stays where it is.
  WriteFileBytes(Copy() + L"\\link\\elsewhere.txt", "elsewhere");
  const FolderVersions junction = store.Keep(LookOf({{L"link", true, false, 1}}));
  EXPECT_EQ(0u, junction.files_kept);
  EXPECT_EQ(WStringList{Copy() + L"\\link"}, junction.not_kept_names);
  EXPECT_EQ("elsewhere", ReadFileBytes(Copy() + L"\\link\\elsewhere.txt"));
  EXPECT_FALSE(kept.stopped);
  EXPECT_EQ("free", ReadFileBytes(Kept(store, L"old\\free.txt")));
  EXPECT_EQ("deep", ReadFileBytes(Kept(store, L"old\\sub\\deep.txt")));
  EXPECT_EQ("open", ReadFileBytes(Copy() + L"\\old\\open.txt"));

  store.PutBack(LookOf({{L"old", true, false, 3}}));
  EXPECT_EQ("free", ReadFileBytes(Copy() + L"\\old\\free.txt"));
  EXPECT_EQ("deep", ReadFileBytes(Copy() + L"\\old\\sub\\deep.txt"));
  EXPECT_EQ("open", ReadFileBytes(Copy() + L"\\old\\open.txt"));
  EXPECT_FALSE(Exists(Kept(store, L"old\\sub")));
}

// After the batch file: a replaced file whose new copy did not arrive (none, or a partial one)
// gets its last good copy back; one that arrived stays. When nothing ran, all goes back.
TEST_F(VersionsTest, WhatDidNotArriveGoesBack) {
  for (const wchar_t* name : {L"arrived.txt", L"partial.txt", L"none.txt"}) {
    WriteFileBytes(Source() + L"\\" + name, "new bytes");
    WriteFileBytes(Copy() + L"\\" + name, "old");
  }
  const FolderLook look = LookOf({{L"arrived.txt", false, true, 1},
                                  {L"partial.txt", false, true, 1},
                                  {L"none.txt", false, true, 1}});
  BackupRun run(Backup(), Computer(), kRunTime);
  VersionStore& store = run.store;
  const FolderVersions kept = store.Keep(look);
  ::CopyFileW((Source() + L"\\arrived.txt").c_str(), (Copy() + L"\\arrived.txt").c_str(), FALSE);
  WriteFileBytes(Copy() + L"\\partial.txt", "new");
  EXPECT_EQ(2u, store.RestoreMissing(look, kept));
  EXPECT_EQ("new bytes", ReadFileBytes(Copy() + L"\\arrived.txt"));
  EXPECT_EQ("old", ReadFileBytes(Copy() + L"\\partial.txt"));
  EXPECT_EQ("old", ReadFileBytes(Copy() + L"\\none.txt"));
  EXPECT_EQ("old", ReadFileBytes(Kept(store, L"arrived.txt")));

  WriteFileBytes(Copy() + L"\\gone.txt", "gone");
  BackupRun unused(Backup(), Computer(), kRunTime + 1);
  const FolderLook purge = LookOf({{L"gone.txt", false, false, 1}});
  unused.store.Keep(purge);
  unused.store.PutBack(purge);
  EXPECT_EQ("gone", ReadFileBytes(Copy() + L"\\gone.txt"));
}

// Runs are pruned oldest first, read-only files too; the lines of the runs before a pruned one
// go with it, and lines that name no run of this program, however they came there, are never
// taken for one.
TEST_F(VersionsTest, EarlierRunsArePrunedOldestFirst) {
  WriteFileBytes(Copy() + L"\\a.txt", "a");
  WriteFileBytes(Copy() + L"\\b.txt", "b");
  BackupRun older(Backup(), Computer(), kRunTime);
  older.store.Keep(LookOf({{L"a.txt", false, false, 1}}));
  ::SetFileAttributesW(Kept(older.store, L"a.txt").c_str(), FILE_ATTRIBUTE_READONLY);
  BackupRun newer(Backup(), Computer(), kRunTime + 3600);
  newer.store.Keep(LookOf({{L"b.txt", false, false, 1}}));
  const WString list = Computer() + L"\\" + kVersionsFolderName + L"\\" + kRunListFileName;
  const std::string listed = ReadFileBytes(list);
  // A run that kept and added nothing and left no folder; once a later run's versions are gone
  // it can no longer be rebuilt, and leaves the list with them.
  WriteFileBytes(list, "..\r\n.\r\n..\\PC01\r\n2025-12-09 09.30.00\\..\r\n2025-12-09 08.00.00\r\n" +
                           listed + "2025-12-09 09.30.00 (x)\r\n2025-12-09 24.00.00\r\n");
  BackupRun now(Backup(), Computer(), kRunTime + 7200);
  const std::vector<RunName> runs = now.store.EarlierRuns();
  ASSERT_EQ((std::vector<RunName>{older.store.run(), newer.store.run()}), runs);
  EXPECT_EQ(1u, now.store.DeleteRun(runs[0]));
  EXPECT_FALSE(Exists(older.store.run_folder()));
  EXPECT_EQ(std::string::npos, ReadFileBytes(list).find("08.00.00"));
  EXPECT_EQ(std::vector<RunName>{newer.store.run()}, now.store.EarlierRuns());
}

// A stick is no program's own. Run-named links in the versions folder (to a folder outside the
// stick, to another computer's backup), links inside an old run and in a backup folder are
// never followed: nothing they point to is deleted or moved. A run list of garbage lines and
// without a final line end still names every run, and the new run gets a line of its own.
TEST_F(VersionsTest, LinksOnTheStickAreNeverFollowed) {
  const ScopedTempDir outside;
  WriteFileBytes(outside / L"keep.txt", "keep");
  WriteFileBytes(outside / L"dir\\inner.txt", "inner");
  WriteFileBytes(Backup() + L"\\OTHER-PC\\C\\x.txt", "other");
  const WString versions = Computer() + L"\\" + kVersionsFolderName;
  const WStringList runs = {L"2000-01-01 00.00.00", L"2000-01-01 00.00.01", L"2000-01-01 00.00.02"};
  std::vector<RunName> names;
  for (const WString& run : runs) names.push_back(*ParseRunName(run));
  ASSERT_TRUE(MakeUnixLink(versions + L"\\" + runs[0], outside.path()));
  ASSERT_TRUE(MakeUnixLink(versions + L"\\" + runs[1], L"..\\..\\OTHER-PC"));
  const WString real_run = versions + L"\\" + runs[2];
  WriteFileBytes(real_run + L"\\PC01\\C\\Data\\old.txt", "old");
  ASSERT_TRUE(MakeUnixLink(real_run + L"\\PC01\\to-keep.txt", outside / L"keep.txt"));
  ASSERT_TRUE(MakeUnixLink(real_run + L"\\PC01\\to-dir", outside / L"dir"));
  WriteFileBytes(versions + L"\\" + kRunListFileName,
                 std::string("\0\0\0\r\n\"\r\n", 8) + "2000-01-01 00.00.00\r\n" +
                     std::string(5000, 'x') + "\n2000-01-01 00.00.01\n2000-01-01 00.00.02");
  WriteFileBytes(Copy() + L"\\plain.txt", "plain");
  ASSERT_TRUE(MakeUnixLink(Copy() + L"\\linked.txt", outside / L"keep.txt"));
  ASSERT_TRUE(MakeUnixLink(Copy() + L"\\linked-dir", outside / L"dir"));

  BackupRun run(Backup(), Computer(), kRunTime);
  VersionStore& store = run.store;
  const FolderVersions kept = store.Keep(LookOf({{L"linked.txt", false, true, 1},
                                                 {L"linked-dir", true, false, 1},
                                                 {L"plain.txt", false, false, 1}}));
  EXPECT_EQ(1u, kept.files_kept);
  EXPECT_EQ(2u, kept.not_kept);
  const WString name = NameAt(kRunTime);
  EXPECT_TRUE(
      ReadFileBytes(versions + L"\\" + kRunListFileName)
          .ends_with("\n2000-01-01 00.00.02\r\n" + std::string(name.begin(), name.end()) + "\r\n"));
  // A damaged copy is not moved into a folder of the run that became a link meanwhile.
  WriteFileBytes(Copy() + L"\\damaged.txt", "damaged");
  ASSERT_TRUE(MakeUnixLink(store.run_folder() + L"\\" + kDamagedCopiesFolderName, outside / L"dir"));
  EXPECT_FALSE(store.KeepDamaged(Copy(), L"damaged.txt"));
  EXPECT_EQ("damaged", ReadFileBytes(Copy() + L"\\damaged.txt"));
  ASSERT_EQ(names, store.EarlierRuns());
  EXPECT_EQ(0u, store.DeleteRun(names[0]));
  EXPECT_EQ(0u, store.DeleteRun(names[1]));
  EXPECT_EQ(1u, store.DeleteRun(names[2]));

  EXPECT_EQ("keep", ReadFileBytes(outside / L"keep.txt"));
  EXPECT_EQ("inner", ReadFileBytes(outside / L"dir\\inner.txt"));
  EXPECT_EQ("other", ReadFileBytes(Backup() + L"\\OTHER-PC\\C\\x.txt"));
  EXPECT_FALSE(Exists(real_run + L"\\PC01\\C\\Data\\old.txt"));
  EXPECT_EQ("plain", ReadFileBytes(Kept(store, L"plain.txt")));
  const WStringList& links = run.layout.links();
  for (const WString& link : {Copy() + L"\\linked.txt", Copy() + L"\\linked-dir",
                              versions + L"\\" + runs[0], versions + L"\\" + runs[1],
                              real_run + L"\\PC01\\to-keep.txt", real_run + L"\\PC01\\to-dir",
                              store.run_folder() + L"\\" + kDamagedCopiesFolderName}) {
    EXPECT_NE(links.end(), std::find(links.begin(), links.end(), link)) << link;
  }
  EXPECT_EQ("inner", ReadFileBytes(outside / L"dir\\inner.txt"));
}

}  // namespace
}  // namespace sollux
