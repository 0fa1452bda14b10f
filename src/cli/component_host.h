// The component module loaded the way a host loads it, with the headless
// host beside it: the module the registry names for "Zelvan.Connect" (when
// it can be loaded), else the one that came with this program (beside it in
// a build tree, in <prefix>/lib/zelvan/ when installed), and the host's IDE
// objects for the module to connect with. Where the system has a component
// runtime of its own (Windows), the registered objects come through it
// alone, as they come to the IDE: CLSIDFromProgID, then CoCreateInstance. Members are built in the
// order they are declared and go in the reverse one: the module before the host.
//
// The module reads the platform and the installation from the process's
// environment when it loads (ZELVAN_INSTALL from --install, Ctrl-C as a
// stop request); set more before Module() with SetModuleOption.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "cli/cli_command.h"
#include "com/class_registry.h"
#include "com/com_ptr.h"
#include "com/inproc_server.h"
#include "com/system_runtime.h"
#include "host/headless_host.h"
#include "host/host_ide_objects.h"
#include "platform/host_platform.h"

namespace zelvan::cli {

class ComponentHost {
 public:
  explicit ComponentHost(const GlobalOptions& options);
  ~ComponentHost();
  ComponentHost(const ComponentHost&) = delete;
  ComponentHost& operator=(const ComponentHost&) = delete;

  Platform& platform() { return platform_->platform(); }
  HostPlatform& host_platform() { return *platform_; }
  HeadlessHost& host() { return host_; }

  // An environment variable the module reads when it loads.
  void SetModuleOption(std::string_view name, std::string_view value);
  // Why the environment cannot serve a workspace (no private temporary
  // folder); empty when it can.
  const std::string& EnvironmentError() const { return environment_error_; }

  // With `registered`, the module the registry names (when it can be
  // loaded); else, and otherwise, the one that came with this program. Null,
  // with the reason in `error`, when none can be loaded.
  InprocServerModule* Module(bool registered, std::string* error);
  const std::string& ModulePath() const { return module_path_; }

  // A new object of the class of `object` ("Service", any case).
  HRESULT Create(InprocServerModule& module, std::string_view object, ComPtr<IDispatch>* out);

  // The registered component, for objects made with CreateRegistered.
  // Through the system's component runtime where there is one: then the
  // classes must be registered (`zelvan register`, regsvr32), and false,
  // with the reason in `error`, when they are not. Elsewhere Module(true).
  bool OpenRegistered(std::string* error);
  // A new object of the class of `object` ("Service", any case) of the
  // component OpenRegistered opened; the reason of a failure in `error`.
  HRESULT CreateRegistered(std::string_view object, ComPtr<IDispatch>* out, std::string* error);

  // The host's application object, made on first use.
  HostApplication* Application();

 private:
  std::string environment_error_;
  // The module that came with this program: "libzelvan_component.so" beside
  // it, else "../lib/zelvan/libzelvan_component.so" from its folder (the
  // first when neither exists, for the error).
  std::string ModuleBesideProgram();

  HeadlessHost host_;
  std::unique_ptr<HostPlatform> platform_;
  // Left last: it may unload the modules it loaded.
  std::unique_ptr<SystemComRuntime> runtime_;
  ComPtr<HostApplication> application_;
  std::unique_ptr<ClassObjectLoader> loader_;
  InprocServerModule* module_ = nullptr;  // OpenRegistered's, without a runtime
  std::string module_path_;
};

}  // namespace zelvan::cli
