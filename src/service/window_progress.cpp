#include "service/window_progress.h"

#include "com/bstr.h"

namespace zelvan {

WindowProgress::WindowProgress(const VARIANT& window) {
  IUnknown* object = nullptr;
  if (window.vt == VT_UNKNOWN) object = window.punkVal;
  if (window.vt == VT_DISPATCH) object = window.pdispVal;
  if (object != nullptr) {
    object->QueryInterface(IID_IKovaProgressWindow,
                           reinterpret_cast<void**>(window_.ReleaseAndGetAddressOf()));
  }
}

void WindowProgress::SetTotal(uint64_t steps) {
  window_->PostProgress(kProgressTotalMessage, steps, nullptr);
}

void WindowProgress::SetProject(std::string_view name) {
  ScopedBstr text(name);
  window_->PostProgress(kProgressProjectMessage, 0, text.Get());
}

void WindowProgress::Step() {
  window_->PostProgress(kProgressStepMessage, 0, nullptr);
}

}  // namespace zelvan
