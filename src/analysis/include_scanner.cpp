#include "analysis/include_scanner.h"

#include <algorithm>
#include <climits>
#include <utility>

#include "analysis/dependency_output.h"
#include "analysis/include_line.h"
#include "storage/span_arena.h"
#include "model/message_texts.h"
#include "model/status_codes.h"
#include "platform/ansi_text.h"
#include "platform/file_system.h"
#include "platform/ui_hooks.h"
#include "platform/win_path.h"

namespace zelvan {

// A file met during the refresh, under the spelling it was found by.
// Its path is text `id` of node_paths_.
struct CIncludeScanner::Node {
  std::string directory;  // drive and directory, with its trailing `\` (see DirectoryOf)
  bool directory_known = false;
  int record_id = -1;
  bool lines_loaded[2] = {false, false};
  const IncludeLines* lines[2] = {nullptr, nullptr};
  bool names_known[2] = {false, false};
  std::span<const LineName> names[2];  // parallel to lines

  // What the current run knows about this file (valid when memo_run is the
  // run). A scan that may go `radius` levels below the file records every
  // file within that distance of it.
  uint32_t memo_run = 0;
  int full_height = -1;    // height of a finished scan that stayed within the limit
  int limit_radius = -1;   // largest radius of a finished scan that reached it
  bool saturated = false;  // such a scan reached every file below this one
};

// The result of the search for one include line.
struct CIncludeScanner::Resolved {
  int node = -1;          // the file found, or -1
  int guess_record = -1;  // record id of the guess, or -1 when there is none
  int guess_ref = 0;      // the guess as a record reference (below)
};

// A run as it went, to give the same records and lines again when the same
// source is scanned under the same context (the next target, mostly).
// Records are references: a node id, or -1 - the id of a guess; they stand
// in run_records_ and run_forms_ (one character per record), the events in
// run_events_.
struct CIncludeScanner::CachedRun {
  using Event = RunEvent;
  uint32_t begin = 0;
  uint32_t count = 0;
  uint32_t events_begin = 0;
  uint32_t events_count = 0;
};

inline bool CIncludeScanner::RecordDependency(char form, int ref, int record_id) {
  uint32_t& recorded = recorded_in_run_[record_id];
  if (recorded == run_) return false;
  recorded = run_;
  run_records_.push_back(ref);
  run_forms_ += form;
  return true;
}

// Everything a file records when it is scanned within the nesting limit,
// whatever its depth: the first occurrences of its include tree, in order,
// and the unresolved include lines met (first occurrences too). The entries
// stand in arenas of the scanner, kept from refresh to refresh, so a refresh
// does not allocate (and free) blocks for every file in every context.
struct CIncludeScanner::Closure {
  using Entry = ClosureEntry;  // ref is a record reference, as in CachedRun
  bool built = false;
  uint32_t begin = 0;  // in closure_entries_
  uint32_t count = 0;
  uint32_t events_begin = 0;  // in closure_events_
  uint32_t events_count = 0;
};

// Everything that decides how an include name is searched, the searches
// already done under it, and what they say about the include graph. Index 1
// of `resolved` holds the outermost source's searches where they differ
// from its searches as an included file.
struct CIncludeScanner::Context {
  IncludeReading reading = IncludeReading::kC;
  bool skip_system = false;
  std::vector<int32_t> runs;  // by outermost source: index in runs_, or -1
  // Each search entry completed and in canonical form, with its trailing
  // `\`; empty where that failed.
  std::vector<std::string> entry_dirs;
  std::vector<int32_t> entry_dir_ids;  // the same by id (see FoundNode)
  // The names in each entry directory (by lower-case name id), looked up
  // on first use (null: it cannot be listed).
  std::vector<const std::vector<bool>*> entry_names;
  std::vector<bool> entry_listed;
  // Where each file's data under this context stands among the scanner's
  // `placed_`, or -1: a context touches few of the refresh's files.
  std::vector<int32_t> slots;
  // The contexts of sources in other directories with the same search
  // entries after the first two (the source's directory) share data where
  // that directory decides nothing: in `tail`, a context that only stores.
  Context* tail = nullptr;
  // By file: where its searches stand (kUnknown, kShared in the tail,
  // kOwn here), and whether the source's directory decides anything in the
  // tree below it (kUnknown, kShared: it does not, kOwn: it does).
  std::vector<uint8_t> table_home;
  std::vector<uint8_t> tree_home;
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
struct CIncludeScanner::Placed {
  bool searched[2] = {false, false};
  std::span<const Resolved> resolved[2];
  int height = kHeightUnknown;
  int reach = -1;
  Closure closure;
};

// Blocks that never move keep references valid while the store grows.
struct CIncludeScanner::PlacedStore {
  SpanArena<Placed> store{1024};
  std::vector<Placed*> items;
  SpanArena<Resolved> resolved;
  SpanArena<LineName> names;
};

CIncludeScanner::Placed& CIncludeScanner::SlotOf(Context& context, int node) {
  std::vector<int32_t>& slots = context.slots;
  if (slots.size() <= static_cast<size_t>(node)) slots.resize(nodes_.size(), -1);
  if (slots[node] < 0) {
    slots[node] = static_cast<int32_t>(placed_->items.size());
    placed_->items.push_back(&placed_->store.Allocate(1)[0]);
  }
  return *placed_->items[static_cast<size_t>(slots[node])];
}

CIncludeScanner::Placed& CIncludeScanner::At(int node) {
  if (context_->tail != nullptr && TreeHome(node) == kHomeShared) {
    return SlotOf(*context_->tail, node);
  }
  return SlotOf(*context_, node);
}

int IncludeStyleForCpu(std::string_view cpu_family, int previous) {
  if (EqualsNoCase(cpu_family, "MR44")) return 2;
  if (EqualsNoCase(cpu_family, "MR44A")) return 3;
  if (EqualsNoCase(cpu_family, "MX-520")) return 1;
  if (EqualsNoCase(cpu_family, "MX-310/P") || EqualsNoCase(cpu_family, "MX-310/P1")) return 0;
  return previous;
}

CIncludeScanner::CIncludeScanner(FileSystem& fs, UiHooks& ui, DependencyOutput& output)
    : fs_(fs), ui_(ui), output_(output), files_(fs), placed_(std::make_unique<PlacedStore>()) {}

CIncludeScanner::~CIncludeScanner() = default;

void CIncludeScanner::BeginRefresh(bool update_dependency_file) {
  update_dependency_file_ = update_dependency_file;
  unresolved_pending_ = true;
  nesting_pending_ = true;
  unresolved_count_ = 0;
  file_scans_ = 0;
  runs_replayed_ = 0;
  files_.Clear();
  exact_names_.Clear();
  lower_names_.Clear();
  listing_names_.clear();
  dir_ids_.Clear();
  found_nodes_.Clear();
  guesses_.Clear();
  nodes_.clear();
  node_paths_.Clear();
  record_paths_.Clear();
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
  placed_->items.clear();
  placed_->store.Reset();
  placed_->resolved.Reset();
  placed_->names.Reset();
  contexts_.clear();
  tails_.clear();
  last_context_ = nullptr;
  run_ = 0;
}

int CIncludeScanner::SetIncludeStyle(std::string_view cpu_family) {
  style_ = IncludeStyleForCpu(cpu_family, style_);
  return style_;
}

void CIncludeScanner::SetBaseDirectory(std::string_view dir) {
  base_directory_ = dir.empty() ? std::string() : AppendLastSlash(dir);
}

CIncludeScanner::Stats CIncludeScanner::stats() const {
  Stats stats;
  stats.file_scans = file_scans_;
  stats.runs_replayed = runs_replayed_;
  stats.files_read = files_.files_read();
  stats.existence_checks = files_.existence_checks();
  return stats;
}

bool CIncludeScanner::ScanIncludes(std::string_view source, int scan_kind,
                                   std::vector<std::string> search_list,
                                   const IncludeScanOptions& options,
                                   std::vector<std::string>* paths,
                                   std::vector<std::string>* forms) {
  const CachedRun* run = Run(source, scan_kind, std::move(search_list), options);
  size_t count = run != nullptr ? run->count : 0;
  // The caller's strings are overwritten in place: their buffers serve again.
  paths->resize(count);
  forms->resize(count);
  for (size_t i = 0; i < count; ++i) {
    (*paths)[i] = RecordPath(run_records_[run->begin + i]);
    std::string& form = (*forms)[i];
    if (form.size() != 1) form.resize(1);
    form[0] = run_forms_[run->begin + i];
  }
  return true;
}

bool CIncludeScanner::ScanIncludeRefs(std::string_view source, int scan_kind,
                                      std::vector<std::string> search_list,
                                      const IncludeScanOptions& options, std::vector<int>* refs,
                                      std::string* forms) {
  const CachedRun* run = Run(source, scan_kind, std::move(search_list), options);
  if (run != nullptr) {
    refs->assign(run_records_.begin() + run->begin, run_records_.begin() + run->begin + run->count);
    forms->assign(run_forms_, run->begin, run->count);
  } else {
    refs->clear();
    forms->clear();
  }
  return true;
}

size_t CIncludeScanner::node_count() const {
  return nodes_.size();
}

std::string_view CIncludeScanner::RecordPath(int ref) const {
  return ref >= 0 ? node_paths_.Text(ref) : guesses_.Text(-1 - ref);
}

const CIncludeScanner::CachedRun* CIncludeScanner::Run(std::string_view source, int scan_kind,
                                                       std::vector<std::string> search_list,
                                                       const IncludeScanOptions& options) {
  ResetRun();

  std::string directory = GetFileDirectory(source);
  search_ = std::move(search_list);
  search_.insert(search_.begin(), 2, directory);
  saved_entries_.clear();
  depth_ = 0;
  assembler_flag_ = false;

  IncludeReading reading;
  switch (scan_kind) {
    case kScanKindC:
    case kScanKindCcl:
      reading = IncludeReading::kC;
      break;
    case kScanKindAssembler:
      search_.emplace_back(".");
      reading = IncludeReading::kAssembler;
      break;
    case kScanKindAssemblerMacro:
      assembler_flag_ = true;
      reading = IncludeReading::kAssembler;
      break;
    default:
      reading = IncludeReading::kC;
      break;
  }

  const CachedRun* result = nullptr;
  if (scan_kind >= kScanKindC && scan_kind <= kScanKindAssemblerMacro) {
    source_.assign(source);
    options_ = &options;
    context_ = &FindContext(reading);
    int node = NodeFor(source_);
    std::vector<int32_t>& runs = context_->runs;
    if (runs.size() <= static_cast<size_t>(node)) runs.resize(nodes_.size(), -1);
    if (runs[node] >= 0) {
      Replay(runs_[static_cast<size_t>(runs[node])], reading);
    } else {
      CachedRun cached;
      cached.begin = static_cast<uint32_t>(run_records_.size());
      cached.events_begin = static_cast<uint32_t>(run_events_.size());
      recording_ = true;
      if (reading == IncludeReading::kC) {
        ScanCIncludes(node);
      } else {
        ScanAsmIncludes(node);
      }
      recording_ = false;
      cached.count = static_cast<uint32_t>(run_records_.size()) - cached.begin;
      cached.events_count = static_cast<uint32_t>(run_events_.size()) - cached.events_begin;
      context_->runs[node] = static_cast<int32_t>(runs_.size());
      runs_.push_back(cached);
    }
    result = &runs_[static_cast<size_t>(context_->runs[node])];
  }
  context_ = nullptr;
  options_ = nullptr;
  return result;
}

void CIncludeScanner::ResetRun() {
  if (++run_ == 0) {
    // After 2^32 runs the stamps would repeat: start them over.
    std::fill(recorded_in_run_.begin(), recorded_in_run_.end(), 0);
    for (Node& node : nodes_) {
      node.memo_run = 0;
    }
    run_ = 1;
  }
  if (!warned_lines_.empty()) warned_lines_.clear();
  title_written_ = false;
  run_hit_limit_ = false;
}

CIncludeScanner::Context& CIncludeScanner::FindContext(IncludeReading reading) {
  std::string& key = context_key_;
  key.clear();
  key += static_cast<char>('0' + style_);
  key += assembler_flag_ ? '1' : '0';
  key += reading == IncludeReading::kC ? 'c' : 'a';
  key += update_dependency_file_ ? '1' : '0';
  key += options_->skip_system_includes ? '1' : '0';
  for (const std::string* part : {&base_directory_, &toolchain_include_}) {
    key += *part;
    key += '\0';
  }
  key += fs_.GetCurrentDirectory();
  key += '\0';
  size_t prefix_size = key.size();
  for (const std::string& entry : search_) {
    key += entry;
    key += '\0';
  }
  // Sources come in project order: mostly the context of the last one.
  if (last_context_ != nullptr && key == last_context_key_) return *last_context_;
  std::unique_ptr<Context>& context = contexts_[key];
  if (!context) {
    context = std::make_unique<Context>();
    context->reading = reading;
    context->skip_system = options_->skip_system_includes;
    for (const std::string& entry : search_) {
      std::string dir = CompletePath(entry, "");
      if (IsFullPath(dir) && !dir.empty() && !IsPathSeparator(dir.back())) dir += '\\';
      context->entry_dirs.push_back(IsFullPath(dir) ? dir : std::string());
      context->entry_dir_ids.push_back(dir_ids_.Add(context->entry_dirs.back()));
    }
    context->entry_names.assign(search_.size(), nullptr);
    context->entry_listed.assign(search_.size(), false);
    // The same key without the first two entries (the source's directory).
    std::string tail_key = key.substr(0, prefix_size);
    for (size_t i = 2; i < search_.size(); ++i) {
      tail_key += search_[i];
      tail_key += '\0';
    }
    std::unique_ptr<Context>& tail = tails_[tail_key];
    if (!tail) tail = std::make_unique<Context>();
    context->tail = tail.get();
  }
  last_context_ = context.get();
  last_context_key_ = key;
  return *context;
}

int CIncludeScanner::NodeFor(std::string_view path) {
  int id = node_paths_.Add(path);
  if (static_cast<size_t>(id) == nodes_.size()) {
    int record_id = RecordIdFor(path);
    nodes_.emplace_back().record_id = record_id;
  }
  return id;
}

const std::string& CIncludeScanner::DirectoryOf(int node) {
  Node& n = nodes_[node];
  if (!n.directory_known) {
    n.directory = GetFileDirectory(node_paths_.Text(node));
    n.directory_known = true;
  }
  return n.directory;
}

int CIncludeScanner::RecordIdFor(std::string_view path) {
  // Paths that differ only in case are recorded once.
  lower_buffer_.assign(path);
  for (char& c : lower_buffer_)
    c = ToLowerAscii(c);
  int id = record_paths_.Add(lower_buffer_);
  if (static_cast<size_t>(id) == recorded_in_run_.size()) recorded_in_run_.push_back(0);
  return id;
}

std::span<const CIncludeScanner::Resolved> CIncludeScanner::Search(int node,
                                                                   const IncludeLines& lines,
                                                                   bool* source_directory) {
  std::span<Resolved> resolved = placed_->resolved.Allocate(lines.size());
  std::span<const LineName> names = NamesOf(node, context_->reading);
  for (size_t i = 0; i < lines.size(); ++i) {
    Resolved& r = resolved[i];
    if (!FindIncludeFile(lines[i], names[i], &r.node, &guess_, source_directory)) {
      r.node = -1;
      if (!guess_.empty()) {
        r.guess_record = RecordIdFor(guess_);
        r.guess_ref = -1 - guesses_.Add(guess_);
      }
    }
  }
  return resolved;
}

const std::span<const CIncludeScanner::Resolved>& CIncludeScanner::Resolve(
    int node, const IncludeLines& lines, bool outermost) {
  // Only the quoted includes of an assembler macro source under style 0 are
  // searched differently in the outermost file.
  int variant = outermost && assembler_flag_ && style_ == 0 ? 1 : 0;
  if (variant == 0 && context_->tail != nullptr) {
    // Searches that the source's directory does not decide are the same
    // for every source with the same further entries: they are done once
    // and kept in the tail.
    std::vector<uint8_t>& home = context_->table_home;
    if (home.size() <= static_cast<size_t>(node)) home.resize(nodes_.size(), kHomeUnknown);
    if (home[node] == kHomeUnknown) {
      if (SlotOf(*context_->tail, node).searched[0]) {
        home[node] = InSourceDirectory(node, lines) ? kHomeOwn : kHomeShared;
      } else {
        bool source_directory = false;
        std::span<const Resolved> table = Search(node, lines, &source_directory);
        Placed& keeper = SlotOf(source_directory ? *context_ : *context_->tail, node);
        home[node] = source_directory ? kHomeOwn : kHomeShared;
        keeper.resolved[0] = table;
        keeper.searched[0] = true;
      }
    }
    if (home[node] == kHomeShared) return SlotOf(*context_->tail, node).resolved[0];
  }
  Placed& placed = SlotOf(*context_, node);
  if (!placed.searched[variant]) {
    bool source_directory = false;
    placed.resolved[variant] = Search(node, lines, &source_directory);
    placed.searched[variant] = true;
  }
  return placed.resolved[variant];
}

uint8_t CIncludeScanner::TreeHome(int node) {
  std::vector<uint8_t>& home = context_->tree_home;
  if (home.size() <= static_cast<size_t>(node)) home.resize(nodes_.size(), kHomeUnknown);
  if (home[node] != kHomeUnknown) return home[node];
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
    const std::span<const Resolved>* edges = Edges(from);
    if (edges == nullptr) continue;
    if (context_->table_home[from] == kHomeOwn) seeds.push_back(from);
    const IncludeLines& lines = *LinesOf(from, context_->reading);
    if (home.size() < nodes_.size()) home.resize(nodes_.size(), kHomeUnknown);
    for (size_t i = 0; i < edges->size(); ++i) {
      int child = (*edges)[i].node;
      if (child < 0 || !Counts(lines[i])) continue;
      if (home[child] == kHomeOwn) {
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

CIncludeScanner::ScanResult CIncludeScanner::ScanCIncludes(int node) {
  // MR44A: while a C file is scanned, position 1 is that file's directory.
  bool replace = style_ == 3;
  if (replace) {
    saved_entries_.push_back(std::move(search_[1]));
    search_[1] = DirectoryOf(node);
  }
  ScanResult result = ScanFile(node, IncludeReading::kC);
  if (replace) {
    search_[1] = std::move(saved_entries_.back());
    saved_entries_.pop_back();
  }
  return result;
}

CIncludeScanner::ScanResult CIncludeScanner::ScanAsmIncludes(int node) {
  return ScanFile(node, IncludeReading::kAssembler);
}

const IncludeLines* CIncludeScanner::LinesOf(int node, IncludeReading reading) {
  int r = static_cast<int>(reading);
  if (!nodes_[node].lines_loaded[r]) {
    const IncludeLines* lines = files_.Lines(node_paths_.Text(node), reading);
    nodes_[node].lines[r] = lines;
    nodes_[node].lines_loaded[r] = true;
  }
  return nodes_[node].lines[r];
}

CIncludeScanner::ScanResult CIncludeScanner::ScanFile(int node, IncludeReading reading) {
  ++file_scans_;
  ScanResult result;
  const IncludeLines* lines = LinesOf(node, reading);
  if (lines == nullptr) return result;  // unreadable: no includes, no message

  bool assembler = reading == IncludeReading::kAssembler;
  const std::span<const Resolved> resolved = Resolve(node, *lines, depth_ == 0);
  for (size_t i = 0; i < lines->size(); ++i) {
    const IncludeLine& line = (*lines)[i];
    if (line.form == kIncludeAngle && options_->skip_system_includes) continue;
    const Resolved& found = resolved[i];
    if (found.node >= 0) {
      ++depth_;
      if (CheckIncludeDepth(assembler)) {
        RecordDependency(line.form == kIncludeQuoted ? '1' : '0', found.node,
                         nodes_[found.node].record_id);
        ScanResult below = VisitIncluded(found.node, reading);
        if (below.hit_limit) {
          result.hit_limit = true;
        } else {
          result.height = std::max(result.height, below.height + 1);
        }
      } else {
        result.hit_limit = true;
      }
      --depth_;
    } else {
      if (found.guess_record >= 0) {
        RecordDependency(line.form == kIncludeQuoted ? '1' : '0', found.guess_ref,
                         found.guess_record);
      }
      NoteUnresolved(node, i, line);
    }
  }
  return result;
}

CIncludeScanner::ScanResult CIncludeScanner::VisitIncluded(int node, IncludeReading reading) {
  int radius = DepthLimit(reading == IncludeReading::kAssembler) - depth_;
  {
    Node& n = nodes_[node];
    if (n.memo_run != run_) {
      n.memo_run = run_;
      n.full_height = -1;
      n.limit_radius = -1;
      n.saturated = false;
    }
    // A scan here would record nothing new; only whether it would reach the
    // limit is left to decide.
    if (n.full_height >= 0) {
      if (n.full_height <= radius) return ScanResult{false, n.full_height};
      NoteNestingLimit();
      return ScanResult{true, 0};
    }
    if (n.limit_radius >= radius || n.saturated) {
      if (n.limit_radius < radius && Height(node) <= radius) return ScanResult{false, Height(node)};
      NoteNestingLimit();
      return ScanResult{true, 0};
    }
  }
  // A file whose whole tree fits below this depth records the same at any
  // depth: its closure, worked out once per context, stands for the scan.
  int height = Height(node);
  if (height <= radius) {
    Closure closure = ClosureOf(node);
    const Closure::Entry* entries = closure_entries_.data() + closure.begin;
    for (uint32_t i = 0; i < closure.count; ++i) {
      RecordDependency(entries[i].form, entries[i].ref, entries[i].record_id);
    }
    for (uint32_t i = 0; i < closure.events_count; ++i) {
      const CachedRun::Event& event = closure_events_[closure.events_begin + i];
      NoteUnresolved(event.node, event.line, (*LinesOf(event.node, reading))[event.line]);
    }
    nodes_[node].full_height = height;
    return ScanResult{false, height};
  }
  ScanResult result = reading == IncludeReading::kC ? ScanCIncludes(node) : ScanAsmIncludes(node);
  if (!result.hit_limit) {
    nodes_[node].full_height = result.height;
  } else if (radius > nodes_[node].limit_radius) {
    nodes_[node].limit_radius = radius;
    // Past its reach a deeper scan cannot find more than this one did.
    if (Reach(node) <= radius) nodes_[node].saturated = true;
  }
  return result;
}

const std::span<const CIncludeScanner::Resolved>* CIncludeScanner::Edges(int node) {
  const IncludeLines* lines = LinesOf(node, context_->reading);
  if (lines == nullptr) return nullptr;
  // Searched as the scan searches below the outermost source.
  bool replace = style_ == 3 && context_->reading == IncludeReading::kC;
  std::string saved;
  if (replace) {
    saved = std::move(search_[1]);
    search_[1] = DirectoryOf(node);
  }
  int depth = depth_;
  depth_ = std::max(depth_, 1);
  const std::span<const Resolved>* resolved = &Resolve(node, *lines, false);
  depth_ = depth;
  if (replace) search_[1] = std::move(saved);
  return resolved;
}

bool CIncludeScanner::Counts(const IncludeLine& line) const {
  return !(line.form == kIncludeAngle && context_->skip_system);
}

int CIncludeScanner::Height(int node) {
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
    const std::span<const Resolved>* edges = Edges(frame.node);
    const IncludeLines* lines = LinesOf(frame.node, context_->reading);
    bool pushed = false;
    while (edges != nullptr && frame.next < edges->size()) {
      size_t i = frame.next++;
      int child = (*edges)[i].node;
      if (child < 0 || !Counts((*lines)[i])) continue;
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

const CIncludeScanner::Closure& CIncludeScanner::ClosureOf(int node) {
  if (At(node).closure.built) return At(node).closure;
  // Height(node) is finite: no cycle lies below, so the recursion ends
  // (after at most Height(node) levels). The files below come first, so
  // that this file's entries are appended in one piece.
  const std::span<const Resolved>* edges = Edges(node);
  const IncludeLines* lines = LinesOf(node, context_->reading);
  if (edges != nullptr) {
    for (size_t i = 0; i < edges->size(); ++i) {
      if ((*edges)[i].node >= 0 && Counts((*lines)[i])) ClosureOf((*edges)[i].node);
    }
  }
  std::vector<Closure::Entry>& entries = closure_entries_;
  std::vector<CachedRun::Event>& events = closure_events_;
  Closure closure;
  closure.built = true;
  closure.begin = static_cast<uint32_t>(entries.size());
  closure.events_begin = static_cast<uint32_t>(events.size());
  if (edges != nullptr) {
    if (++closure_generation_ == 0) {
      std::fill(closure_mark_.begin(), closure_mark_.end(), 0);
      closure_generation_ = 1;
    }
    if (closure_mark_.size() < recorded_in_run_.size()) {
      closure_mark_.resize(recorded_in_run_.size(), 0);
    }
    // Entries are copied by value: the arena may grow while they are read.
    auto add = [&](Closure::Entry entry) {
      if (closure_mark_[entry.record_id] == closure_generation_) return;
      closure_mark_[entry.record_id] = closure_generation_;
      entries.push_back(entry);
    };
    auto add_event = [&](CachedRun::Event event) {
      for (size_t k = closure.events_begin; k < events.size(); ++k) {
        if (events[k].node == event.node && events[k].line == event.line) return;
      }
      events.push_back(event);
    };
    for (size_t i = 0; i < edges->size(); ++i) {
      const IncludeLine& line = (*lines)[i];
      if (!Counts(line)) continue;
      const Resolved& found = (*edges)[i];
      char form = line.form == kIncludeQuoted ? '1' : '0';
      if (found.node >= 0) {
        add({found.node, nodes_[found.node].record_id, form});
        Closure below = At(found.node).closure;
        for (uint32_t k = 0; k < below.count; ++k)
          add(entries[below.begin + k]);
        for (uint32_t k = 0; k < below.events_count; ++k) {
          add_event(events[below.events_begin + k]);
        }
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

int CIncludeScanner::Reach(int node) {
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
      const std::span<const Resolved>* edges = Edges(from);
      if (edges == nullptr) continue;
      const IncludeLines* lines = LinesOf(from, context_->reading);
      if (bfs_mark_.size() < nodes_.size()) bfs_mark_.resize(nodes_.size(), 0);
      for (size_t i = 0; i < edges->size(); ++i) {
        int child = (*edges)[i].node;
        if (child < 0 || !Counts((*lines)[i]) || bfs_mark_[child] == bfs_generation_) continue;
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

namespace {

// A relative name whose components are all ordinary: canonical form leaves
// it as it is. Names with bytes beyond ASCII go the long way (a trail byte
// of a double-byte character may look like a separator).
bool IsPlainName(std::string_view name) {
  if (name.empty() || name.front() == '\\' || name.back() == '\\') return false;
  size_t start = 0;
  for (size_t i = 0; i <= name.size(); ++i) {
    if (i < name.size()) {
      unsigned char c = static_cast<unsigned char>(name[i]);
      if (c >= 0x80 || c == '/' || c == ':') return false;
      if (c != '\\') continue;
    }
    std::string_view part = name.substr(start, i - start);
    if (part.empty() || part == "." || part == "..") return false;
    start = i + 1;
  }
  return true;
}

}  // namespace

std::string CIncludeScanner::CompletePath(std::string_view dir, std::string_view name) const {
  std::string candidate;
  if (!dir.empty()) candidate = AppendLastSlash(dir);
  candidate += name;
  bool full = (candidate.size() >= 2 && candidate[1] == ':') ||
              (!candidate.empty() && IsPathSeparator(candidate[0]));
  if (!full) candidate.insert(0, base_directory_);
  std::string canonical;
  if (!GetFullPathName(candidate, fs_.GetCurrentDirectory(), &canonical)) return candidate;
  return canonical;
}

bool CIncludeScanner::IsSourceDirectoryEntry(size_t i) const {
  // Position 0 always holds the source's directory; position 1 does too,
  // except while it holds the directory of the C file being scanned (MR44A).
  return i == 0 || (i == 1 && !(style_ == 3 && context_->reading == IncludeReading::kC));
}

size_t CIncludeScanner::SearchStart(int form) const {
  size_t start = form == kIncludeQuoted ? 0 : 2;
  if (assembler_flag_ && form == kIncludeQuoted) {
    if (style_ == 1) {
      start = 1;
    } else if (style_ == 0 && depth_ >= 1) {
      start = 2;
    }
  }
  return start;
}

bool CIncludeScanner::InSourceDirectory(int node, const IncludeLines& lines) {
  std::span<const LineName> names = NamesOf(node, context_->reading);
  for (size_t k = 0; k < lines.size(); ++k) {
    if (names[k].absolute) continue;
    for (size_t i = SearchStart(lines[k].form); i < 2 && i < search_.size(); ++i) {
      if (IsSourceDirectoryEntry(i) && Probe(i, lines[k], names[k], nullptr)) return true;
    }
  }
  return false;
}

std::span<const CIncludeScanner::LineName> CIncludeScanner::NamesOf(int node,
                                                                    IncludeReading reading) {
  int r = static_cast<int>(reading);
  if (nodes_[node].names_known[r]) return nodes_[node].names[r];
  nodes_[node].names_known[r] = true;
  const IncludeLines* lines = LinesOf(node, reading);
  if (lines == nullptr) return {};
  std::span<LineName> names = placed_->names.Allocate(lines->size());
  for (size_t k = 0; k < lines->size(); ++k) {
    std::string_view name = (*lines)[k].name;
    LineName& entry = names[k];
    entry.absolute = HasDrive(name) || (!name.empty() && IsPathSeparator(name[0]));
    if (entry.absolute) continue;
    entry.plain = IsPlainName(name);
    // A plain name without directory part is looked up in the listing of
    // each entry directory, which saves forming the candidates that do not
    // exist (most of them).
    if (entry.plain && name.find('\\') == std::string_view::npos) {
      entry.exact = exact_names_.Add(name);
      lower_buffer_.assign(name);
      for (char& c : lower_buffer_)
        c = ToLowerAscii(c);
      entry.lower = lower_names_.Add(lower_buffer_);
    }
  }
  nodes_[node].names[r] = names;
  return names;
}

const std::vector<bool>* CIncludeScanner::EntryNames(size_t i) {
  if (!context_->entry_listed[i]) {
    context_->entry_listed[i] = true;
    const IncludeFileCache::Listing* listing = files_.ListingOf(context_->entry_dirs[i]);
    if (listing != nullptr) {
      // The listing as a set of name ids: every name in it is given an id
      // now, so an id given later names no file of it.
      auto [it, added] = listing_names_.try_emplace(listing);
      if (added) {
        for (const std::string& name : *listing) {
          size_t id = static_cast<size_t>(lower_names_.Add(name));
          if (it->second.size() <= id) it->second.resize(id + 1, false);
          it->second[id] = true;
        }
      }
      context_->entry_names[i] = &it->second;
    }
  }
  return context_->entry_names[i];
}

int CIncludeScanner::FoundNode(size_t i, std::string_view name, int32_t exact) {
  uint64_t key = (static_cast<uint64_t>(static_cast<uint32_t>(context_->entry_dir_ids[i])) << 32) |
                 static_cast<uint32_t>(exact);
  int32_t* found = found_nodes_.Find(key);
  if (found != nullptr) return *found;
  candidate_.assign(context_->entry_dirs[i]).append(name);
  int node = NodeFor(candidate_);
  found_nodes_.Insert(key, node);
  return node;
}

bool CIncludeScanner::Probe(size_t i, const IncludeLine& line, const LineName& name, int* node) {
  // A plain name only extends the canonical directory; the rest need the
  // whole completion, and so does position 1 while it holds the directory
  // of the C file being scanned (MR44A).
  bool replaced = i == 1 && style_ == 3 && context_->reading == IncludeReading::kC;
  const std::string& dir = context_->entry_dirs[i];
  if (name.plain && !replaced && !dir.empty()) {
    if (name.lower >= 0) {
      const std::vector<bool>* listed = EntryNames(i);
      if (listed != nullptr) {
        size_t id = static_cast<size_t>(name.lower);
        if (id >= listed->size() || !(*listed)[id]) return false;
        if (node != nullptr) *node = FoundNode(i, line.name, name.exact);
        return true;
      }
    }
    candidate_.assign(dir).append(line.name);
  } else {
    candidate_ = CompletePath(search_[i], line.name);
  }
  if (!files_.FileExists(candidate_)) return false;
  if (node != nullptr) *node = NodeFor(candidate_);
  return true;
}

bool CIncludeScanner::FindIncludeFile(const IncludeLine& line, const LineName& name, int* node,
                                      std::string* guess, bool* source_directory) {
  guess->clear();
  if (name.absolute) {
    if (files_.FileExists(line.name)) {
      *node = NodeFor(line.name);
      return true;
    }
    if (!update_dependency_file_) guess->assign(line.name);
    return false;
  }

  for (size_t i = SearchStart(line.form); i < search_.size(); ++i) {
    if (Probe(i, line, name, node)) {
      if (IsSourceDirectoryEntry(i)) *source_directory = true;
      return true;
    }
  }

  if (update_dependency_file_) return false;
  const std::string* dir = &search_[0];
  if (line.form == kIncludeAngle) {
    if (search_.size() >= 3) {
      dir = &search_[2];
    } else if (!toolchain_include_.empty()) {
      dir = &toolchain_include_;
    }
  }
  if (dir == &search_[0]) *source_directory = true;
  *guess = CompletePath(*dir, line.name);
  return false;
}

void CIncludeScanner::Replay(const CachedRun& run, IncludeReading reading) {
  ++runs_replayed_;
  for (uint32_t i = 0; i < run.events_count; ++i) {
    const CachedRun::Event event = run_events_[run.events_begin + i];
    if (event.node < 0) {
      NoteNestingLimit();
    } else {
      NoteUnresolved(event.node, event.line, (*LinesOf(event.node, reading))[event.line]);
    }
  }
}

int CIncludeScanner::DepthLimit(bool assembler) const {
  if (assembler_flag_) return 255;
  if (assembler) return 8;
  if (style_ == 2 || style_ == 0) return 31;
  return 255;
}

bool CIncludeScanner::CheckIncludeDepth(bool assembler) {
  if (depth_ <= DepthLimit(assembler)) return true;
  NoteNestingLimit();
  return false;
}

void CIncludeScanner::NoteNestingLimit() {
  if (run_hit_limit_) return;
  run_hit_limit_ = true;
  if (recording_) run_events_.push_back({-1, 0});
  if (!nesting_pending_) return;
  nesting_pending_ = false;
  output_.WriteOutputLine("W-007-D003:" + LoadMessage(ui_, kMsgIncludeTooDeep), kOutputWarning);
}

void CIncludeScanner::NoteUnresolved(int node, size_t line_index, const IncludeLine& line) {
  uint64_t key = (static_cast<uint64_t>(node) << 32) | static_cast<uint32_t>(line_index);
  if (!warned_lines_.insert(key).second) return;
  if (recording_) {
    run_events_.push_back({node, static_cast<int>(line_index)});
  }
  if (!options_->report_unresolved) return;
  if (unresolved_pending_) {
    unresolved_pending_ = false;
    output_.WriteOutputLine("W-007-D000:" + LoadMessage(ui_, kMsgIncludeNotFound), kOutputWarning);
  }
  if (!options_->title.empty() && !title_written_) {
    title_written_ = true;
    output_.WriteOutputLine("I-007-1300:" + options_->title + " - (" + source_ + ")",
                            kOutputInformation);
  }
  ++unresolved_count_;
  output_.WriteOutputLineAt("W-007-D001:", node_paths_.Text(node), line.line_number, line.text,
                            kOutputWarning);
}

}  // namespace zelvan
