#include "dependencies/include_scanner.h"

#include <algorithm>
#include <utility>

#include "platform/file_system.h"

namespace zelvan {

IncludeScanner::IncludeScanner(ReadOnlyFileSystem& fs, UiHooks& ui, DependencyOutput& output)
    : fs_(fs), files_(fs), search_(fs, files_), graph_(search_), warnings_(ui, output) {}

void IncludeScanner::BeginRefresh(bool update_dependency_file) {
  files_.Clear();
  search_.BeginRefresh(update_dependency_file);
  graph_.BeginRefresh();
  warnings_.BeginRefresh();
  chain_found_ = false;
  chain_.clear();
}

int IncludeScanner::SetIncludeStyle(std::string_view cpu_family) {
  search_.set_style(IncludeStyleForCpu(cpu_family, search_.style()));
  return search_.style();
}

IncludeScanner::Stats IncludeScanner::stats() const {
  Stats stats;
  stats.file_scans = graph_.file_scans();
  stats.runs_replayed = graph_.runs_replayed();
  stats.files_read = files_.files_read();
  stats.existence_checks = files_.existence_checks();
  return stats;
}

bool IncludeScanner::Run(std::string_view source, int scan_kind,
                         std::vector<std::string> search_list, const IncludeScanOptions& options,
                         IncludeGraph::Records* records, std::vector<IncludeNote>* notes) {
  IncludeSearch::Run run;
  last_run_hit_limit_ = false;
  if (!search_.BeginRun(source, scan_kind, std::move(search_list), options.skip_system_includes,
                        &run)) {
    return false;
  }
  *records = graph_.Scan(run);
  last_run_hit_limit_ = records->hit_limit;
  std::vector<IncludeNote>& kept = notes != nullptr ? *notes : notes_;
  kept.clear();
  for (const IncludeGraph::Event& event : records->events) {
    IncludeNote& note = kept.emplace_back();
    if (event.node < 0) {
      note.nesting_limit = true;
      if (options.include_chains && !chain_found_) {
        chain_found_ = true;
        chain_ = DeepChain(source, run);
      }
      note.text = chain_;
      continue;
    }
    const IncludeLine& line =
        (*search_.LinesOf(event.node, run.reading))[static_cast<size_t>(event.line)];
    note.file = search_.NodePath(event.node);
    note.line_number = line.line_number;
    note.text = line.text;
  }
  if (notes == nullptr) warnings_.Report(kept, options, source);
  return true;
}

std::string IncludeScanner::DeepChain(std::string_view source, const IncludeSearch::Run& run) {
  // The memoised scan knows that a branch went too deep, not along which
  // files: they are searched for again, once a refresh.
  const int saved_depth = search_.depth();
  search_.set_depth(0);
  std::vector<int> chain;
  const int limit = search_.DepthLimit(run.reading == IncludeReading::kAssembler);
  const bool found = ChainFrom(run.source, limit + 1, run.reading, &chain);
  search_.set_depth(saved_depth);
  // What the search learnt holds for this run's search list only.
  included_by_.clear();
  too_short_.clear();
  if (!found) return std::string();
  // Only a command line shows the chain: its user reads host paths.
  auto host = [this](std::string_view path) {
    std::string host_path = fs_.ToHostPath(path);
    return host_path.empty() ? std::string(path) : host_path;
  };
  std::string text = host(source);
  std::vector<int> seen{run.source};
  for (int node : chain) {
    text += " > ";
    text += host(search_.NodePath(node));
    if (std::find(seen.begin(), seen.end(), node) != seen.end()) {
      text += " > ...";
      break;
    }
    seen.push_back(node);
  }
  return text + " (" + std::to_string(limit + 1) + " includes deep)";
}

const std::vector<int>& IncludeScanner::IncludedBy(int node, IncludeReading reading) {
  auto [it, added] = included_by_.try_emplace(node);
  if (!added) return it->second;
  const IncludeLines* lines = search_.LinesOf(node, reading);
  if (lines == nullptr) return it->second;
  if (reading == IncludeReading::kC) search_.EnterFile(node);
  bool source_directory = false;
  std::span<const IncludeResolved> resolved = search_.Search(node, *lines, &source_directory);
  for (size_t i = 0; i < lines->size(); ++i) {
    if (resolved[i].node >= 0 && search_.Counts((*lines)[i]))
      it->second.push_back(resolved[i].node);
  }
  if (reading == IncludeReading::kC) search_.LeaveFile();
  return it->second;
}

// Whether a chain of `need` includes starts at `node`; `chain` receives it.
bool IncludeScanner::ChainFrom(int node, int need, IncludeReading reading,
                               std::vector<int>* chain) {
  if (need <= 0) return true;
  auto known = too_short_.find(node);
  if (known != too_short_.end() && known->second <= need) return false;
  const std::vector<int> next = IncludedBy(node, reading);  // a copy: the table grows below
  search_.set_depth(search_.depth() + 1);
  for (int included : next) {
    chain->push_back(included);
    if (ChainFrom(included, need - 1, reading, chain)) return true;
    chain->pop_back();
  }
  search_.set_depth(search_.depth() - 1);
  int& shortest = too_short_.try_emplace(node, need).first->second;
  shortest = std::min(shortest, need);
  return false;
}

bool IncludeScanner::ScanIncludes(std::string_view source, int scan_kind,
                                  std::vector<std::string> search_list,
                                  const IncludeScanOptions& options,
                                  std::vector<std::string>* paths,
                                  std::vector<std::string>* forms) {
  IncludeGraph::Records records;
  Run(source, scan_kind, std::move(search_list), options, &records);
  size_t count = records.refs.size();
  // The caller's strings are overwritten in place: their buffers serve again.
  paths->resize(count);
  forms->resize(count);
  for (size_t i = 0; i < count; ++i) {
    (*paths)[i] = RecordPath(records.refs[i]);
    std::string& form = (*forms)[i];
    if (form.size() != 1) form.resize(1);
    form[0] = records.forms[i];
  }
  return true;
}

bool IncludeScanner::ScanIncludeRefs(std::string_view source, int scan_kind,
                                     std::vector<std::string> search_list,
                                     const IncludeScanOptions& options, std::vector<int>* refs,
                                     std::string* forms) {
  IncludeGraph::Records records;
  Run(source, scan_kind, std::move(search_list), options, &records);
  refs->assign(records.refs.begin(), records.refs.end());
  forms->assign(records.forms);
  return true;
}

bool IncludeScanner::ScanIncludeRefs(std::string_view source, int scan_kind,
                                     std::vector<std::string> search_list,
                                     const IncludeScanOptions& options, std::vector<int>* refs,
                                     std::string* forms, std::vector<IncludeNote>* notes) {
  IncludeGraph::Records records;
  notes->clear();
  Run(source, scan_kind, std::move(search_list), options, &records, notes);
  refs->assign(records.refs.begin(), records.refs.end());
  forms->assign(records.forms);
  return true;
}

}  // namespace zelvan
