#include "service/component_module.h"

#include <new>
#include <utility>

#include "com/class_registry.h"
#include "com/com_ptr.h"
#include "com/dispatch_object.h"
#include "dependencies/dependency_updater.h"
#include "makefile/make_state.h"
#include "model/message_texts.h"
#include "model/service_settings.h"
#include "model/status_codes.h"
#include "model/workspace.h"
#include "platform/file_system.h"
#include "platform/module_version.h"
#include "platform/registry.h"
#include "platform/win_path.h"
#include "service/component_ids.h"
#include "service/component_objects.h"
#include "service/connection_project_services.h"
#include "service/ide_bridge.h"
#include "service/ide_connection.h"
#include "service/project_object.h"
#include "service/service_hooks.h"
#include "service/service_object.h"
#include "storage/project_files.h"
#include "toolchain/cpu_table.h"
#include "toolchain/custom_events.h"
#include "toolchain/installation.h"
#include "toolchain/language_table.h"

#ifndef ZELVAN_VERSION_MAJOR
#define ZELVAN_VERSION_MAJOR 0
#define ZELVAN_VERSION_MINOR 0
#define ZELVAN_VERSION_PATCH 0
#endif

namespace zelvan {
namespace {

// The resource module sits beside the module: its path with the extension
// replaced by "RES.DLL".
std::string ResourceModulePath(const std::string& module_path) {
  if (module_path.empty()) return std::string();
  PathParts parts = SplitPath(module_path);
  return parts.drive + parts.directory + parts.title + "RES.DLL";
}

InprocClass RegistrationOf(const ComponentClass& entry, const std::string& module_path) {
  return InprocClass{
      entry.clsid, entry.description,        entry.prog_id, entry.independent_prog_id,
      module_path, kComponentThreadingModel, LIBID_Zelvan};
}

}  // namespace

ComponentVersion ComponentProductVersion() {
  return {(ZELVAN_VERSION_MAJOR << 16) | ZELVAN_VERSION_MINOR, ZELVAN_VERSION_PATCH << 16};
}

ComponentModule::ComponentModule(const Platform& platform, ComponentOptions options)
    : platform_(platform), options_(std::move(options)) {
  util_ = std::make_unique<Installation>(platform_, options_.install_folder);
  settings_ = std::make_unique<ServiceSettings>(platform_, util_.get());
  // No resource module of its own is shipped: the texts are built in, as
  // when that module cannot be loaded and the component serves in its place.
  settings_->SetResourceModulePath(ResourceModulePath(options_.module_path));
  languages_ = std::make_unique<LanguageTable>();
  cpus_ = std::make_unique<CpuTable>(platform_, *util_);
  events_ = std::make_unique<CustomEvents>(kCustomEventFirstId, kCustomEventLastId);
  dependencies_ = std::make_unique<DependencyUpdater>(*cpus_);
  dependencies_->SetRefreshOnOpen(options_.refresh_dependencies_on_open);
  dependencies_->SetReadOnly(options_.read_only);
  dependencies_->SetIncludeChains(options_.include_chains);
  make_states_ = std::make_unique<MakeStateStore>();
  hooks_ = std::make_unique<ServiceHooks>(*make_states_, *dependencies_, util_.get(), cpus_.get());

  ConnectionHooks connection_hooks;
  connection_hooks.load_service_settings = [this] {
    settings_->LoadServiceSettings();
    // The sources of the function database are those the settings name.
    workspace_->SetListedExtensions(settings_->FunctionScanExtensions());
  };
  connection_hooks.load_cpu_tools = [this] {
    if (!options_.install_folder.empty()) cpus_->LoadCpuTools();
  };
  connection_hooks.update_dependencies = [this](std::string_view project) {
    hooks_->UpdateDependenciesRequested(project);
  };
  connection_hooks.create_object = [this](REFCLSID clsid, ComPtr<IDispatch>* object) {
    return CreateObject(clsid, IID_IDispatch,
                        reinterpret_cast<void**>(object->ReleaseAndGetAddressOf()));
  };
  connection_ = std::make_unique<IdeConnection>(*platform_.ui, std::move(connection_hooks));
  bridge_ = std::make_unique<IdeBridge>(*connection_);
  project_services_ = std::make_unique<ConnectionProjectServices>(connection_.get(), *bridge_);
  workspace_ =
      std::make_unique<Workspace>(platform_, *settings_, *bridge_, hooks_.get(), languages_.get());
  hooks_->SetWorkspace(workspace_.get());
}

ComponentModule::~ComponentModule() {
  // The connection holds the module's own objects and the IDE's: let them
  // go while every part they reach still stands.
  connection_->Disconnect();
  workspace_.reset();
  hooks_.reset();
  project_services_.reset();
  bridge_.reset();
  connection_.reset();
}

void ComponentModule::ReportFailedWrites() {
  for (const FileSystem::FailedWrite& failure : platform_.fs->TakeFailedWrites()) {
    connection_->ReportError(kStatusFileNotWritten, LoadMessage(*platform_.ui, kMsgFileNotWritten,
                                                                {failure.path, failure.reason}));
  }
}

ProjectServices& ComponentModule::project_services() {
  return *project_services_;
}

void ComponentModule::LockServer(bool lock) {
  if (lock) {
    ++locks_;
  } else if (locks_ > 0) {
    --locks_;
  }
}

HRESULT ComponentModule::CanUnloadNow() const {
  return references_ == 0 && locks_ == 0 ? S_OK : S_FALSE;
}

HRESULT ComponentModule::CreateObject(REFCLSID clsid, REFIID riid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  ComPtr<IDispatch> made;
  try {
    if (IsEqualCLSID(clsid, CLSID_Service)) {
      made = MakeComObject<ServiceObject>(*this);
    } else if (IsEqualCLSID(clsid, CLSID_Project)) {
      made = MakeComObject<ProjectObject>(*this);
    } else if (IsEqualCLSID(clsid, CLSID_Command)) {
      made = MakeComObject<CommandObject>(*this);
    } else if (IsEqualCLSID(clsid, CLSID_Connect)) {
      made = MakeComObject<ConnectObject>(*this);
    } else if (IsEqualCLSID(clsid, CLSID_Version)) {
      made = MakeComObject<VersionObject>(*this);
    } else {
      return CLASS_E_CLASSNOTAVAILABLE;
    }
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  if (!made) return E_OUTOFMEMORY;
  return made->QueryInterface(riid, object);
}

HRESULT ComponentModule::GetClassObject(REFCLSID clsid, REFIID riid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  bool known = false;
  for (const ComponentClass& entry : kComponentClasses) {
    known = known || IsEqualCLSID(entry.clsid, clsid);
  }
  if (!known) return CLASS_E_CLASSNOTAVAILABLE;
  auto* factory = new (std::nothrow) ComponentClassFactory(*this, clsid);
  if (factory == nullptr) return E_OUTOFMEMORY;
  factory->AddRef();
  const HRESULT hr = factory->QueryInterface(riid, object);
  factory->Release();
  return hr;
}

ComponentVersion ComponentModule::ProductVersion() const {
  if (!options_.module_path.empty()) {
    uint32_t most = 0;
    uint32_t least = 0;
    const std::string host = platform_.fs->ToHostPath(options_.module_path);
    if (!host.empty() && ReadModuleProductVersion(host, &most, &least)) {
      return {static_cast<LONG>(most), static_cast<LONG>(least)};
    }
  }
  return ComponentProductVersion();
}

HRESULT ComponentModule::RegisterServer() {
  Registry* registry = platform_.registry;
  if (registry == nullptr || options_.module_path.empty()) return E_UNEXPECTED;
  for (const ComponentClass& entry : kComponentClasses) {
    if (!RegisterInprocClass(*registry, RegistrationOf(entry, options_.module_path))) {
      // Nothing half written stays behind.
      UnregisterServer();
      return E_ACCESSDENIED;
    }
  }
  return registry->Flush() ? S_OK : E_ACCESSDENIED;
}

HRESULT ComponentModule::UnregisterServer() {
  Registry* registry = platform_.registry;
  if (registry == nullptr) return E_UNEXPECTED;
  bool removed = true;
  for (const ComponentClass& entry : kComponentClasses) {
    removed =
        UnregisterInprocClass(*registry, RegistrationOf(entry, options_.module_path)) && removed;
  }
  return registry->Flush() && removed ? S_OK : E_ACCESSDENIED;
}

}  // namespace zelvan
