// The interfaces of the host IDE that the service calls, as the service
// expects them.
//
// The IDE hands the service its application object when it connects; every
// other IDE object is obtained from it by ProgID through dispatch member 39
// (a property get with the ProgID as its one BSTR argument and a dispatch
// pointer as its result) and then queried for the interface declared here.
// The service calls these objects through their virtual-function slots, so
// the declaration order below is the contract: slots 0-2 are IUnknown, 3-6
// IDispatch, and each interface's own methods follow from slot 7 at the slot
// number written beside them. Slots that the service never calls are
// reserved; they keep the later slots in place and answer E_NOTIMPL unless a
// host overrides them.
//
// Text arguments are BSTRs, converted at the call with BstrFromText and
// TextFromBstr. A BSTR argument belongs to the caller; a BSTR* result is
// allocated by the callee and freed by the caller. A LONG* result of 1 means
// success where noted.
#pragma once

#include "com/com_types.h"
#include "com/variant.h"

namespace zelvan {

// ProgIDs the application object answers by member 39.
inline constexpr const char* kWorkspaceProgId = "KOVA.Workspace";
inline constexpr const char* kOutputWindowProgId = "KOutputW.Service";
inline constexpr const char* kErrorMessagesProgId = "KErrMsg.Service";
inline constexpr const char* kFileViewProgId = "KFileVw.Service";
inline constexpr const char* kBuildRunnerProgId = "KBuildSv.Service";
inline constexpr const char* kAutomationServerProgId = "AutoSrv.Service";
inline constexpr const char* kArchiveProviderProgId = "KBPArc.Provider";

// Dispatch members of the application object.
// Method (LONG command, VARIANT argument): a command to the IDE, such as
// kIdeCommandProjectCreated.
inline constexpr DISPID kDispIdApplicationCommand = 10;
// Property get (BSTR ProgID) -> VT_DISPATCH: a service of the IDE.
inline constexpr DISPID kDispIdApplicationService = 39;

// The command that tells the IDE a project was created or renamed.
inline constexpr LONG kIdeCommandProjectCreated = 12804;

// Kinds of output-window lines.
inline constexpr LONG kOutputLineWarning = 17;
inline constexpr LONG kOutputLineInformation = 18;

// Identifiers of the IDE interfaces (ours; the IDE answers them).
inline constexpr IID IID_IKovaApplication = {
    0x4B1E7C20, 0x5D2A, 0x4C3B, {0x9E, 0x8F, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E, 0x60}};
inline constexpr IID IID_IKovaWorkspace = {
    0x4B1E7C21, 0x5D2A, 0x4C3B, {0x9E, 0x8F, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E, 0x61}};
inline constexpr IID IID_IKovaOutputWindow = {
    0x4B1E7C22, 0x5D2A, 0x4C3B, {0x9E, 0x8F, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E, 0x62}};
inline constexpr IID IID_IKovaErrorMessages = {
    0x4B1E7C23, 0x5D2A, 0x4C3B, {0x9E, 0x8F, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E, 0x63}};
inline constexpr IID IID_IKovaFileView = {
    0x4B1E7C24, 0x5D2A, 0x4C3B, {0x9E, 0x8F, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E, 0x64}};
inline constexpr IID IID_IKovaBuildRunner = {
    0x4B1E7C25, 0x5D2A, 0x4C3B, {0x9E, 0x8F, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E, 0x65}};
inline constexpr IID IID_IAutomationServer = {
    0x4B1E7C26, 0x5D2A, 0x4C3B, {0x9E, 0x8F, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E, 0x66}};
inline constexpr IID IID_IKovaArchiveProvider = {
    0x4B1E7C27, 0x5D2A, 0x4C3B, {0x9E, 0x8F, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E, 0x67}};
inline constexpr IID IID_IKovaProgressWindow = {
    0x4B1E7C28, 0x5D2A, 0x4C3B, {0x9E, 0x8F, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E, 0x68}};

// The messages a progress window receives (IKovaProgressWindow).
inline constexpr UINT kProgressTotalMessage = 0x400;    // `number`: the steps to come
inline constexpr UINT kProgressStepMessage = 0x401;     // one step done
inline constexpr UINT kProgressProjectMessage = 0x403;  // `text`: the project at work

// Declares reserved slot N: a method the service never calls.
#define ZELVAN_RESERVED_SLOT(n)                     \
  virtual HRESULT STDMETHODCALLTYPE Reserved##n() { \
    return E_NOTIMPL;                               \
  }
