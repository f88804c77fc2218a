// The console code page that cmd.exe reads the batch file with.
#ifndef SOLLUX_JOB_CONSOLE_CODE_PAGE_H_
#define SOLLUX_JOB_CONSOLE_CODE_PAGE_H_

#include <vector>

#include "base/wstring.h"
#include "job/backup_job.h"

namespace sollux {

// The code page of the batch files.
inline constexpr unsigned kBatchCodePage = 932;

// cmd.exe decodes every line of a batch file with the console's current code page, not with
// the file's. While this object lives, the console's input and output code pages are 932;
// the destructor puts back each one that it changed, also when the run failed.
class ScopedBatchCodePage {
 public:
  ScopedBatchCodePage();
  ~ScopedBatchCodePage();
  ScopedBatchCodePage(const ScopedBatchCodePage&) = delete;
  ScopedBatchCodePage& operator=(const ScopedBatchCodePage&) = delete;

  // The code page that cmd.exe will read with: the console's output code page, or the OEM
  // code page when the process has no console.
  unsigned ReadingCodePage() const { return reading_; }

 private:
  unsigned input_ = 0;
  unsigned output_ = 0;
  bool input_changed_ = false;
  bool output_changed_ = false;
  unsigned reading_ = 0;
};

// One error line for each folder of `folders` (a source, named once, whose source or
// destination holds a character outside ASCII) when cmd.exe reads with `code_page` instead
// of the batch file's code page 932.
void WarnOfCodePage(unsigned code_page, const std::vector<CommandFolders>& folders);

}  // namespace sollux

#endif  // SOLLUX_JOB_CONSOLE_CODE_PAGE_H_
