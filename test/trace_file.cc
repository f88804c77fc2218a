#include "test/trace_file.h"

#include "base/time_text.h"
#include "test/temp_dir.h"

namespace sollux::test {

std::wstring TraceFolder(const std::wstring& temp) { return temp + L"\\Brevant.tmp\\_trace_"; }

std::wstring TraceFilePath(const std::wstring& temp, int64_t time) {
  return TraceFolder(temp) + L"\\WC\\" + FormatTime(time, L"%m%d_%H") + L".txt";
}

std::string Utf16Bytes(const std::wstring& text) {
  std::string bytes;
  for (wchar_t c : text) {
    bytes += static_cast<char>(c & 0xFF);
    bytes += static_cast<char>((c >> 8) & 0xFF);
  }
  return bytes;
}

std::wstring ReadTraceText(const std::wstring& path) {
  const std::string bytes = ReadFileBytes(path);
  if (bytes.size() % 2 != 0 || bytes.rfind("\xFF\xFE", 0) != 0) return std::wstring();
  std::wstring text;
  for (size_t i = 2; i < bytes.size(); i += 2) {
    text += static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]) |
                                 static_cast<unsigned char>(bytes[i + 1]) << 8);
  }
  return text;
}

}  // namespace sollux::test
