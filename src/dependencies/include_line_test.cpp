#include "dependencies/include_line.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace zelvan {
namespace {

using namespace std::string_view_literals;

TEST(IncludeLineTest, CommentsAreRemovedAndAssemblerLinesCut) {
  // Consecutive lines of one text, each with its cleaned form.
  const struct {
    const char* line;
    const char* cleaned;
    bool in_comment_after;
  } lines[] = {
      {"#include \"a.h\" // note", "#include \"a.h\" ", false},
      {"a /* x */ b /**/c", "a  b c", false},
      {"/* start #include \"b.h\"", "", true},
      {"#include \"c.h\" // still inside", "", true},
      {"end */ #include <d.h> /* again", " #include <d.h> ", true},
      {"*/", "", false},
      {"a*/b // c /* d", "a*/b ", false},
      {"/*/ x */y", "y", false},
      // Comment marks inside literals are text.
      {"s = \"/* no comment\"; t = \"//\";", "s = \"/* no comment\"; t = \"//\";", false},
      {"q = \"a\\\"/*\" /* c */ ;", "q = \"a\\\"/*\"  ;", false},
      {"c = '\"'; // x", "c = '\"'; ", false},
      {"c = '/'; d = '*'; /", "c = '/'; d = '*'; /", false},
      // An unclosed literal ends with its line.
      {"x = \"open /* ", "x = \"open /* ", false},
      {"/* ok */ y", " y", false},
  };
  CommentRemover remover;
  for (const auto& l : lines) {
    SCOPED_TRACE(l.line);
    EXPECT_EQ(remover.RemoveComments(l.line), l.cleaned);
    EXPECT_EQ(remover.in_block_comment(), l.in_comment_after);
  }
  remover.RemoveComments("/*");
  remover.Reset();
  EXPECT_EQ(remover.RemoveComments("a"), "a");
  // Assembler lines are lower-cased and cut at the semicolon.
  EXPECT_EQ(CleanAsmLine("  .INCLUDE \"Reg.INC\" ; Comment"), "  .include \"reg.inc\" ");
  EXPECT_EQ(CleanAsmLine("No Semicolon"), "no semicolon");
  EXPECT_EQ(CleanAsmLine(";INCLUDE \"x\""), "");
  EXPECT_EQ(CleanAsmLine("\xC4\xD6;x"), "\xC4\xD6");
}

TEST(IncludeLineTest, KeywordIsAWholeWordOutsideQuotes) {
  const struct {
    std::string_view line;
    int index;
  } cases[] = {
      {"#include <a.h>", 1},
      {"include", 0},
      {"   #  include\"a.h\"", 6},
      {".include \"m.inc\"", 1},
      {"$include(x.inc)", 1},
      {"#INCLUDE <a.h>", -1},
      {"x = \"include\"; include", 15},
      {"\"a\\\"include\" include", 13},
      {"\"include", -1},
      {"my_include = 1;", -1},
      {"#includes", -1},
      {"#include_next <a.h>", -1},
      {"include2 include", 9},
      {"", -1},
      {"incl", -1},
      {"inc\0lude include"sv, 9},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(std::string(c.line)));
    EXPECT_EQ(FindIncludeKeyword(c.line), c.index);
  }
}

TEST(IncludeLineTest, IncludeNameAndForm) {
  const struct {
    const char* line;
    const char* name;  // null: no include
    int form;
  } cases[] = {
      {"#include \"a.h\"", "a.h", kIncludeQuoted},
      {"#include <stdio.h>", "stdio.h", kIncludeAngle},
      {"#  include\t\"sub\\dir.h\"  ", "sub\\dir.h", kIncludeQuoted},
      {"#include<a.h>", "a.h", kIncludeAngle},
      {"  .include \"m.inc\"", "m.inc", kIncludeQuoted},
      {"include <x.inc>", "x.inc", kIncludeAngle},
      {"#include \"a b.h\"", "a b.h", kIncludeQuoted},
      {"#include <a.h", nullptr, 0},
      {"#include \"a.h", nullptr, 0},
      {"#include \"a.h <b.h>", nullptr, 0},
      {"#include \"\"", nullptr, 0},
      {"#include <>", nullptr, 0},
      {"#include MACRO", nullptr, 0},
      {"#include", nullptr, 0},
      {"// #include \"a.h\"", nullptr, 0},
      {"x // y include \"a.h\"", nullptr, 0},
      {"printf(\"#include <x.h>\");", nullptr, 0},
      {"int include_count = \"a\" < b > c;", nullptr, 0},
      {"no keyword \"a.h\"", nullptr, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    std::string name = "unchanged";
    int form = -7;
    bool found = ParseIncludeLine(c.line, &name, &form);
    EXPECT_EQ(found, c.name != nullptr);
    if (c.name) {
      EXPECT_EQ(name, c.name);
      EXPECT_EQ(form, c.form);
    } else {
      EXPECT_EQ(name, "unchanged");
      EXPECT_EQ(form, -7);
    }
  }
}

std::string Lines(std::string_view text) {
  TextLineReader reader(text);
  std::string out;
  std::string_view line;
  while (reader.Next(&line))
    out += std::to_string(reader.line_number()) + ":" + std::string(line) + "\n";
  return out;
}

TEST(IncludeLineTest, LinesSplitAsATextModeRead) {
  const struct {
    std::string_view text;
    std::string_view lines;
  } cases[] = {
      {"", ""},
      {"a", "1:a\n"},
      {"a\n", "1:a\n"},
      {"a\r\nb\nc\rd", "1:a\n2:b\n3:c\n4:d\n"},
      {"\n\n", "1:\n2:\n"},
      {"a\r\r\nb", "1:a\n2:\n3:b\n"},
      {"a\n\rb", "1:a\n2:\n3:b\n"},
      {"a\r\n\r\n", "1:a\n2:\n"},
      {"\r", "1:\n"},
      {"a\0b\nc"sv, "1:a\0b\n2:c\n"sv},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(std::string(c.text)));
    EXPECT_EQ(Lines(c.text), c.lines);
  }
}

}  // namespace
}  // namespace zelvan
