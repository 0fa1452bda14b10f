// The build events and the project custom build of a target, read and
// changed as the IDE's settings dialog does (Service slots 15 and 56).
// Their keys are in custom_build_keys.h.
//
// Each operation fails, with the code and message to report
// (operation_status.h), with kStatusNoWorkspace, kStatusBadArgument (an argument that is no text,
// or an unknown step), kStatusProjectNotFound, kStatusTargetNotFound or kStatusTargetSettingFailed
// (the working copy did not take the change, which then did not happen or happened in part).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "model/workspace.h"
#include "platform/status.h"

namespace zelvan {

enum class ProjectBuildStepKind { kBeforeBuild, kBeforeLink, kAfterBuild, kCustomBuild };

// "before-build", "before-link", "after-build", "custom-build"; false for another text.
bool ParseProjectBuildStepKind(std::string_view text, ProjectBuildStepKind* kind);

struct ProjectBuildStepSettings {
  std::string title;  // the event's title; the custom build's comment
  std::vector<std::string> commands;
  std::vector<std::string> outputs;  // the custom build only
};

Status GetProjectBuildStep(Workspace& workspace, ArgText project, ArgText target,
                           ProjectBuildStepKind kind, ProjectBuildStepSettings* settings);
// Replaces the step whole; the project's makefiles are out of date afterwards.
Status SetProjectBuildStep(Workspace& workspace, ArgText project, ArgText target,
                           ProjectBuildStepKind kind, const ProjectBuildStepSettings& settings);
// Copies every step of target `from` to target `to` (both of the project).
Status CopyProjectBuildSteps(Workspace& workspace, ArgText project, ArgText from, ArgText to);

}  // namespace zelvan
