#include "base/text_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "base/system_api.h"
#include "base/win.h"
#include "test/temp_dir.h"

namespace sollux {
namespace {

using test::ReadFileBytes;
using test::ScopedTempDir;
using test::WriteFileBytes;
using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

// "1\r2\r...count\r", the running count of failed opens.
std::string Counts(int count) {
  std::string text;
  for (int i = 1; i <= count; ++i) text += std::to_string(i) + "\r";
  return text;
}

TEST(ToShiftJisTest, BytesOfCodePage932) {
  const struct {
    WString text;
    std::string bytes;
  } cases[] = {
      {L"", ""},
      {L"@echo off\r\ncd /d %Temp%\r\n\techo.", "@echo off\r\ncd /d %Temp%\r\n\techo."},
      {L"C:\\\x30C7\x30FC\x30BF\\\x898B\x7A4D\x66F8",  // C:\データ\見積書
       "C:\\\x83\x66\x81\x5B\x83\x5E\\\x8C\xA9\x90\xCF\x8F\x91"},
      {L"\x30BD\x8868\x30DD", "\x83\x5C\x95\x5C\x83\x7C"},  // ソ表ポ: trail bytes \ and |
      {L"\xFF71\x2460\xFF5E", "\xB1\x87\x40\x81\x60"},      // ｱ①～
      // Without a form in code page 932: one "_" for each character, also outside the basic
      // plane and for a lone surrogate.
      {L"a\u2603b", "a_b"},
      {L"\x2603\x2603", "__"},
      {L"x\xD83D\xDE00y", "x_y"},
      {WString{L'x', 0xD83D, L'y', 0xDE00}, "x_y_"},
      // Best-fit replacements: letters lose their accents, the yen sign becomes the byte of
      // the backslash.
      {L"Caf\xE9", "Cafe"},
      {L"C:\u00A5Data", "C:\\Data"},
      {WString(L"ab\0cd", 5), "ab"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.text));
    EXPECT_EQ(c.bytes, ToShiftJis(c.text));
  }
}

TEST(SurvivesShiftJisTest, OnlyTextsThatComeBackUnchanged) {
  const struct {
    WString text;
    bool survives;
  } cases[] = {
      {L"", true},
      {L"C:\\Users\\user1\\Documents", true},
      {L"D:\\R&D\\50%", true},
      {L"C:\\\x30C7\x30FC\x30BF\\\x30BD\x8868\x30DD", true},
      {L"\xFF71\x2460\xFF5E", true},
      {L"C:\\Caf\xE9", false},
      {L"C:\\\u00A5100", false},
      {L"a\u00A6b", false},
      {L"a\u2603b", false},
      {L"a\xD83D\xDE00", false},
      {L"a_b", true},
      {WString(L"ab\0cd", 5), false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.text));
    EXPECT_EQ(c.survives, SurvivesShiftJis(c.text));
  }
}

TEST(WriteTextFileTest, WritesCodePage932BytesAndReplacesTheFile) {
  ScopedTempDir dir;
  const std::wstring path = dir / L"RC_x.bat";
  WriteFileBytes(path, std::string(1000, 'x'));
  const WString text = L"@echo off\r\necho\t\t\tC:\\\x30C7\x30FC\x30BF\x2603\r\n";
  CaptureStderr();
  EXPECT_TRUE(WriteTextFile(path.c_str(), text));
  EXPECT_EQ("", GetCapturedStderr());
  EXPECT_EQ("@echo off\r\necho\t\t\tC:\\\x83\x66\x81\x5B\x83\x5E_\r\n", ReadFileBytes(path));
}

