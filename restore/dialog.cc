#include "restore/dialog.h"

#include <string>

#include "base/console.h"
#include "base/ui_text.h"
#include "restore/answer.h"

namespace sollux {

Pick AskPick(const WString& question, size_t count, std::optional<size_t> enter, bool all) {
  for (;;) {
    OutputLine(question);
    WString line;
    if (!ReadInputLine(&line)) return {Pick::kEnd};
    const Answer answer = ReadAnswer(line);
    if (answer.kind == Answer::kEnter && enter) return {Pick::kNumber, *enter};
    if (answer.kind == Answer::kNumber && answer.number <= count) {
      return {Pick::kNumber, answer.number - 1};
    }
    if (answer.kind == Answer::kAll && all) return {Pick::kAll};
    if (answer.kind == Answer::kBack) return {Pick::kBack};
    OutputLine(Say(all ? Text::kAskNumberOrAll : Text::kAskNumber, {std::to_wstring(count)}));
  }
}

YesNo AskYesNo(const WString& question) {
  for (;;) {
    OutputLine(question);
    WString line;
    if (!ReadInputLine(&line)) return YesNo::kEnd;
    switch (ReadAnswer(line).kind) {
      case Answer::kYes:
        return YesNo::kYes;
      case Answer::kNo:
        return YesNo::kNo;
      case Answer::kBack:
        return YesNo::kBack;
      default:
        OutputLine(Say(Text::kAskYesNo));
    }
  }
}

std::optional<WString> AskText(const WString& question) {
  OutputLine(question);
  WString line;
  if (!ReadInputLine(&line)) return std::nullopt;
  return line;
}

void ListNumbered(const WStringList& lines) {
  for (size_t i = 0; i < lines.size(); ++i) {
    OutputLine(L"  " + std::to_wstring(i + 1) + L". " + lines[i]);
  }
}

}  // namespace sollux
