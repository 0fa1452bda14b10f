// The Project object: per-project and per-target answers for the IDE's
// dialogs. Unlike the Service object's, its methods answer S_OK or E_FAIL,
// and report a failure to the IDE themselves (output window and automation
// server, under "Zelvan", error number 0x40040000 + the low 16 bits of the
// status) after leaving it on the workspace. Each starts by clearing the
// status and message, then checks, in order: a workspace is open (5031),
// the project is known (FindProject; empty: the current project, 5036), the
// target is one of the project's (empty: the current target, 5044).
//
// New, copy and rename (31 to 33) make their own checks, in their own
// order: 31 makes a project of a name, a CPU, and three VARIANTs that
// may be empty or left out (VT_ERROR): the folder, the type ("abs" or
// "lib") and the memory size in KB (a number, or its decimal text); 32
// copies the named project; 33 renames it to the text the VARIANT holds.
#pragma once

#include <string>

#include "platform/status.h"
#include "service/component_interfaces.h"
#include "service/component_object.h"

namespace zelvan {

class Project;
class SourceFile;
class Workspace;

class ProjectObject final : public ComponentObject<IProject> {
 public:
  explicit ProjectObject(ComponentModule& module);

  HRESULT STDMETHODCALLTYPE Method7(BSTR project, LONG setting) override;
  HRESULT STDMETHODCALLTYPE Method8(BSTR project, LONG setting, LONG value) override;
  HRESULT STDMETHODCALLTYPE WriteMakefileOfProject(BSTR project, LONG mode) override;
  HRESULT STDMETHODCALLTYPE Method10(LONG setting) override;
  HRESULT STDMETHODCALLTYPE Method11(LONG setting) override;
  HRESULT STDMETHODCALLTYPE Method12(BSTR project, BSTR linked) override;
  HRESULT STDMETHODCALLTYPE Method13(BSTR project, LONG setting) override;
  HRESULT STDMETHODCALLTYPE Method14P(BSTR project) override;
  HRESULT STDMETHODCALLTYPE GetFileTempDir(BSTR project, BSTR target, BSTR file,
                                           BSTR* dir) override;
  HRESULT STDMETHODCALLTYPE SetFileTempDir(BSTR project, BSTR target, BSTR file, BSTR dir) override;
  HRESULT STDMETHODCALLTYPE GetOutputDir(BSTR project, BSTR target, BSTR* dir) override;
  HRESULT STDMETHODCALLTYPE SetOutputDir(BSTR project, BSTR target, BSTR dir) override;
  HRESULT STDMETHODCALLTYPE GetFileNoBuild(BSTR project, BSTR target, BSTR file,
                                           LONG* no_build) override;
  HRESULT STDMETHODCALLTYPE Method20(BSTR project, BSTR target, BSTR file, LONG no_build) override;
  HRESULT STDMETHODCALLTYPE SaveMakefile(VARIANT makefile) override;
  HRESULT STDMETHODCALLTYPE SetOptionsChecked(BSTR project, BSTR target, BSTR file,
                                              BSTR options) override;
  HRESULT STDMETHODCALLTYPE GetLinkOptions(BSTR project, BSTR target, BSTR* options) override;
  HRESULT STDMETHODCALLTYPE SetProjectLink(BSTR project, BSTR target, BSTR options) override;
  HRESULT STDMETHODCALLTYPE GetProjectCount(LONG* count) override;
  HRESULT STDMETHODCALLTYPE GetProjectByIndex(LONG index, BSTR* name) override;
  HRESULT STDMETHODCALLTYPE GetLinkProjectCount(BSTR project, LONG* count) override;
  HRESULT STDMETHODCALLTYPE GetLinkProjectByIndex(BSTR project, LONG index, BSTR* name) override;
  HRESULT STDMETHODCALLTYPE GetProjectConvert(BSTR project, BSTR target, BSTR* options) override;
  HRESULT STDMETHODCALLTYPE SetProjectConvert(BSTR project, BSTR target, BSTR options) override;
  HRESULT STDMETHODCALLTYPE NewProject(BSTR name, BSTR cpu, VARIANT folder, VARIANT type,
                                       VARIANT memory_kb) override;
  HRESULT STDMETHODCALLTYPE Method32(BSTR project, VARIANT unused) override;
  HRESULT STDMETHODCALLTYPE Method33(BSTR project, VARIANT new_name) override;

 private:
  Workspace& workspace() { return module_.workspace(); }
  // The common checks; false with the status set.
  bool Begin();
  bool Begin(BSTR project, Project** found);
  bool Begin(BSTR project, BSTR target, Project** found, std::string* target_name);
  bool Begin(BSTR project, BSTR target, BSTR file, Project** found, std::string* target_name,
             SourceFile** source);
  // Reports the workspace's status to the IDE; E_FAIL.
  HRESULT Fail();
  HRESULT Done(bool ok) { return ok ? S_OK : Fail(); }
  // Done for the makefile generator, whose failure may have no code.
  HRESULT MakefileDone(const Status& made);
  // Sets `status` and `message_id` unless `ok`; then Done.
  HRESULT Check(bool ok, uint32_t status, unsigned message_id);
  // A directory name the dialogs may store; 5055 otherwise.
  bool CheckDirectoryName(BSTR dir);
  HRESULT NotAvailable(const char* method);
  void RegisterMembers();
};

}  // namespace zelvan
