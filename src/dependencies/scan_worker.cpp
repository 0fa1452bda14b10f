#include "dependencies/scan_worker.h"

namespace zelvan {

ScanWorker::ScanWorker(ReadOnlyFileSystem& fs, UiHooks& ui, DependencyOutput& output)
    : scanner_(fs, ui, output) {}

ScanWorker::~ScanWorker() {
  Stop();
}

void ScanWorker::Start(std::vector<DependencyScanJob> jobs, const IncludeScanOptions& options) {
  Stop();
  jobs_ = std::move(jobs);
  options_ = options;
  results_.clear();
  results_.resize(jobs_.size());
  done_ = 0;
  finished_ = false;
  stop_ = false;
  thread_ = std::thread([this] { Work(); });
}

void ScanWorker::Work() {
  // Whether a reference was handed on since Start, by node and by guess.
  std::vector<bool> node_seen;
  std::vector<bool> guess_seen;
  std::vector<IncludeNote> notes;
  for (size_t i = 0; i < jobs_.size(); ++i) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (stop_) break;
    }
    DependencyScanJob& job = jobs_[i];
    Result& result = results_[i];
    scanner_.ScanIncludeRefs(job.source, job.scan_kind, std::move(job.search), options_,
                             &result.refs, &result.forms, &notes);
    for (int ref : result.refs) {
      std::vector<bool>& seen = ref >= 0 ? node_seen : guess_seen;
      size_t index = ref >= 0 ? static_cast<size_t>(ref) : static_cast<size_t>(-1 - ref);
      if (seen.size() <= index) seen.resize(index + 1, false);
      if (seen[index]) continue;
      seen[index] = true;
      result.new_refs.emplace_back(ref, std::string(scanner_.RecordPath(ref)));
    }
    for (IncludeNote note : notes) {
      note.file = result.note_texts.emplace_back(note.file);
      note.text = result.note_texts.emplace_back(note.text);
      result.notes.push_back(note);
    }
    result.source = std::move(job.source);
    std::lock_guard<std::mutex> lock(mutex_);
    done_ = i + 1;
    done_changed_.notify_one();
  }
  std::lock_guard<std::mutex> lock(mutex_);
  finished_ = true;
  done_changed_.notify_one();
}

const ScanWorker::Result* ScanWorker::Take(size_t index) {
  std::unique_lock<std::mutex> lock(mutex_);
  done_changed_.wait(lock, [&] { return done_ > index || finished_; });
  return done_ > index ? &results_[index] : nullptr;
}

void ScanWorker::Stop() {
  if (!thread_.joinable()) return;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  thread_.join();
}

}  // namespace zelvan
