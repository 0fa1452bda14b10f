// The component module in this process, on the in-memory platform of the
// model tests: the kinds of GetProjectInfo and SetProjectInfo, the Project
// object's checks and reports, calls by name, and registration failures.
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
      {0, "", none, "App.abs", false, S_OK, 0},
      {1, "", none, "Debug", false, S_OK, 0},
      {4, "", none, "App.abs;Lib.lib;", false, S_OK, 0},
      {6, "app", none, "Debug;Release;", false, S_OK, 0},
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

TEST_F(ComponentModuleTest, ProjectObjectChecksInOrderAndReportsItsFailures) {
  ComPtr<IProject> project = Create<IProject>(CLSID_Project);
  ComPtr<ICommand> command = Create<ICommand>(CLSID_Command);
  struct Case {
    const char* name;
    std::function<HRESULT(IProject*, VariantArgs&, VARIANT*)> call;
    HRESULT hr;
    uint32_t status;
    const char* out = nullptr;
  };
  auto b = [](VariantArgs& a, const char* t) { return a.Bstr(t); };
  auto text_out = [](HRESULT hr, BSTR* t, VARIANT* o) {
    *o = VariantFromText(TextFromBstr(*t));
    SysFreeString(*t);
    return hr;
  };
  const std::vector<Case> cases = {
      {"count",
       [](IProject* p, VariantArgs&, VARIANT* o) {
         *o = VariantFromLong(0);
         return p->GetProjectCount(&o->lVal);
       },
       S_OK, 0},
      {"by index",
       [&](IProject* p, VariantArgs&, VARIANT* o) {
         BSTR t = nullptr;
         return text_out(p->GetProjectByIndex(1, &t), &t, o);
       },
       S_OK, 0, "Lib.lib"},
      {"past the end",
       [&](IProject* p, VariantArgs&, VARIANT* o) {
         BSTR t = nullptr;
         return text_out(p->GetProjectByIndex(2, &t), &t, o);
       },
       E_FAIL, kStatusIndexOutOfRange},
      {"unknown project",
       [&](IProject* p, VariantArgs& a, VARIANT*) { return p->Method14P(b(a, "Nope")); }, E_FAIL,
       kStatusProjectNotFound},
      {"current project and target",
       [&](IProject* p, VariantArgs& a, VARIANT* o) {
         BSTR t = nullptr;
         return text_out(p->GetOutputDir(b(a, ""), b(a, ""), &t), &t, o);
       },
       S_OK, 0, ".\\Debug"},
      {"unknown target",
       [&](IProject* p, VariantArgs& a, VARIANT* o) {
         BSTR t = nullptr;
         return text_out(p->GetOutputDir(b(a, "App"), b(a, "Final"), &t), &t, o);
       },
       E_FAIL, kStatusTargetNotFound},
      {"output directory",
       [&](IProject* p, VariantArgs& a, VARIANT* o) {
         p->SetOutputDir(b(a, "App"), b(a, "Debug"), b(a, ".\\bin"));
         BSTR t = nullptr;
         return text_out(p->GetLinkOptions(b(a, "App"), b(a, ""), &t), &t, o);
       },
       S_OK, 0, "-g -o .\\bin\\App.abs"},
      {"unknown file",
       [&](IProject* p, VariantArgs& a, VARIANT* o) {
         BSTR t = nullptr;
         return text_out(p->GetFileTempDir(b(a, "App"), b(a, ""), b(a, "x.c"), &t), &t, o);
       },
       E_FAIL, kStatusFileNotInProject},
      {"file directory",
       [&](IProject* p, VariantArgs& a, VARIANT* o) {
         p->SetFileTempDir(b(a, "App"), b(a, ""), b(a, "main.c"), b(a, ".\\obj"));
         BSTR t = nullptr;
         return text_out(p->GetFileTempDir(b(a, "App"), b(a, ""), b(a, "main.c"), &t), &t, o);
       },
       S_OK, 0, ".\\obj"},
      {"no build",
       [&](IProject* p, VariantArgs& a, VARIANT* o) {
         p->Method20(b(a, "App"), b(a, "Release"), b(a, "main.c"), 1);
         *o = VariantFromLong(0);
         return p->GetFileNoBuild(b(a, "App"), b(a, "Release"), b(a, "main.c"), &o->lVal);
       },
       S_OK, 0},
      {"link list toggles",
       [&](IProject* p, VariantArgs& a, VARIANT* o) {
         p->Method12(b(a, "App"), b(a, "Lib"));
         BSTR t = nullptr;
         text_out(p->GetLinkProjectByIndex(b(a, "App"), 0, &t), &t, o);
         p->Method12(b(a, "App"), b(a, "Lib"));
         LONG count = -1;
         p->GetLinkProjectCount(b(a, "App"), &count);
         return count == 0 ? S_OK : E_UNEXPECTED;
       },
       S_OK, 0, "Lib.lib"},
      {"convert options",
       [&](IProject* p, VariantArgs& a, VARIANT* o) {
         p->SetProjectConvert(b(a, "App"), b(a, "Debug"), b(a, "-Fmot"));
         BSTR t = nullptr;
         return text_out(p->GetProjectConvert(b(a, "App"), b(a, "Debug"), &t), &t, o);
       },
       S_OK, 0, "-Fmot"},
      {"makefile",
       [&](IProject* p, VariantArgs& a, VARIANT*) {
         return p->WriteMakefileOfProject(b(a, "App"), 0);
       },
       S_OK, 0},
      {"makefile in an unknown mode",
       [&](IProject* p, VariantArgs& a, VARIANT*) {
         return p->WriteMakefileOfProject(b(a, ""), 3);
       },
       E_FAIL, kStatusBadArgument},
      {"the active project's makefile",
       [&](IProject* p, VariantArgs& a, VARIANT*) { return p->SaveMakefile(a.Ref("C:\\m.mak")); },
       S_OK, 0},
      {"new project without templates",
       [&](IProject* p, VariantArgs& a, VARIANT*) {
         return p->NewProject(b(a, "New"), a.Array({"MX-520", "new"}));
       },
       E_FAIL, kStatusTemplateUnreadable},
      {"new project of no size",
       [&](IProject* p, VariantArgs& a, VARIANT*) {
         return p->NewProject(b(a, "New"), a.Array({"MX-520", "", "abs", "big"}));
       },
       E_FAIL, kStatusBadArgument},
      {"copy of an unknown project",
       [&](IProject* p, VariantArgs& a, VARIANT*) { return p->Method32(b(a, "Nope"), a.Empty()); },
       E_FAIL, kMsgProjectNotFound},
      {"rename to no text",
       [&](IProject* p, VariantArgs& a, VARIANT*) { return p->Method33(b(a, "Lib"), a.Long(1)); },
       E_FAIL, kStatusBadArgument},
      {"rename",
       [&](IProject* p, VariantArgs& a, VARIANT* o) {
         HRESULT hr = p->Method33(b(a, "Lib"), a.Ref("Base"));
         BSTR t = nullptr;
         p->GetProjectByIndex(1, &t);
         return text_out(hr, &t, o);
       },
       S_OK, 0, "Base.lib"},
      {"new project while the IDE builds",
       [&](IProject* p, VariantArgs& a, VARIANT*) {
         command->Notify(8192, a.Empty());
         HRESULT hr = p->NewProject(b(a, "abs"), a.Empty());
         command->Notify(8193, a.Empty());
         return hr;
       },
       E_FAIL, kStatusIdeBusy},
      {"workspace query", [&](IProject* p, VariantArgs&, VARIANT*) { return p->Method10(0); },
       S_FALSE, kStatusNotAvailable},
  };
  Open();
  ide_.ClearCalls();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const size_t reports = ide_.Calls(kOutputWindowProgId, 22).size();
    VARIANT out;
    VariantInit(&out);
    EXPECT_EQ(c.call(project.Get(), args_, &out), c.hr);
    EXPECT_EQ(Status(), c.status);
    if (c.out != nullptr) {
      EXPECT_EQ(VariantText(out), c.out);
    }
    // A failure goes to the IDE with the low half of its status.
    const std::vector<std::string> now = ide_.Calls(kOutputWindowProgId, 22);
    ASSERT_EQ(now.size(), reports + (c.hr == E_FAIL ? 1 : 0));
    if (c.hr == E_FAIL) {
      const uint32_t code = c.status == 0 ? 40965 : c.status;
      EXPECT_THAT(now.back(),
                  ::testing::HasSubstr(StringPrintf("|0x%08X|", 0x40040000 | (code & 0xFFFF))));
    }
    VariantClear(&out);
    args_.Clear();
  }
  service_->CloseWorkspace();
  LONG count = 0;
  EXPECT_EQ(project->GetProjectCount(&count), E_FAIL);
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

