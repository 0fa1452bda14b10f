#include "dependencies/text_search.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace zelvan {
namespace {

// Line ends counted one byte at a time.
int64_t PlainLineEnds(std::string_view text, size_t from, size_t to) {
  int64_t count = 0;
  for (size_t i = from; i < to; ++i) {
    if (text[i] == '\n') ++count;
    if (text[i] == '\r' && !(i + 1 < text.size() && text[i + 1] == '\n')) ++count;
  }
  return count;
}

size_t PlainLineEnd(std::string_view text, size_t from) {
  size_t end = text.find_first_of("\r\n", from);
  return end == std::string_view::npos ? text.size() : end;
}

// Texts of few distinct bytes, so that needles, marks and line ends fall
// on every position of the sixteen-byte chunks, at the ends of the text
// too.
TEST(TextSearchTest, AgreesWithThePlainSearchesEverywhere) {
  std::mt19937 random(7);
  const std::string alphabets[] = {"inclde\n", "/*x\r\n", "ie\r\n\0", "ab"};
  const std::string_view needles[] = {"include", "ie", "i", "e\ni", "/*", "\r\n"};
  for (int round = 0; round < 400; ++round) {
    const std::string& alphabet = alphabets[round % 4];
    std::string text;
    size_t size = random() % 80;
    for (size_t i = 0; i < size; ++i)
      text += alphabet[random() % alphabet.size()];
    if (round % 5 == 0) text.insert(random() % (text.size() + 1), "include");
    SCOPED_TRACE(::testing::PrintToString(text));
    bool has_cr = text.find('\r') != std::string::npos;
    for (size_t from = 0; from <= text.size() + 1; ++from) {
      for (std::string_view needle : needles) {
        ASSERT_EQ(FindSubstring(text, from, needle), std::string_view(text).find(needle, from))
            << "needle " << ::testing::PrintToString(std::string(needle)) << " from " << from;
      }
      ASSERT_EQ(FindPair(text, from, '/', '*'), std::string_view(text).find("/*", from)) << from;
      if (from > text.size()) continue;
      ASSERT_EQ(FindLineEnd(text, from, has_cr), PlainLineEnd(text, from)) << from;
      for (size_t at = from; at <= text.size(); ++at) {
        size_t start = text.find_last_of("\r\n", at == 0 ? std::string::npos : at - 1);
        start = start == std::string::npos || start < from || at == 0 ? from : start + 1;
        ASSERT_EQ(FindLineStart(text, from, at, has_cr), start) << from << ".." << at;
      }
      for (size_t to = from; to <= text.size(); to += 1 + to / 16) {
        ASSERT_EQ(CountLineEnds(text, from, to, has_cr), PlainLineEnds(text, from, to))
            << from << ".." << to;
      }
    }
  }
  // Long stretches: the counts of the sixteen-byte lanes are summed in time.
  std::string lines(20000, '\n');
  EXPECT_EQ(CountLineEnds(lines, 0, lines.size(), false), 20000);
  std::string crlf;
  for (int i = 0; i < 9000; ++i)
    crlf += i % 3 == 0 ? "\r" : "\r\n";
  EXPECT_EQ(CountLineEnds(crlf, 0, crlf.size(), true), 9000);
  EXPECT_EQ(CountLineEnds(crlf, 1, crlf.size(), true), PlainLineEnds(crlf, 1, crlf.size()));
}

}  // namespace
}  // namespace zelvan
