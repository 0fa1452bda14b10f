// The service's connection to the IDE that hosts it.
//
// The IDE connects with its application object. The connection keeps that
// object, the IDE's workspace object, the service's own objects and the
// IDE's other services (output window, error messages, file view, build
// runner, automation server, archive provider), each obtained through the
// application object on first use and kept until Disconnect. Every pointer
// held is one counted reference.
//
// The connection is also where every part of the service reports to the
// IDE: errors (to the output window and the automation server), lines and
// progress in the service's output pane, message boxes; and where the IDE's
// notifications arrive (Notify). Reporting without a connection, or without
// the service it needs, does nothing: a report never fails its caller.
//
// One instance per loaded module, created by whoever wires the module and
// handed down; it lives on the IDE's thread and is not locked.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "com/com_ptr.h"
#include "com/com_types.h"
#include "com/variant.h"
#include "service/ide_interfaces.h"

namespace zelvan {

class UiHooks;

// Events of Notify.
inline constexpr LONG kEventObtainServices = 4108;
inline constexpr LONG kEventBuildStarted = 8192;
inline constexpr LONG kEventBuildEnded = 8193;
inline constexpr LONG kEventFunctionDatabaseStart = 12352;
inline constexpr LONG kEventFunctionDatabaseDone = 12353;
inline constexpr LONG kEventUpdateDependencies = 12806;

// The error a request refused while the IDE builds is reported with.
inline constexpr uint32_t kBusyErrorCode = 40965;

// What Connect runs before it reaches for the IDE's objects, and what some
// notifications hand on to the rest of the service. Empty functions are skipped.
struct ConnectionHooks {
  // Connect: the service settings, then the CPU tool list.
  std::function<void()> load_service_settings;
  std::function<void()> load_cpu_tools;
  // kEventFunctionDatabaseDone: free the function-database cache.
  std::function<void()> function_database_done;
  // kEventUpdateDependencies: bring the include dependencies of `project`
  // (empty: of every project) up to date and redraw the function view.
  std::function<void(std::string_view project)> update_dependencies;
  // Connect: a new object of the service's own class `clsid` (the
  // Service, Version and Project objects the connection holds). Without
  // it, Connect creates none.
  std::function<HRESULT(REFCLSID clsid, ComPtr<IDispatch>* object)> create_object;
};

class IdeConnection {
 public:
  // Texts (error title, pane name, progress, busy message) come from `ui`.
  explicit IdeConnection(UiHooks& ui, ConnectionHooks hooks = {});
  ~IdeConnection();  // releases what is still held
  IdeConnection(const IdeConnection&) = delete;
  IdeConnection& operator=(const IdeConnection&) = delete;

  void SetHooks(ConnectionHooks hooks) { hooks_ = std::move(hooks); }

  // --- Connecting.

  // Connects to the IDE whose application object is `application`: runs
  // the loading hooks, keeps the application interface, obtains the
  // workspace object and creates the service's own Service, Version and
  // Project objects, in that order. S_OK when all were obtained; S_FALSE
  // otherwise, keeping the IDE's objects obtained up to the failure (of
  // the service's own objects, none is kept unless all three were made).
  // What an earlier connection held is released first.
  HRESULT Connect(IUnknown* application);
  // Releases every interface pointer held; S_OK.
  HRESULT Disconnect();
  // "COMPONENT": the kind of component the IDE is talking to. E_POINTER for null.
  static HRESULT GetComponentKind(BSTR* kind);

  bool IsConnected() const { return application_ && workspace_; }
  // The service's own object of `clsid` held since Connect; null for another class.
  IDispatch* OwnObject(REFCLSID clsid) const;
  IKovaApplication* Application() const { return application_.Get(); }
  IKovaWorkspace* Workspace() const { return workspace_.Get(); }

  // The IDE service of `prog_id`, through the application object's member
  // 39. Failure (no application object, the IDE has no such service, the
  // result is no dispatch pointer) leaves `service` empty.
  HRESULT GetSiblingService(std::string_view prog_id, ComPtr<IDispatch>* service);

