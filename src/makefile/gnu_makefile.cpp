#include "makefile/gnu_makefile.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <unordered_set>

#include "makefile/compile_rules.h"
#include "makefile/custom_build_rules.h"
#include "makefile/dependency_paths.h"
#include "makefile/host_make_text.h"
#include "makefile/make_context.h"
#include "makefile/make_variables.h"
#include "makefile/output_plan.h"
#include "makefile/rule_text.h"
#include "makefile/target_rules.h"
#include "model/dependency_record.h"
#include "model/message_texts.h"
#include "model/operation_status.h"
#include "model/path_functions.h"
#include "model/project.h"
#include "model/source_file.h"
#include "model/status_codes.h"
#include "model/substitute_macros.h"
#include "platform/ansi_text.h"
#include "platform/file_system.h"
#include "platform/win_path.h"
#include "storage/text_table.h"
#include "toolchain/cpu_table.h"
#include "toolchain/language_table.h"
#include "toolchain/option_text.h"

namespace zelvan {

namespace {

constexpr size_t kLongest = 16;  // longer than any numbered name
static_assert(std::all_of(kNumberedVariables.begin(), kNumberedVariables.end(),
                          [](std::string_view name) { return name.size() < kLongest; }));

// Asked for every "$(" of the text: the names are compared with those of
// the same length only, without hashing.
bool IsNumberedVariable(std::string_view name) {
  static const auto kByLength = [] {
    std::array<std::vector<std::string_view>, kLongest> by_length;
    for (std::string_view numbered : kNumberedVariables)
      by_length[numbered.size()].push_back(numbered);
    return by_length;
  }();
  if (name.size() >= kLongest) return false;
  for (std::string_view numbered : kByLength[name.size()]) {
    if (numbered == name) return true;
  }
  return false;
}

bool IsNameCharacter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

}  // namespace

void AppendNumbered(std::string_view text, int number, std::string* out) {
  AppendNumberedPiece(text, number, /*line_start=*/true, out);
}

void AppendNumberedPiece(std::string_view text, int number, bool line_start, std::string* out) {
  std::string suffix = std::to_string(number);
  out->reserve(out->size() + text.size() + text.size() / 32);
  const char* begin = text.data();
  const char* end = begin + text.size();
  const char* done = begin;
  // Only a "$" and a "=" can change the text: the next of each is found
  // with memchr, so that lines without either (most of a makefile) are
  // copied as they are.
  auto find = [end](const char* from, char c) {
    const void* at = from < end ? std::memchr(from, c, static_cast<size_t>(end - from)) : nullptr;
    return at == nullptr ? end : static_cast<const char*>(at);
  };
  const char* equals = find(begin, '=');
  const char* dollar = find(begin, '$');
  while (equals < end || dollar < end) {
    if (equals < dollar) {
      // A definition: a whole line's start of name characters, then "=".
      const char* name = equals;
      while (name > begin && IsNameCharacter(name[-1]))
        --name;
      bool starts_line = name == begin ? line_start : name[-1] == '\n';
      if (starts_line && name < equals &&
          IsNumberedVariable(std::string_view(name, static_cast<size_t>(equals - name)))) {
        out->append(done, equals);
        *out += suffix;
        done = equals;
      }
      equals = find(equals + 1, '=');
      continue;
    }
    if (dollar + 1 < end && dollar[1] == '$') {
      dollar = find(dollar + 2, '$');  // "$$" is a "$" of the text, no reference
      continue;
    }
    if (dollar + 1 < end && dollar[1] == '(') {
      const char* close = find(dollar + 2, ')');
      if (close < end && IsNumberedVariable(std::string_view(
                             dollar + 2, static_cast<size_t>(close - dollar - 2)))) {
        out->append(done, close);
        *out += suffix;
        done = close;
      }
    }
    dollar = find(dollar + 1, '$');
  }
  out->append(done, end);
}

std::string NumberMakeVariables(std::string_view text, int number) {
  std::string out;
  AppendNumbered(text, number, &out);
  return out;
}

std::vector<Project*> GnuProjectList(Workspace& workspace, Project& project, bool alone) {
  std::vector<Project*> list;
  if (!alone) {
    for (const std::string& name : project.links().Names()) {
      Project* linked = workspace.projects().Find(name);
      if (linked == nullptr || linked == &project ||
          std::find(list.begin(), list.end(), linked) != list.end()) {
        continue;
      }
      list.push_back(linked);
    }
  }
  list.push_back(&project);
  return list;
}

namespace {

std::string Unquoted(std::string_view text) {
  if (text.size() >= 2 && text.front() == '"' && text.back() == '"') {
    return std::string(text.substr(1, text.size() - 2));
  }
  return std::string(text);
}

// The module a project's block makes: its library, or the linked module.
std::string ModuleFile(const MakeContext& context) {
  if (context.is_library()) return context.FullPath(GetLibraryPath(context));
  return context.module_path();
}

// The names of the IDE macro block whose values are paths.
bool IsPathMacro(std::string_view name) {
  for (std::string_view path : {"WkspDir", "ProjDir", "TargetPath", "TargetDir", "InputPath",
                                "InputDir", "OutDir", "TmpDir", "IntDir"}) {
    if (name == path) return true;
  }
  return false;
}

// One project of the list, for one target.
struct Part {
  int number = 0;
  Project* project = nullptr;
  std::unique_ptr<MakeContext> context;
};

class GnuMakefileWriter {
 public:
  GnuMakefileWriter(Workspace& workspace, const CpuTable* cpus, const GnuMakefileOptions& options)
      : workspace_(workspace), cpus_(cpus), options_(options), host_(*workspace.platform().fs) {}

