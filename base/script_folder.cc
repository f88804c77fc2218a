#include "base/script_folder.h"

#include "base/environment.h"
#include "base/file_system.h"
#include "base/folders.h"
#include "base/path.h"
#include "base/program.h"
#include "base/time_text.h"

namespace sollux {
namespace {

// The program's name for its folder: a differing OriginalFilename wins over the file name.
WString ScriptFolderStem() {
  WString name = FileNamePart(ModulePath());
  const WString original = ProgramName();
  if (!original.empty() && !EqualsIgnoreCase(name, original)) name = original;
  return name.empty() ? FormatCurrentTime(L"%Y%m%d") : FileStem(name);
}

WString FallbackScriptFolder() {
  const WString scratch = WithTrailingSeparator(CommonTemporaryFolder()) + kScratchFolderName;
  return WithTrailingSeparator(scratch) + FileStem(ModulePath());
}

}  // namespace

WString ScriptFolder() {
  const WString stem = ScriptFolderStem();
  WString folder = WithTrailingSeparator(TemporaryFolder()) + kScratchFolderName;
  folder = WithTrailingSeparator(WithTrailingSeparator(folder) + stem);
  if (!CreateDirectoryChain(folder)) folder = FallbackScriptFolder();
  return WithTrailingSeparator(folder);
}

}  // namespace sollux
