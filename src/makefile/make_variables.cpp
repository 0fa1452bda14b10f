#include "makefile/make_variables.h"

#include "makefile/compile_rules.h"
#include "makefile/make_context.h"
#include "makefile/rule_text.h"
#include "makefile/target_rules.h"
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

void BuildVariableBlock(MakeContext& context, std::string* out) {
  size_t start = out->size();
  for (std::string_view key : kVariableKeys) {
    std::string value = context.variable(key);
    if ((key == "TEMP" || key == "OUTPUT") && !value.empty()) value = StripTrailingBackslash(value);
    *out += key;
    *out += '=';
    *out += value;
    *out += '\n';
  }
  if (context.source_folder()) *out += "SOURCE_FOLDER=1\n";
  if (context.variable("TEMP").empty()) *out += "TEMP=" + context.variable("DefaultTEMP") + "\n";
  if (context.variable("OUTPUT").empty()) {
    *out += "OUTPUT=" + context.variable("DefaultOUTPUT") + "\n";
  }
  if (context.fal()) {
    // Later lines override the earlier ones.
    std::string fal(kFalDirectory);
    *out += "TARGET=" + fal + "\\" +
            ReplaceExtension(context.project().paths().output_name, "abf") + "\n";
    *out += "OUTPUT=" + fal + "\n";
  }
  std::string tools;
  if (context.cpus() == nullptr || !context.cpus()->GetToolsText(context.project().Cpu(), &tools)) {
    tools = "\n";
  }
  *out += tools;
  AppendMacroLines(std::string_view(*out).substr(start), &context.make_state().macro_names,
                   &context.make_state().macro_values);
}

void BuildSysLibraryPath(MakeContext& context, std::string* out) {
  if (context.cpus() == nullptr) return;
  std::string text;
  context.project().GetSystemLibraryOption(*context.cpus(), &text);
  *out += text;
}

void BuildSysIncludePath(MakeContext& context, std::string* out) {
  if (context.cpus() == nullptr) return;
  std::string text;
  context.project().GetSystemIncludeOption(*context.cpus(), &text);
  *out += text;
}

void CollectHeaderFiles(MakeContext& context, std::vector<std::string>* list) {
  for (const FileState& state : context.files()) {
    if (state.file->HasFlag(SourceFile::kHeader)) list->push_back(state.file->RelativePath());
  }
}

void CollectLibraryFiles(MakeContext& context, std::vector<std::string>* list) {
  for (const FileState& state : context.files())
    state.file->AddToLibraryList(context.target(), list);
}

void BuildFileListVariable(MakeContext& context, const char* name,
                           const std::vector<std::string>& paths, std::string* out) {
  *out += name;
  *out += '=';
  for (const std::string& path : paths) {
    *out += " \\\n";
    std::string short_path;
    if (!HasBlank(path)) {
      *out += path;
    } else if (context.fs().GetShortPathName(context.paths().FullPath(path), &short_path)) {
      *out += short_path;
    } else {
      // No short form on this system: the path in quotes names it as well.
      *out += QuoteIfBlank(path);
    }
  }
  *out += "\n\n";
}

void BuildObjectList(MakeContext& context, std::string* out) {
  *out += "OBJS=";
  for (FileState& state : context.files()) {
    if (!state.built || state.custom_build != 0 || !IsCompiledToolIndex(state.file->ToolKind())) {
      continue;
    }
    *out += " \\\n";
    AppendObjectPath(context, state, /*create_dir=*/true, out);
  }
  *out += "\n\n";
}

std::string FindLinkCommandFile(MakeContext& context) {
  const SourceFile* file = context.project().sources().FindLinkCommandFile(context.target());
  return file == nullptr ? std::string() : file->FullPath();
}

void BuildLcfVariable(MakeContext& context, std::string* out) {
  std::string lcf = FindLinkCommandFile(context);
  if (HasBlank(lcf)) lcf = "\"" + lcf + "\"";
  *out += "LCF=" + lcf + "\n\n";
}

namespace {

// "NAME=value\n"; a value ending in `\` gets another one and a line feed,
// so that make does not read the line feed as a continuation.
void AppendOptionVariable(const char* name, std::string value, std::string* out) {
  if (!value.empty() && value.back() == '\\') value += "\\\n";
  *out += name;
  *out += '=';
  *out += value;
  *out += '\n';
}

std::string WithNoWait(std::string options) {
  if (!HasOption(options, "-$")) options += " -$";
  return options;
}

}  // namespace

void BuildIdeMacroBlock(MakeContext& context, std::string* out) {
  Project& project = context.project();
  const std::string& workspace = context.workspace().document().Path();
  *out += "WkspDir=" + DirectoryText(workspace, false) + "\n";
  *out += "WkspName=" + SplitPath(workspace).title + "\n";
  *out += "ProjDir=" + DirectoryText(project.paths().project_file, false, ".") + "\n";
  *out += "ProjName=" + project.paths().base_name + "\n";
  std::string target_path = GetTargetPath(context, /*quote=*/false);
  std::string target_dir = DirectoryText(target_path, true);
  std::string target_name = SplitPath(target_path).title;
  for (const char* prefix : {"Target", "Input"}) {
    *out += std::string(prefix) + "Path=" + target_path + "\n";
    *out += std::string(prefix) + "Dir=" + target_dir + "\n";
    *out += std::string(prefix) + "Name=" + target_name + "\n";
  }
  *out += "OutDir=" + StripTrailingBackslashes(context.output_dir()) + "\n";
  *out += "TmpDir=" + context.work_dir() + "\n";
  *out += "IntDir=" + StripTrailingBackslashes(context.temp_dir()) + "\n";
  *out += '\n';

  const std::string& compile = context.default_compile();
  AppendOptionVariable("CC_Opt_All", WithNoWait(compile), out);
  AppendOptionVariable("CC_Def_Macro", CollectOptionTexts(compile, "-D"), out);
  AppendOptionVariable("CC_Undef_Macro", CollectOptionTexts(compile, "-U"), out);
  AppendOptionVariable("CC_Inc_Path", CollectOptionTexts(compile, "-I"), out);
  const std::string& link = context.link_options();
  std::string without_output = link;
  RemoveOutputOption(link, &without_output);
  AppendOptionVariable("Lnk_Opt_All", WithNoWait(std::string(TrimBlanks(without_output))), out);
  std::string words, names;
  SplitLinkOptions(link, *project.Environment().languages, &words, &names);
  AppendOptionVariable("Lnk_ObjLib_Name", std::string(TrimBlanks(names)), out);
  AppendOptionVariable("Lnk_Ref_Symbol", CollectOptionTexts(link, "-u"), out);
  AppendOptionVariable("Lnk_Search_Path", CollectOptionTexts(link, "-L"), out);
  const std::string& convert = context.convert_options();
  AppendOptionVariable("Cvt_Opt_All", WithNoWait(convert), out);
  std::string fill = OptionWithValue(convert, "-cc");
  if (fill.empty()) fill = OptionWithValue(convert, "-cf");
  AppendOptionVariable("Cvt_fillComment", fill, out);
  *out += '\n';
}

}  // namespace zelvan
