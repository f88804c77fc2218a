#include "diag/trace_log.h"

#include "base/environment.h"
#include "base/file_system.h"
#include "base/folders.h"
#include "base/messages.h"
#include "base/path.h"
#include "base/program.h"
#include "base/system_api.h"
#include "base/time_text.h"
#include "diag/file_tree_walker.h"
#include "diag/user_programs.h"

namespace sollux {
namespace {

constexpr int kOpenSeconds = 10;
constexpr int kPurgeDays = 10;
constexpr wchar_t kStampPattern[] = L"%Y/%m/%d %H:%M:%S";
constexpr wchar_t kHourPattern[] = L"%m%d_%H";
constexpr wchar_t kLineBreakTabs[] = L"\t\t";

// Set until the first record of the process has had the aged trace files queued, whether or
// not that record could be written.
bool purge_due = true;

WString TraceHeader() {
  const WString values = UserName() + L"\r\n" + TemporaryFolder() + L"\r\n" + CurrentDirectory() +
                         L"\r\n" + ModulePath() + L"\r\n";
  return FormatCurrentTime(kStampPattern) + L"\t" + FlattenLineBreaks(values, kLineBreakTabs) +
         L"\r\n";
}

// The folder of the hourly files, created, ending in a backslash. With `purge`, the aged
// files of the trace folder and of this folder are queued for deletion at exit. The queue is
// a function-local static that deletes through the system layer when the exit-time handlers
// destroy it; the layer's own static was created before it (the clock was read first), so it
// is destroyed after it.
WString HourlyFileFolder(bool purge) {
  const WString trace = WithTrailingSeparator(ScratchSubfolder(L"_trace_"), L'\\');
  if (purge) PurgeOldFiles((trace + L".txt").c_str(), kPurgeDays);
  const WString folder = WithTrailingSeparator(trace, L'\\') + L"WC";
  CreateDirectoryChain(folder);
  const WString files = WithTrailingSeparator(folder, L'\\');
  if (purge) PurgeOldFiles((files + L".txt").c_str(), kPurgeDays);
  return files;
}

void WriteBytes(FILE* file, const std::vector<uint8_t>& bytes) {
  if (!bytes.empty()) Sys().WriteToFile(bytes.data(), 1, bytes.size(), file);
}

}  // namespace

bool WriteTrace(const WString& message) {
  const WString line = FormatCurrentTime(kStampPattern) + L"\t" + FileNamePart(ModulePath()) +
                       L"\t" + FlattenLineBreaks(message, kLineBreakTabs) + L"\r\n";
  return AppendToTraceFile(WideTextBytes(line));
}

bool AppendToTraceFile(const std::vector<uint8_t>& bytes) {
  const WString hour = FormatCurrentTime(kHourPattern);
  const WString path = HourlyFileFolder(purge_due) + hour + L".txt";
  purge_due = false;
  // A file that cannot be opened in time is named on the standard error stream.
  UniqueFile file = OpenWithRetry(path.c_str(), L"ab", kOpenSeconds);
  if (!file) {
    ErrorLine(L"Can't open ab  " + path);
    return false;
  }
  if (FileStatus(path.c_str()).Size() == 0) {
    WriteBytes(file.get(), {0xFF, 0xFE});
    WriteBytes(file.get(), WideTextBytes(TraceHeader()));
  }
  WriteBytes(file.get(), bytes);
  return true;
}

WString FlattenLineBreaks(const WString& text, const WString& replacement) {
  const WString for_cr = replacement.substr(0, 1);
  const WString for_lf = replacement.size() > 1 ? replacement.substr(1) : WString();
  WString flat;
  flat.reserve(text.size());
  for (wchar_t c : text) {
    if (c == L'\r') {
      flat += for_cr;
    } else if (c == L'\n') {
      flat += for_lf;
    } else {
      flat += c;
    }
  }
  return flat;
}

std::vector<uint8_t> WideTextBytes(const WString& text) {
  std::vector<uint8_t> bytes;
  bytes.reserve(text.size() * 2);
  for (wchar_t c : text) {
    const auto unit = static_cast<uint16_t>(c);
    bytes.push_back(static_cast<uint8_t>(unit & 0xFF));
    bytes.push_back(static_cast<uint8_t>(unit >> 8));
  }
  return bytes;
}

}  // namespace sollux
