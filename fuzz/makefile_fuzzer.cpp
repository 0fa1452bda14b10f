// Makefiles of random projects: project files made of random settings,
// paths and options (blanks, "#", "$(...)", quotes and the options the rules
// test for), with random include dependencies, generated in a mode the
// input picks. Generation must not crash and must be deterministic: the
// same project gives the same text twice, and in a workspace opened anew
// (each checked on a share of the inputs). The platform and a workspace are
// made once; each input only writes its project file, which the workspace
// takes in and gives up again.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "fuzz/edge_counters.h"
#include "makefile/kmake_file.h"
#include "makefile/make_state.h"
#include "makefile/output_plan.h"
#include "model/dependency_record.h"
#include "model/project.h"
#include "model/service_settings.h"
#include "model/source_file.h"
#include "model/workspace.h"
#include "platform/ansi_text.h"
#include "platform/file_system.h"
#include "platform/platform.h"
#include "platform/private_profile.h"
#include "platform/registry.h"
#include "tests/support/fake_system_services.h"
#include "tests/support/memory_file_system.h"
#include "tests/support/model_test_platform.h"
#include "tests/support/recording_ide_services.h"

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

// A value made of pieces and random text, appended to `out`; a profile line
// cannot hold a line break. The input's text is built in one string: each
// allocation costs the sanitizers' allocator more than the rest of the
// building.
void AppendValue(FuzzedDataProvider& data, std::string* out) {
  const size_t start = out->size();
  int pieces = data.ConsumeIntegralInRange(0, 6);
  for (int i = 0; i < pieces; ++i) {
    if (data.ConsumeBool()) {
      *out += data.PickValueInArray(kPieces);
    } else {
      *out += data.ConsumeRandomLengthString(12);
    }
    if (data.ConsumeBool()) *out += ' ';
  }
  out->erase(std::remove_if(out->begin() + static_cast<std::ptrdiff_t>(start), out->end(),
                            [](char c) { return c == '\r' || c == '\n' || c == '\0'; }),
             out->end());
}

std::string Value(FuzzedDataProvider& data) {
  std::string value;
  AppendValue(data, &value);
  return value;
}

std::string FileName(FuzzedDataProvider& data, int index) {
  std::string name;
  if (data.ConsumeBool()) {
    name += data.PickValueInArray(kPieces);
    name += '\\';
  }
  name += 'f';
  name += std::to_string(index);
  if (data.ConsumeBool()) name += " x";
  name += data.PickValueInArray(kExtensions);
  return name;
}

// `key` "=" a value "\n".
void AppendSetting(FuzzedDataProvider& data, std::string_view key, std::string* text) {
  *text += key;
  *text += '=';
  AppendValue(data, text);
  *text += '\n';
}

// The count of a list and its entries ("<list>-<i>").
void AppendList(FuzzedDataProvider& data, std::string_view list, std::string* text) {
  int entries = data.ConsumeIntegralInRange(0, 2);
  *text += list;
  *text += "Count=";
  *text += std::to_string(entries);
  *text += '\n';
  for (int i = 0; i < entries; ++i) {
    *text += list;
    *text += '-';
    *text += std::to_string(i);
    *text += '=';
    AppendValue(data, text);
    *text += '\n';
  }
}

std::string ProjectText(FuzzedDataProvider& data, std::vector<std::string>* files) {
  const char* cpu = data.PickValueInArray(kCpus);
  std::string text;
  text.reserve(4096);
  text += "[PROJECT]\nOUTPUT=";
  text += data.ConsumeBool() ? "App.lib" : "App.abs";
  text += "\nCPU=";
  text += cpu;
  text += "\nCPUFAMILY=";
  text += cpu;
  text += "\nTARGET=Debug;Release;\nLinkProject=Lib.lib;";
  AppendValue(data, &text);
  text += ";\nFolder=S;\n[S]\n";
  // Up to eight sources: enough for every rule and dependency between them;
  // more only make each input slower.
  int count = data.ConsumeIntegralInRange(0, 8);
  text += "SOURCECOUNT=";
  text += std::to_string(count);
  text += '\n';
  for (int i = 0; i < count; ++i) {
    files->push_back(FileName(data, i));
    text += "SOURCE";
    text += std::to_string(i);
    text += '=';
    text += files->back();
    text += '\n';
  }
  for (const char* target : {"Debug", "Release"}) {
    text += "[PROJECT!MACRO!";
    text += target;
    text += "]\n";
    for (const char* key : kTargetKeys) {
      if (data.ConsumeBool()) AppendSetting(data, key, &text);
    }
    for (const char* list : kTargetLists)
      AppendList(data, list, &text);
    for (const std::string& file : *files) {
      if (!data.ConsumeBool()) continue;
      text += '[';
      text += target;
      text += '!';
      text += file;
      text += "]\n";
      for (const char* key : kFileKeys) {
        if (data.ConsumeBool()) AppendSetting(data, key, &text);
      }
      for (const char* list : kFileLists)
        AppendList(data, list, &text);
    }
  }
  return text;
}

