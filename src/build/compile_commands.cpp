#include "build/compile_commands.h"

#include <nlohmann/json.hpp>

#include <unordered_map>

#include "build/compile_rules.h"
#include "build/make_context.h"
#include "build/rule_text.h"
#include "model/one_project_data.h"
#include "model/one_source_file.h"
#include "model/path_functions.h"
#include "model/project_data.h"
#include "platform/file_system.h"
#include "platform/win_path.h"
#include "toolchain/cpu_tools.h"
#include "toolchain/lang_tools.h"
#include "toolchain/option_text.h"

namespace zelvan {

namespace {

std::string Unquoted(std::string_view text) {
  if (text.size() >= 2 && text.front() == '"' && text.back() == '"') {
    return std::string(text.substr(1, text.size() - 2));
  }
  return std::string(text);
}

class Database {
 public:
  Database(CProjectData& workspace, const CCPUTools* cpus)
      : fs_(*workspace.platform().fs), workspace_(workspace), cpus_(cpus) {}

  void AddProject(COneProjectData& project, std::string_view target) {
    MakeContext context(workspace_, project, cpus_, target, NormalMode, /*prepare_disk=*/false);
    std::string directory = Host(StripTrailingSlash(project.ProjectDirectory()));
    std::vector<std::string> system_includes;
    if (cpus_ != nullptr) cpus_->GetIncludeDirs(project.Cpu(), &system_includes);
    for (std::string& dir : system_includes)
      dir = Host(StripTrailingSlash(dir));
    std::unordered_map<std::string, std::string> tools;  // by tool kind
    for (FileState& state : context.files()) {
      COneSourceFile& file = *state.file;
      if (!state.built || state.custom_build != 0 || !IsCompiledToolIndex(file.ToolKind())) {
        continue;
      }
      std::string source = Host(file.FullPath());
      std::string object = Object(context, state);
      nlohmann::ordered_json arguments = nlohmann::ordered_json::array();
      auto tool = tools.find(file.ToolKindName());
      if (tool == tools.end()) {
        tool = tools.emplace(file.ToolKindName(), Tool(project, file.ToolKindName())).first;
      }
      arguments.push_back(tool->second);
      std::string options = context.Options(state);
      RemoveWordOption(options, "-P", &options);
      AddOptions(context, options, &arguments);
      if (!HasOption(options, "-c")) arguments.push_back("-c");
      for (const std::string& dir : system_includes) {
        arguments.push_back("-I");
        arguments.push_back(dir);
      }
      arguments.push_back(source);
      if (!state.has_output_option) {
        arguments.push_back("-o");
        arguments.push_back(object);
      }
      nlohmann::ordered_json entry;
      entry["directory"] = directory;
      entry["file"] = std::move(source);
      entry["output"] = std::move(object);
      entry["arguments"] = std::move(arguments);
      // One entry a line, serialised at once: the whole tree is never held,
      // and a name that is no UTF-8 (a double-byte code page) is written
      // with replacement characters instead of failing.
      text_ += text_.size() > 2 ? ",\n" : "";
      text_ += entry.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
    }
  }

  std::string Text() { return text_ + "\n]\n"; }

 private:
  // A full system path on the host; the path with "/" when it has no place there.
  const std::string& Host(const std::string& full) {
    auto it = hosts_.find(full);
    if (it != hosts_.end()) return it->second;
    std::string host = fs_.ToHostPath(full);
    if (host.empty()) {
      host = full;
      for (char& c : host) {
        if (c == '\\') c = '/';
      }
    }
    return hosts_.emplace(full, std::move(host)).first->second;
  }

  // Objects share a few directories: each is mapped once.
  std::string Object(MakeContext& context, const FileState& state) {
    std::string path = Unquoted(GetObjectPath(context, state, /*create_dir=*/false));
    size_t at = path.find("$(TEMP)");
    if (at != std::string::npos) path.replace(at, 7, StripTrailingBackslash(state.temp));
    std::string full = context.FullPath(path);
    return Host(StripTrailingSlash(GetFileDirectory(full))) + "/" + FileNamePart(full);
  }

  // The program a TOOLS line names, found in the CPU family's executable directories.
  std::string Tool(const COneProjectData& project, const std::string& kind) {
    const CCPUInfo* cpu = cpus_ == nullptr ? nullptr : cpus_->FindCpu(project.Cpu());
    if (cpu == nullptr) return kind;
    std::string name = kind;
    for (size_t i = 0; i < cpu->ToolKeys.size(); ++i) {
      if (cpu->ToolKeys[i] == kind) name = cpu->ToolValues[i];
    }
    std::vector<std::string> dirs;
    cpus_->GetExecutableDirs(project.Cpu(), &dirs);
    for (const std::string& dir : dirs) {
      FileStatus status;
      std::string candidate = AppendLastSlash(dir) + name;
      if (fs_.Stat(candidate, &status) && !status.is_directory) return Host(candidate);
    }
    return name;
  }

  // The options as arguments, unquoted, each directory or file they name
  // made a full host path.
  void AddOptions(const MakeContext& context, std::string_view options,
                  nlohmann::ordered_json* arguments) {
    bool path_next = false;
    for (std::string_view slice : ArgumentSlices(options)) {
      std::string argument = Unquoted(slice);
      if (path_next) {
        argument = Host(context.FullPath(argument));
        path_next = false;
      } else if (argument == "-I" || argument == "-o") {
        path_next = true;
      } else if (argument.starts_with("-I")) {
        argument = "-I" + Host(context.FullPath(Unquoted(std::string_view(argument).substr(2))));
      }
      arguments->push_back(std::move(argument));
    }
  }

  FileSystem& fs_;
  CProjectData& workspace_;
  const CCPUTools* cpus_;
  std::unordered_map<std::string, std::string> hosts_;
  std::string text_ = "[\n";
};

}  // namespace

std::string BuildCompileCommands(CProjectData& workspace,
                                 const std::vector<COneProjectData*>& projects,
                                 const CCPUTools* cpus, std::optional<std::string_view> target) {
  Database database(workspace, cpus);
  for (COneProjectData* project : projects) {
    if (target) {
      if (project->HasTarget(*target)) database.AddProject(*project, *target);
      continue;
    }
    for (const std::string& name : project->Targets())
      database.AddProject(*project, name);
  }
  return database.Text();
}

}  // namespace zelvan
