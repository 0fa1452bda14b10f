#include "platform/win_path.h"

#include <gtest/gtest.h>

#include "platform/ansi_text.h"

namespace zelvan {
namespace {

TEST(WinPathTest, SplitPathLikeTheRuntime) {
  struct Case {
    const char* path;
    const char* drive;
    const char* dir;
    const char* title;
    const char* ext;
  };
  const Case cases[] = {
      {"C:\\work\\app\\main.c", "C:", "\\work\\app\\", "main", ".c"},
      {"main.c", "", "", "main", ".c"},
      {"C:main", "C:", "", "main", ""},
      {"\\\\server\\share\\x.kbp", "", "\\\\server\\share\\", "x", ".kbp"},
      {"a/b\\c.tar.gz", "", "a/b\\", "c.tar", ".gz"},
      {"dir.d\\file", "", "dir.d\\", "file", ""},
      {"C:\\dir\\", "C:", "\\dir\\", "", ""},
      {".profile", "", "", "", ".profile"},
      {"", "", "", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    PathParts parts = SplitPath(c.path);
    EXPECT_EQ(parts.drive, c.drive);
    EXPECT_EQ(parts.directory, c.dir);
    EXPECT_EQ(parts.title, c.title);
    EXPECT_EQ(parts.extension, c.ext);
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
  EXPECT_EQ(sjis.directory, "\\d\\");
  EXPECT_EQ(sjis.title, "\x95\x5C");
  EXPECT_EQ(single.directory, "\\d\\\x95\\");
  EXPECT_EQ(single.title, "");
}

TEST(WinPathTest, FullPathNames) {
  struct Case {
    const char* path;
    const char* cwd;
    const char* expected;  // null: fails
  };
  const Case cases[] = {
      {"a\\b.c", "C:\\work\\", "C:\\work\\a\\b.c"},
      {"..\\x", "C:\\work\\app\\", "C:\\work\\x"},
      {"..\\..\\..\\x", "C:\\work\\", "C:\\x"},
      {".\\a\\.\\b\\", "C:\\w", "C:\\w\\a\\b\\"},
      {"\\top", "D:\\w\\", "\\top"},
      {"c:/x//y", "D:\\", "C:\\x\\y"},
      {"E:rel", "C:\\w\\", "E:\\rel"},
      {"C:rel", "C:\\w\\", "C:\\w\\rel"},
      {"\\\\srv\\share\\a\\..\\..\\b", "C:\\", "\\\\srv\\share\\b"},
      {"x", "\\\\srv\\share\\d\\", "\\\\srv\\share\\d\\x"},
      {"\\top", "\\\\srv\\share\\d\\", "\\top"},
      {"a", "\\home\\me\\", "\\home\\me\\a"},
      {"\\etc\\..\\a", "\\home\\", "\\a"},
      {"", "C:\\", nullptr},
      {"a", "relative", nullptr},
  };
  for (const Case& c : cases) {
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
  EXPECT_TRUE(IsFullPath("C:\\a"));
  EXPECT_TRUE(IsFullPath("\\\\srv\\share"));
  EXPECT_TRUE(IsFullPath("\\rooted"));
  EXPECT_FALSE(IsFullPath("C:a"));
  EXPECT_FALSE(IsFullPath("a\\b"));
  EXPECT_FALSE(IsFullPath("\\\\srv"));
  EXPECT_FALSE(IsFullPath(""));
  EXPECT_EQ(AppendLastSlash("C:\\a"), "C:\\a\\");
  EXPECT_EQ(AppendLastSlash("C:\\a\\"), "C:\\a\\");
  EXPECT_EQ(AppendLastSlash(""), "\\");
  EXPECT_EQ(StripTrailingSlash("C:\\a\\"), "C:\\a");
  EXPECT_EQ(FileNamePart("a/b\\c.d"), "c.d");
  EXPECT_EQ(FileNamePart("C:\\dir\\"), "");
  EXPECT_EQ(GetFileDirectory("C:\\a\\b.c"), "C:\\a\\");
  EXPECT_TRUE(PathEquals("C:\\Work\\A.KBP", "c:\\work\\a.kbp"));
  EXPECT_TRUE(CompareFileNameAndExt("C:\\x\\Main.C", "main.c"));
}

}  // namespace
}  // namespace zelvan
