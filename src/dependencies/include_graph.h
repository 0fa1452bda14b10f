// The include graph of a refresh, memoised: what a scan of a file records,
// worked out once and given again, with exactly the records (paths, forms,
// order, guesses) and nesting-limit decisions of the plain recursion that
// rescans a header every time it is included and relies on the depth limit
// to end cycles (diamond-shaped include graphs cost it exponential time):
//
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
//   - A file met again while it is still being scanned lies on a cycle;
//     the order in which the limit cuts the repeated cycle decides the
//     order of records. What a scan of file F at depth d records in a run
//     of its own (from scratch) is a list that depends only on F and d; a
//     scan within a run records that list less what the run has recorded
//     before (first occurrences stay first occurrences), and notes its
//     notes less those noted. So the scan from scratch is worked out once
//     per context, in a run nested in the current one, and given again
//     wherever F is met at depth d below a cycle, rather than the cycle
//     being scanned round and round down to the limit by every run.
//     Nested runs go 32 deep at most; deeper, the cycle is scanned again.
//     The skips above keep that repetition to the files on the cycle.
//   - A source scanned again under the same context (mostly: for the next
//     target) gives the records and notes of its first run again.
//   - A file that a source includes and that has a cycle below it (its
//     records depend on where the limit cuts the cycle, so no closure
//     stands for it) records at depth 1 what it records for any source of
//     the context: that is worked out once, in a run of its own before the
//     source's, and given again to every source that includes it. On real
//     trees nearly every source reaches a cycle.
//   - The search for each include line is done once per search context and
//     refresh (IncludeSearch), the include lines of a file are read once
//     (IncludeFileCache).
//   - Contexts that differ only in the source's directory share what that
//     directory does not decide: a file's searches when none of them finds
//     a file there or guesses a path there (checked with one look into the
//     directory's listing per line and context), and the height, reach and
//     closure of a file when that holds for every file below it. So the
//     sources of a hundred module directories work out the tree of the
//     shared headers once.
//
// What does change: an unresolved include in a header reached along
// several paths is noted once per including file and run, not once per
// path.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "dependencies/include_search.h"

namespace zelvan {

class IncludeGraph {
 public:
  // `search` must outlive the graph.
  explicit IncludeGraph(IncludeSearch& search);
  ~IncludeGraph();
  IncludeGraph(const IncludeGraph&) = delete;
  IncludeGraph& operator=(const IncludeGraph&) = delete;

  // Forgets the refresh's graph; the memory serves again.
  void BeginRefresh();

  // A note of a run: an unresolved include line (the including file's node
  // and the line's index among its include lines), or (node -1) the
  // nesting limit.
  struct Event {
    int node;
    int line;
  };
  // The records of a run: record references (IncludeSearch::RecordPath),
  // one form character each ('1' quoted, '0' angle), its notes in the order
  // they were met, and whether a branch stopped at the nesting limit. Valid
  // until the next Scan.
  struct Records {
    std::span<const int> refs;
    std::string_view forms;
    std::span<const Event> events;
    bool hit_limit = false;
  };
  // Scans the source of a run that `search` has set up, or gives its
  // earlier run under the same context again.
  Records Scan(const IncludeSearch::Run& run);
  // Whether runs are kept to be given again (the default). A refresh of
  // one target scans each source once: keeping its runs costs time and
  // memory for nothing.
  // Runs kept so far are forgotten when keeping stops.
  void set_keep_runs(bool keep);

  size_t file_scans() const { return file_scans_; }
  size_t runs_replayed() const { return runs_replayed_; }

 private:
  // What a finished scan of a file tells its includer.
  struct ScanResult {
    bool hit_limit = false;  // some branch below stopped at the limit
    int height = 0;          // longest chain of includes below, when !hit_limit
  };
  struct Memo;
  struct RunState;
  struct Revisit;
  struct Context;
  struct CachedRun;
  struct Closure;
  struct Placed;
  struct PlacedStore;
  struct EntryStore;
  struct ClosureEntry {
    int ref;
    int record_id;
    char form;
  };

  void ResetRun();
  Context& ContextAt(std::vector<std::unique_ptr<Context>>& list, int index);
  Memo& MemoOf(int node);
  // The data of `node` under a context, created on first use (the
  // reference stays valid).
  Placed& SlotOf(Context& context, int node);
  // The same under the current context, in the tail where it is shared.
  Placed& At(int node);
  const std::span<const IncludeResolved>& Resolve(int node, const IncludeLines& lines,
                                                  bool outermost);
  // Whether the source's directory decides anything in the tree below
  // `node` (kHomeOwn) or not (kHomeShared: its data is the tail's).
  uint8_t TreeHome(int node);
  // A table of searches is kept in the tail: the names it looks for in the
  // source's directory are noted there.
  void NoteTailTable(int node, const IncludeLines& lines);
  // Whether the source's directory holds none of the names that the
  // tail's tables look for there: then it decides none of their searches.
  bool Clean();
  // Whether every file below `node` has its searches in the tail.
  bool TailComplete(int node);
  // The include graph of the current context below the outermost source:
  // the searches of a file's lines (null when it cannot be read), the
  // longest chain of includes below a file (kHeightInfinite when a cycle
  // lies below it), and the largest distance from a file to any below it.
  const std::span<const IncludeResolved>* Edges(int node);
  int Height(int node);
  int Reach(int node);
  // The same, worked out (Height and Reach keep the answers by file).
  int HeightOf(int node);
  int ReachOf(int node);
  // Everything a scan of `node` records, for a node of finite height.
  const Closure& ClosureOf(int node);
  // Works out, each in a run of its own, what a scan of each file that the
  // outermost source `node` includes records at depth 1, where a cycle lies
  // below it (its closure cannot stand for it).
  void ScanDirectIncludes(int node);

