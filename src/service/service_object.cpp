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

// A list of tree node handles ends at the first 0; this many at most are read.
constexpr size_t kMaxNodeHandles = 1 << 20;

}  // namespace

// The project and target a call names: an empty project name means the
// current project, an empty target that project's current one. Null, with
// the status set, when either is unknown.
Project* FindProjectAndTarget(Workspace& ws, BSTR project, BSTR target, std::string* target_name) {
  const std::string name = TextFromBstr(project);
  Project* found = name.empty() ? ws.selection().CurrentProject() : FindNamedProject(ws, name);
  if (found == nullptr) {
    ws.SetStatus(kStatusProjectNotFound, kMsgProjectNotFound);
    return nullptr;
  }
  *target_name = TextFromBstr(target);
  if (target_name->empty()) *target_name = found->targets().Current();
  if (!found->targets().Has(*target_name)) {
    ws.SetStatus(kStatusTargetNotFound, kMsgTargetNotFound);
    return nullptr;
  }
  return found;
}

ServiceObject::ServiceObject(ComponentModule& module) : ComponentObject(module, IID_IService) {
  RegisterMembers();
}

HRESULT ServiceObject::NotAvailable(std::string_view method) {
  workspace().SetStatus(kStatusNotAvailable, kMsgNotAvailable, {method});
  return S_FALSE;
}

HRESULT ServiceObject::NotConnected(std::string_view service) {
  workspace().SetStatus(kStatusNotConnected, kMsgNotConnected, {service});
  return S_FALSE;
}

// --- The workspace.

HRESULT ServiceObject::ActiveProjectChanged(VARIANT unused) {
  ArgumentScope scope{&unused};
  return Result(workspace().selection().ActiveProjectChanged());
}

HRESULT ServiceObject::OpenWorkspace(VARIANT path) {
  ArgumentScope scope{&path};
  workspace().ClearStatus();
  return Result(ReportStatus(workspace(), workspace().document().Open(TextArg(path))));
}

HRESULT ServiceObject::CloseWorkspace() {
  workspace().ClearStatus();
  const bool closed = workspace().document().Close();
  // What closing left in the profile cache reaches the disk now, while a
  // failure can still be told.
  module_.platform().profile->FlushAll();
  module_.ReportFailedWrites();
  return Result(closed);
}

HRESULT ServiceObject::SaveWorkspace(LONG ask) {
  workspace().ClearStatus();
  const Status saved = workspace().document().Save(ask != 0);
  // Without an open workspace there is nothing to save: done, the status says so.
  const bool done = ReportStatus(workspace(), saved) || saved.code() == kStatusNoWorkspace;
  module_.ReportFailedWrites();
  return Result(done);
}

HRESULT ServiceObject::AddProject(VARIANT project_file) {
  ArgumentScope scope{&project_file};
  workspace().ClearStatus();
  return Result(ReportStatus(workspace(), workspace().AddProject(TextArg(project_file))));
}

HRESULT ServiceObject::GetLastStatus(LONG* status) {
  if (status == nullptr) return E_POINTER;
  *status = static_cast<LONG>(workspace().GetLastStatus());
  return S_OK;
}

HRESULT ServiceObject::GetLastMessage(BSTR* message) {
  if (message == nullptr) return E_POINTER;
  *message = BstrFromText(workspace().GetLastMessage());
  return *message != nullptr ? S_OK : E_OUTOFMEMORY;
}

HRESULT ServiceObject::GetProjectInfo(LONG kind, VARIANT project, VARIANT value, BSTR* result) {
  ArgumentScope scope{&project, &value};
  return zelvan::GetProjectInfo(module_, kind, project, value, result);
}

HRESULT ServiceObject::SetProjectInfo(LONG kind, VARIANT project, VARIANT value, BSTR text) {
  // The text is handed over with the call.
  ScopedBstr owned(text);
  ArgumentScope scope{&project, &value};
  return zelvan::SetProjectInfo(module_, kind, project, value, owned.Text());
}

