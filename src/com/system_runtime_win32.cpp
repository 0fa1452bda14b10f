// The component runtime of Windows (ole32).
#include "com/system_runtime.h"

#include <cstdio>

#include "com/bstr.h"

namespace zelvan {

namespace {

std::string Hex(HRESULT hr) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(hr));
  return text;
}

}  // namespace

std::unique_ptr<SystemComRuntime> SystemComRuntime::Enter(std::string* error) {
  // S_FALSE: this thread is in an apartment of the same kind already; it
  // is counted, and left as often as entered.
  const HRESULT hr = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  if (FAILED(hr)) {
    if (error) *error = "the component runtime cannot be entered (CoInitializeEx " + Hex(hr) + ")";
    return nullptr;
  }
  if (error) error->clear();
  return std::unique_ptr<SystemComRuntime>(new SystemComRuntime());
}

SystemComRuntime::~SystemComRuntime() {
  ::CoUninitialize();
}

HRESULT SystemComRuntime::CreateInstance(std::string_view prog_id, ComPtr<IDispatch>* object,
                                         std::string* error) {
  if (object == nullptr) return E_POINTER;
  object->Reset();
  ScopedBstr name(prog_id);
  CLSID clsid;
  HRESULT hr = ::CLSIDFromProgID(name.Get(), &clsid);
  if (FAILED(hr)) {
    if (error) {
      *error = std::string(prog_id) + " is not registered (CLSIDFromProgID " + Hex(hr) + ")";
    }
    return hr;
  }
  hr = ::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                          reinterpret_cast<void**>(object->ReleaseAndGetAddressOf()));
  if (FAILED(hr) && error) {
    *error = std::string(prog_id) + " " + FormatGuid(clsid) + " made no object (CoCreateInstance " +
             Hex(hr) + (hr == REGDB_E_CLASSNOTREG ? ": the class has no in-process server)" : ")");
  }
  return hr;
}

}  // namespace zelvan
