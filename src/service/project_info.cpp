#include "service/project_info.h"

#include <string>
#include <vector>

#include "com/bstr.h"
#include "dependencies/dependency_updater.h"
#include "makefile/custom_build_rules.h"
#include "makefile/gnu_makefile.h"
#include "makefile/kmake_file.h"
#include "model/path_functions.h"
#include "model/project.h"
#include "model/status_codes.h"
#include "model/workspace.h"
#include "platform/ansi_text.h"
#include "platform/file_system.h"
#include "platform/private_profile.h"
#include "service/argument_shapes.h"
#include "service/build_queries.h"
#include "service/component_module.h"
#include "service/project_info_kind.h"
#include "service/report_status.h"
#include "service/window_progress.h"
#include "storage/profile_functions.h"
#include "storage/project_files.h"
#include "toolchain/cpu_table.h"

namespace zelvan {
namespace {

// Profile values read "with the 32768-character buffer".
constexpr size_t kLongValueBuffer = 32768;

bool IsKnownKind(LONG kind) {
  return (kind >= 0 && kind <= 25) || (kind >= 50 && kind <= 61) || (kind >= 100 && kind <= 133) ||
         (kind >= 1001 && kind <= 1020) || kind == 2000;
}

bool NeedsProject(LONG kind) {
  if (kind == 3 || (kind >= 6 && kind <= 9)) return true;
  if (kind == kInfoProjectValue || kind == kInfoMemoryModels || kind == kInfoSettingsPath ||
      kind == kInfoSectionKeys || kind == kInfoOptionsPath) {
    return true;
  }
  if (kind >= 100 && kind <= 133)
    return kind != kInfoStopRequestName && kind != kInfoUpdateEveryProject &&
           kind != kInfoUpdateStaleOfEveryProject;
  return (kind >= 1001 && kind <= 1020) || kind == 2000;
}

// The GNU-format makefile (133) has a block per target as the KMAKE one
// has: without targets it would build nothing, and is refused the same way.
bool NeedsTarget(LONG kind) {
  return (kind >= kInfoProjectMakefile && kind <= kInfoFalDirectory) || kind == kInfoGnuMakefile;
}

std::string ProjectNames(const Workspace& workspace) {
  std::vector<std::string> names;
  for (const auto& project : workspace.projects().All()) {
    names.push_back(project->paths().output_name);
  }
  return JoinWithSemicolons(names);
}

class Query {
 public:
  Query(ComponentModule& module, Project* project, const VARIANT& value)
      : module_(module), workspace_(module.workspace()), project_(project), value_(value) {}

  // The text of `kind`; a failure leaves the workspace's status set.
  std::string Answer(LONG kind) {
    PrivateProfile& profile = *workspace_.platform().profile;
    switch (kind) {
      case kInfoCurrentProject:
      case kInfoCurrentProjectName:
        return workspace_.selection().CurrentProjectName();
      case kInfoCurrentTarget:
        return workspace_.selection().CurrentTarget();
      case kInfoProjects:
      case kInfoProjectList:
        return ProjectNames(workspace_);
      case kInfoTargets:
        return JoinWithSemicolons(project_->targets().List());
      case kInfoFolderFilter:
        return ReadWorkingCopy(profile, Value(), kFilterKey, 0);
      case kInfoProjectValue:
        return ReadWorkingCopy(profile, kProjectSection, Value(), kLongValueBuffer);
      case kInfoSettingsPath:
        return project_->paths().ide_project_file;
      case kInfoSectionKeys: {
        std::string names;
        if (value_ok()) ReadProfileString(profile, Value(), kAllKeys, &names, WorkingCopy());
        return names;
      }
      case kInfoOptionsPath:
        return project_->paths().options_file;
      case kInfoTargetOutputDirectory:
      case kInfoTargetOutput:
        return TargetOutput(kind);
      case kInfoLcfOpen:
        return LcfOpen(profile);
      case kInfoRelativePath: {
        std::string relative;
        if (value_ok()) MakeRelativePathDot(project_->paths().project_file, Value(), &relative);
        return relative;
      }
      case kInfoSourceEntries:
        return JoinWithSemicolons(project_->sources().Entries());
      case kInfoStopRequestName:
        return workspace_.StopObjectName();
      case kInfoUpdateEveryProject:
      case kInfoUpdateStaleOfEveryProject:
        return UpdateEveryProject(kind == kInfoUpdateEveryProject ? DependencyMode::kAllFiles
                                                                  : DependencyMode::kModifiedFiles);
      case kInfoMemoryModels: {
        std::string text;
        const std::string model = OptionalValue();
        if (workspace_.GetLastStatus() == 0) {
          MemoryModelInfo(workspace_, module_.util(), *project_, model, &text);
        }
        return text;
      }
      case kInfoProjectMakefile:
        return ProjectMakefile();
      case kInfoBuildMakefile:
        return BuildMakefile();
      case kInfoPreBuildMakefile:
      case kInfoConvertMakefile:
        return SideMakefile(kind);
      case kInfoFalDirectory: {
        std::string target;
        if (!Target(OptionalValue(), &target)) return std::string();
        return FalDirectory(workspace_, module_.make_states(), &module_.cpus(), *project_, target);
      }
      case kInfoCompileRules:
      case kInfoLinkRule:
      case kInfoCleanSection: {
        std::string target;
        std::string text;
        if (Target(OptionalValue(), &target)) {
          RuleText(workspace_, module_.make_states(), &module_.cpus(), *project_, target, kind,
                   &text);
        }
        return text;
      }
      case kInfoGnuMakefile:
        // The project with the projects it links (the value "1": alone),
        // written to its own makefile, whose path is the answer.
        return ReportStatus(workspace_,
                            GenerateGnuMakefile(workspace_, module_.make_states(), &module_.cpus(),
                                                *project_, OptionalValue()))
                   ? project_->paths().makefile
                   : std::string();
      case kInfoCpuHome:
      case kInfoCpuSecondHome:
      case kInfoCpuSecondHomeVariable:
      case kInfoCpuTemporaryDirectory:
      case kInfoCpuExecutableDirectories:
      case kInfoCpuTool:
        return CpuAnswer(kind);
      default:
        return std::string();
    }
  }