HRESULT ServiceObject::Method14(VARIANT project, VARIANT* project_file, VARIANT section,
                                VARIANT* key_names, VARIANT key, VARIANT* value) {
  ArgumentScope scope{&project, &section, &key};
  if (project_file == nullptr || key_names == nullptr || value == nullptr) return E_POINTER;
  TextArg name(project);
  TextArg section_name(section);
  TextArg key_name(key);
  Workspace& ws = workspace();
  if (!BeginOperation(ws, {name, section_name, key_name})) return S_FALSE;
  Project* found = FindNamedProject(ws, name.str());
  if (found == nullptr) return S_FALSE;
  PrivateProfile& profile = *ws.platform().profile;
  std::string names;
  std::string text;
  ReadProfileString(profile, section_name.str(), kAllKeys, &names, found->paths().working_copy);
  ReadProfileString(profile, section_name.str(), key_name.str(), &text,
                    found->paths().working_copy);
  const bool stored = StoreText(project_file, found->paths().project_file) &&
                      StoreText(key_names, names) && StoreText(value, text);
  return stored ? S_OK : E_OUTOFMEMORY;
}

HRESULT ServiceObject::AddLinkProject(VARIANT project, VARIANT linked) {
  ArgumentScope scope{&project, &linked};
  workspace().ClearStatus();
  return Result(
      ReportStatus(workspace(), workspace().AddLinkProject(TextArg(project), TextArg(linked))));
}

HRESULT ServiceObject::RemoveLinkProject(VARIANT project, VARIANT linked) {
  ArgumentScope scope{&project, &linked};
  workspace().ClearStatus();
  return Result(
      ReportStatus(workspace(), workspace().RemoveLinkProject(TextArg(project), TextArg(linked))));
}

HRESULT ServiceObject::GetLinkProjectCount(VARIANT project, LONG* count) {
  ArgumentScope scope{&project};
  if (count == nullptr) return E_POINTER;
  *count = 0;
  TextArg name(project);
  if (!BeginOperation(workspace(), {name})) return S_FALSE;
  Project* found = FindNamedProject(workspace(), name.str());
  if (found == nullptr) return S_FALSE;
  // A count answers S_OK only when it is positive.
  *count = static_cast<LONG>(found->links().Names().size());
  return *count > 0 ? S_OK : S_FALSE;
}

HRESULT ServiceObject::GetLinkProjectByIndex(VARIANT project, LONG index, BSTR* name) {
  ArgumentScope scope{&project};
  if (name == nullptr) return E_POINTER;
  *name = nullptr;
  TextArg project_name(project);
  Workspace& ws = workspace();
  if (!BeginOperation(ws, {project_name})) return S_FALSE;
  Project* found = FindNamedProject(ws, project_name.str());
  if (found == nullptr) return S_FALSE;
  const std::vector<std::string>& links = found->links().Names();
  if (index < 0 || static_cast<size_t>(index) >= links.size()) {
    ws.SetStatus(kStatusIndexOutOfRange, kMsgIndexOutOfRange);
    return S_FALSE;
  }
  if (ws.projects().Find(links[index]) == nullptr) {
    ws.SetStatus(kStatusProjectNotFound, kMsgProjectNotFound);
    return S_FALSE;
  }
  *name = BstrFromText(links[index]);
  return S_OK;
}

HRESULT ServiceObject::AddTarget(VARIANT project, VARIANT existing, VARIANT new_target) {
  ArgumentScope scope{&project, &existing, &new_target};
  workspace().ClearStatus();
  return Result(ReportStatus(workspace(), workspace().AddTarget(TextArg(project), TextArg(existing),
                                                                TextArg(new_target))));
}

HRESULT ServiceObject::RemoveTarget(VARIANT project, VARIANT target) {
  ArgumentScope scope{&project, &target};
  workspace().ClearStatus();
  return Result(
      ReportStatus(workspace(), workspace().RemoveTarget(TextArg(project), TextArg(target))));
}