  void Block(const std::string& target, const std::vector<Project*>& projects, std::string* out) {
    std::vector<Part> parts;
    for (size_t i = 0; i < projects.size(); ++i) {
      Project& project = *projects[i];
      if (!project.targets().Has(target)) continue;
      Part& part = parts.emplace_back();
      part.number = static_cast<int>(i) + 1;
      part.project = &project;
      part.context = std::make_unique<MakeContext>(workspace_, project, cpus_, target, NormalMode,
                                                   options_.plan);
      PrepareTarget(*part.context);
    }
    made_.clear();
    dependencies_.clear();
    headers_.clear();
    records_.clear();
    copies_.clear();
    header_seen_.clear();
    if (host()) {
      for (Part& part : parts) {
        MakeContext& context = *part.context;
        made_.insert(ToLowerAscii(ModuleFile(context)));
        std::string convert;
        if (GetConvertOutput(context, &convert)) made_.insert(ToLowerAscii(convert));
        for (const std::string& output : ProjectCBuildOutputs(context))
          made_.insert(ToLowerAscii(FullFile(context, output)));
        for (FileState& state : context.files()) {
          if (!state.built || state.custom_build == 0) continue;
          for (const std::string& output : FileCBuildOutputs(context, state))
            made_.insert(ToLowerAscii(FullFile(context, output)));
        }
      }
    }
    *out += "ifeq ($(CFG)," + target + ")\n";
    for (Part& part : parts) {
      std::string text;
      Variables(*part.context, &text);
      AppendNumbered(text, part.number, out);
    }
    *out += "all:";
    for (Part& part : parts) {
      *out += "\\\n";
      AllEntries(part, out);
    }
    *out += "\n\n";
    for (Part& part : parts) {
      std::string text;
      Rules(part, parts, &text, out);
      AppendNumbered(text, part.number, out);
    }
    // As "gcc -MP" does: a header gone from the disk, which a dependency
    // list still names, makes its objects again instead of stopping make.
    for (const std::string* header : headers_)
      *out += *header + " :\n";
    if (!headers_.empty()) *out += "\n";
    // A command record that is not there (a build writes its own target's
    // only) makes its object again instead of stopping make.
    for (const std::string& record : records_)
      *out += record + " :\n";
    if (!records_.empty()) *out += "\n";
    for (Part& part : parts) {
      std::string text;
      Clean(*part.context, &text);
      *out += "Clean" + std::to_string(part.number) + " :\n";
      AppendNumbered(text, part.number, out);
      *out += "\n";
    }
    *out += "endif\n\n";
  }

 private:
  bool host() const { return options_.host_paths; }

  // A file of the project, its full path; one in TEMP or OUTPUT
  // ("$(OUTPUT)\\Motor.abs") with the directory put in. A "$(" further on
  // belongs to a name. Rules name every file by its path, never by a variable.
  std::string FullFile(const MakeContext& context, std::string_view path) {
    std::string full = Unquoted(path);
    for (auto [name, dir] : {std::pair{std::string_view("$(TEMP)"), &context.temp_dir()},
                             std::pair{std::string_view("$(OUTPUT)"), &context.output_dir()}}) {
      if (!full.starts_with(name)) continue;
      std::string value = StripTrailingBackslashes(*dir);
      full.replace(0, name.size(), value.empty() ? std::string(".") : value);
    }
    return context.FullPath(full);
  }
  // A file of the project as a rule names it.
  const std::string& HostFile(const MakeContext& context, std::string_view path) {
    return host_.File(FullFile(context, path));
  }
  // A file of the project as a word of a command.
  std::string HostWord(const MakeContext& context, std::string_view path) {
    return host_.Word(FullFile(context, path));
  }
  // Runs the commands in the project's directory.
  std::string Recipe(std::string_view lines) { return host_.Recipe(lines, kInProjectDir); }
  // One command line of our own (its words already mapped).
  static std::string HostCommand(std::string_view command) {
    return "\t" + std::string(kInProjectDir) + std::string(command) + "\n";
  }
  static constexpr std::string_view kInProjectDir = "cd $(ProjDir) && ";
  static constexpr size_t kNumberedPiece = 64 * 1024;

  // --- Variables.