// Slots 7 to 15, before the first method of most IDE services at 16.
#define ZELVAN_RESERVED_SLOTS_7_TO_15 \
  ZELVAN_RESERVED_SLOT(7)             \
  ZELVAN_RESERVED_SLOT(8)             \
  ZELVAN_RESERVED_SLOT(9)             \
  ZELVAN_RESERVED_SLOT(10)            \
  ZELVAN_RESERVED_SLOT(11)            \
  ZELVAN_RESERVED_SLOT(12)            \
  ZELVAN_RESERVED_SLOT(13)            \
  ZELVAN_RESERVED_SLOT(14)            \
  ZELVAN_RESERVED_SLOT(15)

// The application object: the object the IDE connects with. It has no slots
// of its own; its members are reached by number (kDispIdApplication*).
class IKovaApplication : public IDispatch {
 protected:
  ~IKovaApplication() = default;
};

// "KOVA.Workspace": the IDE's workspace, its project list and its
// per-workspace settings file.
class IKovaWorkspace : public IDispatch {
 public:
  // 7: the project file the IDE shows as active; empty for none.
  virtual HRESULT STDMETHODCALLTYPE GetActiveProject(BSTR* project_file) = 0;
  // 8: a value of the per-workspace settings file, cut to buffer_size - 1
  // characters as the IDE's buffer would (0: no limit); empty when missing.
  virtual HRESULT STDMETHODCALLTYPE GetSetting(BSTR section, BSTR key, LONG buffer_size,
                                               BSTR* value) = 0;
  // 9: writes a value of the per-workspace settings file; S_FALSE when it
  // cannot be written.
  virtual HRESULT STDMETHODCALLTYPE WriteSetting(BSTR section, BSTR key, BSTR value) = 0;
  // 10: adds the project whose IDE project file is `ide_project_file` to the
  // workspace `workspace`; S_FALSE when the IDE refuses.
  virtual HRESULT STDMETHODCALLTYPE AddProject(BSTR ide_project_file, BSTR workspace) = 0;
  // 11: a project file joined the workspace.
  virtual HRESULT STDMETHODCALLTYPE ProjectAdded(BSTR project_file) = 0;
  // 12: the workspace's current build target changed.
  virtual HRESULT STDMETHODCALLTYPE SetCurrentTarget(BSTR target) = 0;
  // 13: redraw the tree of one project.
  virtual HRESULT STDMETHODCALLTYPE RefreshProject(BSTR project_file) = 0;
  // 14: refresh the source-control state of every project.
  virtual HRESULT STDMETHODCALLTYPE RefreshSourceControl() = 0;
  // 15: names `new_project_file` in the place of `old_project_file` in the
  // IDE's list of projects (and as the active project when the old one was):
  // a project was renamed. S_FALSE when the list cannot be changed.
  virtual HRESULT STDMETHODCALLTYPE ReplaceProject(BSTR old_project_file,
                                                   BSTR new_project_file) = 0;
  // 16: takes a project out of the IDE's list again (a new project whose
  // creation failed after it joined). S_FALSE when the list cannot be changed.
  virtual HRESULT STDMETHODCALLTYPE RemoveProject(BSTR project_file) = 0;
  // 17: the project files of the workspace `workspace`, full paths in
  // workspace order, stored into `files` (StoreStrings: a SAFEARRAY of BSTR).
  // S_FALSE when the IDE cannot give them.
  virtual HRESULT STDMETHODCALLTYPE GetProjectFiles(BSTR workspace, VARIANT* files) = 0;
  // 18: the files in which the IDE keeps its record of the workspace (its
  // list of projects, its settings), stored into `files` like 17; none when
  // it keeps the record elsewhere. An operation that fails after changing
  // the record puts these files back as they were.
  virtual HRESULT STDMETHODCALLTYPE GetRecordFiles(VARIANT* files) = 0;

 protected:
  ~IKovaWorkspace() = default;
};

// "KOutputW.Service": the output window with its named panes.
class IKovaOutputWindow : public IDispatch {
 public:
  ZELVAN_RESERVED_SLOTS_7_TO_15
  // 16: empties the pane.
  virtual HRESULT STDMETHODCALLTYPE ClearPane(BSTR pane) = 0;
  // 17: one line in the pane. `file` (may be null) and `line` name the
  // source line the text refers to, so the IDE can open it; `kind` is
  // kOutputLineWarning or kOutputLineInformation.
  virtual HRESULT STDMETHODCALLTYPE WriteLine(BSTR pane, BSTR file, LONG line, LONG kind, BSTR text,
                                              LONG reserved) = 0;
  // 18: brings the pane to the front.
  virtual HRESULT STDMETHODCALLTYPE ActivatePane(BSTR pane, LONG reserved1, LONG reserved2) = 0;
  ZELVAN_RESERVED_SLOT(19)
  ZELVAN_RESERVED_SLOT(20)
  ZELVAN_RESERVED_SLOT(21)
  // 22: an error the user must see; `code` is the reported error number,
  // `module` the reporting component.
  virtual HRESULT STDMETHODCALLTYPE ReportError(BSTR title, LONG reserved, LONG code, BSTR message,
                                                BSTR module) = 0;

