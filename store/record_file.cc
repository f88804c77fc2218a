#include "store/record_file.h"

#include "base/file_system.h"
#include "base/path.h"
#include "base/system_api.h"
#include "base/text.h"
#include "base/win.h"

namespace sollux {
namespace {

// A record larger than this was not written by Sollux (an added list of a million files is a
// tenth of it), and reading it whole could exhaust the memory.
constexpr uint64_t kLargestRecord = uint64_t{1} << 30;
// Names tried for the new file beside a record; one left by a stick pulled out is not reused.
constexpr int kNewFileNames = 10;

void AppendUtf8(char32_t code, std::string* bytes) {
  if (code < 0x80) {
    *bytes += static_cast<char>(code);
    return;
  }
  const int tail = code < 0x800 ? 1 : code < 0x10000 ? 2 : 3;
  static constexpr unsigned char kLead[] = {0, 0xC0, 0xE0, 0xF0};
  *bytes += static_cast<char>(kLead[tail] | (code >> (6 * tail)));
  for (int i = tail - 1; i >= 0; --i) {
    *bytes += static_cast<char>(0x80 | ((code >> (6 * i)) & 0x3F));
  }
}

// Written out by hand: the C runtime's conversions follow its locale, which is "C" unless the
// program sets another. A lone surrogate becomes U+FFFD.
std::string Utf8(const WString& text) {
  std::string bytes;
  bytes.reserve(3 * text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t code = text[i];
    const bool pair = code >= 0xD800 && code <= 0xDBFF && i + 1 < text.size() &&
                      text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF;
    if (pair) {
      code = 0x10000 + ((code - 0xD800) << 10) + (text[++i] - 0xDC00);
    } else if (code >= 0xD800 && code <= 0xDFFF) {
      code = 0xFFFD;
    }
    AppendUtf8(code, &bytes);
  }
  return bytes;
}

// A new file of `bytes` beside `path`, on the device; "" when none could be made. Never one that
// is there already: a link in its place would take the bytes elsewhere.
WString WriteNewFile(const WString& path, const std::string& bytes) {
  for (int n = 1; n <= kNewFileNames; ++n) {
    const WString name = path + L".new" + (n == 1 ? WString() : std::to_wstring(n));
    const HANDLE file = Sys().CreateFileW(OpenablePath(name).c_str(), GENERIC_WRITE, 0, CREATE_NEW,
                                          FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT);
    if (file == INVALID_HANDLE_VALUE) {
      if (Sys().GetLastError() == ERROR_FILE_EXISTS) continue;
      return WString();
    }
    DWORD written = 0;
    const bool whole = Sys().WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()),
                                       &written) &&
                       written == bytes.size() && Sys().FlushFileBuffers(file);
    Sys().CloseHandle(file);
    if (whole) return name;
    Sys().DeleteFileW(OpenablePath(name).c_str());
    return WString();
  }
  return WString();
}

}  // namespace

std::string Utf8FileBytes(const WString& text) { return std::string(kByteOrderMark) + Utf8(text); }

WString FromUtf8(std::string_view bytes) {
  if (bytes.starts_with(kByteOrderMark)) bytes.remove_prefix(kByteOrderMark.size());
  if (bytes.empty()) return WString();
  const int size = static_cast<int>(bytes.size());
  WString text(bytes.size(), L'\0');
  text.resize(::MultiByteToWideChar(CP_UTF8, 0, bytes.data(), size, text.data(), size));
  return text;
}

RecordRead ReadRecordLines(const WString& path, WStringList* lines) {
  lines->clear();
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  if (!Sys().GetFileAttributesExW(OpenablePath(path).c_str(), &data)) {
    const DWORD error = Sys().GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? RecordRead::kMissing
                                                                          : RecordRead::kUnreadable;
  }
  const uint64_t size = (uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
  if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 || size > kLargestRecord) {
    return RecordRead::kUnreadable;
  }
  std::string_view bytes;
  const std::string whole = ReadWholeFile(path);
  if (whole.size() != size) return RecordRead::kUnreadable;
  bytes = whole;
  if (bytes.starts_with(kByteOrderMark)) bytes.remove_prefix(kByteOrderMark.size());
  for (const std::string_view line : ByteLines(bytes)) {
    if (!line.empty()) lines->push_back(FromUtf8(line));
  }
  return RecordRead::kRead;
}

bool ReplaceRecord(const WString& path, const WStringList& lines) {
  WString text;
  for (const WString& line : lines) text += line + L"\r\n";
  return ReplaceRecordText(path, text);
}

bool ReplaceRecordText(const WString& path, const WString& text) {
  const WString written = WriteNewFile(path, Utf8FileBytes(text));
  if (written.empty()) return false;
  if (Sys().MoveFileExW(OpenablePath(written).c_str(), OpenablePath(path).c_str(),
                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return true;
  }
  Sys().DeleteFileW(OpenablePath(written).c_str());
  return false;
}

bool AppendRecord(const WString& path, const WStringList& lines, size_t limit) {
  WStringList all;
  if (ReadRecordLines(path, &all) == RecordRead::kUnreadable) return false;
  all.insert(all.end(), lines.begin(), lines.end());
  if (limit != 0 && all.size() > limit) all.erase(all.begin(), all.end() - limit);
  return ReplaceRecord(path, all);
}

WStringList RecordFields(const WString& line) {
  WStringList fields(1);
  for (const wchar_t c : line) {
    if (c == kRecordFieldSeparator) {
      fields.emplace_back();
    } else {
      fields.back() += c;
    }
  }
  return fields;
}

std::optional<uint64_t> RecordNumber(const WString& field) {
  if (field.empty() || field.size() > 18 ||
      field.find_first_not_of(L"0123456789") != WString::npos) {
    return std::nullopt;
  }
  return std::stoull(field);
}

}  // namespace sollux