// Keeps the coverage of a check out of what libFuzzer sees, except for the
// edges the check alone reached. A determinism check runs the same code
// again: counts that grow only because of that tell libFuzzer nothing, yet
// each edge's higher count is a feature of its own, so that one input in
// eight would count anew every edge of generation (and keep inputs in the
// corpus for it), which slows every execution.
class CheckCoverage {
 public:
  // The counts of the input so far.
  void Save() {
    const uint8_t* begin = zelvan::fuzzing::EdgeCountersBegin();
    size_ = static_cast<size_t>(zelvan::fuzzing::EdgeCountersEnd() - begin);
    if (saved_ == nullptr) saved_ = std::make_unique<uint8_t[]>(size_);
    if (size_ != 0) std::memcpy(saved_.get(), begin, size_);
  }
  // The counts saved, and those of the edges first reached since. Plain
  // loops on plain pointers: this file's own code is left uninstrumented,
  // but the library's templates are not, and would count edges of their own.
  void Restore() const {
    uint8_t* counters = zelvan::fuzzing::EdgeCountersBegin();
    const uint8_t* saved = saved_.get();
    for (size_t i = 0; i < size_; ++i) {
      if (saved[i] != 0) counters[i] = saved[i];
    }
  }

 private:
  std::unique_ptr<uint8_t[]> saved_;
  size_t size_ = 0;
};

// The in-memory file system with the status of each path remembered until
// the next change: generation asks for the status of the project file at
// every setting it reads, and the in-memory one works each path out anew.
class StatCache : public zelvan::FileSystem {
 public:
  explicit StatCache(zelvan::FileSystem& fs) : fs_(fs) {}

  bool Stat(std::string_view path, zelvan::FileStatus* status) override {
    auto it = stats_.find(path);
    if (it == stats_.end()) {
      zelvan::FileStatus found;
      bool exists = fs_.Stat(path, &found);
      it = stats_.emplace(std::string(path), std::make_pair(exists, found)).first;
    }
    *status = it->second.second;
    return it->second.first;
  }
  std::string GetCurrentDirectory() const override { return fs_.GetCurrentDirectory(); }
  zelvan::Status SetCurrentDirectory(std::string_view dir) override {
    return Changed(fs_.SetCurrentDirectory(dir));
  }
  zelvan::Status ReadFile(std::string_view path, std::string* contents) override {
    return fs_.ReadFile(path, contents);
  }
  std::unique_ptr<zelvan::WritableFile> OpenForWrite(std::string_view path) override {
    stats_.clear();
    return Watched(fs_.OpenForWrite(path));
  }
  std::unique_ptr<zelvan::WritableFile> CreateFileLike(std::string_view path,
                                                       std::string_view like) override {
    stats_.clear();
    return Watched(fs_.CreateFileLike(path, like));
  }
  zelvan::Status AppendToFile(std::string_view path, std::string_view data) override {
    return Changed(fs_.AppendToFile(path, data));
  }
  zelvan::Status Rename(std::string_view from, std::string_view to) override {
    return Changed(fs_.Rename(from, to));
  }
  zelvan::Status DeleteFile(std::string_view path) override {
    return Changed(fs_.DeleteFile(path));
  }
  zelvan::Status CopyFile(std::string_view from, std::string_view to,
                          bool fail_if_exists) override {
    return Changed(fs_.CopyFile(from, to, fail_if_exists));
  }
  zelvan::Status MoveFile(std::string_view from, std::string_view to) override {
    return Changed(fs_.MoveFile(from, to));
  }
  zelvan::Status SetReadOnly(std::string_view path, bool read_only) override {
    return Changed(fs_.SetReadOnly(path, read_only));
  }
  zelvan::Status CreateDirectory(std::string_view path) override {
    zelvan::Status made = Changed(fs_.CreateDirectory(path));
    if (made) made_.emplace_back(path);
    return made;
  }
  zelvan::Status RemoveDirectory(std::string_view path) override {
    return Changed(fs_.RemoveDirectory(path));
  }
  zelvan::Status ListDirectory(std::string_view dir, std::string_view pattern,
                               std::vector<zelvan::DirectoryEntry>* entries) override {
    return fs_.ListDirectory(dir, pattern, entries);
  }
  bool GetShortPathName(std::string_view path, std::string* short_path) override {
    return fs_.GetShortPathName(path, short_path);
  }
  std::string ToHostPath(std::string_view path) override { return fs_.ToHostPath(path); }
  std::string FromHostPath(std::string_view host_path) const override {
    return fs_.FromHostPath(host_path);
  }
  // Files written behind this one's back (the fixtures).
  void Forget() { stats_.clear(); }
  // Removes the directories made through this one, last made first (so
  // inner ones go before outer ones): each input's output directories
  // would otherwise pile up. They must hold no files.
  void RemoveMadeDirectories() {
    for (auto it = made_.rbegin(); it != made_.rend(); ++it)
      fs_.RemoveDirectory(*it);
    made_.clear();
    stats_.clear();
  }

