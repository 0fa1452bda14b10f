// The progress of a dependency refresh on the command line.
//
// On a terminal: one line redrawn in place, a bar with the project name and
// the counts ("[#########           ] Motor.abs 4,512/10,000"), at most ten
// times a second, cleared when the refresh ends. Elsewhere (a log, a pipe):
// a plain line at each tenth of the work and at each new project, so a log
// shows the refresh moving without a line per file. Quiet: nothing.
#pragma once

#include <chrono>
#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>

#include "dependencies/dependency_progress.h"

namespace zelvan {

class TerminalProgress final : public DependencyProgress {
 public:
  enum class Style { kBar, kLines, kQuiet };
  TerminalProgress(std::ostream& out, Style style) : out_(out), style_(style) {}
  ~TerminalProgress() override { Finish(); }

  void SetTotal(uint64_t steps) override;
  void SetProject(std::string_view name) override;
  void Step() override;
  void Finish() override;

  // The bar line for the given state (without line end); `width` bar cells.
  static std::string BarLine(std::string_view project, uint64_t done, uint64_t total, int width);

 private:
  void Draw(bool force);

  std::ostream& out_;
  Style style_;
  uint64_t total_ = 0;
  uint64_t done_ = 0;
  std::string project_;
  uint64_t last_tenth_ = 0;
  bool drawn_ = false;
  size_t drawn_width_ = 0;
  std::chrono::steady_clock::time_point last_draw_{};
};

}  // namespace zelvan
