// The built component module, loaded the way a host loads it: through the
// platform's library loader, by its four entry points, with a recording IDE
// connected. Every Service slot is called through its slot.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "com/class_registry.h"
#include "com/inproc_server.h"
#include "com/variant_args.h"
#include "model/status_codes.h"
#include "platform/file_system.h"
#include "platform/host_platform.h"
#include "platform/system_services.h"
#include "scanner/function_requests.h"
#include "service/component_interfaces.h"
#include "tests/support/recording_ide_host.h"
#include "tests/support/service_slot_cases.h"
#include "tests/support/temp_dir.h"

namespace zelvan {
namespace {

using testing::ChangeSlotCases;
using testing::ProjectSlotCases;
using testing::QuerySlotCases;
using testing::RecordingIdeHost;
using testing::RunSlotCases;
using testing::SlotCase;
using testing::SlotCaseFiles;
using testing::SlotCasePath;
using testing::SlotCaseProjects;
using testing::TempDir;

// The environment the module reads when it loads, set for one test.
class ScopedEnv {
 public:
  ScopedEnv(SystemServices& system, std::string name, const std::string& value)
      : system_(system), name_(std::move(name)), old_(system.GetEnv(name_)) {
    system_.SetEnv(name_, value);
  }
  ~ScopedEnv() { old_ ? system_.SetEnv(name_, *old_) : system_.UnsetEnv(name_); }

 private:
  SystemServices& system_;
  std::string name_;
  std::optional<std::string> old_;
};

class ComponentLibraryTest : public ::testing::Test {
 protected:
  ComponentLibraryTest()
      : host_(HostPlatform::Create(nullptr)),
        registry_env_(System(), "ZELVAN_REGISTRY", dir_.HostPath("registry.ini")),
        temp_env_(System(), "TEMP", SystemPath("temp")) {
    for (const auto& [path, text] : SlotCaseFiles()) {
      dir_.WriteFile(path, text);
    }
    ide_.state().project_files = SlotCaseProjects(At());
    ide_.state().active_project = ide_.state().project_files.front();
  }
  ~ComponentLibraryTest() override { Unload(); }

  SystemServices& System() { return *host_->platform().system; }
  std::string SystemPath(std::string_view relative) {
    return host_->platform().fs->FromHostPath(dir_.HostPath(relative));
  }
  SlotCasePath At() {
    return [this](std::string_view relative) { return SystemPath(relative); };
  }

  void Load() {
    std::string error;
    module_ = InprocServerModule::Load(System(), ZELVAN_COMPONENT_PATH, &error);
    ASSERT_TRUE(module_) << error;
  }
  void Unload() {
    service_ = nullptr;
    connect_ = nullptr;
    module_.reset();
  }
  template <class Interface>
  ComPtr<Interface> Create(REFCLSID clsid) {
    ComPtr<IClassFactory> factory;
    ComPtr<Interface> object;
    EXPECT_EQ(module_->GetClassObject(clsid, IID_IClassFactory,
                                      reinterpret_cast<void**>(factory.ReleaseAndGetAddressOf())),
              S_OK);
    if (factory) {
      EXPECT_EQ(factory->CreateInstance(nullptr, InterfaceTraits<Interface>::Iid(),
                                        reinterpret_cast<void**>(object.ReleaseAndGetAddressOf())),
                S_OK);
    }
    return object;
  }
  // Loads, connects the recording IDE and opens the workspace.
  void Open() {
    Load();
    connect_ = Create<IConnect>(CLSID_Connect);
    service_ = Create<IService>(CLSID_Service);
    ASSERT_TRUE(connect_ && service_);
    ASSERT_EQ(connect_->Connect(ide_.application(), args_.Empty(), args_.Empty()), S_OK);
    ASSERT_EQ(service_->OpenWorkspace(args_.Text(SystemPath("ws/Demo.kws"))), S_OK);
  }
  LONG Status() {
    LONG status = -1;
    service_->GetLastStatus(&status);
    return status;
  }

  void RunCases(const std::vector<SlotCase>& cases) {
    for (const std::string& failure : RunSlotCases(service_.Get(), args_, cases)) {
      ADD_FAILURE() << failure;
    }
  }

