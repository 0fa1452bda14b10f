#include "makefile/project_build_steps.h"

#include "makefile/custom_build_keys.h"
#include "model/operation_status.h"
#include "model/project.h"
#include "model/workspace_hooks.h"

namespace zelvan {

namespace {

struct StepKeys {
  const char* title;
  const char* commands;
};

StepKeys KeysOf(ProjectBuildStepKind kind) {
  switch (kind) {
    case ProjectBuildStepKind::kBeforeBuild:
      return {kKeyBeforeBuildTitle, kKeyBeforeBuildCommand};
    case ProjectBuildStepKind::kBeforeLink:
      return {kKeyBeforeLinkTitle, kKeyBeforeLinkCommand};
    case ProjectBuildStepKind::kAfterBuild:
      return {kKeyAfterBuildTitle, kKeyAfterBuildCommand};
    case ProjectBuildStepKind::kCustomBuild:
      break;
  }
  return {kKeyCBuildProjectComment, kKeyCBuildProjectCommand};
}

constexpr ProjectBuildStepKind kAllKinds[] = {
    ProjectBuildStepKind::kBeforeBuild, ProjectBuildStepKind::kBeforeLink,
    ProjectBuildStepKind::kAfterBuild, ProjectBuildStepKind::kCustomBuild};

// The project of a step operation, with every target named checked.
Status StepProject(Workspace& workspace, ArgText project, std::initializer_list<ArgText> targets,
                   Project** found) {
  std::vector<ArgText> args{project};
  args.insert(args.end(), targets);
  for (const ArgText& arg : args) {
    if (Status begun = CheckOperation(workspace, {arg}); !begun) return begun;
  }
  std::string file;
  *found = workspace.projects().ResolveFile(*project, &file) ? workspace.projects().FindByFile(file)
                                                             : workspace.projects().Find(*project);
  if (*found == nullptr) return OperationFailure(kStatusProjectNotFound, kMsgProjectNotFound);
  for (const ArgText& target : targets) {
    if (!(*found)->targets().Has(*target)) {
      return OperationFailure(kStatusTargetNotFound, kMsgTargetNotFound);
    }
  }
  return Status::OK();
}

void ReadStep(Project& project, std::string_view target, ProjectBuildStepKind kind,
              ProjectBuildStepSettings* settings) {
  StepKeys keys = KeysOf(kind);
  project.targets().GetValue(target, keys.title, &settings->title);
  project.targets().GetCountedList(target, keys.commands, &settings->commands);
  settings->outputs.clear();
  if (kind == ProjectBuildStepKind::kCustomBuild) {
    project.targets().GetCountedList(target, kKeyCBuildProjectOutput, &settings->outputs);
  }
}

bool WriteStep(Project& project, std::string_view target, ProjectBuildStepKind kind,
               const ProjectBuildStepSettings& settings) {
  StepKeys keys = KeysOf(kind);
  bool written =
      project.targets().SetValue(target, keys.title, settings.title) &&
      project.targets().SetCountedList(target, keys.commands, settings.commands) &&
      (kind != ProjectBuildStepKind::kCustomBuild ||
       project.targets().SetCountedList(target, kKeyCBuildProjectOutput, settings.outputs));
  if (WorkspaceHooks* hooks = project.Environment().hooks) hooks->MakefileOutOfDate(project);
  return written;
}

}  // namespace

bool ParseProjectBuildStepKind(std::string_view text, ProjectBuildStepKind* kind) {
  static constexpr std::pair<std::string_view, ProjectBuildStepKind> kNames[] = {
      {"before-build", ProjectBuildStepKind::kBeforeBuild},
      {"before-link", ProjectBuildStepKind::kBeforeLink},
      {"after-build", ProjectBuildStepKind::kAfterBuild},
      {"custom-build", ProjectBuildStepKind::kCustomBuild},
  };
  for (const auto& [name, value] : kNames) {
    if (text == name) {
      *kind = value;
      return true;
    }
  }
  return false;
}

Status GetProjectBuildStep(Workspace& workspace, ArgText project, ArgText target,
                           ProjectBuildStepKind kind, ProjectBuildStepSettings* settings) {
  Project* found = nullptr;
  if (Status status = StepProject(workspace, project, {target}, &found); !status) return status;
  ReadStep(*found, *target, kind, settings);
  return Status::OK();
}

Status SetProjectBuildStep(Workspace& workspace, ArgText project, ArgText target,
                           ProjectBuildStepKind kind, const ProjectBuildStepSettings& settings) {
  Project* found = nullptr;
  if (Status status = StepProject(workspace, project, {target}, &found); !status) return status;
  if (!WriteStep(*found, *target, kind, settings)) {
    return OperationFailure(kStatusTargetSettingFailed, kMsgTargetSettingFailed);
  }
  return Status::OK();
}

Status CopyProjectBuildSteps(Workspace& workspace, ArgText project, ArgText from, ArgText to) {
  Project* found = nullptr;
  if (Status status = StepProject(workspace, project, {from, to}, &found); !status) return status;
  for (ProjectBuildStepKind kind : kAllKinds) {
    ProjectBuildStepSettings settings;
    ReadStep(*found, *from, kind, &settings);
    if (!WriteStep(*found, *to, kind, settings)) {
      return OperationFailure(kStatusTargetSettingFailed, kMsgTargetSettingFailed);
    }
  }
  return Status::OK();
}

}  // namespace zelvan
