#include "dependencies/include_graph.h"

#include <algorithm>
#include <climits>
#include <utility>

#include "dependencies/include_line.h"
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
  uint32_t begin = 0;  // in closure_entries_
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

namespace {
constexpr uint8_t kHomeUnknown = 0;
constexpr uint8_t kHomeShared = 1;
constexpr uint8_t kHomeOwn = 2;
constexpr int kHeightUnknown = -2;
constexpr int kHeightInProgress = -3;
constexpr int kHeightInfinite = INT_MAX;
}  // namespace

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

// Blocks that never move keep references valid while the store grows.
struct IncludeGraph::PlacedStore {
  SpanArena<Placed> store{1024};
  std::vector<Placed*> items;
};

IncludeGraph::IncludeGraph(IncludeSearch& search)
    : search_(search), placed_(std::make_unique<PlacedStore>()) {}

IncludeGraph::~IncludeGraph() = default;

void IncludeGraph::BeginRefresh() {
  file_scans_ = 0;
  runs_replayed_ = 0;
  memo_.clear();
  recorded_in_run_.clear();
  runs_.clear();
  run_records_.clear();
  run_forms_.clear();
  run_events_.clear();
  bfs_mark_.clear();
  bfs_generation_ = 0;
  closure_mark_.clear();
  closure_generation_ = 0;
  closure_entries_.clear();
  closure_events_.clear();
  direct_entries_.clear();
  direct_events_.clear();
  revisits_.clear();
  revisit_tables_.clear();
  placed_->items.clear();
  placed_->store.Reset();
  contexts_.clear();
  tails_.clear();
  run_ = 0;
}

void IncludeGraph::set_keep_runs(bool keep) {
  if (keep_runs_ && !keep) {
    // A run not kept uses the run arrays on its own.
    for (const auto& context : contexts_) {
      if (context) context->runs.clear();
    }
    runs_.clear();
    run_records_.clear();
    run_forms_.clear();
    run_events_.clear();
  }
  keep_runs_ = keep;
}

IncludeGraph::Context& IncludeGraph::ContextAt(std::vector<std::unique_ptr<Context>>& list,
                                               int index) {
  size_t i = static_cast<size_t>(index);
  if (list.size() <= i) list.resize(i + 1);
  if (!list[i]) list[i] = std::make_unique<Context>();
  return *list[i];
}

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

IncludeGraph::Placed& IncludeGraph::At(int node) {
  if (TreeHome(node) == kHomeShared) return SlotOf(*tail_, node);
  return SlotOf(*context_, node);
}

inline void IncludeGraph::NoteNestingLimit() {
  if (run_hit_limit_) return;
  run_hit_limit_ = true;
  run_events_.push_back({-1, 0});
}

void IncludeGraph::ResetRun() {
  if (++runs_started_ == 0) {
    // After 2^32 runs the stamps would repeat: start them over. Runs put
    // aside keep their stamps, renumbered 1, 2, ...
    auto renumber = [](std::vector<uint32_t>& recorded, std::vector<Memo>& memo, uint32_t from,
                       uint32_t to) {
      for (uint32_t& stamp : recorded)
        stamp = stamp == from && from != 0 ? to : 0;
      for (Memo& m : memo)
        m.memo_run = m.memo_run == from && from != 0 ? to : 0;
    };
    for (size_t k = 0; k < levels_.size(); ++k) {
      RunState& level = levels_[k];
      uint32_t to = k < nesting_ ? static_cast<uint32_t>(k + 1) : 0;
      renumber(level.recorded, level.memo, level.run, to);
      level.run = to;
    }
    renumber(recorded_in_run_, memo_, 0, 0);
    runs_started_ = static_cast<uint32_t>(nesting_ + 1);
  }
  run_ = runs_started_;
  if (!warned_lines_.empty()) warned_lines_.clear();
  run_hit_limit_ = false;
}

