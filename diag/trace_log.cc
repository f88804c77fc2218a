#include "diag/trace_log.h"

#include "base/messages.h"
#include "base/system_api.h"

namespace sollux {
namespace {

constexpr int64_t kRetryPauseMs = 100;

}  // namespace

void FileCloser::operator()(FILE* file) const {
  if (file != nullptr) Sys().CloseFile(file);
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

UniqueFile OpenWithRetry(const wchar_t* path, const wchar_t* mode, int seconds) {
  if (path == nullptr || *path == L'\0' || mode == nullptr) return nullptr;
  int64_t attempts = static_cast<int64_t>(seconds) * 1000 / kRetryPauseMs;
  if (attempts <= 0) attempts = 1;
  for (int64_t attempt = 1; attempt <= attempts; ++attempt) {
    if (FILE* file = Sys().OpenFile(path, mode)) return UniqueFile(file);
    Sys().Sleep(static_cast<DWORD>(kRetryPauseMs));
    ErrorCounter(static_cast<uint64_t>(attempt));
  }
  ErrorLine(L"Can't open " + WString(mode) + L"  " + path);
  return nullptr;
}

}  // namespace sollux
