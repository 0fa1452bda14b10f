// The interfaces of the service's own objects, as the IDE calls them.
//
// The IDE calls these objects through their virtual-function slots, so the
// declaration order below is the contract: slots 0-2 are IUnknown, 3-6
// IDispatch, and each interface's own methods follow from slot 7 at the
// slot number written beside them. Every object also answers IDispatch by
// name: each method's DISPID is its slot number and its name the one
// declared here (component_objects.h).
//
// Argument shapes, the same for every method:
//   VARIANT  a string argument may be VT_BSTR or VT_BSTR|VT_BYREF (or a
//            VARIANT by reference to either); any other type leaves the
//            status 0x40030005 / 5050 and the method answers S_FALSE.
//            A SAFEARRAY passed by value in a VARIANT is read whole and then
//            destroyed by the method: the caller hands it over.
//   BSTR     a string passed directly, owned by the caller (except
//            SetProjectInfo's text, which the method frees).
//   out      a pointer the method writes; E_POINTER when it is null. A
//            string list is stored through a VARIANT as a SAFEARRAY of BSTR
//            with lower bound 0. A VARIANT that is to receive a value
//            without being an out pointer must hold a reference.
// Results: S_OK when the operation succeeded, S_FALSE when it failed, with
// its status and message left for GetLastStatus and GetLastMessage.
#pragma once

#include "com/com_types.h"
#include "com/variant.h"
#include "service/component_ids.h"

