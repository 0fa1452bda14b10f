#include "makefile/compile_commands.h"

#include <nlohmann/json.hpp>

#include <unordered_map>

#include "makefile/compile_rules.h"
#include "makefile/make_context.h"
#include "makefile/rule_text.h"
#include "model/path_functions.h"
#include "model/project.h"
#include "model/source_file.h"
#include "model/workspace.h"
#include "platform/file_system.h"
#include "platform/win_path.h"
#include "toolchain/cpu_table.h"
#include "toolchain/language_table.h"
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
  Database(Workspace& workspace, MakeStateStore& states, const CpuTable* cpus)
      : fs_(*workspace.platform().fs), workspace_(workspace), states_(states), cpus_(cpus) {}

  void AddProject(Project& project, std::string_view target) {
    MakeContext context(workspace_, states_, project, cpus_, target, NormalMode, /*plan=*/nullptr);
    std::string encoded_directory =
        Encode(Host(StripTrailingSlash(project.paths().project_directory)));
    std::vector<std::string> system_includes;
    if (cpus_ != nullptr) cpus_->GetIncludeDirs(project.Cpu(), &system_includes);
    for (std::string& dir : system_includes)
      dir = Host(StripTrailingSlash(dir));
    std::unordered_map<std::string, std::string> tools;  // by tool kind
    leading_.clear();  // options and objects name paths relative to this project
    object_dirs_.clear();
    // The sources mapped in one call: the file system reads each folder once.
    std::vector<std::string> sources;
    for (FileState& state : context.files()) {
      if (Entered(state) && hosts_.find(state.file->FullPath()) == hosts_.end())
        sources.push_back(state.file->FullPath());
    }
    std::vector<std::string> mapped = fs_.ToHostPaths(sources);
    for (size_t i = 0; i < sources.size(); ++i) {
      if (mapped[i].empty()) mapped[i] = ForwardSlashes(sources[i]);
      hosts_.emplace(std::move(sources[i]), std::move(mapped[i]));
    }
    for (FileState& state : context.files()) {
      SourceFile& file = *state.file;
      if (!Entered(state)) continue;
      std::string source = Host(file.FullPath());
      std::string object = Object(context, state);
      // Most files of a target share tool and options: their leading
      // arguments are formed and encoded once.
      const std::string& stored = context.Options(state);
      key_.assign(file.ToolKindName());
      key_ += '\n';
      key_ += stored;
      auto leading = leading_.find(key_);
      if (leading == leading_.end()) {
        std::string options = stored;
        nlohmann::ordered_json first = nlohmann::ordered_json::array();
        auto tool = tools.find(file.ToolKindName());
        if (tool == tools.end()) {
          tool = tools.emplace(file.ToolKindName(), Tool(project, file.ToolKindName())).first;
        }
        first.push_back(tool->second);
        RemoveWordOption(options, "-P", &options);
        AddOptions(context, options, &first);
        if (!HasOption(options, "-c")) first.push_back("-c");
        for (const std::string& dir : system_includes) {
          first.push_back("-I");
          first.push_back(dir);
        }
        std::string encoded = Encode(first);
        encoded.pop_back();  // the array stays open for the file's own arguments
        leading = leading_.emplace(key_, std::move(encoded)).first;
      }
      // One entry a line, its values encoded by the library: the whole tree
      // is never held, and a name that is no UTF-8 (a double-byte code
      // page) is written with replacement characters instead of failing.
      text_ += text_.size() > 2 ? ",\n" : "";
      text_ += "{\"directory\":";
      text_ += encoded_directory;
      encoded_source_.clear();
      AppendEncoded(source, &encoded_source_);
      encoded_object_.clear();
      AppendEncoded(object, &encoded_object_);
      text_ += ",\"file\":";
      text_ += encoded_source_;
      text_ += ",\"output\":";
      text_ += encoded_object_;
      text_ += ",\"arguments\":";
      text_ += leading->second;
      text_ += ',';
      text_ += encoded_source_;
      if (!state.has_output_option) {
        text_ += ",\"-o\",";
        text_ += encoded_object_;
      }
      text_ += "]}";
    }
  }

  std::string Text() { return text_ + "\n]\n"; }

  // Editors' C tools read C sources only, not the assembler's.
  static bool Entered(const FileState& state) {
    return state.built && state.custom_build == 0 && state.file->ToolKind() == kToolIndexCompiler;
  }

  static std::string Encode(const nlohmann::ordered_json& value) {
    return value.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
  }

  // A string encoded as Encode does. Printable ASCII without a quote or a
  // backslash (nearly every path) stands as it is between quotes, without
  // building a JSON value for it: every file has two.
  static void AppendEncoded(std::string_view text, std::string* out) {
    for (char c : text) {
      auto byte = static_cast<unsigned char>(c);
      if (byte < 0x20 || byte >= 0x7F || c == '"' || c == '\\') {
        *out += Encode(std::string(text));
        return;
      }
    }
    *out += '"';
    *out += text;
    *out += '"';
  }

 private:
  // A full system path on the host; the path with "/" when it has no place there.
  const std::string& Host(const std::string& full) {
    auto it = hosts_.find(full);
    if (it != hosts_.end()) return it->second;
    std::string host = fs_.ToHostPath(full);
    if (host.empty()) host = ForwardSlashes(full);
    return hosts_.emplace(full, std::move(host)).first->second;
  }

  // The object's full host path.
  std::string Object(MakeContext& context, const FileState& state) {
    std::string path = Unquoted(GetObjectPath(context, state, /*create_dir=*/false));
    size_t at = path.find("$(TEMP)");
    if (at != std::string::npos) path.replace(at, 7, StripTrailingBackslash(state.temp));
    // Objects share a few directories: each is made full and mapped once.
    size_t slash = FindLastSeparator(path);
    std::string_view name =
        std::string_view(path).substr(slash == std::string::npos ? 0 : slash + 1);
    if (name.empty() || name == "." || name == "..") {
      std::string full = context.paths().FullPath(path);
      return Host(StripTrailingSlash(GetFileDirectory(full))) + "/" + FileNamePart(full);
    }
    std::string dir = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    auto known = object_dirs_.find(dir);
    if (known == object_dirs_.end()) {
      std::string host = Host(StripTrailingSlash(GetFileDirectory(context.paths().FullPath(path))));
      known = object_dirs_.emplace(std::move(dir), std::move(host)).first;
    }
    return known->second + "/" + std::string(name);
  }

  // The program a TOOLS line names, found in the CPU family's executable directories.
  std::string Tool(const Project& project, const std::string& kind) {
    const CpuInfo* cpu = cpus_ == nullptr ? nullptr : cpus_->FindCpu(project.Cpu());
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
        argument = Host(context.paths().FullPath(argument));
        path_next = false;
      } else if (argument == "-I" || argument == "-o") {
        path_next = true;
      } else if (argument.starts_with("-I")) {
        argument =
            "-I" + Host(context.paths().FullPath(Unquoted(std::string_view(argument).substr(2))));
      }
      arguments->push_back(std::move(argument));
    }
  }

  ReadOnlyFileSystem& fs_;
  Workspace& workspace_;
  MakeStateStore& states_;
  const CpuTable* cpus_;
  std::unordered_map<std::string, std::string> hosts_;
  std::unordered_map<std::string, std::string> object_dirs_;  // host directory, by its text
  std::unordered_map<std::string, std::string> leading_;      // encoded, by tool and options
  std::string text_ = "[\n";
  std::string encoded_source_, encoded_object_;  // of the entry being written
  std::string key_;                              // of leading_, for the entry being written
};

}  // namespace

std::string BuildCompileCommands(Workspace& workspace, MakeStateStore& states,
                                 const std::vector<Project*>& projects, const CpuTable* cpus,
                                 std::optional<std::string_view> target) {
  Database database(workspace, states, cpus);
  for (Project* project : projects) {
    if (target) {
      if (project->targets().Has(*target)) database.AddProject(*project, *target);
    } else if (!project->targets().CurrentOrFirst().empty()) {
      database.AddProject(*project, project->targets().CurrentOrFirst());
    }
  }
  return database.Text();
}

}  // namespace zelvan
