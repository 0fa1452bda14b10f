#include "makefile/custom_build_rules.h"

#include "makefile/compile_rules.h"
#include "makefile/make_context.h"
#include "makefile/make_variables.h"
#include "makefile/output_plan.h"
#include "makefile/rule_text.h"
#include "makefile/target_rules.h"
#include "model/path_functions.h"
#include "model/project.h"
#include "model/source_file.h"
#include "model/substitute_macros.h"
#include "platform/file_system.h"
#include "platform/win_path.h"
#include "storage/project_files.h"

namespace zelvan {

void BuildEventCommands(const BuildStep& step, std::string* out) {
  if (step.commands.empty()) return;
  if (!step.title.empty()) *out += "\techo " + step.title + "\n";
  AppendCommandLines(step.commands, out);
}

void BuildFileMacroBlock(MakeContext& /*context*/, const FileState& state, std::string* out) {
  const SourceFile& file = *state.file;
  const std::string& relative = file.RelativePath();
  std::string object = ObjectLocation(state);
  *out += "IntDir=" + StripTrailingBackslashes(state.temp()) + "\n";
  *out += "InputPath=" + relative + "\n";
  *out += "InputDir=" + DirectoryText(relative, false, ".") + "\n";
  *out += "InputName=" + SplitPath(relative).title + "\n";
  *out += "OutDir=" + DirectoryText(object, false, ".") + "\n";
  *out += "OutName=" + SplitPath(object).title + "\n";
  *out += '\n';
}

void BuildCustomBuildRule(MakeContext& context, const FileState& state, std::string* out) {
  const SourceFile& file = *state.file;
  const std::string& target = context.target();
  BuildFileMacroBlock(context, state, out);
  std::string outputs = context.CBuildOutputText(state, 1);
  std::string dependencies;
  file.settings().GetCBuildDependencyText(target, &dependencies);
  *out += outputs + " : " + dependencies + "\n";
  std::string comment;
  file.settings().GetCBuildComment(target, &comment);
  if (!comment.empty()) *out += "\techo " + comment + "\n";
  std::vector<std::string> commands;
  file.settings().GetCBuildList(target, CBuildList::kCommands, &commands);
  AppendCommandLines(commands, out);
  *out += '\n';
}

std::vector<std::string> ProjectCBuildOutputs(MakeContext& context) {
  std::vector<std::string> outputs;
  for (const std::string& output : context.custom_build().outputs) {
    std::string path = SubstituteMacros(output, context.make_state().macro_names,
                                        context.make_state().macro_values);
    if (path.find('$') == std::string::npos) context.EnsureDirectory(GetFileDirectory(path));
    outputs.push_back(std::move(path));
  }
  return outputs;
}

void GetProjectCBuildOutputText(MakeContext& context, int quote_mode, std::string* text) {
  text->clear();
  for (const std::string& output : ProjectCBuildOutputs(context)) {
    if (quote_mode == 1) {
      *text += "\"" + output + "\" ";
    } else {
      if (!text->empty()) *text += ' ';
      *text += output;
    }
  }
}

void BuildProjectCustomBuildRule(MakeContext& context, std::string* out) {
  if (context.fal() || context.AnyProjectOutputConsumed()) return;
  std::string outputs;
  GetProjectCBuildOutputText(context, 1, &outputs);
  if (outputs.empty()) return;
  const BuildStep& step = context.custom_build();
  *out += outputs + " : " + GetTargetPath(context, true) + "\n";
  if (!step.title.empty()) *out += "\techo " + step.title + "\n";
  AppendCommandLines(step.commands, out);
  *out += '\n';
}

namespace {

std::string_view TargetOrFirst(const Project& project, std::string_view target) {
  if (project.targets().Has(target) || project.targets().List().empty()) return target;
  return project.targets().List().front();
}

// The variable block with the macro table rebuilt, as a sub-project sees it.
void BeginAuxiliaryText(MakeContext& context, std::string* text) {
  PrepareTarget(context);
  BuildVariableBlock(context, text);
}

}  // namespace

bool BuildPreBuildMakefileText(Workspace& workspace, MakeStateStore& states, Project& project,
                               const CpuTable* cpus, std::string_view target, std::string* text,
                               OutputPlan* plan) {
  text->clear();
  target = TargetOrFirst(project, target);
  if (!project.targets().Has(target)) return false;
  MakeContext context(workspace, states, project, cpus, target, SubProjectMode, plan);
  BeginAuxiliaryText(context, text);
  BuildIdeMacroBlock(context, text);
  *text += "all:\n";
  BuildEventCommands(context.before_build(), text);
  return true;
}

bool BuildConversionMakefileText(Workspace& workspace, MakeStateStore& states, Project& project,
                                 const CpuTable* cpus, std::string_view target, std::string* text,
                                 OutputPlan* plan) {
  text->clear();
  target = TargetOrFirst(project, target);
  if (project.IsLibrary() || !project.targets().Has(target)) return false;
  MakeContext context(workspace, states, project, cpus, target, SubProjectMode, plan);
  BeginAuxiliaryText(context, text);
  *text += "all:\n";
  BuildConvertCommand(context, text);
  return true;
}

namespace {

bool WriteAuxiliary(Project& project, int index, const std::string& text, OutputPlan* plan,
                    std::string* path) {
  *path = project.paths().temp_makefiles[index];
  plan->AddFile({*path, ToTextModeFile(EscapeComments(text)), Durability::kScratch,
                 ReadOnlyRule::kClearedFirst});
  return ApplyOutputPlan(*project.platform().fs, *plan).ok();
}

}  // namespace

bool WritePreBuildMakefile(Workspace& workspace, MakeStateStore& states, Project& project,
                           const CpuTable* cpus, std::string_view target, std::string* path) {
  std::string text;
  OutputPlan plan;
  if (!BuildPreBuildMakefileText(workspace, states, project, cpus, target, &text, &plan))
    return false;
  return WriteAuxiliary(project, 3, text, &plan, path);
}

bool WriteConversionMakefile(Workspace& workspace, MakeStateStore& states, Project& project,
                             const CpuTable* cpus, std::string_view target, std::string* path) {
  std::string text;
  OutputPlan plan;
  if (!BuildConversionMakefileText(workspace, states, project, cpus, target, &text, &plan))
    return false;
  return WriteAuxiliary(project, 2, text, &plan, path);
}

}  // namespace zelvan
