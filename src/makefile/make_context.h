// The context of one block of a makefile: a project, one of its targets and
// the generation mode, with the settings that every rule of the block reads
// (read once, when the context is made) and the state of each source file
// for the target. PrepareTarget runs before any text of the block: it
// finds the files whose output another file consumes and fills the macro
// tables that custom build steps substitute with.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "makefile/dependency_paths.h"
#include "makefile/make_mode.h"
#include "makefile/make_paths.h"
#include "makefile/make_state.h"
#include "makefile/rule_text.h"

namespace zelvan {

class CpuTable;
class Project;
class SourceFile;
class Workspace;
class ReadOnlyFileSystem;
struct OutputPlan;

// The per-target keys of the variable block, in its order.
inline constexpr std::array<const char*, 8> kVariableKeys = {
    "DefaultTEMP", "DefaultOUTPUT", "DefaultWORK", "TEMP",
    "OUTPUT",      "WORK",          "TARGET",      "TARGET_NAME"};

// A source file as one target sees it.
struct FileState {
  SourceFile* file = nullptr;
  bool built = false;        // not excluded by NoBuild
  int32_t custom_build = 0;  // CustomBuild
  // COMPILE; else the target's (MakeContext::Options), unless
  // BlankCompileOption is "1".
  std::string own_options;
  bool default_options = false;
  std::string own_temp;  // the file's own TEMP
  // Its own TEMP, else the target's.
  const std::string& temp() const { return own_temp.empty() ? *target_temp : own_temp; }
  bool has_output_option = false;
  // The argument of "-o" in its options.
  const std::string& output_argument() const {
    return default_options ? *default_output_argument : own_output_argument;
  }
  // The target's values the two above fall back to, kept by the context:
  // most files share them, and copying them for every file of every block
  // was a good part of the block's cost.
  const std::string* target_temp = nullptr;
  const std::string* default_output_argument = nullptr;
  std::string own_output_argument;  // of its own options
  // The file's include dependencies of the target, found once: every rule
  // and pass of the block reads them.
  const DependencyRecord* record = nullptr;
};

// Asks the processor for the data of the files after `files[i]`: a pass
// that writes a rule per file calls it for each. The files' data lie
// scattered on the heap, and in a large project they are out of the cache
// again by the time the rules are written: those passes waited on memory
// more than they worked. Two steps: first the objects a few files ahead,
// then, once those are there, the texts and dependency ids they point to.
// Always in line: GCC takes a function that only prefetches for one
// without effect and drops the calls.
[[gnu::always_inline]] inline void PrefetchFilesAhead(const std::vector<FileState>& files,
                                                      size_t i) {
  constexpr size_t kObjectsAhead = 8, kTextsAhead = 4;
  if (i + kObjectsAhead < files.size()) {
    const FileState& state = files[i + kObjectsAhead];
    __builtin_prefetch(state.file);
    __builtin_prefetch(state.record);  // a null one is no fault
  }
  if (i + kTextsAhead < files.size()) {
    const FileState& state = files[i + kTextsAhead];
    __builtin_prefetch(state.file->RelativePath().data());
    __builtin_prefetch(state.file->ObjectName().data());
    if (state.record != nullptr) {
      std::span<const DependencyPathId> ids = state.record->path_ids();
      const char* bytes = reinterpret_cast<const char*>(ids.data());
      for (size_t at = 0; at < ids.size_bytes(); at += 64)
        __builtin_prefetch(bytes + at);
    }
  }
}

// A file's compile options as the compile rule reads them.
struct OptionFacts {
  bool has_p = false;     // "-P" (preprocess too), which the rule takes out
  std::string without_p;  // the options without it
  SideFileFacts side;     // of those, with "-Oal" and "-c"
};

// A build event or the project custom build of a target.
struct BuildStep {
  std::string title;  // the event's title, or the custom build's comment
  std::vector<std::string> commands;
  std::vector<std::string> outputs;  // the project custom build only
};

class MakeContext {
 public:
  // `states` holds what generation keeps on the project (make_state.h).
  // `cpus` may be null: no TOOLS lines and no system directories then.
  // `target` must be one of the project's targets. The folders and files
  // the rules need go to `plan`; without one the text is only looked at.
  MakeContext(Workspace& workspace, MakeStateStore& states, Project& project, const CpuTable* cpus,
              std::string_view target, MakeMode mode, OutputPlan* plan = nullptr);
  ~MakeContext();
  MakeContext(const MakeContext&) = delete;
  MakeContext& operator=(const MakeContext&) = delete;

  Workspace& workspace() const { return workspace_; }
  Project& project() const { return project_; }
  // The project's macro table and makefile mark, kept between generations.
  ProjectMakeState& make_state() const { return make_state_; }
  const CpuTable* cpus() const { return cpus_; }
  // Generators only read: what they make goes to plan().
  ReadOnlyFileSystem& fs() const { return fs_; }
  // The target as the project spells it.
  const std::string& target() const { return target_; }
  MakeMode mode() const { return mode_; }
  bool fal() const { return mode_ == FalMode; }
  // Null when the text is only looked at.
  OutputPlan* plan() const { return plan_; }
  // Objects beside the sources: the target's "SourceFolder" is "1".
  bool source_folder() const { return source_folder_; }

