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

namespace {

struct ProgramFacts {
  WString name;
  WString version;
};

// Read once: every reading maps the program's file anew.
const ProgramFacts& Facts() {
  // Created on first use, destroyed by the runtime's exit-time handlers.
  static const ProgramFacts facts = [] {
    ProgramFacts read;
    const WString path = ModulePath(nullptr);
    VersionInfoReader reader;
    const bool opened = reader.Open(path);
    // Without a resource the name's reading tries a second time, as it always did.
    read.name = reader.OriginalFilename();
    if (opened) read.version = reader.ProductVersion();
    if (read.name.empty()) read.name = FileNamePart(path);
    return read;
  }();
  return facts;
}

}  // namespace

WString ProgramName() { return Facts().name; }

WString ProgramVersion() { return Facts().version; }

}  // namespace sollux
