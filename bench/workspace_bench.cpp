// Opening and closing a large workspace: 20 projects of 500 source files and
// 2 targets each (folder sections with SOURCE entries, one section per file
// and target), written once by the generator below into a temporary folder,
// with the source files themselves (empty). Opening makes the working
// copies, reads the project files whole and loads every source file with its
// settings of both targets; closing deletes the working copies. Both are
// measured together and each on its own.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "bench/headless_world.h"
#include "model/source_file.h"
#include "model/workspace.h"
#include "platform/ansi_text.h"
#include "platform/file_system.h"
#include "platform/posix_file_system.h"

namespace zelvan {
namespace {

constexpr int kProjects = 20;
constexpr int kFilesPerProject = 500;
constexpr int kFolders = 5;
const char* const kTargets[] = {"Debug", "Release"};

// One project file in the layout the IDE writes.
std::string ProjectText(int project) {
  std::string name = StringPrintf("Unit%02d", project);
  std::string text;
  auto line = [&](const std::string& s) { text += s + "\r\n"; };
  line("[PROJECT]");
  line("Name=" + name);
  line("OUTPUT=" + name + ".abs");
  line("CPU=MX-520");
  line("CPUFAMILY=MX-520");
  line("TARGET=Debug;Release;");
  std::string folders;
  for (int f = 0; f < kFolders; ++f)
    folders += StringPrintf("Folder %d;", f);
  line("Folder=" + folders);
  int per_folder = kFilesPerProject / kFolders;
  for (int f = 0; f < kFolders; ++f) {
    line(StringPrintf("[Folder %d]", f));
    line("FILTER=c;asm");
    line(StringPrintf("SOURCECOUNT=%d", per_folder));
    for (int i = 0; i < per_folder; ++i) {
      line(StringPrintf("SOURCE%d=src\\f%d\\module%03d.c", i, f, i));
    }
  }
  for (const char* target : kTargets) {
    line(std::string("[PROJECT!MACRO!") + target + "]");
    line("DefaultCompile=-g -O0 -I..\\include -DUNIT=" + name);
    line("ProjectCompile=");
    line(StringPrintf("DefaultLink=-o .\\%s\\%s.abs", target, name.c_str()));
    line(StringPrintf("DefaultOUTPUT=.\\%s", target));
    line(StringPrintf("DefaultTEMP=.\\%s\\obj", target));
    line("UPDATE=");
  }
  for (const char* target : kTargets) {
    for (int f = 0; f < kFolders; ++f) {
      for (int i = 0; i < per_folder; ++i) {
        line(StringPrintf("[%s!src\\f%d\\module%03d.c]", target, f, i));
        line("NoBuild=0");
        line("COMPILE=");
        line("UPDATE=");
      }
    }
  }
  return text;
}

// Writes the workspace below `dir` (a system path ending in `\`); returns the .kws path.
std::string WriteSyntheticWorkspace(FileSystem& fs, const std::string& dir) {
  std::string kws = "[Workspace]\r\nFormat=1\r\nActive=Unit00\\Unit00.kbp\r\n[Projects]\r\n";
  kws += StringPrintf("Count=%d\r\n", kProjects);
  for (int p = 0; p < kProjects; ++p) {
    std::string name = StringPrintf("Unit%02d", p);
    CreateDirectories(fs, dir + name);
    WriteFileAtomic(fs, dir + name + "\\" + name + ".kbp", ProjectText(p));
    for (int f = 0; f < kFolders; ++f) {
      std::string folder = dir + name + StringPrintf("\\src\\f%d\\", f);
      CreateDirectories(fs, folder);
      for (int i = 0; i < kFilesPerProject / kFolders; ++i) {
        std::unique_ptr<WritableFile> file =
            fs.OpenForWrite(folder + StringPrintf("module%03d.c", i));
        if (file) file->Close();
      }
    }
    kws += StringPrintf("Project%d=%s\\%s.kbp\r\n", p, name.c_str(), name.c_str());
  }
  WriteFileAtomic(fs, dir + "Synthetic.kws", kws);
  WriteFileAtomic(fs, dir + "Synthetic.kwa", "[Builder]\r\nComposition=Debug\r\n");
  return dir + "Synthetic.kws";
}

void RemoveTree(FileSystem& fs, const std::string& dir) {
  std::vector<DirectoryEntry> entries;
  fs.ListDirectory(dir, "*", &entries);
  for (const DirectoryEntry& entry : entries) {
    std::string path = dir + entry.name;
    if (entry.is_directory) {
      RemoveTree(fs, path + "\\");
    } else {
      fs.DeleteFile(path);
    }
  }
  fs.RemoveDirectory(dir);
}

class WorkspaceFixture {
 public:
  WorkspaceFixture() : world_(HostPathMap{}, "/") {
    PosixFileSystem& fs = world_.fs();
    std::string tmp = world_.system().GetEnv("TMPDIR").value_or("/tmp");
    MakeUniqueName(fs, fs.FromHostPath(tmp) + "\\zelvan_bench_XXXXXX", &root_);
    root_ += "\\";
    CreateDirectories(fs, root_ + "temp");
    workspace_file_ = WriteSyntheticWorkspace(fs, root_);
    // Working copies go into the fixture's own folder.
    world_.SetTemp(root_ + "temp");
    workspace_ =
        std::make_unique<Workspace>(world_.platform(), world_.settings(), world_.host(), nullptr);
    std::string error;
    world_.host().LoadWorkspaceFile(workspace_file_, &error);
  }
  ~WorkspaceFixture() {
    workspace_.reset();
    world_.profile().FlushAll();
    RemoveTree(world_.fs(), root_);
  }

