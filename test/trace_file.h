// Where the trace log of a test goes and what it holds, for tests that point TMP at a folder of
// their own.
#ifndef SOLLUX_TEST_TRACE_FILE_H_
#define SOLLUX_TEST_TRACE_FILE_H_

#include <cstdint>
#include <string>

namespace sollux::test {

// The trace folder when the temporary folder is `temp`: temp\Brevant.tmp\_trace_.
std::wstring TraceFolder(const std::wstring& temp);
// The hourly file that a record written at `time` goes to.
std::wstring TraceFilePath(const std::wstring& temp, int64_t time);

// The code units of `text` as UTF-16LE bytes.
std::string Utf16Bytes(const std::wstring& text);
// The text of a UTF-16LE file after its byte-order mark; "" when the file is missing, has an
// odd length or does not start with the mark.
std::wstring ReadTraceText(const std::wstring& path);

}  // namespace sollux::test

#endif  // SOLLUX_TEST_TRACE_FILE_H_
