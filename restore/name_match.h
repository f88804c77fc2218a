// What a person types to find a file, matched as the Explorer's search box matches it: a part
// of the name, letter case aside, a full-width letter or digit the same as its half-width one;
// with * or ? the whole name as a pattern. Text only.
#ifndef SOLLUX_RESTORE_NAME_MATCH_H_
#define SOLLUX_RESTORE_NAME_MATCH_H_

#include <string_view>

#include "base/wstring.h"

namespace sollux {

class NamePattern {
 public:
  explicit NamePattern(const WString& typed);

  // Nothing to look for: only blanks, or only stars, which every name matches.
  bool Empty() const { return empty_; }
  bool Matches(const WString& name) const;
  // The same for a name that FileSystemUpperCase made already (a listing's key).
  bool MatchesUpperCase(std::wstring_view upper_name) const;

 private:
  WString folded_;
  bool wildcards_ = false;
  bool empty_ = false;
};

// `text` with full-width ASCII and the ideographic space made half-width, then upper-cased as
// the file system compares names.
WString FoldedName(const WString& text);

}  // namespace sollux

#endif  // SOLLUX_RESTORE_NAME_MATCH_H_
