// The headless host's IDE objects: the application object the service
// connects with and the IDE services it hands out, as dispatch objects with
// the slots the service calls (service/ide_interfaces.h).
//
// They hold no IDE logic of their own: the workspace object, the output
// window and the message boxes pass every call on to the host's IdeServices
// (the headless host: workspace file, settings file, message-box policy,
// lines on the message stream). The automation server keeps the errors
// reported to it; the file view and the archive provider answer as an IDE
// without a window and without source control does.
//
//   HeadlessHost host(...);
//   ComPtr<HostApplication> application = MakeComObject<HostApplication>(host);
//   connection.Connect(application.Get());
#pragma once

#include <string>
#include <vector>

#include "com/com_ptr.h"
#include "com/dispatch_object.h"
#include "dependencies/dependency_progress.h"
#include "model/ide_services.h"
#include "service/ide_interfaces.h"

namespace zelvan {

// "KOVA.Workspace".
class HostWorkspace : public DispatchObject<IKovaWorkspace> {
 public:
  explicit HostWorkspace(IdeServices& ide);

  HRESULT STDMETHODCALLTYPE GetActiveProject(BSTR* project_file) override;
  HRESULT STDMETHODCALLTYPE GetSetting(BSTR section, BSTR key, LONG buffer_size,
                                       BSTR* value) override;
  HRESULT STDMETHODCALLTYPE WriteSetting(BSTR section, BSTR key, BSTR value) override;
  HRESULT STDMETHODCALLTYPE AddProject(BSTR ide_project_file, BSTR workspace) override;
  HRESULT STDMETHODCALLTYPE ProjectAdded(BSTR project_file) override;
  HRESULT STDMETHODCALLTYPE SetCurrentTarget(BSTR target) override;
  HRESULT STDMETHODCALLTYPE RefreshProject(BSTR project_file) override;
  HRESULT STDMETHODCALLTYPE RefreshSourceControl() override;
  HRESULT STDMETHODCALLTYPE ReplaceProject(BSTR old_project_file, BSTR new_project_file) override;
  HRESULT STDMETHODCALLTYPE RemoveProject(BSTR project_file) override;
  HRESULT STDMETHODCALLTYPE GetProjectFiles(BSTR workspace, VARIANT* files) override;
  HRESULT STDMETHODCALLTYPE GetRecordFiles(VARIANT* files) override;

 private:
  IdeServices& ide_;
};

// "KOutputW.Service": lines and errors go to the host's output.
class HostOutputWindow : public DispatchObject<IKovaOutputWindow> {
 public:
  explicit HostOutputWindow(IdeServices& ide);

  HRESULT STDMETHODCALLTYPE ClearPane(BSTR pane) override;
  HRESULT STDMETHODCALLTYPE WriteLine(BSTR pane, BSTR file, LONG line, LONG kind, BSTR text,
                                      LONG reserved) override;
  HRESULT STDMETHODCALLTYPE ActivatePane(BSTR pane, LONG reserved1, LONG reserved2) override;
  HRESULT STDMETHODCALLTYPE ReportError(BSTR title, LONG reserved, LONG code, BSTR message,
                                        BSTR module) override;

 private:
  IdeServices& ide_;
};

// "KErrMsg.Service": message boxes, answered by the host.
class HostErrorMessages : public DispatchObject<IKovaErrorMessages> {
 public:
  explicit HostErrorMessages(IdeServices& ide);

  HRESULT STDMETHODCALLTYPE ShowMessage(BSTR caption, BSTR text, LONG reserved, LONG style,
                                        LONG message_id, LONG* result) override;

 private:
  IdeServices& ide_;
};

// An error as the automation server received it.
struct AutomationError {
  IID source;
  std::string module;
  std::string message;
  LONG code;
};

// "AutoSrv.Service": keeps every error reported to it, in order.
class HostAutomationServer : public DispatchObject<IAutomationServer> {
 public:
  HostAutomationServer();

