// Runs a Windows program as a child process and captures what it writes, for the cases that
// need a fresh process (process-wide caches, once-per-process notices, the entry point,
// cmd.exe).
#ifndef SOLLUX_TEST_CHILD_PROCESS_H_
#define SOLLUX_TEST_CHILD_PROCESS_H_

#include <string>
#include <utility>
#include <vector>

namespace sollux::test {

struct ChildOutput {
  bool started = false;
  bool finished = false;  // ended within two minutes; a child that did not is ended
  // The exit code; ~0 when the child did not start or did not finish.
  unsigned long exit_code = ~0ul;
  // Standard output and standard error as bytes, with each "\r\n" turned into "\n" unless the
  // setup keeps the bytes exact.
  std::string out;
  std::string err;
};

// `text` one byte per character (its low byte): what a captured stream holds for an ASCII text,
// and under the C runtime's "C" locale for characters below 256 too.
inline std::string Narrow(const std::wstring& text) {
  return std::string(text.begin(), text.end());
}

// Where and how a child runs.
struct ChildSetup {
  // Variables set for the child on top of the test's own environment; an empty value removes
  // one.
  std::vector<std::pair<std::wstring, std::wstring>> environment;
  // The child's current folder; empty for the test's own.
  std::wstring folder;
  // Standard error goes into standard output, in the order written, as in a console window.
  bool error_into_output = false;
  // The output's bytes exactly as written, "\r\n" included.
  bool exact_bytes = false;
  // What the child reads on its standard input (a file, not a console); none when empty.
  std::string input;
};

// Runs `program` with `command_line` exactly as given (its first element is what the child
// sees as its argument 0) and waits for it. Standard input is `setup.input`.
ChildOutput RunChildCommandLine(const std::wstring& program, const std::wstring& command_line,
                                const ChildSetup& setup = {});
// Runs `program` with argument 0 the quoted program path, followed by `arguments`.
ChildOutput RunChild(const std::wstring& program, const std::vector<std::wstring>& arguments);

// `argument` as the C runtime's command-line parser reads it back.
std::wstring QuoteArgument(const std::wstring& argument);

// The Windows path of a file of the build machine, given by its UTF-8 path: a Unix path
// becomes the Z: path under which Wine shows it; anything else is taken as it is.
std::wstring HostPath(const std::string& path);
// The fixture program `file_name` (e.g. L"Tool.exe") of test/fixtures.
std::wstring FixtureProgram(const std::wstring& file_name);
// Sollux.exe of this build.
std::wstring SolluxProgram();
// Sollux-restore.exe of this build.
std::wstring RestoreProgram();

}  // namespace sollux::test

#endif  // SOLLUX_TEST_CHILD_PROCESS_H_
