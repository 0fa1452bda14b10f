#include "analysis/include_scanner.h"

#include <algorithm>
#include <climits>

#include "analysis/dependency_output.h"
#include "analysis/include_line.h"
#include "platform/ansi_text.h"
#include "platform/file_system.h"
#include "platform/ui_hooks.h"
#include "platform/win_path.h"

namespace zelvan {

// A file met during the refresh, under the spelling it was found by.
struct CIncludeScanner::Node {
  std::string path;
  std::string directory;  // drive and directory, with its trailing `\`
  int record_id = -1;
  bool lines_loaded[2] = {false, false};
  const std::vector<IncludeLine>* lines[2] = {nullptr, nullptr};

  // What the current run knows about this file (valid when memo_run is the run).
  uint32_t memo_run = 0;
  int limit_depth = INT_MAX;  // shallowest finished scan that reached the limit
  int full_height = -1;       // height of a finished scan that did not, else -1
};

// The result of the search for one include line.
struct CIncludeScanner::Resolved {
  int node = -1;          // the file found, or -1
  int guess_record = -1;  // record id of the guess, or -1 when there is none
  std::string guess;
};

// Everything that decides how an include name is searched, and the searches
// already done under it. Index 1 of `resolved` holds the outermost source's
// searches where they differ from its searches as an included file.
struct CIncludeScanner::Context {
  std::vector<std::unique_ptr<std::vector<Resolved>>> resolved[2];
};

int IncludeStyleForCpu(std::string_view cpu_family, int previous) {
  if (EqualsNoCase(cpu_family, "MR44")) return 2;
  if (EqualsNoCase(cpu_family, "MR44A")) return 3;
  if (EqualsNoCase(cpu_family, "MX-520")) return 1;
  if (EqualsNoCase(cpu_family, "MX-310/P") || EqualsNoCase(cpu_family, "MX-310/P1")) return 0;
  return previous;
}

CIncludeScanner::CIncludeScanner(FileSystem& fs, UiHooks& ui, DependencyOutput& output)
    : fs_(fs), ui_(ui), output_(output), files_(fs) {}

CIncludeScanner::~CIncludeScanner() = default;

void CIncludeScanner::BeginRefresh(bool update_dependency_file) {
  update_dependency_file_ = update_dependency_file;
  unresolved_pending_ = true;
  nesting_pending_ = true;
  unresolved_count_ = 0;
  file_scans_ = 0;
  files_.Clear();
  nodes_.clear();
  node_ids_.clear();
  record_ids_.clear();
  recorded_in_run_.clear();
  contexts_.clear();
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
  stats.files_read = files_.files_read();
  stats.existence_checks = files_.existence_checks();
  return stats;
}

bool CIncludeScanner::ScanIncludes(std::string_view source, int scan_kind,
                                   std::vector<std::string> search_list,
                                   const IncludeScanOptions& options,
                                   std::vector<std::string>* paths,
                                   std::vector<std::string>* forms) {
  paths->clear();
  forms->clear();
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
      return true;
  }

  source_.assign(source);
  options_ = &options;
  paths_ = paths;
  forms_ = forms;
  context_ = &FindContext(reading);
  int node = NodeFor(source_);
  if (reading == IncludeReading::kC) {
    ScanCIncludes(node);
  } else {
    ScanAsmIncludes(node);
  }
  context_ = nullptr;
  options_ = nullptr;
  paths_ = nullptr;
  forms_ = nullptr;
  return true;
}

void CIncludeScanner::ResetRun() {
  if (++run_ == 0) {
    // After 2^32 runs the stamps would repeat: start them over.
    std::fill(recorded_in_run_.begin(), recorded_in_run_.end(), 0);
    for (Node& node : nodes_)
      node.memo_run = 0;
    run_ = 1;
  }
  warned_lines_.clear();
  title_written_ = false;
  run_hit_limit_ = false;
}