  Workspace& workspace() { return *workspace_; }
  const std::string& workspace_file() const { return workspace_file_; }
  uint64_t ProjectFileBytes() {
    FileStatus status;
    world_.fs().Stat(root_ + "Unit00\\Unit00.kbp", &status);
    return status.size;
  }

 private:
  bench::HeadlessWorld world_;
  std::unique_ptr<Workspace> workspace_;
  std::string root_;
  std::string workspace_file_;
};

size_t LoadedFiles(Workspace& workspace) {
  size_t files = 0;
  for (const auto& project : workspace.projects().All())
    files += project->sources().Files().size();
  return files;
}

void BM_OpenCloseWorkspace(benchmark::State& state) {
  WorkspaceFixture fixture;
  size_t projects = 0;
  size_t files = 0;
  for (auto _ : state) {
    fixture.workspace().document().Open(fixture.workspace_file());
    projects = fixture.workspace().projects().All().size();
    files = LoadedFiles(fixture.workspace());
    fixture.workspace().document().Close();
  }
  state.counters["projects"] = static_cast<double>(projects);
  state.counters["files"] = static_cast<double>(files);
  state.counters["project_file_bytes"] = static_cast<double>(fixture.ProjectFileBytes());
  state.counters["projects_per_second"] =
      benchmark::Counter(static_cast<double>(projects) * static_cast<double>(state.iterations()),
                         benchmark::Counter::kIsRate);
}
BENCHMARK(BM_OpenCloseWorkspace)->Unit(benchmark::kMillisecond);

// Opening alone: working copies, whole-file reads, source files and their settings.
void BM_OpenWorkspace(benchmark::State& state) {
  WorkspaceFixture fixture;
  size_t files = 0;
  for (auto _ : state) {
    fixture.workspace().document().Open(fixture.workspace_file());
    state.PauseTiming();
    files = LoadedFiles(fixture.workspace());
    fixture.workspace().document().Close();
    state.ResumeTiming();
  }
  state.counters["files"] = static_cast<double>(files);
  state.counters["files_per_second"] =
      benchmark::Counter(static_cast<double>(files) * static_cast<double>(state.iterations()),
                         benchmark::Counter::kIsRate);
}
BENCHMARK(BM_OpenWorkspace)->Unit(benchmark::kMillisecond);

// Closing alone: the projects and their files destroyed, the working copies deleted.
void BM_CloseWorkspace(benchmark::State& state) {
  WorkspaceFixture fixture;
  for (auto _ : state) {
    state.PauseTiming();
    fixture.workspace().document().Open(fixture.workspace_file());
    state.ResumeTiming();
    fixture.workspace().document().Close();
  }
}
BENCHMARK(BM_CloseWorkspace)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace zelvan
