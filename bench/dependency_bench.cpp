// Include-dependency analysis on a generated tree of 5,000 sources and
// 1,000 headers on disk (include_tree_generator.h), each measurement beside
// the plain file-system work it should stay close to:
//
//   BM_ReadEveryFileOnce        every byte of every file read once
//   BM_ParseEveryFileOnce       the same, and the include lines found (the
//                               part of the scan that no caching can save)
//   BM_ScanAllSourcesTwoTargets the include scan of every source for two
//                               targets (aim: within 3 times the read)
//   BM_ScanAllSourcesTwoTargetsRefs  the same, records as references (as
//                               the refresh takes them)
//   BM_StatEveryFileOnce        the modification time of every file, once
//   BM_StalenessNothingChanged  the staleness test of every record for two
//                               targets with nothing changed, after an
//                               earlier refresh (aim: within 2 times the
//                               stat pass)
//   BM_StalenessFirstPass       the same with a new cache
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "bench/include_tree_generator.h"
#include "dependencies/dependency_output.h"
#include "dependencies/dependency_staleness.h"
#include "dependencies/include_file_cache.h"
#include "dependencies/include_scanner.h"
#include "model/dependency_record.h"
#include "platform/file_system.h"
#include "platform/posix_file_system.h"
#include "platform/ui_hooks.h"
#include "storage/time_stamp.h"
#include "tests/support/temp_dir.h"

namespace {

using zelvan::bench::GeneratedTree;

class CountingOutput : public zelvan::DependencyOutput {
 public:
  void WriteOutputLine(std::string_view, int) override { ++lines; }
  void WriteOutputLineAt(std::string_view, std::string_view, int, std::string_view, int) override {
    ++lines;
  }
  size_t lines = 0;
};

class NoUi : public zelvan::UiHooks {
 public:
  int MessageBox(std::string_view, std::string_view, unsigned) override { return 1; }
  std::string LoadString(unsigned id) override { return "message " + std::to_string(id); }
};

const char* const kTargets[] = {"Debug", "Release"};

// The tree on disk, made once for all benchmarks: drive C: is the
// temporary directory.
struct World {
  World() {
    tree = zelvan::bench::GenerateIncludeTree({}, "C:\\bench\\");
    for (const auto& file : tree.files) {
      std::string relative = file.path.substr(3);
      for (char& c : relative) {
        if (c == '\\') c = '/';
      }
      dir.WriteFile(relative, file.text);
    }
    zelvan::HostPathMap map;
    map.drives['C'] = dir.path();
    fs = std::make_unique<zelvan::PosixFileSystem>(map, dir.path());
  }

  // Records as the per-file step stores them: relative to the project
  // directory, stamped after the scan.
  void ComputeRecords() {
    if (!records.empty()) return;
    zelvan::LocalTime newest;
    for (const auto& file : tree.files) {
      zelvan::FileStatus status;
      fs->Stat(file.path, &status);
      if (zelvan::FormatTimeStamp(status.mtime_local) > zelvan::FormatTimeStamp(newest)) {
        newest = status.mtime_local;
      }
    }
    std::string stamp = zelvan::FormatTimeStamp(newest);
    CountingOutput out;
    NoUi ui;
    zelvan::IncludeScanner scanner(*fs, ui, out);
    scanner.SetBaseDirectory(tree.root);
    records.resize(tree.sources.size());
    for (size_t s = 0; s < tree.sources.size(); ++s) {
      for (const char* target : kTargets) {
        std::vector<std::string> paths, forms;
        scanner.ScanIncludes(tree.sources[s], zelvan::kScanKindC, tree.include_dirs, {}, &paths,
                             &forms);
        for (std::string& path : paths) {
          if (path.compare(0, tree.root.size(), tree.root) == 0) path.erase(0, tree.root.size());
        }
        zelvan::DependencyRecord record(target);
        record.SetDependencies(paths_table, paths, forms);
        record.set_stamp(stamp);
        records[s].push_back(std::move(record));
      }
      relative_sources.push_back(tree.sources[s].substr(tree.root.size()));
    }
  }

  zelvan::testing::TempDir dir;
  GeneratedTree tree;
  zelvan::TextTable paths_table;
  std::unique_ptr<zelvan::PosixFileSystem> fs;
  std::vector<std::vector<zelvan::DependencyRecord>> records;
  std::vector<std::string> relative_sources;
};

World& TheWorld() {
  static World world;
  return world;
}

void BM_ReadEveryFileOnce(benchmark::State& state) {
  World& world = TheWorld();
  std::string text;
  for (auto _ : state) {
    size_t bytes = 0;
    for (const auto& file : world.tree.files) {
      world.fs->ReadFile(file.path, &text);
      bytes += text.size();
    }
    benchmark::DoNotOptimize(bytes);
  }
  state.counters["files"] = static_cast<double>(world.tree.files.size());
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * world.tree.total_bytes));
}
BENCHMARK(BM_ReadEveryFileOnce)->Unit(benchmark::kMillisecond);

