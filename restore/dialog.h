// Questions at the console, each answered by a typed line: a number from a list (Enter alone
// taking the one the question names), "*" for all, "0" for the question before, yes or no. A
// wrong answer is told what is expected, and the question asked again.
#ifndef SOLLUX_RESTORE_DIALOG_H_
#define SOLLUX_RESTORE_DIALOG_H_

#include <cstddef>
#include <optional>

#include "base/wstring.h"

namespace sollux {

struct Pick {
  enum Kind { kNumber, kAll, kBack, kEnd };  // kEnd: the input ended
  Kind kind = kEnd;
  size_t index = 0;  // with kNumber, from 0
};

// `question` until the answer is one of `count` numbers, Enter alone (which takes `enter`
// when there is one), "*" where `all` is allowed, or 0 for back.
Pick AskPick(const WString& question, size_t count, std::optional<size_t> enter, bool all);

enum class YesNo { kYes, kNo, kBack, kEnd };
YesNo AskYesNo(const WString& question);

// A line of text; nullopt at the input's end.
std::optional<WString> AskText(const WString& question);

// "  1. <line>", "  2. ..."
void ListNumbered(const WStringList& lines);

}  // namespace sollux

#endif  // SOLLUX_RESTORE_DIALOG_H_
