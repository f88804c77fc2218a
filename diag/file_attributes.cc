#include "diag/file_attributes.h"

#include "base/path.h"
#include "base/system_api.h"

namespace sollux {
namespace {

constexpr uint32_t kProtectionBits =
    FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

}  // namespace

FileAttributes::FileAttributes(WString path) {
  const WString p = WithoutTrailingSeparatorBelowRoot(NormalizeSeparators(path, L'\\'));
  attributes_ = Sys().GetFileAttributesW(p.c_str());
  if (attributes_ != INVALID_FILE_ATTRIBUTES) path_ = p;
}

bool FileAttributes::Failed() const { return attributes_ == INVALID_FILE_ATTRIBUTES; }

uint32_t FileAttributes::Attributes() const { return attributes_; }

WString FileAttributes::Path() const { return path_; }

uint32_t FileAttributes::Has(uint32_t mask) const { return attributes_ & mask; }

bool FileAttributes::Clear(uint32_t mask) {
  return Sys().SetFileAttributesW(path_.c_str(), attributes_ & ~mask) != FALSE;
}

bool FileAttributes::Set(uint32_t mask) {
  return Sys().SetFileAttributesW(path_.c_str(), attributes_ | mask) != FALSE;
}

bool FileAttributes::ClearProtection() { return ClearIfSet(kProtectionBits); }

bool FileAttributes::ClearIfSet(uint32_t mask) { return Has(mask) != 0 ? Clear(mask) : true; }

}  // namespace sollux
