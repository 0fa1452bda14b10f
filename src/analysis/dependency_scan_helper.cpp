#include "analysis/dependency_scan_helper.h"

#include "analysis/dependency_output.h"
#include "platform/ui_hooks.h"

namespace zelvan {

// The helper writes no lines and shows nothing: its runs' notes are
// reported by the refresh.
class DependencyScanHelper::Silent final : public DependencyOutput, public UiHooks {
 public:
  void WriteOutputLine(std::string_view, int) override {}
  void WriteOutputLineAt(std::string_view, std::string_view, int, std::string_view, int) override {}
  int MessageBox(std::string_view, std::string_view, unsigned) override { return kIdOk; }
  std::string LoadString(unsigned) override { return {}; }
};

DependencyScanHelper::DependencyScanHelper(FileSystem& fs)
    : silent_(std::make_unique<Silent>()), scanner_(fs, *silent_, *silent_) {}

DependencyScanHelper::~DependencyScanHelper() {
  Stop();
}

void DependencyScanHelper::BeginRefresh(bool update_dependency_file) {
  scanner_.BeginRefresh(update_dependency_file);
  published_nodes_.clear();
  published_guesses_.clear();
}

void DependencyScanHelper::Start(std::vector<DependencyScanJob> jobs, IncludeScanOptions options) {
  Stop();
  jobs_ = std::move(jobs);
  options_ = std::move(options);
  results_.assign(jobs_.size(), Result());
  done_ = 0;
  finished_ = false;
  stop_ = false;
  thread_ = std::thread([this] { Work(); });
}

void DependencyScanHelper::Work() {
  for (size_t i = 0; i < jobs_.size(); ++i) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (stop_) break;
    }
    DependencyScanJob& job = jobs_[i];
    Result result;
    scanner_.ScanIncludeRefs(job.source, job.scan_kind, std::move(job.search), options_,
                             &result.refs, &result.forms, &result.notes);
    for (int ref : result.refs) {
      std::vector<bool>& published = ref >= 0 ? published_nodes_ : published_guesses_;
      size_t index = ref >= 0 ? static_cast<size_t>(ref) : static_cast<size_t>(-1 - ref);
      if (published.size() <= index) published.resize(index + 1, false);
      if (published[index]) continue;
      published[index] = true;
      result.new_paths.emplace_back(ref, scanner_.RecordPath(ref));
    }
    std::lock_guard<std::mutex> lock(mutex_);
    results_[i] = std::move(result);
    done_ = i + 1;
    ready_.notify_all();
  }
  std::lock_guard<std::mutex> lock(mutex_);
  finished_ = true;
  ready_.notify_all();
}

const DependencyScanHelper::Result& DependencyScanHelper::Wait(size_t i) {
  std::unique_lock<std::mutex> lock(mutex_);
  ready_.wait(lock, [&] { return done_ > i || finished_; });
  return results_[i];
}

void DependencyScanHelper::Stop() {
  if (!thread_.joinable()) return;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  thread_.join();
}

}  // namespace zelvan
