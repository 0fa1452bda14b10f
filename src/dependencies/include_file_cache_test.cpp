#include "dependencies/include_file_cache.h"

#include <gtest/gtest.h>

#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "dependencies/include_line.h"
#include "tests/support/memory_file_system.h"
#include "tests/support/test_text.h"

namespace zelvan {
namespace {

// The include lines as "<line>:<form>:<name>:<text>", found the slow way:
// every line cleaned, then parsed.
std::vector<std::string> LineByLine(std::string_view text, IncludeReading reading) {
  std::vector<std::string> out;
  TextLineReader reader(text);
  CommentRemover comments;
  std::string_view line;
  while (reader.Next(&line)) {
    std::string cleaned =
        reading == IncludeReading::kC ? comments.RemoveComments(line) : CleanAsmLine(line);
    std::string name;
    int form = 0;
    if (!ParseIncludeLine(cleaned, &name, &form)) continue;
    out.push_back(std::to_string(reader.line_number()) + ":" + std::to_string(form) + ":" + name +
                  ":" + std::string(line));
  }
  return out;
}

std::vector<std::string> Shown(std::span<const IncludeLine> lines) {
  std::vector<std::string> out;
  for (const IncludeLine& line : lines) {
    out.push_back(std::to_string(line.line_number) + ":" + std::to_string(line.form) + ":" +
                  line.name + ":" + std::string(line.text));
  }
  return out;
}

TEST(IncludeFileCacheTest, ParsesAsTheLineByLineReadingDoes) {
  const std::string texts[] = {
      "#include \"a.h\"\r\n#include <b.h>\r\n",
      "/* #include \"hidden.h\"\n   still */ #include \"after.h\"\n",
      "inc/**/lude \"joined.h\"\n",  // a removed comment joins the keyword
      "x /* open\n#include \"in.h\"\n*/ #include <out.h> /* again\n */#include \"last.h\"",
      "// #include \"no.h\"\n#include <a//b.h>\n#include \"a//b.h\"\n",
      "s = \"/*\"; #include \"real.h\"\n",
      "#include \"cr.h\"\r#include \"lf.h\"\n\n\r\n#include \"end.h\"",
      "  .INCLUDE \"Reg.INC\" ; .include \"no.inc\"\n\tInclude <x.inc>\n",
      testing::Bytes("\0#include \"z\0.h\"\n\xff\xfe\n"),
      "",
      // Lines between the ones that matter are counted, not read: every
      // kind of line end before an include, and comments that open and
      // close on lines far from the includes.
      "int a;\r\nint b;\rint c;\n\r\n\n#include \"n6.h\"\r\n",
      "a\n/* x\n#include \"in.h\"\ny\n\nz */ b\n\nq /* */ #include \"after.h\"\n/*/ still\n*/",
      "/* a */ /* b\n c */ x /* d\n#include <no.h>\n e */ #include <yes.h> // f /* g\n"
      "#include \"next.h\"\r\r#include \"cr.h\"",
      "\"/*\" #include \"q.h\"\n#include \"r.h\"\n  // /*\n#include \"s.h\"\n",
      "includes\n#include\n#include \"\"\ninclude \"bare.h\"\n*/ #include \"t.h\"\n",
  };
  for (const std::string& text : texts) {
    for (IncludeReading reading : {IncludeReading::kC, IncludeReading::kAssembler}) {
      SCOPED_TRACE(testing::Visible(text) + (reading == IncludeReading::kC ? " (C)" : " (asm)"));
      EXPECT_EQ(Shown(ParseIncludeLines(text, reading)), LineByLine(text, reading));
    }
  }
  EXPECT_EQ(Shown(ParseIncludeLines("inc/**/lude \"joined.h\"\n", IncludeReading::kC)),
            std::vector<std::string>{"1:1:joined.h:inc/**/lude \"joined.h\""});
}

// Texts made of the pieces that change how a line reads: comment marks,
// quotes, escapes, parts of the keyword and every kind of line end.
TEST(IncludeFileCacheTest, RandomTextsParseAsTheLineByLineReadingDoes) {
  const char* const pieces[] = {"/*",  "*/",   "//",       "\"",    "'",    "\\",   "#include",
                                "inc", "lude", " \"a.h\"", "<b.h>", "\n",   "\r\n", "\r",
                                "x",   " ",    "*",        "/",     "/**/", "\\\""};
  std::mt19937 random(11);
  for (int round = 0; round < 20000; ++round) {
    std::string text;
    size_t count = random() % 24;
    for (size_t i = 0; i < count; ++i)
      text += pieces[random() % std::size(pieces)];
    SCOPED_TRACE(testing::Visible(text));
    ASSERT_EQ(Shown(ParseIncludeLines(text, IncludeReading::kC)),
              LineByLine(text, IncludeReading::kC));
  }
}

TEST(IncludeFileCacheTest, FilesAreReadOnceAndExistenceComesFromListings) {
  testing::MemoryFileSystem fs;
  ASSERT_TRUE(fs.AddFile("C:\\p\\a.h", "#include \"b.h\"\n"));
  ASSERT_TRUE(fs.AddFile("C:\\p\\Upper.H", ""));
  ASSERT_TRUE(fs.AddDirectory("C:\\p\\dir.h"));
  IncludeFileCache cache(fs);

  const IncludeLines* lines = cache.Lines("C:\\p\\a.h", IncludeReading::kC);
  ASSERT_NE(lines, nullptr);
  EXPECT_EQ(lines->size(), 1u);
  EXPECT_EQ(cache.Lines("c:\\P\\A.H", IncludeReading::kC), lines);
  EXPECT_NE(cache.Lines("C:\\p\\a.h", IncludeReading::kAssembler), nullptr);
  EXPECT_EQ(cache.Lines("C:\\p\\none.h", IncludeReading::kC), nullptr);
  EXPECT_EQ(cache.Lines("C:\\p\\dir.h", IncludeReading::kC), nullptr);
  EXPECT_EQ(cache.files_read(), 4u);

  const struct {
    const char* path;
    bool exists;
  } cases[] = {
      {"C:\\p\\a.h", true},        {"C:\\P\\upper.h", true}, {"C:\\p\\dir.h", false},
      {"C:\\p\\none.h", false},    {"C:\\q\\a.h", false},    {"C:\\p\\", false},
      {"C:\\p\\..\\p\\a.h", true}, {"C:\\p\\*.h", false},    {"a.h", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(cache.FileExists(c.path), c.exists);
  }
  // Files added or changed later are not seen until the cache is cleared;
  // then they are read again, into the memory the cache keeps.
  ASSERT_TRUE(fs.AddFile("C:\\p\\new.h", ""));
  ASSERT_TRUE(fs.AddFile("C:\\p\\a.h", "#include <c.h>\n\n#include \"d.h\"\n"));
  EXPECT_FALSE(cache.FileExists("C:\\p\\new.h"));
  EXPECT_EQ(Shown(*cache.Lines("C:\\p\\a.h", IncludeReading::kC)),
            std::vector<std::string>{"1:1:b.h:#include \"b.h\""});
  cache.Clear();
  EXPECT_TRUE(cache.FileExists("C:\\p\\new.h"));
  EXPECT_EQ(Shown(*cache.Lines("C:\\p\\a.h", IncludeReading::kC)),
            (std::vector<std::string>{"1:0:c.h:#include <c.h>", "3:1:d.h:#include \"d.h\""}));
}

}  // namespace
}  // namespace zelvan
