// The private parts of the include graph, shared by the files that make
// it up: its per-file and per-context data and the small steps used
// everywhere.
#pragma once

#include <climits>
#include <cstdint>
#include <span>
#include <unordered_set>
#include <vector>

#include "dependencies/include_graph.h"
#include "storage/span_arena.h"

namespace zelvan {

// What the current run knows about a file (valid when memo_run is the run).
// A scan that may go `radius` levels below the file records every file
// within that distance of it.
struct IncludeGraph::Memo {
  uint32_t memo_run = 0;
  int full_height = -1;    // height of a finished scan that stayed within the limit
  int limit_radius = -1;   // largest radius of a finished scan that reached it
  bool saturated = false;  // such a scan reached every file below this one
  int scanning = 0;        // scans of the file under way (more than one: a cycle)
};

// A run put aside while a run nested in it works out what a file records
// from scratch (see VisitUnknown), or a spare one; the arrays keep their
// memory for the next nested run.
struct IncludeGraph::RunState {
  uint32_t run = 0;
  bool hit_limit = false;
  std::unordered_set<uint64_t> warned_lines;
  std::vector<uint32_t> recorded;
  std::vector<Memo> memo;
};

// A run as it went, to give the same records and notes again when the same
// source is scanned under the same context (the next target, mostly). Its
// records stand in run_records_ and run_forms_, its events in run_events_.
struct IncludeGraph::CachedRun {
  uint32_t begin = 0;
  uint32_t count = 0;
  uint32_t events_begin = 0;
  uint32_t events_count = 0;
  bool hit_limit = false;
};

// Everything a file records when it is scanned within the nesting limit,
// whatever its depth: the first occurrences of its include tree, in order,
// and the unresolved include lines met (first occurrences too). The entries
// stand in arenas of the graph, kept from refresh to refresh, so a refresh
// does not allocate (and free) blocks for every file in every context.
struct IncludeGraph::Closure {
  bool built = false;
  uint32_t begin = 0;                  // in closure_entries_
  const ClosureEntry* kept = nullptr;  // a list kept by a scan at depth 1, in direct_entries_
  uint32_t count = 0;
  uint32_t events_begin = 0;  // in closure_events_
  uint32_t events_count = 0;
};

// The graph's data under one search context, or a tail (the contexts of
// sources in other directories with the same further search entries, where
// data that the source's directory does not decide is kept once).
struct IncludeGraph::Context {
  std::vector<int32_t> runs;  // by outermost source: index in runs_, or -1
  // Where each file's data under this context stands among `placed_`, or
  // -1: a context touches few of the refresh's files.
  std::vector<int32_t> slots;
  // By file: where its searches stand (kUnknown, kShared in the tail,
  // kOwn here), and whether the source's directory decides anything in the
  // tree below it (kUnknown, kShared: it does not, kOwn: it does).
  std::vector<uint8_t> table_home;
  std::vector<uint8_t> tree_home;
  // In a tail: the names its tables look for in the source's directory
  // (lower-case name ids, each once, in the order they came), whether a
  // table looks there for a name the listing cannot answer, and the files
  // whose whole tree has its searches here.
  std::vector<int32_t> probed_names;
  std::vector<bool> probed;
  bool irregular = false;
  std::vector<uint8_t> complete;
  // In a context: how many of its tail's names were checked against the
  // source's directory, and whether one of them is in it.
  size_t names_checked = 0;
  bool dirty = false;
  // In a context: Height and Reach of the files asked for, by file (-2
  // unknown), asked for again and again by the scan.
  std::vector<int> heights;
  std::vector<int> reaches;
};

constexpr uint8_t kHomeUnknown = 0;
constexpr uint8_t kHomeShared = 1;
constexpr uint8_t kHomeOwn = 2;
constexpr int kHeightUnknown = -2;
constexpr int kHeightInProgress = -3;
constexpr int kHeightInfinite = INT_MAX;

// A file under one context: the searches of its include lines (index 1:
// as the outermost source, where that differs), the longest chain of
// includes below it (see Height), the largest distance to a file below it
// (-1 unknown), and its closure.
struct IncludeGraph::Placed {
  bool searched[2] = {false, false};
  std::span<const IncludeResolved> resolved[2];
  int height = kHeightUnknown;
  int reach = -1;
  Closure closure;
  // For a file above a cycle: what its scan at depth 1 records (entries in
  // direct_entries_, events in direct_events_, the limit noted in place),
  // and what the scan tells its includer.
  Closure direct;
  ScanResult direct_result;
  // Where its scans from scratch by depth stand (see revisit_tables_), or -1.
  int32_t revisit_table = -1;
};

// What a scan of a file above a cycle records from scratch at one depth
// (beside Placed::direct, in the same arrays).
struct IncludeGraph::Revisit {
  Closure records;
  ScanResult result;
};

// The lists that scans at depth 1 keep: tens of megabytes in a refresh,
// which a vector would copy (and fault in again) at each doubling.
struct IncludeGraph::EntryStore {
  SpanArena<ClosureEntry> store{size_t{1} << 16};
};

// Blocks that never move keep references valid while the store grows.
struct IncludeGraph::PlacedStore {
  SpanArena<Placed> store{1024};
  std::vector<Placed*> items;
};
inline IncludeGraph::Memo& IncludeGraph::MemoOf(int node) {
  if (memo_.size() <= static_cast<size_t>(node)) memo_.resize(search_.node_count());
  return memo_[static_cast<size_t>(node)];
}

inline IncludeGraph::Placed& IncludeGraph::SlotOf(Context& context, int node) {
  std::vector<int32_t>& slots = context.slots;
  if (slots.size() <= static_cast<size_t>(node)) slots.resize(search_.node_count(), -1);
  if (slots[node] < 0) {
    slots[node] = static_cast<int32_t>(placed_->items.size());
    placed_->items.push_back(&placed_->store.Allocate(1)[0]);
  }
  return *placed_->items[static_cast<size_t>(slots[node])];
}

inline void IncludeGraph::NoteNestingLimit() {
  if (run_hit_limit_) return;
  run_hit_limit_ = true;
  run_events_.push_back({-1, 0});
}

inline bool IncludeGraph::RecordDependency(char form, int ref, int record_id) {
  if (recorded_in_run_.size() <= static_cast<size_t>(record_id)) {
    recorded_in_run_.resize(search_.record_count(), 0);
  }
  uint32_t& recorded = recorded_in_run_[static_cast<size_t>(record_id)];
  if (recorded == run_) return false;
  recorded = run_;
  run_records_.push_back(ref);
  run_forms_ += form;
  return true;
}

}  // namespace zelvan