namespace zelvan {

// Zelvan.Service: the workspace's operations.
class IService : public IDispatch {
 public:
  virtual HRESULT STDMETHODCALLTYPE ActiveProjectChanged(VARIANT unused) = 0;  // 7
  virtual HRESULT STDMETHODCALLTYPE Method8() = 0;                             // 8
  virtual HRESULT STDMETHODCALLTYPE Method9() = 0;                             // 9
  virtual HRESULT STDMETHODCALLTYPE Method10(PVOID request) = 0;               // 10
  virtual HRESULT STDMETHODCALLTYPE Method11(PVOID request) = 0;               // 11
  virtual HRESULT STDMETHODCALLTYPE GetProjectInfo(LONG kind, VARIANT project, VARIANT value,
                                                   BSTR* result) = 0;  // 12
  virtual HRESULT STDMETHODCALLTYPE SetProjectInfo(LONG kind, VARIANT project, VARIANT value,
                                                   BSTR text) = 0;  // 13
  // 14: project, section and key, each followed by its answer: the project
  // file, the section's key names (each followed by `;`) and the key's value,
  // read from the project's working copy.
  virtual HRESULT STDMETHODCALLTYPE Method14(VARIANT project, VARIANT* project_file,
                                             VARIANT section, VARIANT* key_names, VARIANT key,
                                             VARIANT* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE Method15(LONG kind, VARIANT project, VARIANT* out1,
                                             VARIANT target, VARIANT* out2, VARIANT file,
                                             VARIANT* out3, BSTR text) = 0;               // 15
  virtual HRESULT STDMETHODCALLTYPE GetLastStatus(LONG* status) = 0;                      // 16
  virtual HRESULT STDMETHODCALLTYPE AddLinkProject(VARIANT project, VARIANT linked) = 0;  // 17
  virtual HRESULT STDMETHODCALLTYPE RemoveLinkProject(VARIANT project,
                                                      VARIANT linked) = 0;  // 18
  // 19, 20: a node handle (VT_I4), or a reference to a zero-terminated array
  // of handles (VT_I4|VT_BYREF pointing at the first).
  virtual HRESULT STDMETHODCALLTYPE GetTreeNodeText(VARIANT node, BSTR* text) = 0;
  virtual HRESULT STDMETHODCALLTYPE Method20(VARIANT node, BSTR* text) = 0;
  virtual HRESULT STDMETHODCALLTYPE SaveMakefile(VARIANT makefile) = 0;  // 21
  // 22: project, then a file (VT_BSTR: that file alone) or anything else
  // (every file of the project).
  virtual HRESULT STDMETHODCALLTYPE UpdateDependencies(VARIANT project, VARIANT file) = 0;
  // 23: project, a file or a string array of files, and a third argument
  // that is VT_BSTR for one file.
  virtual HRESULT STDMETHODCALLTYPE AddFile(VARIANT project, VARIANT files, VARIANT mode) = 0;
  virtual HRESULT STDMETHODCALLTYPE Method24(PVOID request) = 0;  // 24
  virtual HRESULT STDMETHODCALLTYPE AddTarget(VARIANT project, VARIANT existing,
                                              VARIANT new_target) = 0;                      // 25
  virtual HRESULT STDMETHODCALLTYPE RemoveTarget(VARIANT project, VARIANT target) = 0;      // 26
  virtual HRESULT STDMETHODCALLTYPE GetLinkProjectCount(VARIANT project, LONG* count) = 0;  // 27
  virtual HRESULT STDMETHODCALLTYPE GetLinkProjectByIndex(VARIANT project, LONG index,
                                                          BSTR* name) = 0;  // 28
  // 29: kind, a CPU name, an option or tool text, and the answer (cpu_info_kinds).
  virtual HRESULT STDMETHODCALLTYPE GetCpuInfo(LONG kind, VARIANT cpu, VARIANT option,
                                               VARIANT* result) = 0;
  virtual HRESULT STDMETHODCALLTYPE Method30(VARIANT project, VARIANT folder,
                                             VARIANT value) = 0;           // 30
  virtual HRESULT STDMETHODCALLTYPE OpenWorkspace(VARIANT workspace) = 0;  // 31
  virtual HRESULT STDMETHODCALLTYPE CloseWorkspace() = 0;                  // 32
  virtual HRESULT STDMETHODCALLTYPE SaveWorkspace(LONG ask) = 0;           // 33
  virtual HRESULT STDMETHODCALLTYPE GetIncludePaths(LONG kind, BSTR project, BSTR target,
                                                    VARIANT* paths) = 0;          // 34
  virtual HRESULT STDMETHODCALLTYPE AddProject(VARIANT project_file) = 0;         // 35
  virtual HRESULT STDMETHODCALLTYPE Method36(VARIANT project, VARIANT file) = 0;  // 36
  // 37-39: new projects; the count is returned as "%d" text.
  virtual HRESULT STDMETHODCALLTYPE CreateProject(VARIANT* name, VARIANT* cpu, VARIANT* folder,
                                                  VARIANT* memory, VARIANT* count,
                                                  VARIANT* result) = 0;
  virtual HRESULT STDMETHODCALLTYPE Method38(VARIANT* name, VARIANT* cpu, VARIANT* folder,
                                             VARIANT* memory, VARIANT* count, VARIANT* result) = 0;
  virtual HRESULT STDMETHODCALLTYPE Method39(VARIANT* name, VARIANT* cpu, VARIANT* folder,
                                             VARIANT* type_and_memory, VARIANT* count,
                                             VARIANT* result) = 0;
  virtual HRESULT STDMETHODCALLTYPE ConvertOldProject(VARIANT file) = 0;  // 40
  virtual HRESULT STDMETHODCALLTYPE Method41(VARIANT entries) = 0;        // 41
  // 42-44: get latest, check out, check in the workspace's archive.
  virtual HRESULT STDMETHODCALLTYPE Method42() = 0;
  virtual HRESULT STDMETHODCALLTYPE Method43() = 0;
  virtual HRESULT STDMETHODCALLTYPE Method44() = 0;
  // 45-47: the same on a project's archive.
  virtual HRESULT STDMETHODCALLTYPE Method45(BSTR project) = 0;
  virtual HRESULT STDMETHODCALLTYPE Method46(BSTR project) = 0;
  virtual HRESULT STDMETHODCALLTYPE Method47(BSTR project) = 0;
  // 48, 49: check out, check in one source file of a project.
  virtual HRESULT STDMETHODCALLTYPE Method48(BSTR project, VARIANT file) = 0;
  virtual HRESULT STDMETHODCALLTYPE Method49(BSTR project, VARIANT file) = 0;
  virtual HRESULT STDMETHODCALLTYPE Method50(BSTR unused1, VARIANT unused2) = 0;             // 50
  virtual HRESULT STDMETHODCALLTYPE GetWorkspaceArchiveState(LONG* state) = 0;               // 51
  virtual HRESULT STDMETHODCALLTYPE GetProjectArchiveState(BSTR project, LONG* state) = 0;   // 52
  virtual HRESULT STDMETHODCALLTYPE Method53(BSTR project, BSTR item, VARIANT* result) = 0;  // 53
  virtual HRESULT STDMETHODCALLTYPE GetLastMessage(BSTR* message) = 0;                       // 54
  // 55: the target's WORK (else DefaultWORK) and its DefaultWORK, stored
  // through the two VARIANTs, which must hold references.
  virtual HRESULT STDMETHODCALLTYPE GetWorkDir(BSTR project, BSTR target, VARIANT work,
                                               VARIANT default_work) = 0;
  virtual HRESULT STDMETHODCALLTYPE Method56(BSTR project, BSTR target, VARIANT other_target,
                                             VARIANT unused) = 0;  // 56
  virtual HRESULT STDMETHODCALLTYPE GetFileNoBuild(BSTR project, BSTR file, BSTR target,
                                                   LONG* no_build) = 0;  // 57
  // 58: kind 0 the name without "/", 1 the template CPU name, 2 "1" when the
  // family takes new projects.
  virtual HRESULT STDMETHODCALLTYPE GetCpuName(LONG kind, BSTR cpu, VARIANT* result) = 0;
  virtual HRESULT STDMETHODCALLTYPE Method59(BSTR file, VARIANT old_project) = 0;  // 59
  virtual HRESULT STDMETHODCALLTYPE Method60(BSTR file, VARIANT old_project,
                                             VARIANT options) = 0;                          // 60
  virtual HRESULT STDMETHODCALLTYPE Method61(BSTR project, BSTR file, VARIANT answer) = 0;  // 61
  virtual HRESULT STDMETHODCALLTYPE Method62() = 0;                                         // 62
  // 63: whether the IDE's source control can be reached.
  virtual HRESULT STDMETHODCALLTYPE Method63() = 0;
  // 64: redraws the item images of a project in the IDE's file view.
  virtual HRESULT STDMETHODCALLTYPE Method64(BSTR project) = 0;
  // 65-68: get latest, check out, check in, undo check-out of a file of a
  // project (empty file: the project file), then the source-control status
  // of every project is refreshed.
  virtual HRESULT STDMETHODCALLTYPE Method65(VARIANT project, VARIANT file) = 0;
  virtual HRESULT STDMETHODCALLTYPE Method66(VARIANT project, VARIANT file) = 0;
  virtual HRESULT STDMETHODCALLTYPE Method67(VARIANT project, VARIANT file) = 0;
  virtual HRESULT STDMETHODCALLTYPE Method68(VARIANT project, VARIANT file) = 0;
  virtual HRESULT STDMETHODCALLTYPE Method69(LONG kind, VARIANT project, VARIANT answer) = 0;  // 69
  virtual HRESULT STDMETHODCALLTYPE Method70(LONG kind, VARIANT project, VARIANT answer) = 0;  // 70
  // 71: refreshes the source-control status of every project in the IDE.
  virtual HRESULT STDMETHODCALLTYPE Method71() = 0;
  // 72: fills a view tree's node table: the tree (1 or 2), the node handles
  // (VT_I4 or an array of them) and their texts (a string or a string array).
  virtual HRESULT STDMETHODCALLTYPE CreateTable(VARIANT tree, VARIANT handles, VARIANT texts) = 0;
  // 73: kind, the project names (a string array), the progress window, and
  // the answer (a reference to a string array).
  virtual HRESULT STDMETHODCALLTYPE Method73(LONG kind, VARIANT projects, VARIANT window,
                                             VARIANT result) = 0;
  virtual HRESULT STDMETHODCALLTYPE Method74(VARIANT makefile, VARIANT project) = 0;  // 74
  virtual HRESULT STDMETHODCALLTYPE Method75(VARIANT makefile, VARIANT project) = 0;  // 75
  virtual HRESULT STDMETHODCALLTYPE Method76(VARIANT makefile) = 0;                   // 76
  // 77: registers a window under an event name; on success the id of the
  // event and the message that carries custom events (12549).
  virtual HRESULT STDMETHODCALLTYPE SetEventData(LONG window, BSTR name, LONG* event_id,
                                                 LONG* message) = 0;
  virtual HRESULT STDMETHODCALLTYPE DeleteEventData(LONG window) = 0;  // 78
  // 79: mode 0 every file, 1 stale files; the project (empty: every project)
  // and the progress window.
  virtual HRESULT STDMETHODCALLTYPE UpdateProjectDependencies(LONG mode, VARIANT project,
                                                              VARIANT window) = 0;
  // 80: AddFile with mode 0 (one file) or 1 (a file or a string array).
  virtual HRESULT STDMETHODCALLTYPE AddFileEx(LONG mode, VARIANT project, VARIANT files,
                                              VARIANT unused) = 0;
  virtual HRESULT STDMETHODCALLTYPE Method81(VARIANT project) = 0;  // 81
  // 82: redraws the tree of a project in the IDE.
  virtual HRESULT STDMETHODCALLTYPE Method82(BSTR project) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetSectionsValue(VARIANT project, VARIANT target,
                                                     VARIANT symbol, VARIANT* value) = 0;  // 83
  virtual HRESULT STDMETHODCALLTYPE GetOuterValue(VARIANT link_file, VARIANT symbol,
                                                  VARIANT* value) = 0;               // 84
  virtual HRESULT STDMETHODCALLTYPE Method85(VARIANT project) = 0;                   // 85
  virtual HRESULT STDMETHODCALLTYPE CopyProject(BSTR project) = 0;                   // 86
  virtual HRESULT STDMETHODCALLTYPE RenameProject(BSTR project, BSTR new_name) = 0;  // 87

 protected:
  ~IService() = default;
};

// Zelvan.Project: per-project and per-target answers for the IDE's dialogs.
// S_OK or E_FAIL; a failure is reported to the IDE as well. An empty project
// means the current project, an empty target the current target.
class IProject : public IDispatch {
 public:
  virtual HRESULT STDMETHODCALLTYPE Method7(BSTR project, LONG setting) = 0;              // 7
  virtual HRESULT STDMETHODCALLTYPE Method8(BSTR project, LONG setting, LONG value) = 0;  // 8
  virtual HRESULT STDMETHODCALLTYPE WriteMakefileOfProject(BSTR project, LONG mode) = 0;  // 9
  virtual HRESULT STDMETHODCALLTYPE Method10(LONG setting) = 0;                           // 10
  virtual HRESULT STDMETHODCALLTYPE Method11(LONG setting) = 0;                           // 11
  // 12: adds `linked` to the project's link list, or removes it when it is there.
  virtual HRESULT STDMETHODCALLTYPE Method12(BSTR project, BSTR linked) = 0;
  virtual HRESULT STDMETHODCALLTYPE Method13(BSTR project, LONG setting) = 0;  // 13
  virtual HRESULT STDMETHODCALLTYPE Method14P(BSTR project) = 0;               // 14
  virtual HRESULT STDMETHODCALLTYPE GetFileTempDir(BSTR project, BSTR target, BSTR file,
                                                   BSTR* dir) = 0;  // 15
  virtual HRESULT STDMETHODCALLTYPE SetFileTempDir(BSTR project, BSTR target, BSTR file,
                                                   BSTR dir) = 0;                            // 16
  virtual HRESULT STDMETHODCALLTYPE GetOutputDir(BSTR project, BSTR target, BSTR* dir) = 0;  // 17
  virtual HRESULT STDMETHODCALLTYPE SetOutputDir(BSTR project, BSTR target, BSTR dir) = 0;   // 18
  virtual HRESULT STDMETHODCALLTYPE GetFileNoBuild(BSTR project, BSTR target, BSTR file,
                                                   LONG* no_build) = 0;  // 19
  // 20: the file's NoBuild setting.
  virtual HRESULT STDMETHODCALLTYPE Method20(BSTR project, BSTR target, BSTR file,
                                             LONG no_build) = 0;
  virtual HRESULT STDMETHODCALLTYPE SaveMakefile(VARIANT makefile) = 0;  // 21
  // 22: a file's own options (empty file: the project's), checked by the CPU's driver.
  virtual HRESULT STDMETHODCALLTYPE SetOptionsChecked(BSTR project, BSTR target, BSTR file,
                                                      BSTR options) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetLinkOptions(BSTR project, BSTR target,
                                                   BSTR* options) = 0;  // 23
  virtual HRESULT STDMETHODCALLTYPE SetProjectLink(BSTR project, BSTR target,
                                                   BSTR options) = 0;                    // 24
  virtual HRESULT STDMETHODCALLTYPE GetProjectCount(LONG* count) = 0;                    // 25
  virtual HRESULT STDMETHODCALLTYPE GetProjectByIndex(LONG index, BSTR* name) = 0;       // 26
  virtual HRESULT STDMETHODCALLTYPE GetLinkProjectCount(BSTR project, LONG* count) = 0;  // 27
  virtual HRESULT STDMETHODCALLTYPE GetLinkProjectByIndex(BSTR project, LONG index,
                                                          BSTR* name) = 0;  // 28
  virtual HRESULT STDMETHODCALLTYPE GetProjectConvert(BSTR project, BSTR target,
                                                      BSTR* options) = 0;  // 29
  virtual HRESULT STDMETHODCALLTYPE SetProjectConvert(BSTR project, BSTR target,
                                                      BSTR options) = 0;  // 30
  // 31: a new project of the name and CPU in the folder (relative: to the
  // workspace's directory; empty: that directory itself), of the type "abs"
  // or "lib" (empty: "abs"), with the memory size in KB (a number, default
  // 64). Through IDispatch the last three may be left out.
  virtual HRESULT STDMETHODCALLTYPE NewProject(BSTR name, BSTR cpu, VARIANT folder, VARIANT type,
                                               VARIANT memory_kb) = 0;
  // 32, 33: a copy of the named project, and its rename to the text of the VARIANT.
  virtual HRESULT STDMETHODCALLTYPE Method32(BSTR command, VARIANT arguments) = 0;
  virtual HRESULT STDMETHODCALLTYPE Method33(BSTR command, VARIANT arguments) = 0;

