#include "base/messages.h"

#include <iostream>

namespace sollux {
namespace {

// A character that the C runtime cannot convert under the current locale puts the stream into
// a failed state, which would swallow every later message; clear it so the next line shows.
void Write(const WString& text) {
  std::wcerr << text << std::flush;
  if (!std::wcerr) std::wcerr.clear();
}

}  // namespace

// The line feed goes out on its own, so that a line cut short by such a character still ends.
void ErrorLine(const WString& text) {
  Write(text);
  Write(L"\n");
}

void ErrorCounter(uint64_t count) { Write(std::to_wstring(count) + L"\r"); }

}  // namespace sollux
