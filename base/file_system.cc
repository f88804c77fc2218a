#include "base/file_system.h"

#include <cstring>
#include <optional>

#include "base/messages.h"
#include "base/path.h"
#include "base/system_api.h"
#include "base/win.h"

namespace sollux {
namespace {

constexpr int64_t kRetryPauseMs = 100;
constexpr size_t kReadChunk = 16384;

// The path as the existence tests see it: one trailing separator removed, slashes rewritten,
// a drive as its root.
WString ExistencePath(const wchar_t* path) {
  WString t = WithoutTrailingSeparatorBelowRoot(TextOrEmpty(path));
  if (t.find(L'/') != WString::npos) t = NormalizeSeparators(t, L'\\');
  return t;
}

// Windows' C runtime fails its status call for paths of this many characters or more unless the
// process is long-path aware and the system allows long paths; Wine has no such limit.
constexpr size_t kRuntimePathLimit = MAX_PATH;

// The attributes of an absolute path too long for the C runtime's status call, through its
// \\?\ form; nothing for a shorter or a relative path.
std::optional<WIN32_FILE_ATTRIBUTE_DATA> LongPathAttributes(const WString& path) {
  if (path.size() < kRuntimePathLimit) return std::nullopt;
  const WString form = LongPathForm(path);
  if (form.empty()) return std::nullopt;
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  if (!Sys().GetFileAttributesExW(form.c_str(), &data))
    data.dwFileAttributes = INVALID_FILE_ATTRIBUTES;
  return data;
}

// \\server and \\server\share name no folder that could be created.
bool IsUncServerOrShare(const WString& prefix) {
  if (!IsUncPath(prefix)) return false;
  const WString after_server = prefix.substr(2);
  const size_t share_start = after_server.find(L'\\');
  if (share_start == WString::npos) return true;
  return after_server.find(L'\\', share_start + 1) == WString::npos;
}

bool IsSkippedLevel(const WString& prefix) {
  if (prefix.empty() || prefix == L"\\" || prefix == L"/") return true;
  if (DirectoryExists(prefix.c_str())) return true;
  if (prefix.back() == L':') return true;
  return IsUncServerOrShare(prefix);
}

}  // namespace

FileStatus::FileStatus(const wchar_t* path) {
  WString p(path != nullptr ? path : L"");
  if (p.find(L'/') != WString::npos) p = NormalizeSeparators(p, L'\\');
  std::memset(&record_, 0, sizeof(record_));
  error_ = Sys().Stat64(p.c_str(), &record_);
  if (error_ != 0) std::memset(&record_, 0, sizeof(record_));
}

bool FileStatus::Failed() const { return error_ != 0; }
int64_t FileStatus::Size() const { return record_.st_size; }
int64_t FileStatus::AccessTime() const { return record_.st_atime; }
int64_t FileStatus::ModifyTime() const { return record_.st_mtime; }
int64_t FileStatus::ChangeTime() const { return record_.st_ctime; }
unsigned short FileStatus::Mode() const { return record_.st_mode; }
bool FileStatus::IsFile() const { return (record_.st_mode & 0xF000) == 0x8000; }
bool FileStatus::IsDirectory() const { return (record_.st_mode & 0xF000) == 0x4000; }

bool DirectoryExists(const wchar_t* path) {
  const WString t = ExistencePath(path);
  if (const auto data = LongPathAttributes(t)) {
    const DWORD attributes = data->dwFileAttributes;
    return attributes != INVALID_FILE_ATTRIBUTES &&
           (IsUncPath(t) || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0);
  }
  if (IsUncPath(t)) return Sys().Access(t.c_str(), 0) == 0;
  const FileStatus status(t.c_str());
  return !status.Failed() && status.IsDirectory();
}

bool PathExists(const wchar_t* path, bool require_non_empty) {
  const WString t = ExistencePath(path);
  if (const auto data = LongPathAttributes(t)) {
    if (data->dwFileAttributes == INVALID_FILE_ATTRIBUTES) return false;
    const bool empty_file = (data->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
                            data->nFileSizeLow == 0 && data->nFileSizeHigh == 0;
    return IsUncPath(t) || !require_non_empty || !empty_file;
  }
  if (IsUncPath(t)) return Sys().Access(t.c_str(), 0) == 0;
  const FileStatus status(t.c_str());
  return !status.Failed() && (status.Size() != 0 || status.IsDirectory() || !require_non_empty);
}

bool CreateDirectoryChain(const WString& path) {
  if (DirectoryExists(path.c_str())) return true;
  const WString whole = WithoutTrailingSeparator(NormalizeSeparators(path, L'\\'));
  const WStringList elements = SplitAtChar(whole, L'\\');
  WString prefix;
  for (size_t i = 0; i < elements.size(); ++i) {
    if (i > 0) prefix += L'\\';
    prefix += elements[i];
    if (IsSkippedLevel(prefix)) continue;
    // Another process may have created the level between the test and the creation.
    if (Sys().MakeDirectory(prefix.c_str()) != 0 && !DirectoryExists(prefix.c_str())) {
      return false;
    }
  }
  return true;
}

bool CreateLongFolderChain(const WString& folder) {
  const auto exists = [](const WString& path) {
    return Sys().GetFileAttributesW(OpenablePath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
  };
  WStringList missing;
  for (WString level = WithoutTrailingSeparator(folder); !level.empty() && !exists(level);
       level = DirectoryPart(level)) {
    missing.push_back(level);
    if (DirectoryPart(level) == level) break;
  }
  for (auto level = missing.rbegin(); level != missing.rend(); ++level) {
    if (!Sys().CreateDirectoryW(OpenablePath(*level).c_str()) && !exists(*level)) return false;
  }
  return true;
}

void FileCloser::operator()(FILE* file) const {
  if (file != nullptr) Sys().CloseFile(file);
}

UniqueFile OpenWithRetry(const wchar_t* path, const wchar_t* mode, int seconds) {
  if (path == nullptr || *path == L'\0' || mode == nullptr) return nullptr;
  int64_t attempts = static_cast<int64_t>(seconds) * 1000 / kRetryPauseMs;
  if (attempts <= 0) attempts = 1;
  for (int64_t attempt = 1; attempt <= attempts; ++attempt) {
    if (FILE* file = Sys().OpenFile(path, mode)) return UniqueFile(file);
    Sys().Sleep(static_cast<DWORD>(kRetryPauseMs));
    ErrorCounter(static_cast<uint64_t>(attempt));
  }
  return nullptr;
}

std::string ReadWholeFile(const WString& path) {
  FILE* file = Sys().OpenFile(OpenablePath(path).c_str(), L"rb");
  if (file == nullptr) return std::string();
  std::string bytes, chunk(kReadChunk, '\0');
  for (size_t read; (read = Sys().ReadFromFile(chunk.data(), 1, chunk.size(), file)) > 0;) {
    bytes.append(chunk, 0, read);
  }
  Sys().CloseFile(file);
  return bytes;
}

bool WriteWholeFile(const WString& path, const std::string& bytes, const wchar_t* mode) {
  FILE* file = Sys().OpenFile(OpenablePath(path).c_str(), mode);
  if (file == nullptr) return false;
  const bool written = Sys().WriteToFile(bytes.data(), 1, bytes.size(), file) == bytes.size();
  // A full stick shows only when the last buffer is flushed.
  return Sys().CloseFile(file) == 0 && written;
}

}  // namespace sollux
