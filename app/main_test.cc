#include <gtest/gtest.h>

#include "test/child_process.h"

namespace sollux {
namespace {

using test::RunChild;
using test::SolluxProgram;

// Arguments are only stored: a run with two of them is a run without.
TEST(MainTest, ArgumentsChangeNothing) {
  const auto plain = RunChild(SolluxProgram(), std::vector<std::wstring>{});
  const auto with_arguments = RunChild(SolluxProgram(), {L"/x", L"two words"});
  ASSERT_TRUE(plain.started);
  EXPECT_EQ(0u, plain.exit_code);
  EXPECT_EQ(0u, with_arguments.exit_code);
  EXPECT_EQ(plain.out, with_arguments.out);
  EXPECT_EQ(plain.err, with_arguments.err);
}

}  // namespace
}  // namespace sollux
