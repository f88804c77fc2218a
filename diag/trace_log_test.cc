#include "diag/trace_log.h"

#include <gtest/gtest.h>

#include "base/system_api.h"
#include "test/temp_dir.h"

namespace sollux {
namespace {

using test::ScopedTempDir;
using test::WriteFileBytes;
using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

TEST(FlattenLineBreaksTest, CarriageReturnAndLineFeed) {
  const struct {
    WString text;
    WString replacement;
    WString expected;
  } cases[] = {
      {L"a\r\nb", L"\t\t", L"a\t\tb"},
      {L"\n\r", L"\t\t", L"\t\t"},
      {L"", L"\t\t", L""},
      {L"no breaks", L"\t\t", L"no breaks"},
      {L"a\rb\nc", L"xyz", L"axbyzc"},
      {L"a\r\nb", L"|", L"a|b"},  // LF gets the empty rest
      {L"a\r\nb", L"", L"ab"},
      {WString(L"a\0\r", 3), L"\t\t", WString(L"a\0\t", 3)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(c.expected, FlattenLineBreaks(c.text, c.replacement));
  }
}

TEST(WideTextBytesTest, LowByteFirstWithoutTerminator) {
  EXPECT_EQ((std::vector<uint8_t>{0x41, 0x00, 0x42, 0x30, 0x0D, 0x00, 0x0A, 0x00, 0xFF, 0xFE}),
            WideTextBytes(L"A\x3042\r\n\xFEFF"));
  EXPECT_TRUE(WideTextBytes(L"").empty());
}

WString Counters(int last) {
  WString text;
  for (int n = 1; n <= last; ++n) text += std::to_wstring(n) + L"\r";
  return text;
}

std::string Narrow(const WString& text) { return std::string(text.begin(), text.end()); }

// Holds a file open without sharing, as another program writing it would.
class ExclusiveHold {
 public:
  explicit ExclusiveHold(const WString& path)
      : handle_(::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr)) {}
  ~ExclusiveHold() { Release(); }
  bool Held() const { return handle_ != INVALID_HANDLE_VALUE; }
  void Release() {
    if (Held()) ::CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
  }

 private:
  HANDLE handle_;
};

// Lets go of the held file after a number of retry pauses.
class ReleasingSleep : public RealSystemApi {
 public:
  ReleasingSleep(ExclusiveHold& hold, int pauses) : hold_(hold), pauses_(pauses) {}
  void Sleep(DWORD milliseconds) override {
    RealSystemApi::Sleep(milliseconds);
    if (++slept == pauses_) hold_.Release();
  }
  int slept = 0;

 private:
  ExclusiveHold& hold_;
  int pauses_;
};

TEST(OpenWithRetryTest, OpensAtOnceWhenFree) {
  ScopedTempDir dir;
  const WString path = dir / L"new.txt";
  CaptureStderr();
  UniqueFile file = OpenWithRetry(path.c_str(), L"ab", 10);
  EXPECT_EQ("", GetCapturedStderr());
  ASSERT_NE(nullptr, file);
  EXPECT_EQ(1u, std::fwrite("x", 1, 1, file.get()));
  file.reset();
  EXPECT_EQ("x", test::ReadFileBytes(path));
}

TEST(OpenWithRetryTest, EmptyPathIsNotTried) {
  CaptureStderr();
  EXPECT_EQ(nullptr, OpenWithRetry(L"", L"ab", 10));
  EXPECT_EQ(nullptr, OpenWithRetry(nullptr, L"ab", 10));
  EXPECT_EQ("", GetCapturedStderr());
}

TEST(OpenWithRetryTest, WaitsForAFileReleasedAfterASecond) {
  ScopedTempDir dir;
  const WString path = dir / L"held.txt";
  WriteFileBytes(path, "old");
  ExclusiveHold hold(path);
  ASSERT_TRUE(hold.Held());
  ReleasingSleep api(hold, 10);
  ScopedSystemApi scoped(api);
  CaptureStderr();
  UniqueFile file = OpenWithRetry(path.c_str(), L"ab", 10);
  EXPECT_EQ(Narrow(Counters(10)), GetCapturedStderr());
  ASSERT_NE(nullptr, file);
  std::fputs("+new", file.get());
  file.reset();
  EXPECT_EQ("old+new", test::ReadFileBytes(path));
}

TEST(OpenWithRetryTest, GivesUpAfterTheLimitAndSaysSo) {
  ScopedTempDir dir;
  const WString path = dir / L"held.txt";
  ExclusiveHold hold(path);
  ASSERT_TRUE(hold.Held());
  CaptureStderr();
  EXPECT_EQ(nullptr, OpenWithRetry(path.c_str(), L"ab", 10));
  EXPECT_EQ(Narrow(Counters(100) + L"Can't open ab  " + path + L"\n"), GetCapturedStderr());
}

TEST(OpenWithRetryTest, AtLeastOneAttempt) {
  ScopedTempDir dir;
  const WString path = dir / L"missing\\file.txt";
  for (int seconds : {0, -5}) {
    SCOPED_TRACE(seconds);
    CaptureStderr();
    EXPECT_EQ(nullptr, OpenWithRetry(path.c_str(), L"rb", seconds));
    EXPECT_EQ(Narrow(L"1\rCan't open rb  " + path + L"\n"), GetCapturedStderr());
  }
}

}  // namespace
}  // namespace sollux