  TempDir dir_;
  std::unique_ptr<HostPlatform> host_;
  ScopedEnv registry_env_;
  ScopedEnv temp_env_;
  RecordingIdeHost ide_;
  VariantArgs args_;
  std::unique_ptr<InprocServerModule> module_;
  ComPtr<IConnect> connect_;
  ComPtr<IService> service_;
};

// Each test opens the workspace afresh; within a test the cases run in
// order, and a case may see what an earlier one of its test changed
// (tests/support/service_slot_cases.h).
TEST_F(ComponentLibraryTest, QueriesAnswerTheirArguments) {
  Open();
  FunctionDatabaseRequest record;
  RunCases(QuerySlotCases(At(), &record));
}

TEST_F(ComponentLibraryTest, ChangesToLinksStepsFilesAndTargetsAreSeenByLaterCalls) {
  Open();
  RunCases(ChangeSlotCases(At()));
}

TEST_F(ComponentLibraryTest, ProjectsAreMadeCopiedAndRenamedAndTheWorkspaceCloses) {
  Open();
  RunCases(ProjectSlotCases(At()));
  // The message belongs to the last status.
  BSTR message = nullptr;
  EXPECT_EQ(service_->GetLastMessage(&message), S_OK);
  EXPECT_EQ(TextFromBstr(message), "No workspace is open.");
  SysFreeString(message);
}

// Every string argument refuses every other kind of VARIANT alike; arrays
// passed by value are taken (and destroyed) all the same.
TEST_F(ComponentLibraryTest, StringArgumentsRefuseOtherTypes) {
  Open();
  using Call = std::function<HRESULT(IService*, VARIANT)>;
  const std::vector<std::pair<const char*, Call>> slots = {
      {"17", [&](IService* s, VARIANT v) { return s->AddLinkProject(args_.Text("App"), v); }},
      {"26", [&](IService* s, VARIANT v) { return s->RemoveTarget(v, args_.Text("Debug")); }},
      {"31", [&](IService* s, VARIANT v) { return s->OpenWorkspace(v); }},
      {"40", [&](IService* s, VARIANT v) { return s->ConvertOldProject(v); }},
      {"79",
       [&](IService* s, VARIANT v) { return s->UpdateProjectDependencies(0, v, args_.Long(0)); }},
  };
  const int kTypes[] = {VT_EMPTY,         VT_NULL,           VT_I4,       VT_R8,
                        VT_BOOL,          VT_ERROR,          VT_DISPATCH, VT_VARIANT | VT_BYREF,
                        VT_I4 | VT_BYREF, VT_ARRAY | VT_BSTR};
  for (const auto& [slot, call] : slots) {
    for (int vt : kTypes) {
      SCOPED_TRACE(std::string("slot ") + slot + ", type " + std::to_string(vt));
      VARIANT v = args_.Empty();
      v.vt = static_cast<VARTYPE>(vt);
      if (vt == (VT_VARIANT | VT_BYREF)) v = args_.VariantRef(args_.Long(1));
      if (vt == (VT_I4 | VT_BYREF)) v = args_.LongsRef({1, 0});
      if (vt == (VT_ARRAY | VT_BSTR)) v = args_.Array({"App"});
      EXPECT_EQ(call(service_.Get(), v), S_FALSE);
      EXPECT_EQ(static_cast<uint32_t>(Status()), kStatusBadArgument);
      args_.Clear();
    }
  }
}

TEST_F(ComponentLibraryTest, ObjectsHoldTheModuleAndAFreshLoadStartsAfresh) {
  Load();
  ComPtr<IService> service = Create<IService>(CLSID_Service);
  ComPtr<IVersion> version = Create<IVersion>(CLSID_Version);
  ComPtr<ICommand> command = Create<ICommand>(CLSID_Command);
  ComPtr<IDispatch> unknown;
  EXPECT_EQ(module_->GetClassObject(GUID_NULL, IID_IClassFactory,
                                    reinterpret_cast<void**>(unknown.ReleaseAndGetAddressOf())),
            CLASS_E_CLASSNOTAVAILABLE);
  LONG id = 0;
  LONG message = 0;
  ASSERT_EQ(service->SetEventData(1, args_.Bstr("a"), &id, &message), S_OK);
  ASSERT_EQ(service->SetEventData(2, args_.Bstr("b"), &id, &message), S_OK);
  EXPECT_EQ(id, 12551);
  EXPECT_EQ(module_->CanUnloadNow(), S_FALSE);
  // The Command object hands out the module's objects by the last part of a ProgID.
  ComPtr<IDispatch> found;
  EXPECT_EQ(command->Method8(args_.Bstr("Zelvan.version"), found.ReleaseAndGetAddressOf()), S_OK);
  ComPtr<IVersion> as_version;
  EXPECT_EQ(found.As(&as_version), S_OK);
  EXPECT_EQ(command->Method8(args_.Bstr("Zelvan.Other"), found.ReleaseAndGetAddressOf()), S_OK);
  EXPECT_EQ(found, nullptr);
  LONG most = 0;
  LONG least = 0;
  EXPECT_EQ(version->Method7(&most, &least), S_OK);
  EXPECT_EQ(most, 0x00000001);  // 0.1.0

  // A lock keeps the module after its objects are gone.
  ComPtr<IClassFactory> factory;
  module_->GetClassObject(CLSID_Project, IID_IClassFactory,
                          reinterpret_cast<void**>(factory.ReleaseAndGetAddressOf()));
  factory->LockServer(1);
  factory = nullptr;
  as_version = nullptr;
  service = nullptr;
  version = nullptr;
  command = nullptr;
  EXPECT_EQ(module_->CanUnloadNow(), S_FALSE);
  module_->GetClassObject(CLSID_Project, IID_IClassFactory,
                          reinterpret_cast<void**>(factory.ReleaseAndGetAddressOf()));
  factory->LockServer(0);
  factory->LockServer(0);  // one unlock too many changes nothing
  factory = nullptr;
  EXPECT_EQ(module_->CanUnloadNow(), S_OK);

  Unload();
  Load();
  service = Create<IService>(CLSID_Service);
  ASSERT_EQ(service->SetEventData(2, args_.Bstr("b"), &id, &message), S_OK);
  EXPECT_EQ(id, 12550);
  service = nullptr;
  EXPECT_EQ(module_->CanUnloadNow(), S_OK);
}

TEST_F(ComponentLibraryTest, ConnectHoldsItsObjectsUntilDisconnect) {
  Load();
  ComPtr<IConnect> connect = Create<IConnect>(CLSID_Connect);
  BSTR kind = nullptr;
  EXPECT_EQ(connect->GetComponentKind(&kind), S_OK);
  EXPECT_EQ(TextFromBstr(kind), "COMPONENT");
  SysFreeString(kind);
  EXPECT_EQ(connect->GetComponentKind(nullptr), E_POINTER);
  EXPECT_EQ(connect->Connect(nullptr, args_.Empty(), args_.Empty()), S_FALSE);
  EXPECT_EQ(connect->Connect(ide_.application(), args_.Empty(), args_.Empty()), S_OK);
  connect = nullptr;
  // The Service, Version and Project objects of the connection remain.
  EXPECT_EQ(module_->CanUnloadNow(), S_FALSE);
  connect = Create<IConnect>(CLSID_Connect);
  EXPECT_EQ(connect->Disconnect(), S_OK);
  connect = nullptr;
  EXPECT_EQ(module_->CanUnloadNow(), S_OK);
}

TEST_F(ComponentLibraryTest, RegistrationRoundTripLeavesTheRegistryAsItWas) {
  const std::string before =
      "; the user's own\r\n[Software\\Zentrak\\Semiconductor\\KOVA\\Builder]"
      "\r\nBuildMake=dword:00000001\r\n";
  dir_.WriteFile("registry.ini", before);
  Load();
  ASSERT_EQ(module_->RegisterServer(), S_OK);
  {
    // A host of its own, which sees the registry the test chose.
    std::unique_ptr<HostPlatform> platform = HostPlatform::Create(nullptr);
    ClassObjectLoader loader(platform->platform());
    for (const char* prog_id : {"Zelvan.Service", "Zelvan.Service.1"}) {
      SCOPED_TRACE(prog_id);
      ComPtr<IDispatch> object;
      std::string error;
      ASSERT_EQ(loader.CreateInstance(prog_id, &object, &error), S_OK) << error;
      ComPtr<IService> service;
      EXPECT_EQ(object.As(&service), S_OK);
    }
    std::string error;
    ComPtr<IDispatch> none;
    EXPECT_EQ(loader.CreateInstance("Zelvan.Nothing", &none, &error), REGDB_E_CLASSNOTREG);
    EXPECT_EQ(loader.LoadedModuleCount(), 1u);
    loader.FreeUnusedLibraries();
    EXPECT_EQ(loader.LoadedModuleCount(), 0u);
  }
  ASSERT_EQ(module_->UnregisterServer(), S_OK);
  EXPECT_EQ(dir_.ReadFile("registry.ini"), before);
}

}  // namespace
}  // namespace zelvan
