// Makefile generation on a project shaped like a large one: 5,000 C sources
// in 50 folders and 2 targets, own options on every tenth file, and 40
// include dependencies per source and target out of 1,000 headers.
//
//   BM_ConcatenateDependencies  baseline: every rule's names and dependency
//                               paths appended to one text, nothing else
//   BM_GenerateKmakeText        the whole makefile text, both targets (aim:
//                               25 ms and 3x the baseline; a build-system
//                               generator re-run on the same shape takes about
//                               0.48 s on this machine)
//   BM_GenerateKmakeFile        the same written to disk, as `zelvan makefile` does
//   BM_GenerateGnuText          the GNU-format makefile, stored form (aim: 3x)
//   BM_GenerateGnuHostText      its host form, as `zelvan build` makes it (paths
//                               through the drive map, command records looked at)
//   BM_MakeDryRun               for scale: GNU make -n on that host form
//   BM_CompileCommands          compile_commands.json of both targets (aim: 3x)
//
// bench/makefile_ratios.sh prints the three generators' ratios to the
// baseline, measured in one run (CI runs it).
//   BM_CommandProjects          baseline: `zelvan projects` on the workspace on
//                               disk (start, open with the dependency check, close)
//   BM_CommandMakefile          `zelvan makefile` on it, end to end
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "bench/headless_world.h"
#include "dependencies/dependency_file.h"
#include "makefile/compile_commands.h"
#include "makefile/dependency_paths.h"
#include "makefile/gnu_makefile.h"
#include "makefile/kmake_file.h"
#include "makefile/make_state.h"
#include "makefile/output_plan.h"
#include "model/dependency_record.h"
#include "model/project.h"
#include "model/source_file.h"
#include "model/workspace.h"
#include "platform/ansi_text.h"
#include "platform/child_process.h"
#include "platform/file_system.h"
#include "storage/text_table.h"
#include "tests/support/temp_dir.h"
#include "toolchain/cpu_table.h"
#include "toolchain/installation.h"

