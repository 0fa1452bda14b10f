// The progress of a dependency refresh, posted to the progress window the
// IDE handed over with the request (IKovaProgressWindow in a VARIANT). A
// VARIANT that holds no such window (a window handle of another system, or
// nothing) shows no progress.
#pragma once

#include <string_view>

#include "com/com_ptr.h"
#include "com/variant.h"
#include "dependencies/dependency_progress.h"
#include "service/ide_interfaces.h"

namespace zelvan {

class WindowProgress final : public DependencyProgress {
 public:
  explicit WindowProgress(const VARIANT& window);

  // This, or null when there is no window to post to.
  DependencyProgress* get() { return window_ ? this : nullptr; }

  void SetTotal(uint64_t steps) override;
  void SetProject(std::string_view name) override;
  void Step() override;

 private:
  ComPtr<IKovaProgressWindow> window_;
};

}  // namespace zelvan
