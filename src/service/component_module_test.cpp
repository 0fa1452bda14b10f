// The component module in this process, on the in-memory platform of the
// model tests: the kinds of GetProjectInfo and SetProjectInfo, calls by
// name, and registration failures.
#include "service/component_module.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "com/bstr.h"
#include "com/dispatch_object.h"
#include "com/inproc_server.h"
#include "com/safe_array.h"
#include "com/variant_args.h"
#include "model/status_codes.h"
#include "model/workspace.h"
#include "platform/local_time.h"
#include "platform/registry.h"
#include "service/component_interfaces.h"
#include "service/ide_connection.h"
#include "service/ide_interfaces.h"
#include "service/project_info_kind.h"
#include "tests/support/model_test_platform.h"
#include "tests/support/recording_ide_host.h"

namespace zelvan {
namespace {

using testing::Crlf;
using testing::ModelTestPlatform;
using testing::RecordingIdeHost;

const std::string kApp = Crlf(R"([PROJECT]
OUTPUT=App.abs
CPU=MX-520
TARGET=Debug;Release;
Folder=Src;
LCFOPEN=1
[Src]
FILTER=c
SOURCECOUNT=1
SOURCE0=main.c
[PROJECT!MACRO!Debug]
DefaultOUTPUT=.\Debug
DefaultCompile=-g -I..\inc -I "..\my inc"
ProjectLink=-g -o .\Debug\App.abs
[PROJECT!MACRO!Release]
OUTPUT=.\Rel
)");
const std::string kLib = Crlf(R"([PROJECT]
OUTPUT=Lib.lib
CPU=MX-520
TARGET=Debug;
)");

class ComponentModuleTest : public ::testing::Test {
 protected:
  ComponentModuleTest() {
    env_.AddFile("C:\\ws\\app\\App.kbp", kApp);
    env_.AddFile("C:\\ws\\app\\main.c", "int main;\n");
    env_.AddFile("C:\\ws\\lib\\Lib.kbp", kLib);
    ide_.state().project_files = {"C:\\ws\\app\\App.kbp", "C:\\ws\\lib\\Lib.kbp"};
    ide_.state().active_project = "C:\\ws\\app\\App.kbp";
  }

  // Connects the recording IDE and opens its workspace.
  void Open() {
    connect_ = Create<IConnect>(CLSID_Connect);
    ASSERT_EQ(connect_->Connect(ide_.application(), args_.Empty(), args_.Empty()), S_OK);
    service_ = Create<IService>(CLSID_Service);
    ASSERT_EQ(service_->OpenWorkspace(args_.Text("C:\\ws\\Demo.kws")), S_OK);
  }
  template <class Interface>
  ComPtr<Interface> Create(REFCLSID clsid) {
    ComPtr<Interface> object;
    module_.CreateObject(clsid, InterfaceTraits<Interface>::Iid(),
                         reinterpret_cast<void**>(object.ReleaseAndGetAddressOf()));
    return object;
  }
  uint32_t Status() { return module_.workspace().GetLastStatus(); }

