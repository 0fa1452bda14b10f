#include "makefile/gnu_makefile_writer.h"

#include <algorithm>
#include <array>
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

namespace zelvan::gnu_makefile_internal {

std::string Unquoted(std::string_view text) {
  if (text.size() >= 2 && text.front() == '"' && text.back() == '"') {
    return std::string(text.substr(1, text.size() - 2));
  }
  return std::string(text);
}

// The module a project's block makes: its library, or the linked module.
std::string ModuleFile(const MakeContext& context) {
  if (context.is_library()) return context.paths().FullPath(GetLibraryPath(context));
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

void GnuMakefileWriter::Block(const std::string& target, const std::vector<Project*>& projects,
                              size_t blocks_left, std::string* out) {
  std::vector<Part> parts;
  for (size_t i = 0; i < projects.size(); ++i) {
    Project& project = *projects[i];
    if (!project.targets().Has(target)) continue;
    Part& part = parts.emplace_back();
    part.number = static_cast<int>(i) + 1;
    part.project = &project;
    part.context = std::make_unique<MakeContext>(workspace_, states_, project, cpus_, target,
                                                 NormalMode, options_.plan);
    PrepareTarget(*part.context);
  }
  // The blocks of the targets are alike: room for the others too.
  size_t size = 0;
  for (const Part& part : parts)
    size += EstimatedTextSize(*part.context);
  out->reserve(out->size() + size * blocks_left);
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
    *out += "Clean" + std::to_string(part.number) + " :\n";
    // Written in place: Clean lines are megabytes in a large project, and
    // hold a "$" or a "=" (all that numbering can change) only when a name
    // does.
    const size_t start = out->size();
    Clean(*part.context, out);
    std::string_view lines = std::string_view(*out).substr(start);
    if (HasEither(lines, '$', '=')) {
      std::string text(lines);
      out->resize(start);
      AppendNumbered(text, part.number, out);
    }
    *out += "\n";
  }
  *out += "endif\n\n";
}

// A file of the project, its full path; one in TEMP or OUTPUT
// ("$(OUTPUT)\\Motor.abs") with the directory put in. A "$(" further on
// belongs to a name. Rules name every file by its path, never by a variable.
std::string GnuMakefileWriter::FullFile(const MakeContext& context, std::string_view path) {
  std::string full = Unquoted(path);
  for (auto [name, dir] : {std::pair{std::string_view("$(TEMP)"), &context.temp_dir()},
                           std::pair{std::string_view("$(OUTPUT)"), &context.output_dir()}}) {
    if (!full.starts_with(name)) continue;
    std::string value = StripTrailingBackslashes(*dir);
    full.replace(0, name.size(), value.empty() ? std::string(".") : value);
  }
  return context.paths().FullPath(full);
}

// A file of the project as a rule names it.
const std::string& GnuMakefileWriter::HostFile(const MakeContext& context, std::string_view path) {
  return host_.File(FullFile(context, path));
}

// A file of the project as a word of a command.
std::string GnuMakefileWriter::HostWord(const MakeContext& context, std::string_view path) {
  return host_.Word(FullFile(context, path));
}

// One command line of our own (its words already mapped).
std::string GnuMakefileWriter::HostCommand(std::string_view command) {
  return "\t" + std::string(kInProjectDir) + std::string(command) + "\n";
}

void GnuMakefileWriter::Variables(MakeContext& context, std::string* out) {
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
    AppendObjectPath(context, state, out);
  }
  *out += "\n";
  FileList(context, "LIBS", libraries, out);
  std::string lcf = FindLinkCommandFile(context);
  if (host() && !lcf.empty() && !IsPrerequisite(context, lcf)) lcf.clear();
  *out +=
      "LCF=" + (host() ? (lcf.empty() ? std::string() : host_.File(lcf)) : ToGnuPath(lcf)) + "\n\n";
  std::string macros;
  BuildIdeMacroBlock(context, &macros);
  *out += host() ? HostMacroLines(context, macros) : macros;
}

std::string GnuMakefileWriter::Number(const MakeContext& context) const {
  return std::to_string(number_of_.at(&context.project()));
}

std::string GnuMakefileWriter::HostTools(const Project& project, std::string_view tools) {
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

void GnuMakefileWriter::HostSystemPath(MakeContext& context, const char* name, const char* option,
                                       bool (CpuTable::*dirs_of)(std::string_view,
                                                                 std::vector<std::string>*) const,
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

void GnuMakefileWriter::FileList(MakeContext& context, const char* name,
                                 const std::vector<std::string>& paths, std::string* out) {
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
bool GnuMakefileWriter::IsPrerequisite(const MakeContext& context, std::string_view path) {
  std::string full = FullFile(context, path);
  FileStatus status;
  return context.fs().Stat(full, &status) || made_.count(ToLowerAscii(full)) != 0;
}

// Appends the object as the rules name it: in the target's TEMP unless the
// file says otherwise.
void GnuMakefileWriter::AppendObjectPath(MakeContext& context, const FileState& state,
                                         std::string* out) {
  if (host()) {
    GetObjectPath(context, state, /*create_dir=*/true);
    *out += host_.File(ObjectFile(context, state));
    return;
  }
  bool in_temp = !context.source_folder() && !state.has_output_option && state.own_temp.empty();
  if (in_temp) {
    *out += "$(TEMP)\\";
    *out += state.file->ObjectName();
    return;
  }
  *out += GetObjectPath(context, state, /*create_dir=*/true);
}

// The object's full path.
std::string GnuMakefileWriter::ObjectFile(MakeContext& context, const FileState& state) {
  std::string path = Unquoted(GetObjectPath(context, state, /*create_dir=*/false));
  size_t at = path.find("$(TEMP)");
  if (at != std::string::npos) path.replace(at, 7, StripTrailingBackslash(state.temp()));
  return context.paths().FullPath(path);
}

// The commands that made an object, kept beside it ("<object>.cmd") and
// written only when they change: the object depends on them, so that
// new options make it again. Its host path.
// The files that side-file steps ("\tcp FROM TO") copy to, for Clean.
void GnuMakefileWriter::RememberCopies(const MakeContext& context, std::string_view steps) {
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
bool GnuMakefileWriter::WritesRecords(const MakeContext& context) const {
  return context.plan() != nullptr &&
         (options_.records_target.empty() || context.target() == options_.records_target);
}

std::string GnuMakefileWriter::CommandRecord(MakeContext& context, const FileState& state,
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
std::string GnuMakefileWriter::HostMacroLines(const MakeContext& context, std::string_view block) {
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

void GnuMakefileWriter::AllEntries(const Part& part, std::string* out) {
  const MakeContext& context = *part.context;
  std::string entries;
  if (!context.before_build().commands.empty()) entries = "prebuild" + std::to_string(part.number);
  auto add = [&](const std::string& full) {
    if (!entries.empty()) entries += ' ';
    entries += host() ? host_.File(full) : ToGnuPath(context.paths().Relative(full));
  };
  add(ModuleFile(context));
  std::string convert;
  if (GetConvertOutput(context, &convert)) add(convert);
  *out += entries;
}

void GnuMakefileWriter::Clean(MakeContext& context, std::string* out) {
  if (!host()) {
    BuildCleanLines(context, out);
    return;
  }
  std::string lines;
  BuildCleanLines(context, &lines);
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

void GnuMakefileWriter::SetNumbers(const std::vector<Project*>& projects) {
  for (size_t i = 0; i < projects.size(); ++i)
    number_of_[projects[i]] = static_cast<int>(i) + 1;
}

}  // namespace zelvan::gnu_makefile_internal