  // The IDE's services, obtained on first use and kept; null while the IDE
  // cannot give one (a later call asks again).
  IKovaOutputWindow* OutputWindow();
  IKovaErrorMessages* ErrorMessages();
  IKovaFileView* FileView();
  IKovaBuildRunner* BuildRunner();
  IAutomationServer* AutomationServer();
  IKovaArchiveProvider* ArchiveProvider();

  // Sends `command` to the IDE through the application's member 10, with an
  // empty argument. False when there is no connection or the IDE fails it.
  bool SendCommand(LONG command);

  // --- Reporting.

  // An error the user must see: `code` is a 16-bit number, the IDE receives
  // 0x40040000 + code, titled by text 13702, under the module name "Zelvan".
  void ReportError(uint32_t code, std::string_view message);
  // ReportError with the text of `message_id`.
  void ReportErrorById(uint32_t code, unsigned message_id);
  // One line in the service's output pane (named by text 5072); `kind` is
  // kOutputLineWarning or kOutputLineInformation.
  void WriteOutputLine(std::string_view text, LONG kind);
  // One line that refers to line `line` of `file`, so the IDE can open it;
  // `text` is written as given.
  void WriteOutputLineAt(std::string_view file, LONG line, std::string_view text, LONG kind);
  // The line "<prefix><file>(<line>):<text>", written with its file and line.
  void WriteOutputFileLine(std::string_view prefix, std::string_view file, LONG line,
                           std::string_view text, LONG kind);
  void ClearOutputPane();
  void ShowOutputPane();
  // Progress of a long operation: text 5087 with `name` and done * 100 /
  // total, written when the percentage differs from the last one written.
  // Nothing for a total of 0.
  void WriteProgress(std::string_view name, uint64_t done, uint64_t total);
  // Forgets the last percentage, so the next WriteProgress writes.
  void ResetProgress() { last_percentage_ = -1; }
  // A message box of the IDE's (style and answers: platform/ui_hooks.h);
  // `caption` empty: the IDE's own caption. Without the IDE's message
  // service the box goes to the UI hooks, so it is never lost.
  int ShowMessage(std::string_view caption, std::string_view text, unsigned style,
                  unsigned message_id);

  // --- Notifications.

  // An event of the IDE with its argument (kEvent*); other events are
  // ignored. Always S_OK.
  HRESULT Notify(LONG event, const VARIANT& argument);

  // Set while the IDE reports a running build.
  bool BusyFlag() const { return busy_; }
  // While the IDE builds, reports kBusyErrorCode with text 5025 and returns
  // true: the caller (new, copy or rename of a project) must not go on.
  bool RefuseIfBusy();

  // The function-database text and done flag the IDE set by notification.
  const std::string& FunctionDatabaseText() const { return function_database_text_; }
  bool FunctionDatabaseDone() const { return function_database_done_; }

 private:
  template <class Interface>
  Interface* Sibling(ComPtr<Interface>* slot, const char* prog_id);
  void ReleaseAll();
  std::string Text(unsigned id);

  UiHooks& ui_;
  ConnectionHooks hooks_;

  ComPtr<IKovaApplication> application_;
  ComPtr<IKovaWorkspace> workspace_;
  // The service's own Service, Version and Project objects.
  ComPtr<IDispatch> service_object_;
  ComPtr<IDispatch> version_object_;
  ComPtr<IDispatch> project_object_;

  ComPtr<IKovaOutputWindow> output_window_;
  ComPtr<IKovaErrorMessages> error_messages_;
  ComPtr<IKovaFileView> file_view_;
  ComPtr<IKovaBuildRunner> build_runner_;
  ComPtr<IAutomationServer> automation_server_;
  ComPtr<IKovaArchiveProvider> archive_provider_;

  bool busy_ = false;
  std::string function_database_text_;
  bool function_database_done_ = false;
  int64_t last_percentage_ = -1;
};

}  // namespace zelvan
