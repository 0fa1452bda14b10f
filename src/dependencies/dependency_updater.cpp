#include "dependencies/dependency_updater.h"

#include <algorithm>

#include "dependencies/dependency_file.h"
#include "dependencies/dependency_progress.h"
#include "model/ide_services.h"
#include "model/message_texts.h"
#include "model/operation_status.h"
#include "model/path_functions.h"
#include "model/project.h"
#include "model/service_settings.h"
#include "model/source_file.h"
#include "model/status_codes.h"
#include "model/substitute_macros.h"
#include "model/workspace.h"
#include "platform/background_task.h"
#include "platform/file_system.h"
#include "platform/platform.h"
#include "platform/registry.h"
#include "platform/system_services.h"
#include "platform/ui_hooks.h"
#include "platform/win_path.h"
#include "storage/time_stamp.h"
#include "toolchain/cpu_table.h"
#include "toolchain/installation.h"
#include "toolchain/language_table.h"
#include "toolchain/option_text.h"

namespace zelvan {

namespace {

void RemoveOneTrailingBackslash(std::string* text) {
  if (!text->empty() && text->back() == '\\') text->pop_back();
}

// Whether `record` already lists `ids` of `table` with `forms` (padded and
// cut to the ids as SetDependencies does), without copying the record.
bool ListsSameDependencies(const DependencyRecord& record, const TextTable& table,
                           const std::vector<DependencyPathId>& ids, std::string_view forms) {
  if (record.size() != ids.size()) return false;
  const bool same_table = record.path_table() == &table;
  for (size_t i = 0; i < ids.size(); ++i) {
    char form = i < forms.size() ? forms[i] : DependencyRecord::kNoForm;
    if (record.form(i) != form) return false;
    if (same_table && record.path_id(i) == ids[i]) continue;
    if (record.path(i) != table.Text(ids[i])) return false;
  }
  return true;
}

}  // namespace

// --- Make variables.

TargetMacros MakeTargetMacros(Project& project, std::string_view target, const CpuTable& cpus) {
  static const char* const kKeys[] = {"DefaultTEMP", "DefaultOUTPUT", "DefaultWORK", "TEMP",
                                      "OUTPUT",      "WORK",          "TARGET",      "TARGET_NAME"};
  TargetMacros macros;
  auto define = [&macros](std::string_view name, std::string value) {
    // A later definition replaces an earlier one, as in the makefile.
    for (size_t i = 0; i < macros.names.size(); ++i) {
      if (macros.names[i] == name) {
        macros.values[i] = std::move(value);
        return;
      }
    }
    macros.names.emplace_back(name);
    macros.values.push_back(std::move(value));
  };
  std::string default_temp, default_output;
  for (const char* key : kKeys) {
    std::string value;
    project.targets().GetValue(target, key, &value);
    std::string_view name = key;
    if (name == "TEMP" || name == "OUTPUT") RemoveOneTrailingBackslash(&value);
    if (name == "DefaultTEMP") default_temp = value;
    if (name == "DefaultOUTPUT") default_output = value;
    if (name == "TEMP" && value.empty()) value = default_temp;
    if (name == "OUTPUT" && value.empty()) value = default_output;
    define(name, std::move(value));
  }
  std::string tools;
  cpus.GetToolsText(project.Cpu(), &tools);
  std::string_view rest = tools;
  while (!rest.empty()) {
    size_t end = rest.find('\n');
    std::string_view line = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    size_t equals = line.find('=');
    if (equals == std::string_view::npos || equals == 0) continue;
    define(line.substr(0, equals), std::string(line.substr(equals + 1)));
  }
  return macros;
}

std::string ExpandTargetMacros(std::string_view text, const TargetMacros& macros) {
  if (text.find("$(") == std::string_view::npos) return std::string(text);
  return SubstituteMacros(text, macros.names, macros.values);
}

// --- Output: the lines of the scanner go to the workspace's IDE services,
// and its texts come from the workspace's string resources.

class DependencyUpdater::WorkspaceOutput final : public DependencyOutput, public UiHooks {
 public:
  void Attach(Workspace& workspace) {
    ide_ = &workspace.ide();
    ui_ = workspace.platform().ui;
  }
  void WriteOutputLine(std::string_view text, int kind) override {
    if (ide_ != nullptr) ide_->WriteOutputLine(text, kind);
  }
  void WriteOutputLineAt(std::string_view prefix, std::string_view file, int line,
                         std::string_view text, int kind) override {
    if (ide_ != nullptr) WriteOutputFileLine(*ide_, prefix, file, line, text, kind);
  }
  int MessageBox(std::string_view caption, std::string_view text, unsigned style) override {
    return ui_ != nullptr ? ui_->MessageBox(caption, text, style) : kIdOk;
  }
  std::string LoadString(unsigned id) override {
    return ui_ != nullptr ? ui_->LoadString(id) : std::string();
  }

