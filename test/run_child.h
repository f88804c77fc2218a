// Running a fixture program as a child process and waiting for it to end.
#ifndef SOLLUX_TEST_RUN_CHILD_H_
#define SOLLUX_TEST_RUN_CHILD_H_

#include <string>

namespace sollux::test {

// The path of a fixture program built beside the running test binary.
std::wstring FixtureProgram(const std::wstring& file_name);

// Starts `program` with the command-line `arguments`, waits until it has ended and answers its
// exit code; -1 when it could not be started.
int RunChild(const std::wstring& program, const std::wstring& arguments);

}  // namespace sollux::test

#endif  // SOLLUX_TEST_RUN_CHILD_H_