namespace zelvan {
namespace {

constexpr int kSources = 5000;
constexpr int kFolders = 50;
constexpr int kHeaders = 1000;
constexpr int kDependencies = 40;
const char* const kTargets[] = {"Debug", "Release"};

std::string SourceName(int i) {
  return StringPrintf("src\\m%02d\\file%04d.c", i % kFolders, i);
}

std::vector<std::string> DependenciesOf(int i) {
  std::vector<std::string> paths;
  for (int k = 0; k < kDependencies; ++k)
    paths.push_back(StringPrintf("inc\\h%03d.h", (i * 7 + k * 13) % kHeaders));
  return paths;
}

std::string ProjectText() {
  std::string text;
  auto line = [&text](const std::string& s) { text += s + "\r\n"; };
  line("[PROJECT]");
  line("OUTPUT=Bench.abs");
  line("CPU=MX-520");
  line("CPUFAMILY=MX-520");
  line("TARGET=Debug;Release;");
  std::string folders;
  for (int f = 0; f < kFolders; ++f)
    folders += StringPrintf("Module %d;", f);
  line("Folder=" + folders + "Link;");
  for (int f = 0; f < kFolders; ++f) {
    line(StringPrintf("[Module %d]", f));
    line(StringPrintf("SOURCECOUNT=%d", kSources / kFolders));
    for (int i = f, n = 0; i < kSources; i += kFolders, ++n)
      line(StringPrintf("SOURCE%d=%s", n, SourceName(i).c_str()));
  }
  line("[Link]");
  line("SOURCECOUNT=1");
  line("SOURCE0=Bench.lcf");
  for (const char* target : kTargets) {
    line(StringPrintf("[PROJECT!MACRO!%s]", target));
    line("DefaultCompile=-g -O1 -Iinc -DBOARD=2");
    line(StringPrintf("DefaultLink=-g -l -o .\\%s\\Bench.abs", target));
    line("DefaultConvert=-Fs32");
    line(StringPrintf("DefaultOUTPUT=.\\%s", target));
    line(StringPrintf("DefaultTEMP=.\\%s\\obj", target));
    line("TARGET_NAME=Bench.abs");
  }
  for (const char* target : kTargets) {
    for (int i = 0; i < kSources; i += 10) {
      line(StringPrintf("[%s!%s]", target, SourceName(i).c_str()));
      line(StringPrintf("COMPILE=-g -O2 -Iinc -DFILE=%d -l", i));
    }
  }
  return text;
}

// The workspace on disk (project, dependency file, empty sources and
// headers) and, opened in this process, the project with its records.
class MakefileWorld {
 public:
  MakefileWorld() : world_(MapOf(dir_), dir_.path()) {
    dir_.WriteFile("bench/Bench.kbp", ProjectText());
    dir_.WriteFile("bench/Bench.lcf", "");
    dir_.WriteFile("Bench.kws",
                   "[Workspace]\r\nFormat=1\r\nActive=bench\\Bench.kbp\r\n"
                   "[Projects]\r\nCount=1\r\nProject0=bench\\Bench.kbp\r\n");
    std::vector<DependencySection> sections;
    for (int i = 0; i < kSources; ++i) {
      std::string name = SourceName(i);
      dir_.WriteFile("bench/" + HostForm(name), "");
      DependencySection section{name, {}};
      for (const char* target : kTargets) {
        DependencyRecord record{target};
        record.SetDependencies(paths_, DependenciesOf(i),
                               std::vector<std::string>(kDependencies, "1"));
        record.set_stamp("2099-12-31 23:59:59");  // later than every file
        section.records.push_back(std::move(record));
      }
      sections.push_back(std::move(section));
    }
    for (int h = 0; h < kHeaders; ++h)
      dir_.WriteFile(StringPrintf("bench/inc/h%03d.h", h), "");
    dir_.WriteFile("bench/Bench.kde", WriteDependencyFile(sections));
    dir_.WriteFile("temp/.keep", "");

    world_.SetTemp("C:\\temp");
    Platform& platform = world_.platform();
    util_ = std::make_unique<Installation>(platform, "C:\\noinstall");
    cpus_ = std::make_unique<CpuTable>(platform, *util_);
    workspace_ = std::make_unique<Workspace>(platform, world_.settings(), world_.host(), &hooks_);
    world_.host().UseSingleProject("C:\\bench\\Bench.kbp");
    workspace_->document().Open(world_.host().WorkspacePath());
    // The records as the dependency file gives them.
    project_ = workspace_->projects().All().front().get();
    DistributeDependencySections(sections, [this](std::string_view source) {
      SourceFile* file = project_->sources().FindByRelativePath(source);
      return file ? &file->dependencies().records : nullptr;
    });
  }
  ~MakefileWorld() { workspace_.reset(); }

  Workspace& workspace() { return *workspace_; }
  Project& project() { return *project_; }
  const CpuTable& cpus() { return *cpus_; }
  MakeStateStore& states() { return states_; }
  const std::string& dir() const { return dir_.path(); }
  // Runs the command line on the workspace; false when it failed.
  bool Command(const std::string& arguments) {
    std::string line = "cd '" + dir_.path() + "' && env -u TEMP -u TMP TMPDIR='" + dir_.path() +
                       "/temp' '" ZELVAN_CLI "' -q -w Bench.kws " + arguments + " >/dev/null";
    return std::system(line.c_str()) == 0;
  }

 private:
  static HostPathMap MapOf(const testing::TempDir& dir) {
    HostPathMap map;
    map.drives['C'] = dir.path();
    return map;
  }
  static std::string HostForm(std::string path) {
    for (char& c : path) {
      if (c == '\\') c = '/';
    }
    return path;
  }