HRESULT ServiceObject::GetWorkDir(BSTR project, BSTR target, VARIANT work, VARIANT default_work) {
  ArgumentScope scope{&work, &default_work};
  Workspace& ws = workspace();
  if (!BeginOperation(ws, {})) return S_FALSE;
  auto is_place = [](const VARIANT& v) {
    return (v.vt & VT_BYREF) != 0 || v.vt == VT_EMPTY || v.vt == VT_ERROR;
  };
  if (!is_place(work) || !is_place(default_work)) {
    ws.SetStatus(kStatusBadArgument, kMsgBadArgument);
    return S_FALSE;
  }
  std::string target_name;
  Project* found = FindProjectAndTarget(ws, project, target, &target_name);
  if (found == nullptr) return S_FALSE;
  std::string dir;
  std::string default_dir;
  found->targets().GetDir(target_name, TargetDir::kWork, &dir);
  found->targets().GetValue(target_name, kKeyDefaultWork, &default_dir);
  StoreTextThrough(work, dir);
  StoreTextThrough(default_work, default_dir);
  return S_OK;
}

HRESULT ServiceObject::GetFileNoBuild(BSTR project, BSTR file, BSTR target, LONG* no_build) {
  if (no_build == nullptr) return E_POINTER;
  *no_build = 0;
  Workspace& ws = workspace();
  if (!BeginOperation(ws, {})) return S_OK;
  Project* found = FindNamedProject(ws, TextFromBstr(project));
  SourceFile* source = found ? FindNamedFile(ws, *found, TextFromBstr(file)) : nullptr;
  if (source == nullptr) return S_OK;
  const std::string target_name = TextFromBstr(target);
  if (!found->targets().Has(target_name)) {
    ws.SetStatus(kStatusTargetNotFound, kMsgTargetNotFound);
    return S_OK;
  }
  *no_build = source->settings().IsBuilt(target_name) ? 0 : 1;
  return S_OK;
}

// --- Tree nodes.

HRESULT ServiceObject::GetTreeNodeTextOf(const VARIANT& node, BSTR* text) {
  if (text == nullptr) return E_POINTER;
  *text = nullptr;
  Workspace& ws = workspace();
  ws.ClearStatus();
  std::string answer;
  LONG handle = 0;
  if (node.vt == (VT_I4 | VT_BYREF) && node.plVal != nullptr) {
    std::vector<uint32_t> handles;
    for (const LONG* next = node.plVal; *next != 0 && handles.size() < kMaxNodeHandles; ++next) {
      handles.push_back(static_cast<uint32_t>(*next));
    }
    ws.view_trees().GetNodeTexts(handles, &answer);
  } else if (!LongFromVariant(node, &handle) ||
             !ws.view_trees().GetNodeText(static_cast<uint32_t>(handle), &answer)) {
    ws.SetStatus(kStatusBadArgument, kMsgBadArgument);
    return S_FALSE;
  }
  *text = BstrFromText(answer);
  return *text != nullptr ? S_OK : E_OUTOFMEMORY;
}

HRESULT ServiceObject::GetTreeNodeText(VARIANT node, BSTR* text) {
  ArgumentScope scope{&node};
  return GetTreeNodeTextOf(node, text);
}

HRESULT ServiceObject::Method20(VARIANT node, BSTR* text) {
  ArgumentScope scope{&node};
  return GetTreeNodeTextOf(node, text);
}

HRESULT ServiceObject::CreateTable(VARIANT tree, VARIANT handles, VARIANT texts) {
  ArgumentScope scope{&tree, &handles, &texts};
  Workspace& ws = workspace();
  ws.ClearStatus();
  LONG index = 0;
  std::vector<LONG> numbers;
  std::vector<std::string> strings;
  if (!LongFromVariant(tree, &index) || (index != 1 && index != 2) ||
      !LongsFromVariant(handles, &numbers) || !TextsFromVariant(texts, &strings) ||
      numbers.size() != strings.size()) {
    ws.SetStatus(kStatusBadArgument, kMsgBadArgument);
    return S_FALSE;
  }
  TreeNodeTable& table = ws.view_trees().Table(index);
  table.ClearNodes();
  for (size_t i = 0; i < numbers.size(); ++i) {
    table.SetNodeText(static_cast<uint32_t>(numbers[i]), strings[i]);
  }
  ws.view_trees().SetCurrentIndex(index);
  return S_OK;
}

