#include "tests/support/service_slot_cases.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "model/status_codes.h"
#include "service/argument_shapes.h"

namespace zelvan::testing {
namespace {

constexpr const char* kApp =
    "[PROJECT]\r\nOUTPUT=App.abs\r\nCPU=MX-520\r\nTARGET=Debug;Release;\r\nFolder=Src;\r\n"
    "[Src]\r\nFILTER=c\r\nSOURCECOUNT=1\r\nSOURCE0=main.c\r\n"
    "[PROJECT!MACRO!Debug]\r\nDefaultWORK=.\\work\r\n";
constexpr const char* kLib =
    "[PROJECT]\r\nOUTPUT=Lib.lib\r\nCPU=MX-520\r\nTARGET=Debug;\r\nFolder=Src;\r\n"
    "[Src]\r\nSOURCECOUNT=0\r\n";

// A text out argument as a VARIANT, for the cases' common check.
HRESULT Text(HRESULT hr, BSTR* text, VARIANT* out) {
  out->vt = VT_BSTR;
  out->bstrVal = *text;
  return hr;
}

// The four in-out arguments of the project-creating slots, holding `texts`
// (null: left empty).
std::array<VARIANT*, 4> Outs(VariantArgs& a, std::array<const char*, 4> texts) {
  std::array<VARIANT*, 4> outs;
  for (size_t i = 0; i < outs.size(); ++i) {
    outs[i] = a.Out();
    if (texts[i] != nullptr) *outs[i] = VariantFromText(texts[i]);
  }
  return outs;
}

// A function-database transfer text without the time on its first line.
std::string Entries(const std::string& text) {
  return text.substr(std::min(text.size(), text.find('\n') + 1));
}

}  // namespace

std::vector<std::pair<std::string, std::string>> SlotCaseFiles() {
  return {
      {"temp/.keep", ""},
      {"ws/app/App.kbp", kApp},
      {"ws/app/main.c", "#include \"main.h\"\nint main(void) { return 0; }\n"},
      {"ws/app/main.h", "\n"},
      {"ws/app/util.c", "int util;\n"},
      {"ws/lib/Lib.kbp", kLib},
      {"ws/Demo.kba", "[Arcive]\r\nArcivePath=archive\r\n"},
      {"ws/app/app.lcf", "_stack = 0x8000;\nSECTIONS {\n  _heap = 010;\n}\n"},
  };
}

std::vector<std::string> SlotCaseProjects(const SlotCasePath& at) {
  return {at("ws/app/App.kbp"), at("ws/lib/Lib.kbp")};
}

std::vector<SlotCase> QuerySlotCases(const SlotCasePath& at, FunctionDatabaseRequest* record) {
  const std::string app = at("ws/app") + "\\";
  // clang-format off
  return {
      {"7 active project", [](IService* s, VariantArgs& a, VARIANT*) {
         return s->ActiveProjectChanged(a.Long(3)); }, S_OK, 0},
      {"8 reserved", [](IService* s, VariantArgs&, VARIANT*) { return s->Method8(); }, S_OK, 0},
      {"10 no record", [](IService* s, VariantArgs&, VARIANT*) { return s->Method10(nullptr); },
       S_FALSE, kStatusBadArgument},
      {"10 a source's functions", [=](IService* s, VariantArgs&, VARIANT* o) {
         record->project = "App"; record->file = "main.c";
         HRESULT hr = s->Method10(record);
         *o = VariantFromText(Entries(record->functions)); return hr; }, S_OK, 0,
       "1\n3;int;main;2;1;void;\n"},
      {"11 the editor's text", [=](IService* s, VariantArgs&, VARIANT* o) {
         record->project = ""; record->text = "\nlong edited(int a) { return a; }\n";
         HRESULT hr = s->Method11(record);
         *o = VariantFromText(Entries(record->functions)); return hr; }, S_OK, 0,
       "1\n3;long;edited;2;1;int a;\n"},
      {"11 a file not in the project", [=](IService* s, VariantArgs&, VARIANT*) {
         record->file = "none.c"; return s->Method11(record); }, S_FALSE,
       kStatusFileNotInProject},
      {"12 every project", [](IService* s, VariantArgs& a, VARIANT* o) {
         BSTR t = nullptr; return Text(s->GetProjectInfo(2, a.Text(""), a.Empty(), &t), &t, o);
       }, S_OK, 0, "App.abs;Lib.lib;"},
      {"12 targets, by reference", [](IService* s, VariantArgs& a, VARIANT* o) {
         BSTR t = nullptr; return Text(s->GetProjectInfo(6, a.Ref("App"), a.Empty(), &t), &t, o);
       }, S_OK, 0, "Debug;Release;"},
      {"12 the project's makefile", [](IService* s, VariantArgs& a, VARIANT* o) {
         BSTR t = nullptr; return Text(s->GetProjectInfo(100, a.Text("App"), a.Text(""), &t), &t, o);
       }, S_OK, 0, app + "App.mak"},
      {"12 makefile mode not one", [](IService* s, VariantArgs& a, VARIANT* o) {
         BSTR t = nullptr; return Text(s->GetProjectInfo(100, a.Text("App"), a.Text("3"), &t), &t, o);
       }, S_FALSE, kStatusBadArgument, ""},
      {"12 build makefile", [](IService* s, VariantArgs& a, VARIANT* o) {
         BSTR t = nullptr; return Text(s->GetProjectInfo(103, a.Text("App"), a.Ref("debug"), &t), &t, o);
       }, S_OK, 0, app + "tempmake.mak"},
      {"12 build makefile, FAL, Clean", [](IService* s, VariantArgs& a, VARIANT* o) {
         BSTR t = nullptr;
         return Text(s->GetProjectInfo(103, a.Text("App"), a.Array({"Release", "2", "1"}), &t), &t, o);
       }, S_OK, 0, app + "tempmake.falmak"},
      {"12 build makefile, unknown mode", [](IService* s, VariantArgs& a, VARIANT* o) {
         BSTR t = nullptr;
         return Text(s->GetProjectInfo(103, a.Text("App"), a.Array({"Debug", "1"}), &t), &t, o);
       }, S_FALSE, kStatusBadArgument, ""},
      {"12 memory models", [](IService* s, VariantArgs& a, VARIANT* o) {
         BSTR t = nullptr; return Text(s->GetProjectInfo(24, a.Text("App"), a.Empty(), &t), &t, o);
       }, S_OK, 0, "64k;128k;"},
      {"12 GNU makefile", [](IService* s, VariantArgs& a, VARIANT* o) {
         BSTR t = nullptr; return Text(s->GetProjectInfo(133, a.Text("App"), a.Text("1"), &t), &t, o);
       }, S_OK, 0, app + "App.mak"},
      {"12 null out", [](IService* s, VariantArgs& a, VARIANT*) {
         return s->GetProjectInfo(0, a.Text(""), a.Empty(), nullptr); }, E_POINTER, 0},
      {"13 current target", [](IService* s, VariantArgs& a, VARIANT*) {
         return s->SetProjectInfo(1, a.Text(""), a.Empty(), VariantArgs::Owned("Release")); },
       S_OK, 0},
      {"13 unknown kind", [](IService* s, VariantArgs& a, VARIANT*) {
         return s->SetProjectInfo(77, a.Text(""), a.Empty(), VariantArgs::Owned("x")); },
       S_FALSE, kStatusBadArgument},
      {"14 profile value", [](IService* s, VariantArgs& a, VARIANT* o) {
         return s->Method14(a.Text("App"), a.Out(), a.Ref("PROJECT"), a.Out(), a.Text("CPU"), o);
       }, S_OK, 0, "MX-520"},
      {"14 key not a string", [](IService* s, VariantArgs& a, VARIANT* o) {
         return s->Method14(a.Text("App"), a.Out(), a.Text("PROJECT"), a.Out(), a.Long(0), o);
       }, S_FALSE, kStatusBadArgument},
      {"16 null out", [](IService* s, VariantArgs&, VARIANT*) { return s->GetLastStatus(nullptr); },
       E_POINTER, 0},
      {"24 a project's directories", [=](IService* s, VariantArgs&, VARIANT* o) {
         record->project = "App";
         HRESULT hr = s->Method24(record);
         *o = VariantFromText(record->directories.empty() ? "" : record->directories.front());
         return hr; }, S_OK, 0, at("ws/app")},
      {"24 unknown project", [=](IService* s, VariantArgs&, VARIANT*) {
         record->project = "No"; return s->Method24(record); }, S_FALSE, kStatusProjectNotFound},
      {"29 include dirs", [](IService* s, VariantArgs& a, VARIANT* o) {
         HRESULT hr = s->GetCpuInfo(1, a.Text("mx-520"), a.Empty(), o);
         std::vector<std::string> dirs;
         StringsFromVariant(*o, &dirs);
         VariantClear(o);
         *o = VariantFromText(dirs.empty() ? "" : dirs.back());
         return hr; }, S_OK, 0, "K:\\Tools\\MX520\\include"},
      {"29 unknown CPU", [](IService* s, VariantArgs& a, VARIANT* o) {
         return s->GetCpuInfo(0, a.Text("ZX-1"), a.Empty(), o); }, S_FALSE, kStatusUnknownCpu},
      {"29 option library", [](IService* s, VariantArgs& a, VARIANT* o) {
         return s->GetCpuInfo(300, a.Text("MX-520"), a.Ref("-Nc1"), o); }, S_OK, 0},
      {"29 unknown kind", [](IService* s, VariantArgs& a, VARIANT* o) {
         return s->GetCpuInfo(42, a.Text("MX-520"), a.Empty(), o); }, S_FALSE, kStatusBadArgument},
      {"30 folder operation", [](IService* s, VariantArgs& a, VARIANT*) {
         return s->Method30(a.Empty(), a.Array({"x"}), a.Empty()); }, S_FALSE,
       kStatusNotAvailable},
      {"31 path not a string", [](IService* s, VariantArgs& a, VARIANT*) {
         return s->OpenWorkspace(a.Long(0)); }, S_FALSE, kStatusBadArgument},
      {"33 save", [](IService* s, VariantArgs&, VARIANT*) { return s->SaveWorkspace(0); }, S_OK, 0},
      {"34 include paths", [](IService* s, VariantArgs& a, VARIANT* o) {
         HRESULT hr = s->GetIncludePaths(2, a.Bstr("App"), a.Bstr(""), o);
         std::vector<std::string> dirs;
         StringsFromVariant(*o, &dirs);
         VariantClear(o);
         *o = VariantFromText(JoinWithSemicolons(dirs));
         return hr; }, S_OK, 0, "K:\\Shared\\include;K:\\Tools\\MX520\\include;"},
      {"34 unknown kind", [](IService* s, VariantArgs& a, VARIANT* o) {
         return s->GetIncludePaths(3, a.Bstr(""), a.Bstr(""), o); }, S_FALSE, kStatusBadArgument},
      {"34 unknown target", [](IService* s, VariantArgs& a, VARIANT* o) {
         return s->GetIncludePaths(0, a.Bstr("Lib"), a.Bstr("Release"), o); }, S_FALSE,
       kStatusTargetNotFound},
      {"35 a project already there", [=](IService* s, VariantArgs& a, VARIANT*) {
         return s->AddProject(a.Text(at("ws/lib/Lib.kbp"))); }, S_FALSE,
       kStatusProjectExists},
      {"40 missing old project", [=](IService* s, VariantArgs& a, VARIANT*) {
         return s->ConvertOldProject(a.Text(at("ws/old.kip"))); }, S_FALSE,
       kStatusProjectFileMissing},
      {"40 ignored kind", [](IService* s, VariantArgs& a, VARIANT*) {
         return s->ConvertOldProject(a.Text("x.bprj")); }, S_OK, 0},
      {"41 entries not numbers", [](IService* s, VariantArgs& a, VARIANT*) {
         return s->Method41(a.Text("1")); }, S_FALSE, kStatusBadArgument},
      {"42 workspace archive", [](IService* s, VariantArgs&, VARIANT*) { return s->Method42(); },
       S_OK, 0},
      {"45 project without archive", [](IService* s, VariantArgs& a, VARIANT*) {
         return s->Method45(a.Bstr("App")); }, S_FALSE, kStatusArchiveFailed},
      {"46 unknown project", [](IService* s, VariantArgs& a, VARIANT*) {
         return s->Method46(a.Bstr("No")); }, S_FALSE, kStatusProjectNotFound},
      {"48 file", [](IService* s, VariantArgs& a, VARIANT*) {
         return s->Method48(a.Bstr("App"), a.Text("main.c")); }, S_OK, 0},
      {"49 file not a string", [](IService* s, VariantArgs& a, VARIANT*) {
         return s->Method49(a.Bstr("App"), a.Long(1)); }, S_FALSE, kStatusBadArgument},
      // 50 and 51 leave the status of 49 as it is.
      {"50 reserved", [](IService* s, VariantArgs& a, VARIANT*) {
         return s->Method50(a.Bstr(""), a.Array({})); }, S_OK, kStatusBadArgument},
      {"51 workspace state", [](IService* s, VariantArgs&, VARIANT* o) {
         o->vt = VT_I4; return s->GetWorkspaceArchiveState(&o->lVal); }, S_OK, kStatusBadArgument},
      {"53 query", [](IService* s, VariantArgs& a, VARIANT* o) {
         return s->Method53(a.Bstr(""), a.Bstr(""), o); }, S_OK, kStatusNotAvailable, ""},
      {"55 work directory", [](IService* s, VariantArgs& a, VARIANT* o) {
         VARIANT work = a.VariantRef();
         HRESULT hr = s->GetWorkDir(a.Bstr("App"), a.Bstr("debug"), work, a.Empty());
         VariantCopy(o, work.pvarVal);
         return hr; }, S_OK, 0, ".\\work"},
      {"55 no place for the answer", [](IService* s, VariantArgs& a, VARIANT*) {
         return s->GetWorkDir(a.Bstr("App"), a.Bstr(""), a.Text("x"), a.Empty()); }, S_FALSE,
       kStatusBadArgument},
      {"57 no-build flag", [](IService* s, VariantArgs& a, VARIANT* o) {
         o->vt = VT_I4;
         return s->GetFileNoBuild(a.Bstr("App"), a.Bstr("main.c"), a.Bstr("Debug"), &o->lVal); },
       S_OK, 0},
      {"58 CPU name", [](IService* s, VariantArgs& a, VARIANT* o) {
         return s->GetCpuName(0, a.Bstr("MX-520/S"), o); }, S_OK, 0, "MX-520S"},
      {"58 unknown kind", [](IService* s, VariantArgs& a, VARIANT* o) {
         return s->GetCpuName(9, a.Bstr("MX-520"), o); }, S_FALSE, kStatusBadArgument},
      {"62 every project's functions", [](IService* s, VariantArgs&, VARIANT*) {
         return s->Method62(); }, S_OK, 0},
      {"63 source control", [](IService* s, VariantArgs&, VARIANT*) { return s->Method63(); }, S_OK,
       0},
      {"66 check out", [](IService* s, VariantArgs& a, VARIANT*) {
         return s->Method66(a.Text("App"), a.Ref("main.c")); }, S_OK, 0},
      {"67 unknown project", [](IService* s, VariantArgs& a, VARIANT*) {
         return s->Method67(a.Text("No"), a.Text("")); }, S_FALSE, kStatusProjectNotFound},
      {"68 file not a string", [](IService* s, VariantArgs& a, VARIANT*) {
         return s->Method68(a.Text("App"), a.Long(1)); }, S_FALSE, kStatusBadArgument},
      {"73 listed projects", [](IService* s, VariantArgs& a, VARIANT*) {
         return s->Method73(10004, a.Array({"App"}), a.Long(0), a.VariantRef()); }, S_OK, 0},
      {"73 unknown project", [](IService* s, VariantArgs& a, VARIANT*) {
         return s->Method73(10003, a.Array({"App", "No"}), a.Long(0), a.VariantRef()); }, S_FALSE,
       kStatusProjectNotFound},
      {"77 event", [](IService* s, VariantArgs& a, VARIANT* o) {
         LONG message = 0; o->vt = VT_I4;
         HRESULT hr = s->SetEventData(5, a.Bstr("build"), &o->lVal, &message);
         return message == 12549 ? hr : E_FAIL; }, S_OK, 0},
      {"78 event", [](IService* s, VariantArgs&, VARIANT*) { return s->DeleteEventData(5); }, S_OK,
       0},
      {"78 event again", [](IService* s, VariantArgs&, VARIANT*) { return s->DeleteEventData(5); },
       S_FALSE, kStatusBadArgument},
      {"79 every project", [](IService* s, VariantArgs& a, VARIANT*) {
         return s->UpdateProjectDependencies(1, a.Text(""), a.Long(0)); }, S_OK, 0},
      {"79 unknown mode", [](IService* s, VariantArgs& a, VARIANT*) {
         return s->UpdateProjectDependencies(2, a.Text("App"), a.Long(0)); }, S_FALSE,
       kStatusBadArgument},
      {"82 project view", [](IService* s, VariantArgs& a, VARIANT*) {
         return s->Method82(a.Bstr("Lib")); }, S_OK, 0},
      {"83 no link command file", [](IService* s, VariantArgs& a, VARIANT* o) {
         return s->GetSectionsValue(a.Text(""), a.Text(""), a.Text("x"), o); }, S_FALSE,
       kStatusNoLinkCommandFile},
      {"83 symbol not a string", [](IService* s, VariantArgs& a, VARIANT* o) {
         return s->GetSectionsValue(a.Text(""), a.Text(""), a.Long(0), o); }, S_FALSE,
       kStatusBadArgument},
      {"84 outer value", [=](IService* s, VariantArgs& a, VARIANT* o) {
         return s->GetOuterValue(a.Text(app + "app.lcf"), a.Ref("_STACK"), o); }, S_OK, 0,
       "0x00008000"},
      {"84 inside SECTIONS", [=](IService* s, VariantArgs& a, VARIANT* o) {
         return s->GetOuterValue(a.Text(app + "app.lcf"), a.Text("_heap"), o); }, S_FALSE,
       kStatusSymbolHasNoValue},
      {"84 file not a string", [](IService* s, VariantArgs& a, VARIANT* o) {
         return s->GetOuterValue(a.Long(0), a.Text("x"), o); }, S_FALSE, kStatusBadArgument},
  };
  // clang-format on
}

std::vector<SlotCase> ChangeSlotCases(const SlotCasePath& at) {
  const std::string util = at("ws/app/util.c");
  // clang-format off
  return {
      {"15 write a step", [](IService* s, VariantArgs& a, VARIANT*) {
         VARIANT* title = a.Out();
         VARIANT* commands = a.Out();
         *title = VariantFromText("Pack");
         *commands = a.Array({"pack $(TargetPath)"});
         return s->Method15(1, a.Text("App"), title, a.Text("Debug"), commands,
                            a.Ref("custom-build"), a.Out(), nullptr); }, S_OK, 0},
      {"56 copy the steps", [](IService* s, VariantArgs& a, VARIANT*) {
         return s->Method56(a.Bstr("App"), a.Bstr("Debug"), a.Text("Release"), a.Empty()); },
       S_OK, 0},
      {"15 read the copy", [](IService* s, VariantArgs& a, VARIANT* o) {
         VARIANT* title = a.Out();
         HRESULT hr = s->Method15(0, a.Text("App"), title, a.Text("release"), a.Out(),
                                  a.Text("custom-build"), a.Out(), nullptr);
         VariantCopy(o, title);
         return hr; }, S_OK, 0, "Pack"},
      {"15 unknown step", [](IService* s, VariantArgs& a, VARIANT*) {
         return s->Method15(0, a.Text("App"), a.Out(), a.Text("Debug"), a.Out(),
                            a.Text("during-build"), a.Out(), nullptr); }, S_FALSE,
       kStatusBadArgument},
      {"15 commands not strings", [](IService* s, VariantArgs& a, VARIANT*) {
         VARIANT* commands = a.Out();
         *commands = VariantFromLong(1);
         return s->Method15(1, a.Text("App"), a.Out(), a.Text("Debug"), commands,
                            a.Text("after-build"), a.Out(), nullptr); }, S_FALSE,
       kStatusBadArgument},
      {"56 unknown project", [](IService* s, VariantArgs& a, VARIANT*) {
         return s->Method56(a.Bstr("No"), a.Bstr("Debug"), a.Text("Release"), a.Empty()); },
       S_FALSE, kStatusProjectNotFound},
      {"56 target not a string", [](IService* s, VariantArgs& a, VARIANT*) {
         return s->Method56(a.Bstr("App"), a.Bstr("Debug"), a.Long(1), a.Empty()); },
       S_FALSE, kStatusBadArgument},
      {"17 link", [](IService* s, VariantArgs& a, VARIANT*) {
         return s->AddLinkProject(a.Text("App"), a.Ref("Lib")); }, S_OK, 0},
      {"17 link again", [](IService* s, VariantArgs& a, VARIANT*) {
         return s->AddLinkProject(a.Text("App"), a.Text("Lib")); }, S_FALSE, kStatusLinkExists},
      {"27 link count", [](IService* s, VariantArgs& a, VARIANT* o) {
         o->vt = VT_I4; return s->GetLinkProjectCount(a.Text("App"), &o->lVal); }, S_OK, 0},
      {"28 link entry", [](IService* s, VariantArgs& a, VARIANT* o) {
         BSTR t = nullptr; return Text(s->GetLinkProjectByIndex(a.Text("App"), 0, &t), &t, o);
       }, S_OK, 0, "Lib.lib"},
      {"28 past the end", [](IService* s, VariantArgs& a, VARIANT* o) {
         BSTR t = nullptr; return Text(s->GetLinkProjectByIndex(a.Text("App"), 1, &t), &t, o);
       }, S_FALSE, kStatusIndexOutOfRange, ""},
      {"18 unlink", [](IService* s, VariantArgs& a, VARIANT*) {
         return s->RemoveLinkProject(a.Text("App"), a.Text("Lib")); }, S_OK, 0},
      {"72 node table", [](IService* s, VariantArgs& a, VARIANT*) {
         return s->CreateTable(a.Long(1), a.LongArray({7, 8}), a.Array({"seven", "eight"})); },
       S_OK, 0},
      {"72 counts differ", [](IService* s, VariantArgs& a, VARIANT*) {
         return s->CreateTable(a.Long(1), a.Long(7), a.Array({"a", "b"})); }, S_FALSE,
       kStatusBadArgument},
      {"19 one node", [](IService* s, VariantArgs& a, VARIANT* o) {
         BSTR t = nullptr; return Text(s->GetTreeNodeText(a.Long(8), &t), &t, o); }, S_OK, 0,
       "eight"},
      {"20 node list", [](IService* s, VariantArgs& a, VARIANT* o) {
         BSTR t = nullptr; return Text(s->Method20(a.LongsRef({7, 9, 8, 0}), &t), &t, o); }, S_OK, 0,
       "seven;eight;"},
      {"19 node not a number", [](IService* s, VariantArgs& a, VARIANT* o) {
         BSTR t = nullptr; return Text(s->GetTreeNodeText(a.Text("7"), &t), &t, o); }, S_FALSE,
       kStatusBadArgument},
      {"21 makefile", [](IService* s, VariantArgs& a, VARIANT*) {
         return s->SaveMakefile(a.Empty()); }, S_OK, 0},
      {"21 makefile in a missing folder", [](IService* s, VariantArgs& a, VARIANT*) {
         return s->SaveMakefile(a.Text("Z:\\none\\App.mak")); }, S_FALSE,
       kStatusMakefileNotWritten},
      {"21 makefile path not a string", [](IService* s, VariantArgs& a, VARIANT*) {
         return s->SaveMakefile(a.Long(1)); }, S_FALSE, kStatusBadArgument},
      {"22 one file", [](IService* s, VariantArgs& a, VARIANT*) {
         return s->UpdateDependencies(a.Text("App"), a.Text("main.c")); }, S_OK, 0},
      {"22 file not in the project", [](IService* s, VariantArgs& a, VARIANT*) {
         return s->UpdateDependencies(a.Text("App"), a.Text("no.c")); }, S_FALSE,
       kStatusFileNotInProject},
      {"22 whole project", [](IService* s, VariantArgs& a, VARIANT*) {
         return s->UpdateDependencies(a.Text("App"), a.Empty()); }, S_OK, 0},
      {"23 files not strings", [](IService* s, VariantArgs& a, VARIANT*) {
         return s->AddFile(a.Text("App"), a.Long(2), a.Empty()); }, S_FALSE, kStatusBadArgument},
      {"23 a list of files", [=](IService* s, VariantArgs& a, VARIANT*) {
         return s->AddFile(a.Text("App"), a.Array({util}), a.Empty()); }, S_OK, 0},
      {"80 unknown mode", [=](IService* s, VariantArgs& a, VARIANT*) {
         return s->AddFileEx(2, a.Text("App"), a.Text(util), a.Empty()); }, S_FALSE,
       kStatusBadArgument},
      {"80 the file again", [=](IService* s, VariantArgs& a, VARIANT*) {
         return s->AddFileEx(0, a.Text("App"), a.Text(util), a.Empty()); }, S_FALSE,
       kStatusFileInProject},
      {"25 target", [](IService* s, VariantArgs& a, VARIANT*) {
         return s->AddTarget(a.Text("App"), a.Text("Debug"), a.Text("Trace")); }, S_OK, 0},
      {"26 target", [](IService* s, VariantArgs& a, VARIANT*) {
         return s->RemoveTarget(a.Text("App"), a.Text("Trace")); }, S_OK, 0},
  };
  // clang-format on
}

std::vector<SlotCase> ProjectSlotCases(const SlotCasePath& at) {
  // clang-format off
  return {
      {"37 a full project", [](IService* s, VariantArgs& a, VARIANT* o) {
         auto args = Outs(a, {"Full", "MX-520", "Full", nullptr});
         *args[3] = VariantFromLong(128);
         VARIANT* count = a.Out();
         HRESULT hr = s->CreateProject(args[0], args[1], args[2], args[3], count, o);
         return VariantText(*count) == "0" ? hr : E_UNEXPECTED; }, S_OK, 0,
       at("ws") + "\\Full\\Full.KBP"},
      {"37 name not a string", [](IService* s, VariantArgs& a, VARIANT* o) {
         return s->CreateProject(a.Out(), a.Out(), a.Out(), a.Out(), a.Out(), o); }, S_FALSE,
       kStatusBadArgument},
      {"38 a full project left out", [](IService* s, VariantArgs& a, VARIANT* o) {
         auto args = Outs(a, {"Alone", "mr44", "alone", nullptr});
         return s->Method38(args[0], args[1], args[2], args[3], a.Out(), o); }, S_OK, 0,
       at("ws") + "\\alone\\Alone.KBP"},
      {"38 null out", [](IService* s, VariantArgs& a, VARIANT*) {
         return s->Method38(a.Out(), a.Out(), a.Out(), a.Out(), nullptr, nullptr); }, E_POINTER,
       0},
      {"39 a library", [](IService* s, VariantArgs& a, VARIANT* o) {
         auto args = Outs(a, {"Extra", "MX-520", "libs", "lib"});
         return s->Method39(args[0], args[1], args[2], args[3], a.Out(), o); }, S_OK, 0,
       at("ws") + "\\libs\\Extra.KBP"},
      {"39 type and memory size", [](IService* s, VariantArgs& a, VARIANT* o) {
         auto args = Outs(a, {"Small", "MX-310/P1", "small", nullptr});
         *args[3] = a.Array({"abs", "96"});
         return s->Method39(args[0], args[1], args[2], args[3], a.Out(), o); }, S_OK, 0, at("ws") + "\\small\\Small.KBP"},
      {"39 a size that is no number", [](IService* s, VariantArgs& a, VARIANT* o) {
         auto args = Outs(a, {"X", "MX-310/P1", nullptr, nullptr});
         *args[3] = a.Array({"abs", "big"});
         return s->Method39(args[0], args[1], args[2], args[3], a.Out(), o); }, S_FALSE, kStatusBadArgument},
      {"39 unknown type", [](IService* s, VariantArgs& a, VARIANT* o) {
         auto args = Outs(a, {"X", "MX-520", nullptr, "exe"});
         return s->Method39(args[0], args[1], args[2], args[3], a.Out(), o); }, S_FALSE,
       kStatusInvalidProjectType},
      {"86 unknown project", [](IService* s, VariantArgs& a, VARIANT*) {
         return s->CopyProject(a.Bstr("No")); }, S_FALSE, kMsgProjectNotFound},
      {"86 copy", [](IService* s, VariantArgs& a, VARIANT*) {
         return s->CopyProject(a.Bstr("App")); }, S_OK, 0},
      {"86 copy again", [](IService* s, VariantArgs& a, VARIANT*) {
         return s->CopyProject(a.Bstr("App")); }, S_FALSE, kMsgCopyFailed},
      {"87 rename", [](IService* s, VariantArgs& a, VARIANT* o) {
         HRESULT hr = s->RenameProject(a.Bstr("App"), a.Bstr("Main.abs"));
         BSTR t = nullptr;
         s->GetProjectInfo(2, a.Text(""), a.Empty(), &t);
         return Text(hr, &t, o); }, S_OK, 0, "Main.abs;Lib.lib;Full.abs;Extra.lib;Small.abs;"},
      {"87 invalid name", [](IService* s, VariantArgs& a, VARIANT*) {
         return s->RenameProject(a.Bstr("Main"), a.Bstr("a:b")); }, S_FALSE,
       kMsgInvalidName},
      {"32 close", [](IService* s, VariantArgs&, VARIANT*) { return s->CloseWorkspace(); }, S_OK,
       0},
      {"17 without a workspace", [](IService* s, VariantArgs& a, VARIANT*) {
         return s->AddLinkProject(a.Text("App"), a.Text("Lib")); }, S_FALSE, kStatusNoWorkspace},
  };
  // clang-format on
}

std::vector<std::string> RunSlotCases(IService* service, VariantArgs& args,
                                      const std::vector<SlotCase>& cases) {
  std::vector<std::string> failures;
  char line[160];
  for (const SlotCase& c : cases) {
    VARIANT out;
    VariantInit(&out);
    const HRESULT hr = c.call(service, args, &out);
    if (hr != c.hr) {
      std::snprintf(line, sizeof line, "%s: HRESULT 0x%08X, expected 0x%08X", c.name,
                    static_cast<unsigned>(hr), static_cast<unsigned>(c.hr));
      failures.push_back(line);
    }
    if (c.hr != E_POINTER) {
      LONG status = -1;
      service->GetLastStatus(&status);
      if (static_cast<uint32_t>(status) != c.status) {
        std::snprintf(line, sizeof line, "%s: status 0x%08X, expected 0x%08X", c.name,
                      static_cast<unsigned>(status), static_cast<unsigned>(c.status));
        failures.push_back(line);
      }
    }
    if (c.text && VariantText(out) != *c.text) {
      failures.push_back(std::string(c.name) + ": text \"" + VariantText(out) + "\", expected \"" +
                         *c.text + "\"");
    }
    VariantClear(&out);
    args.Clear();
  }
  return failures;
}

}  // namespace zelvan::testing
