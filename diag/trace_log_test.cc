#include "diag/trace_log.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/file_system.h"
#include "base/system_api.h"
#include "base/time_text.h"
#include "test/child_process.h"
#include "test/fake_machine.h"
#include "test/scoped_environment.h"
#include "test/temp_dir.h"
#include "test/trace_file.h"

namespace sollux {
namespace {

using test::ReadFileBytes;
using test::ScopedCurrentDirectory;
using test::ScopedEnvironmentVariable;
using test::ScopedTempDir;
using test::Utf16Bytes;
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
  EXPECT_EQ(test::Narrow(Counters(10)), GetCapturedStderr());
  ASSERT_NE(nullptr, file);
  std::fputs("+new", file.get());
  file.reset();
  EXPECT_EQ("old+new", test::ReadFileBytes(path));
}

// The trace log names the file it gave up on (RecordForAHeldFileIsLostAndNamed); the batch file
// writer names it in its own words.
TEST(OpenWithRetryTest, GivesUpAfterTheLimit) {
  ScopedTempDir dir;
  const WString path = dir / L"held.txt";
  ExclusiveHold hold(path);
  ASSERT_TRUE(hold.Held());
  CaptureStderr();
  EXPECT_EQ(nullptr, OpenWithRetry(path.c_str(), L"ab", 10));
  EXPECT_EQ(test::Narrow(Counters(100)), GetCapturedStderr());
}

TEST(OpenWithRetryTest, AtLeastOneAttempt) {
  ScopedTempDir dir;
  const WString path = dir / L"missing\\file.txt";
  for (int seconds : {0, -5}) {
    SCOPED_TRACE(seconds);
    CaptureStderr();
    EXPECT_EQ(nullptr, OpenWithRetry(path.c_str(), L"rb", seconds));
    EXPECT_EQ("1\r", GetCapturedStderr());
  }
}

// 2026-12-07 09:05:31 UTC.
constexpr int64_t kNow = 1796634331;
constexpr int64_t kDay = 86400;

WString TimeStamp(int64_t time) { return FormatTime(time, L"%Y/%m/%d %H:%M:%S"); }

WString SystemUserName() {
  wchar_t name[257] = {};
  DWORD size = 257;
  ::GetUserNameW(name, &size);
  return name;
}

WString ProgramPath() {
  wchar_t path[MAX_PATH + 1] = {};
  ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  return path;
}

// The trace goes below TMP, pointed at a folder of the test's own, and the clock stands still.
class TraceFileTest : public testing::Test {
 protected:
  TraceFileTest() { machine_.clock = kNow; }
  std::string Header() const {
    return "\xFF\xFE" +
           Utf16Bytes(TimeStamp(kNow) + L"\t" + SystemUserName() + L"\t\t" + temp_.path() +
                      L"\\\t\t" + cwd_dir_.path() + L"\t\t" + ProgramPath() + L"\t\t\r\n");
  }
  static std::string Record(const WString& flat_message) {
    return Utf16Bytes(TimeStamp(kNow) + L"\tdiag_tests.exe\t" + flat_message + L"\r\n");
  }
  WString Path() const { return test::TraceFilePath(temp_.path(), kNow); }