 private:
  bool value_ok() {
    if (IsText(value_)) return true;
    workspace_.SetStatus(kStatusBadArgument, kMsgBadArgument);
    return false;
  }
  std::string Value() {
    TextArg value(value_);
    if (!value.ok()) workspace_.SetStatus(kStatusBadArgument, kMsgBadArgument);
    return value.str();
  }
  // The value, where leaving it empty (VT_EMPTY) is allowed.
  std::string OptionalValue() { return value_.vt == VT_EMPTY ? std::string() : Value(); }
  const std::string& WorkingCopy() const { return project_->paths().working_copy; }

  std::string ReadWorkingCopy(PrivateProfile& profile, std::string_view section,
                              std::string_view key, size_t buffer) {
    if (workspace_.GetLastStatus() != 0) return std::string();
    return profile.GetString(section, key, "", WorkingCopy(), buffer);
  }

  // The target `name` names (empty: the project's current one).
  bool Target(std::string name, std::string* target) {
    if (workspace_.GetLastStatus() != 0) return false;
    if (name.empty()) name = project_->targets().Current();
    if (!project_->targets().Has(name)) {
      workspace_.SetStatus(kStatusTargetNotFound, kMsgTargetNotFound);
      return false;
    }
    *target = std::string(project_->targets().Spelling(name));
    return true;
  }

  std::string TargetOutput(LONG kind) {
    std::string target;
    std::string dir;
    if (!Target(Value(), &target)) return dir;
    if (kind == kInfoTargetOutputDirectory) {
      project_->targets().GetDir(target, TargetDir::kOutput, &dir);
    } else {
      project_->targets().GetValue(target, kKeyOutput, &dir);
    }
    return dir;
  }

  // The IDE keeps the setting in the project's .kpa file; the project
  // file's own value stands in when the IDE has none.
  std::string LcfOpen(PrivateProfile& profile) {
    std::string settings;
    std::string value;
    if (ChangeExtension(*workspace_.platform().fs, project_->paths().project_file,
                        kIdeSettingsExtension, &settings) &&
        profile.Lookup(kProjectSection, kLcfOpenKey, settings, &value)) {
      return value;
    }
    return profile.GetString(kProjectSection, kLcfOpenKey, "", WorkingCopy());
  }

  // A makefile the operation wrote or found current; a stop leaves a
  // status of its own, so that an empty answer never counts as a path.
  std::string MakefileOrStop(bool done, std::string makefile) {
    if (!done && workspace_.GetLastStatus() == 0) workspace_.SetStatus(kStatusStopped, kMsgStopped);
    return done ? makefile : std::string();
  }

  // Kind 100: the project's own KMAKE makefile, written in the mode the
  // value gives ("0", "1" or "2"; empty: "0").
  std::string ProjectMakefile() {
    std::string mode = OptionalValue();
    if (workspace_.GetLastStatus() != 0) return std::string();
    std::string makefile;
    const bool done = ReportStatus(
        workspace_,
        WriteMakefileOfProject(workspace_, module_.make_states(), &module_.cpus(),
                               project_->paths().project_file, project_->paths().output_name,
                               mode.empty() ? "0" : mode, &makefile));
    return MakefileOrStop(done, makefile);
  }

