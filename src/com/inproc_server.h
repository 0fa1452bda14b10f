// In-process component servers: the class factory interface, the four entry
// points a server module exports, and the host's side of them: loading a
// module and finding a class through the registry, as the component runtime
// does for a program that creates objects by ProgID.
//
//   ClassObjectLoader loader(platform);
//   ComPtr<IDispatch> service;
//   loader.CreateInstance("Zelvan.Service", &service, &error);
//
// A module is loaded once and kept until FreeUnusedLibraries finds that its
// DllCanUnloadNow answers S_OK, or until the loader goes; objects of a
// module must be released before then.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "com/com_ptr.h"
#include "com/com_types.h"
#include "platform/platform.h"

namespace zelvan {

class DynamicLibrary;
class SystemServices;

#ifndef _WIN32
inline constexpr IID IID_IClassFactory = {
    0x00000001, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

class IClassFactory : public IUnknown {
 public:
  // CLASS_E_NOAGGREGATION for a non-null `outer`.
  virtual HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** object) = 0;
  // Keeps the module loaded while locked (calls are counted).
  virtual HRESULT STDMETHODCALLTYPE LockServer(INT lock) = 0;

 protected:
  ~IClassFactory() = default;
};
#endif  // _WIN32

template <>
struct InterfaceTraits<IClassFactory> {
  static constexpr const IID& Iid() { return IID_IClassFactory; }
};

// The entry points, exported with C linkage under these names.
using DllCanUnloadNowFunction = HRESULT(STDMETHODCALLTYPE*)();
using DllGetClassObjectFunction = HRESULT(STDMETHODCALLTYPE*)(REFCLSID, REFIID, void**);
using DllRegisterServerFunction = HRESULT(STDMETHODCALLTYPE*)();
using DllUnregisterServerFunction = HRESULT(STDMETHODCALLTYPE*)();

// A loaded server module.
class InprocServerModule {
 public:
  // Loads the module at `host_path`; null, with the reason in `error`, when
  // it cannot be loaded or lacks one of the four entry points.
  static std::unique_ptr<InprocServerModule> Load(SystemServices& system,
                                                  std::string_view host_path, std::string* error);
  ~InprocServerModule();

  HRESULT GetClassObject(REFCLSID clsid, REFIID riid, void** object) const;
  HRESULT CanUnloadNow() const;
  HRESULT RegisterServer() const;
  HRESULT UnregisterServer() const;

 private:
  InprocServerModule() = default;
  std::unique_ptr<DynamicLibrary> library_;
  DllCanUnloadNowFunction can_unload_now_ = nullptr;
  DllGetClassObjectFunction get_class_object_ = nullptr;
  DllRegisterServerFunction register_server_ = nullptr;
  DllUnregisterServerFunction unregister_server_ = nullptr;
};

class ClassObjectLoader {
 public:
  // `platform` (its registry, file system and system services) must outlive the loader.
  explicit ClassObjectLoader(const Platform& platform);
  ~ClassObjectLoader();
  ClassObjectLoader(const ClassObjectLoader&) = delete;
  ClassObjectLoader& operator=(const ClassObjectLoader&) = delete;

  // The module at `path` (a system path), loaded on first use.
  InprocServerModule* LoadModule(std::string_view path, std::string* error);

  // The class object of `clsid` through its registered module.
  // REGDB_E_CLASSNOTREG when the class has no module; CO_E_DLLNOTFOUND (a
  // failure, with the reason in `error`) when the module cannot be loaded.
  HRESULT GetClassObject(REFCLSID clsid, REFIID riid, void** object, std::string* error);
  // ProgID to CLSID (REGDB_E_CLASSNOTREG when unknown), then as above.
  HRESULT GetClassObject(std::string_view prog_id, REFIID riid, void** object, std::string* error);
  // A new object of the class through its class factory.
  HRESULT CreateInstance(std::string_view prog_id, ComPtr<IDispatch>* object, std::string* error);

  // Unloads every module whose DllCanUnloadNow answers S_OK.
  void FreeUnusedLibraries();
  size_t LoadedModuleCount() const { return modules_.size(); }

 private:
  Platform platform_;
  std::map<std::string, std::unique_ptr<InprocServerModule>> modules_;
};

#ifndef _WIN32
inline constexpr HRESULT CO_E_DLLNOTFOUND = MakeHresult(0x800401F8);
#endif

}  // namespace zelvan