  ModelTestPlatform env_;
  RecordingIdeHost ide_;
  VariantArgs args_;
  ComponentModule module_{env_.platform, {"C:\\Zelvan\\libzelvan_component.so", ""}};
  ComPtr<IConnect> connect_;
  ComPtr<IService> service_;
};

TEST_F(ComponentModuleTest, ProjectInfoKindsAnswerAndChange) {
  Open();
  struct Step {
    LONG kind;
    const char* project;
    std::function<VARIANT(VariantArgs&)> value;
    const char* text;  // Set: the text to write; Get: the answer
    bool set;
    HRESULT hr;
    uint32_t status;
  };
  auto none = [](VariantArgs& a) { return a.Empty(); };
  auto text = [](const char* t) { return [t](VariantArgs& a) { return a.Text(t); }; };
  const std::vector<Step> steps = {
      {1, "", none, "Debug", false, S_OK, 0},
      {4, "", none, "App.abs;Lib.lib;", false, S_OK, 0},
      {6, "", none, "", false, S_FALSE, kStatusBadArgument},
      {6, "App.exe", none, "", false, S_FALSE, kStatusProjectNotFound},
      {9, "App", text("Src"), "c", false, S_OK, 0},
      {9, "App", [](VariantArgs& a) { return a.Long(1); }, "", false, S_FALSE, kStatusBadArgument},
      {16, "App", text("CPU"), "MX-520", false, S_OK, 0},
      {17, "App", none, "", false, S_OK, 0},
      {24, "App", none, "", false, S_FALSE, kStatusTemplateUnreadable},
      {50, "App", none, "C:\\ws\\app\\App.kpr", false, S_OK, 0},
      {51, "App", text("Src"), "FILTER;SOURCECOUNT;SOURCE0;", false, S_OK, 0},
      {58, "App", none, "C:\\ws\\app\\App.kop", false, S_OK, 0},
      {101, "App", text(""), ".\\Debug", false, S_OK, 0},
      {102, "App", text("release"), ".\\Rel", false, S_OK, 0},
      {102, "App", text("Final"), "", false, S_FALSE, kStatusTargetNotFound},
      {108, "App", none, "1", false, S_OK, 0},
      {110, "App", text("C:\\ws\\app\\src\\a.c"), ".\\src\\a.c", false, S_OK, 0},
      {114, "App", none, "main.c;", false, S_OK, 0},
      {104, "App", text("Release"), "C:\\ws\\app\\tempmakepre.mak", false, S_OK, 0},
      {105, "Lib", text("Debug"), "", false, S_FALSE, kStatusBadArgument},
      {126, "", [](VariantArgs& a) { return a.Long(0); }, "", false, S_OK, 0},
      {107, "App", text("release"), "C:\\ws\\app\\Rel\\_FALTMP_\\", false, S_OK, 0},
      {130, "App", text(""),
       "\"$(TEMP)\\main.rel\" : main.c\n"
       "\t$(CC) -g -I..\\inc -I \"..\\my inc\" -c  $(SysIncludePath) $< -o $@\n\n",
       false, S_OK, 0},
      {131, "App", none,
       ".\\Debug\\App.abs : $(OBJS) $(LIBS) $(LCF)\n"
       "\t$(LINK) -g -o .\\Debug\\App.abs -$ $(SysLibraryPath) $(OBJS) $(LIBS)  $(LCF) \n\n",
       false, S_OK, 0},
      {132, "App", none,
       "Clean :\n\trm C:\\ws\\app\\main.asm\n\trm C:\\ws\\app\\main.i\n"
       "\trm C:\\ws\\app\\main.rel\n\trm C:\\ws\\app\\main.med\n",
       false, S_OK, 0},
      {132, "App", text("Final"), "", false, S_FALSE, kStatusTargetNotFound},
      {1001, "App", none, "", false, S_FALSE, kStatusUnknownCpu},
      {999, "", none, "", false, S_OK, 0},
      {999, "App", none, "", false, S_FALSE, kStatusBadArgument},
      // Changes, each followed by what it changed.
      {9, "App", text("Src"), "c;h", true, S_OK, 0},
      {9, "App", text("Src"), "c;h", false, S_OK, 0},
      {9, "", text("Src"), "x", true, S_FALSE, kStatusBadArgument},
      {108, "App", none, "0", true, S_OK, 0},
      {108, "App", none, "0", false, S_OK, 0},
      {5, "", none, "Lib", true, S_OK, 0},
      {0, "", none, "Lib.lib", false, S_OK, 0},
      {5, "", none, "Nope", true, S_FALSE, kStatusProjectNotFound},
      {1, "", none, "Release", true, S_OK, 0},
      {1, "", none, "Release", false, S_OK, 0},
      {22, "", none, "Other", true, S_OK, 0},
      {0, "", none, "Other", false, S_OK, 0},
      {1017, "Lib", none, "", true, S_OK, 0},
      {12, "", none, "", true, S_FALSE, kStatusBadArgument},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(std::string(step.set ? "set " : "get ") + std::to_string(step.kind) + " " +
                 step.project);
    if (step.set) {
      EXPECT_EQ(service_->SetProjectInfo(step.kind, args_.Text(step.project), step.value(args_),
                                         VariantArgs::Owned(step.text)),
                step.hr);
    } else {
      ScopedBstr answer;
      EXPECT_EQ(service_->GetProjectInfo(step.kind, args_.Text(step.project), step.value(args_),
                                         answer.Receive()),
                step.hr);
      EXPECT_EQ(answer.Text(), step.text);
      EXPECT_EQ(answer.Get() == nullptr, step.hr != S_OK);
    }
    EXPECT_EQ(Status(), step.status);
    args_.Clear();
  }
  EXPECT_EQ(env_.Contents("C:\\ws\\app\\App.kpa"), "[PROJECT]\r\nLCFOPEN=0\r\n");

  // The directories of the compile options' "-I", as written.
  VARIANT paths;
  VariantInit(&paths);
  EXPECT_EQ(service_->GetIncludePaths(0, args_.Bstr("App"), args_.Bstr("debug"), &paths), S_OK);
  std::vector<std::string> dirs;
  EXPECT_TRUE(StringsFromVariant(paths, &dirs));
  EXPECT_THAT(dirs, ::testing::ElementsAre("..\\inc", "..\\my inc"));
  VariantClear(&paths);

  service_->CloseWorkspace();
  ScopedBstr answer;
  EXPECT_EQ(service_->GetProjectInfo(kInfoStopRequestName, args_.Text(""), args_.Empty(),
                                     answer.Receive()),
            S_OK);
  EXPECT_EQ(answer.Text(), module_.workspace().StopObjectName());
  EXPECT_EQ(service_->GetProjectInfo(kInfoCurrentProject, args_.Text(""), args_.Empty(),
                                     answer.Receive()),
            S_FALSE);
  EXPECT_EQ(Status(), kStatusNoWorkspace);
}

// A refresh posts its progress to the window the IDE hands over; a write
// that failed is told to the IDE once, when the workspace is saved or closed.
TEST_F(ComponentModuleTest, RefreshesShowTheirProgressAndFailedWritesAreTold) {
  // The IDE's progress window, recording what is posted to it.
  struct Window final : DispatchObject<IKovaProgressWindow> {
    Window() : DispatchObject(IID_IKovaProgressWindow) {}
    HRESULT STDMETHODCALLTYPE PostProgress(UINT message, ULONGLONG number, BSTR text) override {
      if (message == kProgressTotalMessage) log += "total " + std::to_string(number) + ";";
      if (message == kProgressProjectMessage) log += TextFromBstr(text) + ";";
      if (message == kProgressStepMessage) log += "+";
      return S_OK;
    }
    std::string log;
  };
  Open();
  ComPtr<Window> window = MakeComObject<Window>();
  const std::string& log = window->log;
  VARIANT handle = args_.Empty();
  handle.vt = VT_UNKNOWN;
  handle.punkVal = window.Get();
  EXPECT_EQ(service_->Method73(10003, args_.Array({"App"}), handle, args_.VariantRef()), S_OK);
  EXPECT_EQ(log, "total 2;App.abs;++");
  ScopedBstr cancelled;
  EXPECT_EQ(
      service_->GetProjectInfo(kInfoUpdateEveryProject, args_.Empty(), handle, cancelled.Receive()),
      S_OK);
  EXPECT_EQ(log, "total 2;App.abs;++total 2;App.abs;++Lib.lib;");
  // A number (a window of another system) shows nothing.
  EXPECT_EQ(service_->UpdateProjectDependencies(0, args_.Text("App"), args_.Long(7)), S_OK);

  env_.platform.fs->NoteFailedWrite("C:\\ws\\app\\App.kde", "disk full");
  ide_.ClearCalls();
  EXPECT_EQ(service_->SaveWorkspace(0), S_OK);
  EXPECT_EQ(service_->CloseWorkspace(), S_OK);
  EXPECT_THAT(ide_.Calls(kOutputWindowProgId, 22),
              ::testing::ElementsAre("Build Project Service|0|0x40041155|The file "
                                     "C:\\ws\\app\\App.kde was not written: disk full.|Zelvan"));
}

// The IDE's request (event 12806) refreshes the modified files of the
// project it names, or of every project; an unknown name is reported.
TEST_F(ComponentModuleTest, TheIdesRequestRefreshesModifiedFiles) {
  // The clock a second after the last write: a refresh in the second of a
  // change counts the file stale again.
  auto sync_clock = [&] { env_.system.now = ToLocalTime(env_.memory.Now() / 1000000000 + 1); };
  sync_clock();
  Open();
  ComPtr<ICommand> command = Create<ICommand>(CLSID_Command);
  env_.AddFile("C:\\ws\\app\\main.c", "#include \"a.h\"\n");
  env_.AddFile("C:\\ws\\app\\a.h", "");
  sync_clock();
  EXPECT_EQ(command->Notify(kEventUpdateDependencies, args_.Text("App")), S_OK);
  EXPECT_NE(env_.Contents("C:\\ws\\app\\App.kde").find("Debug0=1|a.h\r\n"), std::string::npos);
  EXPECT_EQ(Status(), 0u);
  EXPECT_EQ(command->Notify(kEventUpdateDependencies, args_.Text("Nope")), S_OK);
  EXPECT_EQ(Status(), kStatusProjectNotFound);
  EXPECT_EQ(command->Notify(kEventUpdateDependencies, args_.Empty()), S_OK);
  EXPECT_EQ(Status(), 0u);
}

// Calls by name (every slot's shapes are in the library test): names in any
// case, the argument at fault marked, the caller's arguments left whole,
// and what by-reference outs held freed.
TEST_F(ComponentModuleTest, CallsByNameMarkTheArgumentAtFaultAndLeaveTheCallersWhole) {
  Open();
  ComPtr<IDispatch> service;
  service_.As(&service);
  auto id_of = [&](IDispatch* object, const char* name) {
    ScopedBstr text(name);
    LPOLESTR names[] = {text.Get()};
    DISPID id = DISPID_UNKNOWN;
    object->GetIDsOfNames(IID_NULL, names, 1, 0, &id);
    return id;
  };
  EXPECT_EQ(id_of(service.Get(), "getprojectinfo"), 12);
  EXPECT_EQ(id_of(service.Get(), "RenameProject"), 87);
  EXPECT_EQ(id_of(service.Get(), "Nothing"), DISPID_UNKNOWN);

  VARIANT result;
  VariantInit(&result);
  UINT arg_error = 99;
  VARIANT all[] = {args_.Long(0), args_.Text(""), args_.Empty(), args_.Long(0)};
  EXPECT_EQ(CallDispatch(service.Get(), 12, DISPATCH_METHOD, all, 4, &result, &arg_error),
            DISP_E_TYPEMISMATCH);
  EXPECT_EQ(arg_error, 3u);  // an out argument must say where its value goes
  all[0] = args_.Text("6");
  EXPECT_EQ(CallDispatch(service.Get(), 12, DISPATCH_METHOD, all, 3, &result, &arg_error),
            DISP_E_TYPEMISMATCH);
  EXPECT_EQ(arg_error, 0u);

  // SetProjectInfo frees its text: a script's own stays whole.
  VARIANT set[] = {args_.Long(1), args_.Text(""), args_.Empty(), args_.Text("Release")};
  EXPECT_EQ(CallDispatch(service.Get(), 13, DISPATCH_METHOD, set, 4, nullptr), S_OK);
  EXPECT_EQ(VariantText(set[3]), "Release");
  VARIANT status = args_.LongsRef({7});
  EXPECT_EQ(CallDispatch(service.Get(), 16, DISPATCH_METHOD, &status, 1, nullptr), S_OK);
  EXPECT_EQ(*status.plVal, 0);
  VARIANT message = args_.Ref("old text");
  EXPECT_EQ(CallDispatch(service.Get(), 54, DISPATCH_METHOD, &message, 1, nullptr), S_OK);
  EXPECT_EQ(VariantText(message), "");
}

// Unregistering removes the values registration wrote, and a key only when
// nothing of another program's is left in it or below it.
TEST_F(ComponentModuleTest, UnregisteringLeavesWhatOthersWroteInOurKeys) {
  ASSERT_EQ(module_.RegisterServer(), S_OK);
  const std::string server = "Software\\Classes\\CLSID\\" + FormatGuid(CLSID_Service);
  Registry& registry = *env_.platform.registry;
  ASSERT_TRUE(registry.WriteString(server + "\\InprocServer32", "Extra", "1"));
  ASSERT_TRUE(registry.Flush());
  ASSERT_EQ(module_.UnregisterServer(), S_OK);
  EXPECT_EQ(env_.Contents("C:\\registry.ini"),
            "[" + server + "]\r\n[" + server + "\\InprocServer32]\r\nExtra=1\r\n");
}

TEST_F(ComponentModuleTest, RegistrationThatTheRegistryRefusesLeavesItAsItWas) {
  const std::string before = "[Software\\Other]\r\nX=1\r\n";
  env_.AddFile("C:\\registry.ini", before);
  env_.memory.SetReadOnly("C:\\registry.ini", true);
  EXPECT_EQ(module_.RegisterServer(), E_ACCESSDENIED);
  EXPECT_EQ(env_.Contents("C:\\registry.ini"), before);

  ComponentModule nameless(env_.platform, {});
  EXPECT_EQ(nameless.RegisterServer(), E_UNEXPECTED);
  ComPtr<IUnknown> factory;
  EXPECT_EQ(module_.GetClassObject(CLSID_Service, IID_IDispatch,
                                   reinterpret_cast<void**>(factory.ReleaseAndGetAddressOf())),
            E_NOINTERFACE);
}

}  // namespace
}  // namespace zelvan
