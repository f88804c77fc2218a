// Catches what ErrorLine writes to the wide standard error stream, exactly as written: a
// capture of the stream's file (testing::internal::CaptureStderr) loses what the C runtime
// cannot convert under the test's locale, and its text-mode reading stops at a Ctrl-Z.
#ifndef SOLLUX_TEST_WIDE_ERROR_CAPTURE_H_
#define SOLLUX_TEST_WIDE_ERROR_CAPTURE_H_

#include <iostream>
#include <sstream>
#include <string>

namespace sollux::test {

class WideErrorCapture {
 public:
  WideErrorCapture() : previous_(std::wcerr.rdbuf(&buffer_)) {}
  ~WideErrorCapture() { std::wcerr.rdbuf(previous_); }
  WideErrorCapture(const WideErrorCapture&) = delete;
  WideErrorCapture& operator=(const WideErrorCapture&) = delete;

  // What was written since the last call.
  std::wstring Take() {
    std::wstring text = buffer_.str();
    buffer_.str(std::wstring());
    return text;
  }

 private:
  std::wstringbuf buffer_;
  std::wstreambuf* previous_;
};

}  // namespace sollux::test

#endif  // SOLLUX_TEST_WIDE_ERROR_CAPTURE_H_