 protected:
  ~IKovaOutputWindow() = default;
};

// "KErrMsg.Service": the IDE's message boxes.
class IKovaErrorMessages : public IDispatch {
 public:
  // 7: shows `text` under `caption` (null: the IDE's own caption) with the
  // message-box `style`; *result receives the button pressed (6 = Yes).
  virtual HRESULT STDMETHODCALLTYPE ShowMessage(BSTR caption, BSTR text, LONG reserved, LONG style,
                                                LONG message_id, LONG* result) = 0;

 protected:
  ~IKovaErrorMessages() = default;
};

// "KFileVw.Service": the IDE's file view, the tree of the workspace's
// projects, folders and files. Results of 1 mean success.
class IKovaFileView : public IDispatch {
 public:
  ZELVAN_RESERVED_SLOTS_7_TO_15
  // 16: redraws the item images (build and source-control marks) of a project.
  virtual HRESULT STDMETHODCALLTYPE RefreshItemImages(BSTR project, LONG* result) = 0;
  // 17: the number of items under `folder` ("" the project itself).
  virtual HRESULT STDMETHODCALLTYPE GetItemCount(BSTR project, BSTR folder, LONG* count) = 0;
  // 18: the name of item `index` under `folder`.
  virtual HRESULT STDMETHODCALLTYPE GetItemName(BSTR project, BSTR folder, LONG index,
                                                BSTR* name) = 0;
  ZELVAN_RESERVED_SLOT(19)
  ZELVAN_RESERVED_SLOT(20)
  ZELVAN_RESERVED_SLOT(21)
  // 22: adds `name` to the tree under `folder`.
  virtual HRESULT STDMETHODCALLTYPE AddItem(BSTR project, BSTR folder, BSTR name, LONG* result) = 0;
  // 23: removes `name` from the tree.
  virtual HRESULT STDMETHODCALLTYPE RemoveItem(BSTR project, BSTR name, LONG* result) = 0;
  ZELVAN_RESERVED_SLOT(24)
  ZELVAN_RESERVED_SLOT(25)
  ZELVAN_RESERVED_SLOT(26)
  ZELVAN_RESERVED_SLOT(27)
  ZELVAN_RESERVED_SLOT(28)
  ZELVAN_RESERVED_SLOT(29)
  ZELVAN_RESERVED_SLOT(30)
  ZELVAN_RESERVED_SLOT(31)
  ZELVAN_RESERVED_SLOT(32)
  ZELVAN_RESERVED_SLOT(33)
  ZELVAN_RESERVED_SLOT(34)
  ZELVAN_RESERVED_SLOT(35)
  // 36: renames an item of the tree.
  virtual HRESULT STDMETHODCALLTYPE RenameItem(BSTR project, BSTR old_name, BSTR new_name,
                                               LONG* result) = 0;
  // 37: the error of the last request that did not give 1.
  virtual HRESULT STDMETHODCALLTYPE GetLastError(LONG* code, BSTR* text) = 0;

 protected:
  ~IKovaFileView() = default;
};

// "KBuildSv.Service": the IDE's build runner.
class IKovaBuildRunner : public IDispatch {
 public:
  ZELVAN_RESERVED_SLOTS_7_TO_15
  ZELVAN_RESERVED_SLOT(16)
  ZELVAN_RESERVED_SLOT(17)
  ZELVAN_RESERVED_SLOT(18)
  ZELVAN_RESERVED_SLOT(19)
  ZELVAN_RESERVED_SLOT(20)
  ZELVAN_RESERVED_SLOT(21)
  ZELVAN_RESERVED_SLOT(22)
  ZELVAN_RESERVED_SLOT(23)
  ZELVAN_RESERVED_SLOT(24)
  ZELVAN_RESERVED_SLOT(25)
  ZELVAN_RESERVED_SLOT(26)
  ZELVAN_RESERVED_SLOT(27)
  ZELVAN_RESERVED_SLOT(28)
  ZELVAN_RESERVED_SLOT(29)
  ZELVAN_RESERVED_SLOT(30)
  ZELVAN_RESERVED_SLOT(31)
  ZELVAN_RESERVED_SLOT(32)
  ZELVAN_RESERVED_SLOT(33)
  // 34: a request whose record travels in `request` (used by makefile import).
  virtual HRESULT STDMETHODCALLTYPE Request(VARIANT* request) = 0;

