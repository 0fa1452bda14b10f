#include "scanner/c_scanner.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "scanner/c_text_scanner.h"
#include "scanner/scan_words.h"

namespace zelvan {
namespace {

std::string AllWords(std::string_view text) {
  CTextScanner source(text);
  std::vector<ScannedWord> words;
  ReadAllWords(source, &words);
  return FormatWords(words);
}

struct ScanCase {
  std::string_view text;
  const char* words;
};

TEST(CScannerTest, WordsAndDelimiters) {
  using namespace std::string_view_literals;
  const ScanCase cases[] = {
      {"char *p;", "1 [char] SPACE\n1 [*] *\n1 [p] ;\n"},
      {"char* p", "1 [char*] *\n1 [p] LF\n"},
      {"a & b", "1 [a] SPACE\n1 [&] &\n1 [b] LF\n"},
      {"x = 1;", "1 [x] SPACE\n1 [] =\n1 [1] ;\n"},
      {"a\tb c;d,e*f&g=h{i}j(k)l\nm",
       "1 [a] TAB\n1 [b] SPACE\n1 [c] ;\n1 [d] ,\n1 [e*] *\n1 [f&] &\n1 [g] =\n1 [h] {\n"
       "1 [i] }\n1 [j] (\n1 [k] )\n1 [l] LF\n2 [m] LF\n"},
      // Delimiters after delimiters give empty words; leading blanks are skipped.
      {"  \t f();", "1 [f] (\n1 [] )\n1 [] ;\n"},
      {"\n\n", "1 [] LF\n2 [] LF\n"},
      {"   \t ", ""},
      {"", ""},
      // Quoted text and brackets are dropped without ending the word.
      {"s = \"a;{b}\";", "1 [s] SPACE\n1 [] =\n1 [] ;\n"},
      {"c = ';' + '}';", "1 [c] SPACE\n1 [] =\n1 [] SPACE\n1 [+] SPACE\n1 [] ;\n"},
      {"a'\\''b;", "1 [ab] ;\n"},
      {"x\"a\\\"b\"y", "1 [xy] LF\n"},
      {"a[10] = {0};", "1 [a] SPACE\n1 [] =\n1 [] {\n1 [0] }\n1 [] ;\n"},
      // A bracket closes at its own "]", past quoted text and nested brackets.
      {"a[\"]\"] b", "1 [a] SPACE\n1 [b] LF\n"},
      {"buf[sizeof(\"[]:n\")][b[1]]; c", "1 [buf] ;\n1 [c] LF\n"},
      // Comments.
      {"f() // {x}\ny", "1 [f] (\n1 [] )\n1 [] LF\n2 [y] LF\n"},
      {"a// c\nb", "1 [a] LF\n2 [b] LF\n"},
      {"// a \\\nb\nc", "1 [] LF\n3 [c] LF\n"},
      {"a/* x; { */b", "1 [ab] LF\n"},
      {"a/* 1\n2\n*/b c", "1 [ab] SPACE\n3 [c] LF\n"},
      {"a/b/", "1 [a/b/] LF\n"},
      {"a/**/", "1 [a] LF\n"},
      // Lines are counted inside comments, quotes and brackets.
      {"a /* 1\n2 */ \"x\\\ny\n\" b\n[\n] c\n",
       "1 [a] SPACE\n1 [] SPACE\n2 [] SPACE\n4 [b] LF\n5 [] SPACE\n6 [c] LF\n"},
      // Line continuation and other backslashes.
      {"ab\\\ncd e", "1 [abcd] SPACE\n2 [e] LF\n"},
      {"a\\b \\", "1 [a\\b] SPACE\n1 [\\] LF\n"},
      // Bytes of every value are word characters.
      {"\x80\xff\x01~ x", "1 [\x80\xff\\x01~] SPACE\n1 [x] LF\n"},
      // The end of the text inside a construct ends the scan.
      {"a\"bc; d", "1 [a] LF\n"},
      {"a/* x; y", "1 [a] LF\n"},
      {"a[1; b", "1 [a] LF\n"},
      {"\"abc", ""},
      {"x //", "1 [x] SPACE\n1 [] LF\n"},
      // A zero byte ends the text.
      {"ab\0cd;"sv, "1 [ab] LF\n"},
      {"\0ab"sv, ""},
  };
  for (const ScanCase& c : cases) {
    SCOPED_TRACE(testing::Message() << "text: \"" << c.text << "\"");
    EXPECT_EQ(AllWords(c.text), c.words);
  }
}

// Accepts words until it meets `refuse`; remembers what it saw. Counts the
// braces, and stands between declarations except right after "mid".
class RecordingHandler : public DeclarationHandler {
 public:
  explicit RecordingHandler(std::string refuse = "") : refuse_(std::move(refuse)) {}
  int HandleDeclarationToken(CScanner& parser, const std::string& word, uint32_t result) override {
    seen += word + "|" + std::string(DelimiterName(token::KindOf(result))) + "\n";
    if (token::KindOf(result) == token::kOpenBrace)
      parser.set_brace_depth(parser.brace_depth() + 1);
    if (token::KindOf(result) == token::kCloseBrace)
      parser.set_brace_depth(parser.brace_depth() - 1);
    if (!word.empty()) last_ = word;
    return word == refuse_ ? 0 : 1;
  }
  bool BetweenDeclarations(CScanner&) override { return last_ != "mid"; }
  std::string seen;

