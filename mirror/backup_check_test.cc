#include "mirror/backup_check.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>

#include "base/path.h"
#include "base/system_api.h"
#include "mirror/mirror_look.h"
#include "test/temp_dir.h"

namespace sollux {
namespace {

using test::MakeFolders;
using test::ScopedTempDir;
using test::SetLastWriteTime;
using test::WriteFileBytes;

constexpr int64_t kSourceTime = 1700000000;

bool EndsWith(const WString& text, const WString& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// The real system, except that folders named `reparse_name` list as reparse points (Wine cannot
// make a junction), listings of patterns ending in one of `failing` are refused, and the stick
// holding `stick` is pulled out after `listings_before` of its listings: every later call about
// it fails as Windows fails it for a drive that is gone (with `mid_listing`, already the last
// listing breaks off after its first entry). Every listing pattern is recorded.
class ListingSystem : public RealSystemApi {
 public:
  HANDLE FindFirstFileExW(const wchar_t* given, FINDEX_INFO_LEVELS level, void* data,
                          FINDEX_SEARCH_OPS search, void* filter, DWORD flags) override {
    const WString path = Staged(given);
    const wchar_t* pattern = path.c_str();
    patterns.push_back(pattern);
    for (const WString& end : failing) {
      if (EndsWith(pattern, end)) return Fail(INVALID_HANDLE_VALUE, ERROR_ACCESS_DENIED);
    }
    const bool on_stick = OnStick(pattern);
    if (on_stick && ++stick_listings > listings_before) {
      return Fail(INVALID_HANDLE_VALUE, ERROR_NOT_READY);
    }
    const HANDLE find =
        RealSystemApi::FindFirstFileExW(pattern, level, data, search, filter, flags);
    if (on_stick && mid_listing && stick_listings == listings_before) breaking_ = find;
    if (find != INVALID_HANDLE_VALUE) Mark(static_cast<WIN32_FIND_DATAW*>(data));
    return find;
  }
  BOOL FindNextFileW(HANDLE find, WIN32_FIND_DATAW* data) override {
    if (find == breaking_) return Fail(FALSE, ERROR_NOT_READY);
    const BOOL found = RealSystemApi::FindNextFileW(find, data);
    if (found) Mark(data);
    return found;
  }
  BOOL GetFileAttributesExW(const wchar_t* given, WIN32_FILE_ATTRIBUTE_DATA* data) override {
    const WString path = Staged(given);
    const bool pulled = stick_listings > listings_before || breaking_ != nullptr;
    if (OnStick(path.c_str()) && pulled) return Fail(FALSE, ERROR_NOT_READY);
    return RealSystemApi::GetFileAttributesExW(path.c_str(), data);
  }

  // The drive Q: stands for this folder (in its \\?\ form) in listings and attributes.
  WString drive_q;
  WString reparse_name;
  WStringList failing;
  WString stick;
  int listings_before = 0;
  bool mid_listing = false;
  int stick_listings = 0;
  WStringList patterns;

 private:
  template <typename T>
  static T Fail(T value, DWORD error) {
    ::SetLastError(error);
    return value;
  }
  WString Staged(const wchar_t* given) const {
    const WString path = WString(given).starts_with(L"\\\\?\\") ? given + 4 : given;
    if (drive_q.empty() || path.size() < 2 || towupper(path[0]) != L'Q' || path[1] != L':') {
      return given;
    }
    return drive_q + path.substr(2);
  }
  bool OnStick(const wchar_t* path) const {
    return !stick.empty() && WString(path).find(stick) != WString::npos;
  }
  void Mark(WIN32_FIND_DATAW* data) const {
    if (data->cFileName == reparse_name) data->dwFileAttributes |= FILE_ATTRIBUTE_REPARSE_POINT;
  }

  HANDLE breaking_ = nullptr;
};

// Removes a tree through its \\?\ form: the C runtime's listing, which ScopedTempDir's clean-up
// uses, fails on folders past MAX_PATH.
void RemoveTree(const WString& folder) {
  WIN32_FIND_DATAW data;
  const HANDLE find = ::FindFirstFileW((folder + L"\\*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const WString name = data.cFileName;
      if (name == L"." || name == L"..") continue;
      const WString path = folder + L"\\" + name;
      if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        RemoveTree(path);
      } else {
        ::DeleteFileW(path.c_str());
      }
    } while (::FindNextFileW(find, &data));
    ::FindClose(find);
  }
  ::RemoveDirectoryW(folder.c_str());
}

std::optional<FileProblem> ProblemOf(const FolderCheck& check, const WString& relative_path) {
  for (const FileMismatch& mismatch : check.mismatches) {
    if (mismatch.relative_path == relative_path) return mismatch.problem;
  }
  return std::nullopt;
}

// A source tree and a destination filled the way robocopy leaves it when some copies fail.
class BackupCheckTest : public testing::Test {
 protected:
  void TearDown() override { RemoveTree(LongPathForm(dir_.path())); }
  WString Source() const { return dir_ / L"source"; }
  WString Destination() const { return dir_ / L"backup"; }

