// The Service object: every method unpacks its arguments and calls one
// operation of the workspace (or of the service part that owns it), and
// answers S_OK when the operation succeeded, S_FALSE when it failed with
// its status left on the workspace. Methods whose operation this service
// does not have answer S_FALSE with kStatusNotAvailable.
//
// Methods whose arguments the table leaves to us:
//   10, 11, 24  a FunctionDatabaseRequest record (analysis/function_requests.h):
//               a source's entries from its file (10) or from the editor's
//               text (11), a project's update (24); null (a script) is refused
//   15          kind 0 reads the build step the third string names
//               ("before-build", "before-link", "after-build", "custom-build")
//               of the project's target into the three VARIANTs: the title
//               (text), the commands and the outputs (string lists); kind 1
//               writes the step from what they hold (VT_EMPTY: nothing)
//   56          copies every build step of the target to the target the
//               first VARIANT names
//   34          kind (build_queries.h), project and target (empty: the
//               current project, its current target), the paths as a string list
//   37-39       name, CPU, folder (full, or relative to the workspace's) and a
//               fourth value: 37 a full project added to the workspace, 38
//               one left out of it, the fourth its memory size in KB (VT_I4)
//               or its memory model (text; empty: the default); 39 a blank
//               ("abs") or library ("lib") project, the fourth its type, or
//               a string list of the type and the memory size in KB. The
//               outs: the kept-file result as "%d" text, the project file
//   83, 84      the value as "0x%08X" text
#pragma once

#include <string>
#include <string_view>

#include "platform/status.h"
#include "service/component_interfaces.h"
#include "service/component_object.h"

namespace zelvan {

class Project;
class Workspace;
struct FunctionDatabaseRequest;

class ServiceObject final : public ComponentObject<IService> {
 public:
  explicit ServiceObject(ComponentModule& module);

