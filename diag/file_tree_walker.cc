#include "diag/file_tree_walker.h"

#include <algorithm>
#include <cstdint>
#include <cwchar>
#include <functional>

#include "base/file_system.h"
#include "base/folders.h"
#include "base/path.h"
#include "base/system_api.h"
#include "base/text.h"
#include "diag/file_attributes.h"
#include "diag/folder_listing.h"

namespace sollux {
namespace {

constexpr int64_t kSecondsPerDay = 86400;

// Created on the first purge; as a function-local static it is destroyed by the exit-time
// handlers after main returns or exit is called, which carries out the queued deletions. A
// process that is killed deletes nothing.
FileTreeWalker& PurgeQueue() {
  static FileTreeWalker queue;
  return queue;
}

}  // namespace

FileTreeWalker::~FileTreeWalker() {
  CopyPass();
  DeletePass();
}

bool FileTreeWalker::AddPath(const WString& path) { return AddPath(path.c_str()); }

bool FileTreeWalker::AddPath(const wchar_t* path) {
  sources_.push_back(TextOrEmpty(path));
  return true;
}

bool FileTreeWalker::AddPaths(WStringList paths) {
  for (WString& path : paths) sources_.push_back(std::move(path));
  return true;
}

bool FileTreeWalker::AddCopy(const wchar_t* source, const wchar_t* destination) {
  sources_.push_back(TextOrEmpty(source));
  destinations_.resize(sources_.size());
  destinations_.back() = TextOrEmpty(destination);
  return true;
}

bool FileTreeWalker::CopyAll() {
  CopyPass();
  return true;
}

bool FileTreeWalker::DeleteAll() {
  DeletePass();
  return true;
}

void FileTreeWalker::CopyPass() {
  for (size_t i = 0; i < sources_.size() && i < destinations_.size(); ++i) {
    const WString source = sources_[i];
    const WString destination = destinations_[i];
    if (source.empty() || destination.empty() || !PathExists(source.c_str(), false)) continue;
    if (!CopyFileCreatingFolder(source.c_str(), destination.c_str(), false)) sources_[i].clear();
  }
  destinations_.clear();
}

void FileTreeWalker::DeletePass() {
  // Descending order puts every path after all longer paths that start with it: a folder's
  // files and subfolders come before the folder itself.
  std::sort(sources_.begin(), sources_.end(), std::greater<WString>());
  sources_.erase(std::unique(sources_.begin(), sources_.end()), sources_.end());
  for (WString& entry : sources_) {
    if (entry.empty()) continue;
    const WString path = WithoutTrailingSeparator(entry);
    entry.clear();
    DeleteOne(path);
  }
  sources_.clear();
}

void FileTreeWalker::DeleteOne(const WString& path) {
  if (!PathExists(path.c_str(), false)) return;
  if (FileStatus(path.c_str()).IsDirectory()) {
    if (IsDirectoryEmpty(path.c_str())) Sys().DeleteDirectory(path.c_str());
  } else {
    Sys().RemoveFile(path.c_str());
  }
}

bool PurgeOldFiles(const wchar_t* pattern_path, int days) {
  const int64_t now = Sys().CurrentTime();
  const WString folder = DirectoryPart(pattern_path);
  const WString pattern = FileStem(TextOrEmpty(pattern_path)) + L"*." + FileExtension(pattern_path);
  const WStringList files = ListMatchingFiles(folder.c_str(), pattern);
  FileTreeWalker& queue = PurgeQueue();
  const int64_t threshold = static_cast<int64_t>(days) * kSecondsPerDay;
  bool queued = false;
  for (const WString& file : files) {
    const FileStatus status(file.c_str());
    const FileAttributes attributes(file);
    if (attributes.Has(FILE_ATTRIBUTE_READONLY) == 0 && now - status.ModifyTime() >= threshold) {
      queue.AddPath(file);
      queued = true;
    }
  }
  return !queued;
}

bool IsDirectoryEmpty(const wchar_t* path) {
  WString folder = WithoutTrailingSeparator(path);
  // A missing path has nothing in it; looking at its parent instead would call a missing
  // folder non-empty. Only an existing file stands for the folder that holds it.
  const FileStatus status(folder.c_str());
  if (status.Failed()) return true;
  if (!status.IsDirectory()) folder = DirectoryPart(folder);
  FolderEnumeration enumeration(WithTrailingSeparator(folder, L'\\') + L"*.*");
  while (enumeration.Next()) {
    if (!IsDotEntry(enumeration.Entry().cFileName)) return false;
  }
  return true;
}

bool CopyFileCreatingFolder(const wchar_t* source, const wchar_t* destination,
                            bool fail_if_exists) {
  if (!PathExists(source, false)) return false;
  if (fail_if_exists && PathExists(destination, false)) return false;
  const WString folder = DirectoryPart(destination);
  if (!DirectoryExists(folder.c_str()) && !CreateDirectoryChain(folder)) return false;
  return Sys().CopyFileW(TextOrEmpty(source), TextOrEmpty(destination),
                         fail_if_exists ? TRUE : FALSE) != FALSE;
}

}  // namespace sollux
