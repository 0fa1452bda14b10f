#include "cli/component_host.h"

#include <iostream>

#include "platform/ansi_text.h"
#include "platform/file_system.h"
#include "platform/registry.h"
#include "platform/system_services.h"
#include "platform/win_path.h"
#include "service/component_ids.h"

namespace zelvan::cli {

namespace {

// Where an installed prefix keeps the module, beside the prefix's bin/.
constexpr std::string_view kInstalledModuleFolder = "lib/zelvan";

AnswerPolicy PolicyOf(const GlobalOptions& options) {
  if (options.answer_yes) return AnswerPolicy::kYes;
  if (options.answer_no) return AnswerPolicy::kNo;
  return AnswerPolicy::kSafe;
}

}  // namespace

ComponentHost::ComponentHost(const GlobalOptions& options)
    : host_(PolicyOf(options), std::cerr, options.verbose && !options.quiet) {
  host_.SetSummarizeUnresolved(options.quiet && !options.verbose);
  platform_ = HostPlatform::Create(&host_);
  host_.Attach(platform());
  HeadlessHost::PrepareEnvironment(*platform().system, *platform().fs, &environment_error_);
  if (!options.install_dir.empty()) SetModuleOption("ZELVAN_INSTALL", options.install_dir);
  // A long operation of the module ends after the step at hand on Ctrl-C.
  SetModuleOption("ZELVAN_STOP_ON_INTERRUPT", "1");
  // The depth warning names the include chain that went too deep.
  SetModuleOption("ZELVAN_INCLUDE_CHAINS", "1");
  loader_ = std::make_unique<ClassObjectLoader>(platform());
}

ComponentHost::~ComponentHost() {
  loader_.reset();
  application_ = nullptr;
  runtime_.reset();
}

void ComponentHost::SetModuleOption(std::string_view name, std::string_view value) {
  platform().system->SetEnv(name, value);
}

InprocServerModule* ComponentHost::Module(bool registered, std::string* error) {
  CLSID clsid;
  Registry& registry = *platform().registry;
  if (registered && ClsidFromProgId(registry, "Zelvan.Connect", &clsid) &&
      InprocServerPath(registry, clsid, &module_path_)) {
    if (InprocServerModule* module = loader_->LoadModule(module_path_, error)) return module;
    std::cerr << "zelvan: warning: the registered component "
              << platform().fs->ToHostPath(module_path_) << " cannot be loaded (" << *error
              << "); using the one beside zelvan\n";
  }
  module_path_ = ModuleBesideProgram();
  return loader_->LoadModule(module_path_, error);
}

std::string ComponentHost::ModuleBesideProgram() {
  FileSystem& fs = *platform().fs;
  const std::string program = platform().system->ExecutableHostPath();
  const std::string beside = GetFileDirectory(fs.FromHostPath(program)) + kComponentLibraryName;
  if (FileExists(fs, beside)) return beside;
  // <prefix>/bin/zelvan and <prefix>/lib/zelvan/libzelvan_component.so.
  std::string prefix = program.substr(0, program.find_last_of('/'));
  prefix.resize(prefix.find_last_of('/') == std::string::npos ? 0 : prefix.find_last_of('/'));
  const std::string installed = fs.FromHostPath(prefix + "/" + std::string(kInstalledModuleFolder) +
                                                "/" + kComponentLibraryName);
  return FileExists(fs, installed) ? installed : beside;
}

HRESULT ComponentHost::Create(InprocServerModule& module, std::string_view object,
                              ComPtr<IDispatch>* out) {
  for (const ComponentClass& entry : kComponentClasses) {
    if (!EqualsNoCase(entry.object, object)) continue;
    ComPtr<IClassFactory> factory;
    HRESULT hr = module.GetClassObject(entry.clsid, IID_IClassFactory,
                                       reinterpret_cast<void**>(factory.ReleaseAndGetAddressOf()));
    if (FAILED(hr)) return hr;
    return factory->CreateInstance(nullptr, IID_IDispatch,
                                   reinterpret_cast<void**>(out->ReleaseAndGetAddressOf()));
  }
  return CLASS_E_CLASSNOTAVAILABLE;
}

bool ComponentHost::OpenRegistered(std::string* error) {
  runtime_ = SystemComRuntime::Enter(error);
  if (runtime_) {
    // Whether the classes are registered, asked as the first object is made.
    ComPtr<IDispatch> probe;
    if (SUCCEEDED(CreateRegistered("Connect", &probe, error))) return true;
    *error += std::string("; register it first (zelvan register, or regsvr32 ") +
              kComponentLibraryName + ")";
    return false;
  }
  if (!error->empty()) return false;
  module_ = Module(true, error);
  return module_ != nullptr;
}

HRESULT ComponentHost::CreateRegistered(std::string_view object, ComPtr<IDispatch>* out,
                                        std::string* error) {
  for (const ComponentClass& entry : kComponentClasses) {
    if (!EqualsNoCase(entry.object, object)) continue;
    if (runtime_) return runtime_->CreateInstance(entry.independent_prog_id, out, error);
    if (module_ == nullptr) {
      *error = "the component is not loaded";
      return E_UNEXPECTED;
    }
    const HRESULT hr = Create(*module_, object, out);
    if (FAILED(hr)) *error = std::string("the component made no ") + entry.object + " object";
    return hr;
  }
  *error = "no object " + std::string(object) + " (Connect, Command, Service, Version, Project)";
  return CLASS_E_CLASSNOTAVAILABLE;
}

HostApplication* ComponentHost::Application() {
  if (!application_) application_ = MakeComObject<HostApplication>(host_);
  return application_.Get();
}

}  // namespace zelvan::cli
