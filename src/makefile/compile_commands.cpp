#include "makefile/compile_commands.h"

#include <nlohmann/json.hpp>

#include <array>
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

// The text between a pair of enclosing quotes, else the text.
std::string_view Unquoted(std::string_view text) {
  if (text.size() >= 2 && text.front() == '"' && text.back() == '"') {
    return text.substr(1, text.size() - 2);
  }
  return text;
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
    last_leading_ = nullptr;
    object_dirs_.clear();
    last_object_dir_ = nullptr;
    // The sources mapped in one call: the file system reads each folder once.
    // Each file's host path is found here, so the loop below hashes nothing.
    std::vector<FileState>& files = context.files();
    std::vector<const std::string*> source_hosts(files.size(), nullptr);
    std::vector<size_t> unknown;
    std::vector<std::string> sources;
    for (size_t i = 0; i < files.size(); ++i) {
      if (!Entered(files[i])) continue;
      auto known = hosts_.find(files[i].file->FullPath());
      if (known != hosts_.end()) {
        source_hosts[i] = &known->second;
      } else {
        unknown.push_back(i);
        sources.push_back(files[i].file->FullPath());
      }
    }
    std::vector<std::string> mapped = fs_.ToHostPaths(sources);
    for (size_t k = 0; k < sources.size(); ++k) {
      if (mapped[k].empty()) mapped[k] = ForwardSlashes(sources[k]);
      // A file listed twice is mapped twice; the first stays.
      source_hosts[unknown[k]] =
          &hosts_.emplace(std::move(sources[k]), std::move(mapped[k])).first->second;
    }
    for (size_t i = 0; i < files.size(); ++i) {
      PrefetchFilesAhead(files, i);
      FileState& state = files[i];
      SourceFile& file = *state.file;
      if (!Entered(state)) continue;
      const std::string& source = *source_hosts[i];
      const std::string& object = Object(context, state);
      // Most files of a target share tool and options: their leading
      // arguments are formed and encoded once.
      const std::string& stored = context.Options(state);
      key_.assign(file.ToolKindName());
      key_ += '\n';
      key_ += stored;
      if (last_leading_ == nullptr || key_ != last_key_) {
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
        last_leading_ = &leading->second;
        last_key_ = key_;
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
      text_ += *last_leading_;
      text_ += ',';
      text_ += encoded_source_;
      if (!state.has_output_option) {
        text_ += ",\"-o\",";
        text_ += encoded_object_;
      }
      text_ += "]}";
    }
  }

  std::string Text() {
    text_ += "\n]\n";
    return std::move(text_);
  }

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
    static constexpr auto kPlain = [] {
      std::array<bool, 256> plain{};
      for (int c = 0x20; c < 0x7F; ++c)
        plain[static_cast<size_t>(c)] = c != '"' && c != '\\';
      return plain;
    }();
    for (char c : text) {
      if (!kPlain[static_cast<unsigned char>(c)]) {
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

  // The object's full host path, valid until the next call.
  const std::string& Object(MakeContext& context, const FileState& state) {
    object_.clear();
    AppendObjectPath(context, state, /*create_dir=*/false, &object_);
    // Formed in a buffer kept for its room: this runs for every file.
    std::string_view written = Unquoted(object_);
    std::string& path = path_;
    size_t at = written.find("$(TEMP)");
    if (at == std::string_view::npos) {
      path.assign(written);
    } else {
      std::string_view temp = state.temp();
      if (!temp.empty() && temp.back() == '\\') temp.remove_suffix(1);
      path.assign(written.substr(0, at));
      path += temp;
      path += written.substr(at + 7);
    }
    // Objects share a few directories: each is made full and mapped once,
    // and the last one is tried first.
    size_t slash = FindLastSeparator(path);
    std::string_view name =
        std::string_view(path).substr(slash == std::string::npos ? 0 : slash + 1);
    if (name.empty() || name == "." || name == "..") {
      std::string full = context.paths().FullPath(path);
      object_ = Host(StripTrailingSlash(GetFileDirectory(full))) + "/" + FileNamePart(full);
      return object_;
    }
    std::string_view dir =
        std::string_view(path).substr(0, slash == std::string::npos ? 0 : slash + 1);
    if (last_object_dir_ == nullptr || last_object_dir_->first != dir) {
      auto known = object_dirs_.find(std::string(dir));
      if (known == object_dirs_.end()) {
        std::string host =
            Host(StripTrailingSlash(GetFileDirectory(context.paths().FullPath(path))));
        known = object_dirs_.emplace(std::string(dir), std::move(host)).first;
      }
      last_object_dir_ = &*known;
    }
    object_.assign(last_object_dir_->second);
    object_ += '/';
    object_ += name;
    return object_;
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
      std::string argument(Unquoted(slice));
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
  const std::pair<const std::string, std::string>* last_object_dir_ = nullptr;  // of object_dirs_
  std::string object_;                                                          // the last Object
  std::string path_;                                      // Object's, as written with TEMP in place
  std::unordered_map<std::string, std::string> leading_;  // encoded, by tool and options
  std::string text_ = "[\n";
  std::string encoded_source_, encoded_object_;  // of the entry being written
  std::string key_;                              // of leading_, for the entry being written
  std::string last_key_;                         // of the last entry; files in a row share it
  const std::string* last_leading_ = nullptr;    // its value in leading_
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
