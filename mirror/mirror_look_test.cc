#include "mirror/mirror_look.h"

#include <gtest/gtest.h>

#include "base/system_api.h"
#include "test/temp_dir.h"

namespace sollux {
namespace {

using test::ScopedTempDir;
using test::WriteFileBytes;

// Listings in which the file `online` is a cloud placeholder and `huge` is 4 GiB long.
class CloudSystem : public RealSystemApi {
 public:
  HANDLE FindFirstFileExW(const wchar_t* pattern, FINDEX_INFO_LEVELS level, void* data,
                          FINDEX_SEARCH_OPS search, void* filter, DWORD flags) override {
    const HANDLE find =
        RealSystemApi::FindFirstFileExW(pattern, level, data, search, filter, flags);
    if (find != INVALID_HANDLE_VALUE) Mark(static_cast<WIN32_FIND_DATAW*>(data));
    return find;
  }
  BOOL FindNextFileW(HANDLE find, WIN32_FIND_DATAW* data) override {
    const BOOL found = RealSystemApi::FindNextFileW(find, data);
    if (found) Mark(data);
    return found;
  }
  FARPROC GetProcAddress(HMODULE module, const char* name) override {
    asked = name;
    return with_placeholder_mode ? reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(&SetMode))
                                 : RealSystemApi::GetProcAddress(module, name);
  }
  static char WINAPI SetMode(char mode) {
    mode_set = mode;
    return 0;
  }

  bool with_placeholder_mode = false;
  std::string asked;
  static inline int mode_set = -1;

 private:
  static void Mark(WIN32_FIND_DATAW* data) {
    const std::wstring name = data->cFileName;
    if (name == L"online.txt") data->dwFileAttributes |= 0x400000;  // recall on data access
    if (name == L"offline.txt") data->dwFileAttributes |= FILE_ATTRIBUTE_OFFLINE;
    if (name == L"huge.iso") data->nFileSizeHigh = 1, data->nFileSizeLow = 0;
  }
};

// Each file in whole clusters and a cluster for each folder robocopy makes; placeholders are
// named with the bytes the cloud client will download; a file of exactly 4 GiB passes /max
// but does not fit on FAT32.
TEST(MirrorLookTest, RoomOnlineOnlyAndFat32) {
  ScopedTempDir dir;
  WriteFileBytes(dir / L"source\\one.txt", "1");
  WriteFileBytes(dir / L"source\\new\\cluster.txt", std::string(4097, 'x'));
  WriteFileBytes(dir / L"source\\online.txt", "12");
  WriteFileBytes(dir / L"source\\offline.txt", "123");
  WriteFileBytes(dir / L"source\\huge.iso", "");
  test::MakeFolders(dir / L"backup");
  CloudSystem system;
  const ScopedSystemApi scoped(system);
  CheckRules rules;
  rules.max_size = uint64_t{1} << 32;
  const struct {
    bool fat32;
    uint64_t files, room, too_large;
  } cases[] = {
      {false, 5, 3 * 4096 + 8192 + (uint64_t{1} << 32) + 4096, 0},
      {true, 4, 3 * 4096 + 8192 + 4096, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.fat32);
    VolumeFacts volume;
    volume.fat32 = c.fat32;
    uint64_t progress = 0;
    const FolderLook look = LookAtFolder(dir / L"source", dir / L"backup", rules, volume,
                                         [&](uint64_t files) { progress = files; });
    EXPECT_EQ(c.files, look.files_to_copy);
    EXPECT_EQ(c.room, look.room_needed);
    EXPECT_EQ(c.too_large, look.too_large);
    EXPECT_EQ(2u, look.online_only);
    EXPECT_EQ(5u, look.online_only_bytes);
    EXPECT_EQ(5u, progress);
    EXPECT_TRUE(look.doomed.empty());
  }
}

TEST(MirrorLookTest, LargeChange) {
  const struct {
    uint64_t purged, replaced, backup;
    bool large;
  } cases[] = {
      {10, 0, 19, true}, {9, 0, 9, false},  {5, 5, 20, false},
      {5, 5, 19, true},  {0, 12, 12, true}, {0, 0, 0, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.purged << " " << c.replaced << " " << c.backup);
    FolderLook look;
    look.files_purged = c.purged;
    look.files_replaced = c.replaced;
    look.backup_files = c.backup;
    EXPECT_EQ(c.large, look.LargeChange());
  }
}

// Where ntdll has the call, placeholders are exposed; where it has none (Wine), nothing fails.
TEST(MirrorLookTest, PlaceholdersExposedWhereWindowsCan) {
  for (const bool available : {true, false}) {
    CloudSystem system;
    system.with_placeholder_mode = available;
    CloudSystem::mode_set = -1;
    const ScopedSystemApi scoped(system);
    ExposeCloudPlaceholders();
    EXPECT_EQ("RtlSetProcessPlaceholderCompatibilityMode", system.asked);
    EXPECT_EQ(available ? 2 : -1, CloudSystem::mode_set);
  }
}

}  // namespace
}  // namespace sollux
