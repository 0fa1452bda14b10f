// Keeps the include dependencies of every source of an open workspace up to
// date: the per-file step, the refresh of a project, of the whole workspace
// and of listed projects, the project's dependency file, and the list of a
// project's dependencies for the IDE's tree.
//
// Per-file step (one source, one target): the search list is the "-I"
// values of the options that apply to the file (its own COMPILE options
// when it has them, else the project's), then the include directories of
// the project's CPU (its INC list, then the secondary and the main home
// with "\include"). Each entry is expanded with the target's make variables
// (see TargetMacros). The source is scanned (IncludeScanner) and its record
// for the target replaced: found files relative to the project directory,
// guessed paths of unresolved includes as they were guessed, the forms, and
// the current time as stamp.
//
// A refresh goes target by target through the project's files in project
// order; before each file it asks whether to stop, and in modified mode it
// skips a file whose record is not stale. Afterwards the project's
// dependency file is rewritten (atomically) when the refresh ran over all
// files, or when it recomputed any. Status lines go to the output pane:
//
//   I-007-1000:<5070>          the refresh starts
//   W-007-D000:<5073>          the first unresolved include of the refresh
//   I-007-1300:<project> - (<source>)   the first unresolved include of a source
//   W-007-D001:<file>(<line>):<text>    each unresolved include line
//   W-007-D003:<5093>          nesting past the limit (once per refresh)
//     <source> > <header> > ...         its chain of includes (SetIncludeChains)
//   I-007-1200:<5079>          stopped on request
//   W-007-D002:<5074 with the count>    the number of unresolved includes
//   I-007-1100:<5071>          the refresh is done
//
// Records hold ids of the workspace's path table; the scanner's references
// are made stored paths (relative to the project) once per distinct path
// and project. A refresh works out every file's staleness and search list
// first; with two threads a second scanner (ScanWorker) then scans the
// sources while the refresh stores their records and writes their lines
// in turn (records, lines and their order do not change), and the
// dependency file is read and written in halves. The file
// is read from its index when that is the text's (see dependency_file.h)
// and written with it.
//
// One updater serves one workspace for its whole life: it keeps what it
// learnt about paths from refresh to refresh (see ModificationTimeCache),
// and is not reentrant.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "dependencies/dependency_file.h"
#include "dependencies/dependency_output.h"
#include "dependencies/dependency_staleness.h"
#include "dependencies/include_scanner.h"
#include "dependencies/locked_file_system.h"
#include "dependencies/scan_worker.h"
#include "platform/ansi_text.h"
#include "platform/status.h"

namespace zelvan {

class CpuTable;
class Project;
class SourceFile;
class Workspace;
class DependencyProgress;
class FileSystem;
struct Platform;

enum class DependencyMode {
  kAllFiles = 0,       // every file is scanned again
  kModifiedFiles = 1,  // only files whose record is stale
};

// The make variables of a target that include directories may name, as the
// makefile defines them: DefaultTEMP, DefaultOUTPUT, DefaultWORK, TEMP,
// OUTPUT, WORK, TARGET and TARGET_NAME from the target's section (TEMP and
// OUTPUT without one trailing `\`, the default value where they are empty),
// then the tool variables of the project's CPU (CC, AS, ...). Only this
// small part of the makefile's variables is known here: a name that is not
// among them stays as it is written.
struct TargetMacros {
  std::vector<std::string> names;
  std::vector<std::string> values;
};
TargetMacros MakeTargetMacros(Project& project, std::string_view target, const CpuTable& cpus);
// Every "$(NAME)" of a known name replaced by its value.
std::string ExpandTargetMacros(std::string_view text, const TargetMacros& macros);

class DependencyUpdater {
 public:
  // `cpus` must outlive the updater. Lines go to the IDE services of the
  // workspace each operation is given, texts come from its string resources.
  explicit DependencyUpdater(const CpuTable& cpus);
  ~DependencyUpdater();
  DependencyUpdater(const DependencyUpdater&) = delete;
  DependencyUpdater& operator=(const DependencyUpdater&) = delete;