  HRESULT STDMETHODCALLTYPE ReportError(REFIID source, BSTR module, BSTR message, LONG reserved1,
                                        LONG reserved2, LONG code, LONG reserved3) override;

  const std::vector<AutomationError>& errors() const { return errors_; }

 private:
  std::vector<AutomationError> errors_;
};

// "KFileVw.Service" without a window: there is no tree to show, so view
// changes succeed with nothing to do and the tree has no items.
class HostFileView : public DispatchObject<IKovaFileView> {
 public:
  HostFileView();

  HRESULT STDMETHODCALLTYPE RefreshItemImages(BSTR project, LONG* result) override;
  HRESULT STDMETHODCALLTYPE GetItemCount(BSTR project, BSTR folder, LONG* count) override;
  HRESULT STDMETHODCALLTYPE GetItemName(BSTR project, BSTR folder, LONG index, BSTR* name) override;
  HRESULT STDMETHODCALLTYPE AddItem(BSTR project, BSTR folder, BSTR name, LONG* result) override;
  HRESULT STDMETHODCALLTYPE RemoveItem(BSTR project, BSTR name, LONG* result) override;
  HRESULT STDMETHODCALLTYPE RenameItem(BSTR project, BSTR old_name, BSTR new_name,
                                       LONG* result) override;
  HRESULT STDMETHODCALLTYPE GetLastError(LONG* code, BSTR* text) override;
};

// "KBPArc.Provider" without source control: every state is unknown and no
// action is carried out (result 0).
class HostArchiveProvider : public DispatchObject<IKovaArchiveProvider> {
 public:
  HostArchiveProvider();

  HRESULT STDMETHODCALLTYPE GetState(BSTR path, LONG flags, LONG* state) override;
  HRESULT STDMETHODCALLTYPE GetLatest(BSTR path, LONG flags, LONG* result) override;
  HRESULT STDMETHODCALLTYPE CheckOut(BSTR path, LONG flags, LONG* result) override;
  HRESULT STDMETHODCALLTYPE CheckIn(BSTR path, LONG flags, LONG* result) override;
  HRESULT STDMETHODCALLTYPE UndoCheckOut(BSTR path, LONG flags, LONG* result) override;
  HRESULT STDMETHODCALLTYPE AddToArchive(BSTR path, LONG flags, LONG* result) override;
  HRESULT STDMETHODCALLTYPE RemoveFromArchive(BSTR path, LONG flags, LONG* result) override;
  HRESULT STDMETHODCALLTYPE ShowHistory(BSTR path, LONG flags, LONG* result) override;
};

// A progress window of the host's own, handed to the service with a long
// operation (a VARIANT holding it as VT_UNKNOWN): what the operation posts
// to it goes to `progress`, which must outlive the window's use.
class HostProgressWindow : public DispatchObject<IKovaProgressWindow> {
 public:
  explicit HostProgressWindow(DependencyProgress& progress);

  HRESULT STDMETHODCALLTYPE PostProgress(UINT message, ULONGLONG number, BSTR text) override;

 private:
  DependencyProgress& progress_;
};

// The application object. Member 39 (property get, ProgID) hands out the
// services above; a ProgID it does not know (the build runner among them:
// the host builds nothing) fails with CLASS_E_CLASSNOTAVAILABLE. Member 10
// (method, command and argument) takes the IDE commands and ignores them:
// the headless host has no views to update.
class HostApplication : public DispatchObject<IKovaApplication> {
 public:
  // The services pass calls on to `ide`, which must outlive every
  // reference handed out.
  explicit HostApplication(IdeServices& ide);
  ~HostApplication() override;

  // The service of `prog_id`, or null.
  IDispatch* Service(std::string_view prog_id) const;
  // The automation server, with the errors reported so far; null only when
  // memory ran out while the application was made.
  const HostAutomationServer* automation_server() const { return automation_server_.Get(); }

 private:
  ComPtr<HostAutomationServer> automation_server_;
  std::vector<std::pair<std::string, ComPtr<IDispatch>>> services_;
};

}  // namespace zelvan
