// The include scanner: the list of files that one source includes, directly
// or through other headers, found by reading whole lines (no preprocessor:
// conditionals are ignored, every include line counts).
//
// One scan ("run") starts at an outermost source. Its search list holds the
// source's directory at positions 0 and 1, then the caller's directories. A
// quoted include is looked up from position 0, an angle include from
// position 2, so never in the source's own directory. Found files are
// scanned in turn, depth first; each resolved path is recorded once per run
// in discovery order, with its form ("1" quoted, "0" angle). An include that
// is found nowhere is recorded with a guessed path, unless the refresh runs
// with `UpdateDependencyFile` set.
//
// Include styles, from the CPU family:
//   0 "MX-310/P", "MX-310/P1"  in assembler macro sources, a quoted include
//                              inside an included file skips the source's
//                              directory (starts at position 2)
//   1 "MX-520"                 in assembler macro sources, a quoted include
//                              starts at position 1
//   2 "MR44"                   as 0 for the depth limit only
//   3 "MR44A"                  while a C file is scanned, position 1 holds
//                              that file's directory (the outer entry is
//                              saved on a stack and restored afterwards)
//
// Nesting is limited: 255, or 8 in assembler sources (scan kind 3), or 31 in
// C sources under styles 0 and 2. Beyond the limit a branch stops and the
// warning "W-007-D003:" is written once per refresh.
//
// How the scan avoids the work that the plain recursion does. The plain
// recursion rescans a header every time it is included and relies on the
// depth limit to end cycles, so diamond-shaped include graphs cost
// exponential time. This scanner gives exactly the same records (paths,
// forms, order, guesses) and the same nesting-limit decisions:
//   - What a scan of file F at depth d records depends only on F and d: the
//     search for F's includes does not change while F is scanned. As a
//     set it is every file within (limit - d) includes of F, and the guesses
//     of every file scanned; the limit is reached exactly when a chain of
//     includes below F is longer than (limit - d) (endless below a cycle).
//   - So a file whose whole tree fits below the limit records the same at
//     every depth, in the same order: its closure, worked out once per
//     search context and refresh, stands for its scan.
//   - A file already met in the run at a depth where its tree fitted is
//     skipped (all its records are there). A file whose scan at d0 reached
//     the limit is skipped at depths d >= d0, and at shallower depths when
//     that scan already reached every file below it (the largest distance
//     to a file below is at most limit - d0); otherwise it is scanned again,
//     as a shallower scan can reach further.
//   - A file met again while it is still being scanned lies on a cycle; it
//     is scanned again, as the plain recursion does, because the order in
//     which the limit cuts the repeated cycle decides the order of records.
//     The skips above keep that repetition to the files on the cycle.
//   - A source scanned again under the same context (mostly: for the next
//     target) gives the records and lines of its first run again.
//   - Include lines are parsed once per file and refresh, and the search
//     for each include line is done once per search context (same search
//     list, base directory and style) and refresh; file-existence checks
//     are cached for the refresh (IncludeFileCache).
//   - Contexts that differ only in the source's directory (positions 0 and
//     1) share what that directory does not decide: a file's searches when
//     none of them finds a file there or guesses a path there (checked
//     with one look into the directory's listing per line and context),
//     and the height, reach and closure of a file when that holds for
//     every file below it. So the sources of a hundred module directories
//     work out the tree of the shared headers once.
// What does change: an unresolved include in a header reached along
// several paths is warned once per including file and run, not once per
// path, and counted once.
//
// Paths have Windows form. A candidate that is not a full path (no drive,
// no "\\server", no leading "\") is completed with the base directory; on
// this platform a rooted path ("\src\a.h") names the host's root and is
// full. An empty search entry stands for the base directory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "analysis/include_file_cache.h"
#include "storage/text_table.h"

namespace zelvan {

class DependencyOutput;
class FileSystem;
class UiHooks;

// Scan kinds of the language table: which scanner reads a source.
inline constexpr int kScanKindNone = 0;
inline constexpr int kScanKindC = 1;
inline constexpr int kScanKindCcl = 2;
inline constexpr int kScanKindAssembler = 3;
inline constexpr int kScanKindAssemblerMacro = 4;

// The include style of a CPU family (compared without regard to case), or
// `previous` for a family that has none of its own.
int IncludeStyleForCpu(std::string_view cpu_family, int previous);

// What a caller of ScanIncludes asks for besides the records.
struct IncludeScanOptions {
  // Unresolved includes are reported ("W-007-D000:", "I-007-1300:",
  // "W-007-D001:") and counted.
  bool report_unresolved = false;
  // Angle-bracket includes are ignored altogether.
  bool skip_system_includes = false;
  // When not empty, the first unresolved include of a run is preceded by
  // "I-007-1300:" + title + " - (" + source + ")".
  std::string title;
};

// All state lives in the object: scanners do not share anything, so two of
// them may work at the same time. One object serves one refresh at a time.
class CIncludeScanner {
 public:
  // `fs`, `ui` and `output` must outlive the scanner.
  CIncludeScanner(FileSystem& fs, UiHooks& ui, DependencyOutput& output);
  ~CIncludeScanner();
  CIncludeScanner(const CIncludeScanner&) = delete;
  CIncludeScanner& operator=(const CIncludeScanner&) = delete;