  // The progress window of refreshes that are given none (opening a
  // workspace, a notification of the IDE). Null: none.
  void SetDefaultProgress(DependencyProgress* progress) { default_progress_ = progress; }
  // When false, opening a workspace only reads the dependency files.
  void SetRefreshOnOpen(bool refresh) { refresh_on_open_ = refresh; }
  // When true (a command that only reads), no dependency file nor index is
  // written: a refresh keeps its records in memory, and records of files no
  // longer in a project are dropped silently, and again next time (a
  // command that writes names them once, and drops them for good).
  void SetReadOnly(bool read_only) { read_only_ = read_only; }
  // When true, the depth warning is followed by the chain of includes that
  // went too deep (a command line asks; the IDE's window stays as it is).
  void SetIncludeChains(bool chains) { include_chains_ = chains; }
  // Where a failure goes that does not fail the operation it happens in (a
  // dependency file that a refresh could not write): the component makes it
  // the workspace's last status. None: it shows in the output pane only.
  using FailureReport = std::function<void(Workspace& workspace, const Status& failure)>;
  void SetFailureReport(FailureReport report) { failure_report_ = std::move(report); }

  // --- Operations.

  // The whole workspace; `cancelled` (when given) tells whether it was
  // stopped. Fails only without an open workspace (kStatusNoWorkspace).
  Status UpdateDependencies(Workspace& workspace, DependencyMode mode, DependencyProgress* progress,
                            bool* cancelled);
  // The projects named in `names` (output name or project file base name).
  // A name that is no project of the workspace fails the call before
  // anything is scanned (kStatusProjectNotFound).
  Status UpdateDependencies(Workspace& workspace, const std::vector<std::string>& names,
                            DependencyMode mode, DependencyProgress* progress, bool* cancelled);
  // One project; outside a refresh that UpdateDependencies began, files
  // are looked at anew first. False when stopped. A dependency file that
  // cannot be written goes to the failure report.
  bool UpdateProjectDependencies(Workspace& workspace, Project& project, DependencyMode mode,
                                 DependencyProgress* progress);

  // Reads the project's dependency file into its sources' records (once
  // per opened project). Sections of sources the project no longer holds
  // are dropped; with `warn` they are named in message box 5069. A missing
  // file is no error (every source is then stale).
  void LoadDependencyFile(Workspace& workspace, Project& project, bool warn);
  // Writes the project's dependency file from its sources' records. Fails
  // with kStatusDependencyFileFailed and the system's reason, the file as
  // it was, when it cannot be written.
  Status WriteDependencyFile(Workspace& workspace, Project& project);

  // The per-file step for one file outside a refresh (a file just added):
  // the workspace's current target, else the project's.
  void ComputeAddedFile(Workspace& workspace, Project& project, SourceFile& file);

  // Every dependency of the project's records for `target`, once, keyed by
  // its lower-case path (the value: the path as stored). Angle-bracket
  // includes only with `system_includes` (the setting TreeViewSystemInclude).
  static std::map<std::string, std::string> CollectProjectDependencies(const Project& project,
                                                                       std::string_view target,
                                                                       bool system_includes);
  // The service setting "TreeViewSystemInclude" (a registry value beside
  // BuildMake; missing: 0): whether the tree shows angle-bracket includes.
  static bool TreeViewSystemInclude(const Platform& platform);

  // --- What the workspace hooks call.

  // A workspace has opened: reads every project's dependency file, then
  // brings every project up to date (modified mode).
  void WorkspaceOpened(Workspace& workspace);
  // A project is being saved: its dependency file is written when its
  // records changed since it was read or last written. False when it could
  // not be written (WriteDependencyFile).
  Status ProjectSaving(Workspace& workspace, Project& project);
  // A project is being closed: what is kept on its working copy goes (its
  // next opening has a working copy of its own).
  void ProjectClosed(const Project& project);

  // How often a refresh looks for the stop object of another process, at
  // most (looking costs a call to the file system, and a refresh with
  // nothing to do checks thousands of files a millisecond). A Ctrl-C of
  // the host is seen the same way. Zero: before every file.
  void SetStopCheckInterval(std::chrono::milliseconds interval) { stop_check_interval_ = interval; }

  // How many threads a refresh may use (1 or 2; the default: 2 where the
  // machine has two cores). Results, lines and their order are the same.
  void SetThreads(int threads) { threads_ = threads > 1 ? 2 : 1; }

  // For tests and benchmarks (null before the first use).
  IncludeScanner* scanner() { return scanner_.get(); }

