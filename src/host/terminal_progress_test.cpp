#include "host/terminal_progress.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace zelvan {
namespace {

// The bar line, and the bar drawn in place and cleared at the end.
TEST(TerminalProgressTest, BarShowsTheProjectAndCounts) {
  const struct {
    uint64_t done, total;
    const char* line;
  } cases[] = {
      {0, 10000, "[          ] Motor.abs 0/10,000"},
      {4512, 10000, "[####      ] Motor.abs 4,512/10,000"},
      {10000, 10000, "[##########] Motor.abs 10,000/10,000"},
      {12, 10, "[##########] Motor.abs 12/10"},  // never past the end of the bar
      {0, 0, "[          ] Motor.abs 0/0"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(TerminalProgress::BarLine("Motor.abs", c.done, c.total, 10), c.line);
  }
  std::ostringstream bar;
  TerminalProgress progress(bar, TerminalProgress::Style::kBar);
  progress.SetTotal(2);
  progress.SetProject("Motor.abs");
  progress.Step();
  progress.Step();
  progress.Finish();
  std::string text = bar.str();
  EXPECT_EQ(text.find('\n'), std::string::npos);
  EXPECT_NE(text.find("\r[" + std::string(20, '#') + "] Motor.abs 2/2"), std::string::npos);
  // Ends with the line blanked out and the cursor at its start.
  EXPECT_EQ(text.substr(text.size() - 2), " \r");
}

TEST(TerminalProgressTest, PlainLinesAtEachTenthAndProjectQuietWritesNothing) {
  std::ostringstream lines;
  {
    TerminalProgress progress(lines, TerminalProgress::Style::kLines);
    progress.SetTotal(20);
    progress.SetProject("A.abs");
    for (int i = 0; i < 4; ++i)
      progress.Step();
    progress.SetProject("B.lib");
    for (int i = 0; i < 16; ++i)
      progress.Step();
    progress.Finish();
  }
  std::string text = lines.str();
  EXPECT_EQ(text.substr(0, text.find("(20%)") + 6),
            "dependencies: 20 files to check\n"
            "dependencies: A.abs (0/20)\n"
            "dependencies: A.abs 2/20 (10%)\n"
            "dependencies: A.abs 4/20 (20%)\n");
  EXPECT_NE(text.find("dependencies: B.lib (4/20)\n"), std::string::npos);
  EXPECT_NE(text.find("dependencies: B.lib 20/20 (100%)\n"), std::string::npos);
  EXPECT_EQ(text.find('\r'), std::string::npos);

  std::ostringstream quiet;
  {
    TerminalProgress progress(quiet, TerminalProgress::Style::kQuiet);
    progress.SetTotal(3);
    progress.SetProject("A.abs");
    progress.Step();
  }
  EXPECT_EQ(quiet.str(), "");
}

}  // namespace
}  // namespace zelvan
