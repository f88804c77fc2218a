// Listing the entries of one folder (never recursive), simple name patterns in which "*" stands
// for any run of characters.
#ifndef SOLLUX_DIAG_FOLDER_LISTING_H_
#define SOLLUX_DIAG_FOLDER_LISTING_H_

#include "base/win.h"
#include "base/wstring.h"

namespace sollux {

// One find-first/find-next enumeration through the system layer, closed on destruction.
class FolderEnumeration {
 public:
  // `pattern` is a folder, a backslash and a wildcard, as in C:\x\*.*.
  explicit FolderEnumeration(const WString& pattern);
  ~FolderEnumeration();
  FolderEnumeration(const FolderEnumeration&) = delete;
  FolderEnumeration& operator=(const FolderEnumeration&) = delete;

  // False when the enumeration could not be started (missing or unreadable folder).
  bool Started() const { return handle_ != INVALID_HANDLE_VALUE; }
  // Moves to the next entry (the first one on the first call); false at the end.
  bool Next();
  // The current entry.
  const WIN32_FIND_DATAW& Entry() const { return data_; }

 private:
  HANDLE handle_;
  WIN32_FIND_DATAW data_;
  bool first_pending_;
};

// The entries of `folder` as full paths: the folder, a backslash and the name; a folder entry
// ends in a further backslash. Listing order is the file system's. A file's path lists the
// folder that holds the file; "" or a missing folder gives an empty list. With `skip_dots`,
// "." and ".." are left out.
WStringList ListDirectory(const wchar_t* folder, bool skip_dots);

// The files (never folders) directly in `folder` whose names match `pattern`, in listing order.
WStringList ListMatchingFiles(const wchar_t* folder, const WString& pattern);

// True when the file name of `path` matches `pattern`, ignoring letter case. "*" matches any
// run of characters; "" and "*" match every name; "*.*" matches names holding a full stop.
// A pattern without "*" matches only the name itself.
bool MatchesPattern(const WString& path, const WString& pattern);

}  // namespace sollux

#endif  // SOLLUX_DIAG_FOLDER_LISTING_H_
