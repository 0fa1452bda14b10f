#include "com/inproc_server.h"

#include "com/class_registry.h"
#include "platform/file_system.h"
#include "platform/registry.h"
#include "platform/system_services.h"

namespace zelvan {

std::unique_ptr<InprocServerModule> InprocServerModule::Load(SystemServices& system,
                                                             std::string_view host_path,
                                                             std::string* error) {
  std::unique_ptr<InprocServerModule> module(new InprocServerModule());
  std::string reason;
  module->library_ = system.LoadLibrary(host_path, &reason);
  if (!module->library_) {
    if (error) *error = reason;
    return nullptr;
  }
  DynamicLibrary& library = *module->library_;
  module->can_unload_now_ =
      reinterpret_cast<DllCanUnloadNowFunction>(library.FindSymbol("DllCanUnloadNow"));
  module->get_class_object_ =
      reinterpret_cast<DllGetClassObjectFunction>(library.FindSymbol("DllGetClassObject"));
  module->register_server_ =
      reinterpret_cast<DllRegisterServerFunction>(library.FindSymbol("DllRegisterServer"));
  module->unregister_server_ =
      reinterpret_cast<DllUnregisterServerFunction>(library.FindSymbol("DllUnregisterServer"));
  if (!module->can_unload_now_ || !module->get_class_object_ || !module->register_server_ ||
      !module->unregister_server_) {
    if (error) *error = std::string(host_path) + " is no component module";
    return nullptr;
  }
  return module;
}

InprocServerModule::~InprocServerModule() = default;

HRESULT InprocServerModule::GetClassObject(REFCLSID clsid, REFIID riid, void** object) const {
  return get_class_object_(clsid, riid, object);
}
HRESULT InprocServerModule::CanUnloadNow() const {
  return can_unload_now_();
}
HRESULT InprocServerModule::RegisterServer() const {
  return register_server_();
}
HRESULT InprocServerModule::UnregisterServer() const {
  return unregister_server_();
}

ClassObjectLoader::ClassObjectLoader(const Platform& platform) : platform_(platform) {}

ClassObjectLoader::~ClassObjectLoader() = default;

InprocServerModule* ClassObjectLoader::LoadModule(std::string_view path, std::string* error) {
  const std::string full = platform_.fs->FullPath(path);
  if (auto found = modules_.find(full); found != modules_.end()) return found->second.get();
  const std::string host = platform_.fs->ToHostPath(full);
  if (host.empty()) {
    if (error) *error = full + " has no place on this machine";
    return nullptr;
  }
  std::unique_ptr<InprocServerModule> module =
      InprocServerModule::Load(*platform_.system, host, error);
  if (!module) return nullptr;
  return modules_.emplace(full, std::move(module)).first->second.get();
}

HRESULT ClassObjectLoader::GetClassObject(REFCLSID clsid, REFIID riid, void** object,
                                          std::string* error) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  std::string path;
  if (platform_.registry == nullptr || !InprocServerPath(*platform_.registry, clsid, &path)) {
    if (error) *error = "the class " + FormatGuid(clsid) + " is not registered";
    return REGDB_E_CLASSNOTREG;
  }
  InprocServerModule* module = LoadModule(path, error);
  if (module == nullptr) return CO_E_DLLNOTFOUND;
  return module->GetClassObject(clsid, riid, object);
}

HRESULT ClassObjectLoader::GetClassObject(std::string_view prog_id, REFIID riid, void** object,
                                          std::string* error) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  CLSID clsid;
  if (platform_.registry == nullptr || !ClsidFromProgId(*platform_.registry, prog_id, &clsid)) {
    if (error) *error = "the class " + std::string(prog_id) + " is not registered";
    return REGDB_E_CLASSNOTREG;
  }
  return GetClassObject(clsid, riid, object, error);
}

HRESULT ClassObjectLoader::CreateInstance(std::string_view prog_id, ComPtr<IDispatch>* object,
                                          std::string* error) {
  if (object == nullptr) return E_POINTER;
  object->Reset();
  ComPtr<IClassFactory> factory;
  HRESULT hr = GetClassObject(prog_id, IID_IClassFactory,
                              reinterpret_cast<void**>(factory.ReleaseAndGetAddressOf()), error);
  if (FAILED(hr)) return hr;
  if (!factory) return E_UNEXPECTED;
  hr = factory->CreateInstance(nullptr, IID_IDispatch,
                               reinterpret_cast<void**>(object->ReleaseAndGetAddressOf()));
  if (FAILED(hr) && error) *error = "the class " + std::string(prog_id) + " made no object";
  return hr;
}

void ClassObjectLoader::FreeUnusedLibraries() {
  for (auto it = modules_.begin(); it != modules_.end();) {
    if (it->second->CanUnloadNow() == S_OK) {
      it = modules_.erase(it);
    } else {
      ++it;
    }
  }
}

}  // namespace zelvan
