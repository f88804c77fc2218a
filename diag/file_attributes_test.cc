#include "diag/file_attributes.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "base/system_api.h"
#include "test/temp_dir.h"

namespace sollux {
namespace {

using test::MakeFolders;
using test::ScopedTempDir;
using test::WriteFileBytes;

WString WithSlashes(WString path) {
  std::replace(path.begin(), path.end(), L'\\', L'/');
  return path;
}

TEST(FileAttributesTest, MissingFileLooksReadOnlyAndCannotBeWritten) {
  ScopedTempDir dir;
  FileAttributes missing(dir / L"missing.txt");
  EXPECT_TRUE(missing.Failed());
  EXPECT_EQ(0xFFFFFFFFu, missing.Attributes());
  EXPECT_EQ(L"", missing.Path());
  EXPECT_NE(0u, missing.Has(FILE_ATTRIBUTE_READONLY));
  EXPECT_FALSE(missing.Clear(FILE_ATTRIBUTE_READONLY));
  EXPECT_FALSE(missing.Set(FILE_ATTRIBUTE_HIDDEN));
}

TEST(FileAttributesTest, PathIsNormalised) {
  ScopedTempDir dir;
  WriteFileBytes(dir / L"file.txt", "x");
  MakeFolders(dir / L"folder");
  const struct {
    WString given;
    WString stored;
    bool directory;
  } cases[] = {
      {WithSlashes(dir / L"file.txt"), dir / L"file.txt", false},
      {dir / L"folder\\", dir / L"folder", true},
      {WithSlashes(dir / L"folder/"), dir / L"folder", true},
      {dir / L"folder", dir / L"folder", true},
      {L"C:/", L"C:\\", true},  // "C:" alone would be the drive's current folder
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.given);
    FileAttributes attributes(c.given);
    EXPECT_FALSE(attributes.Failed());
    EXPECT_EQ(c.stored, attributes.Path());
    EXPECT_EQ(c.directory, attributes.Has(FILE_ATTRIBUTE_DIRECTORY) != 0);
  }
}

TEST(FileAttributesTest, ClearWritesTheSnapshotWithoutTheMask) {
  ScopedTempDir dir;
  const WString file = dir / L"locked.txt";
  WriteFileBytes(file, "x");
  ASSERT_TRUE(::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE));
  FileAttributes attributes(file);
  ASSERT_EQ(static_cast<uint32_t>(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE),
            attributes.Attributes());
  EXPECT_TRUE(attributes.Clear(FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE), ::GetFileAttributesW(file.c_str()));
  // The snapshot is not refreshed.
  EXPECT_NE(0u, attributes.Has(FILE_ATTRIBUTE_READONLY));
  EXPECT_TRUE(attributes.Set(FILE_ATTRIBUTE_READONLY));
  EXPECT_NE(0u, ::GetFileAttributesW(file.c_str()) & FILE_ATTRIBUTE_READONLY);
}

// Records what the protection helpers ask to clear, and clears nothing on disk.
class ClearRecorder : public FileAttributes {
 public:
  using FileAttributes::FileAttributes;
  bool Clear(uint32_t mask) override {
    cleared.push_back(mask);
    return false;
  }
  std::vector<uint32_t> cleared;
};

TEST(FileAttributesTest, ClearProtectionWritesOnlyWhenABitIsSet) {
  ScopedTempDir dir;
  const WString file = dir / L"plain.txt";
  WriteFileBytes(file, "x");
  ASSERT_TRUE(::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_ARCHIVE));
  ClearRecorder plain(file);
  EXPECT_TRUE(plain.ClearProtection());
  EXPECT_TRUE(plain.cleared.empty());

  ASSERT_TRUE(::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY));
  ClearRecorder locked(file);
  EXPECT_FALSE(locked.ClearProtection());  // answers what Clear answers
  EXPECT_EQ((std::vector<uint32_t>{7u}), locked.cleared);
}

}  // namespace
}  // namespace sollux
