// The component module: the process-wide objects of a loaded service and
// the in-process server around them.
//
// Loading the module builds, in this order, the utility library, the
// service settings, the language table, the CPU tool list, the custom
// event ids 12550 to 12559, the dependency updater, the connection to the
// IDE and the workspace; they live until the module unloads, when the
// connection lets the IDE go and the workspace destroys its projects
// (deleting their working copies) and restores PATH.
//
// The five classes (component_ids.h) are created through class factories.
// Every object and every factory counts as a reference to the module, as
// does each LockServer lock; CanUnloadNow is S_OK only when none is left.
//
//   ComponentModule module(platform, {module_path, install_folder});
//   module.GetClassObject(CLSID_Connect, IID_IClassFactory, &factory);
//
// A host build (component_entry.cpp) makes one instance when the shared
// library loads; tests make as many as they like, each with its platform.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "com/com_types.h"
#include "platform/platform.h"

namespace zelvan {

class CpuTable;
class CustomEvents;
class LanguageTable;
class MakeStateStore;
class ServiceSettings;
class Workspace;
class ConnectionProjectServices;
class DependencyUpdater;
class IdeBridge;
class IdeConnection;
class ProjectServices;
class Installation;
class ServiceHooks;

struct ComponentOptions {
  // The module file (a system path): named in the registry, and the
  // resource module is found beside it.
  std::string module_path;
  // The toolchain installation (Windows form); empty: none, and Connect
  // loads no CPU list.
  std::string install_folder;
  // Opening a workspace brings its include dependencies up to date; a host
  // that refreshes them on its own turns this off (they are then only read).
  bool refresh_dependencies_on_open = true;
  // A command that only reads: no dependency file is refreshed or written.
  bool read_only = false;
  // The depth warning is followed by the include chain that went too deep:
  // for a command line, never for the IDE's window.
  bool include_chains = false;
};

// The product version the Version object reports: major and minor in the
// most significant half, patch and build in the least.
struct ComponentVersion {
  LONG most;
  LONG least;
};
// The version this build was made as.
ComponentVersion ComponentProductVersion();

class ComponentModule {
 public:
  // `platform` (with its `ui`) must outlive the module.
  ComponentModule(const Platform& platform, ComponentOptions options);
  ~ComponentModule();
  ComponentModule(const ComponentModule&) = delete;
  ComponentModule& operator=(const ComponentModule&) = delete;

  // --- The entry points.

  // A class factory for one of the five classes (IClassFactory or
  // IUnknown); CLASS_E_CLASSNOTAVAILABLE for any other class.
  HRESULT GetClassObject(REFCLSID clsid, REFIID riid, void** object);
  HRESULT CanUnloadNow() const;
  // Writes the five classes into the registry, with this module as their
  // server, and flushes it; E_ACCESSDENIED (nothing written) when the
  // registry cannot take them. UnregisterServer removes what it wrote.
  HRESULT RegisterServer();
  HRESULT UnregisterServer();

  // --- Objects.

  // A new object of one of the five classes.
  HRESULT CreateObject(REFCLSID clsid, REFIID riid, void** object);
  // Counted references to the module: objects, factories and locks.
  void AddReference() { ++references_; }
  void RemoveReference() { --references_; }
  int64_t References() const { return references_; }
  // IClassFactory::LockServer; an unlock without a lock is ignored.
  void LockServer(bool lock);

  // --- The process-wide objects.
  Platform& platform() { return platform_; }
  const std::string& ModulePath() const { return options_.module_path; }
  // The product version in the module file's version resource; the built-in
  // one when it has none (a POSIX host's module, a module built in process).
  ComponentVersion ProductVersion() const;
  Workspace& workspace() { return *workspace_; }
  IdeConnection& connection() { return *connection_; }
  CpuTable& cpus() { return *cpus_; }
  // What makefile generation keeps on each project (makefile/make_state.h).
  MakeStateStore& make_states() { return *make_states_; }
  Installation& util() { return *util_; }
  DependencyUpdater& dependencies() { return *dependencies_; }
  CustomEvents& events() { return *events_; }
  ServiceSettings& settings() { return *settings_; }
  // What new, copy and rename need of the IDE.
  ProjectServices& project_services();
  // Reports every write through the module's file system that failed since
  // the last report to the IDE as an error (kStatusFileNotWritten), so that
  // no file that was not written goes untold.
  void ReportFailedWrites();
  // The source-control state of the workspace's archive, set by the
  // archive actions (kArchiveState* of ide_interfaces.h).
  LONG WorkspaceArchiveState() const { return workspace_archive_state_; }
  void SetWorkspaceArchiveState(LONG state) { workspace_archive_state_ = state; }

 private:
  Platform platform_;
  ComponentOptions options_;
  int64_t references_ = 0;
  int64_t locks_ = 0;
  LONG workspace_archive_state_ = -1;
  std::unique_ptr<Installation> util_;
  std::unique_ptr<ServiceSettings> settings_;
  std::unique_ptr<LanguageTable> languages_;
  std::unique_ptr<CpuTable> cpus_;
  std::unique_ptr<CustomEvents> events_;
  std::unique_ptr<DependencyUpdater> dependencies_;
  std::unique_ptr<MakeStateStore> make_states_;
  std::unique_ptr<ServiceHooks> hooks_;
  std::unique_ptr<IdeConnection> connection_;
  std::unique_ptr<IdeBridge> bridge_;
  std::unique_ptr<ConnectionProjectServices> project_services_;
  std::unique_ptr<Workspace> workspace_;
};

// One counted reference to the module for as long as it lives; every object
// of the module holds one.
class ModuleReference {
 public:
  explicit ModuleReference(ComponentModule& module) : module_(module) { module_.AddReference(); }
  ~ModuleReference() { module_.RemoveReference(); }
  ModuleReference(const ModuleReference&) = delete;
  ModuleReference& operator=(const ModuleReference&) = delete;

 private:
  ComponentModule& module_;
};

}  // namespace zelvan