// Calls by name end in the same methods: outs become the result, or go
// where by-reference arguments point; arguments of the wrong shape are
// refused before the method runs.
TEST_F(ComponentModuleTest, CallsByNameTakeAndGiveWhatTheSlotsDo) {
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
  EXPECT_EQ(id_of(service.Get(), "Method20"), 20);
  EXPECT_EQ(id_of(service.Get(), "Nothing"), DISPID_UNKNOWN);

  VARIANT result;
  VariantInit(&result);
  VARIANT info[] = {args_.Long(6), args_.Text("App"), args_.Empty()};
  EXPECT_EQ(CallDispatch(service.Get(), 12, DISPATCH_METHOD, info, 3, &result), S_OK);
  EXPECT_EQ(VariantText(result), "Debug;Release;");
  VariantClear(&result);

  // Every argument, the out one by reference.
  VARIANT text = args_.VariantRef();
  VARIANT all[] = {args_.Long(0), args_.Text(""), args_.Empty(), text};
  EXPECT_EQ(CallDispatch(service.Get(), 12, DISPATCH_METHOD, all, 4, &result), S_OK);
  EXPECT_EQ(VariantText(*text.pvarVal), "App.abs");
  VariantClear(&result);

  UINT arg_error = 99;
  all[3] = args_.Long(0);  // an out argument must say where its value goes
  EXPECT_EQ(CallDispatch(service.Get(), 12, DISPATCH_METHOD, all, 4, &result, &arg_error),
            DISP_E_TYPEMISMATCH);
  EXPECT_EQ(arg_error, 3u);
  info[0] = args_.Text("6");
  EXPECT_EQ(CallDispatch(service.Get(), 12, DISPATCH_METHOD, info, 3, &result, &arg_error),
            DISP_E_TYPEMISMATCH);
  EXPECT_EQ(arg_error, 0u);
  EXPECT_EQ(CallDispatch(service.Get(), 12, DISPATCH_METHOD, info, 2, &result),
            DISP_E_BADPARAMCOUNT);

  // SetProjectInfo frees its text, and CreateTable destroys its arrays:
  // a script's own arguments stay whole.
  VARIANT set[] = {args_.Long(1), args_.Text(""), args_.Empty(), args_.Text("Release")};
  EXPECT_EQ(CallDispatch(service.Get(), 13, DISPATCH_METHOD, set, 4, nullptr), S_OK);
  EXPECT_EQ(VariantText(set[3]), "Release");
  VARIANT table[] = {args_.Long(2), args_.LongArray({4, 5}), args_.Array({"four", "five"})};
  EXPECT_EQ(CallDispatch(service.Get(), 72, DISPATCH_METHOD, table, 3, nullptr), S_OK);
  VARIANT nodes[] = {args_.LongArray({5, 4})};
  EXPECT_EQ(CallDispatch(service.Get(), 19, DISPATCH_METHOD, nodes, 1, &result), S_OK);
  EXPECT_EQ(VariantText(result), "five;four;");
  VariantClear(&result);
  for (VARIANT* held : {&table[1], &table[2], &nodes[0]}) {
    EXPECT_EQ(SafeArrayDestroy(held->parray), S_OK);
  }

  // Outs by reference: what the references held before is freed.
  VARIANT status = args_.LongsRef({7});
  EXPECT_EQ(CallDispatch(service.Get(), 16, DISPATCH_METHOD, &status, 1, nullptr), S_OK);
  EXPECT_EQ(*status.plVal, 0);
  VARIANT message = args_.Ref("old text");
  EXPECT_EQ(CallDispatch(service.Get(), 54, DISPATCH_METHOD, &message, 1, nullptr), S_OK);
  EXPECT_EQ(VariantText(message), "");

  // Several outs come back as an array, in order.
  ComPtr<IVersion> version = Create<IVersion>(CLSID_Version);
  ComPtr<IDispatch> version_dispatch;
  version.As(&version_dispatch);
  EXPECT_EQ(CallDispatch(version_dispatch.Get(), 7, DISPATCH_PROPERTYGET, nullptr, 0, &result),
            S_OK);
  ASSERT_EQ(result.vt, VT_ARRAY | VT_VARIANT);
  LONG index = 1;
  VARIANT least;
  VariantInit(&least);
  SafeArrayGetElement(result.parray, &index, &least);
  EXPECT_EQ(least.vt, VT_I4);
  VariantClear(&result);
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