  void Stage(const WString& relative, const std::string& bytes) {
    WriteFileBytes(Source() + L"\\" + relative, bytes);
    ASSERT_TRUE(SetLastWriteTime(Source() + L"\\" + relative, kSourceTime));
  }
  void StageCopy(const WString& relative, const std::string& bytes, int64_t offset) {
    WriteFileBytes(Destination() + L"\\" + relative, bytes);
    ASSERT_TRUE(SetLastWriteTime(Destination() + L"\\" + relative, kSourceTime + offset));
  }

  ScopedTempDir dir_;
};

// The look before the copying walks the same trees by the same rules: each row also says what
// it finds the mirror about to do to the copy (a FAT stick, so an hour off is a clock shift).
TEST_F(BackupCheckTest, NamesExactlyTheFilesRobocopyWouldCopyThatDidNotArrive) {
  enum Copy { kSame, kNone, kLonger, kFolder, kOnlyCopy };
  enum Expect { kInBackup, kMissing, kDifferent, kLeftOut };
  enum Look { kUntouched, kReplaced, kPurged, kShift };
  const struct {
    const wchar_t* path;
    size_t size;
    Copy copy;
    int offset;  // seconds the copy's last-write time is off
    Expect expected;
    const wchar_t* copy_name = nullptr;  // another spelling of the name in the destination
    Look look = kUntouched;
    const wchar_t* doomed = nullptr;  // the entry the mirror deletes, when not `path`
  } cases[] = {
      {L"report.txt", 5, kSame, 0, kInBackup},
      {L"gone.txt", 5, kNone, 0, kMissing},
      {L"resized.txt", 5, kLonger, 0, kDifferent, nullptr, kReplaced},
      {L"older3.txt", 5, kSame, -3, kDifferent, nullptr, kReplaced},
      {L"newer3.txt", 5, kSame, 3, kDifferent, nullptr, kReplaced},
      {L"older2.txt", 5, kSame, -2, kInBackup},
      {L"older1.txt", 5, kSame, -1, kInBackup},
      {L"shifted.txt", 5, kSame, 3600, kDifferent, nullptr, kShift},
      {L"shifted back.txt", 5, kSame, -3602, kDifferent, nullptr, kShift},
      {L"shifted more.txt", 5, kSame, 3603, kDifferent, nullptr, kReplaced},
      {L"now a folder.txt", 5, kFolder, 0, kMissing, nullptr, kPurged},
      {L"Report.DOCX", 5, kSame, 0, kInBackup, L"report.docx"},  // only the case changed
      {L"\x00C4rger \x03A9mega\xFF21.txt", 5, kSame, 0, kInBackup,
       L"\x00E4RGER \x03C9MEGA\xFF41.TXT"},
      {L"sub\\deep\\kept.txt", 5, kSame, 0, kInBackup},
      {L"sub\\deep\\lost.txt", 5, kNone, 0, kMissing},
      {L"new folder\\only.txt", 5, kNone, 0, kMissing},
      {L"limit.dat", 10, kNone, 0, kMissing},     // /max:10 keeps 10 bytes
      {L"big.dat", 11, kNone, 0, kLeftOut},       // and leaves out 11
      {L"big old.dat", 11, kSame, -9, kLeftOut},  // whose old copy stays
      {L"old.bak", 5, kNone, 0, kLeftOut},        // /xf *.bak
      {L"sub\\OLD.Bak", 5, kNone, 0, kLeftOut},
      {L"bak\\inside.txt", 5, kNone, 0, kLeftOut},  // /xd bak
      {L"sub\\BAK\\inside.txt", 5, kNone, 0, kLeftOut},
      {L"skip\\by path.txt", 5, kNone, 0, kLeftOut},  // /xd <source>\skip
      {L"sub\\skip\\not by path.txt", 5, kNone, 0, kMissing},
      {L"junction\\inside.txt", 5, kNone, 0, kLeftOut},     // /xjd
      {L"junction\\extra.txt", 5, kOnlyCopy, 0, kLeftOut},  // not entered, so not purged
      {L"a\\b\\level3.txt", 5, kNone, 0, kMissing},         // /lev:3
      {L"a\\b\\c\\level4.txt", 5, kNone, 0, kLeftOut},
      {L"a\\b\\d\\extra.txt", 5, kOnlyCopy, 0, kLeftOut},  // deeper than robocopy looks
      {L"extra.txt", 5, kOnlyCopy, 0, kLeftOut, nullptr, kPurged},
      {L"extra folder\\x.bak", 5, kOnlyCopy, 0, kLeftOut, nullptr, kPurged, L"extra folder"},
      {L"kept.bak", 5, kOnlyCopy, 0, kLeftOut},  // excluded names stay
      {L"bak\\kept.txt", 5, kOnlyCopy, 0, kLeftOut},
      {L"was a file", 5, kOnlyCopy, 0, kLeftOut, nullptr, kPurged},  // now a folder:
      {L"was a file\\inside.txt", 5, kNone, 0, kMissing},
      // Of the other kind, left out by /xf, /max or /xd: the counterpart is extra all the same.
      {L"left out.bak", 5, kFolder, 0, kLeftOut, nullptr, kPurged},
      {L"too big.dat", 11, kFolder, 0, kLeftOut, nullptr, kPurged},
      {L"sub\\bak", 5, kOnlyCopy, 0, kLeftOut, nullptr, kPurged},
  };
  uint64_t files = 0, bytes = 0, mismatches = 0, shifts = 0, doomed = 0;
  for (const auto& c : cases) {
    if (c.copy != kOnlyCopy) Stage(c.path, std::string(c.size, 'x'));
    const WString copy = c.copy_name != nullptr ? c.copy_name : c.path;
    if (c.copy == kSame || c.copy == kOnlyCopy) StageCopy(copy, std::string(c.size, 'x'), c.offset);
    if (c.copy == kLonger) StageCopy(copy, std::string(c.size + 1, 'x'), c.offset);
    if (c.copy == kFolder) MakeFolders(Destination() + L"\\" + copy);
    files += c.expected != kLeftOut;
    bytes += c.expected != kLeftOut ? c.size : 0;
    mismatches += c.expected == kMissing || c.expected == kDifferent;
    shifts += c.look == kShift;
    doomed += c.look == kReplaced || c.look == kPurged;
  }
  ListingSystem system;
  system.reparse_name = L"junction";
  const ScopedSystemApi scoped(system);
  const CheckRules rules = {{L"*.bak"}, {L"bak", Source() + L"\\skip"}, 10, true, 3};
  const FolderCheck check = CheckFolder(Source(), Destination(), rules);
  VolumeFacts fat;
  fat.fat_times = true;
  const FolderLook look = LookAtFolder(Source(), Destination(), rules, fat, nullptr);

  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    const std::optional<FileProblem> problem = ProblemOf(check, c.path);
    EXPECT_EQ(c.expected == kMissing, problem == FileProblem::kMissing);
    EXPECT_EQ(c.expected == kDifferent, problem == FileProblem::kDifferent);
    const WString doomed_path = c.doomed != nullptr ? c.doomed : c.path;
    const auto entry =
        std::find_if(look.doomed.begin(), look.doomed.end(),
                     [&](const DoomedEntry& e) { return e.relative_path == doomed_path; });
    EXPECT_EQ(c.look == kReplaced || c.look == kPurged, entry != look.doomed.end());
    if (entry != look.doomed.end()) {
      EXPECT_EQ(c.look == kReplaced, entry->replaced);
    }
  }
  EXPECT_EQ(files, check.files_checked);
  EXPECT_EQ(bytes, check.bytes_checked);
  EXPECT_EQ(mismatches, check.files_not_in_backup);
  EXPECT_EQ(mismatches, check.mismatches.size());
  EXPECT_EQ(TreeState::kRead, check.source_state);
  EXPECT_EQ(TreeState::kRead, check.destination_state);
  EXPECT_EQ(0u, check.unreadable_folder_count);
  EXPECT_TRUE(check.finished);
  EXPECT_EQ(shifts, look.clock_shifts);
  EXPECT_EQ(doomed, look.doomed.size());
  EXPECT_EQ(3u, look.too_large);
}

// Without /xjd a junction is entered, but not a second one behind it, which might lead back up
// the tree for ever.
TEST_F(BackupCheckTest, WithoutXjdOnlyTheFirstJunctionIsEntered) {
  Stage(L"junction\\first.txt", "1");
  Stage(L"junction\\junction\\second.txt", "1");
  MakeFolders(Destination());
  ListingSystem system;
  system.reparse_name = L"junction";
  const ScopedSystemApi scoped(system);
  CheckRules rules;
  rules.skip_junctions = false;
  const FolderCheck check = CheckFolder(Source(), Destination(), rules);
  EXPECT_EQ((std::vector<FileMismatch>{{L"junction\\first.txt", FileProblem::kMissing}}),
            check.mismatches);
  EXPECT_EQ(1u, check.files_checked);
}

// 60 files, 10 in a subfolder: more than the result names.
TEST_F(BackupCheckTest, MissingTopFolders) {
  for (int i = 0; i < 60; ++i) Stage((i < 10 ? L"sub\\" : L"") + std::to_wstring(i), "abc");
  const struct {
    WString source;
    WString destination;
    TreeState source_state;
    TreeState destination_state;
    uint64_t files;
  } cases[] = {
      {Source(), dir_ / L"no backup", TreeState::kRead, TreeState::kMissing, 60},
      {dir_ / L"no source", Destination(), TreeState::kMissing, TreeState::kRead, 0},
      {Source(), Source() + L"\\0", TreeState::kRead, TreeState::kMissing, 60},  // a file
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.source + L" -> " + c.destination);
    const FolderCheck check = CheckFolder(c.source, c.destination, CheckRules());
    EXPECT_EQ(c.source_state, check.source_state);
    EXPECT_EQ(c.destination_state, check.destination_state);
    EXPECT_EQ(c.files, check.files_checked);
    EXPECT_EQ(3 * c.files, check.bytes_checked);
    EXPECT_EQ(c.files, check.files_not_in_backup);
    EXPECT_EQ(std::min<uint64_t>(c.files, kNamedProblemLimit), check.mismatches.size());
    for (const FileMismatch& mismatch : check.mismatches) {
      EXPECT_EQ(FileProblem::kMissing, mismatch.problem) << mismatch.relative_path;
    }
    EXPECT_TRUE(check.finished);
  }
}

