// The small objects of the service: Connect (the IDE's connection), Command
// (notifications, and the other objects by name) and Version; and the
// class factory that makes every object of the module.
#pragma once

#include "com/com_types.h"
#include "com/inproc_server.h"
#include "service/component_interfaces.h"
#include "service/component_object.h"

namespace zelvan {

class ConnectObject final : public ComponentObject<IConnect> {
 public:
  explicit ConnectObject(ComponentModule& module);

  HRESULT STDMETHODCALLTYPE Connect(IUnknown* application, VARIANT reserved1,
                                    VARIANT reserved2) override;
  HRESULT STDMETHODCALLTYPE Disconnect() override;
  HRESULT STDMETHODCALLTYPE GetComponentKind(BSTR* kind) override;
};

class CommandObject final : public ComponentObject<ICommand> {
 public:
  explicit CommandObject(ComponentModule& module);

  HRESULT STDMETHODCALLTYPE Notify(LONG event, VARIANT argument) override;
  HRESULT STDMETHODCALLTYPE Method8(BSTR prog_id, IDispatch** object) override;
  HRESULT STDMETHODCALLTYPE Method9() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE Method10() override { return S_OK; }
};

class VersionObject final : public ComponentObject<IVersion> {
 public:
  explicit VersionObject(ComponentModule& module);

  HRESULT STDMETHODCALLTYPE Method7(LONG* most, LONG* least) override;
  HRESULT STDMETHODCALLTYPE Method8(BSTR* text) override;
};

// Makes objects of one class; counts as a reference to the module while it
// lives. Aggregation is not supported.
class ComponentClassFactory final : public IClassFactory {
 public:
  ComponentClassFactory(ComponentModule& module, REFCLSID clsid)
      : module_(module), clsid_(clsid), reference_(module) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** object) override;
  HRESULT STDMETHODCALLTYPE LockServer(INT lock) override;

 private:
  ~ComponentClassFactory() = default;

  ULONG references_ = 0;
  ComponentModule& module_;
  CLSID clsid_;
  ModuleReference reference_;
};

}  // namespace zelvan
