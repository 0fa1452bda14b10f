// The service's calls about the toolchain and what is built with it: CPU
// information, custom events, project files of the older generation, the
// function database, makefiles and build steps, new projects, and link
// command files.
#include "service/service_object.h"

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "com/bstr.h"
#include "com/variant.h"
#include "dependencies/dependency_updater.h"
#include "linkmap/link_command_values.h"
#include "makefile/kmake_file.h"
#include "makefile/project_build_steps.h"
#include "model/project.h"
#include "model/source_file.h"
#include "model/status_codes.h"
#include "model/workspace.h"
#include "platform/ansi_text.h"
#include "platform/private_profile.h"
#include "projects/copy_rename.h"
#include "projects/new_project.h"
#include "scanner/function_requests.h"
#include "service/argument_shapes.h"
#include "service/build_queries.h"
#include "service/ide_connection.h"
#include "service/project_info.h"
#include "service/report_status.h"
#include "service/service_object_internal.h"
#include "service/window_progress.h"
#include "storage/old_project_files.h"
#include "storage/profile_functions.h"
#include "toolchain/cpu_table.h"
#include "toolchain/custom_events.h"
#include "toolchain/installation.h"
#include "toolchain/support_cpu.h"

namespace zelvan {
namespace {

// The message that carries custom events to the windows registered for them.
constexpr LONG kCustomEventMessage = 12549;

// GetCpuInfo kinds.
enum CpuInfoKind : LONG {
  kCpuTools = 0,            // the tool table, "key=value\n" per tool
  kCpuIncludeDirs = 1,      // directory lists, as string arrays
  kCpuLibraryDirs = 2,      //
  kCpuExecutableDirs = 3,   //
  kCpuTemporaryDirs = 4,    //
  kCpuHomeDir = 5,          // texts
  kCpuSecondHomeDir = 6,    //
  kCpuSecondHomeName = 7,   //
  kCpuOptionLibrary = 300,  // the standard library a CPU option brings
  kCpuOptionConvert = 301,  // the converter option a CPU option brings
};

}  // namespace

// --- The toolchain.

HRESULT ServiceObject::GetCpuInfo(LONG kind, VARIANT cpu, VARIANT option, VARIANT* result) {
  ArgumentScope scope{&cpu, &option};
  if (result == nullptr) return E_POINTER;
  Workspace& ws = workspace();
  ws.ClearStatus();
  TextArg name(cpu);
  TextArg text(option);
  const bool needs_option = kind == kCpuOptionLibrary || kind == kCpuOptionConvert;
  if (!name.ok() || (needs_option && !text.ok())) {
    ws.SetStatus(kStatusBadArgument, kMsgBadArgument);
    return S_FALSE;
  }
  const CpuTable& cpus = module_.cpus();
  if (cpus.FindCpu(name.str()) == nullptr) {
    ws.SetStatus(kStatusUnknownCpu, kMsgCpuNameNotKnown);
    return S_FALSE;
  }
  std::string answer;
  std::string variable;
  std::vector<std::string> dirs;
  switch (kind) {
    case kCpuTools:
      cpus.GetToolsText(name.str(), &answer);
      break;
    case kCpuIncludeDirs:
      cpus.GetIncludeDirs(name.str(), &dirs);
      return StoreStrings(result, dirs) ? S_OK : E_OUTOFMEMORY;
    case kCpuLibraryDirs:
      cpus.GetLibraryDirs(name.str(), &dirs);
      return StoreStrings(result, dirs) ? S_OK : E_OUTOFMEMORY;
    case kCpuExecutableDirs:
      cpus.GetExecutableDirs(name.str(), &dirs);
      return StoreStrings(result, dirs) ? S_OK : E_OUTOFMEMORY;
    case kCpuTemporaryDirs:
      cpus.GetTemporaryDirs(name.str(), &dirs);
      return StoreStrings(result, dirs) ? S_OK : E_OUTOFMEMORY;
    case kCpuHomeDir:
      cpus.ReadHomeDir(name.str(), &answer);
      break;
    case kCpuSecondHomeDir:
      cpus.ReadSecondHome(name.str(), &variable, &answer);
      break;
    case kCpuSecondHomeName:
      cpus.ReadSecondHome(name.str(), &answer, &variable);
      break;
    case kCpuOptionLibrary:
      answer = module_.util().QkGetLibraryNameByOption(name.str(), text.str());
      break;
    case kCpuOptionConvert:
      answer = module_.util().QkGetConvertOptionByOption(name.str(), text.str());
      break;
    default:
      ws.SetStatus(kStatusBadArgument, kMsgBadArgument);
      return S_FALSE;
  }
  return StoreText(result, answer) ? S_OK : E_OUTOFMEMORY;
}

HRESULT ServiceObject::GetCpuName(LONG kind, BSTR cpu, VARIANT* result) {
  if (result == nullptr) return E_POINTER;
  Workspace& ws = workspace();
  ws.ClearStatus();
  const SupportCpu support(TextFromBstr(cpu));
  std::string answer;
  switch (kind) {
    case 0:
      answer = support.GetCpuNameWithoutSlash();
      break;
    case 1:
      answer = support.GetTemplateCpuName();
      break;
    case 2:
      answer.push_back(support.IsSupported() ? '1' : '0');
      break;
    default:
      ws.SetStatus(kStatusBadArgument, kMsgBadArgument);
      return S_FALSE;
  }
  return StoreText(result, answer) ? S_OK : E_OUTOFMEMORY;
}

HRESULT ServiceObject::SetEventData(LONG window, BSTR name, LONG* event_id, LONG* message) {
  if (event_id == nullptr || message == nullptr) return E_POINTER;
  Workspace& ws = workspace();
  ws.ClearStatus();
  uint32_t id = 0;
  if (!module_.events().SetEventData(static_cast<CustomEvents::Handle>(window), TextFromBstr(name),
                                     &id)) {
    ws.SetStatus(kStatusBadArgument, kMsgBadArgument);
    return S_FALSE;
  }
  *event_id = static_cast<LONG>(id);
  *message = kCustomEventMessage;
  return S_OK;
}

HRESULT ServiceObject::DeleteEventData(LONG window) {
  Workspace& ws = workspace();
  ws.ClearStatus();
  if (module_.events().DelEventData(static_cast<CustomEvents::Handle>(window))) return S_OK;
  ws.SetStatus(kStatusBadArgument, kMsgBadArgument);
  return S_FALSE;
}

// --- Files of the older generation.

HRESULT ServiceObject::ConvertOldProject(VARIANT file) {
  ArgumentScope scope{&file};
  Workspace& ws = workspace();
  ws.ClearStatus();
  TextArg path(file);
  if (!path.ok()) {
    ws.SetStatus(kStatusBadArgument, kMsgBadArgument);
    return S_FALSE;
  }
  switch (ClassifyOldFile(ws.platform(), path.str())) {
    case OldFileKind::kIgnored:
      return S_OK;
    case OldFileKind::kNotOld:
      ws.SetStatus(kStatusBadArgument, kMsgBadArgument);
      return S_FALSE;
    case OldFileKind::kMissing:
      ws.SetStatus(kStatusProjectFileMissing, kMsgProjectNotFound);
      return S_FALSE;
    default:
      return NotAvailable("ConvertOldProject");
  }
}

// --- The function database.

HRESULT ServiceObject::FunctionRequest(PVOID request,
                                       Status (*operation)(Workspace&, FunctionDatabaseRequest*)) {
  Workspace& ws = workspace();
  ws.ClearStatus();
  // A script has no record to hand over.
  if (request == nullptr) {
    ws.SetStatus(kStatusBadArgument, kMsgBadArgument);
    return S_FALSE;
  }
  return Result(ReportStatus(ws, operation(ws, static_cast<FunctionDatabaseRequest*>(request))));
}

HRESULT ServiceObject::Method10(PVOID request) {
  return FunctionRequest(request, [](Workspace& ws, FunctionDatabaseRequest* record) {
    return GetSourceFunctions(ws, record, FunctionSourceMode::kFromFile);
  });
}

HRESULT ServiceObject::Method11(PVOID request) {
  return FunctionRequest(request, [](Workspace& ws, FunctionDatabaseRequest* record) {
    return GetSourceFunctions(ws, record, FunctionSourceMode::kFromEditorText);
  });
}

HRESULT ServiceObject::Method24(PVOID request) {
  return FunctionRequest(request, UpdateProjectFunctions);
}

HRESULT ServiceObject::Method62() {
  workspace().ClearStatus();
  return Result(ReportStatus(workspace(), UpdateWorkspaceFunctions(workspace())));
}

// --- Makefiles and build steps.

HRESULT ServiceObject::Method15(LONG kind, VARIANT project, VARIANT* title, VARIANT target,
                                VARIANT* commands, VARIANT step, VARIANT* outputs, BSTR) {
  ArgumentScope scope{&project, &target, &step};
  if (title == nullptr || commands == nullptr || outputs == nullptr) return E_POINTER;
  TextArg name(project);
  TextArg target_name(target);
  TextArg step_name(step);
  Workspace& ws = workspace();
  if (!BeginOperation(ws, {name, target_name, step_name})) return S_FALSE;
  ProjectBuildStepKind step_kind;
  if (!ParseProjectBuildStepKind(step_name.str(), &step_kind) ||
      (kind != kReadBuildStep && kind != kWriteBuildStep)) {
    ws.SetStatus(kStatusBadArgument, kMsgBadArgument);
    return S_FALSE;
  }
  ProjectBuildStepSettings settings;
  if (kind == kReadBuildStep) {
    if (!ReportStatus(ws, GetProjectBuildStep(ws, name, target_name, step_kind, &settings))) {
      return S_FALSE;
    }
    const bool stored = StoreText(title, settings.title) &&
                        StoreStrings(commands, settings.commands) &&
                        StoreStrings(outputs, settings.outputs);
    return stored ? S_OK : E_OUTOFMEMORY;
  }
  // The new step is what the three VARIANTs point to: nothing means empty.
  TextArg new_title(*title);
  const bool read = (title->vt == VT_EMPTY || new_title.ok()) &&
                    (commands->vt == VT_EMPTY || TextsFromVariant(*commands, &settings.commands)) &&
                    (outputs->vt == VT_EMPTY || TextsFromVariant(*outputs, &settings.outputs));
  if (!read) {
    ws.SetStatus(kStatusBadArgument, kMsgBadArgument);
    return S_FALSE;
  }
  settings.title = new_title.str();
  return Result(ReportStatus(ws, SetProjectBuildStep(ws, name, target_name, step_kind, settings)));
}

HRESULT ServiceObject::Method56(BSTR project, BSTR target, VARIANT other_target, VARIANT unused) {
  ArgumentScope scope{&other_target, &unused};
  workspace().ClearStatus();
  const std::string name = TextFromBstr(project);
  const std::string from = TextFromBstr(target);
  return Result(ReportStatus(
      workspace(), CopyProjectBuildSteps(workspace(), name, from, TextArg(other_target))));
}

HRESULT ServiceObject::SaveMakefile(VARIANT makefile) {
  ArgumentScope scope{&makefile};
  Workspace& ws = workspace();
  ws.ClearStatus();
  TextArg path(makefile);
  if (!path.ok() && makefile.vt != VT_EMPTY) {
    ws.SetStatus(kStatusBadArgument, kMsgBadArgument);
    return S_FALSE;
  }
  return Result(ReportStatus(
      ws, zelvan::SaveMakefile(ws, module_.make_states(), &module_.cpus(), path.str())));
}

HRESULT ServiceObject::GetIncludePaths(LONG kind, BSTR project, BSTR target, VARIANT* paths) {
  if (paths == nullptr) return E_POINTER;
  Workspace& ws = workspace();
  if (!BeginOperation(ws, {})) return S_FALSE;
  std::string target_name;
  Project* found = FindProjectAndTarget(ws, project, target, &target_name);
  if (found == nullptr) return S_FALSE;
  std::vector<std::string> list;
  if (!IncludePaths(ws, module_.cpus(), *found, found->targets().Spelling(target_name), kind,
                    &list)) {
    return S_FALSE;
  }
  return StoreStrings(paths, list) ? S_OK : E_OUTOFMEMORY;
}

// --- New projects, copy and rename.

HRESULT ServiceObject::CreateProjectVariant(int variant, VARIANT* const (&args)[4], VARIANT* count,
                                            VARIANT* result) {
  if (count == nullptr || result == nullptr) return E_POINTER;
  for (VARIANT* arg : args) {
    if (arg == nullptr) return E_POINTER;
  }
  Workspace& ws = workspace();
  ws.ClearStatus();
  TextArg name(*args[0]);
  TextArg cpu(*args[1]);
  TextArg folder(*args[2]);
  const VARIANT& last = *args[3];
  TextArg last_text(last);
  LONG memory = 0;
  // 39: the type, or a list of the type and the memory size in KB.
  std::vector<std::string> type_and_size;
  bool last_ok = last.vt == VT_EMPTY || LongFromVariant(last, &memory) || last_text.ok();
  if (variant == kNewProjectOfType) {
    last_ok = last.vt == VT_EMPTY || TextsFromVariant(last, &type_and_size);
    type_and_size.resize(std::max<size_t>(type_and_size.size(), 2));
    char* end = nullptr;
    memory = std::strtol(type_and_size[1].c_str(), &end, 10);
    last_ok = last_ok && *end == '\0' && memory >= 0 && memory <= 0xFFFF;
  }
  if (!name.ok() || !cpu.ok() || (!folder.ok() && args[2]->vt != VT_EMPTY) || !last_ok) {
    ws.SetStatus(kStatusBadArgument, kMsgBadArgument);
    return S_FALSE;
  }
  NewProjectRequest request;
  request.name = name.str();
  request.cpu = cpu.str();
  request.folder = folder.str();
  std::string project_file;
  int kept = 0;
  bool created = false;
  if (variant == kNewProjectOfType) {
    request.type = type_and_size[0];
    if (memory > 0) request.memory_kb = memory;
    created = ReportStatus(
        ws, NewProject(ws, module_.util(), module_.project_services(), request, &project_file));
  } else {
    // A size in KB names the model of that size; a text names a model.
    if (memory > 0) {
      request.memory_kb = memory;
      request.memory_model = StringPrintf("%dk", static_cast<int>(memory));
    } else if (last_text.ok()) {
      request.memory_model = last_text.str();
    }
    module_.cpus().ReadHomeDir(request.cpu, &request.toolchain_folder);
    created =
        ReportStatus(ws, CreateFullProject(ws, module_.util(), module_.project_services(), request,
                                           variant == kNewFullProject, &kept, &project_file));
  }
  if (!created) return S_FALSE;
  const bool stored = StoreText(count, StringPrintf("%d", kept)) && StoreText(result, project_file);
  return stored ? S_OK : E_OUTOFMEMORY;
}

HRESULT ServiceObject::CreateProject(VARIANT* name, VARIANT* cpu, VARIANT* folder, VARIANT* memory,
                                     VARIANT* count, VARIANT* result) {
  return CreateProjectVariant(kNewFullProject, {name, cpu, folder, memory}, count, result);
}

HRESULT ServiceObject::Method38(VARIANT* name, VARIANT* cpu, VARIANT* folder, VARIANT* memory,
                                VARIANT* count, VARIANT* result) {
  return CreateProjectVariant(kNewFullProjectAlone, {name, cpu, folder, memory}, count, result);
}

HRESULT ServiceObject::Method39(VARIANT* name, VARIANT* cpu, VARIANT* folder,
                                VARIANT* type_and_memory, VARIANT* count, VARIANT* result) {
  return CreateProjectVariant(kNewProjectOfType, {name, cpu, folder, type_and_memory}, count,
                              result);
}

HRESULT ServiceObject::CopyProject(BSTR project) {
  workspace().ClearStatus();
  return Result(ReportStatus(
      workspace(),
      zelvan::CopyProject(workspace(), module_.project_services(), TextFromBstr(project))));
}

HRESULT ServiceObject::RenameProject(BSTR project, BSTR new_name) {
  workspace().ClearStatus();
  return Result(ReportStatus(workspace(),
                             zelvan::RenameProject(workspace(), module_.project_services(),
                                                   TextFromBstr(project), TextFromBstr(new_name))));
}

// --- Link command files.

HRESULT ServiceObject::GetSectionsValue(VARIANT project, VARIANT target, VARIANT symbol,
                                        VARIANT* value) {
  ArgumentScope scope{&project, &target, &symbol};
  if (value == nullptr) return E_POINTER;
  workspace().ClearStatus();
  uint32_t number = 0;
  if (!ReportStatus(workspace(),
                    zelvan::GetSectionsValue(workspace(), TextArg(project), TextArg(target),
                                             TextArg(symbol), &number))) {
    return S_FALSE;
  }
  return StoreText(value, StringPrintf("0x%08X", number)) ? S_OK : E_OUTOFMEMORY;
}

HRESULT ServiceObject::GetOuterValue(VARIANT link_file, VARIANT symbol, VARIANT* value) {
  ArgumentScope scope{&link_file, &symbol};
  if (value == nullptr) return E_POINTER;
  workspace().ClearStatus();
  uint32_t number = 0;
  if (!ReportStatus(workspace(), zelvan::GetOuterValue(workspace(), TextArg(link_file),
                                                       TextArg(symbol), &number))) {
    return S_FALSE;
  }
  return StoreText(value, StringPrintf("0x%08X", number)) ? S_OK : E_OUTOFMEMORY;
}

}  // namespace zelvan