CIncludeScanner::Context& CIncludeScanner::FindContext(IncludeReading reading) {
  std::string key;
  key += static_cast<char>('0' + style_);
  key += assembler_flag_ ? '1' : '0';
  key += reading == IncludeReading::kC ? 'c' : 'a';
  key += update_dependency_file_ ? '1' : '0';
  for (const std::string* part : {&base_directory_, &toolchain_include_}) {
    key += *part;
    key += '\0';
  }
  key += fs_.GetCurrentDirectory();
  key += '\0';
  for (const std::string& entry : search_) {
    key += entry;
    key += '\0';
  }
  std::unique_ptr<Context>& context = contexts_[key];
  if (!context) context = std::make_unique<Context>();
  return *context;
}

int CIncludeScanner::NodeFor(const std::string& path) {
  auto it = node_ids_.find(path);
  if (it != node_ids_.end()) return it->second;
  int id = static_cast<int>(nodes_.size());
  Node& node = nodes_.emplace_back();
  node.path = path;
  node.directory = GetFileDirectory(path);
  node.record_id = RecordIdFor(path);
  node_ids_.emplace(path, id);
  return id;
}

int CIncludeScanner::RecordIdFor(std::string_view path) {
  std::string key = ToLowerAscii(path);
  auto it = record_ids_.find(key);
  if (it != record_ids_.end()) return it->second;
  int id = static_cast<int>(recorded_in_run_.size());
  recorded_in_run_.push_back(0);
  record_ids_.emplace(std::move(key), id);
  return id;
}

const std::vector<CIncludeScanner::Resolved>& CIncludeScanner::Resolve(
    int node, const std::vector<IncludeLine>& lines, bool outermost) {
  // Only the quoted includes of an assembler macro source under style 0 are
  // searched differently in the outermost file.
  int variant = outermost && assembler_flag_ && style_ == 0 ? 1 : 0;
  auto& table = context_->resolved[variant];
  if (table.size() <= static_cast<size_t>(node)) table.resize(nodes_.size());
  if (!table[node]) {
    auto resolved = std::make_unique<std::vector<Resolved>>(lines.size());
    std::string found;
    for (size_t i = 0; i < lines.size(); ++i) {
      Resolved& r = (*resolved)[i];
      if (FindIncludeFile(lines[i].name, lines[i].form, &found, &r.guess)) {
        r.node = NodeFor(found);
      } else if (!r.guess.empty()) {
        r.guess_record = RecordIdFor(r.guess);
      }
    }
    table[node] = std::move(resolved);
  }
  return *table[node];
}

