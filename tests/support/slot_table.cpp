#include "tests/support/slot_table.h"

#include <algorithm>
#include <string>

#include "com/dispatch_object.h"
#include "com/safe_array.h"
#include "model/status_codes.h"
#include "platform/ansi_text.h"
#include "platform/file_system.h"
#include "service/argument_shapes.h"
#include "service/component_ids.h"
#include "service/ide_interfaces.h"

namespace zelvan::testing {
namespace {

constexpr const char* kApp =
    "[PROJECT]\r\nOUTPUT=App.abs\r\nCPU=MX-520\r\nTARGET=Debug;Release;\r\nFolder=Src;\r\n"
    "[Src]\r\nFILTER=c\r\nSOURCECOUNT=1\r\nSOURCE0=main.c\r\n"
    "[PROJECT!MACRO!Debug]\r\nDefaultWORK=.\\work\r\nDefaultOUTPUT=.\\Debug\r\n"
    "ProjectLink=-g -o .\\Debug\\App.abs\r\n";
constexpr const char* kLib =
    "[PROJECT]\r\nOUTPUT=Lib.lib\r\nCPU=MX-520\r\nTARGET=Debug;\r\nFolder=Src;\r\n"
    "[Src]\r\nSOURCECOUNT=0\r\n";

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

}  // namespace

// Each suite opens the workspace afresh. Every slot of the five objects is
// called by name, in each shape a script may give it: all arguments with the
// outs by reference, the in arguments alone, optional ones left out, and too
// few or of the wrong kind.
const std::vector<SlotSuite>& SlotSuites() {
  // clang-format off
  static const std::vector<SlotSuite> suites = {
  {"Queries", {
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
  }},
  {"ChangesToLinksStepsFilesAndTargets", {
      // A step's title and commands go in through in-and-out arguments.
      {'S', 15, "1 'App' @'Pack' 'Debug' @[pack] &'custom-build' @ ''", S_OK},
      {'S', 56, "'App' 'Debug' 'Release' -", S_OK},
      {'S', 15, "0 'App' 'release' 'custom-build' ''", S_OK, 0, "Pack|pack;|"},
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
  }},
  {"ProjectsAreMadeCopiedAndRenamed", {
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
      // A library of the memory size given.
      {'S', 14, "'Three' 'PROJECT!MACRO!Debug' 'DefaultCompile'", S_OK, 0,
       "$\\three\\Three.kbp|DefaultCompile;ProjectCompile;BlankCompileOption;DefaultLink;"
       "ProjectLink;BlankLinkOption;DefaultConvert;ProjectConvert;DefaultOUTPUT;OUTPUT;DefaultTEMP;"
       "TEMP;DefaultWORK;WORK;DefaultDEBUG;DEBUG;TARGET;TARGET_NAME;LibraryOutput;UPDATE;|-g -O0 -Nc3"},
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
  }},
  {"ProjectObjectChecksInOrder", {
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
  }},
  };
  // clang-format on
  return suites;
}

SlotTable::SlotTable(FileSystem& fs) : fs_(fs) {
  dir_.WriteFile("temp/.keep", "");
  dir_.WriteFile("ws/app/App.kbp", kApp);
  dir_.WriteFile("ws/app/main.c", "#include \"main.h\"\nint main(void) { return 0; }\n");
  dir_.WriteFile("ws/app/main.h", "\n");
  dir_.WriteFile("ws/app/util.c", "int util;\n");
  dir_.WriteFile("ws/lib/Lib.kbp", kLib);
  dir_.WriteFile("ws/Demo.kba", "[Arcive]\r\nArcivePath=archive\r\n");
  dir_.WriteFile("ws/app/app.lcf", "_stack = 0x8000;\nSECTIONS {\n  _heap = 010;\n}\n");
  ide_.state().project_files = {Path("ws/app/App.kbp"), Path("ws/lib/Lib.kbp")};
  ide_.state().active_project = Path("ws/app/App.kbp");
}

std::string SlotTable::Path(std::string_view relative) const {
  return fs_.FromHostPath(dir_.HostPath(relative));
}

// `text` with each $ before a backslash replaced by the workspace's folder.
std::string SlotTable::Expand(std::string text) const {
  for (size_t at = text.find("$\\"); at != std::string::npos; at = text.find("$\\", at)) {
    text.replace(at, 1, Path("ws"));
  }
  return text;
}

std::vector<std::string> SlotTable::Open(const Create& create) {
  std::vector<std::string> failures;
  for (const ComponentClass& entry : kComponentClasses) {
    const char letter = &entry.clsid == &CLSID_Connect ? 'K' : entry.object[0];
    objects_[letter] = create(entry.clsid);
    if (!objects_[letter]) failures.push_back(std::string("no ") + entry.object + " object");
  }
  if (!failures.empty()) return failures;
  VARIANT app;
  VariantInit(&app);
  app.vt = VT_DISPATCH;
  app.pdispVal = ide_.application();
  VARIANT connect[] = {app, args_.Empty(), args_.Empty()};
  HRESULT hr = CallDispatch(objects_['K'].Get(), 7, DISPATCH_METHOD, connect, 3, nullptr);
  if (hr != S_OK) failures.push_back(StringPrintf("Connect: 0x%08X", static_cast<unsigned>(hr)));
  VARIANT path = args_.Text(Path("ws/Demo.kws"));
  hr = CallDispatch(objects_['S'].Get(), 31, DISPATCH_METHOD, &path, 1, nullptr);
  if (hr != S_OK)
    failures.push_back(StringPrintf("OpenWorkspace: 0x%08X", static_cast<unsigned>(hr)));
  args_.Clear();
  return failures;
}

LONG SlotTable::Status() {
  VARIANT status;
  VariantInit(&status);
  CallDispatch(objects_['S'].Get(), 16, DISPATCH_METHOD, nullptr, 0, &status);
  return status.vt == VT_I4 ? status.lVal : -1;
}

std::vector<VARIANT> SlotTable::Arguments(std::string_view text) {
  std::vector<VARIANT> args;
  auto word_end = [&](size_t from) { return std::min(text.size(), text.find(' ', from)); };
  for (size_t at = 0; at < text.size(); ++at) {
    if (text[at] == ' ') continue;
    // &'text' is a BSTR by reference, @'text' a VARIANT by reference holding one.
    const bool by_ref = text[at] == '&' || text[at] == '@';
    if (at + by_ref < text.size() && text[at + by_ref] == '\'') {
      const size_t close = text.find('\'', at + by_ref + 1);
      const std::string value =
          Expand(std::string(text.substr(at + by_ref + 1, close - at - by_ref - 1)));
      args.push_back(!by_ref           ? args_.Text(value)
                     : text[at] == '&' ? args_.Ref(value)
                                       : args_.VariantRef(VariantFromText(value)));
      at = close;
      continue;
    }
    const size_t end = word_end(at);
    std::string word(text.substr(at, end - at));
    at = end;
    const bool in_ref = word.size() > 1 && word[0] == '@';
    if (in_ref) word.erase(0, 1);
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
      args.push_back(in_ref ? args_.VariantRef(args_.Array(items)) : args_.Array(items));
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

// A failure of the Project object is reported to the IDE with its status's
// low half.
std::vector<std::string> SlotTable::Run(const std::vector<SlotRow>& rows) {
  std::vector<std::string> failures;
  for (const SlotRow& row : rows) {
    std::string wrong;
    auto fail = [&](const std::string& what) { wrong += (wrong.empty() ? "" : "; ") + what; };
    std::vector<VARIANT> args = Arguments(row.args);
    const size_t reports = ide_.Calls(kOutputWindowProgId, 22).size();
    VARIANT result;
    VariantInit(&result);
    const HRESULT hr = CallDispatch(objects_[row.object].Get(), row.slot, DISPATCH_METHOD,
                                    args.data(), static_cast<UINT>(args.size()), &result);
    if (hr != row.hr) {
      fail(StringPrintf("HRESULT 0x%08X, expected 0x%08X", static_cast<unsigned>(hr),
                        static_cast<unsigned>(row.hr)));
    }
    const bool ran = row.hr == S_OK || row.hr == S_FALSE || row.hr == E_FAIL;
    const uint32_t status = static_cast<uint32_t>(Status());
    if (ran && (row.object == 'S' || row.object == 'P') && status != row.status) {
      fail(StringPrintf("status 0x%08X, expected 0x%08X", status, row.status));
    }
    std::string out = Shown(result);
    for (VARIANT& arg : args) {
      if (arg.vt == (VT_VARIANT | VT_BYREF)) out += "|" + Shown(*arg.pvarVal);
      // The caller's arrays stay the caller's.
      if ((arg.vt & VT_ARRAY) != 0 && SafeArrayDestroy(arg.parray) != S_OK) {
        fail("an array passed was not the caller's");
      }
    }
    if (row.out != nullptr && out != Expand(row.out)) {
      fail("\"" + out + "\", expected \"" + Expand(row.out) + "\"");
    }
    const std::vector<std::string> now = ide_.Calls(kOutputWindowProgId, 22);
    const std::string report = StringPrintf("|0x%08X|", 0x40040000u | (status & 0xFFFFu));
    if (now.size() != reports + (row.hr == E_FAIL ? 1 : 0)) {
      fail(std::to_string(now.size() - reports) + " reports to the IDE");
    } else if (row.hr == E_FAIL && now.back().find(report) == std::string::npos) {
      fail("reported " + now.back() + ", not " + report);
    }
    if (!wrong.empty()) {
      failures.push_back(
          StringPrintf("%c %ld (%s): ", row.object, static_cast<long>(row.slot), row.args) + wrong);
    }
    VariantClear(&result);
    args_.Clear();
  }
  return failures;
}

}  // namespace zelvan::testing