TEST_F(BackupCheckTest, UnreadableSubfoldersAreNamedAndLeftUnchecked) {
  for (const wchar_t* path : {L"a.txt", L"locked\\b.txt", L"closed\\c.txt", L"open\\d.txt"}) {
    Stage(path, "1234");
    StageCopy(path, "1234", 0);
  }
  Stage(L"open\\gone.txt", "1234");
  ListingSystem system;
  system.failing = {L"source\\locked\\*", L"backup\\closed\\*"};
  const ScopedSystemApi scoped(system);
  const FolderCheck check = CheckFolder(Source(), Destination(), CheckRules());
  // In order of the folders' names.
  EXPECT_EQ((WStringList{Destination() + L"\\closed", Source() + L"\\locked"}),
            check.unreadable_folders);
  EXPECT_EQ(2u, check.unreadable_folder_count);
  EXPECT_EQ(3u, check.files_checked);  // a.txt, open\d.txt, open\gone.txt
  EXPECT_EQ((std::vector<FileMismatch>{{L"open\\gone.txt", FileProblem::kMissing}}),
            check.mismatches);
  EXPECT_EQ(1u, check.files_not_in_backup);
  EXPECT_EQ(TreeState::kRead, check.source_state);
  EXPECT_EQ(TreeState::kRead, check.destination_state);
  EXPECT_TRUE(check.finished);
}