  // Starts a refresh: both warnings ("W-007-D000:", "W-007-D003:") are due
  // again, the unresolved count is 0, and what the last refresh learnt about
  // files is forgotten. Within a refresh, files are taken as they were when
  // first looked at. A new scanner starts as after BeginRefresh(false).
  void BeginRefresh(bool update_dependency_file);

  // Sets `IncludeStyle` from a CPU family; a family without a style of its
  // own leaves the current one. Returns the style now in force.
  int SetIncludeStyle(std::string_view cpu_family);
  void set_include_style(int style) { style_ = style; }
  int include_style() const { return style_; }
  // The project directory; relative candidates are completed with it.
  void SetBaseDirectory(std::string_view dir);
  // The first include directory of the project's toolchain: the guess for
  // an unresolved angle include when the caller gave no directories.
  void SetToolchainIncludeDirectory(std::string_view dir) { toolchain_include_ = dir; }

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
  std::string_view RecordPath(int ref) const;
  size_t node_count() const;
  size_t guess_count() const { return guesses_.size(); }

  // Unresolved includes reported since BeginRefresh.
  int unresolved_count() const { return unresolved_count_; }
  // Whether the last run stopped a branch at the nesting limit.
  bool last_run_hit_limit() const { return run_hit_limit_; }

  // Work done since BeginRefresh, for tests and benchmarks.
  struct Stats {
    size_t file_scans = 0;     // files whose include lines were walked
    size_t runs_replayed = 0;  // runs answered from an earlier run
    size_t files_read = 0;
    size_t existence_checks = 0;
  };
  Stats stats() const;

 private:
  // What a finished scan of a file tells its includer.
  struct ScanResult {
    bool hit_limit = false;  // some branch below stopped at the limit
    int height = 0;          // longest chain of includes below, when !hit_limit
  };
  struct Node;
  struct Context;
  struct Resolved;
  struct CachedRun;
  struct Closure;
  struct Placed;
  // Parts of closures and cached runs (defined with them).
  struct ClosureEntry {
    int ref;
    int record_id;
    char form;
  };
  struct RunEvent {
    int node;  // -1: the nesting limit was reached
    int line;  // index among the node's include lines
  };

  void ResetRun();
  Context& FindContext(IncludeReading reading);
  int NodeFor(std::string_view path);
  int RecordIdFor(std::string_view path);
  // The drive and directory of a file, worked out when first asked for
  // (only the MR44A style needs them).
  const std::string& DirectoryOf(int node);
  const IncludeLines* LinesOf(int node, IncludeReading reading);
  // The data of `node` under the current context (created on first use;
  // the reference stays valid).
  Placed& At(int node);
  const std::span<const Resolved>& Resolve(int node, const IncludeLines& lines, bool outermost);
  // The include graph of the current search context, below the outermost
  // source: the searches of a file's lines (null when it cannot be read),
  // whether a line takes part, the longest chain of includes below a file
  // (kHeightInfinite when a cycle lies below it), and the largest distance
  // from a file to any file below it.
  const std::span<const Resolved>* Edges(int node);
  bool Counts(const IncludeLine& line) const;
  int Height(int node);
  int Reach(int node);
  // Everything a scan of `node` records, for a node of finite height.
  const Closure& ClosureOf(int node);

  // Scans file `node`, which the current depth has reached.
  ScanResult ScanCIncludes(int node);
  ScanResult ScanAsmIncludes(int node);
  ScanResult ScanFile(int node, IncludeReading reading);
  // An include resolved to `node` at the current depth: scans it, or
  // answers from what this run already knows about it.
  ScanResult VisitIncluded(int node, IncludeReading reading);

