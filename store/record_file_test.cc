#include "store/record_file.h"

#include <gtest/gtest.h>

#include <string>

#include "base/system_api.h"
#include "test/temp_dir.h"

namespace sollux {
namespace {

using test::ReadFileBytes;
using test::ScopedTempDir;
using test::WriteFileBytes;

std::string Lines(int first, int last, const char* end) {
  std::string text;
  for (int i = first; i <= last; ++i) text += "run " + std::to_string(i) + end;
  return text;
}

// Whatever its bytes, a record is read line by line, and written back in one form: the mark,
// CRLF, the last `limit` lines (a history keeps 1,000).
TEST(RecordFileTest, AppendKeepsTheLastLinesInOneForm) {
  const struct {
    const char* name;
    std::string before;  // the file's bytes; none without
    std::string after;
  } cases[] = {
      {"new", "", "\xEF\xBB\xBFrun 0\r\n"},
      {"lf, no mark", Lines(1, 2, "\n"), "\xEF\xBB\xBF" + Lines(1, 2, "\r\n") + "run 0\r\n"},
      {"no final line end", "run 1\r\nrun 2", "\xEF\xBB\xBF" + Lines(1, 2, "\r\n") + "run 0\r\n"},
      {"999", "\xEF\xBB\xBF" + Lines(1, 999, "\r\n"),
       "\xEF\xBB\xBF" + Lines(1, 999, "\r\n") + "run 0\r\n"},
      {"1000", "\xEF\xBB\xBF" + Lines(1, 1000, "\r\n"),
       "\xEF\xBB\xBF" + Lines(2, 1000, "\r\n") + "run 0\r\n"},
      {"1500, blank lines", "\xEF\xBB\xBF\r\n" + Lines(1, 1500, "\r\n\r\n"),
       "\xEF\xBB\xBF" + Lines(502, 1500, "\r\n") + "run 0\r\n"},
      {"garbage", std::string("\0\0\r\n\xFF\xFE\r\n", 8),
       std::string("\xEF\xBB\xBF\0\0\r\n", 7) + "\xEF\xBF\xBD\xEF\xBF\xBD\r\nrun 0\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ScopedTempDir dir;
    if (!c.before.empty()) WriteFileBytes(dir / L"record.txt", c.before);
    ASSERT_TRUE(AppendRecord(dir / L"record.txt", {L"run 0"}, 1000));
    EXPECT_EQ(c.after, ReadFileBytes(dir / L"record.txt"));
    WStringList lines;
    EXPECT_EQ(RecordRead::kRead, ReadRecordLines(dir / L"record.txt", &lines));
    EXPECT_EQ(L"run 0", lines.back());
  }
}

// A stick that stops taking bytes halfway leaves the record as it was, and no half of the new
// one; a folder in a record's place is no record, and is left as it is.
class StickFullAfter : public RealSystemApi {
 public:
  BOOL WriteFile(HANDLE file, const void* data, DWORD size, DWORD* written) override {
    RealSystemApi::WriteFile(file, data, size / 2, written);
    ::SetLastError(ERROR_DISK_FULL);
    return FALSE;
  }
};

TEST(RecordFileTest, AWriteThatFailsLeavesTheOldRecord) {
  ScopedTempDir dir;
  WriteFileBytes(dir / L"record.txt", "run 1\r\n");
  {
    StickFullAfter full;
    const ScopedSystemApi scoped(full);
    EXPECT_FALSE(AppendRecord(dir / L"record.txt", {L"run 2"}));
  }
  EXPECT_EQ("run 1\r\n", ReadFileBytes(dir / L"record.txt"));
  EXPECT_EQ(1u, test::FilesBelow(dir.path()).size());
  test::MakeFolders(dir / L"folder.txt");
  WStringList lines;
  EXPECT_EQ(RecordRead::kUnreadable, ReadRecordLines(dir / L"folder.txt", &lines));
  EXPECT_EQ(RecordRead::kMissing, ReadRecordLines(dir / L"none.txt", &lines));
  EXPECT_FALSE(AppendRecord(dir / L"folder.txt", {L"run 2"}));
  EXPECT_FALSE(ReplaceRecord(dir / L"missing folder\\record.txt", {L"run 2"}));
}

}  // namespace
}  // namespace sollux