  // --- Settings of the target.
  const std::string& default_compile() const { return default_compile_; }
  // The compile options of a file.
  const std::string& Options(const FileState& state) const {
    return state.default_options ? default_compile_ : state.own_options;
  }
  const std::string& link_options() const { return link_options_; }
  const std::string& convert_options() const { return convert_options_; }
  const std::string& temp_dir() const { return temp_dir_; }      // TEMP, else DefaultTEMP
  const std::string& output_dir() const { return output_dir_; }  // OUTPUT, else DefaultOUTPUT
  const std::string& work_dir() const { return work_dir_; }      // WORK, else DefaultWORK
  const std::string& library_output() const { return library_output_; }
  // The value of one of kVariableKeys, as stored.
  const std::string& variable(std::string_view key) const;

  const BuildStep& before_build() const { return before_build_; }
  const BuildStep& before_link() const { return before_link_; }
  const BuildStep& after_build() const { return after_build_; }
  const BuildStep& custom_build() const { return custom_build_; }

  // --- The module the link step makes.
  bool is_library() const;
  // The link options hold "-o"; its argument.
  bool has_link_output() const { return has_link_output_; }
  const std::string& link_output() const { return link_output_; }
  // Full directory (ending in `\`, with kFalDirectory in FalMode) and name.
  const std::string& module_dir() const { return module_dir_; }
  const std::string& module_name() const { return module_name_; }
  std::string module_path() const { return module_dir_ + module_name_; }
  // Not a library, and convert options to run.
  bool has_conversion() const;

  // --- Files, in project order.
  std::vector<FileState>& files() { return files_; }
  const std::vector<FileState>& files() const { return files_; }
  // Set by PrepareTarget: whether a project custom build output feeds a file.
  std::vector<bool>& consumed_project_outputs() { return consumed_project_outputs_; }
  bool AnyProjectOutputConsumed() const;

  // --- Paths against the project directory.
  MakePaths& paths() const { return paths_; }
  // Appends each dependency path of the file for the target as a rule lists
  // it, a blank before each: relative to the project directory (a relative
  // path stays as it is), then quoted when it holds a blank; as stored
  // (quoted) in source-folder mode.
  void AppendDependencies(const FileState& state, std::string* out);
  // What the rules ask of a file's compile options, worked out once per
  // distinct options text (most files of a target share the target's).
  const OptionFacts& FactsOf(const std::string& options);
  // Plans a directory (relative: below the project directory), unless it
  // names a macro.
  void EnsureDirectory(std::string_view dir);
  // The custom build outputs of a file on one line (FileCBuildOutputs), the
  // directory of each output without `$` planned. Quote mode 1: `"output" `
  // for each; other modes: joined by single blanks.
  std::string CBuildOutputText(const FileState& state, int quote_mode);

 private:
  void ReadStep(const char* title_key, const char* base, BuildStep* step) const;

  Workspace& workspace_;
  Project& project_;
  ProjectMakeState& make_state_;
  const CpuTable* cpus_;
  ReadOnlyFileSystem& fs_;
  std::string target_;
  MakeMode mode_;
  OutputPlan* plan_;
  bool source_folder_ = false;
  std::string default_compile_, link_options_, convert_options_;
  std::string temp_dir_, output_dir_, work_dir_, library_output_;
  std::array<std::string, 8> variables_;
  BuildStep before_build_, before_link_, after_build_, custom_build_;
  bool has_link_output_ = false;
  std::string link_output_;
  std::string module_dir_, module_name_;
  std::string default_output_argument_;  // of "-o" in default_compile_
  std::vector<FileState> files_;
  std::vector<bool> consumed_project_outputs_;
  mutable MakePaths paths_;               // its look-ups are memos, not state
  DependencyTextArena dependency_texts_;  // each with a blank before it
  std::unordered_map<std::string, OptionFacts> option_facts_;
  const std::pair<const std::string, OptionFacts>* last_facts_ = nullptr;  // of option_facts_
};

// About the size of the block's text, for room at once: the text of a
// large project is megabytes, which grown step by step is copied again and
// again. Each file takes a rule, its Clean lines and its name in the lists,
// and its dependencies.
size_t EstimatedTextSize(const MakeContext& context);

// The preparation pass of a block. For every file: Outputs (the custom
// build outputs, or the object), Inputs (its own path and custom build
// dependencies) and ConsumedOutput (an output that is an input of a built
// file: its own path, a custom build dependency or an include dependency;
// such a file stays out of "all" and Clean, its consumer makes it).
// Then the project custom build outputs that feed a file, the project
// macro table (the IDE macro block) and the macro table of every file
// with a custom build step. Paths are compared as full lower-case paths.
void PrepareTarget(MakeContext& context);

// The custom build outputs of a file for the context's target, each
// substituted with the file's macro table and then the project's.
std::vector<std::string> FileCBuildOutputs(const MakeContext& context, const FileState& state);

}  // namespace zelvan