  // How the name of an include line is searched, worked out once per file.
  struct LineName {
    bool absolute = false;  // drive or leading `\`: taken as it is
    bool plain = false;     // relative, ordinary components (see IsPlainName)
    int32_t exact = -1;     // for a plain name without directory part: its
    int32_t lower = -1;     // id as written and the id of its lower case
  };
  std::span<const LineName> NamesOf(int node, IncludeReading reading);
  // The search for one include line; see the header comment. `node` gets
  // the file found, by its canonical full path; on failure `guess` gets
  // the path to record (empty under `UpdateDependencyFile`).
  // `source_directory` is set when the source's directory decided the
  // result (found there, or the guess lies there).
  bool FindIncludeFile(const IncludeLine& line, const LineName& name, int* node, std::string* guess,
                       bool* source_directory);
  size_t SearchStart(int form) const;
  // Whether search entry `i` holds the directory of the outermost source.
  bool IsSourceDirectoryEntry(size_t i) const;
  // Whether entry `i` holds the file `line` names (see FindIncludeFile);
  // `node` (when given) receives it.
  bool Probe(size_t i, const IncludeLine& line, const LineName& name, int* node);
  // The names of the files in entry directory `i`, by lower-case name id
  // (null when it cannot be listed).
  const std::vector<bool>* EntryNames(size_t i);
  // The file that a bare name with id `exact` names in entry `i`.
  int FoundNode(size_t i, std::string_view name, int32_t exact);
  // Whether the source's directory holds a file that one of the lines of
  // `node` names where the search looks there.
  bool InSourceDirectory(int node, const IncludeLines& lines);
  // The searches of the lines of `node`, and whether the source's
  // directory decided any.
  std::span<const Resolved> Search(int node, const IncludeLines& lines, bool* source_directory);
  // Whether the source's directory decides anything in the tree below
  // `node` (kHomeOwn) or not (kHomeShared: its data is the tail's).
  uint8_t TreeHome(int node);
  Placed& SlotOf(Context& context, int node);
  std::string CompletePath(std::string_view dir, std::string_view name) const;
  // Appends a path unless the run has recorded it; false when it had.
  // `ref` names the path: a node id, or -1 - the index of a guess; `form`
  // is '1' or '0'.
  bool RecordDependency(char form, int ref, int record_id);
  // Scans a source, or gives its run again; the records of the run (null
  // for a source that is not scanned).
  const CachedRun* Run(std::string_view source, int scan_kind, std::vector<std::string> search_list,
                       const IncludeScanOptions& options);
  // Writes the lines of an earlier run again.
  void Replay(const CachedRun& run, IncludeReading reading);
  // Checks the current depth against the limit; beyond it writes the
  // nesting warning (once per refresh) and fails.
  bool CheckIncludeDepth(bool assembler);
  int DepthLimit(bool assembler) const;
  // The nesting limit was reached (reported once per refresh), and an
  // include was not found (reported once per line and run when asked for).
  void NoteNestingLimit();
  void NoteUnresolved(int node, size_t line_index, const IncludeLine& line);

  FileSystem& fs_;
  UiHooks& ui_;
  DependencyOutput& output_;
  IncludeFileCache files_;

  // Refresh state.
  bool update_dependency_file_ = false;
  bool unresolved_pending_ = true;
  bool nesting_pending_ = true;
  int unresolved_count_ = 0;
  size_t file_scans_ = 0;
  size_t runs_replayed_ = 0;

  // Scanner state.
  int style_ = 0;
  std::string base_directory_;
  std::string toolchain_include_;
  std::vector<std::string> search_;
  std::vector<std::string> saved_entries_;  // MR44A: outer position-1 entries
  int depth_ = 0;
  bool assembler_flag_ = false;

  // The current run.
  uint32_t run_ = 0;
  Context* context_ = nullptr;
  const IncludeScanOptions* options_ = nullptr;
  std::string source_;
  bool recording_ = false;  // a run is scanned (not given again)
  bool title_written_ = false;
  bool run_hit_limit_ = false;
  std::unordered_set<uint64_t> warned_lines_;  // node << 32 | line index

  // Files met this refresh, by path as found (exact spelling), and the
  // record identity of paths (lower case).
  std::vector<Node> nodes_;
  TextTable node_paths_;    // by node id
  TextTable record_paths_;  // lower case, by record id
  TextTable guesses_;       // by guess id
  std::string guess_;       // Search's buffers
  std::string lower_buffer_;
  std::vector<uint32_t> recorded_in_run_;  // by record id
  std::string candidate_;                  // FindIncludeFile's buffer
  // Include names by id, the names in each directory listing, and the file
  // found for a name in a directory (by directory id << 32 | exact name id).
  TextTable exact_names_;
  TextTable lower_names_;
  std::unordered_map<const IncludeFileCache::Listing*, std::vector<bool>> listing_names_;
  TextTable dir_ids_;
  IdMap found_nodes_;
  // The runs so far, and their records and events, one after the other.
  std::vector<CachedRun> runs_;
  std::vector<int> run_records_;
  std::string run_forms_;
  std::vector<RunEvent> run_events_;
  std::vector<uint32_t> bfs_mark_;  // by node, for Reach
  uint32_t bfs_generation_ = 0;
  std::vector<uint32_t> closure_mark_;  // by record id, for ClosureOf
  std::vector<ClosureEntry> closure_entries_;
  std::vector<RunEvent> closure_events_;
  struct PlacedStore;
  std::unique_ptr<PlacedStore> placed_;  // files under contexts, see Context::slots
  uint32_t closure_generation_ = 0;
  std::unordered_map<std::string, std::unique_ptr<Context>> contexts_;
  std::string context_key_;  // FindContext's buffer
  Context* last_context_ = nullptr;
  std::string last_context_key_;
  std::unordered_map<std::string, std::unique_ptr<Context>> tails_;
};

}  // namespace zelvan