 private:
  std::string refuse_;
  std::string last_;
};

struct ParseCase {
  const char* name;
  const char* text;
  bool ok;
  const char* words;  // what the handler sees
};

TEST(CScannerTest, ParseTokensFollowsConditionals) {
  const ParseCase cases[] = {
      {"empty", "", true, ""},
      // Every branch is scanned that leaves the handler where the
      // conditional found it: "#ifdef" and "#ifndef" alike, and the branches
      // after "#else" and "#elif".
      {"ifdef", "#ifdef X\na\n#else\nb\n#endif\nc", true, "a|LF\nb|LF\nc|LF\n"},
      {"ifndef", "#ifndef X\na\n#else\nb\n#endif\nc", true, "a|LF\nb|LF\nc|LF\n"},
      {"guarded header", "#ifndef X_H\n#define X_H 1\na\n#endif", true, "a|LF\n"},
      {"if elif else", "#if 0\na\n#elif 1\nb\n#else\nc\n#endif\n", true, "b|LF\nc|LF\n"},
      {"elif chain", "#if A\na\n#elif B\nb\n#elif C\nc\n#else\nd\n#endif", true,
       "a|LF\nb|LF\nc|LF\nd|LF\n"},
      {"elif condition unread", "#if 1\na\n#elif 0\nb\n#endif\n", true, "a|LF\nb|LF\n"},
      {"nested", "#if 1\n#if 0\na\n#endif\nb\n#endif\n#if 0\n#if 1\nc\n#endif\n#endif\nd", true,
       "b|LF\nd|LF\n"},
      {"else inside a dropped branch", "#if 0\n#ifdef X\na\n#else\nb\n#endif\n#else\nc\n#endif",
       true, "c|LF\n"},
      // A branch that opens or closes a brace is the last one scanned.
      {"brace opened in a branch", "#ifdef X\nf {\n#elif Y\ng {\n#else\nh {\n#endif\n}\nk", true,
       "f|SPACE\n|{\n|LF\n|}\n|LF\nk|LF\n"},
      {"brace closed in a branch", "{\n#ifndef X\n}\n#else\n}\n#endif\nk", true,
       "|{\n|LF\n|}\n|LF\nk|LF\n"},
      {"braces balanced in a branch", "#ifdef X\nf { }\n#else\ng { }\n#endif", true,
       "f|SPACE\n|{\n|}\n|LF\ng|SPACE\n|{\n|}\n|LF\n"},
      {"branch after a dropped zero", "#if 0\nf {\n#else\ng {\n#endif", true, "g|SPACE\n|{\n|LF\n"},
      // Nor are later branches scanned when the handler stood inside a
      // declaration at the directive, or at the "#else".
      {"inside a declaration at the if", "mid\n#ifdef X\na\n#else\nb\n#endif", true,
       "mid|LF\na|LF\n"},
      {"inside a declaration at the else", "#ifdef X\nmid\n#else\nb\n#endif\nc", true,
       "mid|LF\nc|LF\n"},
      // A parenthesised condition is false only when it is nothing but a zero.
      {"if parenthesis", "#if (1)\na\n#endif\nb", true, "a|LF\nb|LF\n"},
      {"if parenthesised zero", "#if (0)\na\n#endif\n#if ( 0 ) /* off */\nb\n#else\nc\n#endif",
       true, "c|LF\n"},
      {"if parenthesis without blank", "#if(0)\na\n#endif\n#if(X)\nb\n#endif", true, "b|LF\n"},
      {"if parenthesised comparison", "#if ( configUSE_X == 1 )\na\n#else\nb\n#endif", true,
       "a|LF\nb|LF\n"},
      {"if parenthesised nesting", "#if ((0)) // (1)\na\n#endif\n#if (0) || X\nb\n#endif", true,
       "b|LF\n"},
      {"if parenthesis continued", "#if ( 0 \\\n )\na\n#endif\nb", true, "b|LF\n"},
      {"if parenthesis on the next line", "#if\n(0)\na\n#endif\n#if\n(00 )\nb\n#endif\nc", true,
       "c|LF\n"},
      {"if parenthesised nothing", "#if ()\na\n#endif\nb", true, "b|LF\n"},
      {"if macro", "#if !defined(X)\na\n#endif", true, "a|LF\n"},
      {"if zeros", "#if 00\na\n#endif\n#if 0x0\nb\n#endif", true, "b|LF\n"},
      {"condition on next line", "#ifdef\nX\na\n#endif", true, "a|LF\n"},
      {"rest of condition line", "#ifdef X // {\na\n#endif", true, "a|LF\n"},
      {"else without if", "a\n#else\nb", false, "a|LF\n"},
      {"elif without if", "#elif 1\na", false, ""},
      {"if while pending", "#if\n#if 1\na\n#endif", false, ""},
      {"else while pending", "#ifndef\n#else\n", false, ""},
      {"word after endif", "#if X\n#endif b\nc", true, "b|LF\nc|LF\n"},
      {"endif without if", "#endif\na", true, "a|LF\n"},
      {"unclosed if", "a\n#if 0\nb", true, "a|LF\n"},
      {"define continued", "#define A 1 \\\n  { 2\nx", true, "x|LF\n"},
      {"define at line end", "#define\nx", true, "x|LF\n"},
      {"include undef", "#include <a;b.h>\n#undef A\nx", true, "x|LF\n"},
      {"define in dropped branch", "#if 0\n#define A {\n#endif\nx", true, "x|LF\n"},
      {"pragma reaches handler", "#pragma once\nx", true, "#pragma|SPACE\nonce|LF\nx|LF\n"},
      {"directive with blank", "# if 0\nx", true, "#|SPACE\nif|SPACE\n0|LF\nx|LF\n"},
      {"upper case is no directive", "#IF 0\nx", true, "#IF|SPACE\n0|LF\nx|LF\n"},
      {"handler refuses", "a b stop c", false, "a|SPACE\nb|SPACE\nstop|SPACE\n"},
  };
  for (const ParseCase& c : cases) {
    SCOPED_TRACE(c.name);
    CTextScanner source(c.text);
    RecordingHandler handler("stop");
    source.set_declaration_handler(&handler);
    EXPECT_EQ(source.ParseTokens(), c.ok);
    EXPECT_EQ(handler.seen, c.words);
    EXPECT_TRUE(source.records().empty());
  }
}

// Counts live records so the test sees that the scanner frees them.
struct CountedRecord : DeclarationRecord {
  explicit CountedRecord(int* live, std::string w) : live_(live), word(std::move(w)) { ++*live_; }
  ~CountedRecord() override { --*live_; }
  int* live_;
  std::string word;
};

// Starts a record at each word, finishes it at ";", refuses "stop", and
// skips "enum ... ;" by reading words itself.
class RecordBuilder : public DeclarationHandler {
 public:
  explicit RecordBuilder(int* live) : live_(live) {}
  int HandleDeclarationToken(CScanner& parser, const std::string& word, uint32_t result) override {
    if (word == "stop") return 0;
    if (word == "enum") return parser.SkipToKind(token::kSemicolon) != 0;
    if (!parser.current_record() && !word.empty()) {
      parser.SetCurrentRecord(std::make_unique<CountedRecord>(live_, word));
    }
    if (token::KindOf(result) == token::kSemicolon) parser.FinishCurrentRecord();
    return 1;
  }

