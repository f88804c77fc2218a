// Catches what ErrorLine writes, exactly as written: a capture of the stream's file
// (testing::internal::CaptureStderr) would see it converted to a code page, and its text-mode
// reading stops at a Ctrl-Z.
#ifndef SOLLUX_TEST_WIDE_ERROR_CAPTURE_H_
#define SOLLUX_TEST_WIDE_ERROR_CAPTURE_H_

#include <string>

#include "base/messages.h"

namespace sollux::test {

class WideErrorCapture {
 public:
  WideErrorCapture() { SetErrorSink(&text_); }
  ~WideErrorCapture() { SetErrorSink(nullptr); }
  WideErrorCapture(const WideErrorCapture&) = delete;
  WideErrorCapture& operator=(const WideErrorCapture&) = delete;

  // What was written since the last call.
  std::wstring Take() {
    std::wstring text;
    text.swap(text_);
    return text;
  }

 private:
  std::wstring text_;
};

}  // namespace sollux::test

#endif  // SOLLUX_TEST_WIDE_ERROR_CAPTURE_H_
