#include "analysis/include_scanner.h"

#include <utility>

namespace zelvan {

CIncludeScanner::CIncludeScanner(FileSystem& fs, UiHooks& ui, DependencyOutput& output)
    : files_(fs), search_(fs, files_), graph_(search_), warnings_(ui, output) {}

void CIncludeScanner::BeginRefresh(bool update_dependency_file) {
  files_.Clear();
  search_.BeginRefresh(update_dependency_file);
  graph_.BeginRefresh();
  warnings_.BeginRefresh();
}

int CIncludeScanner::SetIncludeStyle(std::string_view cpu_family) {
  search_.set_style(IncludeStyleForCpu(cpu_family, search_.style()));
  return search_.style();
}

CIncludeScanner::Stats CIncludeScanner::stats() const {
  Stats stats;
  stats.file_scans = graph_.file_scans();
  stats.runs_replayed = graph_.runs_replayed();
  stats.files_read = files_.files_read();
  stats.existence_checks = files_.existence_checks();
  return stats;
}

bool CIncludeScanner::Run(std::string_view source, int scan_kind,
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

bool CIncludeScanner::ScanIncludes(std::string_view source, int scan_kind,
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

bool CIncludeScanner::ScanIncludeRefs(std::string_view source, int scan_kind,
                                      std::vector<std::string> search_list,
                                      const IncludeScanOptions& options, std::vector<int>* refs,
                                      std::string* forms) {
  IncludeGraph::Records records;
  Run(source, scan_kind, std::move(search_list), options, &records);
  refs->assign(records.refs.begin(), records.refs.end());
  forms->assign(records.forms);
  return true;
}

bool CIncludeScanner::ScanIncludeRefs(std::string_view source, int scan_kind,
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