  void Variables(MakeContext& context, std::string* out) {
    Project& project = context.project();
    std::string temp = StripTrailingBackslashes(context.temp_dir());
    std::string output = StripTrailingBackslashes(context.output_dir());
    if (host()) {
      // Commands name them, rules do not.
      *out += "TEMP=" + DefinitionValue(HostWord(context, temp.empty() ? "." : temp)) + "\n";
      *out += "OUTPUT" + Number(context) + "=" +
              DefinitionValue(HostWord(context, output.empty() ? "." : output)) + "\n";
    } else {
      *out += "TEMP=" + ToGnuPath(temp) + "\n";
      *out += "OUTPUT" + Number(context) + "=" + ToGnuPath(output) + "\n";
    }
    std::string tools;
    if (cpus_ == nullptr || !cpus_->GetToolsText(project.Cpu(), &tools)) tools = "\n";
    if (host()) tools = HostTools(project, tools);
    *out += tools;
    if (host()) {
      HostSystemPath(context, "SysLibraryPath", " -L ", &CpuTable::GetLibraryDirs, out);
      HostSystemPath(context, "SysIncludePath", " -I ", &CpuTable::GetIncludeDirs, out);
    } else {
      BuildSysLibraryPath(context, out);
      BuildSysIncludePath(context, out);
    }
    std::vector<std::string> headers, libraries;
    CollectHeaderFiles(context, &headers);
    CollectLibraryFiles(context, &libraries);
    FileList(context, "INCS", headers, out);
    *out += "OBJS=";
    bool first = true;
    for (FileState& state : context.files()) {
      if (!state.built || state.custom_build != 0 || !IsCompiledToolIndex(state.file->ToolKind())) {
        continue;
      }
      if (!first) *out += "\\\n";
      first = false;
      *out += ObjectPath(context, state);
    }
    *out += "\n";
    FileList(context, "LIBS", libraries, out);
    std::string lcf = FindLinkCommandFile(context);
    if (host() && !lcf.empty() && !IsPrerequisite(context, lcf)) lcf.clear();
    *out += "LCF=" + (host() ? (lcf.empty() ? std::string() : host_.File(lcf)) : ToGnuPath(lcf)) +
            "\n\n";
    std::string macros;
    BuildIdeMacroBlock(context, &macros);
    *out += host() ? HostMacroLines(context, macros) : macros;
  }

  std::string Number(const MakeContext& context) const {
    return std::to_string(number_of_.at(&context.project()));
  }

  std::string HostTools(const Project& project, std::string_view tools) {
    std::string out;
    while (!tools.empty()) {
      size_t end = tools.find('\n');
      std::string_view line = tools.substr(0, end);
      size_t equals = line.find('=');
      if (equals == std::string_view::npos) {
        out += line;
      } else {
        out += line.substr(0, equals + 1);
        out += host_.Tool(cpus_, project.Cpu(), line.substr(equals + 1));
      }
      if (end == std::string_view::npos) break;
      out += '\n';
      tools.remove_prefix(end + 1);
    }
    return out;
  }

  void HostSystemPath(MakeContext& context, const char* name, const char* option,
                      bool (CpuTable::*dirs_of)(std::string_view, std::vector<std::string>*) const,
                      std::string* out) {
    std::vector<std::string> dirs;
    if (cpus_ == nullptr) return;
    (cpus_->*dirs_of)(context.project().Cpu(), &dirs);
    if (dirs.empty()) return;
    *out += name;
    *out += '=';
    for (const std::string& dir : dirs)
      *out += option + DefinitionValue(host_.Word(StripTrailingSlash(dir)));
    *out += "\n\n";
  }

  void FileList(MakeContext& context, const char* name, const std::vector<std::string>& paths,
                std::string* out) {
    if (!host()) {
      BuildFileListVariable(context, name, paths, out);
      return;
    }
    *out += name;
    *out += '=';
    for (const std::string& path : paths) {
      if (IsPrerequisite(context, path)) *out += " \\\n" + HostFile(context, path);
    }
    *out += "\n\n";
  }

  // Whether a rule of the host form may name the file as a prerequisite:
  // one that is not there and that no rule makes would stop make, where
  // the command that uses it says better what is missing.
  bool IsPrerequisite(const MakeContext& context, std::string_view path) {
    std::string full = FullFile(context, path);
    FileStatus status;
    return context.fs().Stat(full, &status) || made_.count(ToLowerAscii(full)) != 0;
  }

  // The object as the rules name it: in the target's TEMP unless the file
  // says otherwise.
  std::string ObjectPath(MakeContext& context, const FileState& state) {
    if (host()) {
      GetObjectPath(context, state, /*create_dir=*/true);
      return host_.File(ObjectFile(context, state));
    }
    bool in_temp = !context.source_folder() && !state.has_output_option && state.own_temp.empty();
    if (in_temp) return "$(TEMP)\\" + state.file->ObjectName();
    return GetObjectPath(context, state, /*create_dir=*/true);
  }

  // The object's full path.
  std::string ObjectFile(MakeContext& context, const FileState& state) {
    std::string path = Unquoted(GetObjectPath(context, state, /*create_dir=*/false));
    size_t at = path.find("$(TEMP)");
    if (at != std::string::npos) path.replace(at, 7, StripTrailingBackslash(state.temp));
    return context.FullPath(path);
  }

  // The commands that made an object, kept beside it ("<object>.cmd") and
  // written only when they change: the object depends on them, so that
  // new options make it again. Its host path.
  // The files that side-file steps ("\tcp FROM TO") copy to, for Clean.
  void RememberCopies(const MakeContext& context, std::string_view steps) {
    while (!steps.empty()) {
      size_t end = steps.find('\n');
      std::string_view line = steps.substr(0, end);
      steps.remove_prefix(end == std::string_view::npos ? steps.size() : end + 1);
      if (!line.starts_with("\tcp ")) continue;
      std::vector<std::string_view> words = ArgumentSlices(line.substr(4));
      if (!words.empty()) copies_[&context.project()].push_back(FullFile(context, words.back()));
    }
  }

  // Whether the block's command records and librarian command file are
  // written: a build writes those of the target it makes only.
  bool WritesRecords(const MakeContext& context) const {
    return context.plan() != nullptr &&
           (options_.records_target.empty() || context.target() == options_.records_target);
  }

