// What a person types at a question: a number (full-width digits too, as an input method left
// on gives them), "*" for all, "0" for the question before, yes or no in English or Japanese.
// Text only.
#ifndef SOLLUX_RESTORE_ANSWER_H_
#define SOLLUX_RESTORE_ANSWER_H_

#include <cstddef>
#include <optional>

#include "base/wstring.h"

namespace sollux {

struct Answer {
  enum Kind { kEnter, kNumber, kAll, kBack, kYes, kNo, kOther };
  Kind kind = kOther;
  size_t number = 0;  // with kNumber, from 1
};

// `typed` as one of those: blanks and quotes around it do not count.
Answer ReadAnswer(const WString& typed);

}  // namespace sollux

#endif  // SOLLUX_RESTORE_ANSWER_H_