  // Kind 103: the build makefile of a target, made again when it is out of
  // date. The value is the target, or a string list of the target, the mode
  // ("0" or "2"; empty: "0") and "1" for the Clean section whatever the
  // number of files.
  std::string BuildMakefile() {
    std::vector<std::string> parts;
    if (value_.vt == VT_EMPTY) {
      parts.emplace_back();
    } else if (!TextsFromVariant(value_, &parts) || parts.empty() || parts.size() > 3) {
      workspace_.SetStatus(kStatusBadArgument, kMsgBadArgument);
      return std::string();
    }
    parts.resize(3);
    std::string target;
    if (!Target(parts[0], &target)) return std::string();
    MakeMode mode = NormalMode;
    if (parts[1] == "2") {
      mode = FalMode;
    } else if (!parts[1].empty() && parts[1] != "0") {
      workspace_.SetStatus(kStatusBadArgument, kMsgBadArgument);
    }
    if (!parts[2].empty() && parts[2] != "0" && parts[2] != "1") {
      workspace_.SetStatus(kStatusBadArgument, kMsgBadArgument);
    }
    if (workspace_.GetLastStatus() != 0) return std::string();
    std::string makefile;
    const bool done = ReportStatus(
        workspace_, PrepareBuildMakefile(workspace_, module_.make_states(), &module_.cpus(),
                                         project_->paths().project_file, target, mode,
                                         parts[2] == "1", &makefile));
    return MakefileOrStop(done, makefile);
  }

  // The value is the progress window (window_progress.h).
  // Kinds 104 and 105: the target's pre-build makefile and its convert
  // makefile (an executable's only), written, and their paths.
  std::string SideMakefile(LONG kind) {
    std::string target;
    if (!Target(OptionalValue(), &target)) return std::string();
    if (kind == kInfoConvertMakefile && project_->IsLibrary()) {
      workspace_.SetStatus(kStatusBadArgument, kMsgBadArgument);
      return std::string();
    }
    std::string makefile;
    const bool written = kind == kInfoPreBuildMakefile
                             ? WritePreBuildMakefile(workspace_, module_.make_states(), *project_,
                                                     &module_.cpus(), target, &makefile)
                             : WriteConversionMakefile(workspace_, module_.make_states(), *project_,
                                                       &module_.cpus(), target, &makefile);
    if (written) return makefile;
    if (workspace_.GetLastStatus() == 0) {
      workspace_.SetStatus(kStatusMakefileNotWritten, kMsgMakefileNotWritten);
    }
    return std::string();
  }

  std::string UpdateEveryProject(DependencyMode mode) {
    bool cancelled = false;
    WindowProgress progress(value_);
    module_.dependencies().UpdateDependencies(workspace_, mode, progress.get(), &cancelled);
    return cancelled ? "1" : "";
  }

  std::string CpuAnswer(LONG kind) {
    const CpuTable& cpus = module_.cpus();
    const std::string& cpu = project_->Cpu();
    if (cpus.FindCpu(cpu) == nullptr) {
      workspace_.SetStatus(kStatusUnknownCpu, kMsgCpuNameNotKnown);
      return std::string();
    }
    std::string text;
    std::string variable;
    std::vector<std::string> dirs;
    switch (kind) {
      case kInfoCpuHome:
        cpus.ReadHomeDir(cpu, &text);
        return text;
      case kInfoCpuSecondHome:
        cpus.ReadSecondHome(cpu, &variable, &text);
        return text;
      case kInfoCpuSecondHomeVariable:
        cpus.ReadSecondHome(cpu, &variable, &text);
        return variable;
      case kInfoCpuTemporaryDirectory:
        cpus.GetTemporaryDirs(cpu, &dirs);
        return dirs.empty() ? std::string() : dirs.front();
      case kInfoCpuExecutableDirectories:
        cpus.GetExecutableDirs(cpu, &dirs);
        return JoinWithSemicolons(dirs);
      default: {
        const std::string tool = Value();
        cpus.ReadHomeDir(cpu, &text);
        return text + "\\bin\\" + tool;
      }
    }
  }

