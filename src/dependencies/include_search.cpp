#include "dependencies/include_search.h"

#include "dependencies/include_line.h"
#include "platform/ansi_text.h"
#include "platform/file_system.h"
#include "platform/win_path.h"

namespace zelvan {

// What decides how an include name is searched besides the source's
// directory: each search entry completed and in canonical form, with its
// trailing `\` (empty where that failed), and its listing, looked up on
// first use (null: it cannot be listed).
struct IncludeSearch::Context {
  IncludeReading reading = IncludeReading::kC;
  int tail = -1;
  std::vector<std::string> entry_dirs;
  std::vector<int32_t> entry_dir_ids;  // the same by id (see FoundNode)
  std::vector<const std::vector<bool>*> entry_names;
  std::vector<bool> entry_listed;
};

int IncludeStyleForCpu(std::string_view cpu_family, int previous) {
  if (EqualsNoCase(cpu_family, "MR44")) return 2;
  if (EqualsNoCase(cpu_family, "MR44A")) return 3;
  if (EqualsNoCase(cpu_family, "MX-520")) return 1;
  if (EqualsNoCase(cpu_family, "MX-310/P") || EqualsNoCase(cpu_family, "MX-310/P1")) return 0;
  return previous;
}

IncludeSearch::IncludeSearch(PathMapper& fs, IncludeFileCache& files) : fs_(fs), files_(files) {}

IncludeSearch::~IncludeSearch() = default;

void IncludeSearch::BeginRefresh(bool update_dependency_file) {
  update_dependency_file_ = update_dependency_file;
  exact_names_.Clear();
  lower_names_.Clear();
  listing_names_.clear();
  dir_ids_.Clear();
  found_nodes_.Clear();
  probed_paths_.Clear();
  guesses_.Clear();
  guess_records_.clear();
  nodes_.clear();
  node_paths_.Clear();
  record_paths_.Clear();
  resolved_.Reset();
  names_.Reset();
  contexts_.clear();
  context_keys_.Clear();
  tail_keys_.Clear();
  last_context_ = -1;
  context_ = nullptr;
}

void IncludeSearch::SetBaseDirectory(std::string_view dir) {
  base_directory_ = dir.empty() ? std::string() : AppendLastSlash(dir);
}

bool IncludeSearch::BeginRun(std::string_view source, int scan_kind,
                             std::vector<std::string> search_list, bool skip_system, Run* run) {
  std::string directory = GetFileDirectory(source);
  search_ = std::move(search_list);
  search_.insert(search_.begin(), 2, directory);
  entered_.clear();
  depth_ = 0;
  assembler_flag_ = false;
  skip_system_ = skip_system;
  switch (scan_kind) {
    case kScanKindC:
    case kScanKindCcl:
      run->reading = IncludeReading::kC;
      break;
    case kScanKindAssembler:
      search_.emplace_back(".");
      run->reading = IncludeReading::kAssembler;
      break;
    case kScanKindAssemblerMacro:
      assembler_flag_ = true;
      run->reading = IncludeReading::kAssembler;
      break;
    default:
      return false;
  }
  context_ = &FindContext(run->reading, skip_system);
  context_reading_ = context_->reading;
  run->context = last_context_;
  run->tail = context_->tail;
  run->source = NodeFor(source);
  return true;
}

IncludeSearch::Context& IncludeSearch::FindContext(IncludeReading reading, bool skip_system) {
  std::string& key = context_key_;
  key.clear();
  key += static_cast<char>('0' + style_);
  key += assembler_flag_ ? '1' : '0';
  key += reading == IncludeReading::kC ? 'c' : 'a';
  key += update_dependency_file_ ? '1' : '0';
  key += skip_system ? '1' : '0';
  for (const std::string* part : {&base_directory_, &toolchain_include_}) {
    key += *part;
    key += '\0';
  }
  // Nothing changes the current directory while a run's searches are made.
  cwd_ = fs_.GetCurrentDirectory();
  key += cwd_;
  key += '\0';
  size_t prefix_size = key.size();
  for (const std::string& entry : search_) {
    key += entry;
    key += '\0';
  }
  // Sources come in project order: mostly the context of the last one.
  if (last_context_ >= 0 && key == last_context_key_) {
    return *contexts_[static_cast<size_t>(last_context_)];
  }
  int id = context_keys_.Add(key);
  if (static_cast<size_t>(id) == contexts_.size()) {
    auto context = std::make_unique<Context>();
    context->reading = reading;
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
    context->tail = tail_keys_.Add(tail_key);
    contexts_.push_back(std::move(context));
  }
  last_context_ = id;
  last_context_key_ = key;
  return *contexts_[static_cast<size_t>(id)];
}

int IncludeSearch::NodeFor(std::string_view path) {
  int id = node_paths_.Add(path);
  if (static_cast<size_t>(id) == nodes_.size()) {
    int record_id = RecordIdFor(path);
    nodes_.emplace_back().record_id = record_id;
  }
  return id;
}

int IncludeSearch::RecordIdFor(std::string_view path) {
  lower_buffer_.assign(path);
  for (char& c : lower_buffer_)
    c = ToLowerAscii(c);
  return record_paths_.Add(lower_buffer_);
}

const std::string& IncludeSearch::DirectoryOf(int node) {
  Node& n = nodes_[static_cast<size_t>(node)];
  if (!n.directory_known) {
    n.directory = GetFileDirectory(node_paths_.Text(node));
    n.directory_known = true;
  }
  return n.directory;
}

const IncludeLines* IncludeSearch::LoadLines(int node, IncludeReading reading) {
  int r = static_cast<int>(reading);
  Node& n = nodes_[static_cast<size_t>(node)];
  n.lines[r] = files_.Lines(node_paths_.Text(node), reading);
  n.lines_loaded[r] = true;
  return n.lines[r];
}

std::span<const IncludeResolved> IncludeSearch::Search(int node, const IncludeLines& lines,
                                                       bool* source_directory) {
  std::span<IncludeResolved> resolved = resolved_.Allocate(lines.size());
  std::span<const LineName> names = NamesOf(node, context_->reading);
  for (size_t i = 0; i < lines.size(); ++i) {
    IncludeResolved& r = resolved[i];
    if (!FindIncludeFile(lines[i], names[i], &r.node, &guess_, source_directory)) {
      r.node = -1;
      if (!guess_.empty()) {
        r.guess_record = RecordIdFor(guess_);
        int guess = guesses_.Add(guess_);
        if (static_cast<size_t>(guess) == guess_records_.size()) {
          guess_records_.push_back(r.guess_record);
        }
        r.guess_ref = -1 - guess;
      }
    }
  }
  return resolved;
}

namespace {

// A relative name whose components are all ordinary: canonical form leaves
// it as it is, but for `/` made `\`. Names with bytes beyond ASCII go the
// long way (a trail byte of a double-byte character may look like a
// separator).
bool IsPlainName(std::string_view name) {
  if (name.empty() || IsPathSeparator(name.front()) || IsPathSeparator(name.back())) return false;
  size_t start = 0;
  for (size_t i = 0; i <= name.size(); ++i) {
    if (i < name.size()) {
      unsigned char c = static_cast<unsigned char>(name[i]);
      if (c >= 0x80 || c == ':') return false;
      if (c != '\\' && c != '/') continue;
    }
    std::string_view part = name.substr(start, i - start);
    if (part.empty() || part == "." || part == "..") return false;
    start = i + 1;
  }
  return true;
}

}  // namespace

std::string IncludeSearch::CompletePath(std::string_view dir, std::string_view name) const {
  std::string candidate;
  if (!dir.empty()) candidate = AppendLastSlash(dir);
  candidate += name;
  bool full = (candidate.size() >= 2 && candidate[1] == ':') ||
              (!candidate.empty() && IsPathSeparator(candidate[0]));
  if (!full) candidate.insert(0, base_directory_);
  std::string canonical;
  if (!GetFullPathName(candidate, cwd_, &canonical)) return candidate;
  return canonical;
}

bool IncludeSearch::IsSourceDirectoryEntry(size_t i) const {
  // Position 0 always holds the source's directory; position 1 does too,
  // except while it holds the directory of the C file being scanned (MR44A).
  return i == 0 || (i == 1 && !(style_ == 3 && context_->reading == IncludeReading::kC));
}

size_t IncludeSearch::SearchStart(int form) const {
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

bool IncludeSearch::InSourceDirectory(int node, const IncludeLines& lines) {
  std::span<const LineName> names = NamesOf(node, context_->reading);
  for (size_t k = 0; k < lines.size(); ++k) {
    if (names[k].absolute) continue;
    for (size_t i = SearchStart(lines[k].form); i < 2 && i < search_.size(); ++i) {
      if (IsSourceDirectoryEntry(i) && Probe(i, lines[k], names[k], nullptr)) return true;
    }
  }
  return false;
}

bool IncludeSearch::SourceDirectoryNames(int node, const IncludeLines& lines,
                                         std::vector<int32_t>* found) {
  std::span<const LineName> names = NamesOf(node, context_->reading);
  for (size_t k = 0; k < lines.size(); ++k) {
    if (names[k].absolute) continue;
    for (size_t i = SearchStart(lines[k].form); i < 2 && i < search_.size(); ++i) {
      if (!IsSourceDirectoryEntry(i)) continue;
      // Probe looks these up in the listing of entry 0 (the same directory
      // as entry 1 where that is the source's).
      if (!names[k].plain || names[k].lower < 0 || context_->entry_dirs[i].empty()) return false;
      found->push_back(names[k].lower);
    }
  }
  return true;
}

std::span<const IncludeSearch::LineName> IncludeSearch::NamesOf(int node, IncludeReading reading) {
  int r = static_cast<int>(reading);
  if (nodes_[static_cast<size_t>(node)].names_known[r]) {
    return nodes_[static_cast<size_t>(node)].names[r];
  }
  nodes_[static_cast<size_t>(node)].names_known[r] = true;
  const IncludeLines* lines = LinesOf(node, reading);
  if (lines == nullptr) return {};
  std::span<LineName> names = names_.Allocate(lines->size());
  for (size_t k = 0; k < lines->size(); ++k) {
    std::string_view name = (*lines)[k].name;
    LineName& entry = names[k];
    entry.absolute = HasDrive(name) || (!name.empty() && IsPathSeparator(name[0]));
    if (entry.absolute) continue;
    entry.plain = IsPlainName(name);
    if (entry.plain && name.find('/') != std::string_view::npos) {
      lower_buffer_.assign(name);
      for (char& c : lower_buffer_) {
        if (c == '/') c = '\\';
      }
      entry.spelled = exact_names_.Add(lower_buffer_);
    }
    // A plain name without directory part is looked up in the listing of
    // each entry directory, which saves forming the candidates that do not
    // exist (most of them).
    if (entry.plain && name.find_first_of("\\/") == std::string_view::npos) {
      entry.exact = exact_names_.Add(name);
      lower_buffer_.assign(name);
      for (char& c : lower_buffer_)
        c = ToLowerAscii(c);
      entry.lower = lower_names_.Add(lower_buffer_);
    }
    if (entry.plain) entry.path = entry.spelled >= 0 ? entry.spelled : exact_names_.Add(name);
  }
  nodes_[static_cast<size_t>(node)].names[r] = names;
  return names;
}

const std::vector<bool>* IncludeSearch::EntryNames(size_t i) {
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

int IncludeSearch::FoundNode(size_t i, std::string_view name, int32_t exact) {
  uint64_t key = (static_cast<uint64_t>(static_cast<uint32_t>(context_->entry_dir_ids[i])) << 32) |
                 static_cast<uint32_t>(exact);
  int32_t* found = found_nodes_.Find(key);
  if (found != nullptr) return *found;
  candidate_.assign(context_->entry_dirs[i]).append(name);
  int node = NodeFor(candidate_);
  found_nodes_.Insert(key, node);
  return node;
}

bool IncludeSearch::Probe(size_t i, const IncludeLine& line, const LineName& name, int* node) {
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
    } else {
      // The same name is looked for below the same directory by many
      // files: the answer is kept.
      uint64_t key =
          (static_cast<uint64_t>(static_cast<uint32_t>(context_->entry_dir_ids[i])) << 32) |
          static_cast<uint32_t>(name.path);
      int32_t* known = probed_paths_.Find(key);
      if (known == nullptr) {
        candidate_.assign(dir).append(exact_names_.Text(name.path));
        probed_paths_.Insert(key, files_.FileExists(candidate_) ? -2 : -1);
        known = probed_paths_.Find(key);
      }
      if (*known == -1) return false;
      if (node != nullptr) {
        if (*known == -2) {
          candidate_.assign(dir).append(exact_names_.Text(name.path));
          int found = NodeFor(candidate_);
          *probed_paths_.Find(key) = found;
          *node = found;
        } else {
          *node = *known;
        }
      }
      return true;
    }
    candidate_.assign(dir).append(line.name);
  } else {
    // Position 1 of the file being scanned (MR44A) is its directory.
    candidate_ = CompletePath(
        i == 1 && !entered_.empty() ? DirectoryOf(entered_.back()) : search_[i], line.name);
  }
  if (!files_.FileExists(candidate_)) return false;
  if (node != nullptr) *node = NodeFor(candidate_);
  return true;
}

bool IncludeSearch::FindIncludeFile(const IncludeLine& line, const LineName& name, int* node,
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

}  // namespace zelvan
