#include "service/build_queries.h"

#include "linkmap/memory_model.h"
#include "makefile/compile_rules.h"
#include "makefile/make_context.h"
#include "makefile/rule_text.h"
#include "makefile/target_rules.h"
#include "model/project.h"
#include "model/status_codes.h"
#include "model/workspace.h"
#include "platform/ansi_text.h"
#include "platform/file_system.h"
#include "platform/profile_text.h"
#include "service/project_info_kind.h"
#include "toolchain/cpu_table.h"
#include "toolchain/installation.h"
#include "toolchain/support_cpu.h"

namespace zelvan {

namespace {

std::string Unquoted(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c != '"') out.push_back(c);
  }
  return out;
}

}  // namespace

std::vector<std::string> IncludeOptionPaths(std::string_view options) {
  std::vector<std::string> paths;
  std::vector<std::string_view> args = ArgumentSlices(options);
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "-I") {
      if (i + 1 < args.size()) paths.push_back(Unquoted(args[++i]));
    } else if (args[i].starts_with("-I")) {
      paths.push_back(Unquoted(args[i].substr(2)));
    }
  }
  return paths;
}

bool IncludePaths(Workspace& workspace, const CpuTable& cpus, Project& project,
                  std::string_view target, LONG kind, std::vector<std::string>* paths) {
  paths->clear();
  if (kind != kOwnIncludePaths && kind != kSystemIncludePaths && kind != kAllIncludePaths) {
    workspace.SetStatus(kStatusBadArgument, kMsgBadArgument);
    return false;
  }
  if (kind != kSystemIncludePaths) {
    std::string options;
    project.targets().GetOptions(target, TargetOptions::kCompile, &options);
    *paths = IncludeOptionPaths(options);
  }
  if (kind != kOwnIncludePaths) {
    std::vector<std::string> system;
    cpus.GetIncludeDirs(project.Cpu(), &system);
    paths->insert(paths->end(), system.begin(), system.end());
  }
  return true;
}

bool RuleText(Workspace& workspace, MakeStateStore& states, const CpuTable* cpus, Project& project,
              std::string_view target, LONG kind, std::string* text) {
  text->clear();
  MakeContext context(workspace, states, project, cpus, target, NormalMode, /*plan=*/nullptr);
  PrepareTarget(context);
  std::string rules;
  switch (kind) {
    case kInfoCompileRules:
      BuildCompileRules(context, &rules);
      break;
    case kInfoLinkRule:
      BuildLinkRule(context, &rules);
      break;
    case kInfoCleanSection:
      rules = "Clean :\n";
      BuildCleanLines(context, &rules);
      break;
    default:
      workspace.SetStatus(kStatusBadArgument, kMsgBadArgument);
      return false;
  }
  *text = EscapeComments(rules);
  return true;
}

std::string FalDirectory(Workspace& workspace, MakeStateStore& states, const CpuTable* cpus,
                         Project& project, std::string_view target) {
  MakeContext context(workspace, states, project, cpus, target, FalMode, /*plan=*/nullptr);
  return context.module_dir();
}

bool MemoryModelInfo(Workspace& workspace, const Installation& util, const Project& project,
                     std::string_view model, std::string* text) {
  text->clear();
  const std::string cpu = SupportCpu(project.Cpu()).GetTemplateCpuName();
  const std::string path = util.InstallPath(kTemplateFolder) + "\\" + cpu + "\\" + cpu + ".INI";
  std::string contents;
  if (!workspace.platform().fs->ReadFile(path, &contents)) {
    workspace.SetStatus(kStatusTemplateUnreadable, kMsgTemplateUnreadable, {path});
    return false;
  }
  const ProfileText ini(contents);
  std::string default_model;
  std::vector<std::string> names = MemoryModelNames(ini, &default_model);
  if (model.empty()) {
    if (!names.empty()) *text = default_model + ";";
    for (const std::string& name : names) {
      if (!EqualsNoCase(name, default_model)) *text += name + ";";
    }
    return true;
  }
  MemoryModel found;
  std::string error;
  if (!ReadMemoryModel(ini, model, &found, &error)) {
    workspace.SetStatus(kStatusBadArgument, kMsgBadArgument);
    return false;
  }
  *text = FormatAreaListText(found.areas);
  return true;
}

}  // namespace zelvan
