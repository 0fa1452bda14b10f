#include "dependencies/include_graph.h"

#include <algorithm>
#include <climits>
#include <utility>

#include "dependencies/include_graph_internal.h"
#include "dependencies/include_line.h"
#include "storage/span_arena.h"

namespace zelvan {

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
  const ClosureEntry* entries = list.kept;
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
  kept.events_begin = static_cast<uint32_t>(direct_events_.size());
  kept.count = static_cast<uint32_t>(run_records_.size() - records_begin);
  ClosureEntry* kept_entry = direct_entries_->store.Allocate(kept.count).data();
  kept.kept = kept_entry;
  for (size_t k = records_begin; k < run_records_.size(); ++k) {
    int ref = run_records_[k];
    int record_id = ref >= 0 ? search_.RecordIdOf(ref) : search_.GuessRecordId(-1 - ref);
    *kept_entry++ = {ref, record_id, run_forms_[k]};
  }
  direct_events_.insert(direct_events_.end(), run_events_.begin() + static_cast<long>(events_begin),
                        run_events_.end());
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