 private:
  IdeServices* ide_ = nullptr;
  UiHooks* ui_ = nullptr;
};

DependencyUpdater::DependencyUpdater(const CpuTable& cpus)
    : cpus_(cpus), output_(std::make_unique<WorkspaceOutput>()) {
  SetThreads(static_cast<int>(BackgroundTask::HardwareThreads()));
}

DependencyUpdater::~DependencyUpdater() = default;

std::string DependencyUpdater::Key(const Project& project) {
  return project.paths().working_copy;
}

bool DependencyUpdater::IsLoaded(const Project& project) const {
  return loaded_.count(Key(project)) != 0;
}

void DependencyUpdater::Attach(Workspace& workspace) {
  output_->Attach(workspace);
  FileSystem* fs = workspace.platform().fs;
  if (fs_ != fs) {
    // Paths and times are those of one file system.
    fs_ = fs;
    worker_.reset();
    worker_fs_.reset();
    scanner_.reset();
    times_.reset();
    locked_fs_ = std::make_unique<LockedFileSystem>(*fs);
    scanner_ = std::make_unique<IncludeScanner>(*locked_fs_, *output_, *output_);
    // Records are checked while the worker scans: through the lock too.
    times_ = std::make_unique<ModificationTimeCache>(*locked_fs_);
  }
  paths_ = &workspace.dependency_paths();
}

// --- Refreshes.

void DependencyUpdater::BeginRefresh(Workspace& workspace) {
  Attach(workspace);
  update_dependency_file_ = workspace.settings().ReadUpdateDependencyFile() != 0;
  scanner_->BeginRefresh(update_dependency_file_);
  worker_refresh_due_ = true;
  times_->BeginRefresh();
  last_stop_check_ = {};
  // Every record of the refresh is stamped with the time it began, before
  // anything was read: a file changed later, even within the same second,
  // is at least as new as the stamp and counts as stale next time.
  refresh_stamp_ = FormatTimeStamp(workspace.platform().system->Now());
  project_directory_.clear();
}

void DependencyUpdater::BeginProject(Project& project) {
  project_directory_ = AppendLastSlash(project.paths().project_directory);
  times_->SetBaseDirectory(project_directory_);
  cpu_include_dirs_.clear();
  cpus_.GetIncludeDirs(project.Cpu(), &cpu_include_dirs_);
  // Each project takes the style of its own CPU family; a family without a
  // style of its own scans in style 0, whatever project came before.
  include_style_ = IncludeStyleForCpu(project.CpuFamily(), 0);
  SetUpScanner(*scanner_);
  own_stored_.Clear();
  macros_ready_ = false;
  title_ = project.paths().output_name;
}

void DependencyUpdater::SetUpScanner(IncludeScanner& scanner) const {
  scanner.SetBaseDirectory(project_directory_);
  scanner.set_include_style(include_style_);
  scanner.SetToolchainIncludeDirectory(cpu_include_dirs_.empty() ? std::string()
                                                                 : cpu_include_dirs_.front());
}

bool DependencyUpdater::StopRequested(Workspace& workspace) {
  auto now = std::chrono::steady_clock::now();
  if (last_stop_check_ != std::chrono::steady_clock::time_point{} &&
      now - last_stop_check_ < stop_check_interval_) {
    return false;
  }
  last_stop_check_ = now;
  return workspace.IsStopRequested();
}

Status DependencyUpdater::UpdateDependencies(Workspace& workspace, DependencyMode mode,
                                             DependencyProgress* progress, bool* cancelled) {
  if (!workspace.document().IsOpen()) return OperationFailure(kStatusNoWorkspace, kMsgNoWorkspace);
  std::vector<Project*> projects;
  for (const auto& project : workspace.projects().All())
    projects.push_back(project.get());
  Run(workspace, projects, mode, progress, cancelled);
  return Status::OK();
}

Status DependencyUpdater::UpdateDependencies(Workspace& workspace,
                                             const std::vector<std::string>& names,
                                             DependencyMode mode, DependencyProgress* progress,
                                             bool* cancelled) {
  if (!workspace.document().IsOpen()) return OperationFailure(kStatusNoWorkspace, kMsgNoWorkspace);
  std::vector<Project*> projects;
  for (const std::string& name : names) {
    Project* project = workspace.projects().Find(name);
    if (project == nullptr) {
      std::string file;
      if (workspace.projects().ResolveFile(name, &file))
        project = workspace.projects().FindByFile(file);
    }
    if (project == nullptr) return OperationFailure(kStatusProjectNotFound, kMsgProjectNotFound);
    // A project named twice is refreshed once.
    if (std::find(projects.begin(), projects.end(), project) == projects.end()) {
      projects.push_back(project);
    }
  }
  Run(workspace, projects, mode, progress, cancelled);
  return Status::OK();
}

void DependencyUpdater::Run(Workspace& workspace, const std::vector<Project*>& projects,
                            DependencyMode mode, DependencyProgress* progress, bool* cancelled) {
  if (cancelled != nullptr) *cancelled = false;
  if (progress == nullptr) progress = default_progress_;
  ScopedUsedTime timing(&cpus_.util(), mode == DependencyMode::kAllFiles
                                           ? "GPDGetDependencyAllFiles end"
                                           : "GPDGetDependencyModifiedFiles end");
  IdeServices& ide = workspace.ide();
  UiHooks& ui = *workspace.platform().ui;
  ide.ClearOutputPane();
  ide.ShowOutputPane();
  ide.WriteOutputLine("I-007-1000:" + LoadMessage(ui, kMsgDependencyUpdateStart),
                      kOutputInformation);
  BeginRefresh(workspace);

  uint64_t total = 0;
  for (Project* project : projects) {
    total +=
        static_cast<uint64_t>(project->targets().List().size()) * project->sources().Files().size();
  }
  if (progress != nullptr) progress->SetTotal(total);
  bool stopped = false;
  in_refresh_ = true;
  for (Project* project : projects) {
    // A project added after the workspace opened has its file read now.
    LoadDependencyFile(workspace, *project, true);
    if (progress != nullptr) progress->SetProject(project->paths().output_name);
    if (!UpdateProjectDependencies(workspace, *project, mode, progress)) {
      stopped = true;
      break;
    }
  }
  in_refresh_ = false;
  if (progress != nullptr) progress->Finish();
  if (stopped) {
    if (cancelled != nullptr) *cancelled = true;
    ide.WriteOutputLine("I-007-1200:" + LoadMessage(ui, kMsgDependencyUpdateCancelled),
                        kOutputInformation);
    return;
  }
  int unresolved = scanner_->unresolved_count();
  if (unresolved != 0) {
    ide.WriteOutputLine(
        "W-007-D002:" + LoadMessage(ui, kMsgIncludesNotFoundCount, {std::to_string(unresolved)}),
        kOutputWarning);
  }
  ide.WriteOutputLine("I-007-1100:" + LoadMessage(ui, kMsgDependencyUpdateDone),
                      kOutputInformation);
}

bool DependencyUpdater::UpdateProjectDependencies(Workspace& workspace, Project& project,
                                                  DependencyMode mode,
                                                  DependencyProgress* progress) {
  if (!in_refresh_) BeginRefresh(workspace);
  BeginProject(project);
  const std::vector<std::string> targets = project.targets().List();
  // The steps in order (each file for each target), and the scans among
  // them. Staleness and search lists are worked out first: while the
  // worker scans, only the scanners call the file system.
  struct Step {
    SourceFile* file;
    const std::string* target;
    bool scan;
  };
  std::vector<Step> steps;
  std::vector<DependencyScanJob> jobs;
  for (const std::string& target : targets) {
    for (const auto& file : project.sources().Files()) {
      bool scan =
          mode == DependencyMode::kAllFiles ||
          IsDependencyStale(file->dependencies().records, target, file->RelativePath(), *times_);
      steps.push_back({file.get(), &target, scan});
      if (scan) jobs.push_back(MakeJob(workspace, project, *file, target));
    }
  }
  // A source scanned for one target only is never scanned again under the
  // same search list.
  const bool keep_runs = targets.size() > 1;
  scanner_->set_keep_runs(keep_runs);
  // With two threads the worker scans every source while this thread
  // stores the records, writes the lines and then the file. Sources share
  // most of their headers: one scanner works out their trees once, where
  // two scanners that split the sources would each work them out.
  size_t own_jobs = jobs.size();
  if (threads_ > 1 && jobs.size() >= 2) {
    own_jobs = 0;
    StartWorker(std::move(jobs), keep_runs);
  }
  bool stopped = false;
  size_t job = 0;
  for (const Step& step : steps) {
    if (StopRequested(workspace)) {
      stopped = true;
      break;
    }
    if (step.scan) {
      if (job < own_jobs) {
        ComputeFile(project, *step.file, *step.target, std::move(jobs[job]));
      } else if (!StoreWorkerResult(project, *step.file, *step.target, job - own_jobs)) {
        stopped = true;
        break;
      }
      ++job;
    }
    if (progress != nullptr) progress->Step();
  }
  if (worker_ != nullptr) worker_->Stop();
  // What was computed before a stop is kept too: each record is whole. A
  // refresh that changed no record writes nothing; records of files no
  // longer in the project that loading dropped are changes too, or every
  // later command would find and name them again.
  if ((mode == DependencyMode::kAllFiles && !stopped) || changed_.count(Key(project)) != 0) {
    // The refresh goes on: its records are whole in memory all the same.
    if (Status written = WriteDependencyFile(workspace, project); !written && failure_report_) {
      failure_report_(workspace, written);
    }
    workspace.ide().RefreshProjectView(project.paths().project_file);
  }
  return !stopped;
}

// --- The per-file step.

IncludeScanOptions DependencyUpdater::ScanOptions() const {
  IncludeScanOptions options;
  options.report_unresolved = true;
  options.title = title_;
  options.include_chains = include_chains_;
  return options;
}

DependencyPathId DependencyUpdater::StoredPath(StoredSlots& slots, int ref, std::string_view path) {
  DependencyPathId& slot = slots.At(ref);
  if (slot < 0) {
    // Found files exist: they are stored relative to the project directory.
    // A guessed path names no file; it is stored as it was guessed.
    if (ref >= 0) {
      std::string stored;
      MakeRelativePath(project_directory_, path, &stored);
      slot = paths_->Add(stored);
    } else {
      slot = paths_->Add(path);
    }
  }
  return slot;
}

DependencyScanJob DependencyUpdater::MakeJob(Workspace& workspace, Project& project,
                                             SourceFile& file, std::string_view target) {
  DependencyScanJob job;
  std::string options;
  file.settings().GetCompileOptions(target, &options);
  job.search = ExtractOptionValues(options, "-I");
  // The compiler searches the CPU's directories whatever options a file
  // has (SysIncludePath stands on every compile line), so the scan does too.
  job.search.insert(job.search.end(), cpu_include_dirs_.begin(), cpu_include_dirs_.end());
  if (!macros_ready_ || macros_target_ != target) {
    macros_ = MakeTargetMacros(project, target, cpus_);
    macros_target_.assign(target);
    macros_ready_ = true;
  }
  for (std::string& entry : job.search) {
    if (entry.find("$(") != std::string::npos) entry = ExpandTargetMacros(entry, macros_);
  }
  std::string_view extension = file.Extension();
  if (!extension.empty() && extension.front() == '.') extension.remove_prefix(1);
  job.scan_kind = workspace.languages().GetScanKindByExt(extension);
  job.source = file.FullPath();
  return job;
}

void DependencyUpdater::ComputeFile(Project& project, SourceFile& file, std::string_view target,
                                    DependencyScanJob job) {
  scanner_->ScanIncludeRefs(job.source, job.scan_kind, std::move(job.search), ScanOptions(), &refs_,
                            &forms_);
  std::vector<DependencyPathId> ids(refs_.size());
  for (size_t i = 0; i < refs_.size(); ++i)
    ids[i] = StoredPath(own_stored_, refs_[i], scanner_->RecordPath(refs_[i]));
  StoreRecord(project, file, target, std::move(ids), forms_);
}

void DependencyUpdater::StartWorker(std::vector<DependencyScanJob> jobs, bool keep_runs) {
  if (worker_ == nullptr || worker_refresh_due_) {
    worker_.reset();
    worker_fs_ = fs_->NewThreadReader();
    worker_ = std::make_unique<ScanWorker>(worker_fs_ != nullptr ? *worker_fs_ : *locked_fs_,
                                           *output_, *output_);
    worker_->scanner().BeginRefresh(update_dependency_file_);
    worker_refresh_due_ = false;
  }
  worker_->Stop();
  IncludeScanner& scanner = worker_->scanner();
  SetUpScanner(scanner);
  scanner.set_keep_runs(keep_runs);
  worker_stored_.Clear();
  worker_->Start(std::move(jobs), ScanOptions());
}

bool DependencyUpdater::StoreWorkerResult(Project& project, SourceFile& file,
                                          std::string_view target, size_t index) {
  const ScanWorker::Result* result = worker_->Take(index);
  if (result == nullptr) return false;
  // Paths are added to the table in the order a scan on this thread would
  // add them: the ids, and so the index, do not depend on the threads.
  for (const auto& [ref, path] : result->new_refs)
    StoredPath(worker_stored_, ref, path);
  std::vector<DependencyPathId> ids(result->refs.size());
  for (size_t i = 0; i < ids.size(); ++i)
    ids[i] = worker_stored_.At(result->refs[i]);
  scanner_->Report(result->notes, ScanOptions(), result->source);
  StoreRecord(project, file, target, std::move(ids), result->forms);
  return true;
}

void DependencyUpdater::StoreRecord(Project& project, SourceFile& file, std::string_view target,
                                    std::vector<DependencyPathId> ids, const std::string& forms) {
  DependencyRecord* record = FindDependencyRecord(file.dependencies().records, target);
  if (record != nullptr) {
    // A scan that finds what is stored changes the file only when the new
    // stamp makes the record current. Within the second a source was
    // changed in, it stays stale whatever the stamp: writing it then would
    // only make every command, a failing one too, write the file again.
    if (ListsSameDependencies(*record, *paths_, ids, forms)) {
      const std::string stored_stamp = record->stamp();
      record->set_stamp(refresh_stamp_);
      if (!IsDependencyStale(file.dependencies().records, target, file.RelativePath(), *times_)) {
        MarkChanged(project);
      } else {
        record->set_stamp(stored_stamp);
      }
      return;
    }
  } else {
    record =
        &file.dependencies().records.emplace_back(std::string(project.targets().Spelling(target)));
  }
  record->SetDependencies(*paths_, std::move(ids), forms);
  record->set_stamp(refresh_stamp_);
  MarkChanged(project);
}

void DependencyUpdater::ComputeAddedFile(Workspace& workspace, Project& project, SourceFile& file) {
  std::string target = workspace.selection().CurrentTarget();
  if (!project.targets().Has(target)) target = project.targets().Current();
  if (!project.targets().Has(target)) return;
  // Files are looked at as they are now, not as an earlier refresh saw them.
  BeginRefresh(workspace);
  BeginProject(project);
  ComputeFile(project, file, target, MakeJob(workspace, project, file, target));
}

// --- The dependency file.

void DependencyUpdater::LoadDependencyFile(Workspace& workspace, Project& project, bool warn) {
  if (!loaded_.insert(Key(project)).second) return;
  Attach(workspace);
  // A missing or unreadable file leaves every source stale: a refresh
  // scans them and writes the file anew.
  const std::string& path = project.paths().dependency_file;
  FileStatus status;
  if (!fs_->Stat(path, &status) || status.is_directory) return;
  std::vector<DependencySection> sections;
  std::string bytes;
  if (!fs_->ReadFile(IndexPath(project), &bytes) ||
      !ReadDependencyIndex(bytes, status, *paths_, &sections)) {
    if (!fs_->ReadFile(path, &bytes)) return;
    sections = ReadDependencyFile(bytes, *paths_, threads_);
    // The index is made again, for the text as it was read.
    FileStatus after;
    if (!read_only_ && fs_->Stat(path, &after) && after.SameVersion(status)) {
      std::vector<DependencySectionView> views;
      for (const DependencySection& section : sections)
        views.push_back({section.source, &section.records});
      WriteIndex(project, views, status);
    }
  }
  // A large workspace's file is large.
  std::string().swap(bytes);
  std::vector<std::string> orphans =
      DistributeDependencySections(std::move(sections), [&project](std::string_view lower_path) {
        SourceFile* file = project.sources().FindByRelativePath(lower_path);
        return file != nullptr ? &file->dependencies().records : nullptr;
      });
  if (orphans.empty()) return;
  // The next write drops them; a command that writes nothing drops them
  // again next time, so only one that writes tells of them.
  MarkChanged(project);
  if (!warn || read_only_) return;
  std::string names;
  std::string directory = AppendLastSlash(project.paths().project_directory);
  for (const std::string& orphan : orphans) {
    std::string full;
    if (!GetFullPathName(orphan, directory, &full)) full = orphan;
    names += full;
    names += '\n';
  }
  if (!names.empty()) names.pop_back();
  workspace.ide().ShowMessage("",
                              LoadMessage(*workspace.platform().ui, kMsgStaleDependencies, {names}),
                              kMbOk | kMbIconWarning, kMsgStaleDependencies);
}

Status DependencyUpdater::WriteDependencyFile(Workspace& workspace, Project& project) {
  if (read_only_) return Status::OK();
  Attach(workspace);
  std::vector<DependencySectionView> sections;
  sections.reserve(project.sources().Files().size());
  for (const auto& file : project.sources().Files())
    sections.push_back({file->RelativePath(), &file->dependencies().records});
  DependencyFileWriter writer(sections);
  Status written;
  std::string index_body;
  {
    writer.Measure(threads_);
    // With two threads the index is worked out while the text is written.
    BackgroundTask indexer;
    if (threads_ > 1) indexer.Start([&] { index_body = writer.IndexBody(); });
    // The file is made again by a refresh when it is lost: it is written
    // whole or not at all, but not forced to disk (a large workspace's
    // file holds tens of megabytes). The file is the system's own: a
    // read-only one is replaced all the same. It is written in pieces, so
    // the whole text is never in memory at once.
    written = WriteFileAtomic(
        *fs_, project.paths().dependency_file,
        [&](WritableFile& file) {
          return writer.Write(threads_,
                              [&](std::string_view piece) { return file.Append(piece).ok(); });
        },
        WriteOptions{Durability::kScratch, true, {}});
    indexer.Wait();
  }
  if (!written) {
    workspace.ide().WriteOutputLine(
        project.paths().dependency_file + ": " +
            LoadMessage(*workspace.platform().ui, kMsgDependencyFileFailed, {}) + " (" +
            written.ToString() + ")",
        kOutputWarning);
    return OperationFailure(std::move(written), kStatusDependencyFileFailed,
                            kMsgDependencyFileFailed);
  }
  changed_.erase(Key(project));
  FileStatus status;
  if (fs_->Stat(project.paths().dependency_file, &status)) {
    if (threads_ == 1) index_body = writer.IndexBody();
    // The index is only a copy: when it cannot be written, the next opening
    // reads the text (an older index names another text and is not used).
    WriteFileAtomic(*fs_, IndexPath(project), DependencyIndex(std::move(index_body), status),
                    WriteOptions{Durability::kScratch, true, {}});
  }
  return Status::OK();
}

std::string DependencyUpdater::IndexPath(const Project& project) {
  std::string path = project.paths().dependency_file;
  size_t dot = path.rfind('.');
  size_t separator = FindLastSeparator(path);
  if (dot != std::string::npos && (separator == std::string::npos || dot > separator)) {
    path.resize(dot);
  }
  return path + ".kdx";
}

void DependencyUpdater::WriteIndex(const Project& project,
                                   const std::vector<DependencySectionView>& sections,
                                   const FileStatus& text) {
  WriteFileAtomic(*fs_, IndexPath(project), FormatDependencyIndex(sections, text),
                  WriteOptions{Durability::kScratch, true, {}});
}

// --- Hooks.

void DependencyUpdater::ProjectClosed(const Project& project) {
  const std::string key = Key(project);
  loaded_.erase(key);
  changed_.erase(key);
}

void DependencyUpdater::WorkspaceOpened(Workspace& workspace) {
  for (const auto& project : workspace.projects().All())
    LoadDependencyFile(workspace, *project, true);
  if (refresh_on_open_) {
    UpdateDependencies(workspace, DependencyMode::kModifiedFiles, nullptr, nullptr);
  }
}

Status DependencyUpdater::ProjectSaving(Workspace& workspace, Project& project) {
  if (changed_.count(Key(project)) == 0) return Status::OK();
  return WriteDependencyFile(workspace, project);
}

bool DependencyUpdater::TreeViewSystemInclude(const Platform& platform) {
  uint32_t value = 0;
  return platform.registry != nullptr &&
         platform.registry->ReadDword(kBuilderRegistryKey, "TreeViewSystemInclude", &value) &&
         value != 0;
}

std::map<std::string, std::string> DependencyUpdater::CollectProjectDependencies(
    const Project& project, std::string_view target, bool system_includes) {
  std::map<std::string, std::string> collected;
  for (const auto& file : project.sources().Files()) {
    const DependencyRecord* record = FindDependencyRecord(file->dependencies().records, target);
    if (record == nullptr) continue;
    for (size_t i = 0; i < record->size(); ++i) {
      if (!system_includes && record->form(i) == DependencyRecord::kAngle) continue;
      collected.emplace(ToLowerAscii(record->path(i)), record->path(i));
    }
  }
  return collected;
}

}  // namespace zelvan
