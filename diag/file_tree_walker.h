// Collects file and folder paths and copies and deletes them as a batch. Whatever is pending
// when a walker is destroyed is carried out then, so a walker that lives until the end of the
// process is a queue of deletions carried out at exit.
#ifndef SOLLUX_DIAG_FILE_TREE_WALKER_H_
#define SOLLUX_DIAG_FILE_TREE_WALKER_H_

#include "base/wstring.h"

namespace sollux {

class FileTreeWalker {
 public:
  FileTreeWalker() = default;
  FileTreeWalker(const FileTreeWalker&) = delete;
  FileTreeWalker& operator=(const FileTreeWalker&) = delete;

  // Runs the copy pass, then the delete pass.
  virtual ~FileTreeWalker();
  // Goes through the NUL-terminated form, so a derived class needs to override only that one.
  virtual bool AddPath(const WString& path);
  // Queues a file or folder (with or without a trailing separator) for deletion.
  virtual bool AddPath(const wchar_t* path);
  virtual bool AddPaths(WStringList paths);
  // Queues `source` to be copied to `destination` and, once copied, deleted.
  virtual bool AddCopy(const wchar_t* source, const wchar_t* destination);
  // Copies every queued source that has a destination, overwriting, creating the destination's
  // folder. A source whose copy fails is taken out of the queue, so it is never deleted.
  virtual bool CopyAll();
  // Deletes the queued paths, deepest first: files always (unless the system refuses), folders
  // only when they are empty by then. Never descends into a folder, never changes attributes.
  virtual bool DeleteAll();

  // The queue as it stands; a destination "" means no copy.
  const WStringList& Sources() const { return sources_; }
  const WStringList& Destinations() const { return destinations_; }

 private:
  void CopyPass();
  void DeletePass();
  void DeleteOne(const WString& entry);

  WStringList sources_;
  WStringList destinations_;
};

// Queues for deletion at normal process exit every file directly in the folder of
// `pattern_path` whose name matches its stem, "*." and its extension (for C:\t\.txt: the files
// *.txt in C:\t), that is not read-only and was last modified `days` days ago or earlier.
// True when nothing was queued. The queue is a process-wide walker created on the first call.
bool PurgeOldFiles(const wchar_t* pattern_path, int days);

// True when the folder holds no entry besides "." and "..", and when it is missing or cannot be
// read. The path of an existing file tests the folder that holds it.
bool IsDirectoryEmpty(const wchar_t* path);

// Copies a file, creating the destination's folder with its parents. With `fail_if_exists`, an
// existing destination is left alone and false answered.
bool CopyFileCreatingFolder(const wchar_t* source, const wchar_t* destination, bool fail_if_exists);

}  // namespace sollux

#endif  // SOLLUX_DIAG_FILE_TREE_WALKER_H_