 private:
  int* live_;
};

std::string RecordWords(const CScanner& parser) {
  std::string out;
  for (const auto& record : parser.records()) {
    out += static_cast<const CountedRecord&>(*record).word + " ";
  }
  return out;
}

TEST(CScannerTest, RecordsArePendedAtTheEndAndFreedWithTheScanner) {
  const struct {
    const char* text;
    bool ok;
    const char* records;
  } cases[] = {
      {"", true, ""},
      {"int a; char b; long c", true, "int char long "},
      {"int a; enum { x, y }; long c;", true, "int long "},
      {"int a; enum { x, y }", false, "int "},
      {"int a; long stop b;", false, "int long "},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    int live = 0;
    {
      CTextScanner source(c.text);
      RecordBuilder builder(&live);
      source.set_declaration_handler(&builder);
      EXPECT_EQ(source.ParseTokens(), c.ok);
      EXPECT_EQ(source.current_record(), nullptr);
      EXPECT_EQ(RecordWords(source), c.records);
      EXPECT_EQ(live, static_cast<int>(source.records().size()));
    }
    EXPECT_EQ(live, 0);
  }
}

TEST(CScannerTest, ActiveWordsKeepTheirStartLine) {
  CTextScanner source("int\n#ifdef A\n  f(a,\n     b);\n#endif\n");
  std::vector<ScannedWord> words;
  EXPECT_TRUE(ReadActiveWords(source, &words));
  EXPECT_EQ(FormatWords(words),
            "1 [int] LF\n3 [f] (\n3 [a] ,\n3 [] LF\n4 [b] )\n4 [] ;\n4 [] LF\n");
}

}  // namespace
}  // namespace zelvan
