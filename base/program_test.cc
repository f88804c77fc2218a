#include "base/program.h"

#include <gtest/gtest.h>

#include "base/system_api.h"
#include "base/win.h"
#include "test/child_process.h"

namespace sollux {
namespace {

using test::FixtureProgram;
using test::RunChild;
using test::RunChildCommandLine;
using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

constexpr char kNoResource[] = "::GetFileVersionInfoSize ... 0\n";

// The C runtime's argument vector as a test wants it, and optionally no module file name.
class StagedProcess : public RealSystemApi {
 public:
  wchar_t** RuntimeArguments(int* count) override {
    *count = static_cast<int>(runtime.size());
    return runtime.empty() ? nullptr : runtime.data();
  }
  DWORD GetModuleFileNameW(HMODULE module, wchar_t* buffer, DWORD size) override {
    if (no_module_name) return 0;
    return RealSystemApi::GetModuleFileNameW(module, buffer, size);
  }
  std::vector<wchar_t*> runtime;
  bool no_module_name = false;
};

TEST(ArgumentListTest, StoresCopies) {
  StagedProcess process;
  ScopedSystemApi scoped(process);
  const wchar_t* arguments[] = {L"C:\\x\\Tool.exe", L"", L"two words"};
  EXPECT_TRUE(SetArgumentList(3, arguments));
  WStringList copy = ArgumentList();
  EXPECT_EQ((WStringList{L"C:\\x\\Tool.exe", L"", L"two words"}), copy);
  copy.clear();
  EXPECT_EQ(3u, ArgumentList().size());
  EXPECT_TRUE(SetArgumentList(1, arguments + 2));
  EXPECT_EQ(WStringList{L"two words"}, ArgumentList());
  EXPECT_TRUE(SetArgumentList(-1, arguments));
  EXPECT_EQ(WStringList{}, ArgumentList());
}

TEST(ArgumentListTest, EmptyListTakesTheRuntimeVector) {
  StagedProcess process;
  wchar_t program[] = L"Tool";
  wchar_t option[] = L"/x";
  process.runtime = {program, option};
  ScopedSystemApi scoped(process);
  const wchar_t* stored[] = {L"Stored"};
  SetArgumentList(1, stored);
  EXPECT_EQ(WStringList{L"Stored"}, ArgumentList());
  SetArgumentList(0, nullptr);
  EXPECT_EQ((WStringList{L"Tool", L"/x"}), ArgumentList());
}

WString RealModulePath() {
  wchar_t path[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  return path;
}

TEST(ModulePathTest, ComparesWithTheFirstArgument) {
  const WString real = RealModulePath();
  struct Case {
    const char* what;
    WString first;
    bool no_module_name;
    WString expected;
    std::string message;
  } cases[] = {
      {"started as Tool", L"Tool", false, real, test::Narrow(real) + "\nTool\n"},
      {"same path", real, false, real, ""},
      {"letter case counts", L"z" + real.substr(1), false, real,
       test::Narrow(real) + "\nz" + test::Narrow(real.substr(1)) + "\n"},
      {"no module name", L"Tool", true, L"Tool", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    StagedProcess process;
    process.no_module_name = c.no_module_name;
    ScopedSystemApi scoped(process);
    const wchar_t* arguments[] = {c.first.c_str()};
    SetArgumentList(1, arguments);
    CaptureStderr();
    EXPECT_EQ(c.expected, ModulePath());
    EXPECT_EQ(c.message, GetCapturedStderr());
  }
}

// ProgramName and the empty-list notice are once per process: a fresh child each.
TEST(ProgramNameTest, WithoutVersionResourceTheFileName) {
  const WString tool = FixtureProgram(L"Tool.exe");
  const auto child = RunChildCommandLine(tool, L"Tool name");
  ASSERT_TRUE(child.started);
  EXPECT_EQ(0u, child.exit_code);
  EXPECT_EQ("Tool.exe\nTool.exe\n", child.out);
  // Started as Tool: both texts, then the reader's two attempts, all once.
  EXPECT_EQ(test::Narrow(tool) + "\nTool\n" + kNoResource + kNoResource, child.err);
}

TEST(ProgramNameTest, OriginalFilenameWins) {
  const auto child = RunChild(FixtureProgram(L"Renamed.exe"), {L"name"});
  EXPECT_EQ(0u, child.exit_code);
  EXPECT_EQ("Other.exe\nOther.exe\n", child.out);
  EXPECT_EQ("", child.err);
}

TEST(ModulePathTest, EmptyListNoticeOncePerProcess) {
  const WString tool = FixtureProgram(L"Tool.exe");
  const auto child = RunChild(tool, {L"empty"});
  EXPECT_EQ(0u, child.exit_code);
  const std::string path = test::Narrow(tool) + "\n";
  EXPECT_EQ(path + path + path, child.out);
  EXPECT_EQ("::get_arv() ... empty\n" + path, child.err);
}

TEST(ArgumentListTest, RuntimeVectorBeforeAnythingIsStored) {
  const auto child =
      RunChildCommandLine(FixtureProgram(L"Tool.exe"), L"Tool arguments \"two words\" C:\\x\\");
  EXPECT_EQ(0u, child.exit_code);
  EXPECT_EQ("Tool\narguments\ntwo words\nC:\\x\\\n", child.out);
}

}  // namespace
}  // namespace sollux
