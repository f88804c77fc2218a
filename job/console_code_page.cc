#include "job/console_code_page.h"

#include <algorithm>

#include "base/messages.h"
#include "base/system_api.h"
#include "base/text.h"
#include "base/ui_text.h"

namespace sollux {
namespace {

bool HasNonAscii(const WString& text) {
  return std::any_of(text.begin(), text.end(), [](wchar_t c) { return c >= 0x80; });
}

}  // namespace

// Japanese Windows starts its consoles in 932, others in 437 or 850, and the region option
// "Beta: Unicode UTF-8", an AutoRun "chcp 65001" or a shell profile leave 65001 behind; in
// any of those a Japanese name can decode into a backslash before a closing quote or a pipe.
ScopedBatchCodePage::ScopedBatchCodePage()
    : input_(Sys().GetConsoleCP()), output_(Sys().GetConsoleOutputCP()) {
  // Without a console the Get calls answer 0 and nothing can be set.
  if (input_ != 0 && input_ != kBatchCodePage) {
    input_changed_ = Sys().SetConsoleCP(kBatchCodePage) != FALSE;
  }
  if (output_ != 0 && output_ != kBatchCodePage) {
    output_changed_ = Sys().SetConsoleOutputCP(kBatchCodePage) != FALSE;
  }
  reading_ = output_ == 0 ? Sys().GetOEMCP() : (output_changed_ ? kBatchCodePage : output_);
}

ScopedBatchCodePage::~ScopedBatchCodePage() {
  if (input_changed_) Sys().SetConsoleCP(input_);
  if (output_changed_) Sys().SetConsoleOutputCP(output_);
}

void WarnOfCodePage(unsigned code_page, const std::vector<CommandFolders>& folders) {
  if (code_page == kBatchCodePage) return;
  WStringList named;
  for (const CommandFolders& folder : folders) {
    if (!HasNonAscii(folder.source) && !HasNonAscii(folder.destination)) continue;
    if (std::find(named.begin(), named.end(), folder.source) != named.end()) continue;
    named.push_back(folder.source);
    ErrorLine(Say(Text::kCodePageNotSwitched, {NumberText(code_page), folder.source}));
  }
}

}  // namespace sollux
