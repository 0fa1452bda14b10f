// A second include scanner on a thread of its own. A refresh with two
// threads hands it its scans; the worker scans its jobs in order and keeps
// each one's records and notes until the refresh comes to it, which stores
// the records of one job while the worker scans the next.
//
// Scanners share nothing, so a job gives the records the refresh's scanner
// would give; only the references are the worker's own. Each job's result
// therefore names, with their texts, the references that no earlier job of
// the same Start used, and its notes view copies: nothing of the worker's
// scanner is read by another thread while it runs.
#pragma once

#include <cstddef>
#include <deque>
#include <memory>
#include <stop_token>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "dependencies/include_scanner.h"
#include "platform/background_task.h"
#include "platform/thread_annotations.h"

namespace zelvan {

class DependencyOutput;
class ReadOnlyFileSystem;
class UiHooks;

// One source to scan, with everything the per-file step works out for it.
struct DependencyScanJob {
  std::string source;  // full path
  int scan_kind = kScanKindNone;
  std::vector<std::string> search;
};

class ScanWorker {
 public:
  // `fs` must allow calls from two threads (see LockedFileSystem); the
  // worker's scanner writes no lines, but needs `ui` and `output` to be.
  ScanWorker(ReadOnlyFileSystem& fs, UiHooks& ui, DependencyOutput& output);
  // Stops the thread.
  ~ScanWorker();
  ScanWorker(const ScanWorker&) = delete;
  ScanWorker& operator=(const ScanWorker&) = delete;

  // The worker's scanner, to be set up like the refresh's own; only while
  // no jobs run.
  IncludeScanner& scanner() { return scanner_; }

  // What the worker made of one job.
  struct Result {
    std::string source;
    std::vector<int> refs;
    std::string forms;
    // References met for the first time since Start, with their paths.
    std::vector<std::pair<int, std::string>> new_refs;
    // The run's notes, viewing copies of their texts in `note_texts` (a
    // deque: its strings stay where they are).
    std::vector<IncludeNote> notes;
    std::deque<std::string> note_texts;
  };

  // Scans `jobs` in order on the thread (stopping the jobs of an earlier
  // Start first).
  void Start(std::vector<DependencyScanJob> jobs, const IncludeScanOptions& options);
  // Waits until the job `index` of the last Start is done. Null when the
  // worker was stopped before it. The result stays until the next Start.
  const Result* Take(size_t index) EXCLUDES(mutex_);
  // Stops after the job in hand and waits for the thread.
  void Stop();

 private:
  void Work(std::stop_token stop) EXCLUDES(mutex_);

  // While a task runs, the scanner, the jobs and the results from `done_`
  // on are its own; a result below `done_` is the caller's.
  IncludeScanner scanner_;
  std::vector<DependencyScanJob> jobs_;
  IncludeScanOptions options_;
  std::vector<Result> results_;
  Mutex mutex_;
  CondVar done_changed_;
  size_t done_ GUARDED_BY(mutex_) = 0;        // results ready
  bool finished_ GUARDED_BY(mutex_) = false;  // the thread does no more
  // Last, so that it stops first.
  BackgroundTask task_;
};

}  // namespace zelvan
