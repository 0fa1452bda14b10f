#include "dependencies/include_graph.h"

#include <algorithm>
#include <climits>
#include <utility>

#include "dependencies/include_graph_internal.h"
#include "dependencies/include_line.h"
#include "storage/span_arena.h"

namespace zelvan {

IncludeGraph::IncludeGraph(IncludeSearch& search)
    : search_(search),
      direct_entries_(std::make_unique<EntryStore>()),
      placed_(std::make_unique<PlacedStore>()) {}

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
  direct_entries_->store.Reset();
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

IncludeGraph::Placed& IncludeGraph::At(int node) {
  if (TreeHome(node) == kHomeShared) return SlotOf(*tail_, node);
  return SlotOf(*context_, node);
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
  // Runs are looked up only where they are kept: the table is as long as
  // the refresh has files, in every context.
  std::vector<int32_t>& runs = context_->runs;
  if (keep_runs_ && runs.size() <= static_cast<size_t>(node)) {
    runs.resize(search_.node_count(), -1);
  }
  CachedRun cached;
  if (keep_runs_ && runs[node] >= 0) {
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
  // The files that include each file, grouped by file in one pass (by its
  // place in `order`): the walk above may have met thousands of files.
  std::vector<int>& place = tree_place_;
  if (place.size() < search_.node_count()) place.resize(search_.node_count(), 0);
  for (size_t k = 0; k < order.size(); ++k)
    place[order[k]] = static_cast<int>(k);
  std::vector<int>& first = tree_first_;
  first.assign(order.size() + 1, 0);
  for (const auto& [file, includer] : up)
    ++first[place[file] + 1];
  for (size_t k = 0; k < order.size(); ++k)
    first[k + 1] += first[k];
  std::vector<int>& includers = tree_includers_;
  includers.resize(up.size());
  std::vector<int>& next = tree_next_;
  next.assign(first.begin(), first.end() - 1);
  for (const auto& [file, includer] : up)
    includers[next[place[file]]++] = includer;
  for (size_t k = 0; k < seeds.size(); ++k) {
    int v = seeds[k];
    if (home[v] == kHomeOwn) continue;
    home[v] = kHomeOwn;
    int at = place[v];
    for (int i = first[at]; i < first[at + 1]; ++i) {
      if (home[includers[i]] != kHomeOwn) seeds.push_back(includers[i]);
    }
  }
  for (int v : order) {
    if (home[v] == kVisiting) home[v] = kHomeShared;
  }
  return home[node];
}

}  // namespace zelvan