 private:
  // A file being written changes its status with every call.
  class WatchedFile : public zelvan::WritableFile {
   public:
    WatchedFile(std::unique_ptr<zelvan::WritableFile> file, StatCache& cache)
        : file_(std::move(file)), cache_(cache) {}
    zelvan::Status Append(std::string_view data) override {
      return cache_.Changed(file_->Append(data));
    }
    zelvan::Status Flush() override { return cache_.Changed(file_->Flush()); }
    zelvan::Status Sync() override { return file_->Sync(); }
    zelvan::Status Close() override { return cache_.Changed(file_->Close()); }

   private:
    std::unique_ptr<zelvan::WritableFile> file_;
    StatCache& cache_;
  };
  struct Hash {
    using is_transparent = void;
    size_t operator()(std::string_view text) const { return std::hash<std::string_view>()(text); }
  };

  zelvan::Status Changed(zelvan::Status result) {
    stats_.clear();
    return result;
  }
  std::unique_ptr<zelvan::WritableFile> Watched(std::unique_ptr<zelvan::WritableFile> file) {
    if (!file) return nullptr;
    return std::make_unique<WatchedFile>(std::move(file), *this);
  }

  zelvan::FileSystem& fs_;
  std::unordered_map<std::string, std::pair<bool, zelvan::FileStatus>, Hash, std::equal_to<>>
      stats_;
  std::vector<std::string> made_;
};

// The fixed world, made once: the platform (the test platform's parts over
// the status cache), the library project, the IDE's list and a workspace
// kept open on them. Each input brings the application project, which the
// kept workspace takes in for the input and gives up after it, and leaves
// nothing behind (Reset), so that inputs do not depend on each other.
class World {
 public:
  World() {
    system_.env["TEMP"] = "C:\\Temp";
    system_.env["PATH"] = "C:\\Windows;C:\\KOVA\\bin";
    memory_.AddDirectory("C:\\Temp");
    memory_.AddFile(kLibProject, "[PROJECT]\r\nOUTPUT=Lib.lib\r\nTARGET=Debug;\r\n");
    ide_.project_files = {kAppProject, kLibProject};
    // The application project is not there yet: the workspace opens with the library alone.
    kept_ = std::make_unique<zelvan::Workspace>(platform_, settings_, ide_, &hooks_);
    if (!kept_->document().Open(kWorkspace)) std::abort();
    lib_ = kept_->projects().Find("Lib");
    if (lib_ == nullptr) std::abort();
    // What the open made (the library's working copy) stays with the world.
    profile_.FlushAll();
    for (const std::string& file : memory_.AllFiles())
      fixed_.insert(file);
    Reset();
  }

  // The makefile of the project in `mode`, with the dependencies given, in
  // the kept workspace; `twice`: generated a second time there, which must
  // give the same text; `anew`: generated once more in a workspace opened
  // for it, which must give the same text too.
  std::string Generate(const std::string& project_text,
                       const std::vector<std::vector<std::string>>& dependencies,
                       zelvan::MakeMode mode, bool clean, bool twice, bool anew) {
    memory_.AddFile(kAppProject, zelvan::testing::Crlf(project_text));
    cache_.Forget();
    std::string text;
    std::string error;
    if (zelvan::Project* project = kept_->InsertProject(kAppProject, lib_, &error)) {
      // Opening leaves out a project without an output name.
      if (!project->paths().output_name.empty()) {
        text = Generate(*kept_, states_, *project, dependencies, mode, clean, twice);
      }
      kept_->RemoveProject(project, nullptr);
    }
    kept_->dependency_paths().Clear();
    Reset();
    if (anew) {
      check_coverage_.Save();
      std::string again = Anew(project_text, dependencies, mode, clean);
      check_coverage_.Restore();
      if (again != text) std::abort();
    }
    return text;
  }

