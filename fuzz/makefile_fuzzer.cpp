// Makefiles of random projects: project files made of random settings,
// paths and options (blanks, "#", "$(...)", quotes and the options the rules
// test for), with random include dependencies, generated in every mode.
// Generation must not crash and must be deterministic: the same project
// gives the same text twice, and in a workspace opened anew.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "build/kmake_file.h"
#include "model/dependency_record.h"
#include "model/one_project_data.h"
#include "model/one_source_file.h"
#include "platform/ansi_text.h"
#include "tests/support/model_test_platform.h"

namespace {

const char* const kPieces[] = {
    "-o",         "-P",        "-Oal", "-XF",       "-Xi",     "-l",        "-lf",   "-kumpp=on",
    "-kumpp=off", "-Mi",       "-c",   "-g",        "-$",      "-r",        "-Fs24", "-Fs32",
    "-ra",        "-Pout.mot", "-cc",  "-u",        "-DX=1",   "#",         " ",     "\"",
    "\\",         ".",         "..",   "$(OUTPUT)", "$(TEMP)", "$(IntDir)", "x.rel", "y.lib",
    "a b",        "C:",        "sub",  "obj",       "out",     "echo",      "=",     ";"};
const char* const kExtensions[] = {".c",   ".asm", ".mac", ".app", ".cl",  ".mpp", ".lcf",
                                   ".rel", ".lib", ".h",   ".inc", ".def", ".txt", ""};
const char* const kCpus[] = {"MX-520", "MX-310/P", "MR44", "MR44A", "K310SA1"};
const char* const kTargetKeys[] = {"DefaultCompile",
                                   "ProjectCompile",
                                   "BlankCompileOption",
                                   "DefaultLink",
                                   "ProjectLink",
                                   "DefaultConvert",
                                   "ProjectConvert",
                                   "DefaultTEMP",
                                   "TEMP",
                                   "DefaultOUTPUT",
                                   "OUTPUT",
                                   "WORK",
                                   "TARGET",
                                   "TARGET_NAME",
                                   "LibraryOutput",
                                   "SourceFolder",
                                   "ProjectBeforeBuildTitle",
                                   "ProjectAfterBuildTitle",
                                   "ProjectCBuildComment"};
const char* const kTargetLists[] = {"ProjectBeforeBuildCommand", "ProjectBeforeLinkCommand",
                                    "ProjectAfterBuildCommand", "ProjectCBuildCommand",
                                    "ProjectCBuildOutput"};
const char* const kFileKeys[] = {
    "COMPILE", "TEMP", "NoBuild", "CustomBuild", "BlankCompileOption", "NoLCF", "CBuildComment"};
const char* const kFileLists[] = {"CBuildCommand", "CBuildOutput", "CBuildDependency"};

// A value made of pieces and random text; a profile line cannot hold a line break.
std::string Value(FuzzedDataProvider& data) {
  std::string value;
  int pieces = data.ConsumeIntegralInRange(0, 6);
  for (int i = 0; i < pieces; ++i) {
    if (data.ConsumeBool()) {
      value += data.PickValueInArray(kPieces);
    } else {
      value += data.ConsumeRandomLengthString(12);
    }
    if (data.ConsumeBool()) value += ' ';
  }
  std::erase_if(value, [](char c) { return c == '\r' || c == '\n' || c == '\0'; });
  return value;
}

std::string FileName(FuzzedDataProvider& data, int index) {
  std::string name;
  if (data.ConsumeBool()) name += data.PickValueInArray(kPieces) + std::string("\\");
  name += zelvan::StringPrintf("f%d", index);
  if (data.ConsumeBool()) name += " x";
  return name + data.PickValueInArray(kExtensions);
}

std::string ProjectText(FuzzedDataProvider& data, std::vector<std::string>* files) {
  const char* cpu = data.PickValueInArray(kCpus);
  std::string text = std::string("[PROJECT]\nOUTPUT=") +
                     (data.ConsumeBool() ? "App.lib" : "App.abs") + "\nCPU=" + cpu +
                     "\nCPUFAMILY=" + cpu + "\nTARGET=Debug;Release;\n" + "LinkProject=Lib.lib;" +
                     Value(data) + ";\nFolder=S;\n[S]\n";
  int count = data.ConsumeIntegralInRange(0, 12);
  text += zelvan::StringPrintf("SOURCECOUNT=%d\n", count);
  for (int i = 0; i < count; ++i) {
    files->push_back(FileName(data, i));
    text += zelvan::StringPrintf("SOURCE%d=%s\n", i, files->back().c_str());
  }
  for (const char* target : {"Debug", "Release"}) {
    text += std::string("[PROJECT!MACRO!") + target + "]\n";
    for (const char* key : kTargetKeys) {
      if (data.ConsumeBool()) text += std::string(key) + "=" + Value(data) + "\n";
    }
    for (const char* list : kTargetLists) {
      int entries = data.ConsumeIntegralInRange(0, 2);
      text += zelvan::StringPrintf("%sCount=%d\n", list, entries);
      for (int i = 0; i < entries; ++i)
        text += zelvan::StringPrintf("%s-%d=", list, i) + Value(data) + "\n";
    }
    for (const std::string& file : *files) {
      if (!data.ConsumeBool()) continue;
      text += std::string("[") + target + "!" + file + "]\n";
      for (const char* key : kFileKeys) {
        if (data.ConsumeBool()) text += std::string(key) + "=" + Value(data) + "\n";
      }
      for (const char* list : kFileLists) {
        int entries = data.ConsumeIntegralInRange(0, 2);
        text += zelvan::StringPrintf("%sCount=%d\n", list, entries);
        for (int i = 0; i < entries; ++i)
          text += zelvan::StringPrintf("%s-%d=", list, i) + Value(data) + "\n";
      }
    }
  }
  return text;
}

// The makefile of the project in each mode, with the dependencies given.
std::string Generate(const std::string& project_text,
                     const std::vector<std::vector<std::string>>& dependencies, bool clean) {
  zelvan::testing::ModelTestPlatform env;
  env.AddFile("C:\\ws\\app\\App.kbp", zelvan::testing::Crlf(project_text));
  env.AddFile("C:\\ws\\lib\\Lib.kbp", "[PROJECT]\r\nOUTPUT=Lib.lib\r\nTARGET=Debug;\r\n");
  env.ide.project_files = {"C:\\ws\\app\\App.kbp", "C:\\ws\\lib\\Lib.kbp"};
  std::unique_ptr<zelvan::CProjectData> workspace = env.NewWorkspace();
  if (!workspace->OpenWorkspace("C:\\ws\\Demo.kws")) return "";
  zelvan::COneProjectData* project = workspace->FindProject("App");
  if (project == nullptr) return "";
  for (size_t i = 0; i < project->SourceFiles().size() && i < dependencies.size(); ++i) {
    for (const char* target : {"Debug", "Release"}) {
      zelvan::CDependencyRecord record{target};
      record.SetDependencies(workspace->dependency_paths(), dependencies[i], {});
      project->SourceFiles()[i]->TargetEntries().push_back(record);
    }
  }
  std::string all;
  for (zelvan::MakeMode mode : {zelvan::NormalMode, zelvan::SubProjectMode, zelvan::FalMode}) {
    std::string first, second;
    zelvan::GenerateKmakeText(*workspace, *project, nullptr, mode, std::nullopt, clean, &first);
    zelvan::GenerateKmakeText(*workspace, *project, nullptr, mode, std::nullopt, clean, &second);
    if (first != second) std::abort();
    all += first;
  }
  return all;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  FuzzedDataProvider data(bytes, size);
  std::vector<std::string> files;
  std::string project = ProjectText(data, &files);
  std::vector<std::vector<std::string>> dependencies(files.size());
  for (auto& list : dependencies) {
    int count = data.ConsumeIntegralInRange(0, 3);
    for (int i = 0; i < count; ++i) {
      list.push_back(data.ConsumeBool() && !files.empty()
                         ? files[data.ConsumeIntegralInRange<size_t>(0, files.size() - 1)]
                         : Value(data));
    }
  }
  bool clean = data.ConsumeBool();
  if (Generate(project, dependencies, clean) != Generate(project, dependencies, clean)) {
    std::abort();
  }
  return 0;
}
