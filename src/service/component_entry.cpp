// The entry points of the component module (the shared library
// libzelvan_component.so; "ZELVAN.DLL" in a Windows build). Loading the
// library builds the module's process-wide objects on a platform of its own;
// unloading it destroys them. Only these four functions are exported.
//
// The platform is read from the environment of the process (HostPlatform:
// drives, registry, code page, Ctrl-C as a stop request), as is the
// installation (ZELVAN_INSTALL, else beside the host program). A host that
// refreshes include dependencies on its own sets ZELVAN_REFRESH_ON_OPEN=0
// before it loads the module, a command that only reads sets
// ZELVAN_READ_ONLY=1 (no dependency file is written); a command line sets
// ZELVAN_INCLUDE_CHAINS=1
// to have the depth warning followed by the include chain.
#include <memory>
#include <string>

#include "model/message_texts.h"
#include "platform/file_system.h"
#include "platform/host_platform.h"
#include "platform/module_path.h"
#include "platform/system_services.h"
#include "platform/ui_hooks.h"
#include "service/component_module.h"
#include "toolchain/install_location.h"

using namespace zelvan;

extern "C" {
HRESULT STDMETHODCALLTYPE DllCanUnloadNow();
HRESULT STDMETHODCALLTYPE DllGetClassObject(REFCLSID clsid, REFIID riid, void** object);
HRESULT STDMETHODCALLTYPE DllRegisterServer();
HRESULT STDMETHODCALLTYPE DllUnregisterServer();
}

namespace {

// The module has no window of its own: message boxes go to the IDE once it
// is connected, and before that take the box's default button, as a user
// who confirms without reading would. Texts are the built-in ones.
class ModuleUi final : public UiHooks {
 public:
  int MessageBox(std::string_view, std::string_view, unsigned style) override {
    const unsigned buttons = style & 0xF;
    const bool second = (style & kMbDefButton2) != 0;
    switch (buttons) {
      case kMbOkCancel:
        return second ? kIdCancel : kIdOk;
      case kMbYesNo:
      case kMbYesNoCancel:
        return second ? kIdNo : kIdYes;
      default:
        return kIdOk;
    }
  }
  std::string LoadString(unsigned id) override {
    const char* text = DefaultMessageText(id);
    return text != nullptr ? text : "";
  }
};

struct LoadedModule {
  LoadedModule() {
    host = HostPlatform::Create(&ui);
    Platform& platform = host->platform();
    ComponentOptions options;
    const std::string host_path =
        ModuleHostPathOf(reinterpret_cast<const void*>(&DllGetClassObject));
    if (!host_path.empty()) options.module_path = platform.fs->FromHostPath(host_path);
    InstallLocation location;
    std::string error;
    HostPlatform& mapper = *host;
    if (LocateInstallation(platform, "", &location, &error) &&
        MapInstallationDrive(&location, [&mapper](char letter, const std::string& dir) {
          return mapper.MapDriveUnlessSet(letter, dir);
        })) {
      options.install_folder = location.folder;
    }
    if (auto refresh = platform.system->GetEnv("ZELVAN_REFRESH_ON_OPEN"); refresh == "0") {
      options.refresh_dependencies_on_open = false;
    }
    if (auto read_only = platform.system->GetEnv("ZELVAN_READ_ONLY"); read_only == "1") {
      options.read_only = true;
    }
    if (auto chains = platform.system->GetEnv("ZELVAN_INCLUDE_CHAINS"); chains == "1") {
      options.include_chains = true;
    }
    module = std::make_unique<ComponentModule>(platform, std::move(options));
  }
  ~LoadedModule() {
    module.reset();
    host.reset();
  }

  ModuleUi ui;
  std::unique_ptr<HostPlatform> host;
  std::unique_ptr<ComponentModule> module;
};

// Built when the library loads, destroyed when it unloads.
LoadedModule g_loaded;

}  // namespace

HRESULT STDMETHODCALLTYPE DllCanUnloadNow() {
  return g_loaded.module->CanUnloadNow();
}

HRESULT STDMETHODCALLTYPE DllGetClassObject(REFCLSID clsid, REFIID riid, void** object) {
  return g_loaded.module->GetClassObject(clsid, riid, object);
}

HRESULT STDMETHODCALLTYPE DllRegisterServer() {
  return g_loaded.module->RegisterServer();
}

HRESULT STDMETHODCALLTYPE DllUnregisterServer() {
  return g_loaded.module->UnregisterServer();
}
