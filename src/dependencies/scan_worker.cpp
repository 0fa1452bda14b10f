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
  {
    MutexLock lock(mutex_);
    done_ = 0;
    finished_ = false;
  }
  task_.Start([this](std::stop_token stop) { Work(stop); });
}

void ScanWorker::Work(std::stop_token stop) {
  // Whether a reference was handed on since Start, by node and by guess.
  std::vector<bool> node_seen;
  std::vector<bool> guess_seen;
  std::vector<IncludeNote> notes;
  for (size_t i = 0; i < jobs_.size(); ++i) {
    if (stop.stop_requested()) break;
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
    MutexLock lock(mutex_);
    done_ = i + 1;
    done_changed_.NotifyOne();
  }
  MutexLock lock(mutex_);
  finished_ = true;
  done_changed_.NotifyOne();
}

const ScanWorker::Result* ScanWorker::Take(size_t index) {
  MutexLock lock(mutex_);
  while (done_ <= index && !finished_)
    done_changed_.Wait(mutex_);
  return done_ > index ? &results_[index] : nullptr;
}

void ScanWorker::Stop() {
  task_.Stop();
}

}  // namespace zelvan