  testing::TempDir dir_;
  TextTable paths_;  // the records' paths
  bench::HeadlessWorld world_;
  std::unique_ptr<Installation> util_;
  std::unique_ptr<CpuTable> cpus_;
  MakeStateStore states_;
  MakeStateHooks hooks_{states_};
  std::unique_ptr<Workspace> workspace_;
  Project* project_ = nullptr;
};

MakefileWorld& TheWorld() {
  static MakefileWorld world;
  return world;
}

void BM_ConcatenateDependencies(benchmark::State& state) {
  MakefileWorld& world = TheWorld();
  size_t bytes = 0;
  for (auto _ : state) {
    std::string text;
    for (const char* target : kTargets) {
      for (const auto& file : world.project().sources().Files()) {
        text += file->ObjectName();
        text += " : ";
        text += file->RelativePath();
        ForEachDependencyPath(*file, target, [&text](std::string_view path) {
          text += ' ';
          text += path;
        });
        text += '\n';
      }
    }
    bytes = text.size();
    benchmark::DoNotOptimize(text.data());
  }
  state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_ConcatenateDependencies)->Unit(benchmark::kMillisecond);

void BM_GenerateKmakeText(benchmark::State& state) {
  MakefileWorld& world = TheWorld();
  size_t bytes = 0;
  for (auto _ : state) {
    std::string text;
    OutputPlan plan;
    GenerateKmakeText(world.workspace(), world.states(), world.project(), &world.cpus(), NormalMode,
                      std::nullopt, false, &text, &plan);
    bytes = text.size();
  }
  state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_GenerateKmakeText)->Unit(benchmark::kMillisecond);

void BM_GenerateKmakeFile(benchmark::State& state) {
  MakefileWorld& world = TheWorld();
  for (auto _ : state) {
    GenerateKmakeFile(world.workspace(), world.states(), &world.cpus(),
                      std::string_view("C:\\bench\\Bench.mak"),
                      world.project().paths().project_file, NormalMode, std::nullopt, false);
  }
}
BENCHMARK(BM_GenerateKmakeFile)->Unit(benchmark::kMillisecond);

std::string GnuText(bool host, bool prepare_disk) {
  MakefileWorld& world = TheWorld();
  GnuMakefileOptions options;
  options.host_paths = host;
  OutputPlan plan;
  if (prepare_disk) options.plan = &plan;
  std::string text;
  GenerateGnuMakefileText(world.workspace(), world.states(), world.project(), &world.cpus(),
                          options, &text);
  (void)ApplyOutputPlan(*world.workspace().platform().fs, plan);
  return text;
}

void BM_GenerateGnuText(benchmark::State& state) {
  size_t bytes = 0;
  for (auto _ : state)
    bytes = GnuText(false, false).size();
  state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_GenerateGnuText)->Unit(benchmark::kMillisecond);

void BM_GenerateGnuHostText(benchmark::State& state) {
  GnuText(true, true);  // the command records exist, as after a build
  size_t bytes = 0;
  for (auto _ : state)
    bytes = GnuText(true, true).size();
  state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_GenerateGnuHostText)->Unit(benchmark::kMillisecond);

void BM_MakeDryRun(benchmark::State& state) {
  MakefileWorld& world = TheWorld();
  std::string make = FindProgramOnPath("make", "/usr/bin:/bin");
  if (make.empty()) {
    state.SkipWithError("GNU make is not installed");
    return;
  }
  std::string makefile = world.dir() + "/bench/gnu.mak";
  WriteFileAtomic(*world.workspace().platform().fs, "C:\\bench\\gnu.mak", GnuText(true, true));
  for (auto _ : state) {
    std::string output, error;
    int status = 0;
    if (!RunChildProcess({make, {"-n", "-f", makefile, "CFG=Debug", "all"}, world.dir(), {}},
                         &output, &status, &error) ||
        status != 0) {
      state.SkipWithError(("make -n failed: " + error + output.substr(0, 500)).c_str());
    }
  }
}
BENCHMARK(BM_MakeDryRun)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_CompileCommands(benchmark::State& state) {
  MakefileWorld& world = TheWorld();
  size_t bytes = 0;
  for (auto _ : state) {
    bytes = BuildCompileCommands(world.workspace(), world.states(), {&world.project()},
                                 &world.cpus(), std::nullopt)
                .size();
  }
  state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_CompileCommands)->Unit(benchmark::kMillisecond);

void BM_CommandProjects(benchmark::State& state) {
  MakefileWorld& world = TheWorld();
  for (auto _ : state) {
    if (!world.Command("projects")) state.SkipWithError("zelvan projects failed");
  }
}
BENCHMARK(BM_CommandProjects)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_CommandMakefile(benchmark::State& state) {
  MakefileWorld& world = TheWorld();
  for (auto _ : state) {
    if (!world.Command("makefile Bench")) state.SkipWithError("zelvan makefile failed");
  }
}
BENCHMARK(BM_CommandMakefile)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
}  // namespace zelvan
