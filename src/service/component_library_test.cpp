// The built component module, loaded the way a host loads it: through the
// platform's library loader, by its four entry points, with a recording IDE
// connected. Every slot of the five objects is called by name, as a script
// host calls it; what only the slots take is called through them.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "com/class_registry.h"
#include "com/dispatch_object.h"
#include "com/inproc_server.h"
#include "com/safe_array.h"
#include "com/variant_args.h"
#include "model/status_codes.h"
#include "platform/ansi_text.h"
#include "platform/file_system.h"
#include "platform/host_platform.h"
#include "platform/system_services.h"
#include "scanner/function_requests.h"
#include "service/argument_shapes.h"
#include "service/component_interfaces.h"
#include "service/ide_interfaces.h"
#include "tests/support/recording_ide_host.h"
#include "tests/support/temp_dir.h"

namespace zelvan {
namespace {

using testing::RecordingIdeHost;
using testing::TempDir;

constexpr const char* kApp =
    "[PROJECT]\r\nOUTPUT=App.abs\r\nCPU=MX-520\r\nTARGET=Debug;Release;\r\nFolder=Src;\r\n"
    "[Src]\r\nFILTER=c\r\nSOURCECOUNT=1\r\nSOURCE0=main.c\r\n"
    "[PROJECT!MACRO!Debug]\r\nDefaultWORK=.\\work\r\nDefaultOUTPUT=.\\Debug\r\n"
    "ProjectLink=-g -o .\\Debug\\App.abs\r\n";
constexpr const char* kLib =
    "[PROJECT]\r\nOUTPUT=Lib.lib\r\nCPU=MX-520\r\nTARGET=Debug;\r\nFolder=Src;\r\n"
    "[Src]\r\nSOURCECOUNT=0\r\n";

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

// One call by name through IDispatch, as a script host makes it. The
// arguments, separated by blanks:
//   'text'    VT_BSTR ($\ starts a path in the workspace's folder); &'text' by reference
//   12        VT_I4          -   VT_EMPTY       ?   left out (VT_ERROR, DISP_E_PARAMNOTFOUND)
//   @         a VARIANT by reference, for an out value
//   [a;b]     a string array by value       <7;8>   an array of VT_I4 by value
//   *7;0      VT_I4 by reference to the numbers (a zero-terminated list)
// `out` is the call's result as Shown, then "|" and what each @ received.
struct Row {
  char object;  // Service, Project, Command, Version, Konnect
  DISPID slot;
  const char* args;
  HRESULT hr;
  uint32_t status = 0;  // the workspace's afterwards (Service and Project calls that ran)
  const char* out = nullptr;
};

std::string Shown(const VARIANT& v) {
  std::vector<std::string> items;
  if (v.vt == (VT_ARRAY | VT_VARIANT)) {
    std::string text;
    LONG last = -1;
    SafeArrayGetUBound(v.parray, 1, &last);
    for (LONG i = 0; i <= last; ++i) {
      VARIANT item;
      VariantInit(&item);
      SafeArrayGetElement(v.parray, &i, &item);
      text += (i > 0 ? "|" : "") + Shown(item);
      VariantClear(&item);
    }
    return text;
  }
  if (v.vt == VT_I4) return std::to_string(v.lVal);
  if (v.vt == VT_DISPATCH) return v.pdispVal != nullptr ? "object" : "null";
  if (StringsFromVariant(v, &items)) return JoinWithSemicolons(items);
  return VariantText(v);
}

class ComponentLibraryTest : public ::testing::Test {
 protected:
  ComponentLibraryTest()
      : host_(HostPlatform::Create(nullptr)),
        registry_env_(System(), "ZELVAN_REGISTRY", dir_.HostPath("registry.ini")),
        temp_env_(System(), "TEMP", SystemPath("temp")) {
    dir_.WriteFile("temp/.keep", "");
    dir_.WriteFile("ws/app/App.kbp", kApp);
    dir_.WriteFile("ws/app/main.c", "#include \"main.h\"\nint main(void) { return 0; }\n");
    dir_.WriteFile("ws/app/main.h", "\n");
    dir_.WriteFile("ws/app/util.c", "int util;\n");
    dir_.WriteFile("ws/lib/Lib.kbp", kLib);
    dir_.WriteFile("ws/Demo.kba", "[Arcive]\r\nArcivePath=archive\r\n");
    dir_.WriteFile("ws/app/app.lcf", "_stack = 0x8000;\nSECTIONS {\n  _heap = 010;\n}\n");
    ide_.state().project_files = {SystemPath("ws/app/App.kbp"), SystemPath("ws/lib/Lib.kbp")};
    ide_.state().active_project = SystemPath("ws/app/App.kbp");
  }
  ~ComponentLibraryTest() override { Unload(); }

