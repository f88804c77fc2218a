// Links on a stick. A junction, a symbolic link or a mount point on a stick leads out of it, and
// whatever is deleted, moved or written through one happens elsewhere: on the PC, or in another
// computer's backup. Windows marks such an entry as a reparse point. Wine shows a Unix link to
// a file as a plain file and acts on what it points to, so a level is a link too when the path
// of its open handle is not the path it was opened by.
#ifndef SOLLUX_BASE_LINK_CHECK_H_
#define SOLLUX_BASE_LINK_CHECK_H_

#include "base/wstring.h"

namespace sollux {

class LinkCheck {
 public:
  // `top` is the folder below which no level may be a link (E:\_Backup_), itself included;
  // the folder that holds it (the stick's root, or the scratch folder) is trusted.
  explicit LinkCheck(const WString& top);

  // The first level of `path`, from `top` down, that is a link; "" when there is none. Levels
  // that do not exist yet are no links; a path outside `top` is its own answer.
  WString FirstLink(const WString& path) const;
  bool Plain(const WString& path) const { return FirstLink(path).empty(); }

 private:
  struct Level;
  Level Ask(const WString& path) const;
  bool LeadsWhereNamed(const Level& level, const WString& path) const;

  WString top_;
  WString base_;  // the folder that holds the top
  // The system's path of the base, asked once.
  mutable WString base_final_;
};

// `path` as the system names it: the nearest level of it that exists opened (through any link,
// with the drive letter of its volume), the levels below that appended; "" when no level of it
// can be opened. Two spellings of one folder (another drive letter for the same volume, "..",
// a link) give one answer.
WString FinalPathOf(const WString& path);

}  // namespace sollux

#endif  // SOLLUX_BASE_LINK_CHECK_H_