  std::string CommandRecord(MakeContext& context, const FileState& state,
                            const std::string& commands) {
    std::string path = ObjectFile(context, state) + ".cmd";
    records_.push_back(host_.File(path));
    std::string old;
    if (WritesRecords(context) && !(context.fs().ReadFile(path, &old) && old == commands)) {
      context.EnsureDirectory(GetFileDirectory(path));
      // A record that cannot be written only makes the next build compile again.
      context.plan()->AddFile(
          {path, commands, Durability::kScratch, ReadOnlyRule::kReplaced, /*required=*/false});
    }
    return host_.File(path);
  }

  // The IDE macro block (or a file's) with its paths and options mapped.
  std::string HostMacroLines(const MakeContext& context, std::string_view block) {
    std::string out;
    while (!block.empty()) {
      size_t end = block.find('\n');
      std::string_view line = block.substr(0, end);
      size_t equals = line.find('=');
      if (equals == std::string_view::npos) {
        out += line;
      } else {
        std::string_view name = line.substr(0, equals);
        std::string_view value = line.substr(equals + 1);
        out += line.substr(0, equals + 1);
        // Commands name these variables: each holds shell words.
        if (value.empty()) {
        } else if (IsPathMacro(name)) {
          out += DefinitionValue(HostWord(context, StripTrailingBackslashes(value)));
        } else if (name.find('_') != std::string_view::npos) {
          out += DefinitionValue(host_.Words(value));  // the option variables
        } else {
          out += DefinitionValue(RecipeWord(value));
        }
      }
      if (end == std::string_view::npos) break;
      out += '\n';
      block.remove_prefix(end + 1);
    }
    return out;
  }

  // --- "all".

  void AllEntries(const Part& part, std::string* out) {
    const MakeContext& context = *part.context;
    std::string entries;
    if (!context.before_build().commands.empty())
      entries = "prebuild" + std::to_string(part.number);
    auto add = [&](const std::string& full) {
      if (!entries.empty()) entries += ' ';
      entries += host() ? host_.File(full) : ToGnuPath(context.Relative(full));
    };
    add(ModuleFile(context));
    std::string convert;
    if (GetConvertOutput(context, &convert)) add(convert);
    *out += entries;
  }

  // --- Rules.

  // The rules of a part into `out`, numbered (see AppendNumbered), the
  // compile rules through `out` a piece at a time: the rules of a large
  // project are megabytes. What is left in `out` is for the caller to number.
  void Rules(Part& part, const std::vector<Part>& parts, std::string* out, std::string* numbered) {
    MakeContext& context = *part.context;
    std::string before;
    BuildEventCommands(context.before_build(), &before);
    if (!before.empty()) {
      *out += "prebuild" + std::to_string(part.number) + ":\n" + Commands(before) + "\n";
    }
    if (context.has_conversion()) {
      ConvertRule(context, out);
      std::string after;
      BuildEventCommands(context.after_build(), &after);
      if (!after.empty()) {
        while (!out->empty() && out->back() == '\n')
          out->pop_back();
        *out += "\n" + Commands(after) + "\n";
      }
    }
    std::string linked;
    if (host()) linked = LinkedModules(part, parts);
    if (context.is_library()) {
      LibraryRule(context, linked, out);
    } else {
      LinkRule(context, linked, out);
    }
    ProjectCustomBuildRule(context, out);
    for (FileState& state : context.files()) {
      if (!state.built) continue;
      if (state.custom_build != 0) {
        if (IsCompiledToolIndex(state.file->ToolKind()) || state.custom_build == 1) {
          CustomBuildRule(context, state, out);
        }
      } else if (IsCompiledToolIndex(state.file->ToolKind())) {
        CompileRule(context, state, out, part.number, numbered);
      }
      // Whole lines only: numbering reads a line's start.
      if (out->size() >= kNumberedPiece) {
        size_t lines = out->rfind('\n') + 1;
        AppendNumbered(std::string_view(*out).substr(0, lines), part.number, numbered);
        out->erase(0, lines);
      }
    }
    context.EnsureDirectory(AppendLastSlash(context.temp_dir()));
  }

  std::string Commands(std::string_view lines) {
    return host() ? Recipe(lines) : std::string(lines);
  }

  // The modules of the projects of the makefile that this one links: a
  // real make must have them before the link, and link again when they change.
  std::string LinkedModules(const Part& part, const std::vector<Part>& parts) {
    std::string text;
    for (const std::string& name : part.project->links().Names()) {
      Project* linked = workspace_.projects().Find(name);
      for (const Part& other : parts) {
        if (other.project == linked && &other != &part) {
          text += " " + host_.File(ModuleFile(*other.context));
        }
      }
    }
    return text;
  }

  void ConvertRule(MakeContext& context, std::string* out) {
    std::string convert;
    GetConvertOutput(context, &convert);
    std::string module = context.module_path();
    if (!host()) {
      *out +=
          ToGnuPath(context.Relative(convert)) + " : " + ToGnuPath(context.Relative(module)) + "\n";
      BuildConvertCommand(context, out);
      *out += '\n';
      return;
    }
    std::string options = context.convert_options();
    if (!HasOption(options, "-$")) options += " -$";
    *out += host_.File(convert) + " : " + host_.File(module) + "\n";
    *out += "\tcd " + host_.Word(StripTrailingBackslash(context.module_dir())) + " && $(" +
            std::string(kConverterTool) + ") " + host_.Words(options) + " " +
            RecipeWord(context.module_name()) + "\n\n";
  }