CIncludeScanner::ScanResult CIncludeScanner::ScanCIncludes(int node) {
  // MR44A: while a C file is scanned, position 1 is that file's directory.
  bool replace = style_ == 3;
  if (replace) {
    saved_entries_.push_back(std::move(search_[1]));
    search_[1] = nodes_[node].directory;
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

CIncludeScanner::ScanResult CIncludeScanner::ScanFile(int node, IncludeReading reading) {
  ++file_scans_;
  ScanResult result;
  int r = static_cast<int>(reading);
  if (!nodes_[node].lines_loaded[r]) {
    const std::vector<IncludeLine>* lines = files_.Lines(nodes_[node].path, reading);
    nodes_[node].lines[r] = lines;
    nodes_[node].lines_loaded[r] = true;
  }
  const std::vector<IncludeLine>* lines = nodes_[node].lines[r];
  if (lines == nullptr) return result;  // unreadable: no includes, no message

  bool assembler = reading == IncludeReading::kAssembler;
  const std::vector<Resolved>& resolved = Resolve(node, *lines, depth_ == 0);
  for (size_t i = 0; i < lines->size(); ++i) {
    const IncludeLine& line = (*lines)[i];
    if (line.form == kIncludeAngle && options_->skip_system_includes) continue;
    const Resolved& found = resolved[i];
    if (found.node >= 0) {
      ++depth_;
      if (CheckIncludeDepth(assembler)) {
        RecordDependency(line.form, nodes_[found.node].path, nodes_[found.node].record_id);
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
      if (found.guess_record >= 0) RecordDependency(line.form, found.guess, found.guess_record);
      if (options_->report_unresolved) ReportUnresolved(node, i, line);
    }
  }
  return result;
}

CIncludeScanner::ScanResult CIncludeScanner::VisitIncluded(int node, IncludeReading reading) {
  {
    Node& n = nodes_[node];
    if (n.memo_run != run_) {
      n.memo_run = run_;
      n.limit_depth = INT_MAX;
      n.full_height = -1;
    }
    // Everything a scan here would record is recorded already; only whether
    // it would reach the limit is left to decide.
    if (n.full_height >= 0) {
      if (depth_ + n.full_height <= DepthLimit(reading == IncludeReading::kAssembler)) {
        return ScanResult{false, n.full_height};
      }
      ReportNestingLimit();
      return ScanResult{true, 0};
    }
    if (n.limit_depth <= depth_) {
      ReportNestingLimit();
      return ScanResult{true, 0};
    }
  }
  ScanResult result = reading == IncludeReading::kC ? ScanCIncludes(node) : ScanAsmIncludes(node);
  Node& n = nodes_[node];  // the scan may have added nodes
  if (result.hit_limit) {
    n.limit_depth = std::min(n.limit_depth, depth_);
  } else {
    n.full_height = result.height;
  }
  return result;
}

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

bool CIncludeScanner::FindIncludeFile(std::string_view name, int form, std::string* found,
                                      std::string* guess) {
  guess->clear();
  if (HasDrive(name) || (!name.empty() && IsPathSeparator(name[0]))) {
    if (files_.FileExists(name)) {
      found->assign(name);
      return true;
    }
    if (!update_dependency_file_) guess->assign(name);
    return false;
  }

  size_t start = form == kIncludeQuoted ? 0 : 2;
  if (assembler_flag_ && form == kIncludeQuoted) {
    if (style_ == 1) {
      start = 1;
    } else if (style_ == 0 && depth_ >= 1) {
      start = 2;
    }
  }
  for (size_t i = start; i < search_.size(); ++i) {
    std::string candidate = CompletePath(search_[i], name);
    if (files_.FileExists(candidate)) {
      *found = std::move(candidate);
      return true;
    }
  }

  if (update_dependency_file_) return false;
  const std::string* dir = &search_[0];
  if (form == kIncludeAngle) {
    if (search_.size() >= 3) {
      dir = &search_[2];
    } else if (!toolchain_include_.empty()) {
      dir = &toolchain_include_;
    }
  }
  *guess = CompletePath(*dir, name);
  return false;
}

bool CIncludeScanner::RecordDependency(int form, const std::string& path, int record_id) {
  uint32_t& recorded = recorded_in_run_[record_id];
  if (recorded == run_) return false;
  recorded = run_;
  paths_->push_back(path);
  forms_->push_back(form == kIncludeQuoted ? "1" : "0");
  return true;
}

int CIncludeScanner::DepthLimit(bool assembler) const {
  if (assembler_flag_) return 255;
  if (assembler) return 8;
  if (style_ == 2 || style_ == 0) return 31;
  return 255;
}

bool CIncludeScanner::CheckIncludeDepth(bool assembler) {
  if (depth_ <= DepthLimit(assembler)) return true;
  ReportNestingLimit();
  return false;
}

void CIncludeScanner::ReportNestingLimit() {
  run_hit_limit_ = true;
  if (!nesting_pending_) return;
  nesting_pending_ = false;
  output_.WriteOutputLine("W-007-D003:" + ui_.LoadString(kMsgDependencyNestingLimit),
                          kDependencyLineWarning);
}

void CIncludeScanner::ReportUnresolved(int node, size_t line_index, const IncludeLine& line) {
  uint64_t key = (static_cast<uint64_t>(node) << 32) | static_cast<uint32_t>(line_index);
  if (!warned_lines_.insert(key).second) return;
  if (unresolved_pending_) {
    unresolved_pending_ = false;
    output_.WriteOutputLine("W-007-D000:" + ui_.LoadString(kMsgDependencyUnresolvedFirst),
                            kDependencyLineWarning);
  }
  if (!options_->title.empty() && !title_written_) {
    title_written_ = true;
    output_.WriteOutputLine("I-007-1300:" + options_->title + " - (" + source_ + ")",
                            kDependencyLineInformation);
  }
  ++unresolved_count_;
  output_.WriteOutputLineAt("W-007-D001:", nodes_[node].path, line.line_number, line.text,
                            kDependencyLineWarning);
}

}  // namespace zelvan
