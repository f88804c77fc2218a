#include "sysinfo/version_info.h"

#include "base/file_system.h"
#include "base/messages.h"
#include "base/path.h"
#include "base/system_api.h"
#include "base/text.h"

namespace sollux {

bool VersionInfoReader::Open(const WString& path) { return Open(path.c_str()); }

bool VersionInfoReader::Open(const wchar_t* path) {
  path_ = path != nullptr ? path : L"";
  if (path_.empty() || !PathExists(path_.c_str(), false)) return false;
  return Load();
}

WString VersionInfoReader::Value(const wchar_t* name) {
  if (prefix_.empty() && !Load()) return WString();
  void* value = nullptr;
  UINT length = 0;
  if (!Sys().VerQueryValueW(data_.data(), (prefix_ + name).c_str(), &value, &length)) {
    ErrorLine(WString(L"::VerQueryValue ...   ") + name);
    return WString();
  }
  if (length == 0) {
    ErrorLine(WString(L"::VerQueryValue len=0 ") + name);
    return WString();
  }
  // The block is followed by as many zero bytes again, so the text always ends inside it.
  return static_cast<const wchar_t*>(value);
}

bool VersionInfoReader::Load() {
  DWORD handle = 0;
  size_ = Sys().GetFileVersionInfoSizeW(path_.c_str(), &handle);
  handle_ = handle;
  if (size_ == 0) {
    ErrorLine(L"::GetFileVersionInfoSize ... 0");
    return false;
  }
  data_.assign(2 * static_cast<size_t>(size_), 0);
  if (!Sys().GetFileVersionInfoW(path_.c_str(), handle_, size_, data_.data())) {
    ErrorLine(L"::GetFileVersionInfo ... false");
    return false;
  }
  void* translation = nullptr;
  UINT length = 0;
  if (!Sys().VerQueryValueW(data_.data(), L"\\VarFileInfo\\Translation", &translation, &length)) {
    ErrorLine(L"::VerQueryValue ... false");
    return false;
  }
  if (length == 0) {
    ErrorLine(L"::VerQueryValue   len = 0");
    return false;
  }
  const WORD* pair = static_cast<const WORD*>(translation);
  prefix_ = L"\\StringFileInfo\\" + PaddedNumberText(pair[0], 16, 4) +
            PaddedNumberText(pair[1], 16, 4) + L"\\";
  return true;
}

WString VersionInfoReader::Comments() { return Value(L"Comments"); }
WString VersionInfoReader::CompanyName() { return Value(L"CompanyName"); }
WString VersionInfoReader::FileDescription() { return Value(L"FileDescription"); }
WString VersionInfoReader::FileVersion() { return Value(L"FileVersion"); }
WString VersionInfoReader::InternalName() { return Value(L"InternalName"); }
WString VersionInfoReader::LegalCopyright() { return Value(L"LegalCopyright"); }
WString VersionInfoReader::LegalTrademarks() { return Value(L"LegalTrademarks"); }
WString VersionInfoReader::OriginalFilename() { return Value(L"OriginalFilename"); }
WString VersionInfoReader::PrivateBuild() { return Value(L"PrivateBuild"); }
WString VersionInfoReader::ProductName() { return Value(L"ProductName"); }
WString VersionInfoReader::ProductVersion() { return Value(L"ProductVersion"); }
WString VersionInfoReader::SpecialBuild() { return Value(L"SpecialBuild"); }

WString OriginalFilenameOf(const wchar_t* path) {
  VersionInfoReader reader;
  reader.path_ = path != nullptr ? path : L"";
  if (!reader.path_.empty() && PathExists(reader.path_.c_str(), false)) reader.Load();
  return reader.OriginalFilename();
}

}  // namespace sollux