 private:
  static constexpr const char* kWorkspace = "C:\\ws\\Demo.kws";
  static constexpr const char* kAppProject = "C:\\ws\\app\\App.kbp";
  static constexpr const char* kLibProject = "C:\\ws\\lib\\Lib.kbp";

  std::string Generate(zelvan::Workspace& workspace, zelvan::MakeStateStore& states,
                       zelvan::Project& project,
                       const std::vector<std::vector<std::string>>& dependencies,
                       zelvan::MakeMode mode, bool clean, bool twice) {
    const auto& sources = project.sources().Files();
    for (size_t i = 0; i < sources.size() && i < dependencies.size(); ++i) {
      for (const char* target : {"Debug", "Release"}) {
        zelvan::DependencyRecord record{target};
        record.SetDependencies(workspace.dependency_paths(), dependencies[i], {});
        sources[i]->dependencies().records.push_back(record);
      }
    }
    std::string text;
    zelvan::OutputPlan plan;
    zelvan::GenerateKmakeText(workspace, states, project, nullptr, mode, std::nullopt, clean, &text,
                              &plan);
    (void)zelvan::ApplyOutputPlan(*workspace.platform().fs, plan);
    std::string again;
    if (twice) {
      check_coverage_.Save();
      zelvan::OutputPlan again_plan;
      zelvan::GenerateKmakeText(workspace, states, project, nullptr, mode, std::nullopt, clean,
                                &again, &again_plan);
      check_coverage_.Restore();
      if (again != text) std::abort();
    }
    return text;
  }

  // The same in a workspace opened anew, which holds nothing of the inputs before.
  std::string Anew(const std::string& project_text,
                   const std::vector<std::vector<std::string>>& dependencies, zelvan::MakeMode mode,
                   bool clean) {
    memory_.AddFile(kAppProject, zelvan::testing::Crlf(project_text));
    cache_.Forget();
    std::string text;
    {
      zelvan::Workspace workspace(platform_, settings_, ide_, &hooks_);
      if (workspace.document().Open(kWorkspace)) {
        if (zelvan::Project* project = workspace.projects().Find("App"))
          text = Generate(workspace, states_, *project, dependencies, mode, clean, false);
        workspace.document().Close();
      }
    }
    Reset();
    return text;
  }

  // Back to the fixed world: every file a run wrote goes, the IDE forgets.
  // Within the input, so that what it made is freed before it ends (the
  // leak check runs on every input that frees less than it allocated).
  void Reset() {
    profile_.FlushAll();
    for (const std::string& file : memory_.AllFiles()) {
      if (fixed_.count(file) == 0) {
        profile_.Forget(file);
        memory_.DeleteFile(file);
      }
    }
    cache_.RemoveMadeDirectories();
    ide_.calls.clear();
    ide_.settings.clear();
  }

  zelvan::testing::MemoryFileSystem memory_;
  StatCache cache_{memory_};
  zelvan::PrivateProfile profile_{cache_};
  std::unique_ptr<zelvan::Registry> registry_ =
      zelvan::CreateFileRegistry(profile_, "C:\\registry.ini");
  zelvan::testing::FakeSystemServices system_;
  zelvan::testing::RecordingIdeServices ide_;
  zelvan::Platform platform_{&cache_, &profile_, registry_.get(), &system_, &ide_};
  zelvan::ServiceSettings settings_{platform_};
  std::set<std::string> fixed_;
  CheckCoverage check_coverage_;
  zelvan::MakeStateStore states_;
  zelvan::MakeStateHooks hooks_{states_};
  std::unique_ptr<zelvan::Workspace> kept_;
  zelvan::Project* lib_ = nullptr;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  static World* world = new World();
  FuzzedDataProvider data(bytes, size);
  // The checks of determinism cost a generation and an open each: one input
  // in eight generates twice, one in sixteen in a workspace opened anew as
  // well. Their byte is taken first (the input's last): taken last, it would
  // be zero for every input the project used up, and nearly every input
  // would generate twice and none anew.
  const uint8_t checks = data.ConsumeIntegral<uint8_t>();
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
  const zelvan::MakeMode kModes[] = {zelvan::NormalMode, zelvan::SubProjectMode, zelvan::FalMode};
  zelvan::MakeMode mode = data.PickValueInArray(kModes);
  bool clean = data.ConsumeBool();
  world->Generate(project, dependencies, mode, clean, checks % 8 == 0, checks % 16 == 1);
  return 0;
}
