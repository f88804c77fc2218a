#include "restore/restorer.h"

#include <gtest/gtest.h>

#include "base/system_api.h"
#include "test/temp_dir.h"

namespace sollux {
namespace {

// A stick that is pulled out after `copies` files: its root is gone, its files unreadable.
class PulledStick : public RealSystemApi {
 public:
  PulledStick(std::wstring root, int copies) : root_(std::move(root)), left_(copies) {}
  HANDLE CreateFileW(const wchar_t* path, DWORD access, DWORD share, DWORD disposition,
                     DWORD flags) override {
    const bool on_stick = std::wstring(path).find(root_) != std::wstring::npos;
    if (!on_stick || left_-- > 0) {
      return RealSystemApi::CreateFileW(path, access, share, disposition, flags);
    }
    ::SetLastError(ERROR_DEVICE_NOT_CONNECTED);
    return INVALID_HANDLE_VALUE;
  }
  DWORD GetFileAttributesW(const wchar_t* path) override {
    if (left_ < 0 && path == root_) return INVALID_FILE_ATTRIBUTES;
    return RealSystemApi::GetFileAttributesW(path);
  }

 private:
  std::wstring root_;
  int left_;
};

TEST(RestorerTest, APulledStickEndsTheRestoreWithTheRestCounted) {
  test::ScopedTempDir stick, pc;
  std::vector<RestoreFile> files;
  for (int i = 0; i < 5; ++i) {
    const std::wstring name = std::to_wstring(i) + L".txt";
    test::WriteFileBytes(stick / name, "file " + std::to_string(i));
    files.push_back({stick / name, pc / (L"sub\\" + name), L"", 6, 0, false});
  }
  files[1].same = true;  // left alone, neither copied nor counted
  PulledStick api(stick.path() + L"\\", 2);
  const ScopedSystemApi scoped(api);
  const RestoreOutcome outcome = CopyFiles(files, stick.path() + L"\\");
  EXPECT_TRUE(outcome.stick_gone);
  EXPECT_EQ(2u, outcome.restored);
  EXPECT_EQ(12u, outcome.bytes);
  EXPECT_EQ(2u, outcome.failed);
  EXPECT_TRUE(outcome.failed_lines.empty());  // said once for all: the stick stopped answering
  EXPECT_EQ("file 2", test::ReadFileBytes(pc / L"sub\\2.txt"));
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesW((pc / L"sub\\3.txt").c_str()));
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesW((pc / L"sub\\1.txt").c_str()));
}

}  // namespace
}  // namespace sollux
