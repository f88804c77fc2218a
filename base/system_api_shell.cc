// The system layer's calls into the shell's COM objects, apart from the plain calls.
#include "base/system_api.h"  // first: <windows.h> through base/win.h

#include <propsys.h>
#include <shobjidl.h>

namespace sollux {
namespace {

constexpr wchar_t kBitLockerProperty[] = L"System.Volume.BitLockerProtection";

// COM for the length of one question, on this thread; a thread that had it keeps it.
class ComScope {
 public:
  ComScope() : initialized_(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
  ~ComScope() {
    if (initialized_) ::CoUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;

 private:
  bool initialized_;
};

}  // namespace

HRESULT RealSystemApi::BitLockerProtection(const wchar_t* root, int* value) {
  const ComScope com;
  PROPERTYKEY key = {};
  HRESULT result = ::PSGetPropertyKeyFromName(kBitLockerProperty, &key);
  if (FAILED(result)) return result;
  IShellItem2* item = nullptr;
  result = ::SHCreateItemFromParsingName(root, nullptr, IID_PPV_ARGS(&item));
  if (FAILED(result)) return result;
  PROPVARIANT variant;
  ::PropVariantInit(&variant);
  result = item->GetProperty(key, &variant);
  item->Release();
  if (FAILED(result)) return result;
  if (variant.vt == VT_I4 || variant.vt == VT_INT) {
    *value = variant.lVal;
  } else if (variant.vt == VT_UI4 || variant.vt == VT_UINT) {
    *value = static_cast<int>(variant.ulVal);
  } else {
    result = E_UNEXPECTED;
  }
  ::PropVariantClear(&variant);
  return result;
}

}  // namespace sollux
