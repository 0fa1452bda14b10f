// A host without a component runtime of its system: the host loads server
// modules itself (ClassObjectLoader).
#include "com/system_runtime.h"

namespace zelvan {

std::unique_ptr<SystemComRuntime> SystemComRuntime::Enter(std::string* error) {
  if (error) error->clear();
  return nullptr;
}

SystemComRuntime::~SystemComRuntime() = default;

HRESULT SystemComRuntime::CreateInstance(std::string_view, ComPtr<IDispatch>* object,
                                         std::string* error) {
  if (object) object->Reset();
  if (error) *error = "this system has no component runtime";
  return E_NOTIMPL;
}

}  // namespace zelvan