// No user may read System Volume Information at the root of a drive, and robocopy fails on it
// too: a backup of a whole drive never holds it, and must not fail for it.
TEST_F(BackupCheckTest, SystemVolumeInformationCountsOnlyBelowADriveRoot) {
  for (const wchar_t* path : {L"a.txt", L"System Volume Information\\index.dat",
                              L"sub\\System Volume Information\\b.txt"}) {
    Stage(path, "1234");
  }
  StageCopy(L"a.txt", "1234", 0);
  ListingSystem system;
  system.drive_q = LongPathForm(Source());
  system.failing = {L"System Volume Information\\*"};
  const ScopedSystemApi scoped(system);
  const struct {
    WString source;
    WStringList unreadable;
  } cases[] = {
      {L"Q:\\", {L"Q:\\sub\\System Volume Information"}},
      {L"q:/", {L"q:\\sub\\System Volume Information"}},
      {Source(),
       {Source() + L"\\sub\\System Volume Information", Source() + L"\\System Volume Information"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.source);
    const FolderCheck check = CheckFolder(c.source, Destination(), CheckRules());
    EXPECT_EQ(c.unreadable, check.unreadable_folders);
    EXPECT_EQ(1u, check.files_checked);
    EXPECT_EQ(0u, check.files_not_in_backup);
    EXPECT_TRUE(check.finished);
  }
}

TEST_F(BackupCheckTest, StickPulledOutEndsTheCheckAtOnce) {
  for (int i = 0; i < 20; ++i) {
    const WString path = L"folder" + std::to_wstring(100 + i) + L"\\file.txt";
    Stage(path, "12");
    StageCopy(path, "12", 0);
  }
  const struct {
    int listings_before;
    bool mid_listing;
    uint64_t files_checked;  // one in each folder compared before
  } cases[] = {{1, true, 0}, {3, false, 2}, {3, true, 1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.listings_before << (c.mid_listing ? " mid" : ""));
    ListingSystem system;
    system.stick = Destination();
    system.listings_before = c.listings_before;
    system.mid_listing = c.mid_listing;
    const ScopedSystemApi scoped(system);
    const FolderCheck check = CheckFolder(Source(), Destination(), CheckRules());
    EXPECT_FALSE(check.finished);
    EXPECT_EQ(TreeState::kUnreadable, check.destination_state);
    EXPECT_EQ(TreeState::kRead, check.source_state);
    // No file is called missing for a stick that is gone, and no folder is tried after it.
    EXPECT_EQ(0u, check.files_not_in_backup);
    EXPECT_EQ(0u, check.unreadable_folder_count);
    EXPECT_EQ(c.listings_before + (c.mid_listing ? 0 : 1), system.stick_listings);
    EXPECT_EQ(c.files_checked, check.files_checked);
  }
}

// Folder and file names in Japanese, Greek, Cyrillic, Hangul and outside the basic plane, in a
// tree deeper than MAX_PATH; every listing goes through the \\?\ form.
TEST_F(BackupCheckTest, LongPathsAndNamesOutsideCodePage932) {
  const WString folder =
      L"\u65E5\u672C\u8A9E\u30D5\u30A9\u30EB\u30C0 "
      L"\u0395\u03BB\u03BB\u03B7\u03BD\u03B9\u03BA\u03AC "
      L"\u041F\u0440\u0438\u0432\u0435\u0442 \uD55C\uAD6D\uC5B4 \U0001F600 0123456789";
  WString deep;
  for (int i = 0; i < 7; ++i) deep += folder + L"\\";
  ASSERT_GT((Source() + L"\\" + deep).size(), 300u);
  const WString kept = deep + L"\u4FDD\u5B58\u6E08\u307F \U0001F4BE.txt";
  const WString lost = deep + L"\u5931\u308F\u308C\u305F \u0416.txt";
  const WString changed = folder + L"\\\u03B4\u03B9\u03B1\u03C6\u03BF\u03C1\u03AC.txt";
  for (const WString& path : {kept, lost, changed}) Stage(path, "data");
  StageCopy(kept, "data", 0);
  StageCopy(changed, "data", 60);
  ListingSystem system;
  const ScopedSystemApi scoped(system);
  const FolderCheck check = CheckFolder(Source(), Destination(), CheckRules());
  EXPECT_EQ(3u, check.files_checked);
  EXPECT_EQ((std::vector<FileMismatch>{{changed, FileProblem::kDifferent},
                                       {lost, FileProblem::kMissing}}),
            check.mismatches);
  EXPECT_TRUE(check.finished);
  ASSERT_FALSE(system.patterns.empty());
  for (const WString& pattern : system.patterns) {
    EXPECT_EQ(0u, pattern.find(L"\\\\?\\")) << pattern;
  }
}

TEST(SplitExclusionTextTest, Examples) {
  const struct {
    const wchar_t* text;
    WStringList expected;
  } cases[] = {
      {L" *.bak  *.tmp  Thumbs.db ", {L"*.bak", L"*.tmp", L"Thumbs.db"}},
      {L" bak  .vs  _Backup_  _Search_  _Backup_ *.tmp ",
       {L"bak", L".vs", L"_Backup_", L"_Search_", L"_Backup_", L"*.tmp"}},
      {L"\"My Files\" \t\"C:\\Old Data\" x", {L"My Files", L"C:\\Old Data", L"x"}},
      {L"a\"b c\"d \"\"", {L"ab cd", L""}},
      {L"   ", {}},
      {L"", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(c.expected, SplitExclusionText(c.text));
  }
}

TEST(MatchesUpperCaseWildcardTest, Examples) {
  const struct {
    const wchar_t* name;
    const wchar_t* pattern;
    bool expected;
  } cases[] = {
      {L"thumbs.db.old", L"THUMBS.DB", false},
      {L"mfc42.tmp", L"MFC*.TMP", true},
      {L"mfc.tmp.txt", L"MFC*.TMP", false},
      {L"abab", L"*AB", true},
      {L"file1.txt", L"FILE?.TXT", true},
      {L"file.txt", L"FILE?.TXT", false},
      {L"readme", L"*.*", true},
      {L"\u00E4\u03C9\uFF41.dat", L"\u00C4\u03A9\uFF21*", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(WString(c.name) + L" ~ " + c.pattern);
    EXPECT_EQ(c.expected, MatchesUpperCaseWildcard(FileSystemUpperCase(c.name), c.pattern));
  }
}

}  // namespace
}  // namespace sollux
