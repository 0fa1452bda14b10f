// The per-target settings commands, get and set: through the methods of
// the session's Project object for the settings they read or change, on the
// workspace directly for the others.
#include <CLI/CLI.hpp>

#include <iostream>
#include <optional>

#include "cli/cli_command.h"
#include "cli/cli_toolchain.h"
#include "cli/closest_name.h"
#include "cli/json_output.h"
#include "cli/session.h"
#include "cli/session_files.h"
#include "cli/workspace_commands_internal.h"
#include "com/bstr.h"
#include "dependencies/dependency_staleness.h"
#include "makefile/kmake_file.h"
#include "model/path_functions.h"
#include "model/project.h"
#include "model/source_file.h"
#include "model/status_codes.h"
#include "platform/ansi_text.h"
#include "platform/file_system.h"
#include "platform/process_tag.h"
#include "platform/system_services.h"
#include "platform/win_path.h"
#include "service/project_info_kind.h"
#include "storage/profile_functions.h"
#include "storage/project_files.h"

namespace zelvan::cli {

// The stored spelling of a target name given in any letter case.
std::string TargetName(Project& project, std::string_view name) {
  for (const std::string& target : project.targets().List()) {
    if (EqualsNoCase(target, name)) return target;
  }
  return std::string(name);
}

namespace {

// The setting a short name names, in any letter case.
std::optional<Setting> NamedSetting(std::string_view name) {
  for (const auto& [text, setting] : kSettingNames) {
    if (EqualsNoCase(name, text)) return setting;
  }
  return std::nullopt;
}

// A typing slip must not become a key of its own: a name that is no setting
// is refused, with the closest one and the list.
int UnknownSetting(std::string_view name) {
  std::vector<std::string> known;
  for (const auto& [text, setting] : kSettingNames)
    known.push_back(text);
  const std::string closest = ClosestName(name, known);
  std::cerr << "zelvan: unknown setting " << name;
  if (!closest.empty()) std::cerr << " (did you mean " << closest << "?)";
  std::cerr << "; settings: ";
  for (size_t i = 0; i < known.size(); ++i)
    std::cerr << (i > 0 ? ", " : "") << known[i];
  std::cerr << "; --raw reads or writes a key of the target's section\n";
  return kExitUsage;
}

bool GetSetting(Project& project, std::string_view target, Setting setting, std::string_view name,
                std::string* value) {
  switch (setting) {
    case Setting::kCompile:
      return project.targets().GetOptions(target, TargetOptions::kCompile, value);
    case Setting::kLink:
      return project.targets().GetOptions(target, TargetOptions::kLink, value);
    case Setting::kConvert:
      return project.targets().GetOptions(target, TargetOptions::kConvert, value);
    case Setting::kOutput:
      return project.targets().GetDir(target, TargetDir::kOutput, value);
    case Setting::kWork:
      return project.targets().GetDir(target, TargetDir::kWork, value);
    case Setting::kTemp:
      return project.targets().GetDir(target, TargetDir::kTemp, value);
    case Setting::kDebug:
      return project.targets().GetDir(target, TargetDir::kDebug, value);
    case Setting::kRaw:
      return project.targets().GetValue(target, name, value);
  }
  return false;
}

bool SetSetting(Project& project, std::string_view target, Setting setting, std::string_view name,
                std::string_view value) {
  switch (setting) {
    case Setting::kCompile:
      return project.targets().SetProjectOptions(target, TargetOptions::kCompile, value);
    case Setting::kLink:
      return project.targets().SetProjectOptions(target, TargetOptions::kLink, value);
    case Setting::kConvert:
      return project.targets().SetProjectOptions(target, TargetOptions::kConvert, value);
    case Setting::kOutput:
      return project.targets().SetDir(target, TargetDir::kOutput, value);
    case Setting::kWork:
      return project.targets().SetDir(target, TargetDir::kWork, value);
    case Setting::kTemp:
      return project.targets().SetDir(target, TargetDir::kTemp, value);
    case Setting::kDebug:
      return project.targets().SetDir(target, TargetDir::kDebug, value);
    case Setting::kRaw:
      return project.targets().SetValue(target, name, value);
  }
  return false;
}

// A raw key must read back as the key it was written as.
bool IsUsableKey(std::string_view key) {
  if (key.empty() || TrimBlanks(key).size() != key.size()) return false;
  if (key.front() == ';' || key.front() == '[') return false;
  for (char c : key) {
    if (c == '=' || c == '\r' || c == '\n') return false;
  }
  return true;
}

// What `get` prints: the value, or with --json
//   {"project": "Motor", "target": "Debug", "setting": "compile", "value": "-g -O0"}
// (the project as the command named it, the target as the project spells it).
void PrintSetting(const ProjectTargetArgs& args, std::string_view target, std::string_view name,
                  const std::string& value) {
  if (!args.json) {
    std::cout << value << '\n';
    return;
  }
  PrintJson({{"project", args.project},
             {"target", std::string(target)},
             {"setting", std::string(name)},
             {"value", value}});
}

int CheckTarget(Session& session, Project& project, std::string_view target) {
  if (project.targets().Has(target)) return kExitOk;
  session.workspace().SetStatus(kStatusTargetNotFound, kMsgTargetNotFound);
  return session.FailedWith(TargetsSubject(target, project.targets().List()));
}

// The settings a method of the component reads, and those it changes.
bool ReadByComponent(Setting setting) {
  return setting == Setting::kLink || setting == Setting::kOutput || setting == Setting::kWork ||
         setting == Setting::kRaw;
}
bool WrittenByComponent(Setting setting) {
  return setting == Setting::kLink || setting == Setting::kConvert || setting == Setting::kOutput;
}

int RunGetThroughComponent(const GlobalOptions& globals, const ProjectTargetArgs& args,
                           Setting setting, const std::string& name) {
  Session session(globals);
  session.SetReadOnly();
  if (!session.Open()) return kExitFailed;
  std::vector<std::string> targets;
  if (!CheckProjectTarget(session, args.project, args.target, &targets)) return kExitFailed;
  const std::string target = TargetName(targets, args.target);
  if (setting == Setting::kRaw && !IsUsableKey(name)) {
    return session.FailedWithStatus(kStatusBadArgument, kMsgBadArgument);
  }
  VariantArgs a;
  ScopedBstr text;
  VARIANT* value = a.Out();
  HRESULT hr = S_OK;
  switch (setting) {
    case Setting::kLink:
      hr = session.project_object().GetLinkOptions(a.Bstr(args.project), a.Bstr(target),
                                                   text.Receive());
      break;
    case Setting::kOutput:
      hr = session.project_object().GetOutputDir(a.Bstr(args.project), a.Bstr(target),
                                                 text.Receive());
      break;
    case Setting::kWork: {
      VARIANT place = a.Empty();
      place.vt = VT_VARIANT | VT_BYREF;
      place.pvarVal = value;
      hr = session.service().GetWorkDir(a.Bstr(args.project), a.Bstr(target), place, a.Empty());
      break;
    }
    default:
      hr = session.service().Method14(a.Text(args.project), a.Out(),
                                      a.Text(TargetSectionName(target)), a.Out(), a.Text(name),
                                      value);
      break;
  }
  if (hr != S_OK) return session.Failed();
  PrintSetting(args, target, name, text.Get() != nullptr ? text.Text() : VariantText(*value));
  return kExitOk;
}

int RunSetThroughComponent(const GlobalOptions& globals, const ProjectTargetArgs& args,
                           Setting setting, const std::string& value) {
  Session session(globals);
  if (!session.Open()) return kExitFailed;
  std::vector<std::string> targets;
  if (!CheckProjectTarget(session, args.project, args.target, &targets)) return kExitFailed;
  if (value.find_first_of("\r\n") != std::string::npos) {
    return session.FailedWithStatus(kStatusBadArgument, kMsgBadArgument);
  }
  const std::string target = TargetName(targets, args.target);
  VariantArgs a;
  IProject& project = session.project_object();
  BSTR owner = a.Bstr(args.project);
  HRESULT hr = S_OK;
  switch (setting) {
    case Setting::kLink:
      hr = project.SetProjectLink(owner, a.Bstr(target), a.Bstr(value));
      break;
    case Setting::kConvert:
      hr = project.SetProjectConvert(owner, a.Bstr(target), a.Bstr(value));
      break;
    default:
      hr = project.SetOutputDir(owner, a.Bstr(target), a.Bstr(value));
      break;
  }
  if (hr != S_OK) return session.Failed();
  return session.Save();
}

// The setting SETTING names, or nullopt after saying why not.
std::optional<Setting> RequestedSetting(const ProjectTargetArgs& args, std::string_view name) {
  if (args.raw) return Setting::kRaw;
  std::optional<Setting> setting = NamedSetting(name);
  if (!setting) UnknownSetting(name);
  return setting;
}

// The short name as the command line spells it, or the raw key.
std::string SettingName(Setting setting, const std::string& name) {
  for (const auto& [text, known] : kSettingNames) {
    if (known == setting) return text;
  }
  return name;
}

}  // namespace

int RunGet(const GlobalOptions& globals, const ProjectTargetArgs& args, const std::string& typed) {
  const std::optional<Setting> setting = RequestedSetting(args, typed);
  if (!setting) return kExitUsage;
  const std::string name = SettingName(*setting, typed);
  if (ReadByComponent(*setting)) return RunGetThroughComponent(globals, args, *setting, name);
  Session session(globals);
  session.SetReadOnly();
  if (!session.Open()) return kExitFailed;
  Project* project = session.FindProject(args.project);
  if (project == nullptr) return kExitFailed;
  if (CheckTarget(session, *project, args.target) != kExitOk) return kExitFailed;
  std::string value;
  GetSetting(*project, args.target, *setting, name, &value);
  PrintSetting(args, TargetName(*project, args.target), name, value);
  return kExitOk;
}

int RunSet(const GlobalOptions& globals, const ProjectTargetArgs& args, const std::string& typed,
           const std::string& value) {
  const std::optional<Setting> setting = RequestedSetting(args, typed);
  if (!setting) return kExitUsage;
  if (WrittenByComponent(*setting)) return RunSetThroughComponent(globals, args, *setting, value);
  Session session(globals);
  if (!session.Open()) return kExitFailed;
  Project* project = session.FindProject(args.project);
  if (project == nullptr) return kExitFailed;
  if (CheckTarget(session, *project, args.target) != kExitOk) return kExitFailed;
  if ((*setting == Setting::kRaw && !IsUsableKey(typed)) ||
      value.find_first_of("\r\n") != std::string::npos) {
    session.workspace().SetStatus(kStatusBadArgument, kMsgBadArgument);
    return session.Failed();
  }
  if (!SetSetting(*project, TargetName(*project, args.target), *setting, typed, value)) {
    return session.Failed("the setting could not be written to the working copy of " +
                          project->paths().project_file);
  }
  return session.Save();
}

}  // namespace zelvan::cli