IncludeGraph::Records IncludeGraph::Scan(const IncludeSearch::Run& run) {
  ResetRun();
  context_ = &ContextAt(contexts_, run.context);
  tail_ = &ContextAt(tails_, run.tail);
  reading_ = run.reading;
  int node = run.source;
  std::vector<int32_t>& runs = context_->runs;
  if (runs.size() <= static_cast<size_t>(node)) runs.resize(search_.node_count(), -1);
  CachedRun cached;
  if (runs[node] >= 0) {
    ++runs_replayed_;
    cached = runs_[static_cast<size_t>(runs[node])];
  } else {
    if (!keep_runs_) {
      run_records_.clear();
      run_forms_.clear();
      run_events_.clear();
    }
    ScanDirectIncludes(node);
    cached.begin = static_cast<uint32_t>(run_records_.size());
    cached.events_begin = static_cast<uint32_t>(run_events_.size());
    if (reading_ == IncludeReading::kC) {
      ScanCIncludes(node);
    } else {
      ScanFile(node, IncludeReading::kAssembler);
    }
    cached.count = static_cast<uint32_t>(run_records_.size()) - cached.begin;
    cached.events_count = static_cast<uint32_t>(run_events_.size()) - cached.events_begin;
    cached.hit_limit = run_hit_limit_;
    if (keep_runs_) {
      context_->runs[node] = static_cast<int32_t>(runs_.size());
      runs_.push_back(cached);
    }
  }
  const CachedRun& done = cached;
  Records records;
  records.refs = std::span<const int>(run_records_).subspan(done.begin, done.count);
  records.forms = std::string_view(run_forms_).substr(done.begin, done.count);
  records.events =
      std::span<const Event>(run_events_).subspan(done.events_begin, done.events_count);
  records.hit_limit = done.hit_limit;
  return records;
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

const std::span<const IncludeResolved>& IncludeGraph::Resolve(int node, const IncludeLines& lines,
                                                              bool outermost) {
  // Only the quoted includes of an assembler macro source under style 0 are
  // searched differently in the outermost file.
  int variant = outermost && search_.OutermostDiffers() ? 1 : 0;
  if (variant == 0) {
    // Searches that the source's directory does not decide are the same
    // for every source with the same further entries: they are done once
    // and kept in the tail.
    std::vector<uint8_t>& home = context_->table_home;
    if (home.size() <= static_cast<size_t>(node)) home.resize(search_.node_count(), kHomeUnknown);
    if (home[node] == kHomeUnknown) {
      if (SlotOf(*tail_, node).searched[0]) {
        home[node] = search_.InSourceDirectory(node, lines) ? kHomeOwn : kHomeShared;
      } else {
        bool source_directory = false;
        std::span<const IncludeResolved> table = search_.Search(node, lines, &source_directory);
        Placed& keeper = SlotOf(source_directory ? *context_ : *tail_, node);
        home[node] = source_directory ? kHomeOwn : kHomeShared;
        keeper.resolved[0] = table;
        keeper.searched[0] = true;
        if (!source_directory) NoteTailTable(node, lines);
      }
    }
    if (home[node] == kHomeShared) return SlotOf(*tail_, node).resolved[0];
  }
  Placed& placed = SlotOf(*context_, node);
  if (!placed.searched[variant]) {
    bool source_directory = false;
    placed.resolved[variant] = search_.Search(node, lines, &source_directory);
    placed.searched[variant] = true;
  }
  return placed.resolved[variant];
}

void IncludeGraph::NoteTailTable(int node, const IncludeLines& lines) {
  size_t known = names_.size();
  if (!search_.SourceDirectoryNames(node, lines, &names_)) tail_->irregular = true;
  for (size_t k = known; k < names_.size(); ++k) {
    size_t id = static_cast<size_t>(names_[k]);
    if (tail_->probed.size() <= id) tail_->probed.resize(id + 1, false);
    if (tail_->probed[id]) continue;
    tail_->probed[id] = true;
    tail_->probed_names.push_back(names_[k]);
  }
  names_.resize(known);
}

bool IncludeGraph::Clean() {
  if (tail_->irregular || context_->dirty) return false;
  const std::vector<bool>* listing = search_.SourceDirectoryListing();
  if (listing == nullptr) {
    context_->dirty = true;
    return false;
  }
  for (; context_->names_checked < tail_->probed_names.size(); ++context_->names_checked) {
    size_t id = static_cast<size_t>(tail_->probed_names[context_->names_checked]);
    if (id < listing->size() && (*listing)[id]) {
      context_->dirty = true;
      return false;
    }
  }
  return true;
}

bool IncludeGraph::TailComplete(int node) {
  std::vector<uint8_t>& complete = tail_->complete;
  if (complete.size() < search_.node_count()) complete.resize(search_.node_count(), 0);
  if (complete[node] != 0) return true;
  if (++bfs_generation_ == 0) {
    std::fill(bfs_mark_.begin(), bfs_mark_.end(), 0);
    bfs_generation_ = 1;
  }
  if (bfs_mark_.size() < search_.node_count()) bfs_mark_.resize(search_.node_count(), 0);
  std::vector<int>& order = tail_order_;
  order.assign(1, node);
  bfs_mark_[node] = bfs_generation_;
  for (size_t k = 0; k < order.size(); ++k) {
    int from = order[k];
    if (complete[from] != 0) continue;
    const IncludeLines* lines = search_.LinesOf(from, reading_);
    if (lines == nullptr) continue;
    const std::vector<int32_t>& slots = tail_->slots;
    if (slots.size() <= static_cast<size_t>(from) || slots[from] < 0) return false;
    const Placed& placed = *placed_->items[static_cast<size_t>(slots[from])];
    if (!placed.searched[0]) return false;
    for (size_t i = 0; i < placed.resolved[0].size(); ++i) {
      int child = placed.resolved[0][i].node;
      if (child < 0 || !search_.Counts((*lines)[i]) || bfs_mark_[child] == bfs_generation_) {
        continue;
      }
      bfs_mark_[child] = bfs_generation_;
      order.push_back(child);
    }
  }
  // Every file below one whose tree is complete is complete too.
  for (int v : order)
    complete[v] = 1;
  return true;
}

uint8_t IncludeGraph::TreeHome(int node) {
  std::vector<uint8_t>& home = context_->tree_home;
  if (home.size() <= static_cast<size_t>(node)) home.resize(search_.node_count(), kHomeUnknown);
  if (home[node] != kHomeUnknown) return home[node];
  // Where the source's directory decides none of the tail's searches, a
  // file whose tree has all its searches in the tail shares its data.
  if (Clean() && TailComplete(node)) {
    home[node] = kHomeShared;
    return kHomeShared;
  }
  // The files below `node` not classified yet, each with the files that
  // include it among them. A file whose searches the source's directory
  // decides, and every file above it, keeps its own data; the others share.
  constexpr uint8_t kVisiting = 3;
  std::vector<int> order{node};
  home[node] = kVisiting;
  std::vector<std::pair<int, int>> up;  // (file, a file that includes it)
  std::vector<int> seeds;
  for (size_t k = 0; k < order.size(); ++k) {
    int from = order[k];
    const std::span<const IncludeResolved>* edges = Edges(from);
    if (edges == nullptr) continue;
    if (context_->table_home[from] == kHomeOwn) seeds.push_back(from);
    const IncludeLines& lines = *search_.LinesOf(from, reading_);
    if (home.size() < search_.node_count()) home.resize(search_.node_count(), kHomeUnknown);
    for (size_t i = 0; i < edges->size(); ++i) {
      int child = (*edges)[i].node;
      if (child < 0 || !search_.Counts(lines[i])) continue;
      if (home[child] == kHomeUnknown && Clean() && TailComplete(child)) {
        // As above: its tree is the tail's, no need to walk it.
        home[child] = kHomeShared;
      } else if (home[child] == kHomeOwn) {
        seeds.push_back(from);
      } else if (home[child] == kHomeUnknown) {
        home[child] = kVisiting;
        order.push_back(child);
        up.emplace_back(child, from);
      } else if (home[child] == kVisiting) {
        up.emplace_back(child, from);
      }
    }
  }
  std::sort(up.begin(), up.end());
  for (size_t k = 0; k < seeds.size(); ++k) {
    int v = seeds[k];
    if (home[v] == kHomeOwn) continue;
    home[v] = kHomeOwn;
    auto it = std::lower_bound(up.begin(), up.end(), std::make_pair(v, INT_MIN));
    for (; it != up.end() && it->first == v; ++it) {
      if (home[it->second] != kHomeOwn) seeds.push_back(it->second);
    }
  }
  for (int v : order) {
    if (home[v] == kVisiting) home[v] = kHomeShared;
  }
  return home[node];
}

inline IncludeGraph::ScanResult IncludeGraph::VisitIncluded(int node, IncludeReading reading) {
  int radius = search_.DepthLimit(reading == IncludeReading::kAssembler) - search_.depth();
  {
    Memo& memo = MemoOf(node);
    if (memo.memo_run != run_) {
      memo.memo_run = run_;
      memo.full_height = -1;
      memo.limit_radius = -1;
      memo.saturated = false;
      memo.scanning = 0;
    }
    // A scan here would record nothing new; only whether it would reach the
    // limit is left to decide.
    if (memo.full_height >= 0) {
      if (memo.full_height <= radius) return ScanResult{false, memo.full_height};
      NoteNestingLimit();
      return ScanResult{true, 0};
    }
    if (memo.limit_radius >= radius || memo.saturated) {
      if (memo.limit_radius < radius && Height(node) <= radius) {
        return ScanResult{false, Height(node)};
      }
      NoteNestingLimit();
      return ScanResult{true, 0};
    }
  }
  return VisitUnknown(node, reading, radius);
}

IncludeGraph::ScanResult IncludeGraph::ScanCIncludes(int node) {
  // MR44A: while a C file is scanned, position 1 is that file's directory.
  search_.EnterFile(node);
  ScanResult result = ScanFile(node, IncludeReading::kC);
  search_.LeaveFile();
  return result;
}

IncludeGraph::ScanResult IncludeGraph::ScanFile(int node, IncludeReading reading) {
  ++file_scans_;
  ScanResult result;
  const IncludeLines* lines = search_.LinesOf(node, reading);
  if (lines == nullptr) return result;  // unreadable: no includes, no message

  bool assembler = reading == IncludeReading::kAssembler;
  const std::span<const IncludeResolved> resolved = Resolve(node, *lines, search_.depth() == 0);
  for (size_t i = 0; i < lines->size(); ++i) {
    const IncludeLine& line = (*lines)[i];
    if (!search_.Counts(line)) continue;
    const IncludeResolved& found = resolved[i];
    char form = line.form == kIncludeQuoted ? '1' : '0';
    if (found.node >= 0) {
      search_.set_depth(search_.depth() + 1);
      if (CheckIncludeDepth(assembler)) {
        RecordDependency(form, found.node, search_.RecordIdOf(found.node));
        ScanResult below = VisitIncluded(found.node, reading);
        if (below.hit_limit) {
          result.hit_limit = true;
        } else {
          result.height = std::max(result.height, below.height + 1);
        }
      } else {
        result.hit_limit = true;
      }
      search_.set_depth(search_.depth() - 1);
    } else {
      if (found.guess_record >= 0) RecordDependency(form, found.guess_ref, found.guess_record);
      NoteUnresolved(node, i);
    }
  }
  return result;
}

IncludeGraph::ScanResult IncludeGraph::ScanMarked(int node, IncludeReading reading) {
  ++MemoOf(node).scanning;
  ScanResult result = reading == IncludeReading::kC ? ScanCIncludes(node) : ScanFile(node, reading);
  --MemoOf(node).scanning;
  return result;
}

void IncludeGraph::Replay(const Closure& list) {
  if (recorded_in_run_.size() < search_.record_count()) {
    recorded_in_run_.resize(search_.record_count(), 0);
  }
  uint32_t* recorded = recorded_in_run_.data();
  const ClosureEntry* entries = direct_entries_.data() + list.begin;
  for (uint32_t i = 0; i < list.count; ++i) {
    uint32_t& stamp = recorded[static_cast<size_t>(entries[i].record_id)];
    if (stamp == run_) continue;
    stamp = run_;
    run_records_.push_back(entries[i].ref);
    run_forms_ += entries[i].form;
  }
  for (uint32_t i = 0; i < list.events_count; ++i) {
    const Event& event = direct_events_[list.events_begin + i];
    if (event.node < 0) {
      NoteNestingLimit();
    } else {
      NoteUnresolved(event.node, static_cast<size_t>(event.line));
    }
  }
}

IncludeGraph::Closure IncludeGraph::KeepRecords(size_t records_begin, size_t events_begin) {
  Closure kept;
  kept.built = true;
  kept.begin = static_cast<uint32_t>(direct_entries_.size());
  kept.events_begin = static_cast<uint32_t>(direct_events_.size());
  for (size_t k = records_begin; k < run_records_.size(); ++k) {
    int ref = run_records_[k];
    int record_id = ref >= 0 ? search_.RecordIdOf(ref) : search_.GuessRecordId(-1 - ref);
    direct_entries_.push_back({ref, record_id, run_forms_[k]});
  }
  direct_events_.insert(direct_events_.end(), run_events_.begin() + static_cast<long>(events_begin),
                        run_events_.end());
  kept.count = static_cast<uint32_t>(direct_entries_.size()) - kept.begin;
  kept.events_count = static_cast<uint32_t>(direct_events_.size()) - kept.events_begin;
  run_records_.resize(records_begin);
  run_forms_.resize(records_begin);
  run_events_.resize(events_begin);
  return kept;
}

IncludeGraph::Revisit IncludeGraph::ScanFromScratch(int node, IncludeReading reading) {
  // The current run is put aside (its arrays swapped with a spare level's)
  // and given back whole afterwards; the nested run appends its records and
  // events after the current run's and takes them away again.
  if (levels_.size() == nesting_) levels_.emplace_back();
  RunState& aside = levels_[nesting_++];
  aside.run = run_;
  aside.hit_limit = run_hit_limit_;
  aside.warned_lines.swap(warned_lines_);
  aside.recorded.swap(recorded_in_run_);
  aside.memo.swap(memo_);
  ResetRun();
  size_t records_begin = run_records_.size();
  size_t events_begin = run_events_.size();
  Revisit revisit;
  MemoOf(node) = Memo{run_, -1, -1, false, 0};
  revisit.result = ScanMarked(node, reading);
  revisit.records = KeepRecords(records_begin, events_begin);
  RunState& back = levels_[--nesting_];
  run_ = back.run;
  run_hit_limit_ = back.hit_limit;
  warned_lines_.swap(back.warned_lines);
  recorded_in_run_.swap(back.recorded);
  memo_.swap(back.memo);
  return revisit;
}

void IncludeGraph::ScanDirectIncludes(int node) {
  const IncludeLines* lines = search_.LinesOf(node, reading_);
  if (lines == nullptr) return;
  bool c_file = reading_ == IncludeReading::kC;
  if (c_file) search_.EnterFile(node);
  const std::span<const IncludeResolved> resolved = Resolve(node, *lines, true);
  for (size_t i = 0; i < lines->size(); ++i) {
    int child = resolved[i].node;
    if (child < 0 || !search_.Counts((*lines)[i]) || Height(child) != kHeightInfinite ||
        At(child).direct.built) {
      continue;
    }
    // A run of its own: what the scan records does not depend on what the
    // run recorded before, only on the file and its depth.
    ResetRun();
    size_t records_begin = run_records_.size();
    size_t events_begin = run_events_.size();
    search_.set_depth(1);
    ScanResult result = VisitIncluded(child, reading_);
    search_.set_depth(0);
    Closure direct = KeepRecords(records_begin, events_begin);
    Placed& placed = At(child);
    placed.direct = direct;
    placed.direct_result = result;
  }
  if (c_file) search_.LeaveFile();
  // The source's own run starts afresh.
  ResetRun();
}

IncludeGraph::ScanResult IncludeGraph::VisitUnknown(int node, IncludeReading reading, int radius) {
  // A file whose whole tree fits below this depth records the same at any
  // depth: its closure, worked out once per context, stands for the scan.
  int height = Height(node);
  if (height <= radius) {
    Closure closure = ClosureOf(node);
    const ClosureEntry* entries = closure_entries_.data() + closure.begin;
    // RecordDependency for each entry, the table sized once for all.
    if (recorded_in_run_.size() < search_.record_count()) {
      recorded_in_run_.resize(search_.record_count(), 0);
    }
    uint32_t* recorded = recorded_in_run_.data();
    for (uint32_t i = 0; i < closure.count; ++i) {
      uint32_t& stamp = recorded[static_cast<size_t>(entries[i].record_id)];
      if (stamp == run_) continue;
      stamp = run_;
      run_records_.push_back(entries[i].ref);
      run_forms_ += entries[i].form;
    }
    for (uint32_t i = 0; i < closure.events_count; ++i) {
      const Event& event = closure_events_[closure.events_begin + i];
      NoteUnresolved(event.node, static_cast<size_t>(event.line));
    }
    MemoOf(node).full_height = height;
    return ScanResult{false, height};
  }
  ScanResult result;
  const Placed* placed = search_.depth() == 1 ? &At(node) : nullptr;
  if (placed != nullptr && placed->direct.built) {
    // Worked out before the run (ScanDirectIncludes): given again.
    result = placed->direct_result;
    Replay(placed->direct);
  } else if (search_.depth() > 1 && height == kHeightInfinite) {
    // Below a cycle: the scan records what a scan from scratch at this depth
    // records (kept by file and depth), less what the run has recorded. A
    // file met again while it is being scanned is worked out so, in a run
    // nested in this one, rather than scanned round the cycle down to the
    // limit again and again.
    size_t depth = static_cast<size_t>(search_.depth());
    int32_t table = At(node).revisit_table;
    int32_t known = table >= 0 ? revisit_tables_[static_cast<size_t>(table) + depth] : -1;
    if (known < 0 && MemoOf(node).scanning > 0 && nesting_ < kMaxNesting) {
      Revisit revisit = ScanFromScratch(node, reading);
      if (table < 0) {
        table = static_cast<int32_t>(revisit_tables_.size());
        revisit_tables_.resize(revisit_tables_.size() + kDepthSlots, -1);
        At(node).revisit_table = table;
      }
      known = static_cast<int32_t>(revisits_.size());
      revisit_tables_[static_cast<size_t>(table) + depth] = known;
      revisits_.push_back(revisit);
    }
    if (known >= 0) {
      const Revisit& revisit = revisits_[static_cast<size_t>(known)];
      result = revisit.result;
      Replay(revisit.records);
    } else {
      result = ScanMarked(node, reading);
    }
  } else {
    result = ScanMarked(node, reading);
  }
  Memo& memo = MemoOf(node);
  if (!result.hit_limit) {
    memo.full_height = result.height;
  } else if (radius > memo.limit_radius) {
    memo.limit_radius = radius;
    // Past its reach a deeper scan cannot find more than this one did.
    if (Reach(node) <= radius) MemoOf(node).saturated = true;
  }
  return result;
}

const std::span<const IncludeResolved>* IncludeGraph::Edges(int node) {
  const IncludeLines* lines = search_.LinesOf(node, reading_);
  if (lines == nullptr) return nullptr;
  // Mostly asked again for a file whose searches are known: they are given
  // as Resolve would give them, without entering the file.
  const std::vector<uint8_t>& home = context_->table_home;
  if (static_cast<size_t>(node) < home.size()) {
    if (home[node] == kHomeShared) return &SlotOf(*tail_, node).resolved[0];
    if (home[node] == kHomeOwn) {
      Placed& placed = SlotOf(*context_, node);
      if (placed.searched[0]) return &placed.resolved[0];
    }
  }
  // Searched as the scan searches below the outermost source.
  search_.EnterFile(node);
  int depth = search_.depth();
  search_.set_depth(std::max(depth, 1));
  const std::span<const IncludeResolved>* resolved = &Resolve(node, *lines, false);
  search_.set_depth(depth);
  search_.LeaveFile();
  return resolved;
}

int IncludeGraph::Height(int node) {
  std::vector<int>& known = context_->heights;
  if (static_cast<size_t>(node) < known.size() && known[node] != kHeightUnknown) {
    return known[node];
  }
  int height = HeightOf(node);
  if (known.size() < search_.node_count()) known.resize(search_.node_count(), kHeightUnknown);
  known[node] = height;
  return height;
}

int IncludeGraph::HeightOf(int node) {
  if (At(node).height >= 0) return At(node).height;
  // Depth first, without recursion: include graphs can be long chains. A
  // file that reaches a file still in progress lies on or above a cycle:
  // chains below it have no end.
  struct Frame {
    int node;
    size_t next;
    int height;
  };
  std::vector<Frame> stack{{node, 0, 0}};
  At(node).height = kHeightInProgress;
  while (!stack.empty()) {
    Frame& frame = stack.back();
    const std::span<const IncludeResolved>* edges = Edges(frame.node);
    const IncludeLines* lines = search_.LinesOf(frame.node, reading_);
    bool pushed = false;
    while (edges != nullptr && frame.next < edges->size()) {
      size_t i = frame.next++;
      int child = (*edges)[i].node;
      if (child < 0 || !search_.Counts((*lines)[i])) continue;
      int& h = At(child).height;
      if (h == kHeightUnknown) {
        h = kHeightInProgress;
        stack.push_back(Frame{child, 0, 0});
        pushed = true;
        break;
      }
      if (h == kHeightInProgress || h == kHeightInfinite) {
        frame.height = kHeightInfinite;
      } else if (frame.height != kHeightInfinite) {
        frame.height = std::max(frame.height, h + 1);
      }
    }
    if (pushed) continue;
    int done = frame.height;
    At(frame.node).height = done;
    stack.pop_back();
    if (!stack.empty()) {
      Frame& parent = stack.back();
      if (done == kHeightInfinite) {
        parent.height = kHeightInfinite;
      } else if (parent.height != kHeightInfinite) {
        parent.height = std::max(parent.height, done + 1);
      }
    }
  }
  return At(node).height;
}

const IncludeGraph::Closure& IncludeGraph::ClosureOf(int node) {
  if (At(node).closure.built) return At(node).closure;
  // Height(node) is finite: no cycle lies below, so the recursion ends
  // (after at most Height(node) levels). The files below come first, so
  // that this file's entries are appended in one piece.
  const std::span<const IncludeResolved>* edges = Edges(node);
  const IncludeLines* lines = search_.LinesOf(node, reading_);
  if (edges != nullptr) {
    for (size_t i = 0; i < edges->size(); ++i) {
      if ((*edges)[i].node >= 0 && search_.Counts((*lines)[i])) ClosureOf((*edges)[i].node);
    }
  }
  std::vector<ClosureEntry>& entries = closure_entries_;
  std::vector<Event>& events = closure_events_;
  Closure closure;
  closure.built = true;
  closure.begin = static_cast<uint32_t>(entries.size());
  closure.events_begin = static_cast<uint32_t>(events.size());
  if (edges != nullptr) {
    if (++closure_generation_ == 0) {
      std::fill(closure_mark_.begin(), closure_mark_.end(), 0);
      closure_generation_ = 1;
    }
    if (closure_mark_.size() < search_.record_count()) {
      closure_mark_.resize(search_.record_count(), 0);
    }
    // Entries are copied by value: the arena may grow while they are read.
    auto add = [&](ClosureEntry entry) {
      if (closure_mark_[static_cast<size_t>(entry.record_id)] == closure_generation_) return;
      closure_mark_[static_cast<size_t>(entry.record_id)] = closure_generation_;
      entries.push_back(entry);
    };
    auto add_event = [&](Event event) {
      for (size_t k = closure.events_begin; k < events.size(); ++k) {
        if (events[k].node == event.node && events[k].line == event.line) return;
      }
      events.push_back(event);
    };
    for (size_t i = 0; i < edges->size(); ++i) {
      const IncludeLine& line = (*lines)[i];
      if (!search_.Counts(line)) continue;
      const IncludeResolved& found = (*edges)[i];
      char form = line.form == kIncludeQuoted ? '1' : '0';
      if (found.node >= 0) {
        add({found.node, search_.RecordIdOf(found.node), form});
        Closure below = At(found.node).closure;
        for (uint32_t k = 0; k < below.count; ++k)
          add(entries[below.begin + k]);
        for (uint32_t k = 0; k < below.events_count; ++k)
          add_event(events[below.events_begin + k]);
      } else {
        if (found.guess_record >= 0) add({found.guess_ref, found.guess_record, form});
        add_event({node, static_cast<int>(i)});
      }
    }
  }
  closure.count = static_cast<uint32_t>(entries.size()) - closure.begin;
  closure.events_count = static_cast<uint32_t>(events.size()) - closure.events_begin;
  At(node).closure = closure;
  return At(node).closure;
}

int IncludeGraph::Reach(int node) {
  std::vector<int>& known = context_->reaches;
  if (static_cast<size_t>(node) < known.size() && known[node] >= 0) return known[node];
  int reach = ReachOf(node);
  if (known.size() < search_.node_count()) known.resize(search_.node_count(), -1);
  known[node] = reach;
  return reach;
}

int IncludeGraph::ReachOf(int node) {
  if (At(node).reach >= 0) return At(node).reach;
  // Breadth first: the largest shortest distance from this file to a file
  // below it (itself included when it lies on a cycle).
  if (++bfs_generation_ == 0) {
    std::fill(bfs_mark_.begin(), bfs_mark_.end(), 0);
    bfs_generation_ = 1;
  }
  std::vector<int> frontier{node};
  std::vector<int> next;
  int distance = 0;
  while (!frontier.empty()) {
    next.clear();
    for (int from : frontier) {
      const std::span<const IncludeResolved>* edges = Edges(from);
      if (edges == nullptr) continue;
      const IncludeLines* lines = search_.LinesOf(from, reading_);
      if (bfs_mark_.size() < search_.node_count()) bfs_mark_.resize(search_.node_count(), 0);
      for (size_t i = 0; i < edges->size(); ++i) {
        int child = (*edges)[i].node;
        if (child < 0 || !search_.Counts((*lines)[i]) || bfs_mark_[child] == bfs_generation_) {
          continue;
        }
        bfs_mark_[child] = bfs_generation_;
        next.push_back(child);
      }
    }
    if (next.empty()) break;
    ++distance;
    frontier.swap(next);
  }
  At(node).reach = distance;
  return distance;
}

inline bool IncludeGraph::CheckIncludeDepth(bool assembler) {
  if (search_.depth() <= search_.DepthLimit(assembler)) return true;
  NoteNestingLimit();
  return false;
}

void IncludeGraph::NoteUnresolved(int node, size_t line_index) {
  uint64_t key = (static_cast<uint64_t>(node) << 32) | static_cast<uint32_t>(line_index);
  if (!warned_lines_.insert(key).second) return;
  run_events_.push_back({node, static_cast<int>(line_index)});
}

}  // namespace zelvan