// --- Files and dependencies.

HRESULT ServiceObject::UpdateDependencies(VARIANT project, VARIANT file) {
  ArgumentScope scope{&project, &file};
  TextArg name(project);
  Workspace& ws = workspace();
  if (!BeginOperation(ws, {name})) return S_FALSE;
  Project* found = FindNamedProject(ws, name.str());
  if (found == nullptr) return S_FALSE;
  if (file.vt == VT_BSTR) {
    SourceFile* source = FindNamedFile(ws, *found, TextFromBstr(file.bstrVal));
    if (source == nullptr) return S_FALSE;
    module_.dependencies().ComputeAddedFile(ws, *found, *source);
    return S_OK;
  }
  return Result(module_.dependencies().UpdateProjectDependencies(
      ws, *found, DependencyMode::kAllFiles, nullptr));
}

HRESULT ServiceObject::UpdateProjectDependencies(LONG mode, VARIANT project, VARIANT window) {
  ArgumentScope scope{&project, &window};
  TextArg name(project);
  Workspace& ws = workspace();
  if (!BeginOperation(ws, {name})) return S_FALSE;
  if (mode != 0 && mode != 1) {
    ws.SetStatus(kStatusBadArgument, kMsgBadArgument);
    return S_FALSE;
  }
  const DependencyMode dependency_mode =
      mode == 0 ? DependencyMode::kAllFiles : DependencyMode::kModifiedFiles;
  DependencyUpdater& updater = module_.dependencies();
  WindowProgress progress(window);
  if (name.str().empty()) {
    bool cancelled = false;
    return Result(ReportStatus(ws, updater.UpdateDependencies(ws, dependency_mode, progress.get(),
                                                              &cancelled)) &&
                  !cancelled);
  }
  Project* found = FindNamedProject(ws, name.str());
  if (found == nullptr) return S_FALSE;
  return Result(updater.UpdateProjectDependencies(ws, *found, dependency_mode, progress.get()));
}

HRESULT ServiceObject::AddFiles(const VARIANT& project, const VARIANT& files, bool one_file) {
  TextArg name(project);
  Workspace& ws = workspace();
  if (!BeginOperation(ws, {name})) return S_FALSE;
  std::vector<std::string> paths;
  if (one_file ? !IsText(files) : !TextsFromVariant(files, &paths)) {
    ws.SetStatus(kStatusBadArgument, kMsgBadArgument);
    return S_FALSE;
  }
  if (one_file) paths = {TextArg(files).str()};
  for (const std::string& path : paths) {
    if (!ReportStatus(ws, ws.AddFile(name, path))) return S_FALSE;
  }
  return S_OK;
}

HRESULT ServiceObject::AddFile(VARIANT project, VARIANT files, VARIANT mode) {
  ArgumentScope scope{&project, &files, &mode};
  return AddFiles(project, files, mode.vt == VT_BSTR);
}

HRESULT ServiceObject::AddFileEx(LONG mode, VARIANT project, VARIANT files, VARIANT unused) {
  ArgumentScope scope{&project, &files, &unused};
  if (mode != 0 && mode != 1) {
    workspace().ClearStatus();
    workspace().SetStatus(kStatusBadArgument, kMsgBadArgument);
    return S_FALSE;
  }
  return AddFiles(project, files, mode == 0);
}

