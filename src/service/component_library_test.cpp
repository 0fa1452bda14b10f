// The built component module, loaded the way a host loads it: through the
// platform's library loader, by its four entry points, with a recording IDE
// connected. The slot table calls every slot of the five objects by name, as
// a script host calls it; what only the slots take is called through them.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "com/class_registry.h"
#include "com/dispatch_object.h"
#include "com/inproc_server.h"
#include "com/variant_args.h"
#include "model/status_codes.h"
#include "platform/file_system.h"
#include "platform/host_platform.h"
#include "platform/system_services.h"
#include "scanner/function_requests.h"
#include "service/component_interfaces.h"
#include "tests/support/slot_table.h"
#include "tests/support/temp_dir.h"

namespace zelvan {
namespace {

using testing::SlotTable;
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

// A function-database transfer text without the time on its first line.
std::string Entries(const std::string& text) {
  return text.substr(std::min(text.size(), text.find('\n') + 1));
}

class ComponentLibraryTest : public ::testing::Test {
 protected:
  ComponentLibraryTest()
      : host_(HostPlatform::Create(nullptr)),
        table_(*host_->platform().fs),
        registry_env_(System(), "ZELVAN_REGISTRY", dir_.HostPath("registry.ini")),
        temp_env_(System(), "TEMP", host_->platform().fs->FromHostPath(dir_.HostPath("temp"))) {
    dir_.WriteFile("temp/.keep", "");
  }
  ~ComponentLibraryTest() override { Unload(); }

  SystemServices& System() { return *host_->platform().system; }

  void Load() {
    std::string error;
    module_ = InprocServerModule::Load(System(), ZELVAN_COMPONENT_PATH, &error);
    ASSERT_TRUE(module_) << error;
  }
  void Unload() {
    table_.ReleaseObjects();
    service_ = nullptr;
    module_.reset();
  }
  ComPtr<IClassFactory> Factory(REFCLSID clsid, HRESULT expected = S_OK) {
    ComPtr<IClassFactory> factory;
    EXPECT_EQ(module_->GetClassObject(clsid, IID_IClassFactory,
                                      reinterpret_cast<void**>(factory.ReleaseAndGetAddressOf())),
              expected);
    return factory;
  }
  template <class Interface>
  ComPtr<Interface> Create(REFCLSID clsid) {
    ComPtr<IClassFactory> factory = Factory(clsid);
    ComPtr<Interface> object;
    if (factory) {
      EXPECT_EQ(factory->CreateInstance(nullptr, InterfaceTraits<Interface>::Iid(),
                                        reinterpret_cast<void**>(object.ReleaseAndGetAddressOf())),
                S_OK);
    }
    return object;
  }
  // Loads, connects the recording IDE and opens the workspace of the table.
  void Open() {
    Load();
    EXPECT_THAT(table_.Open([this](const CLSID& clsid) { return Create<IDispatch>(clsid); }),
                ::testing::IsEmpty());
    service_ = Create<IService>(CLSID_Service);
  }
  LONG Status() {
    LONG status = -1;
    service_->GetLastStatus(&status);
    return status;
  }

  TempDir dir_;
  std::unique_ptr<HostPlatform> host_;
  SlotTable table_;  // its folder made before TEMP is the module's
  ScopedEnv registry_env_;
  ScopedEnv temp_env_;
  VariantArgs args_;
  std::unique_ptr<InprocServerModule> module_;
  ComPtr<IService> service_;
};

}  // namespace

namespace testing {
void PrintTo(const SlotSuite& suite, std::ostream* out) {
  *out << suite.name;
}
}  // namespace testing

namespace {

class ComponentSlotTableTest : public ComponentLibraryTest,
                               public ::testing::WithParamInterface<testing::SlotSuite> {};

TEST_P(ComponentSlotTableTest, EveryRowAnswersAsListed) {
  Open();
  for (const std::string& failure : table_.Run(GetParam().rows))
    ADD_FAILURE() << failure;
}

INSTANTIATE_TEST_SUITE_P(Suites, ComponentSlotTableTest, ::testing::ValuesIn(testing::SlotSuites()),
                         [](const auto& suite) { return std::string(suite.param.name); });

// What a script cannot give: request records, in values through out
// arguments, and null outs. These go through the slots.
TEST_F(ComponentLibraryTest, SlotsTakeWhatNoScriptGives) {
  Open();
  FunctionDatabaseRequest record;
  record.project = "App";
  record.file = "main.c";
  EXPECT_EQ(service_->Method10(&record), S_OK);
  EXPECT_EQ(Entries(record.functions), "1\n3;int;main;2;1;void;\n");
  record.project = "";
  record.text = "\nlong edited(int a) { return a; }\n";
  EXPECT_EQ(service_->Method11(&record), S_OK);
  EXPECT_EQ(Entries(record.functions), "1\n3;long;edited;2;1;int a;\n");
  record.file = "none.c";
  EXPECT_EQ(service_->Method11(&record), S_FALSE);
  EXPECT_EQ(static_cast<uint32_t>(Status()), kStatusFileNotInProject);
  record.project = "App";
  EXPECT_EQ(service_->Method24(&record), S_OK);
  EXPECT_THAT(record.directories, ::testing::ElementsAre(table_.Path("ws/app")));
  record.project = "No";
  EXPECT_EQ(service_->Method24(&record), S_FALSE);
  EXPECT_EQ(static_cast<uint32_t>(Status()), kStatusProjectNotFound);

  VARIANT* commands = args_.Out(VariantFromLong(1));
  EXPECT_EQ(service_->Method15(1, args_.Text("App"), args_.Out(), args_.Text("Debug"), commands,
                               args_.Text("after-build"), args_.Out(), nullptr),
            S_FALSE);
  EXPECT_EQ(static_cast<uint32_t>(Status()), kStatusBadArgument);
  // A zero-terminated list of tree nodes (a script holds one or an array).
  EXPECT_EQ(service_->CreateTable(args_.Long(1), args_.LongArray({7, 8}), args_.Array({"7", "8"})),
            S_OK);
  ScopedBstr nodes;
  EXPECT_EQ(service_->Method20(args_.LongsRef({7, 9, 8, 0}), nodes.Receive()), S_OK);
  EXPECT_EQ(nodes.Text(), "7;8;");
  EXPECT_EQ(service_->GetProjectInfo(0, args_.Text(""), args_.Empty(), nullptr), E_POINTER);
  EXPECT_EQ(service_->GetLastStatus(nullptr), E_POINTER);
  EXPECT_EQ(
      service_->Method38(args_.Out(), args_.Out(), args_.Out(), args_.Out(), nullptr, nullptr),
      E_POINTER);
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
  EXPECT_EQ(Factory(GUID_NULL, CLASS_E_CLASSNOTAVAILABLE), nullptr);
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

  // A lock keeps the module after its objects are gone.
  ComPtr<IClassFactory> factory = Factory(CLSID_Project);
  factory->LockServer(1);
  factory = nullptr;
  found = nullptr;
  as_version = nullptr;
  service = nullptr;
  version = nullptr;
  command = nullptr;
  EXPECT_EQ(module_->CanUnloadNow(), S_FALSE);
  factory = Factory(CLSID_Project);
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
  EXPECT_EQ(connect->GetComponentKind(nullptr), E_POINTER);
  EXPECT_EQ(connect->Connect(table_.ide().application(), args_.Empty(), args_.Empty()), S_OK);
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