  ScopedTempDir temp_;
  ScopedEnvironmentVariable tmp_{L"TMP", temp_.path()};
  ScopedTempDir cwd_dir_;
  ScopedCurrentDirectory cwd_{cwd_dir_.path()};
  test::ScopedFakeMachine machine_;
};

TEST_F(TraceFileTest, NewFileGetsMarkAndHeaderOnce) {
  ASSERT_TRUE(
      Path().ends_with(L"\\Brevant.tmp\\_trace_\\WC\\" + FormatTime(kNow, L"%m%d_%H") + L".txt"));
  EXPECT_TRUE(WriteTrace(L"a\r\nb\rc\nd"));
  EXPECT_EQ(Header() + Record(L"a\t\tb\tc\td"), ReadFileBytes(Path()));
  EXPECT_TRUE(WriteTrace(L""));
  EXPECT_EQ(Header() + Record(L"a\t\tb\tc\td") + Record(L""), ReadFileBytes(Path()));
}

TEST_F(TraceFileTest, OnlyAnEmptyFileCountsAsNew) {
  const struct {
    const char* name;
    bool exists;
    std::string before;
    bool header;
  } cases[] = {
      {"missing", false, "", true},
      {"zero bytes", true, "", true},
      {"one byte", true, "x", false},
      {"earlier record", true, "\xFF\xFE" + Utf16Bytes(L"old\r\n"), false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    test::MakeFolders(test::TraceFolder(temp_.path()) + L"\\WC");
    ::DeleteFileW(Path().c_str());
    if (c.exists) WriteFileBytes(Path(), c.before);
    EXPECT_TRUE(WriteTrace(L"m"));
    EXPECT_EQ(c.before + (c.header ? Header() : "") + Record(L"m"), ReadFileBytes(Path()));
  }
}

TEST_F(TraceFileTest, EmptyBytesStartTheFileAndAddNothingMore) {
  EXPECT_TRUE(AppendToTraceFile({}));
  EXPECT_EQ(Header(), ReadFileBytes(Path()));
  EXPECT_TRUE(AppendToTraceFile({}));
  EXPECT_TRUE(AppendToTraceFile({'x', 0}));
  EXPECT_EQ(Header() + "x" + std::string(1, '\0'), ReadFileBytes(Path()));
}

// Another program holds the hourly file for longer than the retries last; the pauses pass on
// the stopped clock at once, the attempts are all made.
TEST_F(TraceFileTest, RecordForAHeldFileIsLostAndNamed) {
  WriteFileBytes(Path(), "");
  ExclusiveHold hold(Path());
  ASSERT_TRUE(hold.Held());
  CaptureStderr();
  EXPECT_FALSE(WriteTrace(L"lost"));
  const std::string err = GetCapturedStderr();
  EXPECT_TRUE(err.ends_with(test::Narrow(Counters(100) + L"Can't open ab  " + Path() + L"\n")))
      << err;
  EXPECT_EQ(100 * 100, machine_.slept_milliseconds);
  hold.Release();
  EXPECT_EQ("", ReadFileBytes(Path()));
}

TEST(TraceClockTest, FileAndStampFollowTheRealClock) {
  ScopedTempDir temp;
  ScopedEnvironmentVariable tmp(L"TMP", temp.path());
  const int64_t before = RealSystemApi().CurrentTime();
  ASSERT_TRUE(WriteTrace(L"real"));
  const int64_t after = RealSystemApi().CurrentTime();
  WString text = test::ReadTraceText(test::TraceFilePath(temp.path(), before));
  if (text.empty()) text = test::ReadTraceText(test::TraceFilePath(temp.path(), after));
  const size_t record = text.find(L"\r\n") + 2;
  ASSERT_LT(record, text.size());
  const WString stamp = text.substr(record, TimeStamp(before).size());
  EXPECT_LE(TimeStamp(before), stamp);
  EXPECT_GE(TimeStamp(after), stamp);
  EXPECT_EQ(L"\tdiag_tests.exe\treal\r\n", text.substr(record + stamp.size()));
}

// A child process writes trace records and exits; the aged trace files that its first record
// queued are gone afterwards, everything else stays.
class TracePurgeTest : public testing::Test {
 protected:
  void Stage(const WString& name, int64_t age) {
    const WString path = trace_ + L"\\" + name;
    WriteFileBytes(path, "x");
    ASSERT_TRUE(test::SetLastWriteTime(path, now_ - age)) << path;
  }
  bool Exists(const WString& name) const {
    return ::GetFileAttributesW((trace_ + L"\\" + name).c_str()) != INVALID_FILE_ATTRIBUTES;
  }
  test::ChildOutput RunWriter(const std::vector<WString>& arguments) {
    return test::RunChild(test::FixtureProgram(L"trace_writer.exe"), arguments);
  }

  ScopedTempDir temp_;
  ScopedEnvironmentVariable tmp_{L"TMP", temp_.path()};
  const WString trace_ = test::TraceFolder(temp_.path());
  const int64_t now_ = RealSystemApi().CurrentTime();
};

TEST_F(TracePurgeTest, FirstRecordPurgesAtExitSecondDoesNot) {
  const WString old_hour = L"WC\\" + FormatTime(now_ - 20 * kDay, L"%m%d_%H") + L".txt";
  Stage(L"old.txt", 20 * kDay);
  Stage(L"Old2.TXT", 10 * kDay + 60);
  Stage(old_hour, 11 * kDay);
  Stage(L"young.txt", 10 * kDay - 3600);
  Stage(L"WC\\young.txt", 10 * kDay - 3600);
  Stage(L"locked.txt", 20 * kDay);
  Stage(L"WC\\locked.txt", 20 * kDay);
  for (const wchar_t* name : {L"locked.txt", L"WC\\locked.txt"}) {
    ::SetFileAttributesW((trace_ + L"\\" + name).c_str(), FILE_ATTRIBUTE_READONLY);
  }
  Stage(L"old.log", 20 * kDay);
  Stage(L"WC\\deeper\\old.txt", 20 * kDay);

  const test::ChildOutput child = RunWriter(
      {L"record", L"age", trace_ + L"\\late.txt", L"age", trace_ + L"\\WC\\late.txt", L"record"});
  EXPECT_EQ(0u, child.exit_code) << child.err;
  EXPECT_EQ("1\n1\n", child.out);

  for (const WString& gone : {WString(L"old.txt"), WString(L"Old2.TXT"), old_hour}) {
    EXPECT_FALSE(Exists(gone)) << gone;
  }
  for (const wchar_t* stays : {L"young.txt", L"WC\\young.txt", L"locked.txt", L"WC\\locked.txt",
                               L"old.log", L"WC\\deeper\\old.txt", L"late.txt", L"WC\\late.txt"}) {
    EXPECT_TRUE(Exists(stays)) << stays;
  }
}

// The first record purges even when its file cannot be opened ("WC" is a file here); the
// record after it, written once the way is clear, does not purge again.
TEST_F(TracePurgeTest, LostFirstRecordStillPurgesOnce) {
  Stage(L"old.txt", 20 * kDay);
  Stage(L"WC", 20 * kDay);
  const test::ChildOutput child = RunWriter({L"quick", L"record", L"age", trace_ + L"\\late.txt",
                                             L"remove", trace_ + L"\\WC", L"record"});
  EXPECT_EQ(0u, child.exit_code) << child.err;
  EXPECT_EQ("0\n1\n", child.out);
  EXPECT_NE(std::string::npos,
            child.err.find(test::Narrow(L"Can't open ab  " + trace_ + L"\\WC\\")))
      << child.err;
  EXPECT_FALSE(Exists(L"old.txt"));
  EXPECT_TRUE(Exists(L"late.txt"));
  EXPECT_TRUE(Exists(L"WC"));
}

}  // namespace
}  // namespace sollux