TEST(WriteTextFileTest, EmptyTextLeavesAnEmptyFile) {
  ScopedTempDir dir;
  const std::wstring path = dir / L"empty.bat";
  WriteFileBytes(path, "old content");
  EXPECT_TRUE(WriteTextFile(path.c_str(), L""));
  EXPECT_EQ(0u, ::GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_EQ("", ReadFileBytes(path));
  const std::wstring fresh = dir / L"fresh.bat";
  EXPECT_TRUE(WriteTextFile(fresh.c_str(), L""));
  EXPECT_NE(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesW(fresh.c_str()));
}

// Counts the opens and records the waits; writes one byte less than asked on the first
// `short_writes` writes.
class CountingApi : public RealSystemApi {
 public:
  explicit CountingApi(int short_writes = 0) : short_writes_(short_writes) {}
  FILE* OpenFile(const wchar_t* path, const wchar_t* mode) override {
    ++opens;
    return RealSystemApi::OpenFile(path, mode);
  }
  size_t WriteToFile(const void* data, size_t size, size_t count, FILE* file) override {
    if (short_writes_-- > 0 && count > 0) --count;
    return RealSystemApi::WriteToFile(data, size, count, file);
  }
  void Sleep(DWORD milliseconds) override {
    sleeps.push_back(milliseconds);
    RealSystemApi::Sleep(milliseconds);
  }
  int opens = 0;
  std::vector<DWORD> sleeps;

 private:
  int short_writes_;
};

TEST(WriteTextFileTest, EmptyPathFailsWithoutOpening) {
  CountingApi api;
  ScopedSystemApi scoped(api);
  CaptureStderr();
  EXPECT_FALSE(WriteTextFile(L"", L"text"));
  EXPECT_FALSE(WriteTextFile(nullptr, L"text"));
  EXPECT_FALSE(WriteBytesToFile(L"", {'a'}, 0));
  EXPECT_EQ("", GetCapturedStderr());
  EXPECT_EQ(0, api.opens);
  EXPECT_TRUE(api.sleeps.empty());
}

// A file that does not read back whole is written again, 10 ms later, in at most 12 passes.
TEST(WriteTextFileTest, ShortFileIsWrittenAgain) {
  ScopedTempDir dir;
  const std::wstring path = dir / L"short.bat";
  {
    CountingApi api(/*short_writes=*/1);
    ScopedSystemApi scoped(api);
    EXPECT_TRUE(WriteTextFile(path.c_str(), L"timeout /t 10\r\n"));
    EXPECT_EQ(2, api.opens);
    EXPECT_EQ(std::vector<DWORD>{10}, api.sleeps);
    EXPECT_EQ("timeout /t 10\r\n", ReadFileBytes(path));
  }
  CountingApi api(/*short_writes=*/100);
  ScopedSystemApi scoped(api);
  EXPECT_FALSE(WriteBytesToFile(path.c_str(), {'a', 'b'}, 0));
  EXPECT_EQ(12, api.opens);
  EXPECT_EQ(std::vector<DWORD>(11, 10), api.sleeps);
  EXPECT_EQ("a", ReadFileBytes(path));
  EXPECT_FALSE(WriteBytesToFile(path.c_str(), {'a', 'b'}, 11));
  EXPECT_EQ(13, api.opens);
}

TEST(WriteTextFileTest, FileHeldByAnotherHandleIsWrittenWhenReleased) {
  ScopedTempDir dir;
  const std::wstring path = dir / L"held.bat";
  HANDLE held = ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, held);
  std::thread release([held] {
    std::this_thread::sleep_for(std::chrono::seconds(1));
    ::CloseHandle(held);
  });
  CaptureStderr();
  const bool written = WriteTextFile(path.c_str(), L"cd /d %Temp%\r\n");
  const std::string counter = GetCapturedStderr();
  release.join();
  EXPECT_TRUE(written);
  EXPECT_EQ("cd /d %Temp%\r\n", ReadFileBytes(path));
  const int count = static_cast<int>(std::count(counter.begin(), counter.end(), '\r'));
  EXPECT_GE(count, 1);
  EXPECT_LT(count, 100);
  EXPECT_EQ(Counts(count), counter);
}

TEST(WriteTextFileTest, MissingFolderFailsAfterOneHundredAttempts) {
  ScopedTempDir dir;
  const std::wstring path = dir / L"missing\\RC_x.bat";
  CountingApi api;
  ScopedSystemApi scoped(api);
  CaptureStderr();
  EXPECT_FALSE(WriteTextFile(path.c_str(), L"echo.\r\n"));
  EXPECT_EQ(Counts(100), GetCapturedStderr());
  EXPECT_EQ(100, api.opens);
  EXPECT_EQ(std::vector<DWORD>(100, 100), api.sleeps);
}

}  // namespace
}  // namespace sollux