 protected:
  ~IKovaBuildRunner() = default;
};

// "AutoSrv.Service": the IDE's automation server, which keeps the errors of
// every component for scripts that drive the IDE.
class IAutomationServer : public IDispatch {
 public:
  ZELVAN_RESERVED_SLOTS_7_TO_15
  // 16: records an error of the component whose interface is `source`.
  virtual HRESULT STDMETHODCALLTYPE ReportError(REFIID source, BSTR module, BSTR message,
                                                LONG reserved1, LONG reserved2, LONG code,
                                                LONG reserved3) = 0;

 protected:
  ~IAutomationServer() = default;
};

// Source-control states the archive provider gives.
inline constexpr LONG kArchiveStateUnknown = -1;
inline constexpr LONG kArchiveStateNotControlled = 0;
inline constexpr LONG kArchiveStateCheckedIn = 1;
inline constexpr LONG kArchiveStateCheckedOut = 2;

// "KBPArc.Provider": source control of workspace, project and source files.
// Each action takes the path of an archive or a file and flags; *result is
// 1 on success.
class IKovaArchiveProvider : public IDispatch {
 public:
  ZELVAN_RESERVED_SLOT(7)
  ZELVAN_RESERVED_SLOT(8)
  ZELVAN_RESERVED_SLOT(9)
  // 10: the source-control state of `path` (kArchiveState*).
  virtual HRESULT STDMETHODCALLTYPE GetState(BSTR path, LONG flags, LONG* state) = 0;
  // 11-17: the actions.
  virtual HRESULT STDMETHODCALLTYPE GetLatest(BSTR path, LONG flags, LONG* result) = 0;
  virtual HRESULT STDMETHODCALLTYPE CheckOut(BSTR path, LONG flags, LONG* result) = 0;
  virtual HRESULT STDMETHODCALLTYPE CheckIn(BSTR path, LONG flags, LONG* result) = 0;
  virtual HRESULT STDMETHODCALLTYPE UndoCheckOut(BSTR path, LONG flags, LONG* result) = 0;
  virtual HRESULT STDMETHODCALLTYPE AddToArchive(BSTR path, LONG flags, LONG* result) = 0;
  virtual HRESULT STDMETHODCALLTYPE RemoveFromArchive(BSTR path, LONG flags, LONG* result) = 0;
  virtual HRESULT STDMETHODCALLTYPE ShowHistory(BSTR path, LONG flags, LONG* result) = 0;

 protected:
  ~IKovaArchiveProvider() = default;
};

#undef ZELVAN_RESERVED_SLOTS_7_TO_15
#undef ZELVAN_RESERVED_SLOT

template <>
struct InterfaceTraits<IKovaApplication> {
  static constexpr const IID& Iid() { return IID_IKovaApplication; }
};
template <>
struct InterfaceTraits<IKovaWorkspace> {
  static constexpr const IID& Iid() { return IID_IKovaWorkspace; }
};
template <>
struct InterfaceTraits<IKovaOutputWindow> {
  static constexpr const IID& Iid() { return IID_IKovaOutputWindow; }
};
template <>
struct InterfaceTraits<IKovaErrorMessages> {
  static constexpr const IID& Iid() { return IID_IKovaErrorMessages; }
};
template <>
struct InterfaceTraits<IKovaFileView> {
  static constexpr const IID& Iid() { return IID_IKovaFileView; }
};
template <>
struct InterfaceTraits<IKovaBuildRunner> {
  static constexpr const IID& Iid() { return IID_IKovaBuildRunner; }
};
template <>
struct InterfaceTraits<IAutomationServer> {
  static constexpr const IID& Iid() { return IID_IAutomationServer; }
};
template <>
struct InterfaceTraits<IKovaArchiveProvider> {
  static constexpr const IID& Iid() { return IID_IKovaArchiveProvider; }
};

// A progress window that the IDE hands to a long operation (a dependency
// refresh) in a VARIANT, as VT_UNKNOWN or VT_DISPATCH. The operation posts
// its progress to it; the window shows it as it likes.
class IKovaProgressWindow : public IDispatch {
 public:
  // 7: a message (kProgress*) with its number or its text; the text is the
  // caller's and lives for the call only.
  virtual HRESULT STDMETHODCALLTYPE PostProgress(UINT message, ULONGLONG number, BSTR text) = 0;

 protected:
  ~IKovaProgressWindow() = default;
};

template <>
struct InterfaceTraits<IKovaProgressWindow> {
  static constexpr const IID& Iid() { return IID_IKovaProgressWindow; }
};

}  // namespace zelvan
