// The Service methods that hand requests on to the IDE's services: source
// control through the archive provider, and redraws of the IDE's views.
// Each answers S_FALSE with kStatusNotConnected when the IDE (or the
// service it needs) is not connected.
#include <string>

#include "com/bstr.h"
#include "model/project.h"
#include "model/source_file.h"
#include "model/status_codes.h"
#include "model/workspace.h"
#include "service/argument_shapes.h"
#include "service/ide_connection.h"
#include "service/report_status.h"
#include "service/service_object.h"

namespace zelvan {
namespace {

constexpr const char* kSourceControl = "source control";

}  // namespace

HRESULT ServiceObject::RunArchiveAction(ArchiveAction action, const std::string& path,
                                        LONG* state) {
  Workspace& ws = workspace();
  IKovaArchiveProvider* provider = module_.connection().ArchiveProvider();
  if (provider == nullptr) return NotConnected(kSourceControl);
  if (path.empty()) {
    ws.SetStatus(kStatusArchiveFailed, kMsgArchiveFailed, {"(no archive)"});
    return S_FALSE;
  }
  ScopedBstr target(path);
  LONG done = 0;
  HRESULT hr = E_FAIL;
  switch (action) {
    case ArchiveAction::kGetLatest:
      hr = provider->GetLatest(target.Get(), 0, &done);
      break;
    case ArchiveAction::kCheckOut:
      hr = provider->CheckOut(target.Get(), 0, &done);
      break;
    case ArchiveAction::kCheckIn:
      hr = provider->CheckIn(target.Get(), 0, &done);
      break;
    case ArchiveAction::kUndoCheckOut:
      hr = provider->UndoCheckOut(target.Get(), 0, &done);
      break;
  }
  if (state != nullptr) {
    LONG now = kArchiveStateUnknown;
    if (SUCCEEDED(provider->GetState(target.Get(), 0, &now))) *state = now;
  }
  if (FAILED(hr) || done != 1) {
    ws.SetStatus(kStatusArchiveFailed, kMsgArchiveFailed, {path});
    return S_FALSE;
  }
  return S_OK;
}

HRESULT ServiceObject::WorkspaceArchiveAction(ArchiveAction action) {
  Workspace& ws = workspace();
  if (!BeginOperation(ws, {})) return S_FALSE;
  LONG state = module_.WorkspaceArchiveState();
  const HRESULT hr = RunArchiveAction(action, ws.document().ArchivePath(), &state);
  module_.SetWorkspaceArchiveState(state);
  return hr;
}

HRESULT ServiceObject::ProjectArchiveAction(ArchiveAction action, BSTR project) {
  Workspace& ws = workspace();
  if (!BeginOperation(ws, {})) return S_FALSE;
  Project* found = FindNamedProject(ws, TextFromBstr(project));
  if (found == nullptr) return S_FALSE;
  return RunArchiveAction(action, found->paths().archive, nullptr);
}

HRESULT ServiceObject::FileArchiveAction(ArchiveAction action, const std::string& project,
                                         const VARIANT& file, bool refresh) {
  Workspace& ws = workspace();
  TextArg file_name(file);
  if (!BeginOperation(ws, {file_name})) return S_FALSE;
  Project* found = FindNamedProject(ws, project);
  if (found == nullptr) return S_FALSE;
  std::string path = found->paths().project_file;
  if (!file_name.str().empty()) {
    SourceFile* source = FindNamedFile(ws, *found, file_name.str());
    if (source == nullptr) return S_FALSE;
    path = source->FullPath();
  }
  const HRESULT hr = RunArchiveAction(action, path, nullptr);
  if (refresh && module_.connection().IsConnected()) ws.ide().RefreshSourceControlStatus();
  return hr;
}

HRESULT ServiceObject::Method42() {
  return WorkspaceArchiveAction(ArchiveAction::kGetLatest);
}
HRESULT ServiceObject::Method43() {
  return WorkspaceArchiveAction(ArchiveAction::kCheckOut);
}
HRESULT ServiceObject::Method44() {
  return WorkspaceArchiveAction(ArchiveAction::kCheckIn);
}
HRESULT ServiceObject::Method45(BSTR project) {
  return ProjectArchiveAction(ArchiveAction::kGetLatest, project);
}
HRESULT ServiceObject::Method46(BSTR project) {
  return ProjectArchiveAction(ArchiveAction::kCheckOut, project);
}
HRESULT ServiceObject::Method47(BSTR project) {
  return ProjectArchiveAction(ArchiveAction::kCheckIn, project);
}
HRESULT ServiceObject::Method48(BSTR project, VARIANT file) {
  ArgumentScope scope{&file};
  return FileArchiveAction(ArchiveAction::kCheckOut, TextFromBstr(project), file, false);
}
HRESULT ServiceObject::Method49(BSTR project, VARIANT file) {
  ArgumentScope scope{&file};
  return FileArchiveAction(ArchiveAction::kCheckIn, TextFromBstr(project), file, false);
}

HRESULT ServiceObject::Method65(VARIANT project, VARIANT file) {
  ArgumentScope scope{&project, &file};
  return FileArchiveAction(ArchiveAction::kGetLatest, TextArg(project).str(), file, true);
}
HRESULT ServiceObject::Method66(VARIANT project, VARIANT file) {
  ArgumentScope scope{&project, &file};
  return FileArchiveAction(ArchiveAction::kCheckOut, TextArg(project).str(), file, true);
}
HRESULT ServiceObject::Method67(VARIANT project, VARIANT file) {
  ArgumentScope scope{&project, &file};
  return FileArchiveAction(ArchiveAction::kCheckIn, TextArg(project).str(), file, true);
}
HRESULT ServiceObject::Method68(VARIANT project, VARIANT file) {
  ArgumentScope scope{&project, &file};
  return FileArchiveAction(ArchiveAction::kUndoCheckOut, TextArg(project).str(), file, true);
}

HRESULT ServiceObject::GetWorkspaceArchiveState(LONG* state) {
  if (state == nullptr) return E_POINTER;
  *state = module_.WorkspaceArchiveState();
  return S_OK;
}

HRESULT ServiceObject::GetProjectArchiveState(BSTR project, LONG* state) {
  if (state == nullptr) return E_POINTER;
  *state = kArchiveStateUnknown;
  Workspace& ws = workspace();
  Project* found = ws.projects().Find(TextFromBstr(project));
  IKovaArchiveProvider* provider = module_.connection().ArchiveProvider();
  if (found == nullptr || provider == nullptr || found->paths().archive.empty()) return S_OK;
  ScopedBstr path(found->paths().archive);
  LONG now = kArchiveStateUnknown;
  if (SUCCEEDED(provider->GetState(path.Get(), 0, &now))) *state = now;
  return S_OK;
}

HRESULT ServiceObject::Method63() {
  workspace().ClearStatus();
  if (module_.connection().ArchiveProvider() == nullptr) return NotConnected(kSourceControl);
  return S_OK;
}

HRESULT ServiceObject::Method64(BSTR project) {
  Workspace& ws = workspace();
  if (!BeginOperation(ws, {})) return S_FALSE;
  Project* found = FindNamedProject(ws, TextFromBstr(project));
  if (found == nullptr) return S_FALSE;
  IKovaFileView* view = module_.connection().FileView();
  if (view == nullptr) return NotConnected("file view");
  ScopedBstr file(found->paths().project_file);
  LONG done = 0;
  return Result(SUCCEEDED(view->RefreshItemImages(file.Get(), &done)) && done == 1);
}

HRESULT ServiceObject::Method71() {
  workspace().ClearStatus();
  if (module_.connection().Workspace() == nullptr) return NotConnected("workspace");
  workspace().ide().RefreshSourceControlStatus();
  return S_OK;
}

HRESULT ServiceObject::Method82(BSTR project) {
  Workspace& ws = workspace();
  if (!BeginOperation(ws, {})) return S_FALSE;
  Project* found = FindNamedProject(ws, TextFromBstr(project));
  if (found == nullptr) return S_FALSE;
  if (module_.connection().Workspace() == nullptr) return NotConnected("workspace");
  ws.ide().RefreshProjectView(found->paths().project_file);
  return S_OK;
}

}  // namespace zelvan