  SystemServices& System() { return *host_->platform().system; }
  std::string SystemPath(std::string_view relative) {
    return host_->platform().fs->FromHostPath(dir_.HostPath(relative));
  }
  // `text` with each $ before a backslash replaced by the workspace's folder.
  std::string Expand(std::string text) {
    for (size_t at = text.find("$\\"); at != std::string::npos; at = text.find("$\\", at)) {
      text.replace(at, 1, SystemPath("ws"));
    }
    return text;
  }

  void Load() {
    std::string error;
    module_ = InprocServerModule::Load(System(), ZELVAN_COMPONENT_PATH, &error);
    ASSERT_TRUE(module_) << error;
  }
  void Unload() {
    objects_.clear();
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
    for (const auto& [object, clsid] : {std::pair{'S', &CLSID_Service},
                                        {'P', &CLSID_Project},
                                        {'C', &CLSID_Command},
                                        {'V', &CLSID_Version},
                                        {'K', &CLSID_Connect}}) {
      objects_[object] = Create<IDispatch>(*clsid);
    }
  }
  LONG Status() {
    LONG status = -1;
    service_->GetLastStatus(&status);
    return status;
  }

  std::vector<VARIANT> Arguments(std::string_view text) {
    std::vector<VARIANT> args;
    auto word_end = [&](size_t from) { return std::min(text.size(), text.find(' ', from)); };
    for (size_t at = 0; at < text.size(); ++at) {
      if (text[at] == ' ') continue;
      const bool by_ref = text[at] == '&';
      if (text[at + by_ref] == '\'') {
        const size_t close = text.find('\'', at + by_ref + 1);
        const std::string value =
            Expand(std::string(text.substr(at + by_ref + 1, close - at - by_ref - 1)));
        args.push_back(by_ref ? args_.Ref(value) : args_.Text(value));
        at = close;
        continue;
      }
      const size_t end = word_end(at);
      const std::string word(text.substr(at, end - at));
      at = end;
      std::vector<std::string> items;
      const size_t bracket = word[0] == '[' || word[0] == '<' ? 1 : 0;
      for (size_t from = 1; word.size() > 1 + bracket && from < word.size();) {
        const size_t stop = std::min(word.find(';', from), word.size() - bracket);
        items.push_back(Expand(word.substr(from, stop - from)));
        from = stop + 1;
      }
      std::vector<LONG> numbers;
      for (size_t i = 0; (word[0] == '<' || word[0] == '*') && i < items.size(); ++i) {
        numbers.push_back(std::stol(items[i]));
      }
      if (word == "-" || word == "?") {
        args.push_back(args_.Empty());
        if (word == "?") {
          args.back().vt = VT_ERROR;
          args.back().scode = DISP_E_PARAMNOTFOUND;
        }
      } else if (word == "@") {
        args.push_back(args_.VariantRef());
      } else if (word[0] == '[') {
        args.push_back(args_.Array(items));
      } else if (word[0] == '<') {
        args.push_back(args_.LongArray(numbers));
      } else if (word[0] == '*') {
        args.push_back(args_.LongsRef(numbers));
      } else {
        args.push_back(args_.Long(std::stol(word)));
      }
    }
    return args;
  }

