#include "service/component_objects.h"

#include <string>

#include "com/bstr.h"
#include "platform/ansi_text.h"
#include "service/argument_shapes.h"
#include "service/ide_connection.h"

namespace zelvan {

// --- Connect.

ConnectObject::ConnectObject(ComponentModule& module) : ComponentObject(module, IID_IConnect) {
  using S = Shape;
  Member(7, "Connect", {S::kUnknown, S::kVariant, S::kVariant},
         [this](DispatchCall& c) { return Connect(c.Unknown(0), c.Variant(1), c.Variant(2)); });
  Member(8, "Disconnect", {}, [this](DispatchCall&) { return Disconnect(); });
  Member(9, "GetComponentKind", {S::kOutBstr},
         [this](DispatchCall& c) { return GetComponentKind(c.OutBstr(0)); });
}

HRESULT ConnectObject::Connect(IUnknown* application, VARIANT reserved1, VARIANT reserved2) {
  ArgumentScope scope{&reserved1, &reserved2};
  return module_.connection().Connect(application);
}

HRESULT ConnectObject::Disconnect() {
  return module_.connection().Disconnect();
}

HRESULT ConnectObject::GetComponentKind(BSTR* kind) {
  return IdeConnection::GetComponentKind(kind);
}

// --- Command.

CommandObject::CommandObject(ComponentModule& module) : ComponentObject(module, IID_ICommand) {
  using S = Shape;
  Member(7, "Notify", {S::kLong, S::kVariant},
         [this](DispatchCall& c) { return Notify(c.Long(0), c.Variant(1)); });
  Member(8, "Method8", {S::kBstr, S::kOutDispatch},
         [this](DispatchCall& c) { return Method8(c.Bstr(0), c.OutDispatch(1)); });
  Member(9, "Method9", {}, [this](DispatchCall&) { return Method9(); });
  Member(10, "Method10", {}, [this](DispatchCall&) { return Method10(); });
}

HRESULT CommandObject::Notify(LONG event, VARIANT argument) {
  ArgumentScope scope{&argument};
  return module_.connection().Notify(event, argument);
}

HRESULT CommandObject::Method8(BSTR prog_id, IDispatch** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  const std::string text = TextFromBstr(prog_id);
  const size_t dot = text.find('.');
  if (dot == std::string::npos) return S_OK;
  const std::string_view wanted = std::string_view(text).substr(dot + 1);
  for (const CLSID* clsid : {&CLSID_Service, &CLSID_Version, &CLSID_Project}) {
    const char* object_name = "";
    for (const ComponentClass& entry : kComponentClasses) {
      if (IsEqualCLSID(entry.clsid, *clsid)) object_name = entry.object;
    }
    if (!EqualsNoCase(wanted, object_name)) continue;
    // The objects the connection holds, or new ones before the IDE connected.
    if (IDispatch* held = module_.connection().OwnObject(*clsid)) {
      held->AddRef();
      *object = held;
      return S_OK;
    }
    return module_.CreateObject(*clsid, IID_IDispatch, reinterpret_cast<void**>(object));
  }
  return S_OK;
}

// --- Version.

VersionObject::VersionObject(ComponentModule& module) : ComponentObject(module, IID_IVersion) {
  using S = Shape;
  Member(7, "Method7", {S::kOutLong, S::kOutLong},
         [this](DispatchCall& c) { return Method7(c.OutLong(0), c.OutLong(1)); });
  Member(8, "Method8", {S::kOutBstr}, [this](DispatchCall& c) { return Method8(c.OutBstr(0)); });
}

HRESULT VersionObject::Method7(LONG* most, LONG* least) {
  if (most == nullptr || least == nullptr) return E_POINTER;
  const ComponentVersion version = module_.ProductVersion();
  *most = version.most;
  *least = version.least;
  return S_OK;
}

HRESULT VersionObject::Method8(BSTR* text) {
  if (text == nullptr) return E_POINTER;
  *text = BstrFromText("");
  return *text != nullptr ? S_OK : E_OUTOFMEMORY;
}

// --- Class factory.

HRESULT ComponentClassFactory::QueryInterface(REFIID riid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory)) {
    *object = static_cast<IClassFactory*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG ComponentClassFactory::Release() {
  const ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

HRESULT ComponentClassFactory::CreateInstance(IUnknown* outer, REFIID riid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (outer != nullptr) return CLASS_E_NOAGGREGATION;
  return module_.CreateObject(clsid_, riid, object);
}

HRESULT ComponentClassFactory::LockServer(INT lock) {
  module_.LockServer(lock != 0);
  return S_OK;
}

}  // namespace zelvan