  void LinkRule(MakeContext& context, const std::string& linked, std::string* out) {
    std::string words, names;
    BuildLinkWords(context, &words, &names);
    if (host()) {
      *out += host_.File(context.module_path());
    } else if (context.has_link_output()) {
      *out += context.link_output();
    } else {
      *out += "$(OUTPUT" + Number(context) + ")/" + context.module_name();
    }
    *out += " : $(OBJS) $(LIBS) $(LCF)" + linked + "\n";
    std::string before;
    BuildEventCommands(context.before_link(), &before);
    *out += Commands(before);
    if (host()) {
      std::string line = HostCommand(HostLinkCommand(context, words, names));
      line.pop_back();
      *out += line;
    } else {
      std::string command =
          "\t$(" + std::string(kLinkTool) + ") " + words + " $(OBJS) $(LIBS) " + names + " $(LCF) ";
      if (!context.has_link_output()) command += " -o \"$@\"";
      *out += command;
    }
    std::string after;
    BuildEventCommands(context.after_build(), &after);
    if (!context.has_conversion() && !after.empty()) *out += "\n" + Commands(after);
    *out += "\n\n";
  }

  // The link command with every file a word of its own; the variables
  // that name them hold names for rules.
  std::string HostLinkCommand(MakeContext& context, std::string_view words,
                              std::string_view names) {
    std::string command = "$(" + std::string(kLinkTool) + ") " + host_.Words(words);
    for (FileState& state : context.files()) {
      if (state.built && state.custom_build == 0 && IsCompiledToolIndex(state.file->ToolKind())) {
        command += " " + host_.Word(ObjectFile(context, state));
      }
    }
    std::vector<std::string> libraries;
    CollectLibraryFiles(context, &libraries);
    for (const std::string& library : libraries)
      command += " " + HostWord(context, library);
    command += " " + host_.Words(names);
    std::string lcf = FindLinkCommandFile(context);
    if (!lcf.empty()) command += " " + host_.Word(lcf);
    if (!context.has_link_output()) command += " -o " + host_.Word(context.module_path());
    return command;
  }

  void LibraryRule(MakeContext& context, const std::string& linked, std::string* out) {
    std::string library = GetLibraryPath(context);
    *out += (host() ? HostFile(context, library) : library) + " : $(OBJS) $(LIBS)" + linked + "\n";
    std::string before;
    BuildEventCommands(context.before_link(), &before);
    *out += Commands(before);
    std::string argument;
    if (host()) {
      argument = HostLibrarianCommandFile(context);
      *out += HostCommand("$(" + std::string(kLibrarianTool) + ") -f" + host_.Word(argument));
    } else {
      WriteLibrarianCommandFile(context, &argument);
      if (HasBlank(argument)) argument = "\"" + argument + "\"";
      *out += "\t$(" + std::string(kLibrarianTool) + ") -f" + argument + "\n";
    }
    std::string after;
    BuildEventCommands(context.after_build(), &after);
    *out += Commands(after);
    *out += '\n';
  }

  // The librarian command file with host paths, one a line; its path.
  // Each target has its own: one makefile makes every target.
  std::string HostLibrarianCommandFile(MakeContext& context) {
    std::string path =
        ReplaceExtension(LibrarianCommandFilePath(context.project()), context.target() + ".klo");
    std::string stored_text = BuildLibrarianCommandText(context);
    std::string_view stored = stored_text;
    std::string text;
    bool first = true;
    while (!stored.empty()) {
      size_t end = stored.find('\n');
      std::string line = Unquoted(stored.substr(0, end));
      stored.remove_prefix(end == std::string_view::npos ? stored.size() : end + 1);
      if (!first) {
        std::string host = context.fs().ToHostPath(context.FullPath(line));
        if (!host.empty()) line = HasBlank(host) ? "\"" + host + "\"" : host;
      }
      first = false;
      text += line + "\n";
    }
    if (WritesRecords(context)) {
      // The librarian reports a command file it cannot read.
      context.plan()->AddFile(
          {path, std::move(text), Durability::kScratch, ReadOnlyRule::kReplaced, false});
    }
    return path;
  }

  void ProjectCustomBuildRule(MakeContext& context, std::string* out) {
    if (!host()) {
      BuildProjectCustomBuildRule(context, out);
      return;
    }
    if (context.AnyProjectOutputConsumed()) return;
    std::vector<std::string> outputs = ProjectCBuildOutputs(context);
    if (outputs.empty()) return;
    for (const std::string& output : outputs)
      *out += HostFile(context, output) + " ";
    *out += ": " + host_.File(ModuleFile(context)) + "\n";
    const BuildStep& step = context.custom_build();
    std::string commands;
    if (!step.title.empty()) commands += "\techo " + step.title + "\n";
    AppendCommandLines(step.commands, &commands);
    *out += Recipe(commands) + "\n";
  }

  // The files a file's custom build step makes, its macros substituted.
  static std::vector<std::string> FileCBuildOutputs(MakeContext& context, const FileState& state) {
    SourceFile& file = *state.file;
    std::vector<std::string> outputs;
    file.settings().GetCBuildList(context.target(), CBuildList::kOutputs, &outputs);
    for (std::string& output : outputs) {
      output =
          SubstituteMacros(output, file.make_lists().macro_names, file.make_lists().macro_values);
      output = SubstituteMacros(output, context.project().make_state().macro_names,
                                context.project().make_state().macro_values);
    }
    return outputs;
  }

