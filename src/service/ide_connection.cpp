#include "service/ide_connection.h"

#include <utility>

#include "com/bstr.h"
#include "com/dispatch_object.h"
#include "model/message_texts.h"
#include "model/status_codes.h"
#include "platform/ansi_text.h"
#include "platform/ui_hooks.h"
#include "service/component_ids.h"

namespace zelvan {

namespace {

constexpr uint32_t kReportedErrorBase = 0x40040000;

}  // namespace

IdeConnection::IdeConnection(UiHooks& ui, ConnectionHooks hooks)
    : ui_(ui), hooks_(std::move(hooks)) {}

IdeConnection::~IdeConnection() {
  ReleaseAll();
}

HRESULT IdeConnection::Connect(IUnknown* application) {
  // Whatever an earlier connection obtained came from its application
  // object, so none of it may serve the new one.
  ReleaseAll();

  if (hooks_.load_service_settings) hooks_.load_service_settings();
  if (hooks_.load_cpu_tools) hooks_.load_cpu_tools();

  if (application == nullptr) return S_FALSE;
  void* raw = nullptr;
  if (FAILED(application->QueryInterface(IID_IKovaApplication, &raw)) || raw == nullptr) {
    return S_FALSE;
  }
  application_.Attach(static_cast<IKovaApplication*>(raw));

  ComPtr<IDispatch> workspace;
  if (FAILED(GetSiblingService(kWorkspaceProgId, &workspace)) ||
      FAILED(workspace.As(&workspace_))) {
    return S_FALSE;
  }

  if (hooks_.create_object) {
    const std::pair<const CLSID*, ComPtr<IDispatch>*> own[] = {
        {&CLSID_Service, &service_object_},
        {&CLSID_Version, &version_object_},
        {&CLSID_Project, &project_object_},
    };
    for (const auto& [clsid, slot] : own) {
      if (FAILED(hooks_.create_object(*clsid, slot)) || !*slot) {
        service_object_.Reset();
        version_object_.Reset();
        project_object_.Reset();
        return S_FALSE;
      }
    }
  }
  return S_OK;
}

IDispatch* IdeConnection::OwnObject(REFCLSID clsid) const {
  if (IsEqualCLSID(clsid, CLSID_Service)) return service_object_.Get();
  if (IsEqualCLSID(clsid, CLSID_Version)) return version_object_.Get();
  if (IsEqualCLSID(clsid, CLSID_Project)) return project_object_.Get();
  return nullptr;
}

HRESULT IdeConnection::Disconnect() {
  ReleaseAll();
  // The IDE that said it was building is gone.
  busy_ = false;
  return S_OK;
}

HRESULT IdeConnection::GetComponentKind(BSTR* kind) {
  if (kind == nullptr) return E_POINTER;
  *kind = BstrFromText("COMPONENT");
  return *kind != nullptr ? S_OK : E_OUTOFMEMORY;
}

void IdeConnection::ReleaseAll() {
  archive_provider_.Reset();
  automation_server_.Reset();
  build_runner_.Reset();
  file_view_.Reset();
  error_messages_.Reset();
  output_window_.Reset();
  project_object_.Reset();
  version_object_.Reset();
  service_object_.Reset();
  workspace_.Reset();
  application_.Reset();
}

HRESULT IdeConnection::GetSiblingService(std::string_view prog_id, ComPtr<IDispatch>* service) {
  if (service == nullptr) return E_POINTER;
  service->Reset();
  if (!application_) return E_UNEXPECTED;
  VARIANT argument = VariantFromText(prog_id);
  if (argument.vt != VT_BSTR) return E_OUTOFMEMORY;
  VARIANT result;
  VariantInit(&result);
  HRESULT hr = CallDispatch(application_.Get(), kDispIdApplicationService, DISPATCH_PROPERTYGET,
                            &argument, 1, &result);
  VariantClear(&argument);
  if (SUCCEEDED(hr)) {
    if (result.vt == VT_DISPATCH && result.pdispVal != nullptr) {
      *service = ComPtr<IDispatch>(result.pdispVal);
    } else {
      hr = E_NOINTERFACE;
    }
  }
  VariantClear(&result);
  return hr;
}

template <class Interface>
Interface* IdeConnection::Sibling(ComPtr<Interface>* slot, const char* prog_id) {
  if (!*slot) {
    ComPtr<IDispatch> service;
    if (SUCCEEDED(GetSiblingService(prog_id, &service))) service.As(slot);
  }
  return slot->Get();
}

IKovaOutputWindow* IdeConnection::OutputWindow() {
  return Sibling(&output_window_, kOutputWindowProgId);
}
IKovaErrorMessages* IdeConnection::ErrorMessages() {
  return Sibling(&error_messages_, kErrorMessagesProgId);
}
IKovaFileView* IdeConnection::FileView() {
  return Sibling(&file_view_, kFileViewProgId);
}
IKovaBuildRunner* IdeConnection::BuildRunner() {
  return Sibling(&build_runner_, kBuildRunnerProgId);
}
IAutomationServer* IdeConnection::AutomationServer() {
  return Sibling(&automation_server_, kAutomationServerProgId);
}
IKovaArchiveProvider* IdeConnection::ArchiveProvider() {
  return Sibling(&archive_provider_, kArchiveProviderProgId);
}

bool IdeConnection::SendCommand(LONG command) {
  if (!application_) return false;
  VARIANT args[2];
  args[0] = VariantFromLong(command);
  VariantInit(&args[1]);
  return SUCCEEDED(CallDispatch(application_.Get(), kDispIdApplicationCommand, DISPATCH_METHOD,
                                args, 2, nullptr));
}

std::string IdeConnection::Text(unsigned id) {
  return LoadMessage(ui_, id);
}

void IdeConnection::ReportError(uint32_t code, std::string_view message) {
  const LONG reported = static_cast<LONG>(kReportedErrorBase + (code & 0xFFFFu));
  ScopedBstr text(message);
  ScopedBstr module(kComponentModuleName);
  if (IKovaOutputWindow* output = OutputWindow()) {
    ScopedBstr title(Text(kMsgErrorTitle));
    output->ReportError(title.Get(), 0, reported, text.Get(), module.Get());
  }
  if (IAutomationServer* automation = AutomationServer()) {
    automation->ReportError(IID_IProject, module.Get(), text.Get(), 0, 0, reported, 0);
  }
}

void IdeConnection::ReportErrorById(uint32_t code, unsigned message_id) {
  ReportError(code, Text(message_id));
}

void IdeConnection::WriteOutputLine(std::string_view text, LONG kind) {
  IKovaOutputWindow* output = OutputWindow();
  if (output == nullptr) return;
  ScopedBstr pane(Text(kMsgOutputPane));
  ScopedBstr line(text);
  output->WriteLine(pane.Get(), nullptr, 0, kind, line.Get(), 0);
}

void IdeConnection::WriteOutputLineAt(std::string_view file, LONG line, std::string_view text,
                                      LONG kind) {
  IKovaOutputWindow* output = OutputWindow();
  if (output == nullptr) return;
  ScopedBstr pane(Text(kMsgOutputPane));
  ScopedBstr file_name(file);
  ScopedBstr line_text(text);
  output->WriteLine(pane.Get(), file_name.Get(), line, kind, line_text.Get(), 0);
}

void IdeConnection::WriteOutputFileLine(std::string_view prefix, std::string_view file, LONG line,
                                        std::string_view text, LONG kind) {
  std::string formatted = std::string(prefix);
  formatted += file;
  formatted += StringPrintf("(%d):", static_cast<int>(line));
  formatted += text;
  WriteOutputLineAt(file, line, formatted, kind);
}

void IdeConnection::ClearOutputPane() {
  IKovaOutputWindow* output = OutputWindow();
  if (output == nullptr) return;
  ScopedBstr pane(Text(kMsgOutputPane));
  output->ClearPane(pane.Get());
}

void IdeConnection::ShowOutputPane() {
  IKovaOutputWindow* output = OutputWindow();
  if (output == nullptr) return;
  ScopedBstr pane(Text(kMsgOutputPane));
  output->ActivatePane(pane.Get(), 0, 0);
}

void IdeConnection::WriteProgress(std::string_view name, uint64_t done, uint64_t total) {
  if (total == 0) return;
  // Wide arithmetic: done * 100 overflows 32 bits for files past 42 MB.
  const int64_t percentage = static_cast<int64_t>(done * 100 / total);
  if (percentage == last_percentage_) return;
  last_percentage_ = percentage;
  const std::string number = std::to_string(percentage);
  const std::string text = LoadMessage(ui_, kMsgProgress, {name, number});
  ShowOutputPane();
  WriteOutputLine(text, kOutputLineInformation);
}

int IdeConnection::ShowMessage(std::string_view caption, std::string_view text, unsigned style,
                               unsigned message_id) {
  if (IKovaErrorMessages* messages = ErrorMessages()) {
    ScopedBstr caption_text;
    if (!caption.empty()) caption_text.Reset(BstrFromText(caption));
    ScopedBstr body(text);
    LONG result = 0;
    if (SUCCEEDED(messages->ShowMessage(caption_text.Get(), body.Get(), 0, static_cast<LONG>(style),
                                        static_cast<LONG>(message_id), &result))) {
      return static_cast<int>(result);
    }
  }
  return ui_.MessageBox(caption, text, style);
}

HRESULT IdeConnection::Notify(LONG event, const VARIANT& argument) {
  switch (event) {
    case kEventObtainServices:
      BuildRunner();
      FileView();
      OutputWindow();
      ArchiveProvider();
      ErrorMessages();
      AutomationServer();
      break;
    case kEventBuildStarted:
      busy_ = true;
      break;
    case kEventBuildEnded:
      busy_ = false;
      break;
    case kEventFunctionDatabaseStart: {
      function_database_done_ = false;
      std::string text;
      if (StringFromVariant(argument, &text)) function_database_text_ = std::move(text);
      break;
    }
    case kEventFunctionDatabaseDone:
      function_database_done_ = true;
      if (hooks_.function_database_done) hooks_.function_database_done();
      break;
    case kEventUpdateDependencies: {
      std::string project;
      if (!StringFromVariant(argument, &project)) project.clear();
      if (hooks_.update_dependencies) hooks_.update_dependencies(project);
      break;
    }
    default:
      break;
  }
  return S_OK;
}

bool IdeConnection::RefuseIfBusy() {
  if (!busy_) return false;
  ReportErrorById(kBusyErrorCode, kMsgIdeBusy);
  return true;
}

}  // namespace zelvan
