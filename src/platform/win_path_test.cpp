#include "platform/win_path.h"

#include <gtest/gtest.h>

#include "platform/ansi_text.h"

namespace zelvan {
namespace {

TEST(WinPathTest, SplitPathLikeTheRuntime) {
  const struct {
    const char* path;
    const char* drive;
    const char* dir;
    const char* title;
    const char* ext;
  } cases[] = {
      {"C:\\work\\app\\main.c", "C:", "\\work\\app\\", "main", ".c"},
      {"main.c", "", "", "main", ".c"},
      {"C:main", "C:", "", "main", ""},
      {"\\\\server\\share\\x.kbp", "", "\\\\server\\share\\", "x", ".kbp"},
      {"a/b\\c.tar.gz", "", "a/b\\", "c.tar", ".gz"},
      {"C:\\dir\\", "C:", "\\dir\\", "", ""},
      {".profile", "", "", "", ".profile"},
      {"", "", "", "", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    PathParts parts = SplitPath(c.path);
    EXPECT_EQ(parts.drive + "|" + parts.directory + "|" + parts.title + "|" + parts.extension,
              std::string(c.drive) + "|" + c.dir + "|" + c.title + "|" + c.ext);
    EXPECT_EQ(MakePath(parts.drive, parts.directory, parts.title, parts.extension), c.path);
  }
}

TEST(WinPathTest, DoubleByteTrailBytesAreNoSeparators) {
  // 0x95 0x5C is one Shift-JIS character whose trail byte is a backslash.
  const std::string path = "C:\\d\\\x95\x5C.c";
  SetAnsiCodePage(932);
  PathParts sjis = SplitPath(path);
  SetAnsiCodePage(0);
  PathParts single = SplitPath(path);
  EXPECT_EQ(sjis.directory + "|" + sjis.title + "|" + single.directory + "|" + single.title,
            "\\d\\|\x95\x5C|\\d\\\x95\\|");
}

TEST(WinPathTest, FullPathNames) {
  const struct {
    const char* path;
    const char* cwd;
    const char* expected;  // null: fails
  } cases[] = {
      {"a\\b.c", "C:\\work\\", "C:\\work\\a\\b.c"},
      {"..\\..\\..\\x", "C:\\work\\", "C:\\x"},
      {".\\a\\.\\b\\", "C:\\w", "C:\\w\\a\\b\\"},
      {"\\top", "D:\\w\\", "\\top"},
      {"c:/x//y", "D:\\", "C:\\x\\y"},
      {"E:rel", "C:\\w\\", "E:\\rel"},
      {"C:rel", "C:\\w\\", "C:\\w\\rel"},
      {"\\\\srv\\share\\a\\..\\..\\b", "C:\\", "\\\\srv\\share\\b"},
      {"x", "\\\\srv\\share\\d\\", "\\\\srv\\share\\d\\x"},
      {"a", "\\home\\me\\", "\\home\\me\\a"},
      {"\\etc\\..\\a", "\\home\\", "\\a"},
      // Full already, and nearly so.
      {"C:\\w\\a b\\", "D:\\", "C:\\w\\a b\\"},
      {"C:\\", "D:\\", "C:\\"},
      {"c:\\w\\.\\a\\\\b\\..", "D:\\", "C:\\w\\a"},
      {"", "C:\\", nullptr},
      {"a", "relative", nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.path) + " in " + c.cwd);
    std::string out;
    bool ok = GetFullPathName(c.path, c.cwd, &out);
    if (c.expected == nullptr) {
      EXPECT_FALSE(ok);
    } else {
      ASSERT_TRUE(ok);
      EXPECT_EQ(out, c.expected);
    }
  }
}

TEST(WinPathTest, FullPathCheckAndSlashes) {
  for (const char* full : {"C:\\a", "\\\\srv\\share", "\\rooted"})
    EXPECT_TRUE(IsFullPath(full)) << full;
  for (const char* not_full : {"C:a", "a\\b", "\\\\srv", ""})
    EXPECT_FALSE(IsFullPath(not_full)) << not_full;
  EXPECT_EQ(AppendLastSlash("C:\\a") + AppendLastSlash("C:\\a\\") + AppendLastSlash("") + "|" +
                StripTrailingSlash("C:\\a\\") + "|" + FileNamePart("a/b\\c.d") + "|" +
                FileNamePart("C:\\dir\\") + "|" + GetFileDirectory("C:\\a\\b.c"),
            "C:\\a\\C:\\a\\\\|C:\\a|c.d||C:\\a\\");
  EXPECT_TRUE(PathEquals("C:\\Work\\A.KBP", "c:\\work\\a.kbp"));
  EXPECT_TRUE(CompareFileNameAndExt("C:\\x\\Main.C", "main.c"));
}

}  // namespace
}  // namespace zelvan
