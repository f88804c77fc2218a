#include "base/folders.h"

#include "base/environment.h"
#include "base/file_system.h"
#include "base/path.h"
#include "base/system_api.h"

namespace sollux {

WString ScratchSubfolder(const wchar_t* name) {
  const WString scratch = WithTrailingSeparator(TemporaryFolder()) + kScratchFolderName;
  const WString folder = WithTrailingSeparator(scratch) + (name != nullptr ? name : L"");
  CreateDirectoryChain(folder);
  return folder;
}

}  // namespace sollux
