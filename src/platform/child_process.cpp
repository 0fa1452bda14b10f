#include "platform/child_process.h"

namespace zelvan {

bool GroupWait::EndsBeforeStart(int signal) {
  if (stop_requested_ && stop_requested_()) {
    outcome_->stop_requested = true;
    return true;
  }
  outcome_->signal = signal;
  return signal != 0;
}

bool GroupWait::StopNow() {
  if (stopped_ || !stop_requested_ || !stop_requested_()) return false;
  stopped_ = true;
  outcome_->stop_requested = true;
  return true;
}

bool GroupWait::End(int signal) {
  outcome_->signal = signal;
  return stopped_ || signal != 0;
}

}  // namespace zelvan