  void CustomBuildRule(MakeContext& context, const FileState& state, std::string* out) {
    if (!host()) {
      BuildCustomBuildRule(context, state, out);
      return;
    }
    SourceFile& file = *state.file;
    const std::string& target = context.target();
    std::string block;
    BuildFileMacroBlock(context, state, &block);
    *out += HostMacroLines(context, block);
    std::vector<std::string> dependencies;
    for (const std::string& path : FileCBuildOutputs(context, state)) {
      context.EnsureDirectory(GetFileDirectory(context.FullPath(path)));
      *out += HostFile(context, path) + " ";
    }
    *out += ": " + host_.File(file.FullPath());
    file.settings().GetCBuildDependencies(target, &dependencies, /*quote=*/false,
                                          /*existing_only=*/true);
    for (const std::string& dependency : dependencies) {
      *out += " " + HostFile(context, SubstituteMacros(dependency, file.make_lists().macro_names,
                                                       file.make_lists().macro_values));
    }
    *out += "\n";
    std::string comment, commands;
    file.settings().GetCBuildComment(target, &comment);
    if (!comment.empty()) commands += "\techo " + comment + "\n";
    std::vector<std::string> list;
    file.settings().GetCBuildList(target, CBuildList::kCommands, &list);
    AppendCommandLines(list, &commands);
    *out += Recipe(commands) + "\n";
  }

  // `out` and `numbered` as for Rules.
  void CompileRule(MakeContext& context, const FileState& state, std::string* out, int number,
                   std::string* numbered) {
    SourceFile& file = *state.file;
    file.make_lists().ims_move_steps.clear();
    const std::string& stored = context.Options(state);
    if (stored.find("$(") != std::string::npos) {
      std::string block;
      BuildFileMacroBlock(context, state, &block);
      *out += host() ? HostMacroLines(context, block) : block;
    }
    const OptionFacts& facts = context.FactsOf(stored);
    bool has_p = facts.has_p;
    const std::string& options = facts.without_p;
    bool has_oal = facts.has_oal;
    if (!host()) {
      StoredCompileRule(context, state, facts, number, out, numbered);
      return;
    }

    std::string tool = "$(" + file.ToolKindName() + ") ";
    // The host form names source and object by their paths: "$<" and "$@"
    // would reach the shell as make has them, unquoted.
    std::string include = " $(" + std::string(kSysIncludePath) + ") " +
                          (host() ? host_.Word(file.FullPath()) : std::string("\"$<\""));
    std::string output = host() ? " -o " + host_.Word(ObjectFile(context, state)) : " -o \"$@\"";
    std::string with_c = options + (facts.has_c ? "" : " -c ");
    auto line = [&](const std::string& words, std::string_view more) {
      return host() ? HostCommand(tool + host_.Words(words) + include + std::string(more))
                    : "\t" + tool + words + include + std::string(more) + "\n";
    };
    std::string commands = line(with_c, state.has_output_option ? "" : output);
    std::string steps;
    if (has_p && file.ToolKind() == 0) {
      std::string preprocess = with_c;
      RemoveWordOption(preprocess, "-c", &preprocess);
      RemoveWordOption(preprocess, "-Xi", &preprocess);
      commands += line("-P " + preprocess, "");
      WriteSideFileSteps(context, state, preprocess + " -P", has_p, has_oal, &steps);
    } else {
      WriteSideFileSteps(context, state, options, has_p, has_oal, &steps);
    }
    RememberCopies(context, steps);
    std::string recipe = commands + Commands(steps);

    *out += ObjectPath(context, state) + " : ";
    const std::string& source = context.source_folder() ? file.FullPath() : file.RelativePath();
    *out += host() ? host_.File(file.FullPath()) : QuoteIfBlank(source);
    ForEachDependencyPath(file, context.target(), [&](std::string_view path) {
      // An include that was not found is listed under the path it was
      // guessed at; as a prerequisite it would stop make, or make the
      // object again on every build.
      const std::string* header = HostDependency(context, path);
      if (header == nullptr) return;
      if (header_seen_.insert(*header).second) headers_.push_back(header);
      *out += ' ';
      *out += *header;
    });
    *out += " " + CommandRecord(context, state, recipe);
    *out += '\n' + recipe + "\n";
  }

  // The compile rule of the stored form, made for every file of every
  // target: numbered as it is written when `out` holds whole lines only
  // (they are numbered first), its dependencies (most of its bytes) only
  // looked at for a "$" or a line end, which none has but a strange name.
  void StoredCompileRule(MakeContext& context, const FileState& state, const OptionFacts& facts,
                         int number, std::string* out, std::string* numbered) {
    const SourceFile& file = *state.file;
    if (!out->empty() && out->back() != '\n') {
      StoredRuleHead(context, state, out);
      context.AppendDependencies(file, out);
      StoredRuleTail(context, state, facts, out);
      return;
    }
    if (!out->empty()) {
      AppendNumbered(*out, number, numbered);
      out->clear();
    }
    piece_.clear();
    StoredRuleHead(context, state, &piece_);
    // Most heads are "$(TEMP)\<object> : <source>" with no other "$" or
    // "=": only the TEMP is numbered.
    constexpr std::string_view kInTemp = "$(TEMP)\\";
    std::string_view rest = piece_;
    if (rest.starts_with(kInTemp) && rest.find_first_of("$=", kInTemp.size()) == rest.npos) {
      *numbered += "$(TEMP";
      *numbered += std::to_string(number);
      *numbered += ")\\";
      numbered->append(rest.substr(kInTemp.size()));
    } else {
      AppendNumberedPiece(piece_, number, /*line_start=*/true, numbered);
    }
    size_t dependencies = numbered->size();
    context.AppendDependencies(file, numbered);
    std::string_view added = std::string_view(*numbered).substr(dependencies);
    if (!added.empty() && MayHoldDollarOrLineEnd(file, context.target()) &&
        (std::memchr(added.data(), '$', added.size()) != nullptr ||
         std::memchr(added.data(), '\n', added.size()) != nullptr)) {
      piece_.assign(added);
      numbered->resize(dependencies);
      AppendNumberedPiece(piece_, number, /*line_start=*/false, numbered);
    }
    // Files of a target mostly share their commands: the last one's
    // numbered text is used again.
    piece_.clear();
    StoredRuleTail(context, state, facts, &piece_);
    if (number != tail_number_ || piece_ != tail_) {
      tail_number_ = number;
      tail_ = piece_;
      numbered_tail_.clear();
      AppendNumberedPiece(tail_, number, /*line_start=*/false, &numbered_tail_);
    }
    *numbered += numbered_tail_;
  }