  // Scans file `node`, which the current depth has reached.
  ScanResult ScanCIncludes(int node);
  ScanResult ScanFile(int node, IncludeReading reading);
  // An include resolved to `node` at the current depth: scans it, or
  // answers from what this run already knows about it.
  ScanResult VisitIncluded(int node, IncludeReading reading);
  // The same where the run knows nothing that settles it (`radius`: how
  // many levels the limit leaves below the file).
  ScanResult VisitUnknown(int node, IncludeReading reading, int radius);
  // Scans `node`, marked in the run as being scanned meanwhile.
  ScanResult ScanMarked(int node, IncludeReading reading);
  // What a scan of `node` at the current depth records in a run of its
  // own, worked out in a run nested in the current one.
  Revisit ScanFromScratch(int node, IncludeReading reading);
  // Records and notes what a list kept in direct_entries_ and
  // direct_events_ holds, less what the run has recorded and noted.
  void Replay(const Closure& list);
  // Moves the records and events of the run from the given positions on
  // into direct_entries_ and direct_events_.
  Closure KeepRecords(size_t records_begin, size_t events_begin);
  // Appends a record unless the run has recorded its path; false when it
  // had. `ref` names the path (a node id, or -1 - a guess id), `form` is
  // '1' or '0'.
  bool RecordDependency(char form, int ref, int record_id);
  // Checks the current depth against the limit; beyond it notes the limit.
  bool CheckIncludeDepth(bool assembler);
  void NoteNestingLimit();
  void NoteUnresolved(int node, size_t line_index);

  IncludeSearch& search_;
  bool keep_runs_ = true;
  size_t file_scans_ = 0;
  size_t runs_replayed_ = 0;

  // The current run, and how many runs were started (runs nested in one
  // another, see ScanFromScratch, have ids in the order they started).
  uint32_t run_ = 0;
  uint32_t runs_started_ = 0;
  Context* context_ = nullptr;
  Context* tail_ = nullptr;
  IncludeReading reading_ = IncludeReading::kC;
  bool run_hit_limit_ = false;
  std::unordered_set<uint64_t> warned_lines_;  // node << 32 | line index
  std::vector<uint32_t> recorded_in_run_;      // by record id

  std::vector<Memo> memo_;  // by node
  // Runs put aside by nested runs (the first nesting_), then spares.
  static constexpr size_t kMaxNesting = 32;
  std::vector<RunState> levels_;
  size_t nesting_ = 0;
  // What scans from scratch recorded, and where they stand by file (a table
  // of kDepthSlots from Placed::revisit_table on) and depth.
  static constexpr size_t kDepthSlots = 257;
  std::vector<Revisit> revisits_;
  std::vector<int32_t> revisit_tables_;
  std::vector<std::unique_ptr<Context>> contexts_;
  std::vector<std::unique_ptr<Context>> tails_;
  // The runs so far, and their records and events, one after the other.
  std::vector<CachedRun> runs_;
  std::vector<int> run_records_;
  std::string run_forms_;
  std::vector<Event> run_events_;
  std::vector<uint32_t> bfs_mark_;  // by node, for Reach
  uint32_t bfs_generation_ = 0;
  std::vector<uint32_t> closure_mark_;  // by record id, for ClosureOf
  uint32_t closure_generation_ = 0;
  std::vector<ClosureEntry> closure_entries_;
  std::vector<Event> closure_events_;
  // What scans at depth 1 recorded (see ScanDirectIncludes), one after the other.
  std::unique_ptr<EntryStore> direct_entries_;
  std::vector<Event> direct_events_;
  std::unique_ptr<PlacedStore> placed_;  // files under contexts, see Context::slots
  std::vector<int> tail_order_;          // TailComplete's buffer
  // TreeHome's buffers: by file, its place among the files walked; by
  // place, where its includers start in tree_includers_.
  std::vector<int> tree_place_;
  std::vector<int> tree_first_;
  std::vector<int> tree_next_;
  std::vector<int> tree_includers_;
  std::vector<int32_t> names_;  // NoteTailTable's buffer
};

}  // namespace zelvan