  // Calls each row and checks its result, status and out values; a failure
  // of the Project object is reported to the IDE with its status's low half.
  void RunRows(const std::vector<Row>& rows) {
    for (const Row& row : rows) {
      SCOPED_TRACE(StringPrintf("%c %ld (%s)", row.object, static_cast<long>(row.slot), row.args));
      std::vector<VARIANT> args = Arguments(row.args);
      const size_t reports = ide_.Calls(kOutputWindowProgId, 22).size();
      VARIANT result;
      VariantInit(&result);
      EXPECT_EQ(CallDispatch(objects_[row.object].Get(), row.slot, DISPATCH_METHOD, args.data(),
                             static_cast<UINT>(args.size()), &result),
                row.hr);
      const bool ran = row.hr == S_OK || row.hr == S_FALSE || row.hr == E_FAIL;
      if (ran && (row.object == 'S' || row.object == 'P')) {
        EXPECT_EQ(static_cast<uint32_t>(Status()), row.status);
      }
      std::string out = Shown(result);
      for (VARIANT& arg : args) {
        if (arg.vt == (VT_VARIANT | VT_BYREF)) out += "|" + Shown(*arg.pvarVal);
        // The caller's arrays stay the caller's.
        if ((arg.vt & VT_ARRAY) != 0) {
          EXPECT_EQ(SafeArrayDestroy(arg.parray), S_OK);
        }
      }
      if (row.out != nullptr) {
        EXPECT_EQ(out, Expand(row.out));
      }
      const std::vector<std::string> now = ide_.Calls(kOutputWindowProgId, 22);
      ASSERT_EQ(now.size(), reports + (row.hr == E_FAIL ? 1 : 0));
      if (row.hr == E_FAIL) {
        EXPECT_THAT(now.back(), ::testing::HasSubstr(
                                    StringPrintf("|0x%08X|", 0x40040000u | (Status() & 0xFFFFu))));
      }
      VariantClear(&result);
      args_.Clear();
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
  std::map<char, ComPtr<IDispatch>> objects_;
};

// Each test opens the workspace afresh; within a test the rows run in order,
// and a row may see what an earlier one changed. Every slot of the five
// objects is called by name, in each shape a script may give it: all
// arguments with the outs by reference, the in arguments alone, optional
// ones left out, and too few or of the wrong kind.
TEST_F(ComponentLibraryTest, QueriesAnswerTheirArguments) {
  Open();
  // clang-format off
  RunRows({
      {'S', 7, "3", S_OK}, {'S', 8, "", S_OK}, {'S', 9, "", S_OK},
      // A script has no request record to give: the method gets none.
      {'S', 10, "-", S_FALSE, kStatusBadArgument}, {'S', 11, "0", S_FALSE, kStatusBadArgument},
      {'S', 24, "''", S_FALSE, kStatusBadArgument},
      {'S', 12, "2 '' -", S_OK, 0, "App.abs;Lib.lib;"},
      {'S', 12, "6 &'App' -", S_OK, 0, "Debug;Release;"},
      {'S', 12, "0 '' - @", S_OK, 0, "App.abs|App.abs"},
      {'S', 12, "0 '' - 0", DISP_E_TYPEMISMATCH}, {'S', 12, "'6' 'App' -", DISP_E_TYPEMISMATCH},
      {'S', 12, "6 'App'", DISP_E_BADPARAMCOUNT},
      {'S', 12, "100 'App' ''", S_OK, 0, "$\\app\\App.mak"},
      {'S', 12, "100 'App' '3'", S_FALSE, kStatusBadArgument, ""},
      {'S', 12, "103 'App' &'debug'", S_OK, 0, "$\\app\\tempmake.mak"},
      {'S', 12, "103 'App' [Release;2;1]", S_OK, 0, "$\\app\\tempmake.falmak"},
      {'S', 12, "103 'App' [Debug;1]", S_FALSE, kStatusBadArgument, ""},
      {'S', 12, "24 'App' -", S_OK, 0, "64k;128k;"},
      {'S', 12, "133 'App' '1'", S_OK, 0, "$\\app\\App.mak"},
      {'S', 13, "1 '' - 'Release'", S_OK}, {'S', 13, "77 '' - 'x'", S_FALSE, kStatusBadArgument},
      {'S', 14, "'App' &'PROJECT' 'CPU'", S_OK, 0, "$\\app\\App.kbp|OUTPUT;CPU;TARGET;Folder;|MX-520"},
      {'S', 14, "'App' @ 'PROJECT' @ 'CPU' @", S_OK, 0,
       "$\\app\\App.kbp|OUTPUT;CPU;TARGET;Folder;|MX-520|$\\app\\App.kbp|OUTPUT;CPU;TARGET;Folder;|MX-520"},
      {'S', 14, "'App' 'PROJECT' 0", S_FALSE, kStatusBadArgument},
      {'S', 16, "", S_OK, kStatusBadArgument, "1073938437"},
      {'S', 54, "@", S_OK, kStatusBadArgument,
       "An argument is not acceptable.|An argument is not acceptable."},
      {'S', 29, "1 'mx-520' -", S_OK, 0, "K:\\Shared\\include;K:\\Tools\\MX520\\include;"},
      {'S', 29, "0 'ZX-1' -", S_FALSE, kStatusUnknownCpu},
      {'S', 29, "300 'MX-520' &'-Nc1'", S_OK},
      {'S', 29, "42 'MX-520' -", S_FALSE, kStatusBadArgument},
      {'S', 30, "- [x] -", S_FALSE, kStatusNotAvailable},
      {'S', 31, "0", S_FALSE, kStatusBadArgument}, {'S', 33, "0", S_OK},
      {'S', 34, "2 'App' ''", S_OK, 0, "K:\\Shared\\include;K:\\Tools\\MX520\\include;"},
      {'S', 34, "3 '' ''", S_FALSE, kStatusBadArgument},
      {'S', 34, "0 'Lib' 'Release'", S_FALSE, kStatusTargetNotFound},
      {'S', 35, "'$\\lib\\Lib.kbp'", S_FALSE, kStatusProjectExists},
      {'S', 36, "'App' 'main.c'", S_FALSE, kStatusNotAvailable},
      {'S', 40, "'$\\old.kip'", S_FALSE, kStatusProjectFileMissing},
      {'S', 40, "'x.bprj'", S_OK}, {'S', 41, "'1'", S_FALSE, kStatusBadArgument},
      {'S', 42, "", S_OK}, {'S', 43, "", S_OK}, {'S', 44, "", S_OK},
      {'S', 45, "'App'", S_FALSE, kStatusArchiveFailed},
      {'S', 46, "'No'", S_FALSE, kStatusProjectNotFound},
      {'S', 47, "'App'", S_FALSE, kStatusArchiveFailed},
      {'S', 48, "'App' 'main.c'", S_OK}, {'S', 49, "'App' 1", S_FALSE, kStatusBadArgument},
      // 50 to 52 leave the status of 49 as it is.
      {'S', 50, "'' []", S_OK, kStatusBadArgument},
      {'S', 51, "", S_OK, kStatusBadArgument, "-1"},
      {'S', 52, "'No'", S_OK, kStatusBadArgument, "-1"},
      {'S', 53, "'' ''", S_OK, kStatusNotAvailable, ""},
      {'S', 55, "'App' 'debug' @ @", S_OK, 0, "|.\\work|.\\work"},
      {'S', 55, "'App' '' 'x' -", S_FALSE, kStatusBadArgument},
      {'S', 57, "'App' 'main.c' 'Debug'", S_OK, 0, "0"},
      {'S', 58, "0 'MX-520/S'", S_OK, 0, "MX-520S"},
      {'S', 58, "9 'MX-520'", S_FALSE, kStatusBadArgument},
      {'S', 59, "'x' -", S_FALSE, kStatusNotAvailable},
      {'S', 60, "'x' - -", S_FALSE, kStatusNotAvailable},
      {'S', 61, "'App' 'main.c' @", S_FALSE, kStatusNotAvailable},
      {'S', 62, "", S_OK}, {'S', 63, "", S_OK}, {'S', 64, "'App'", S_OK},
      {'S', 65, "'App' 'main.c'", S_OK}, {'S', 66, "'App' &'main.c'", S_OK},
      {'S', 67, "'No' ''", S_FALSE, kStatusProjectNotFound},
      {'S', 68, "'App' 1", S_FALSE, kStatusBadArgument},
      {'S', 69, "0 'App' @", S_FALSE, kStatusNotAvailable},
      {'S', 70, "0 'App' @", S_FALSE, kStatusNotAvailable}, {'S', 71, "", S_OK},
      {'S', 73, "10004 [App] 0 @", S_OK},
      {'S', 73, "10003 [App;No] 0 @", S_FALSE, kStatusProjectNotFound},
      {'S', 74, "'x.mak' 'App'", S_FALSE, kStatusNotAvailable},
      {'S', 75, "'x.mak' 'App'", S_FALSE, kStatusNotAvailable},
      {'S', 76, "'x.mak'", S_FALSE, kStatusNotAvailable},
      {'S', 77, "5 'build'", S_OK, 0, "12550|12549"},
      {'S', 77, "6 'build' *0 *0", S_OK, 0, "12551|12549"},
      {'S', 78, "5", S_OK}, {'S', 78, "5", S_FALSE, kStatusBadArgument},
      {'S', 79, "1 '' 0", S_OK}, {'S', 79, "2 'App' 0", S_FALSE, kStatusBadArgument},
      {'S', 81, "'App'", S_FALSE, kStatusNotAvailable}, {'S', 82, "'Lib'", S_OK},
      {'S', 83, "'' '' 'x'", S_FALSE, kStatusNoLinkCommandFile},
      {'S', 83, "'' '' 0", S_FALSE, kStatusBadArgument},
      {'S', 84, "'$\\app\\app.lcf' &'_STACK'", S_OK, 0, "0x00008000"},
      {'S', 84, "'$\\app\\app.lcf' '_heap'", S_FALSE, kStatusSymbolHasNoValue},
      {'S', 84, "0 'x'", S_FALSE, kStatusBadArgument},
      {'S', 85, "'App'", S_FALSE, kStatusNotAvailable},
      {'C', 8, "'Zelvan.version'", S_OK, 0, "object"}, {'C', 8, "'Zelvan.Other'", S_OK, 0, "null"},
      {'C', 8, "", DISP_E_BADPARAMCOUNT}, {'C', 9, "", S_OK}, {'C', 10, "", S_OK},
      {'V', 7, "", S_OK, 0, "1|0"}, {'V', 8, "", S_OK, 0, ""},
      {'K', 9, "", S_OK, 0, "COMPONENT"}, {'K', 7, "- - -", S_FALSE}, {'K', 8, "", S_OK},
  });
  // clang-format on
}

TEST_F(ComponentLibraryTest, ChangesToLinksStepsFilesAndTargetsAreSeenByLaterCalls) {
  Open();
  // A step's title and commands go in through out arguments, which only
  // the slot takes in.
  VARIANT* title = args_.Out(VariantFromText("Pack"));
  VARIANT* commands = args_.Out(args_.Array({"pack $(TargetPath)"}));
  ASSERT_EQ(service_->Method15(1, args_.Text("App"), title, args_.Text("Debug"), commands,
                               args_.Ref("custom-build"), args_.Out(), nullptr),
            S_OK);
  args_.Clear();
  // clang-format off
  RunRows({
      {'S', 56, "'App' 'Debug' 'Release' -", S_OK},
      {'S', 15, "0 'App' 'release' 'custom-build' ''", S_OK, 0, "Pack|pack $(TargetPath);|"},
      {'S', 15, "0 'App' 'Debug' 'during-build' ''", S_FALSE, kStatusBadArgument},
      {'S', 56, "'No' 'Debug' 'Release' -", S_FALSE, kStatusProjectNotFound},
      {'S', 56, "'App' 'Debug' 1 -", S_FALSE, kStatusBadArgument},
      // A count of nothing answers S_FALSE.
      {'S', 27, "'App'", S_FALSE, 0, "0"},
      {'S', 17, "'App' &'Lib'", S_OK}, {'S', 17, "'App' 'Lib'", S_FALSE, kStatusLinkExists},
      {'S', 27, "'App' @", S_OK, 0, "1|1"},
      {'S', 28, "'App' 0", S_OK, 0, "Lib.lib"},
      {'S', 28, "'App' 1", S_FALSE, kStatusIndexOutOfRange, ""},
      {'S', 18, "'App' 'Lib'", S_OK},
      {'S', 72, "1 <7;8> [seven;eight]", S_OK}, {'S', 72, "1 7 [a;b]", S_FALSE, kStatusBadArgument},
      {'S', 19, "8", S_OK, 0, "eight"}, {'S', 20, "*8", S_OK, 0, "eight;"},
      {'S', 19, "<8;7>", S_OK, 0, "eight;seven;"}, {'S', 19, "'7'", S_FALSE, kStatusBadArgument},
      {'S', 21, "-", S_OK},
      {'S', 21, "'Z:\\none\\App.mak'", S_FALSE, kStatusMakefileNotWritten},
      {'S', 21, "1", S_FALSE, kStatusBadArgument},
      {'S', 22, "'App' 'main.c'", S_OK}, {'S', 22, "'App' 'no.c'", S_FALSE, kStatusFileNotInProject},
      {'S', 22, "'App' -", S_OK},
      {'S', 23, "'App' 2 -", S_FALSE, kStatusBadArgument},
      {'S', 23, "'App' [$\\app\\util.c] -", S_OK},
      {'S', 80, "2 'App' '$\\app\\util.c' -", S_FALSE, kStatusBadArgument},
      {'S', 80, "0 'App' '$\\app\\util.c' -", S_FALSE, kStatusFileInProject},
      {'S', 25, "'App' 'Debug' 'Trace'", S_OK}, {'S', 26, "'App' 'Trace'", S_OK},
      // Kept: an empty new target name is refused, and the last target stays.
      {'S', 25, "'App' 'Debug' ''", S_FALSE, kStatusBadArgument},
      {'S', 26, "'Lib' 'Debug'", S_FALSE, kStatusNoOutputOrTargets},
  });
  // clang-format on
}

TEST_F(ComponentLibraryTest, ProjectsAreMadeCopiedAndRenamedAndTheWorkspaceCloses) {
  Open();
  // clang-format off
  RunRows({
      {'S', 37, "'Full' 'MX-520' 'Full' 128", S_OK, 0, "0|$\\Full\\Full.KBP"},
      {'S', 37, "@ @ @ @ @ @", S_FALSE, kStatusBadArgument},
      {'S', 38, "'Alone' 'mr44' 'alone' -", S_OK, 0, "0|$\\alone\\Alone.KBP"},
      {'S', 39, "'Extra' 'MX-520' 'libs' 'lib'", S_OK, 0, "0|$\\libs\\Extra.KBP"},
      {'S', 39, "'Small' 'MX-310/P1' 'small' [abs;96]", S_OK, 0, "0|$\\small\\Small.KBP"},
      {'S', 39, "'X' 'MX-310/P1' - [abs;big]", S_FALSE, kStatusBadArgument},
      {'S', 39, "'X' 'MX-520' - 'exe'", S_FALSE, kStatusInvalidProjectType},
      // The Project object's: name and CPU, then folder, type and memory
      // size, each of which may be left out or empty.
      {'P', 31, "'Two' 'MX-520'", S_OK},
      {'P', 31, "'Three' 'MX-310/P1' 'three' 'lib' 128", S_OK},
      {'P', 31, "'Four' 'MX-310/P1' ? 'LIB' '96'", S_OK},
      {'P', 31, "'Five' 'MX-310/P1' 'five' - ?", S_OK},
      {'S', 12, "2 '' -", S_OK, 0, "App.abs;Lib.lib;Full.abs;Extra.lib;Small.abs;"
                                   "Two.abs;Three.lib;Four.lib;Five.abs;"},
      {'P', 31, "'X' 'MX-310/P1' 'x' 'abs' 80", E_FAIL, kStatusInvalidMemorySize},
      {'P', 31, "'X' 'MX-520' - - 'big'", E_FAIL, kStatusBadArgument},
      {'P', 31, "'X' 'MX-520' 1", E_FAIL, kStatusBadArgument},
      {'P', 31, "'X' 'MX-520' - 'exe'", E_FAIL, kStatusInvalidProjectType},
      {'P', 31, "'X' 'MX-520' 'a:b'", E_FAIL, kStatusInvalidFolder},
      {'P', 31, "'X'", DISP_E_BADPARAMCOUNT}, {'P', 31, "'X' 'MX-520' - - - -", DISP_E_BADPARAMCOUNT},
      {'P', 31, "'X' 2", DISP_E_TYPEMISMATCH},
      {'S', 86, "'No'", S_FALSE, kMsgProjectNotFound}, {'S', 86, "'App'", S_OK},
      {'S', 86, "'App'", S_FALSE, kMsgCopyFailed},
      {'S', 87, "'App' 'Main.abs'", S_OK},
      {'S', 87, "'Main' 'a:b'", S_FALSE, kMsgInvalidName},
      {'P', 32, "'Nope' -", E_FAIL, kMsgProjectNotFound},
      {'P', 33, "'Lib' 1", E_FAIL, kStatusBadArgument}, {'P', 33, "'Lib' &'Base'", S_OK},
      {'S', 12, "2 '' -", S_OK, 0, "Main.abs;Base.lib;Full.abs;Extra.lib;Small.abs;"
                                   "Two.abs;Three.lib;Four.lib;Five.abs;"},
      {'S', 32, "", S_OK},
      {'S', 17, "'App' 'Lib'", S_FALSE, kStatusNoWorkspace},
      // Kept: the active project's makefile without a workspace is S_FALSE.
      {'S', 21, "-", S_FALSE, kStatusNoWorkspace}, {'P', 21, "-", E_FAIL, kStatusNoWorkspace},
      {'P', 25, "", E_FAIL, kStatusNoWorkspace},
      {'S', 54, "", S_OK, kStatusNoWorkspace, "No workspace is open."},
  });
  // clang-format on
  // What the Project object made: a library, and the memory size given.
  EXPECT_THAT(dir_.ReadFile("ws/three/Three.KBP"), ::testing::HasSubstr("OUTPUT=Three.lib"));
  EXPECT_THAT(dir_.ReadFile("ws/three/Three.KBP"), ::testing::HasSubstr(" -Nc3\r\n"));
  EXPECT_THAT(dir_.ReadFile("ws/Four.KBP"), ::testing::HasSubstr(" -Nc2\r\n"));
  EXPECT_THAT(dir_.ReadFile("ws/five/Five.KBP"), ::testing::HasSubstr(" -Nc1\r\n"));
}

// The Project object's checks, in order (workspace, project, target, file),
// and what its changes do.
TEST_F(ComponentLibraryTest, ProjectObjectChecksInOrderAndReportsItsFailures) {
  Open();
  // clang-format off
  RunRows({
      {'P', 25, "", S_OK, 0, "2"}, {'P', 25, "@", S_OK, 0, "2|2"},
      {'P', 26, "1", S_OK, 0, "Lib.lib"}, {'P', 26, "2", E_FAIL, kStatusIndexOutOfRange},
      {'P', 14, "'Nope'", E_FAIL, kStatusProjectNotFound}, {'P', 14, "''", S_OK},
      {'P', 17, "'' ''", S_OK, 0, ".\\Debug"},
      {'P', 17, "'App' 'Final'", E_FAIL, kStatusTargetNotFound},
      {'P', 18, "'App' 'Debug' '.\\bin'", S_OK},
      {'P', 18, "'App' 'Debug' 'C:\\bin'", E_FAIL, kStatusInvalidPath},
      {'P', 23, "'App' ''", S_OK, 0, "-g -o .\\bin\\App.abs"},
      {'P', 24, "'App' 'Debug' '-g'", S_OK}, {'P', 23, "'App' ''", S_OK, 0, "-g"},
      {'P', 15, "'App' '' 'x.c'", E_FAIL, kStatusFileNotInProject},
      {'P', 16, "'App' '' 'main.c' '.\\obj'", S_OK},
      {'P', 15, "'App' '' 'main.c'", S_OK, 0, ".\\obj"},
      {'P', 16, "'App' '' 'main.c' 'a|b'", E_FAIL, kStatusInvalidPath},
      {'P', 20, "'App' 'Release' 'main.c' 1", S_OK},
      {'P', 19, "'App' 'Release' 'main.c'", S_OK, 0, "1"},
      {'P', 22, "'App' '' 'main.c' '-g'", E_FAIL, kStatusOptionsRejected},
      {'P', 27, "'App'", S_OK, 0, "0"},
      {'P', 12, "'App' 'Lib'", S_OK}, {'P', 28, "'App' 0", S_OK, 0, "Lib.lib"},
      {'P', 28, "'App' 1", E_FAIL, kStatusIndexOutOfRange},
      {'P', 12, "'App' 'Lib'", S_OK}, {'P', 27, "'App'", S_OK, 0, "0"},
      {'P', 12, "'App' 'Nope'", E_FAIL, kStatusProjectNotFound},
      {'P', 30, "'App' 'Debug' '-Fmot'", S_OK}, {'P', 29, "'App' 'Debug'", S_OK, 0, "-Fmot"},
      {'P', 9, "'App' 0", S_OK}, {'P', 9, "'' 3", E_FAIL, kStatusBadArgument},
      {'P', 21, "&'$\\m.mak'", S_OK},
      {'P', 7, "'' 0", S_FALSE, kStatusNotAvailable}, {'P', 8, "'' 0 0", S_FALSE, kStatusNotAvailable},
      {'P', 10, "0", S_FALSE, kStatusNotAvailable}, {'P', 11, "0", S_FALSE, kStatusNotAvailable},
      {'P', 13, "'' 0", S_FALSE, kStatusNotAvailable},
      // Refused while the IDE builds.
      {'C', 7, "8192 -", S_OK}, {'P', 31, "'New' 'MX-520'", E_FAIL, kStatusIdeBusy},
      {'C', 7, "8193 -", S_OK},
  });
  // clang-format on
}

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
  EXPECT_THAT(record.directories, ::testing::ElementsAre(SystemPath("ws/app")));
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