  // Whether a dependency path of the file's record may hold a "$" or a
  // line end (a dependency is written as it is found, or made relative,
  // which adds neither). Asked once per path table: a table rarely holds
  // either, and its paths are met hundreds of thousands of times.
  bool MayHoldDollarOrLineEnd(const SourceFile& file, std::string_view target) {
    const DependencyRecord* record = FindDependencyRecord(file.dependencies().records, target);
    const TextTable* table = record == nullptr ? nullptr : record->path_table();
    if (table == nullptr) return true;
    if (table != checked_table_ || table->size() != checked_size_) {
      checked_table_ = table;
      checked_size_ = table->size();
      checked_holds_ = false;
      for (size_t id = 0; id < checked_size_ && !checked_holds_; ++id) {
        std::string_view path = table->Text(static_cast<int32_t>(id));
        checked_holds_ = path.find_first_of("$\n") != std::string_view::npos;
      }
    }
    return checked_holds_;
  }

  // The rule's first line up to its dependencies.
  void StoredRuleHead(MakeContext& context, const FileState& state, std::string* out) {
    const SourceFile& file = *state.file;
    if (!context.source_folder() && !state.has_output_option && state.own_temp.empty()) {
      *out += "$(TEMP)\\";
      *out += file.ObjectName();
    } else {
      *out += ObjectPath(context, state);
    }
    *out += " : ";
    const std::string& source = context.source_folder() ? file.FullPath() : file.RelativePath();
    if (HasBlank(source)) {
      *out += '"';
      *out += source;
      *out += '"';
    } else {
      *out += source;
    }
  }

  // From the end of the first line: the commands and the blank line.
  void StoredRuleTail(MakeContext& context, const FileState& state, const OptionFacts& facts,
                      std::string* out) {
    const SourceFile& file = *state.file;
    *out += '\n';
    auto line = [&](std::string_view words, std::string_view c, std::string_view more) {
      *out += "\t$(";
      *out += file.ToolKindName();
      *out += ") ";
      *out += words;
      *out += c;
      *out += " $(";
      *out += kSysIncludePath;
      *out += ") \"$<\"";
      *out += more;
      *out += '\n';
    };
    const std::string& options = facts.without_p;
    std::string_view c = facts.has_c ? "" : " -c ";
    line(options, c, state.has_output_option ? "" : " -o \"$@\"");
    if (facts.has_p && file.ToolKind() == 0) {
      std::string preprocess = options + std::string(c);
      RemoveWordOption(preprocess, "-c", &preprocess);
      RemoveWordOption(preprocess, "-Xi", &preprocess);
      line("-P " + preprocess, "", "");
      WriteSideFileSteps(context, state, preprocess + " -P", facts.has_p, facts.has_oal, out);
    } else {
      WriteSideFileSteps(context, state, facts, out);
    }
    *out += '\n';
  }

  // A dependency as the rule names it, null when it is no prerequisite
  // (IsPrerequisite); the same few headers come again and again.
  const std::string* HostDependency(MakeContext& context, std::string_view path) {
    auto& cache = dependencies_[&context.project()];
    auto it = cache.find(std::string(path));
    if (it == cache.end()) {
      std::string named = IsPrerequisite(context, path) ? HostFile(context, path) : std::string();
      it = cache.emplace(std::string(path), std::move(named)).first;
    }
    return it->second.empty() ? nullptr : &it->second;
  }

  // --- Clean.

  void Clean(MakeContext& context, std::string* out) {
    std::string lines;
    BuildCleanLines(context, &lines);
    if (!host()) {
      *out += lines;
      return;
    }
    // A file that is not there is no failure of Clean.
    std::string_view rest = lines;
    while (!rest.empty()) {
      size_t end = rest.find('\n');
      std::string_view line = rest.substr(0, end);
      rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
      if (!line.starts_with("\trm ")) continue;
      // Each file one quoted word: a name is never a pattern.
      *out += "\trm -f";
      for (std::string_view file : ArgumentSlices(line.substr(4)))
        *out += " " + HostWord(context, file);
      *out += "\n";
    }
    // And what else a build of the block makes: the module, the converted
    // file, the custom steps' outputs, the command records and the
    // librarian command file.
    std::vector<std::string> made = {ModuleFile(context)};
    const std::vector<std::string>& copies = copies_[&context.project()];
    made.insert(made.end(), copies.begin(), copies.end());
    std::string convert;
    if (GetConvertOutput(context, &convert)) made.push_back(convert);
    for (FileState& state : context.files()) {
      if (!state.built) continue;
      if (state.custom_build != 0) {
        for (const std::string& output : FileCBuildOutputs(context, state))
          made.push_back(FullFile(context, output));
      } else if (IsCompiledToolIndex(state.file->ToolKind())) {
        made.push_back(ObjectFile(context, state) + ".cmd");
      }
    }
    if (context.is_library()) {
      made.push_back(
          ReplaceExtension(LibrarianCommandFilePath(context.project()), context.target() + ".klo"));
    }
    *out += "\trm -f";
    for (const std::string& file : made)
      *out += " " + HostWord(context, file);
    *out += "\n";
  }