  HRESULT STDMETHODCALLTYPE ActiveProjectChanged(VARIANT unused) override;
  HRESULT STDMETHODCALLTYPE Method8() override;
  HRESULT STDMETHODCALLTYPE Method9() override;
  HRESULT STDMETHODCALLTYPE Method10(PVOID request) override;
  HRESULT STDMETHODCALLTYPE Method11(PVOID request) override;
  HRESULT STDMETHODCALLTYPE GetProjectInfo(LONG kind, VARIANT project, VARIANT value,
                                           BSTR* result) override;
  HRESULT STDMETHODCALLTYPE SetProjectInfo(LONG kind, VARIANT project, VARIANT value,
                                           BSTR text) override;
  HRESULT STDMETHODCALLTYPE Method14(VARIANT project, VARIANT* project_file, VARIANT section,
                                     VARIANT* key_names, VARIANT key, VARIANT* value) override;
  HRESULT STDMETHODCALLTYPE Method15(LONG kind, VARIANT project, VARIANT* title, VARIANT target,
                                     VARIANT* commands, VARIANT step, VARIANT* outputs,
                                     BSTR unused) override;
  HRESULT STDMETHODCALLTYPE GetLastStatus(LONG* status) override;
  HRESULT STDMETHODCALLTYPE AddLinkProject(VARIANT project, VARIANT linked) override;
  HRESULT STDMETHODCALLTYPE RemoveLinkProject(VARIANT project, VARIANT linked) override;
  HRESULT STDMETHODCALLTYPE GetTreeNodeText(VARIANT node, BSTR* text) override;
  HRESULT STDMETHODCALLTYPE Method20(VARIANT node, BSTR* text) override;
  HRESULT STDMETHODCALLTYPE SaveMakefile(VARIANT makefile) override;
  HRESULT STDMETHODCALLTYPE UpdateDependencies(VARIANT project, VARIANT file) override;
  HRESULT STDMETHODCALLTYPE AddFile(VARIANT project, VARIANT files, VARIANT mode) override;
  HRESULT STDMETHODCALLTYPE Method24(PVOID request) override;
  HRESULT STDMETHODCALLTYPE AddTarget(VARIANT project, VARIANT existing,
                                      VARIANT new_target) override;
  HRESULT STDMETHODCALLTYPE RemoveTarget(VARIANT project, VARIANT target) override;
  HRESULT STDMETHODCALLTYPE GetLinkProjectCount(VARIANT project, LONG* count) override;
  HRESULT STDMETHODCALLTYPE GetLinkProjectByIndex(VARIANT project, LONG index, BSTR* name) override;
  HRESULT STDMETHODCALLTYPE GetCpuInfo(LONG kind, VARIANT cpu, VARIANT option,
                                       VARIANT* result) override;
  HRESULT STDMETHODCALLTYPE Method30(VARIANT project, VARIANT folder, VARIANT value) override;
  HRESULT STDMETHODCALLTYPE OpenWorkspace(VARIANT workspace) override;
  HRESULT STDMETHODCALLTYPE CloseWorkspace() override;
  HRESULT STDMETHODCALLTYPE SaveWorkspace(LONG ask) override;
  HRESULT STDMETHODCALLTYPE GetIncludePaths(LONG kind, BSTR project, BSTR target,
                                            VARIANT* paths) override;
  HRESULT STDMETHODCALLTYPE AddProject(VARIANT project_file) override;
  HRESULT STDMETHODCALLTYPE Method36(VARIANT project, VARIANT file) override;
  HRESULT STDMETHODCALLTYPE CreateProject(VARIANT* name, VARIANT* cpu, VARIANT* folder,
                                          VARIANT* memory, VARIANT* count,
                                          VARIANT* result) override;
  HRESULT STDMETHODCALLTYPE Method38(VARIANT* name, VARIANT* cpu, VARIANT* folder, VARIANT* memory,
                                     VARIANT* count, VARIANT* result) override;
  HRESULT STDMETHODCALLTYPE Method39(VARIANT* name, VARIANT* cpu, VARIANT* folder,
                                     VARIANT* type_and_memory, VARIANT* count,
                                     VARIANT* result) override;
  HRESULT STDMETHODCALLTYPE ConvertOldProject(VARIANT file) override;
  HRESULT STDMETHODCALLTYPE Method41(VARIANT entries) override;
  HRESULT STDMETHODCALLTYPE Method42() override;
  HRESULT STDMETHODCALLTYPE Method43() override;
  HRESULT STDMETHODCALLTYPE Method44() override;
  HRESULT STDMETHODCALLTYPE Method45(BSTR project) override;
  HRESULT STDMETHODCALLTYPE Method46(BSTR project) override;
  HRESULT STDMETHODCALLTYPE Method47(BSTR project) override;
  HRESULT STDMETHODCALLTYPE Method48(BSTR project, VARIANT file) override;
  HRESULT STDMETHODCALLTYPE Method49(BSTR project, VARIANT file) override;
  HRESULT STDMETHODCALLTYPE Method50(BSTR unused1, VARIANT unused2) override;
  HRESULT STDMETHODCALLTYPE GetWorkspaceArchiveState(LONG* state) override;
  HRESULT STDMETHODCALLTYPE GetProjectArchiveState(BSTR project, LONG* state) override;
  HRESULT STDMETHODCALLTYPE Method53(BSTR project, BSTR item, VARIANT* result) override;
  HRESULT STDMETHODCALLTYPE GetLastMessage(BSTR* message) override;
  HRESULT STDMETHODCALLTYPE GetWorkDir(BSTR project, BSTR target, VARIANT work,
                                       VARIANT default_work) override;
  HRESULT STDMETHODCALLTYPE Method56(BSTR project, BSTR target, VARIANT other_target,
                                     VARIANT unused) override;
  HRESULT STDMETHODCALLTYPE GetFileNoBuild(BSTR project, BSTR file, BSTR target,
                                           LONG* no_build) override;
  HRESULT STDMETHODCALLTYPE GetCpuName(LONG kind, BSTR cpu, VARIANT* result) override;
  HRESULT STDMETHODCALLTYPE Method59(BSTR file, VARIANT old_project) override;
  HRESULT STDMETHODCALLTYPE Method60(BSTR file, VARIANT old_project, VARIANT options) override;
  HRESULT STDMETHODCALLTYPE Method61(BSTR project, BSTR file, VARIANT answer) override;
  HRESULT STDMETHODCALLTYPE Method62() override;
  HRESULT STDMETHODCALLTYPE Method63() override;
  HRESULT STDMETHODCALLTYPE Method64(BSTR project) override;
  HRESULT STDMETHODCALLTYPE Method65(VARIANT project, VARIANT file) override;
  HRESULT STDMETHODCALLTYPE Method66(VARIANT project, VARIANT file) override;
  HRESULT STDMETHODCALLTYPE Method67(VARIANT project, VARIANT file) override;
  HRESULT STDMETHODCALLTYPE Method68(VARIANT project, VARIANT file) override;
  HRESULT STDMETHODCALLTYPE Method69(LONG kind, VARIANT project, VARIANT answer) override;
  HRESULT STDMETHODCALLTYPE Method70(LONG kind, VARIANT project, VARIANT answer) override;
  HRESULT STDMETHODCALLTYPE Method71() override;
  HRESULT STDMETHODCALLTYPE CreateTable(VARIANT tree, VARIANT handles, VARIANT texts) override;
  HRESULT STDMETHODCALLTYPE Method73(LONG kind, VARIANT projects, VARIANT window,
                                     VARIANT result) override;
  HRESULT STDMETHODCALLTYPE Method74(VARIANT makefile, VARIANT project) override;
  HRESULT STDMETHODCALLTYPE Method75(VARIANT makefile, VARIANT project) override;
  HRESULT STDMETHODCALLTYPE Method76(VARIANT makefile) override;
  HRESULT STDMETHODCALLTYPE SetEventData(LONG window, BSTR name, LONG* event_id,
                                         LONG* message) override;
  HRESULT STDMETHODCALLTYPE DeleteEventData(LONG window) override;
  HRESULT STDMETHODCALLTYPE UpdateProjectDependencies(LONG mode, VARIANT project,
                                                      VARIANT window) override;
  HRESULT STDMETHODCALLTYPE AddFileEx(LONG mode, VARIANT project, VARIANT files,
                                      VARIANT unused) override;
  HRESULT STDMETHODCALLTYPE Method81(VARIANT project) override;
  HRESULT STDMETHODCALLTYPE Method82(BSTR project) override;
  HRESULT STDMETHODCALLTYPE GetSectionsValue(VARIANT project, VARIANT target, VARIANT symbol,
                                             VARIANT* value) override;
  HRESULT STDMETHODCALLTYPE GetOuterValue(VARIANT link_file, VARIANT symbol,
                                          VARIANT* value) override;
  HRESULT STDMETHODCALLTYPE Method85(VARIANT project) override;
  HRESULT STDMETHODCALLTYPE CopyProject(BSTR project) override;
  HRESULT STDMETHODCALLTYPE RenameProject(BSTR project, BSTR new_name) override;

