// The second thread of a dependency refresh. While the refresh's own thread
// scans the first part of a project's sources, the helper scans the rest
// with a scanner of its own and keeps each run; the refresh then takes the
// runs in order, stores their records and writes their lines (through its
// IncludeWarnings), so that records, lines and their order are those of one
// thread. Both scanners share the file system through a LockedFileSystem.
//
// A run on the helper refers to paths by the references of the helper's
// scanner; each reference's path is handed over with the first run that
// records it. Paths and notes stay valid until the helper's next
// BeginRefresh.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "analysis/include_scanner.h"

namespace zelvan {

// One source to scan, with everything the per-file step worked out for it.
struct DependencyScanJob {
  std::string source;  // full path
  int scan_kind = kScanKindNone;
  std::vector<std::string> search;
};

class DependencyScanHelper {
 public:
  // `fs` must be safe to call from two threads and outlive the helper.
  explicit DependencyScanHelper(FileSystem& fs);
  ~DependencyScanHelper();
  DependencyScanHelper(const DependencyScanHelper&) = delete;
  DependencyScanHelper& operator=(const DependencyScanHelper&) = delete;

  // The helper's scanner, to be set up like the refresh's while the helper
  // is not running.
  CIncludeScanner& scanner() { return scanner_; }
  void BeginRefresh(bool update_dependency_file);

  struct Result {
    std::vector<int> refs;  // references of the helper's scanner
    std::string forms;
    std::vector<std::pair<int, std::string_view>> new_paths;  // references first met here
    std::vector<IncludeNote> notes;
  };
  // Scans `jobs` in order on the helper's thread.
  void Start(std::vector<DependencyScanJob> jobs, IncludeScanOptions options);
  // The result of job `i` of the last Start, once it is there.
  const Result& Wait(size_t i);
  // Ends the thread after the job at hand; the jobs after it are dropped.
  void Stop();

 private:
  void Work();

  class Silent;
  std::unique_ptr<Silent> silent_;
  CIncludeScanner scanner_;
  std::vector<DependencyScanJob> jobs_;
  IncludeScanOptions options_;
  std::vector<Result> results_;
  std::vector<bool> published_nodes_;  // the helper thread's own
  std::vector<bool> published_guesses_;
  std::thread thread_;
  std::mutex mutex_;
  std::condition_variable ready_;
  size_t done_ = 0;        // results there (under mutex_)
  bool finished_ = false;  // the thread has ended (under mutex_)
  bool stop_ = false;      // under mutex_
};

}  // namespace zelvan
