#include "host/terminal_progress.h"

#include <algorithm>

namespace zelvan {

namespace {

// 12345678 as "12,345,678".
std::string Grouped(uint64_t value) {
  std::string digits = std::to_string(value);
  std::string out;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return out;
}

constexpr int kBarWidth = 20;
constexpr auto kRedrawInterval = std::chrono::milliseconds(100);

}  // namespace

std::string TerminalProgress::BarLine(std::string_view project, uint64_t done, uint64_t total,
                                      int width) {
  uint64_t shown = std::min(done, total);
  int filled = total == 0 ? 0 : static_cast<int>(shown * static_cast<uint64_t>(width) / total);
  std::string line = "[";
  line.append(static_cast<size_t>(filled), '#');
  line.append(static_cast<size_t>(width - filled), ' ');
  line += "] ";
  line += project;
  line += ' ';
  line += Grouped(done);
  line += '/';
  line += Grouped(total);
  return line;
}

void TerminalProgress::SetTotal(uint64_t steps) {
  total_ = steps;
  done_ = 0;
  last_tenth_ = 0;
  if (style_ == Style::kLines) {
    out_ << "dependencies: " << Grouped(total_) << " files to check\n" << std::flush;
  }
}

void TerminalProgress::SetProject(std::string_view name) {
  project_.assign(name);
  if (style_ == Style::kLines) {
    out_ << "dependencies: " << project_ << " (" << Grouped(done_) << '/' << Grouped(total_)
         << ")\n"
         << std::flush;
  }
  Draw(true);
}

void TerminalProgress::Step() {
  ++done_;
  if (style_ == Style::kLines && total_ != 0) {
    uint64_t tenth = std::min<uint64_t>(done_, total_) * 10 / total_;
    if (tenth > last_tenth_) {
      last_tenth_ = tenth;
      out_ << "dependencies: " << project_ << ' ' << Grouped(done_) << '/' << Grouped(total_)
           << " (" << tenth * 10 << "%)\n"
           << std::flush;
    }
    return;
  }
  Draw(false);
}

void TerminalProgress::Draw(bool force) {
  if (style_ != Style::kBar) return;
  auto now = std::chrono::steady_clock::now();
  if (!force && drawn_ && now - last_draw_ < kRedrawInterval && done_ != total_) return;
  last_draw_ = now;
  std::string line = BarLine(project_, done_, total_, kBarWidth);
  // Blanks over what is left of a longer line drawn before.
  size_t width = line.size();
  if (drawn_width_ > width) line.append(drawn_width_ - width, ' ');
  drawn_width_ = width;
  out_ << '\r' << line << std::flush;
  drawn_ = true;
}

void TerminalProgress::Finish() {
  if (style_ == Style::kBar && drawn_) {
    out_ << '\r' << std::string(drawn_width_, ' ') << '\r' << std::flush;
    drawn_ = false;
    drawn_width_ = 0;
  }
}

}  // namespace zelvan
