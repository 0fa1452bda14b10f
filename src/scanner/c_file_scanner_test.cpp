#include "scanner/c_file_scanner.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "scanner/c_text_scanner.h"
#include "scanner/scan_words.h"
#include "tests/support/memory_file_system.h"

namespace zelvan {
namespace {

using namespace std::string_view_literals;
using testing::MemoryFileSystem;

// The characters GetChar hands out, line feeds shown as "|".
std::string Characters(CScanner& source) {
  std::string out;
  while (int c = source.GetChar())
    out += c == '\n' ? '|' : static_cast<char>(c);
  return out;
}

std::string FileWords(std::string_view bytes) {
  CFileScanner source;
  EXPECT_TRUE(source.OpenBytes(std::string(bytes), "C:\\src\\test.c"));
  std::vector<ScannedWord> words;
  ReadAllWords(source, &words);
  return FormatWords(words);
}

std::string StringWords(std::string_view text) {
  CTextScanner source(text);
  std::vector<ScannedWord> words;
  ReadAllWords(source, &words);
  return FormatWords(words);
}

TEST(CFileScannerTest, LineEndsAreTranslated) {
  const struct {
    std::string_view bytes;
    const char* chars;
  } cases[] = {
      {"a\r\nb", "a|b"},  {"a\n\rb", "a|b"},  {"a\rb", "a|b"},        {"a\nb", "a|b"},
      {"a\r\rb", "a||b"}, {"a\n\nb", "a||b"}, {"a\r\n\r\nb", "a||b"}, {"a\n\r\nb", "a||b"},
      {"\r", "|"},        {"a\r\n", "a|"},    {"a\r\0\nb"sv, "a|"},   {"ab\0cd"sv, "ab"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message()
                 << "bytes: " << ::testing::PrintToString(std::string(c.bytes)));
    CFileScanner source;
    ASSERT_TRUE(source.OpenBytes(std::string(c.bytes), "x.c"));
    EXPECT_EQ(Characters(source), c.chars);
    // The end stays the end, even before a zero byte.
    EXPECT_EQ(source.GetChar(), 0);
    EXPECT_EQ(source.PeekChar(), 0);
  }
}

// Without "\r" a file and the in-memory text give the same words. A file
// reads "\r" as a line end, the in-memory text as a character; a
// continuation before "\r\n" counts one line in both.
TEST(CFileScannerTest, SourcesDifferOnlyOnCarriageReturns) {
  const struct {
    std::string_view text;
    const char* file_words;    // null: as the in-memory text's
    const char* string_words;  // null: not compared with a literal
  } cases[] = {
      {"int main(void)\n{\n  char *p = \"a;b\"; /* x\n y */ q[3] = 1;\n}\n", nullptr, nullptr},
      {"#define A(x) \\\n  (x)\n// c \\\nstill comment\nlast", nullptr, nullptr},
      {"a&b*c,d=e{f}g(h)i\tj k;\n\n\n", nullptr, nullptr},
      {"\x01\x7f\x80\xfe\xff \\\\ '\\'' \"\\\"\" [\\]] /", nullptr, nullptr},
      {"ab\0cd"sv, nullptr, nullptr},
      {"", nullptr, nullptr},
      {"ab\r\ncd", "1 [ab] LF\n2 [cd] LF\n", "1 [ab\\x0D] LF\n2 [cd] LF\n"},
      {"a\rb\n\rc\r\nd", "1 [a] LF\n2 [b] LF\n3 [c] LF\n4 [d] LF\n",
       "1 [a\\x0Db] LF\n2 [\\x0Dc\\x0D] LF\n3 [d] LF\n"},
      {"x;\r\r", "1 [x] ;\n1 [] LF\n2 [] LF\n", "1 [x] ;\n1 [\\x0D\\x0D] LF\n"},
      {"ab\\\r\ncd e\r\nx", "1 [abcd] SPACE\n2 [e] LF\n3 [x] LF\n",
       "1 [abcd] SPACE\n2 [e\\x0D] LF\n3 [x] LF\n"},
      {"// comment \\\r\nstill\r\ny", "1 [] LF\n3 [y] LF\n", "1 [] LF\n3 [y] LF\n"},
      {"s = \"a\\\r\nb\"; z", "1 [s] SPACE\n1 [] =\n1 [] ;\n2 [z] LF\n",
       "1 [s] SPACE\n1 [] =\n1 [] ;\n2 [z] LF\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(std::string(c.text)));
    const std::string string_words = StringWords(c.text);
    EXPECT_EQ(FileWords(c.text), c.file_words ? c.file_words : string_words);
    EXPECT_EQ(string_words, c.string_words ? c.string_words : string_words);
  }
}

TEST(CFileScannerTest, ProgressIsToldAfterEveryCharacter) {
  MemoryFileSystem fs;
  ASSERT_TRUE(fs.AddFile("C:\\src\\main.c", "a;\r\nb"));
  std::string progress;
  auto record = [&](const std::string& name, uint32_t position, uint32_t length) {
    progress += name + " " + std::to_string(position) + "/" + std::to_string(length) + "\n";
  };
  CFileScanner source;
  EXPECT_TRUE(source.ParseFile(fs, "C:\\src\\main.c", record));
  EXPECT_EQ(progress, "main.c 1/5\nmain.c 2/5\nmain.c 4/5\nmain.c 5/5\n");
  EXPECT_EQ(source.file_name(), "main.c");
  EXPECT_EQ(source.line_number(), 2);
  // The text is dropped when the parse is done.
  EXPECT_EQ(source.GetChar(), 0);
}

TEST(CFileScannerTest, ParseFileRunsTheParseLoopOverTheFile) {
  struct Handler : DeclarationHandler {
    int HandleDeclarationToken(CScanner&, const std::string& word, uint32_t) override {
      if (!word.empty()) words += word + " ";
      return 1;
    }
    std::string words;
  };
  MemoryFileSystem fs;
  ASSERT_TRUE(fs.AddFile("C:\\a.c", "#if 0\r\nint a;\r\n#else\r\nint b;\r\n#endif\r\n"));
  ASSERT_TRUE(fs.AddFile("C:\\bad.c", "#else\r\nint a;"));
  ASSERT_TRUE(fs.AddFile("C:\\binary.c", std::string("\x00\xff\x01\x02", 4) + "int a;"));
  const struct {
    const char* path;
    bool ok;
    const char* words;
  } cases[] = {
      {"C:\\a.c", true, "int b "},
      {"C:\\bad.c", false, ""},
      // A file that starts with a zero byte has no text at all.
      {"C:\\binary.c", true, ""},
      {"C:\\missing.c", false, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    Handler handler;
    CFileScanner source;
    source.set_declaration_handler(&handler);
    EXPECT_EQ(source.ParseFile(fs, c.path, nullptr), c.ok);
    EXPECT_EQ(handler.words, c.words);
    EXPECT_TRUE(source.records().empty());
    EXPECT_EQ(source.GetChar(), 0);
  }
}

}  // namespace
}  // namespace zelvan
