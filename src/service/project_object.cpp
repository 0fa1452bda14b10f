#include "service/project_object.h"

#include <cstdlib>
#include <string>
#include <string_view>

#include "com/bstr.h"
#include "makefile/kmake_file.h"
#include "model/project.h"
#include "model/source_file.h"
#include "model/status_codes.h"
#include "model/workspace.h"
#include "platform/ansi_text.h"
#include "projects/copy_rename.h"
#include "projects/new_project.h"
#include "service/argument_shapes.h"
#include "service/ide_connection.h"
#include "service/report_status.h"
#include "toolchain/cpu_driver.h"

namespace zelvan {
namespace {

// Characters the dialogs refuse in a directory name.
constexpr std::string_view kForbiddenInDirectory = "/:,;*?\"<>|";

// An optional VARIANT left out (VT_ERROR, as COM passes one) or left empty.
bool IsLeftOut(const VARIANT& v) {
  return v.vt == VT_EMPTY || (v.vt == VT_ERROR && v.scode == DISP_E_PARAMNOTFOUND);
}

// An optional text; false for a VARIANT that holds another type.
bool OptionalText(const VARIANT& v, std::string* out) {
  if (IsLeftOut(v)) return true;
  TextArg text(v);
  *out = text.str();
  return text.ok();
}

// A memory size in KB: a number (a script's small literal is VT_I2), or
// its decimal text; false for anything else or a size out of range.
bool OptionalMemorySize(const VARIANT& v, int* kb) {
  if (IsLeftOut(v)) return true;
  LONG number = 0;
  if (v.vt == VT_I2 || (v.vt == (VT_I2 | VT_BYREF) && v.piVal != nullptr)) {
    number = v.vt == VT_I2 ? v.iVal : *v.piVal;
  } else if (!LongFromVariant(v, &number)) {
    TextArg text(v);
    char* end = nullptr;
    number = std::strtol(text.str().c_str(), &end, 10);
    if (!text.ok() || text.str().empty() || *end != '\0') return false;
  }
  if (number <= 0 || number > 0xFFFF) return false;
  *kb = static_cast<int>(number);
  return true;
}

}  // namespace

ProjectObject::ProjectObject(ComponentModule& module) : ComponentObject(module, IID_IProject) {
  RegisterMembers();
}

bool ProjectObject::Begin() {
  Workspace& ws = workspace();
  ws.ClearStatusAndMessage();
  if (ws.document().IsOpen()) return true;
  ws.SetStatus(kStatusNoWorkspace, kMsgNoWorkspace);
  return false;
}

bool ProjectObject::Begin(BSTR project, Project** found) {
  if (!Begin()) return false;
  Workspace& ws = workspace();
  const std::string name = TextFromBstr(project);
  *found = name.empty() ? ws.selection().CurrentProject() : ws.projects().Find(name);
  if (*found != nullptr) return true;
  ws.SetStatus(kStatusProjectNotFound, kMsgProjectNotFound);
  return false;
}

bool ProjectObject::Begin(BSTR project, BSTR target, Project** found, std::string* target_name) {
  if (!Begin(project, found)) return false;
  *target_name = TextFromBstr(target);
  if (target_name->empty()) *target_name = workspace().selection().CurrentTarget();
  if ((*found)->targets().Has(*target_name)) {
    *target_name = std::string((*found)->targets().Spelling(*target_name));
    return true;
  }
  workspace().SetStatus(kStatusTargetNotFound, kMsgTargetNotFound);
  return false;
}

bool ProjectObject::Begin(BSTR project, BSTR target, BSTR file, Project** found,
                          std::string* target_name, SourceFile** source) {
  if (!Begin(project, target, found, target_name)) return false;
  *source = FindNamedFile(workspace(), **found, TextFromBstr(file));
  return *source != nullptr;
}

HRESULT ProjectObject::Fail() {
  Workspace& ws = workspace();
  module_.connection().ReportError(ws.GetLastStatus() & 0xFFFFu, ws.GetLastMessage());
  return E_FAIL;
}

HRESULT ProjectObject::Check(bool ok, uint32_t status, unsigned message_id) {
  if (!ok) workspace().SetStatus(status, message_id);
  return Done(ok);
}

bool ProjectObject::CheckDirectoryName(BSTR dir) {
  if (TextFromBstr(dir).find_first_of(kForbiddenInDirectory) == std::string::npos) return true;
  workspace().SetStatus(kStatusInvalidPath, kMsgInvalidPath);
  return false;
}

HRESULT ProjectObject::NotAvailable(const char* method) {
  if (!Begin()) return Fail();
  workspace().SetStatus(kStatusNotAvailable, kMsgNotAvailable, {method});
  return S_FALSE;
}

// --- Workspace queries.

HRESULT ProjectObject::GetProjectCount(LONG* count) {
  if (count == nullptr) return E_POINTER;
  *count = 0;
  if (!Begin()) return Fail();
  *count = static_cast<LONG>(workspace().projects().All().size());
  return S_OK;
}

HRESULT ProjectObject::GetProjectByIndex(LONG index, BSTR* name) {
  if (name == nullptr) return E_POINTER;
  *name = nullptr;
  if (!Begin()) return Fail();
  const auto& projects = workspace().projects().All();
  if (index < 0 || static_cast<size_t>(index) >= projects.size()) {
    return Check(false, kStatusIndexOutOfRange, kMsgIndexOutOfRange);
  }
  *name = BstrFromText(projects[index]->paths().output_name);
  return S_OK;
}

HRESULT ProjectObject::Method14P(BSTR project) {
  Project* found = nullptr;
  return Done(Begin(project, &found));
}

HRESULT ProjectObject::GetLinkProjectCount(BSTR project, LONG* count) {
  if (count == nullptr) return E_POINTER;
  *count = 0;
  Project* found = nullptr;
  if (!Begin(project, &found)) return Fail();
  *count = static_cast<LONG>(found->links().Names().size());
  return S_OK;
}

HRESULT ProjectObject::GetLinkProjectByIndex(BSTR project, LONG index, BSTR* name) {
  if (name == nullptr) return E_POINTER;
  *name = nullptr;
  Project* found = nullptr;
  if (!Begin(project, &found)) return Fail();
  const auto& links = found->links().Names();
  if (index < 0 || static_cast<size_t>(index) >= links.size()) {
    return Check(false, kStatusIndexOutOfRange, kMsgIndexOutOfRange);
  }
  if (workspace().projects().Find(links[index]) == nullptr) {
    return Check(false, kStatusProjectNotFound, kMsgProjectNotFound);
  }
  *name = BstrFromText(links[index]);
  return S_OK;
}

HRESULT ProjectObject::Method12(BSTR project, BSTR linked) {
  Project* found = nullptr;
  if (!Begin(project, &found)) return Fail();
  Workspace& ws = workspace();
  Project* other = ws.projects().Find(TextFromBstr(linked));
  if (other == nullptr) return Check(false, kStatusProjectNotFound, kMsgProjectNotFound);
  bool listed = false;
  for (const std::string& link : found->links().Names()) {
    listed = listed || EqualsNoCase(link, other->paths().output_name);
  }
  const std::string& a = found->paths().output_name;
  const std::string& b = other->paths().output_name;
  if (ReportStatus(ws, listed ? ws.RemoveLinkProject(a, b) : ws.AddLinkProject(a, b))) return S_OK;
  ws.SetStatus(ws.GetLastStatus(), listed ? kMsgLinkRemoveFailed : kMsgLinkAddFailed);
  return Fail();
}

// --- Per-target settings.

HRESULT ProjectObject::GetOutputDir(BSTR project, BSTR target, BSTR* dir) {
  if (dir == nullptr) return E_POINTER;
  *dir = nullptr;
  Project* found = nullptr;
  std::string name;
  if (!Begin(project, target, &found, &name)) return Fail();
  std::string text;
  found->targets().GetOutputDirDirect(name, &text);
  *dir = BstrFromText(text);
  return S_OK;
}

HRESULT ProjectObject::SetOutputDir(BSTR project, BSTR target, BSTR dir) {
  Project* found = nullptr;
  std::string name;
  if (!Begin(project, target, &found, &name) || !CheckDirectoryName(dir)) return Fail();
  return Check(found->targets().SetDir(name, TargetDir::kOutput, TextFromBstr(dir)),
               kStatusFileSettingFailed, kMsgFileSettingFailed);
}

HRESULT ProjectObject::GetLinkOptions(BSTR project, BSTR target, BSTR* options) {
  if (options == nullptr) return E_POINTER;
  *options = nullptr;
  Project* found = nullptr;
  std::string name;
  if (!Begin(project, target, &found, &name)) return Fail();
  std::string text;
  found->targets().GetOptions(name, TargetOptions::kLink, &text);
  *options = BstrFromText(text);
  return S_OK;
}

HRESULT ProjectObject::SetProjectLink(BSTR project, BSTR target, BSTR options) {
  Project* found = nullptr;
  std::string name;
  if (!Begin(project, target, &found, &name)) return Fail();
  return Check(
      found->targets().SetProjectOptions(name, TargetOptions::kLink, TextFromBstr(options)),
      kStatusFileSettingFailed, kMsgFileSettingFailed);
}

HRESULT ProjectObject::GetProjectConvert(BSTR project, BSTR target, BSTR* options) {
  if (options == nullptr) return E_POINTER;
  *options = nullptr;
  Project* found = nullptr;
  std::string name;
  if (!Begin(project, target, &found, &name)) return Fail();
  std::string text;
  found->targets().GetProjectConvert(name, &text);
  *options = BstrFromText(text);
  return S_OK;
}

HRESULT ProjectObject::SetProjectConvert(BSTR project, BSTR target, BSTR options) {
  Project* found = nullptr;
  std::string name;
  if (!Begin(project, target, &found, &name)) return Fail();
  return Check(
      found->targets().SetProjectOptions(name, TargetOptions::kConvert, TextFromBstr(options)),
      kStatusFileSettingFailed, kMsgFileSettingFailed);
}

// --- Per-file settings.

HRESULT ProjectObject::GetFileTempDir(BSTR project, BSTR target, BSTR file, BSTR* dir) {
  if (dir == nullptr) return E_POINTER;
  *dir = nullptr;
  Project* found = nullptr;
  std::string name;
  SourceFile* source = nullptr;
  if (!Begin(project, target, file, &found, &name, &source)) return Fail();
  std::string text;
  source->settings().GetTempDir(name, &text);
  *dir = BstrFromText(text);
  return S_OK;
}

HRESULT ProjectObject::SetFileTempDir(BSTR project, BSTR target, BSTR file, BSTR dir) {
  Project* found = nullptr;
  std::string name;
  SourceFile* source = nullptr;
  if (!Begin(project, target, file, &found, &name, &source) || !CheckDirectoryName(dir)) {
    return Fail();
  }
  return Check(source->settings().SetTempDir(name, TextFromBstr(dir)), kStatusFileSettingFailed,
               kMsgFileSettingFailed);
}

HRESULT ProjectObject::GetFileNoBuild(BSTR project, BSTR target, BSTR file, LONG* no_build) {
  if (no_build == nullptr) return E_POINTER;
  *no_build = 0;
  Project* found = nullptr;
  std::string name;
  SourceFile* source = nullptr;
  if (!Begin(project, target, file, &found, &name, &source)) return Fail();
  *no_build = source->settings().IsBuilt(name) ? 0 : 1;
  return S_OK;
}

HRESULT ProjectObject::Method20(BSTR project, BSTR target, BSTR file, LONG no_build) {
  Project* found = nullptr;
  std::string name;
  SourceFile* source = nullptr;
  if (!Begin(project, target, file, &found, &name, &source)) return Fail();
  return Check(source->settings().SetNoBuild(name, std::to_string(no_build)),
               kStatusFileSettingFailed, kMsgFileSettingFailed);
}

HRESULT ProjectObject::SetOptionsChecked(BSTR project, BSTR target, BSTR file, BSTR options) {
  Project* found = nullptr;
  std::string name;
  if (!Begin(project, target, &found, &name)) return Fail();
  const std::string file_name = TextFromBstr(file);
  SourceFile* source = nullptr;
  if (!file_name.empty()) {
    source = FindNamedFile(workspace(), *found, file_name);
    if (source == nullptr) return Fail();
  }
  const std::string text = TextFromBstr(options);
  if (!CheckOptionsWithDriver(module_.platform(), module_.cpus(), found->Cpu(), text)) {
    return Check(false, kStatusOptionsRejected, kMsgOptionsRejected);
  }
  const bool set = source != nullptr
                       ? source->settings().SetCompileOptions(name, text)
                       : found->targets().SetProjectOptions(name, TargetOptions::kCompile, text);
  return Check(set, kStatusFileSettingFailed, kMsgFileSettingFailed);
}

// --- Makefiles.

HRESULT ProjectObject::MakefileDone(const Status& made) {
  Workspace& ws = workspace();
  const bool ok = ReportStatus(ws, made);
  // The generator fails without a status when it was stopped or had no
  // makefile name: the IDE must still be told why.
  if (!ok && ws.GetLastStatus() == 0) {
    if (ws.IsStopRequested()) {
      ws.SetStatus(kStatusStopped, kMsgStopped);
    } else {
      ws.SetStatus(kStatusBadArgument, kMsgBadArgument);
    }
  }
  return Done(ok);
}

HRESULT ProjectObject::WriteMakefileOfProject(BSTR project, LONG mode) {
  Project* found = nullptr;
  if (!Begin(project, &found)) return Fail();
  std::string makefile;
  return MakefileDone(zelvan::WriteMakefileOfProject(
      workspace(), module_.make_states(), &module_.cpus(), found->paths().project_file,
      found->paths().output_name, std::to_string(mode), &makefile));
}

HRESULT ProjectObject::SaveMakefile(VARIANT makefile) {
  ArgumentScope scope{&makefile};
  Workspace& ws = workspace();
  ws.ClearStatusAndMessage();
  TextArg path(makefile);
  if (!path.ok() && makefile.vt != VT_EMPTY) {
    return Check(false, kStatusBadArgument, kMsgBadArgument);
  }
  return MakefileDone(zelvan::SaveMakefile(ws, module_.make_states(), &module_.cpus(), path.str()));
}

// --- New projects, copy and rename. The commands refuse while the IDE
// builds (40965) and look the project up themselves.

HRESULT ProjectObject::NewProject(BSTR name, BSTR cpu, VARIANT folder, VARIANT type,
                                  VARIANT memory_kb) {
  ArgumentScope scope{&folder, &type, &memory_kb};
  Workspace& ws = workspace();
  ws.ClearStatusAndMessage();
  NewProjectRequest request;
  request.name = TextFromBstr(name);
  request.cpu = TextFromBstr(cpu);
  if (!OptionalText(folder, &request.folder) || !OptionalText(type, &request.type) ||
      !OptionalMemorySize(memory_kb, &request.memory_kb)) {
    return Check(false, kStatusBadArgument, kMsgBadArgument);
  }
  return Done(ReportStatus(
      ws, zelvan::NewProject(ws, module_.util(), module_.project_services(), request)));
}

HRESULT ProjectObject::Method32(BSTR project, VARIANT unused) {
  ArgumentScope scope{&unused};
  workspace().ClearStatusAndMessage();
  return Done(ReportStatus(
      workspace(), CopyProject(workspace(), module_.project_services(), TextFromBstr(project))));
}

HRESULT ProjectObject::Method33(BSTR project, VARIANT new_name) {
  ArgumentScope scope{&new_name};
  workspace().ClearStatusAndMessage();
  TextArg name(new_name);
  if (!name.ok()) return Check(false, kStatusBadArgument, kMsgBadArgument);
  return Done(ReportStatus(workspace(), RenameProject(workspace(), module_.project_services(),
                                                      TextFromBstr(project), name.str())));
}

// --- Workspace queries with no operation in this service.

HRESULT ProjectObject::Method7(BSTR, LONG) {
  return NotAvailable("Method7");
}
HRESULT ProjectObject::Method8(BSTR, LONG, LONG) {
  return NotAvailable("Method8");
}
HRESULT ProjectObject::Method10(LONG) {
  return NotAvailable("Method10");
}
HRESULT ProjectObject::Method11(LONG) {
  return NotAvailable("Method11");
}
HRESULT ProjectObject::Method13(BSTR, LONG) {
  return NotAvailable("Method13");
}

void ProjectObject::RegisterMembers() {
  using S = Shape;
  Member(7, "Method7", {S::kBstr, S::kLong},
         [this](DispatchCall& c) { return Method7(c.Bstr(0), c.Long(1)); });
  Member(8, "Method8", {S::kBstr, S::kLong, S::kLong},
         [this](DispatchCall& c) { return Method8(c.Bstr(0), c.Long(1), c.Long(2)); });
  Member(9, "WriteMakefileOfProject", {S::kBstr, S::kLong},
         [this](DispatchCall& c) { return WriteMakefileOfProject(c.Bstr(0), c.Long(1)); });
  Member(10, "Method10", {S::kLong}, [this](DispatchCall& c) { return Method10(c.Long(0)); });
  Member(11, "Method11", {S::kLong}, [this](DispatchCall& c) { return Method11(c.Long(0)); });
  Member(12, "Method12", {S::kBstr, S::kBstr},
         [this](DispatchCall& c) { return Method12(c.Bstr(0), c.Bstr(1)); });
  Member(13, "Method13", {S::kBstr, S::kLong},
         [this](DispatchCall& c) { return Method13(c.Bstr(0), c.Long(1)); });
  Member(14, "Method14P", {S::kBstr}, [this](DispatchCall& c) { return Method14P(c.Bstr(0)); });
  Member(15, "GetFileTempDir", {S::kBstr, S::kBstr, S::kBstr, S::kOutBstr},
         [this](DispatchCall& c) {
           return GetFileTempDir(c.Bstr(0), c.Bstr(1), c.Bstr(2), c.OutBstr(3));
         });
  Member(16, "SetFileTempDir", {S::kBstr, S::kBstr, S::kBstr, S::kBstr}, [this](DispatchCall& c) {
    return SetFileTempDir(c.Bstr(0), c.Bstr(1), c.Bstr(2), c.Bstr(3));
  });
  Member(17, "GetOutputDir", {S::kBstr, S::kBstr, S::kOutBstr},
         [this](DispatchCall& c) { return GetOutputDir(c.Bstr(0), c.Bstr(1), c.OutBstr(2)); });
  Member(18, "SetOutputDir", {S::kBstr, S::kBstr, S::kBstr},
         [this](DispatchCall& c) { return SetOutputDir(c.Bstr(0), c.Bstr(1), c.Bstr(2)); });
  Member(19, "GetFileNoBuild", {S::kBstr, S::kBstr, S::kBstr, S::kOutLong},
         [this](DispatchCall& c) {
           return GetFileNoBuild(c.Bstr(0), c.Bstr(1), c.Bstr(2), c.OutLong(3));
         });
  Member(20, "Method20", {S::kBstr, S::kBstr, S::kBstr, S::kLong},
         [this](DispatchCall& c) { return Method20(c.Bstr(0), c.Bstr(1), c.Bstr(2), c.Long(3)); });
  Member(21, "SaveMakefile", {S::kVariant},
         [this](DispatchCall& c) { return SaveMakefile(c.Variant(0)); });
  Member(22, "SetOptionsChecked", {S::kBstr, S::kBstr, S::kBstr, S::kBstr},
         [this](DispatchCall& c) {
           return SetOptionsChecked(c.Bstr(0), c.Bstr(1), c.Bstr(2), c.Bstr(3));
         });
  Member(23, "GetLinkOptions", {S::kBstr, S::kBstr, S::kOutBstr},
         [this](DispatchCall& c) { return GetLinkOptions(c.Bstr(0), c.Bstr(1), c.OutBstr(2)); });
  Member(24, "SetProjectLink", {S::kBstr, S::kBstr, S::kBstr},
         [this](DispatchCall& c) { return SetProjectLink(c.Bstr(0), c.Bstr(1), c.Bstr(2)); });
  Member(25, "GetProjectCount", {S::kOutLong},
         [this](DispatchCall& c) { return GetProjectCount(c.OutLong(0)); });
  Member(26, "GetProjectByIndex", {S::kLong, S::kOutBstr},
         [this](DispatchCall& c) { return GetProjectByIndex(c.Long(0), c.OutBstr(1)); });
  Member(27, "GetLinkProjectCount", {S::kBstr, S::kOutLong},
         [this](DispatchCall& c) { return GetLinkProjectCount(c.Bstr(0), c.OutLong(1)); });
  Member(28, "GetLinkProjectByIndex", {S::kBstr, S::kLong, S::kOutBstr}, [this](DispatchCall& c) {
    return GetLinkProjectByIndex(c.Bstr(0), c.Long(1), c.OutBstr(2));
  });
  Member(29, "GetProjectConvert", {S::kBstr, S::kBstr, S::kOutBstr},
         [this](DispatchCall& c) { return GetProjectConvert(c.Bstr(0), c.Bstr(1), c.OutBstr(2)); });
  Member(30, "SetProjectConvert", {S::kBstr, S::kBstr, S::kBstr},
         [this](DispatchCall& c) { return SetProjectConvert(c.Bstr(0), c.Bstr(1), c.Bstr(2)); });
  Member(31, "NewProject",
         {S::kBstr, S::kBstr, S::kOptionalVariant, S::kOptionalVariant, S::kOptionalVariant},
         [this](DispatchCall& c) {
           return NewProject(c.Bstr(0), c.Bstr(1), c.Variant(2), c.Variant(3), c.Variant(4));
         });
  Member(32, "Method32", {S::kBstr, S::kVariant},
         [this](DispatchCall& c) { return Method32(c.Bstr(0), c.Variant(1)); });
  Member(33, "Method33", {S::kBstr, S::kVariant},
         [this](DispatchCall& c) { return Method33(c.Bstr(0), c.Variant(1)); });
}

}  // namespace zelvan
