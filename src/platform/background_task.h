// Work on a thread of its own: the one way the system starts threads.
// Whoever starts a task waits for it (Wait) before touching what the task
// touches; a task that goes out of scope is asked to stop and waited for,
// so no thread outlives the data it uses.
//
// The work is a callable taking nothing or a std::stop_token; a long one
// checks its token between steps and ends early once Stop asks it to.
#pragma once

#include <stop_token>
#include <thread>
#include <utility>

namespace zelvan {

class BackgroundTask {
 public:
  BackgroundTask() = default;
  ~BackgroundTask() { Stop(); }
  BackgroundTask(const BackgroundTask&) = delete;
  BackgroundTask& operator=(const BackgroundTask&) = delete;

  // Runs `work` on a new thread, after the work started before has ended.
  template <typename Work>
  void Start(Work&& work) {
    Wait();
    thread_ = std::jthread(std::forward<Work>(work));
  }
  // Waits until the work has ended; at once when none was started.
  void Wait() {
    if (thread_.joinable()) thread_.join();
  }
  // Asks the work to stop, and waits for it.
  void Stop() {
    thread_.request_stop();
    Wait();
  }

  // How many threads the machine runs at once; 0 when it cannot tell.
  static unsigned HardwareThreads() { return std::thread::hardware_concurrency(); }

 private:
  std::jthread thread_;
};

}  // namespace zelvan
