// The include scanner: the list of files that one source includes, directly
// or through other headers, found by reading whole lines (no preprocessor:
// conditionals are ignored, every include line counts).
//
// One scan ("run") starts at an outermost source. Found files are scanned
// in turn, depth first; each resolved path is recorded once per run in
// discovery order, with its form ("1" quoted, "0" angle); an include found
// nowhere is recorded with a guessed path and reported. Its parts:
//
//   IncludeSearch    (include_search.h)    where an include is looked for
//   IncludeGraph     (include_graph.h)     the scan, memoised for a refresh
//   IncludeWarnings  (include_warnings.h)  the status lines of a run
//   IncludeFileCache (include_file_cache.h) the include lines of each file
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "dependencies/include_file_cache.h"
#include "dependencies/include_graph.h"
#include "dependencies/include_search.h"
#include "dependencies/include_warnings.h"

namespace zelvan {

class DependencyOutput;
class ReadOnlyFileSystem;
class UiHooks;

// All state lives in the object: scanners do not share anything, so two of
// them may work at the same time (on a file system that allows it). One
// object serves one refresh at a time.
class IncludeScanner {
 public:
  // `fs`, `ui` and `output` must outlive the scanner.
  IncludeScanner(ReadOnlyFileSystem& fs, UiHooks& ui, DependencyOutput& output);
  IncludeScanner(const IncludeScanner&) = delete;
  IncludeScanner& operator=(const IncludeScanner&) = delete;

  // Starts a refresh: both warnings ("W-007-D000:", "W-007-D003:") are due
  // again, the unresolved count is 0, and what the last refresh learnt about
  // files is forgotten. Within a refresh, files are taken as they were when
  // first looked at. A new scanner starts as after BeginRefresh(false).
  void BeginRefresh(bool update_dependency_file);

  // Sets `IncludeStyle` from a CPU family; a family without a style of its
  // own leaves the current one. Returns the style now in force.
  int SetIncludeStyle(std::string_view cpu_family);
  void set_include_style(int style) { search_.set_style(style); }
  int include_style() const { return search_.style(); }
  // The project directory; relative candidates are completed with it.
  void SetBaseDirectory(std::string_view dir) { search_.SetBaseDirectory(dir); }
  // The first include directory of the project's toolchain: the guess for
  // an unresolved angle include when the caller gave no directories.
  void SetToolchainIncludeDirectory(std::string_view dir) {
    search_.SetToolchainIncludeDirectory(dir);
  }

  // Scans one source of scan kind `scan_kind` (kScanKind...) with the
  // caller's search directories. `paths` and `forms` are replaced by the
  // records in discovery order ("1" quoted, "0" angle). Sources of kind 0,
  // and sources that cannot be read, give no records. Always true.
  bool ScanIncludes(std::string_view source, int scan_kind, std::vector<std::string> search_list,
                    const IncludeScanOptions& options, std::vector<std::string>* paths,
                    std::vector<std::string>* forms);

  // The same scan, with the records as references instead of texts: `refs`
  // receives one per record (RecordPath gives its path), `forms` one
  // character per record ('1' quoted, '0' angle). A refresh that stores
  // thousands of lists works on each distinct path once. References stay
  // valid until BeginRefresh; each names one path (exact text) and lies in
  // [-guess_count(), node_count()).
  bool ScanIncludeRefs(std::string_view source, int scan_kind, std::vector<std::string> search_list,
                       const IncludeScanOptions& options, std::vector<int>* refs,
                       std::string* forms);

  // The same scan with the run's notes handed back instead of written: a
  // scanner on another thread scans, and the refresh's own scanner writes
  // the lines (Report) when the refresh comes to the run. The notes view
  // data of this scanner and stay valid until its BeginRefresh.
  bool ScanIncludeRefs(std::string_view source, int scan_kind, std::vector<std::string> search_list,
                       const IncludeScanOptions& options, std::vector<int>* refs,
                       std::string* forms, std::vector<IncludeNote>* notes);
  // Writes the lines of a run scanned by another scanner, as if scanned here.
  void Report(std::span<const IncludeNote> notes, const IncludeScanOptions& options,
              std::string_view source) {
    warnings_.Report(notes, options, source);
  }

  // Whether a source scanned again under the same search list gives its
  // first run again (the default) or is scanned anew: see
  // IncludeGraph::set_keep_runs.
  void set_keep_runs(bool keep) { graph_.set_keep_runs(keep); }
  std::string_view RecordPath(int ref) const { return search_.RecordPath(ref); }
  size_t node_count() const { return search_.node_count(); }
  size_t guess_count() const { return search_.guess_count(); }

  // Unresolved includes reported since BeginRefresh.
  int unresolved_count() const { return warnings_.unresolved_count(); }
  // Whether the last run stopped a branch at the nesting limit.
  bool last_run_hit_limit() const { return last_run_hit_limit_; }

  // Work done since BeginRefresh, for tests and benchmarks.
  struct Stats {
    size_t file_scans = 0;     // files whose include lines were walked
    size_t runs_replayed = 0;  // runs answered from an earlier run
    size_t files_read = 0;
    size_t existence_checks = 0;
  };
  Stats stats() const;

 private:
  // Scans or gives again a run and writes its lines (or, given `notes`,
  // hands back its notes); false for a kind that is not scanned.
  bool Run(std::string_view source, int scan_kind, std::vector<std::string> search_list,
           const IncludeScanOptions& options, IncludeGraph::Records* records,
           std::vector<IncludeNote>* notes = nullptr);

  // "<source> > <header> > ...": a chain of includes from the run's source
  // longer than the nesting limit, cut after the first file it meets again;
  // host paths.
  std::string DeepChain(std::string_view source, const IncludeSearch::Run& run);
  // The files that `node`'s include lines find, worked out once a search.
  const std::vector<int>& IncludedBy(int node, IncludeReading reading);
  bool ChainFrom(int node, int need, IncludeReading reading, std::vector<int>* chain);

  ReadOnlyFileSystem& fs_;
  IncludeFileCache files_;
  IncludeSearch search_;
  IncludeGraph graph_;
  IncludeWarnings warnings_;
  bool last_run_hit_limit_ = false;
  std::vector<IncludeNote> notes_;
  // The chain of the refresh's first run that went too deep (one is shown),
  // and, while DeepChain searches, the files each file includes and the
  // shortest remaining length known not to be reachable below each file.
  bool chain_found_ = false;
  std::string chain_;
  std::unordered_map<int, std::vector<int>> included_by_;
  std::unordered_map<int, int> too_short_;
};

}  // namespace zelvan
