#include "host/host_ide_objects.h"

#include <utility>

#include "com/bstr.h"
#include "com/variant.h"
#include "platform/ansi_text.h"

namespace zelvan {

namespace {

HRESULT StoreText(std::string_view text, BSTR* out) {
  if (out == nullptr) return E_POINTER;
  *out = BstrFromText(text);
  return *out != nullptr ? S_OK : E_OUTOFMEMORY;
}

HRESULT StoreLong(LONG value, LONG* out) {
  if (out == nullptr) return E_POINTER;
  *out = value;
  return S_OK;
}

}  // namespace

// --- HostWorkspace.

HostWorkspace::HostWorkspace(IdeServices& ide) : DispatchObject(IID_IKovaWorkspace), ide_(ide) {}

HRESULT HostWorkspace::GetActiveProject(BSTR* project_file) {
  return StoreText(ide_.GetActiveProjectFile(), project_file);
}

HRESULT HostWorkspace::GetSetting(BSTR section, BSTR key, LONG buffer_size, BSTR* value) {
  if (buffer_size < 0) return E_INVALIDARG;
  return StoreText(ide_.ReadWorkspaceSetting(TextFromBstr(section), TextFromBstr(key),
                                             static_cast<size_t>(buffer_size)),
                   value);
}

HRESULT HostWorkspace::WriteSetting(BSTR section, BSTR key, BSTR value) {
  return ide_.WriteWorkspaceSetting(TextFromBstr(section), TextFromBstr(key), TextFromBstr(value))
             ? S_OK
             : S_FALSE;
}

HRESULT HostWorkspace::AddProject(BSTR ide_project_file, BSTR workspace) {
  return ide_.AddProjectToWorkspace(TextFromBstr(ide_project_file), TextFromBstr(workspace))
             ? S_OK
             : S_FALSE;
}

HRESULT HostWorkspace::ProjectAdded(BSTR project_file) {
  ide_.ProjectFileAdded(TextFromBstr(project_file));
  return S_OK;
}

HRESULT HostWorkspace::SetCurrentTarget(BSTR target) {
  ide_.CurrentTargetChanged(TextFromBstr(target));
  return S_OK;
}

HRESULT HostWorkspace::RefreshProject(BSTR project_file) {
  ide_.RefreshProjectView(TextFromBstr(project_file));
  return S_OK;
}

HRESULT HostWorkspace::RefreshSourceControl() {
  ide_.RefreshSourceControlStatus();
  return S_OK;
}

HRESULT HostWorkspace::GetProjectFiles(BSTR workspace, VARIANT* files) {
  if (files == nullptr) return E_POINTER;
  std::vector<std::string> list;
  if (!ide_.GetWorkspaceProjectFiles(TextFromBstr(workspace), &list)) return S_FALSE;
  return zelvan::StoreStrings(files, list) ? S_OK : E_OUTOFMEMORY;
}

HRESULT HostWorkspace::ReplaceProject(BSTR old_project_file, BSTR new_project_file) {
  std::string error;
  return ide_.ReplaceWorkspaceProject(TextFromBstr(old_project_file),
                                      TextFromBstr(new_project_file), &error)
             ? S_OK
             : S_FALSE;
}

HRESULT HostWorkspace::RemoveProject(BSTR project_file) {
  std::string error;
  return ide_.RemoveWorkspaceProject(TextFromBstr(project_file), &error) ? S_OK : S_FALSE;
}

HRESULT HostWorkspace::GetRecordFiles(VARIANT* files) {
  if (files == nullptr) return E_POINTER;
  return zelvan::StoreStrings(files, ide_.WorkspaceRecordFiles()) ? S_OK : E_OUTOFMEMORY;
}

// --- HostProgressWindow.

HostProgressWindow::HostProgressWindow(DependencyProgress& progress)
    : DispatchObject(IID_IKovaProgressWindow), progress_(progress) {}

HRESULT HostProgressWindow::PostProgress(UINT message, ULONGLONG number, BSTR text) {
  switch (message) {
    case kProgressTotalMessage:
      progress_.SetTotal(number);
      return S_OK;
    case kProgressStepMessage:
      progress_.Step();
      return S_OK;
    case kProgressProjectMessage:
      progress_.SetProject(TextFromBstr(text));
      return S_OK;
    default:
      return E_INVALIDARG;
  }
}

// --- HostOutputWindow.

HostOutputWindow::HostOutputWindow(IdeServices& ide)
    : DispatchObject(IID_IKovaOutputWindow), ide_(ide) {}

HRESULT HostOutputWindow::ClearPane(BSTR) {
  ide_.ClearOutputPane();
  return S_OK;
}

HRESULT HostOutputWindow::WriteLine(BSTR, BSTR file, LONG line, LONG kind, BSTR text, LONG) {
  // A line about a file keeps its file and line, so "file(line):" stays
  // where an editor looks for it.
  if (file != nullptr) {
    ide_.WriteOutputLineAt(TextFromBstr(file), line, TextFromBstr(text), kind);
  } else {
    ide_.WriteOutputLine(TextFromBstr(text), kind);
  }
  return S_OK;
}

HRESULT HostOutputWindow::ActivatePane(BSTR, LONG, LONG) {
  ide_.ShowOutputPane();
  return S_OK;
}

HRESULT HostOutputWindow::ReportError(BSTR, LONG, LONG code, BSTR message, BSTR) {
  // The host shows the reported number; it adds the base itself.
  ide_.ReportError(static_cast<uint32_t>(code) & 0xFFFFu, TextFromBstr(message));
  return S_OK;
}

// --- HostErrorMessages.

HostErrorMessages::HostErrorMessages(IdeServices& ide)
    : DispatchObject(IID_IKovaErrorMessages), ide_(ide) {}

HRESULT HostErrorMessages::ShowMessage(BSTR caption, BSTR text, LONG, LONG style, LONG message_id,
                                       LONG* result) {
  if (result == nullptr) return E_POINTER;
  *result = ide_.ShowMessage(TextFromBstr(caption), TextFromBstr(text),
                             static_cast<unsigned>(style), static_cast<unsigned>(message_id));
  return S_OK;
}

// --- HostAutomationServer.

HostAutomationServer::HostAutomationServer() : DispatchObject(IID_IAutomationServer) {}

HRESULT HostAutomationServer::ReportError(REFIID source, BSTR module, BSTR message, LONG, LONG,
                                          LONG code, LONG) {
  errors_.push_back(AutomationError{source, TextFromBstr(module), TextFromBstr(message), code});
  return S_OK;
}

// --- HostFileView.

HostFileView::HostFileView() : DispatchObject(IID_IKovaFileView) {}

HRESULT HostFileView::RefreshItemImages(BSTR, LONG* result) {
  return StoreLong(1, result);
}
HRESULT HostFileView::GetItemCount(BSTR, BSTR, LONG* count) {
  return StoreLong(0, count);
}
HRESULT HostFileView::GetItemName(BSTR, BSTR, LONG, BSTR* name) {
  return StoreText("", name);
}
HRESULT HostFileView::AddItem(BSTR, BSTR, BSTR, LONG* result) {
  return StoreLong(1, result);
}
HRESULT HostFileView::RemoveItem(BSTR, BSTR, LONG* result) {
  return StoreLong(1, result);
}
HRESULT HostFileView::RenameItem(BSTR, BSTR, BSTR, LONG* result) {
  return StoreLong(1, result);
}
HRESULT HostFileView::GetLastError(LONG* code, BSTR* text) {
  const HRESULT hr = StoreLong(0, code);
  return FAILED(hr) ? hr : StoreText("", text);
}

// --- HostArchiveProvider.

HostArchiveProvider::HostArchiveProvider() : DispatchObject(IID_IKovaArchiveProvider) {}

HRESULT HostArchiveProvider::GetState(BSTR, LONG, LONG* state) {
  return StoreLong(kArchiveStateUnknown, state);
}
HRESULT HostArchiveProvider::GetLatest(BSTR, LONG, LONG* result) {
  return StoreLong(0, result);
}
HRESULT HostArchiveProvider::CheckOut(BSTR, LONG, LONG* result) {
  return StoreLong(0, result);
}
HRESULT HostArchiveProvider::CheckIn(BSTR, LONG, LONG* result) {
  return StoreLong(0, result);
}
HRESULT HostArchiveProvider::UndoCheckOut(BSTR, LONG, LONG* result) {
  return StoreLong(0, result);
}
HRESULT HostArchiveProvider::AddToArchive(BSTR, LONG, LONG* result) {
  return StoreLong(0, result);
}
HRESULT HostArchiveProvider::RemoveFromArchive(BSTR, LONG, LONG* result) {
  return StoreLong(0, result);
}
HRESULT HostArchiveProvider::ShowHistory(BSTR, LONG, LONG* result) {
  return StoreLong(0, result);
}

// --- HostApplication.

HostApplication::HostApplication(IdeServices& ide)
    : DispatchObject(IID_IKovaApplication),
      automation_server_(MakeComObject<HostAutomationServer>()) {
  auto add = [this](const char* prog_id, IDispatch* service) {
    if (service != nullptr) services_.emplace_back(prog_id, ComPtr<IDispatch>(service));
  };
  add(kWorkspaceProgId, MakeComObject<HostWorkspace>(ide).Get());
  add(kOutputWindowProgId, MakeComObject<HostOutputWindow>(ide).Get());
  add(kErrorMessagesProgId, MakeComObject<HostErrorMessages>(ide).Get());
  add(kFileViewProgId, MakeComObject<HostFileView>().Get());
  add(kAutomationServerProgId, automation_server_.Get());
  add(kArchiveProviderProgId, MakeComObject<HostArchiveProvider>().Get());

  AddMethod(kDispIdApplicationCommand, "Command", 2, 2, [](DispatchArgs& args, VARIANT*) {
    LONG command = 0;
    return args.Long(0, &command) ? S_OK : DISP_E_TYPEMISMATCH;
  });
  AddMember(kDispIdApplicationService, "Service", DISPATCH_PROPERTYGET, 1, 1,
            [this](DispatchArgs& args, VARIANT* result) {
              std::string prog_id;
              if (!args.Text(0, &prog_id)) return DISP_E_TYPEMISMATCH;
              IDispatch* service = Service(prog_id);
              if (service == nullptr) return CLASS_E_CLASSNOTAVAILABLE;
              service->AddRef();
              result->vt = VT_DISPATCH;
              result->pdispVal = service;
              return S_OK;
            });
}

HostApplication::~HostApplication() = default;

IDispatch* HostApplication::Service(std::string_view prog_id) const {
  // ProgIDs are names of the registry, where case does not count.
  for (const auto& [name, service] : services_) {
    if (EqualsNoCase(name, prog_id)) return service.Get();
  }
  return nullptr;
}

}  // namespace zelvan
