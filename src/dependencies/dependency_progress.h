// Where a dependency refresh reports how far it is: the IDE's progress
// window, or a host's progress bar. The refresh tells the total number of
// steps once, before any work; then the name of each project before its
// files; then one step after each file of each target.
//
// The IDE's window receives these as posted messages (user message base
// with the total, base + 1 per step, base + 3 with the project name); a
// host draws what it likes. Calls come on the refreshing thread and must
// return quickly.
#pragma once

#include <cstdint>
#include <string_view>

namespace zelvan {

class DependencyProgress {
 public:
  virtual ~DependencyProgress() = default;
  virtual void SetTotal(uint64_t steps) = 0;
  virtual void SetProject(std::string_view name) = 0;
  virtual void Step() = 0;
  // The refresh is over (done or stopped): a host may clear its display.
  virtual void Finish() {}
};

}  // namespace zelvan
