// The system layer's calls into the shell's COM objects, apart from the plain calls.
#include "base/system_api.h"  // first: <windows.h> through base/win.h

#include <propsys.h>
#include <shobjidl.h>

namespace sollux {
namespace {

constexpr wchar_t kBitLockerProperty[] = L"System.Volume.BitLockerProtection";

// COM and the property system, loaded when first asked for: linked, their five libraries would
// load at the start of every run, of the restore and of a backup without a stick as well. From
// the system folder alone, never from the working folder.
struct PropertyCalls {
  decltype(&::CoInitializeEx) co_initialize = nullptr;
  decltype(&::CoUninitialize) co_uninitialize = nullptr;
  decltype(&::PropVariantClear) clear = nullptr;
  decltype(&::PSGetPropertyKeyFromName) key_from_name = nullptr;

  static const PropertyCalls& Get() {
    static const PropertyCalls calls = Load();
    return calls;
  }
  bool loaded() const { return co_initialize && co_uninitialize && clear && key_from_name; }

 private:
  static PropertyCalls Load() {
    PropertyCalls calls;
    const HMODULE ole = ::LoadLibraryExW(L"ole32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    const HMODULE propsys = ::LoadLibraryExW(L"propsys.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (ole == nullptr || propsys == nullptr) return calls;
    Find(ole, "CoInitializeEx", &calls.co_initialize);
    Find(ole, "CoUninitialize", &calls.co_uninitialize);
    Find(ole, "PropVariantClear", &calls.clear);
    Find(propsys, "PSGetPropertyKeyFromName", &calls.key_from_name);
    return calls;
  }
  template <typename Call>
  static void Find(HMODULE module, const char* name, Call* call) {
    *call = reinterpret_cast<Call>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
  }
};

// COM for the length of one question, on this thread; a thread that had it keeps it. The
// multithreaded apartment: COM hosts an object that needs a single-threaded one by itself, and
// a single-threaded apartment of our own costs Wine a hidden window, several hundred requests
// to its server and up to a tenth of a second at every run.
class ComScope {
 public:
  explicit ComScope(const PropertyCalls& calls)
      : calls_(calls),
        initialized_(SUCCEEDED(calls.co_initialize(nullptr, COINIT_MULTITHREADED))) {}
  ~ComScope() {
    if (initialized_) calls_.co_uninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;

 private:
  const PropertyCalls& calls_;
  bool initialized_;
};

HRESULT ValueOf(const PROPVARIANT& variant, int* value) {
  if (variant.vt == VT_I4 || variant.vt == VT_INT) {
    *value = variant.lVal;
  } else if (variant.vt == VT_UI4 || variant.vt == VT_UINT) {
    *value = static_cast<int>(variant.ulVal);
  } else {
    return E_UNEXPECTED;
  }
  return S_OK;
}

}  // namespace

HRESULT RealSystemApi::BitLockerProtection(const wchar_t* root, int* value) {
  const PropertyCalls& calls = PropertyCalls::Get();
  if (!calls.loaded()) return E_NOTIMPL;
  const ComScope com(calls);
  PROPERTYKEY key = {};
  HRESULT result = calls.key_from_name(kBitLockerProperty, &key);
  if (FAILED(result)) return result;
  IShellItem2* item = nullptr;
  result = ::SHCreateItemFromParsingName(root, nullptr, IID_PPV_ARGS(&item));
  if (FAILED(result)) return result;
  PROPVARIANT variant = {};
  result = item->GetProperty(key, &variant);
  item->Release();
  if (FAILED(result)) return result;
  result = ValueOf(variant, value);
  calls.clear(&variant);
  return result;
}

}  // namespace sollux