HRESULT ServiceObject::Method73(LONG kind, VARIANT projects, VARIANT window, VARIANT result) {
  ArgumentScope scope{&projects, &window, &result};
  Workspace& ws = workspace();
  if (!BeginOperation(ws, {})) return S_FALSE;
  constexpr LONG kUpdateAll = 10003;
  constexpr LONG kUpdateStale = 10004;
  if (kind != kUpdateAll && kind != kUpdateStale) return NotAvailable("Method73");
  std::vector<std::string> names;
  if (!TextsFromVariant(projects, &names)) {
    ws.SetStatus(kStatusBadArgument, kMsgBadArgument);
    return S_FALSE;
  }
  bool cancelled = false;
  const DependencyMode mode =
      kind == kUpdateAll ? DependencyMode::kAllFiles : DependencyMode::kModifiedFiles;
  WindowProgress progress(window);
  if (!ReportStatus(ws, module_.dependencies().UpdateDependencies(ws, names, mode, progress.get(),
                                                                  &cancelled))) {
    return S_FALSE;
  }
  if (cancelled) StoreStringsThrough(result, {"1"});
  return S_OK;
}

// --- Reserved slots, and slots with no operation in this service.

HRESULT ServiceObject::Method8() {
  return S_OK;
}
HRESULT ServiceObject::Method9() {
  return S_OK;
}
HRESULT ServiceObject::Method50(BSTR, VARIANT unused) {
  ArgumentScope scope{&unused};
  return S_OK;
}
HRESULT ServiceObject::Method30(VARIANT project, VARIANT folder, VARIANT value) {
  ArgumentScope scope{&project, &folder, &value};
  return NotAvailable("Method30");
}
HRESULT ServiceObject::Method36(VARIANT project, VARIANT file) {
  ArgumentScope scope{&project, &file};
  return NotAvailable("Method36");
}
HRESULT ServiceObject::Method41(VARIANT entries) {
  ArgumentScope scope{&entries};
  std::vector<LONG> numbers;
  if (!LongsFromVariant(entries, &numbers)) {
    workspace().SetStatus(kStatusBadArgument, kMsgBadArgument);
    return S_FALSE;
  }
  return NotAvailable("Method41");
}
HRESULT ServiceObject::Method53(BSTR, BSTR, VARIANT* result) {
  if (result == nullptr) return E_POINTER;
  if (!StoreText(result, "")) return E_OUTOFMEMORY;
  NotAvailable("Method53");
  return S_OK;
}
HRESULT ServiceObject::Method59(BSTR, VARIANT old_project) {
  ArgumentScope scope{&old_project};
  return NotAvailable("Method59");
}
HRESULT ServiceObject::Method60(BSTR, VARIANT old_project, VARIANT options) {
  ArgumentScope scope{&old_project, &options};
  return NotAvailable("Method60");
}
HRESULT ServiceObject::Method61(BSTR, BSTR, VARIANT answer) {
  ArgumentScope scope{&answer};
  return NotAvailable("Method61");
}
HRESULT ServiceObject::Method69(LONG, VARIANT project, VARIANT answer) {
  ArgumentScope scope{&project, &answer};
  return NotAvailable("Method69");
}
HRESULT ServiceObject::Method70(LONG, VARIANT project, VARIANT answer) {
  ArgumentScope scope{&project, &answer};
  return NotAvailable("Method70");
}
HRESULT ServiceObject::Method74(VARIANT makefile, VARIANT project) {
  ArgumentScope scope{&makefile, &project};
  return NotAvailable("Method74");
}
HRESULT ServiceObject::Method75(VARIANT makefile, VARIANT project) {
  ArgumentScope scope{&makefile, &project};
  return NotAvailable("Method75");
}
HRESULT ServiceObject::Method76(VARIANT makefile) {
  ArgumentScope scope{&makefile};
  return NotAvailable("Method76");
}
HRESULT ServiceObject::Method81(VARIANT project) {
  ArgumentScope scope{&project};
  return NotAvailable("Method81");
}
HRESULT ServiceObject::Method85(VARIANT project) {
  ArgumentScope scope{&project};
  return NotAvailable("Method85");
}

}  // namespace zelvan
