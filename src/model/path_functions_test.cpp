#include "model/path_functions.h"

#include <gtest/gtest.h>

#include "platform/ansi_text.h"

namespace zelvan {
namespace {

struct RelativeCase {
  const char* base;
  const char* path;
  const char* relative;
  const char* dotted;
};

TEST(PathFunctions, MakeRelativePathAndDot) {
  const RelativeCase cases[] = {
      // Same directory: the file name alone.
      {"C:\\ws\\ws.kws", "C:\\ws\\a.kbp", "a.kbp", ".\\a.kbp"},
      // Below the base.
      {"C:\\ws\\ws.kws", "C:\\ws\\lib\\m.kbp", "lib\\m.kbp", ".\\lib\\m.kbp"},
      // A sibling: up, then down.
      {"C:\\ws\\app\\app.kbp", "C:\\ws\\include\\board.h", "..\\include\\board.h",
       "..\\include\\board.h"},
      // A directory path as base.
      {"C:\\ws\\", "C:\\ws\\sub\\f.c", "sub\\f.c", ".\\sub\\f.c"},
      // No common directory: the whole path.
      {"C:\\ws\\ws.kws", "C:\\other\\a.kbp", "C:\\other\\a.kbp", "C:\\other\\a.kbp"},
      // Another drive: the whole path.
      {"C:\\ws\\ws.kws", "D:\\ws\\a.kbp", "D:\\ws\\a.kbp", "D:\\ws\\a.kbp"},
      // A network path stays whole, even beside a base on the same share.
      {"C:\\ws\\ws.kws", "\\\\srv\\share\\a.c", "\\\\srv\\share\\a.c", "\\\\srv\\share\\a.c"},
      {"\\\\srv\\share\\app\\App.kbp", "\\\\srv\\share\\app\\a.c", "\\\\srv\\share\\app\\a.c",
       "\\\\srv\\share\\app\\a.c"},
      {"\\\\srv\\share\\app\\App.kbp", "C:\\app\\a.c", "C:\\app\\a.c", "C:\\app\\a.c"},
      // Rooted paths without a drive (this platform's host paths).
      {"\\home\\me\\ws\\ws.kws", "\\home\\me\\ws\\lib\\m.kbp", "lib\\m.kbp", ".\\lib\\m.kbp"},
      // Letter case of directories is ignored, the path's own case kept.
      {"C:\\Ws\\App\\app.kbp", "C:\\wS\\Lib\\Util.C", "..\\Lib\\Util.C", "..\\Lib\\Util.C"},
  };
  for (const RelativeCase& c : cases) {
    SCOPED_TRACE(std::string(c.base) + " | " + c.path);
    std::string out;
    MakeRelativePath(c.base, c.path, &out);
    EXPECT_EQ(out, c.relative);
    MakeRelativePathDot(c.base, c.path, &out);
    EXPECT_EQ(out, c.dotted);
  }
}

TEST(PathFunctions, RelativePathHonoursDoubleByteNames) {
  SetAnsiCodePage(932);
  // 0x5C after a lead byte is the trail byte of a character, not a separator.
  std::string dir = "C:\\ws\\\x95\x5C\\";
  std::string out;
  MakeRelativePath("C:\\ws\\ws.kws", dir + "a.c", &out);
  EXPECT_EQ(out, "\x95\x5C\\a.c");
  SetAnsiCodePage(0);
}

TEST(PathFunctions, QuoteAndStrip) {
  EXPECT_EQ(
      QuoteIfBlank("C:\\my dir\\a.c") + "|" + QuoteIfBlank("C:\\dir\\a.c") + "|" + QuoteIfBlank(""),
      "\"C:\\my dir\\a.c\"|C:\\dir\\a.c|");
  EXPECT_EQ(StripTrailingBackslash("C:\\out\\") + "|" + StripTrailingBackslash("C:\\out\\\\") +
                "|" + StripTrailingBackslash("out") + "|" + StripTrailingBackslash(""),
            "C:\\out|C:\\out\\|out|");
}

}  // namespace
}  // namespace zelvan
