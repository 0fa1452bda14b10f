#include "makefile/kmake_file.h"

#include <cstdlib>
#include <vector>

#include "makefile/compile_rules.h"
#include "makefile/custom_build_rules.h"
#include "makefile/make_context.h"
#include "makefile/make_variables.h"
#include "makefile/output_plan.h"
#include "makefile/rule_text.h"
#include "makefile/target_rules.h"
#include "model/message_texts.h"
#include "model/operation_status.h"
#include "model/path_functions.h"
#include "model/project.h"
#include "model/source_file.h"
#include "model/status_codes.h"
#include "platform/file_system.h"
#include "platform/win_path.h"

namespace zelvan {

namespace {

// Fewer files than this get a Clean section without being asked.
constexpr size_t kCleanFileLimit = 30;

// "link :" with one sub-make per linked project of the workspace.
void BuildSubProjectRule(Workspace& workspace, Project& project, std::string* out) {
  if (project.links().Names().empty()) return;
  *out += "link :\n";
  for (const std::string& name : project.links().Names()) {
    Project* linked = workspace.projects().Find(name);
    if (linked == nullptr) continue;
    std::string makefile = QuoteIfBlank(linked->paths().makefile);
    std::string dir = linked->paths().drive + linked->paths().directory;
    if (!dir.empty()) {
      *out += "\tcd " + QuoteIfBlank(dir) + "&&kmake $(MAKEFLAGS) -f " + makefile + "\n";
    } else {
      *out += "\tkmake $(MAKEFLAGS) -f " + makefile + "\n";
    }
  }
  *out += '\n';
}

void BuildBlock(Workspace& workspace, MakeContext& context, const std::string& headers,
                std::string* out) {
  Project& project = context.project();
  *out += "ifeq($(CFG)," + context.target() + ")\n";
  PrepareTarget(context);
  BuildVariableBlock(context, out);
  BuildSysLibraryPath(context, out);
  BuildSysIncludePath(context, out);
  *out += headers;
  BuildObjectList(context, out);
  std::vector<std::string> libraries;
  CollectLibraryFiles(context, &libraries);
  BuildFileListVariable(context, "LIBS", libraries, out);
  BuildLcfVariable(context, out);
  BuildIdeMacroBlock(context, out);
  BuildAllRule(context, out);
  if (context.mode() == NormalMode) BuildSubProjectRule(workspace, project, out);
  if (context.has_conversion()) {
    BuildConvertRule(context, out);
    std::string after;
    BuildEventCommands(context.after_build(), &after);
    if (!after.empty()) {
      while (!out->empty() && out->back() == '\n')
        out->pop_back();
      *out += "\n" + after + "\n";
    }
  }
  BuildLinkRule(context, out);
  BuildCompileRules(context, out);
}

}  // namespace

bool GenerateKmakeText(Workspace& workspace, MakeStateStore& states, Project& project,
                       const CpuTable* cpus, MakeMode mode, std::optional<std::string_view> target,
                       bool force_clean, std::string* text, OutputPlan* plan) {
  text->clear();
  std::vector<std::string> targets = project.targets().List();
  if (target) {
    std::string chosen(project.targets().Has(*target) ? project.targets().Spelling(*target)
                                                      : std::string_view());
    if (chosen.empty() && !targets.empty()) chosen = targets.front();
    targets.clear();
    if (!chosen.empty()) targets.push_back(chosen);
  }
  bool clean = force_clean || project.sources().Files().size() < kCleanFileLimit;
  // The blocks are written behind the heading, in place: a large project's
  // text is megabytes, and copying it costs as much as making it.
  *text = "#\n# KOVA Generated KMAKE File, based on " + FileNamePart(project.paths().project_file) +
          "\n#\n";
  size_t heading = text->size();
  std::string& body = *text;
  std::string headers;
  bool has_hash = false;
  for (size_t i = 0; i < targets.size(); ++i) {
    if (workspace.IsStopRequested()) {
      text->clear();
      return false;
    }
    MakeContext context(workspace, states, project, cpus, targets[i], mode, plan);
    // The blocks of the targets are alike: room for the others too.
    const size_t block = body.size();
    body.reserve(block + EstimatedTextSize(context) * (targets.size() - i));
    if (headers.empty()) {
      std::vector<std::string> list;
      CollectHeaderFiles(context, &list);
      BuildFileListVariable(context, "INCS", list, &headers);
    }
    BuildBlock(workspace, context, headers, &body);
    if (workspace.IsStopRequested()) {
      text->clear();
      return false;
    }
    if (clean) {
      body += "Clean :\n";
      BuildCleanLines(context, &body);
    }
    body += "\nendif\n\n";
    // Looked at while the block's text is still in the processor's caches.
    has_hash = has_hash || body.find('#', block) != std::string::npos;
  }
  if (has_hash) {
    std::string blocks = EscapeComments(std::string_view(*text).substr(heading));
    text->resize(heading);
    *text += blocks;
  }
  return true;
}

std::string DefaultMakefileName(const Workspace& workspace) {
  const std::string& active = workspace.selection().ActiveProjectFile();
  size_t dot = active.rfind('.');
  size_t separator = FindLastSeparator(active);
  if (dot == std::string::npos || (separator != std::string::npos && dot < separator)) return "";
  return active.substr(0, dot + 1) + "mak";
}

namespace {

Status Generate(Workspace& workspace, MakeStateStore& states, const CpuTable* cpus,
                ArgText makefile, std::string_view project_file, MakeMode mode,
                std::optional<std::string_view> target, bool force_clean) {
  if (!workspace.document().IsOpen()) return OperationFailure(kStatusNoWorkspace, kMsgNoWorkspace);
  Project* project = workspace.projects().FindByFile(project_file);
  if (project == nullptr || project_file.empty()) {
    return OperationFailure(kStatusProjectNotFound, kMsgProjectNotFound);
  }
  // No makefile name, and a stop, fail without a code of their own.
  if (!makefile) return Status::Invalid("no makefile name");
  std::string path = makefile->empty() ? DefaultMakefileName(workspace) : std::string(*makefile);
  if (path.empty()) return Status::Invalid("no makefile name");
  std::string text;
  OutputPlan plan;
  if (!GenerateKmakeText(workspace, states, *project, cpus, mode, target, force_clean, &text,
                         &plan)) {
    return Status::Invalid("stopped");
  }
  plan.AddFile({path, ToTextModeFile(text), Durability::kDurable, ReadOnlyRule::kClearedFirst});
  if (Status written = ApplyOutputPlan(*workspace.platform().fs, plan); !written) {
    return OperationFailure(std::move(written), kStatusMakefileNotWritten, kMsgMakefileNotWritten);
  }
  states.Of(*project).makefile_out_of_date = false;
  return Status::OK();
}

}  // namespace

Status GenerateKmakeFile(Workspace& workspace, MakeStateStore& states, const CpuTable* cpus,
                         ArgText makefile, std::string_view project_file, MakeMode mode,
                         std::optional<std::string_view> target, bool force_clean) {
  return Generate(workspace, states, cpus, makefile, project_file, mode, target, force_clean);
}

Status SaveMakefile(Workspace& workspace, MakeStateStore& states, const CpuTable* cpus,
                    ArgText makefile) {
  return GenerateKmakeFile(workspace, states, cpus, makefile,
                           workspace.selection().ActiveProjectFile(), NormalMode, std::nullopt,
                           false);
}

Project* FindProjectByNameOrFile(Workspace& workspace, std::string_view project) {
  if (project.empty()) return nullptr;
  if (Project* found = workspace.projects().FindByFile(project)) return found;
  if (Project* found = workspace.projects().Find(project)) return found;
  std::string file;
  if (workspace.projects().ResolveFile(project, &file))
    return workspace.projects().FindByFile(file);
  return nullptr;
}

Status WriteMakefileOfProject(Workspace& workspace, MakeStateStore& states, const CpuTable* cpus,
                              std::string_view project_file, std::string_view project_name,
                              std::string_view mode_text, std::string* makefile) {
  makefile->clear();
  if (project_file.empty() || project_name.empty()) {
    return OperationFailure(kStatusBadArgument, kMsgBadArgument);
  }
  if (!workspace.document().IsOpen()) return OperationFailure(kStatusNoWorkspace, kMsgNoWorkspace);
  std::string mode_string(mode_text);
  char* end = nullptr;
  long long mode = std::strtoll(mode_string.c_str(), &end, 10);
  if (end == mode_string.c_str() || *end != '\0' || mode < NormalMode || mode > FalMode) {
    return OperationFailure(kStatusBadArgument, kMsgBadArgument);
  }
  Project* named = FindProjectByNameOrFile(workspace, project_name);
  if (named == nullptr || workspace.projects().FindByFile(project_file) != named) {
    return OperationFailure(kStatusProjectNotFound, kMsgProjectNotFound);
  }
  *makefile = named->paths().makefile;
  return Generate(workspace, states, cpus, std::string_view(*makefile), named->paths().project_file,
                  static_cast<MakeMode>(mode), std::nullopt, false);
}

bool MakefileNeedsUpdate(MakeStateStore& states, Project& project, MakeMode mode,
                         std::string_view makefile) {
  FileSystem& fs = *project.platform().fs;
  fs.SetReadOnly(makefile, false);
  fs.SetReadOnly(LibrarianCommandFilePath(project), false);
  if (mode == FalMode || states.Of(project).makefile_out_of_date) return true;
  FileStatus made, working_copy, dependencies;
  if (!fs.Stat(makefile, &made)) return true;
  if (fs.Stat(project.paths().working_copy, &working_copy) &&
      made.mtime_ns <= working_copy.mtime_ns) {
    return true;
  }
  return fs.Stat(project.paths().dependency_file, &dependencies) &&
         made.mtime_ns < dependencies.mtime_ns;
}

Status PrepareBuildMakefile(Workspace& workspace, MakeStateStore& states, const CpuTable* cpus,
                            std::string_view project, std::string_view target, MakeMode mode,
                            bool force_clean, std::string* makefile, bool* regenerated) {
  makefile->clear();
  if (regenerated) *regenerated = false;
  if (!workspace.document().IsOpen()) return OperationFailure(kStatusNoWorkspace, kMsgNoWorkspace);
  Project* found = FindProjectByNameOrFile(workspace, project);
  if (found == nullptr || target.empty()) {
    return OperationFailure(kStatusBadArgument, kMsgBadArgument);
  }
  *makefile = found->paths().temp_makefiles[mode == FalMode ? 1 : 0];
  if (!MakefileNeedsUpdate(states, *found, mode, *makefile)) return Status::OK();
  if (regenerated) *regenerated = true;
  return Generate(workspace, states, cpus, std::string_view(*makefile), found->paths().project_file,
                  mode, target, force_clean);
}

Status WriteMakefileForSave(Workspace& workspace, MakeStateStore& states, const CpuTable* cpus,
                            Project& project, bool without_dependencies) {
  return Generate(workspace, states, cpus, std::string_view(project.paths().makefile),
                  project.paths().project_file, without_dependencies ? SubProjectMode : NormalMode,
                  std::nullopt, /*force_clean=*/true);
}

bool IsKmakeFileCurrent(Workspace& workspace, MakeStateStore& states, const CpuTable* cpus,
                        Project& project, bool* current) {
  *current = false;
  std::string text;
  if (!GenerateKmakeText(workspace, states, project, cpus, NormalMode, std::nullopt, false, &text,
                         /*plan=*/nullptr)) {
    return false;
  }
  std::string on_disk;
  *current = workspace.platform().fs->ReadFile(project.paths().makefile, &on_disk) &&
             on_disk == ToTextModeFile(text);
  return true;
}

}  // namespace zelvan