 protected:
  ~IProject() = default;
};

// Zelvan.Command: the IDE's notifications, and the other objects by name.
class ICommand : public IDispatch {
 public:
  virtual HRESULT STDMETHODCALLTYPE Notify(LONG event, VARIANT argument) = 0;  // 7
  // 8: "<anything>.Service", ".Version" or ".Project" (case ignored): that
  // object; any other text: null, S_OK.
  virtual HRESULT STDMETHODCALLTYPE Method8(BSTR prog_id, IDispatch** object) = 0;
  virtual HRESULT STDMETHODCALLTYPE Method9() = 0;   // 9
  virtual HRESULT STDMETHODCALLTYPE Method10() = 0;  // 10

 protected:
  ~ICommand() = default;
};

// Zelvan.Connect: the IDE connects with its application object.
class IConnect : public IDispatch {
 public:
  virtual HRESULT STDMETHODCALLTYPE Connect(IUnknown* application, VARIANT reserved1,
                                            VARIANT reserved2) = 0;    // 7
  virtual HRESULT STDMETHODCALLTYPE Disconnect() = 0;                  // 8
  virtual HRESULT STDMETHODCALLTYPE GetComponentKind(BSTR* kind) = 0;  // 9

 protected:
  ~IConnect() = default;
};

// Zelvan.Version.
class IVersion : public IDispatch {
 public:
  // 7: the product version, most and least significant halves.
  virtual HRESULT STDMETHODCALLTYPE Method7(LONG* most, LONG* least) = 0;
  virtual HRESULT STDMETHODCALLTYPE Method8(BSTR* text) = 0;  // 8: empty

 protected:
  ~IVersion() = default;
};

template <>
struct InterfaceTraits<IService> {
  static constexpr const IID& Iid() { return IID_IService; }
};
template <>
struct InterfaceTraits<IProject> {
  static constexpr const IID& Iid() { return IID_IProject; }
};
template <>
struct InterfaceTraits<ICommand> {
  static constexpr const IID& Iid() { return IID_ICommand; }
};
template <>
struct InterfaceTraits<IConnect> {
  static constexpr const IID& Iid() { return IID_IConnect; }
};
template <>
struct InterfaceTraits<IVersion> {
  static constexpr const IID& Iid() { return IID_IVersion; }
};

}  // namespace zelvan
