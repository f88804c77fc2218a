#include "base/messages.h"

#include <gtest/gtest.h>

namespace sollux {
namespace {

using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

TEST(MessagesTest, LinesAndCounters) {
  CaptureStderr();
  ErrorLine(L"REG_get error x y");
  ErrorCounter(1);
  ErrorCounter(100);
  EXPECT_EQ("REG_get error x y\n1\r100\r", GetCapturedStderr());
}

// Text the C runtime cannot convert must not silence the lines after it.
TEST(MessagesTest, UnconvertibleTextDoesNotSilenceLaterLines) {
  CaptureStderr();
  ErrorLine(L"\xD800 lone surrogate \x6700\x65B0");
  ErrorLine(L"still shown");
  const std::string captured = GetCapturedStderr();
  EXPECT_TRUE(captured.ends_with("\nstill shown\n")) << captured;
}

}  // namespace
}  // namespace sollux
