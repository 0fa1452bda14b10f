// A dependency refresh of a whole workspace through UpdateDependencies: the
// generated tree of 5,000 sources and 1,000 headers (include_tree_generator.h)
// on disk as one project of two targets whose compile options name the
// shared and system include folders. Beside the plain file-system work it
// should stay close to (dependency_bench.cpp measures those on a tree of
// the same shape):
//
//   BM_RefreshAllFiles        every source scanned for both targets, the
//                             dependency file written (aim: within 3 times
//                             BM_ReadEveryFileOnce)
//   BM_RefreshNothingChanged  the refresh in modified mode after an earlier
//                             one, with nothing changed (aim: within 2 times
//                             BM_StatEveryFileOnce)
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "bench/headless_world.h"
#include "bench/include_tree_generator.h"
#include "dependencies/dependency_updater.h"
#include "model/source_file.h"
#include "model/workspace.h"
#include "platform/ansi_text.h"
#include "platform/posix_file_system.h"
#include "service/service_hooks.h"
#include "tests/support/temp_dir.h"
#include "toolchain/cpu_table.h"
#include "toolchain/installation.h"

namespace zelvan {
namespace {

// The project file: one folder per module, both targets with the include
// folders of the tree.
std::string ProjectText(const bench::GeneratedTree& tree) {
  std::string text;
  auto line = [&text](const std::string& s) { text += s + "\r\n"; };
  line("[PROJECT]");
  line("OUTPUT=Bench.abs");
  line("CPU=MX-310/P");
  line("CPUFAMILY=MX-310/P");
  line("TARGET=Debug;Release;");
  // Sources are grouped by their module directory, in project order.
  text += bench::ProjectFolderLines(tree, [](size_t f) { return StringPrintf("Module %zu", f); });
  std::string includes;
  for (const std::string& dir : tree.include_dirs)
    includes += " -I" + dir;
  line("[PROJECT!MACRO!Debug]");
  line("DefaultCompile=-g -O0" + includes);
  line("[PROJECT!MACRO!Release]");
  line("DefaultCompile=-O2" + includes);
  return text;
}

class RefreshWorld {
 public:
  RefreshWorld() : world_(MapOf(dir_), dir_.path()) {
    tree_ = bench::GenerateIncludeTree({}, "C:\\bench\\");
    for (const auto& file : tree_.files)
      dir_.WriteFile(Relative(file.path), file.text);
    dir_.WriteFile("bench/Bench.kbp", ProjectText(tree_));
    dir_.WriteFile("temp/.keep", "");
    world_.SetTemp("C:\\temp");
    Platform& platform = world_.platform();
    util_ = std::make_unique<Installation>(platform, "C:\\noinstall");
    cpus_ = std::make_unique<CpuTable>(platform, *util_);
    updater_ = std::make_unique<DependencyUpdater>(*cpus_);
    updater_->SetRefreshOnOpen(false);
    hooks_ = std::make_unique<ServiceHooks>(states_, *updater_);
    workspace_ =
        std::make_unique<Workspace>(platform, world_.settings(), world_.host(), hooks_.get());
    hooks_->SetWorkspace(workspace_.get());
    world_.host().UseSingleProject("C:\\bench\\Bench.kbp");
    workspace_->document().Open(world_.host().WorkspacePath());
  }
  ~RefreshWorld() { workspace_.reset(); }

  Workspace& workspace() { return *workspace_; }
  DependencyUpdater& updater() { return *updater_; }
  size_t Records() {
    size_t records = 0;
    for (const auto& project : workspace_->projects().All()) {
      for (const auto& file : project->sources().Files()) {
        for (const auto& record : file->dependencies().records)
          records += record.size();
      }
    }
    return records;
  }

 private:
  static HostPathMap MapOf(const testing::TempDir& dir) {
    HostPathMap map;
    map.drives['C'] = dir.path();
    return map;
  }
  static std::string Relative(const std::string& path) {
    std::string relative = path.substr(3);
    for (char& c : relative) {
      if (c == '\\') c = '/';
    }
    return relative;
  }

  testing::TempDir dir_;
  bench::GeneratedTree tree_;
  bench::HeadlessWorld world_;
  std::unique_ptr<Installation> util_;
  std::unique_ptr<CpuTable> cpus_;
  MakeStateStore states_;
  std::unique_ptr<DependencyUpdater> updater_;
  std::unique_ptr<ServiceHooks> hooks_;
  std::unique_ptr<Workspace> workspace_;
};

RefreshWorld& TheWorld() {
  static RefreshWorld world;
  return world;
}

void BM_RefreshAllFiles(benchmark::State& state) {
  RefreshWorld& world = TheWorld();
  for (auto _ : state) {
    world.updater().UpdateDependencies(world.workspace(), DependencyMode::kAllFiles, nullptr,
                                       nullptr);
  }
  state.counters["records"] = static_cast<double>(world.Records());
}
BENCHMARK(BM_RefreshAllFiles)->Unit(benchmark::kMillisecond);

void BM_RefreshNothingChanged(benchmark::State& state) {
  RefreshWorld& world = TheWorld();
  world.updater().UpdateDependencies(world.workspace(), DependencyMode::kAllFiles, nullptr,
                                     nullptr);
  for (auto _ : state) {
    world.updater().UpdateDependencies(world.workspace(), DependencyMode::kModifiedFiles, nullptr,
                                       nullptr);
  }
  state.counters["records"] = static_cast<double>(world.Records());
}
BENCHMARK(BM_RefreshNothingChanged)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace zelvan
