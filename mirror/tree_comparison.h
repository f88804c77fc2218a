// One walk over a source tree and the tree that a robocopy mirror line copies it to, by the
// rules of the line's switches: the engine that both the look before the copying and the check
// after it use. It tells a visitor what robocopy will do (or should have done) entry by entry.
#ifndef SOLLUX_MIRROR_TREE_COMPARISON_H_
#define SOLLUX_MIRROR_TREE_COMPARISON_H_

#include <vector>

#include "base/wstring.h"
#include "mirror/check_rules.h"
#include "mirror/tree_listing.h"

namespace sollux {

enum class TreeState { kRead, kMissing, kUnreadable };

// At most this many files and folders of a kind are named; all are counted.
constexpr size_t kNamedProblemLimit = 50;

// Every `relative` is the folder below the tops that holds the entry ("" for the tops).
class ComparisonVisitor {
 public:
  virtual ~ComparisonVisitor() = default;
  // A source file that robocopy copies unless `copy`, its counterpart, is equal (null: none,
  // or a folder, which /purge deletes first).
  virtual void CopiedFile(const WString& relative, const ListedEntry& file,
                          const ListedEntry* copy) = 0;
  // A source file that /max leaves out; its copy, if any, stays.
  virtual void FileTooLarge(const WString& /*relative*/, const ListedEntry& /*file*/) {}
  // A source folder that robocopy enters and whose counterpart it must create.
  virtual void NewFolder(const WString& /*relative*/, const ListedEntry& /*folder*/) {}
  // A destination entry that /purge deletes (a folder with its whole tree): the source has
  // none by its name, or one of the other kind.
  virtual void PurgedEntry(const WString& /*relative*/, const ListedEntry& /*entry*/) {}
  // A subfolder of either tree that could not be listed: nothing below it is known.
  virtual void UnreadableFolder(bool /*in_source*/, const WString& /*relative_path*/) {}
  // One folder of the source was listed, with `files` files.
  virtual void SourceListed(size_t /*files*/) {}
  // One folder of the destination was listed, with these entries.
  virtual void DestinationListed(const std::vector<ListedEntry>& /*entries*/) {}
};

struct TreeOutcome {
  TreeState source_state = TreeState::kRead;
  TreeState destination_state = TreeState::kRead;
  // False when the walk stopped half way (a tree that stopped answering, a stick pulled out).
  bool finished = true;
};

// Walks `source` and `destination` as robocopy with `rules` mirrors one into the other. A
// missing destination leaves the source to be walked alone. Throws only std::bad_alloc.
TreeOutcome CompareTrees(const WString& source, const WString& destination, const CheckRules& rules,
                         ComparisonVisitor* visitor);

// `folder`, a backslash and `name`, or the one of them that is not empty.
WString JoinedPath(const WString& folder, const WString& name);

}  // namespace sollux

#endif  // SOLLUX_MIRROR_TREE_COMPARISON_H_