 private:
  class WorkspaceOutput;
  // Takes the workspace's output, texts and file system.
  void Attach(Workspace& workspace);
  void Run(Workspace& workspace, const std::vector<Project*>& projects, DependencyMode mode,
           DependencyProgress* progress, bool* cancelled);
  // The per-file step: what the scan of a file for a target needs, the
  // scan, and the record stored.
  DependencyScanJob MakeJob(Workspace& workspace, Project& project, SourceFile& file,
                            std::string_view target);
  void ComputeFile(Project& project, SourceFile& file, std::string_view target,
                   DependencyScanJob job);
  void StoreRecord(Project& project, SourceFile& file, std::string_view target,
                   std::vector<DependencyPathId> ids, const std::string& forms);
  IncludeScanOptions ScanOptions() const;
  // Starts a refresh: warnings due again, files looked at anew.
  void BeginRefresh(Workspace& workspace);
  // Sets the scanner up for a project.
  void BeginProject(Project& project);
  void SetUpScanner(IncludeScanner& scanner) const;
  // Hands the jobs to the worker (made anew for each refresh, set up like
  // the refresh's scanner).
  void StartWorker(std::vector<DependencyScanJob> jobs, bool keep_runs);
  // Stores the record of a job the worker scanned and writes its lines;
  // false when the worker stopped before it.
  bool StoreWorkerResult(Project& project, SourceFile& file, std::string_view target, size_t index);
  // Whether the user asked to stop (see SetStopCheckInterval).
  bool StopRequested(Workspace& workspace);
  // The stored path of each reference of one scanner for the current
  // project, by node id and by guess index (-1: not yet worked out).
  struct StoredSlots {
    std::vector<DependencyPathId> nodes;
    std::vector<DependencyPathId> guesses;
    DependencyPathId& At(int ref) {
      std::vector<DependencyPathId>& slots = ref >= 0 ? nodes : guesses;
      size_t index = ref >= 0 ? static_cast<size_t>(ref) : static_cast<size_t>(-1 - ref);
      if (slots.size() <= index) slots.resize(index + 1, -1);
      return slots[index];
    }
    void Clear() {
      nodes.clear();
      guesses.clear();
    }
  };
  // The stored path of scanner reference `ref` (whose path is `path`),
  // worked out once and kept in `slots`.
  DependencyPathId StoredPath(StoredSlots& slots, int ref, std::string_view path);
  bool IsLoaded(const Project& project) const;
  // The index beside the dependency file (see dependency_file.h), and its
  // writing for the text whose status is `text`.
  static std::string IndexPath(const Project& project);
  void WriteIndex(const Project& project, const std::vector<DependencySectionView>& sections,
                  const FileStatus& text);
  void MarkChanged(const Project& project) { changed_.insert(Key(project)); }
  static std::string Key(const Project& project);

  const CpuTable& cpus_;
  std::unique_ptr<WorkspaceOutput> output_;
  FileSystem* fs_ = nullptr;
  // The scanners and the time cache reach the file system through a lock:
  // with two threads the worker's scans run beside the refresh's own.
  std::unique_ptr<LockedFileSystem> locked_fs_;
  std::unique_ptr<IncludeScanner> scanner_;
  // The worker reads through a file system of its own where there is one.
  std::unique_ptr<ReadOnlyFileSystem> worker_fs_;
  std::unique_ptr<ScanWorker> worker_;
  bool worker_refresh_due_ = true;  // the worker has not begun this refresh
  bool update_dependency_file_ = false;
  std::unique_ptr<ModificationTimeCache> times_;
  DependencyProgress* default_progress_ = nullptr;
  FailureReport failure_report_;
  bool refresh_on_open_ = true;
  bool read_only_ = false;
  bool include_chains_ = false;
  bool in_refresh_ = false;  // within Run
  std::chrono::milliseconds stop_check_interval_{20};
  int threads_ = 1;
  std::chrono::steady_clock::time_point last_stop_check_{};
  // The time the refresh began, the stamp of every record it makes.
  std::string refresh_stamp_;

  // Projects whose dependency file was read, and those whose records changed
  // since (both by working copy, which names one opened project).
  std::set<std::string, NoCaseLess> loaded_;
  std::set<std::string, NoCaseLess> changed_;

  // The current project of a refresh.
  std::string project_directory_;
  std::string title_;
  TargetMacros macros_;
  bool macros_ready_ = false;
  std::string macros_target_;
  std::vector<std::string> cpu_include_dirs_;
  // The workspace's path table, and the stored paths of the references of
  // the refresh's scanner and of the worker's: a refresh works out each
  // distinct path once per project.
  TextTable* paths_ = nullptr;
  StoredSlots own_stored_;
  StoredSlots worker_stored_;
  int include_style_ = 0;
  std::vector<int> refs_;
  std::string forms_;
};

}  // namespace zelvan