 private:
  enum class ArchiveAction { kGetLatest, kCheckOut, kCheckIn, kUndoCheckOut };
  // Method15 kinds.
  static constexpr LONG kReadBuildStep = 0;
  static constexpr LONG kWriteBuildStep = 1;
  // The new-project slots.
  enum NewProjectVariant {
    kNewFullProject = 37,
    kNewFullProjectAlone = 38,
    kNewProjectOfType = 39
  };

  Workspace& workspace() { return module_.workspace(); }
  // S_OK for true, S_FALSE for false.
  static HRESULT Result(bool ok) { return ok ? S_OK : S_FALSE; }
  // S_FALSE with kStatusNotAvailable naming `method`.
  HRESULT NotAvailable(std::string_view method);
  // S_FALSE with kStatusNotConnected naming the IDE `service`.
  HRESULT NotConnected(std::string_view service);
  HRESULT GetTreeNodeTextOf(const VARIANT& node, BSTR* text);
  HRESULT AddFiles(const VARIANT& project, const VARIANT& files, bool one_file);
  HRESULT FunctionRequest(PVOID request, Status (*operation)(Workspace&, FunctionDatabaseRequest*));
  HRESULT CreateProjectVariant(int variant, VARIANT* const (&args)[4], VARIANT* count,
                               VARIANT* result);
  // An action of the IDE's source control on `path`; the path's state
  // afterwards goes to `state` (when given).
  HRESULT RunArchiveAction(ArchiveAction action, const std::string& path, LONG* state);
  HRESULT WorkspaceArchiveAction(ArchiveAction action);
  HRESULT ProjectArchiveAction(ArchiveAction action, BSTR project);
  HRESULT FileArchiveAction(ArchiveAction action, const std::string& project, const VARIANT& file,
                            bool refresh);
  void RegisterMembers();
};

}  // namespace zelvan
