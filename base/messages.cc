#include "base/messages.h"

#include <string>

#include "base/console.h"

namespace sollux {
namespace {

WString*& Sink() {
  static WString* sink = nullptr;
  return sink;
}

// One write per line: a console gets it as wide text, a file or pipe in the console's or the
// ANSI code page.
void Write(const WString& text) {
  if (Sink() != nullptr) {
    *Sink() += text;
  } else {
    WriteStreamText(STD_ERROR_HANDLE, text);
  }
}

}  // namespace

void ErrorLine(const WString& text) { Write(text + L"\n"); }

void ErrorCounter(uint64_t count) { Write(std::to_wstring(count) + L"\r"); }

void SetErrorSink(WString* sink) { Sink() = sink; }

}  // namespace sollux
