#include "base/program.h"

#include "base/file_system.h"
#include "base/messages.h"
#include "base/path.h"
#include "base/system_api.h"
#include "sysinfo/version_info.h"

namespace sollux {
namespace {

constexpr DWORD kPathLength = 260;

// Created on first use, destroyed by the runtime's exit-time handlers.
WStringList& Arguments() {
  static WStringList arguments;
  if (arguments.empty()) {
    int count = 0;
    const wchar_t* const* vector = Sys().RuntimeArguments(&count);
    for (int i = 0; vector != nullptr && i < count; ++i) {
      arguments.emplace_back(vector[i] != nullptr ? vector[i] : L"");
    }
  }
  return arguments;
}

// Set until the empty-list notice has been written.
bool empty_list_notice_due = true;

}  // namespace

WString ModulePath(HMODULE module) {
  WString buffer(kPathLength, L'\0');
  Sys().GetModuleFileNameW(module, buffer.data(), kPathLength);
  WString path = buffer.c_str();
  const WStringList arguments = ArgumentList();
  if (!arguments.empty()) {
    if (path.empty()) {
      path = arguments.front();
    } else if (path != arguments.front()) {
      ErrorLine(path);
      ErrorLine(arguments.front());
    }
  } else if (empty_list_notice_due) {
    ErrorLine(L"::get_arv() ... empty");
    ErrorLine(path);
    empty_list_notice_due = false;
  }
  return path;
}

bool SetArgumentList(int count, const wchar_t* const* arguments) {
  WStringList& list = Arguments();
  list.clear();
  for (int i = 0; i < count; ++i) list.emplace_back(arguments[i] != nullptr ? arguments[i] : L"");
  return true;
}

WStringList ArgumentList() { return Arguments(); }

WString ProgramName() {
  struct Cache {
    bool computed = false;
    WString name;
  };
  // Created on first use, destroyed by the runtime's exit-time handlers.
  static Cache cache;
  if (!cache.computed) {
    const WString path = ModulePath(nullptr);
    cache.name = OriginalFilenameOf(path.c_str());
    if (cache.name.empty()) cache.name = FileNamePart(path);
    cache.computed = true;
  }
  return cache.name;
}

WString ProgramVersion() {
  VersionInfoReader reader;
  const WString path = ModulePath(nullptr);
  return !path.empty() && PathExists(path.c_str(), false) && reader.Open(path)
             ? reader.ProductVersion()
             : WString();
}

}  // namespace sollux
