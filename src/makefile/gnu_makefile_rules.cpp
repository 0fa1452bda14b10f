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

// The rules of a part into `out`, numbered (see AppendNumbered), the
// compile rules through `out` a piece at a time: the rules of a large
// project are megabytes. What is left in `out` is for the caller to number.
void GnuMakefileWriter::Rules(Part& part, const std::vector<Part>& parts, std::string* out,
                              std::string* numbered) {
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
  std::vector<FileState>& files = context.files();
  for (size_t i = 0; i < files.size(); ++i) {
    PrefetchFilesAhead(files, i);
    FileState& state = files[i];
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

std::string GnuMakefileWriter::Commands(std::string_view lines) {
  return host() ? Recipe(lines) : std::string(lines);
}

// The modules of the projects of the makefile that this one links: a
// real make must have them before the link, and link again when they change.
std::string GnuMakefileWriter::LinkedModules(const Part& part, const std::vector<Part>& parts) {
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

void GnuMakefileWriter::ConvertRule(MakeContext& context, std::string* out) {
  std::string convert;
  GetConvertOutput(context, &convert);
  std::string module = context.module_path();
  if (!host()) {
    *out += ToGnuPath(context.paths().Relative(convert)) + " : " +
            ToGnuPath(context.paths().Relative(module)) + "\n";
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

void GnuMakefileWriter::LinkRule(MakeContext& context, const std::string& linked,
                                 std::string* out) {
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
std::string GnuMakefileWriter::HostLinkCommand(MakeContext& context, std::string_view words,
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

void GnuMakefileWriter::LibraryRule(MakeContext& context, const std::string& linked,
                                    std::string* out) {
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
std::string GnuMakefileWriter::HostLibrarianCommandFile(MakeContext& context) {
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
      std::string host = context.fs().ToHostPath(context.paths().FullPath(line));
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

void GnuMakefileWriter::ProjectCustomBuildRule(MakeContext& context, std::string* out) {
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

void GnuMakefileWriter::CustomBuildRule(MakeContext& context, const FileState& state,
                                        std::string* out) {
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
    context.EnsureDirectory(GetFileDirectory(context.paths().FullPath(path)));
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
void GnuMakefileWriter::CompileRule(MakeContext& context, const FileState& state, std::string* out,
                                    int number, std::string* numbered) {
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
  bool has_oal = facts.side.has_oal;
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
  std::string with_c = options + (facts.side.has_c ? "" : " -c ");
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

  AppendObjectPath(context, state, out);
  *out += " : ";
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
void GnuMakefileWriter::StoredCompileRule(MakeContext& context, const FileState& state,
                                          const OptionFacts& facts, int number, std::string* out,
                                          std::string* numbered) {
  if (!out->empty() && out->back() != '\n') {
    StoredRuleHead(context, state, out);
    context.AppendDependencies(state, out);
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
  if (rest.starts_with(kInTemp) && !HasEither(rest.substr(kInTemp.size()), '$', '=')) {
    *numbered += "$(TEMP";
    *numbered += std::to_string(number);
    *numbered += ")\\";
    numbered->append(rest.substr(kInTemp.size()));
  } else {
    AppendNumberedPiece(piece_, number, /*line_start=*/true, numbered);
  }
  size_t dependencies = numbered->size();
  context.AppendDependencies(state, numbered);
  std::string_view added = std::string_view(*numbered).substr(dependencies);
  if (MayHoldDollarOrLineEnd(state.record) && HasEither(added, '$', '\n')) {
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
bool GnuMakefileWriter::MayHoldDollarOrLineEnd(const DependencyRecord* record) {
  const TextTable* table = record == nullptr ? nullptr : record->path_table();
  if (table == nullptr) return true;
  if (table != checked_table_ || table->size() != checked_size_) {
    checked_table_ = table;
    checked_size_ = table->size();
    checked_holds_ = false;
    for (size_t id = 0; id < checked_size_ && !checked_holds_; ++id) {
      std::string_view path = table->Text(static_cast<int32_t>(id));
      checked_holds_ = HasEither(path, '$', '\n');
    }
  }
  return checked_holds_;
}

// The rule's first line up to its dependencies.
void GnuMakefileWriter::StoredRuleHead(MakeContext& context, const FileState& state,
                                       std::string* out) {
  const SourceFile& file = *state.file;
  AppendObjectPath(context, state, out);
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
void GnuMakefileWriter::StoredRuleTail(MakeContext& context, const FileState& state,
                                       const OptionFacts& facts, std::string* out) {
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
  std::string_view c = facts.side.has_c ? "" : " -c ";
  line(options, c, state.has_output_option ? "" : " -o \"$@\"");
  if (facts.has_p && file.ToolKind() == 0) {
    std::string preprocess = options + std::string(c);
    RemoveWordOption(preprocess, "-c", &preprocess);
    RemoveWordOption(preprocess, "-Xi", &preprocess);
    line("-P " + preprocess, "", "");
    WriteSideFileSteps(context, state, preprocess + " -P", facts.has_p, facts.side.has_oal, out);
  } else {
    WriteSideFileSteps(context, state, facts, out);
  }
  *out += '\n';
}

// A dependency as the rule names it, null when it is no prerequisite
// (IsPrerequisite); the same few headers come again and again.
const std::string* GnuMakefileWriter::HostDependency(MakeContext& context, std::string_view path) {
  auto& cache = dependencies_[&context.project()];
  auto it = cache.find(std::string(path));
  if (it == cache.end()) {
    std::string named = IsPrerequisite(context, path) ? HostFile(context, path) : std::string();
    it = cache.emplace(std::string(path), std::move(named)).first;
  }
  return it->second.empty() ? nullptr : &it->second;
}

}  // namespace zelvan::gnu_makefile_internal
