// Which files a robocopy mirror copies: its exclusion switches as rules, name patterns, and the
// file system's way of comparing names.
#ifndef SOLLUX_MIRROR_CHECK_RULES_H_
#define SOLLUX_MIRROR_CHECK_RULES_H_

#include <cstdint>
#include <optional>

#include "base/wstring.h"

namespace sollux {

struct CheckRules {
  // /xf: file names; "*" stands for any run of characters, "?" for one; letter case ignored.
  // An entry holding a backslash is a full path.
  WStringList excluded_files;
  // /xd: folder names or name patterns as above; an entry holding a backslash is a full path
  // and excludes that folder.
  WStringList excluded_dirs;
  // /max:n: files larger than this many bytes are left out.
  std::optional<uint64_t> max_size;
  // /xjd: junctions and other reparse points among the folders are not entered.
  bool skip_junctions = true;
  // /lev:n: only the top n levels of the tree, the folder itself being level 1; 0: all.
  unsigned max_depth = 0;
};

// The entries of an exclusion text as a job keeps it (" *.bak  *.tmp  Thumbs.db "): split at
// blanks and tabs; a double-quoted run may hold blanks, its quotes are dropped.
WStringList SplitExclusionText(const WString& text);

// The file system's ordinal upper-casing of a name: how NTFS and FAT tell names apart.
WString FileSystemUpperCase(const WString& name);

// True when `name` matches `pattern` ("*": any run, "?": one character; "*.*": every name),
// both already upper-cased by FileSystemUpperCase.
bool MatchesUpperCaseWildcard(const WString& name, const WString& pattern);

// The rules, upper-cased once, applied to the entries of one source tree.
class RuleFilter {
 public:
  // `source` is the tree's folder as robocopy names it; full-path entries are read against it.
  RuleFilter(const CheckRules& rules, const WString& source);

  // `upper_name` is the upper-cased name of an entry of the folder `relative` to the source
  // ("" for the source itself); `level` is the level of the subfolder itself (the source is 1).
  bool CopiesFile(const WString& relative, const WString& upper_name, uint64_t size) const;
  bool EntersFolder(const WString& relative, const WString& upper_name, unsigned level,
                    bool reparse_point) const;
  // The parts of those rules: /max alone, /xf alone, /xd alone, /lev alone. An entry of the
  // destination whose name /xf or /xd excludes is never purged.
  bool TooLarge(uint64_t size) const;
  bool ExcludesFileName(const WString& relative, const WString& upper_name) const;
  bool ExcludesFolderName(const WString& relative, const WString& upper_name) const;
  bool ReachesLevel(unsigned level) const;

 private:
  static bool Excluded(const WStringList& names, const WStringList& paths,
                       const WString& upper_name, const WString& upper_path);
  WString UpperPath(const WString& relative, const WString& upper_name) const;

  WStringList file_names_, file_paths_, dir_names_, dir_paths_;
  WString upper_source_;
  std::optional<uint64_t> max_size_;
  bool skip_junctions_;
  unsigned max_depth_;
};

}  // namespace sollux

#endif  // SOLLUX_MIRROR_CHECK_RULES_H_