  ComponentModule& module_;
  Workspace& workspace_;
  Project* project_;
  const VARIANT& value_;
};

// The project the project VARIANT names; `*project` stays null for an empty
// name. False with the status set when the name is no text or names none.
bool ProjectOf(Workspace& workspace, const VARIANT& name_arg, Project** project) {
  *project = nullptr;
  TextArg name(name_arg);
  if (!name.ok()) {
    workspace.SetStatus(kStatusBadArgument, kMsgBadArgument);
    return false;
  }
  if (name.str().empty()) return true;
  std::string file;
  if (workspace.projects().ResolveFile(name.str(), &file))
    *project = workspace.projects().FindByFile(file);
  if (*project == nullptr) {
    workspace.SetStatus(kStatusProjectNotFound, kMsgProjectNotFound);
    return false;
  }
  return true;
}

}  // namespace

HRESULT GetProjectInfo(ComponentModule& module, LONG kind, const VARIANT& project_arg,
                       const VARIANT& value, BSTR* result) {
  if (result == nullptr) return E_POINTER;
  *result = nullptr;
  Workspace& workspace = module.workspace();
  workspace.ClearStatus();
  if (!workspace.document().IsOpen() && kind != kInfoStopRequestName) {
    workspace.SetStatus(kStatusNoWorkspace, kMsgNoWorkspace);
    return S_FALSE;
  }
  Project* project = nullptr;
  // The dependency kinds take their second argument (the progress window)
  // as it is and name no project.
  if (kind != kInfoUpdateEveryProject && kind != kInfoUpdateStaleOfEveryProject &&
      !ProjectOf(workspace, project_arg, &project))
    return S_FALSE;

  std::string text;
  if (!IsKnownKind(kind)) {
    if (project != nullptr) workspace.SetStatus(kStatusBadArgument, kMsgBadArgument);
  } else if (NeedsProject(kind) && project == nullptr) {
    workspace.SetStatus(kStatusBadArgument, kMsgBadArgument);
  } else if (NeedsTarget(kind) && project != nullptr && project->targets().List().empty()) {
    workspace.SetStatus(kStatusNoOutputOrTargets, kMsgNoOutputOrTargets);
  } else {
    text = Query(module, project, value).Answer(kind);
  }
  if (workspace.GetLastStatus() != 0) return S_FALSE;
  *result = BstrFromText(text);
  return *result != nullptr ? S_OK : E_OUTOFMEMORY;
}

HRESULT SetProjectInfo(ComponentModule& module, LONG kind, const VARIANT& project_arg,
                       const VARIANT& value, std::string_view text) {
  Workspace& workspace = module.workspace();
  workspace.ClearStatus();
  if (!workspace.document().IsOpen()) {
    workspace.SetStatus(kStatusNoWorkspace, kMsgNoWorkspace);
    return S_FALSE;
  }
  Project* project = nullptr;
  if (!ProjectOf(workspace, project_arg, &project)) return S_FALSE;

  const Platform& platform = workspace.platform();
  auto needs_project = [&]() {
    if (project == nullptr) workspace.SetStatus(kStatusBadArgument, kMsgBadArgument);
    return project != nullptr;
  };
  switch (kind) {
    case kInfoCurrentProject:
    case kInfoCurrentProjectName:
      return ReportStatus(workspace, workspace.SetActiveProject(text)) ? S_OK : S_FALSE;
    case kInfoCurrentTarget:
      return workspace.selection().ChangeCurrentTarget(text) ? S_OK : S_FALSE;
    case kInfoFolderFilter: {
      TextArg folder(value);
      if (!needs_project()) return S_FALSE;
      if (!folder.ok() || folder.str().empty()) {
        workspace.SetStatus(kStatusBadArgument, kMsgBadArgument);
        return S_FALSE;
      }
      if (!WriteProfileString(platform, folder.str(), kFilterKey, text,
                              project->paths().working_copy)) {
        workspace.SetStatus(kStatusFileSettingFailed, kMsgFileSettingFailed);
        return S_FALSE;
      }
      return S_OK;
    }
    case kInfoRenameCurrentProject:
      workspace.selection().SetCurrentProjectName(text);
      return S_OK;
    case kInfoLcfOpen: {
      std::string settings;
      if (!needs_project()) return S_FALSE;
      if (!ChangeExtension(*platform.fs, project->paths().project_file, kIdeSettingsExtension,
                           &settings) ||
          !WriteProfileString(platform, kProjectSection, kLcfOpenKey, text, settings)) {
        workspace.SetStatus(kStatusFileSettingFailed, kMsgFileSettingFailed);
        return S_FALSE;
      }
      return S_OK;
    }
    // Kinds the IDE sets that this system keeps nothing of.
    case 11:
    case 15:
    case 19:
    case 20:
    case 21:
    case 57:
    case 60:
    case 61:
    case 127:
    case 1009:
    case 1010:
    case 1011:
    case 1012:
    case 1013:
    case 1014:
    case 1015:
    case 1017:
    case 1018:
      return S_OK;
    default:
      workspace.SetStatus(kStatusBadArgument, kMsgBadArgument);
      return S_FALSE;
  }
}

}  // namespace zelvan