void BM_ParseEveryFileOnce(benchmark::State& state) {
  World& world = TheWorld();
  for (auto _ : state) {
    zelvan::IncludeFileCache cache(*world.fs);
    size_t lines = 0;
    for (const auto& file : world.tree.files) {
      lines += cache.Lines(file.path, zelvan::IncludeReading::kC)->size();
    }
    benchmark::DoNotOptimize(lines);
  }
}
BENCHMARK(BM_ParseEveryFileOnce)->Unit(benchmark::kMillisecond);

// Scans every source for both targets in each iteration; `scan_one` scans
// one source and gives its number of records.
template <typename ScanOne>
void ScanAllSources(benchmark::State& state, ScanOne scan_one) {
  World& world = TheWorld();
  CountingOutput out;
  NoUi ui;
  zelvan::IncludeScanner scanner(*world.fs, ui, out);
  zelvan::IncludeScanOptions options;
  options.report_unresolved = true;
  size_t records = 0;
  for (auto _ : state) {
    scanner.BeginRefresh(false);
    scanner.SetIncludeStyle("MX-310/P");
    scanner.SetBaseDirectory(world.tree.root);
    records = 0;
    for (const char* target : kTargets) {
      options.title = target;
      for (const std::string& source : world.tree.sources)
        records += scan_one(scanner, source, world.tree.include_dirs, options);
    }
    benchmark::DoNotOptimize(records);
  }
  zelvan::IncludeScanner::Stats stats = scanner.stats();
  state.counters["records"] = static_cast<double>(records);
  state.counters["file_scans"] = static_cast<double>(stats.file_scans);
  state.counters["files_read"] = static_cast<double>(stats.files_read);
  state.counters["exists_checks"] = static_cast<double>(stats.existence_checks);
}

void BM_ScanAllSourcesTwoTargets(benchmark::State& state) {
  std::vector<std::string> paths, forms;
  ScanAllSources(
      state, [&](zelvan::IncludeScanner& scanner, const std::string& source,
                 const std::vector<std::string>& dirs, const zelvan::IncludeScanOptions& options) {
        scanner.ScanIncludes(source, zelvan::kScanKindC, dirs, options, &paths, &forms);
        return paths.size();
      });
}
BENCHMARK(BM_ScanAllSourcesTwoTargets)->Unit(benchmark::kMillisecond);

// The same scan with the records as references, as the refresh takes them.
void BM_ScanAllSourcesTwoTargetsRefs(benchmark::State& state) {
  std::vector<int> refs;
  std::string forms;
  ScanAllSources(
      state, [&](zelvan::IncludeScanner& scanner, const std::string& source,
                 const std::vector<std::string>& dirs, const zelvan::IncludeScanOptions& options) {
        scanner.ScanIncludeRefs(source, zelvan::kScanKindC, dirs, options, &refs, &forms);
        return refs.size();
      });
}
BENCHMARK(BM_ScanAllSourcesTwoTargetsRefs)->Unit(benchmark::kMillisecond);

void BM_StatEveryFileOnce(benchmark::State& state) {
  World& world = TheWorld();
  for (auto _ : state) {
    size_t found = 0;
    for (const auto& file : world.tree.files) {
      zelvan::FileStatus status;
      found += world.fs->Stat(file.path, &status);
    }
    benchmark::DoNotOptimize(found);
  }
}
BENCHMARK(BM_StatEveryFileOnce)->Unit(benchmark::kMillisecond);

// A refresh with nothing changed after another one: the modification
// times are asked for again, the lists are known by their ids.
void BM_StalenessNothingChanged(benchmark::State& state) {
  World& world = TheWorld();
  world.ComputeRecords();
  zelvan::ModificationTimeCache times(*world.fs);
  times.SetBaseDirectory(world.tree.root);
  size_t checked = 0;
  for (auto _ : state) {
    times.BeginRefresh();
    size_t stale = 0;
    checked = 0;
    for (const char* target : kTargets) {
      for (size_t s = 0; s < world.relative_sources.size(); ++s) {
        stale +=
            zelvan::IsDependencyStale(world.records[s], target, world.relative_sources[s], times);
        checked += world.records[s][0].size() + 1;
      }
    }
    if (stale != 0) state.SkipWithError("a record is stale although nothing changed");
    benchmark::DoNotOptimize(stale);
  }
  state.counters["checks"] = static_cast<double>(checked);
  state.counters["stats"] = static_cast<double>(times.stat_calls()) / state.iterations();
}
BENCHMARK(BM_StalenessNothingChanged)->Unit(benchmark::kMillisecond);

// The first refresh of a new cache: every path id is made a full path once.
void BM_StalenessFirstPass(benchmark::State& state) {
  World& world = TheWorld();
  world.ComputeRecords();
  for (auto _ : state) {
    zelvan::ModificationTimeCache times(*world.fs);
    times.SetBaseDirectory(world.tree.root);
    size_t stale = 0;
    for (const char* target : kTargets) {
      for (size_t s = 0; s < world.relative_sources.size(); ++s) {
        stale +=
            zelvan::IsDependencyStale(world.records[s], target, world.relative_sources[s], times);
      }
    }
    if (stale != 0) state.SkipWithError("a record is stale although nothing changed");
    benchmark::DoNotOptimize(stale);
  }
}
BENCHMARK(BM_StalenessFirstPass)->Unit(benchmark::kMillisecond);

}  // namespace
