#include "base/script_folder.h"

#include <gtest/gtest.h>

#include "base/environment.h"
#include "base/file_system.h"
#include "base/path.h"
#include "test/child_process.h"
#include "test/scoped_environment.h"
#include "test/temp_dir.h"

namespace sollux {
namespace {

using test::ScopedEnvironmentVariable;
using test::ScopedTempDir;

// The program name is cached per process, so each program file is asked in a process of its
// own: a file without a version resource is named after itself, one whose OriginalFilename
// differs is named after that.
TEST(ScriptFolderTest, NamedAfterTheProgram) {
  ScopedTempDir temp;
  ScopedEnvironmentVariable tmp(L"TMP", temp.path());
  const struct {
    const wchar_t* program;
    const wchar_t* folder;
  } cases[] = {{L"Tool.exe", L"\\Brevant.tmp\\Tool\\"},
               {L"Renamed.exe", L"\\Brevant.tmp\\Other\\"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.program);
    const auto child = test::RunChild(test::FixtureProgram(c.program), {L"folder"});
    ASSERT_EQ(0u, child.exit_code) << child.err;
    const WString expected = temp.path() + c.folder;
    EXPECT_EQ(test::Narrow(expected) + "\n", child.out);
    EXPECT_TRUE(DirectoryExists(expected.c_str()));
  }
}

TEST(ScriptFolderTest, CreatedBelowTheTemporaryFolder) {
  ScopedTempDir temp;
  ScopedEnvironmentVariable tmp(L"TMP", temp.path());
  const WString folder = ScriptFolder();
  EXPECT_EQ(temp.path() + L"\\Brevant.tmp\\base_tests\\", folder);
  EXPECT_TRUE(DirectoryExists(folder.c_str()));
  EXPECT_EQ(folder, ScriptFolder());
}

// A temporary folder below a regular file cannot be created: the common documents folder's
// Temp\Temp\Brevant.tmp\<program file stem>\ stands in, uncreated.
TEST(ScriptFolderTest, FallbackWhenTheFolderCannotBeCreated) {
  ScopedTempDir temp;
  test::WriteFileBytes(temp / L"blocker", "x");
  ScopedEnvironmentVariable tmp(L"TMP", temp / L"blocker\\sub");
  const WString folder = ScriptFolder();
  const WString documents = SpecialFolderPath(0x2E);
  ASSERT_FALSE(documents.empty());
  EXPECT_EQ(WithTrailingSeparator(documents) + L"Temp\\Temp\\Brevant.tmp\\base_tests\\", folder);
}

}  // namespace
}  // namespace sollux