 public:
  const std::string& unnamable() const { return host_.Unnamable(); }
  void SetNumbers(const std::vector<Project*>& projects) {
    for (size_t i = 0; i < projects.size(); ++i)
      number_of_[projects[i]] = static_cast<int>(i) + 1;
  }

 private:
  Workspace& workspace_;
  const CpuTable* cpus_;
  GnuMakefileOptions options_;
  HostPathMapper host_;
  std::unordered_map<const Project*, int> number_of_;
  std::unordered_map<const Project*, std::unordered_map<std::string, std::string>> dependencies_;
  // Of the block being written: the modules and converted files its rules
  // make (full paths, lower case), and the headers its rules name.
  std::unordered_set<std::string> made_;
  std::vector<const std::string*> headers_;
  std::vector<std::string> records_;
  std::unordered_map<const Project*, std::vector<std::string>> copies_;
  std::unordered_set<std::string_view> header_seen_;
  std::string piece_;  // of a compile rule being numbered
  // The last compile rule's commands, as written and numbered.
  int tail_number_ = 0;
  std::string tail_, numbered_tail_;
  // The path table last looked at by MayHoldDollarOrLineEnd, its size then
  // and the answer.
  const TextTable* checked_table_ = nullptr;
  size_t checked_size_ = 0;
  bool checked_holds_ = true;
};

}  // namespace

namespace {

// About the size of the makefile's text, for room at once: the text of a
// large project is megabytes, which grown step by step is copied again and
// again. Each file of each target takes a rule, its Clean lines and its
// name in OBJS, and its dependencies.
size_t EstimatedSize(const std::vector<Project*>& projects) {
  constexpr size_t kPerFile = 384;
  size_t size = 4096;
  const TextTable* table = nullptr;
  size_t per_path = 0;  // the mean length of the table's paths, and a blank
  for (const Project* project : projects) {
    for (const std::string& target : project->targets().List()) {
      size += 4096;
      for (const auto& file : project->sources().Files()) {
        size += kPerFile;
        const DependencyRecord* record = FindDependencyRecord(file->dependencies().records, target);
        if (record == nullptr || record->empty()) continue;
        if (record->path_table() != table && record->path_table() != nullptr) {
          table = record->path_table();
          size_t total = 0;
          for (size_t id = 0; id < table->size(); ++id)
            total += table->Text(static_cast<int32_t>(id)).size();
          per_path = table->size() == 0 ? 0 : total / table->size() + 1;
        }
        size += record->size() * per_path;
      }
    }
  }
  return size;
}

}  // namespace

void GenerateGnuMakefileText(Workspace& workspace, Project& project, const CpuTable* cpus,
                             const GnuMakefileOptions& options, std::string* text) {
  std::vector<Project*> projects = GnuProjectList(workspace, project, options.alone);
  GnuMakefileWriter writer(workspace, cpus, options);
  writer.SetNumbers(projects);
  text->clear();
  text->reserve(EstimatedSize(projects));
  *text += "#\n# KOVA Generated GNU Format makefile, based on " + project.paths().base_name +
           ".KBP\n#\n";
  for (const std::string& target : project.targets().List())
    writer.Block(target, projects, text);
  if (options.unnamable != nullptr) *options.unnamable = writer.unnamable();
}

Status WriteGnuMakefile(Workspace& workspace, Project& project, const CpuTable* cpus,
                        const GnuMakefileOptions& options, std::string_view path) {
  std::string text;
  std::string unnamable;
  OutputPlan plan;
  GnuMakefileOptions with_check = options;
  with_check.unnamable = &unnamable;
  with_check.plan = &plan;
  GenerateGnuMakefileText(workspace, project, cpus, with_check, &text);
  if (options.unnamable != nullptr) *options.unnamable = unnamable;
  if (options.host_paths && !unnamable.empty()) {
    // Make would build, or clean, some other file.
    return OperationFailure(kStatusMakefileNotWritten, kMsgMakefileNotWritten);
  }
  if (options.host_paths) {
    plan.AddFile(
        {std::string(path), std::move(text), Durability::kScratch, ReadOnlyRule::kReplaced});
  } else {
    plan.AddFile({std::string(path), ToTextModeFile(text), Durability::kDurable,
                  ReadOnlyRule::kClearedFirst});
  }
  if (Status written = ApplyOutputPlan(*workspace.platform().fs, plan); !written) {
    return OperationFailure(std::move(written), kStatusMakefileNotWritten, kMsgMakefileNotWritten);
  }
  return Status::OK();
}

Status GenerateGnuMakefile(Workspace& workspace, const CpuTable* cpus, Project& project,
                           std::string_view alone_text) {
  GnuMakefileOptions options;
  options.alone = ReadsAsInteger(alone_text) != 0;
  return WriteGnuMakefile(workspace, project, cpus, options, project.paths().makefile);
}

}  // namespace zelvan
