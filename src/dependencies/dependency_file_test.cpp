#include "dependencies/dependency_file.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "platform/ansi_text.h"
#include "tests/support/test_text.h"

namespace zelvan {
namespace {

using testing::Visible;

TextTable& Paths() {
  static TextTable paths;
  return paths;
}

DependencyRecord Record(const std::string& target, const std::string& stamp,
                        const std::vector<std::string>& paths,
                        const std::vector<std::string>& forms) {
  DependencyRecord record(target);
  record.set_stamp(stamp);
  record.SetDependencies(Paths(), paths, forms);
  return record;
}

// The sections as text, one line per record, to compare and print.
std::string Show(const std::vector<DependencySection>& sections) {
  std::string out;
  for (const DependencySection& section : sections) {
    out += "[" + section.source + "]\n";
    for (const DependencyRecord& record : section.records) {
      out += "  " + record.target() + " @" + record.stamp() + ":";
      for (size_t i = 0; i < record.size(); ++i) {
        out += " ";
        if (record.form(i) != DependencyRecord::kNoForm) out += record.form(i);
        out += "|" + std::string(record.path(i));
      }
      out += "\n";
    }
  }
  return out;
}

const std::vector<DependencySection> kProject = {
    {"src\\main.c",
     {Record("Debug", "2024-03-09 14:05:00", {"inc\\main.h", "C:\\kova\\include\\stdio.h"},
             {"1", "0"}),
      Record("Release", "2024-03-09 14:05:01", {}, {})}},
    {"src\\util.c", {}},
    // Forms missing from the list are none.
    {"..\\shared\\crc.c",
     {Record("Debug", "", {"crc.h", "C:\\p\\gone.h", "x|y.h"}, {"1", "", "1"})}},
};

const char kProjectText[] =
    "[src\\main.c]\r\n"
    "Debug=2\r\n"
    "Debug0=1|inc\\main.h\r\n"
    "Debug1=0|C:\\kova\\include\\stdio.h\r\n"
    "Debugstamp=2024-03-09 14:05:00\r\n"
    "Release=0\r\n"
    "Releasestamp=2024-03-09 14:05:01\r\n"
    "[src\\util.c]\r\n"
    "[..\\shared\\crc.c]\r\n"
    "Debug=3\r\n"
    "Debug0=1|crc.h\r\n"
    "Debug1=C:\\p\\gone.h\r\n"
    "Debug2=1|x|y.h\r\n"
    "Debugstamp=\r\n";

TEST(DependencyFileTest, WritesTheWholeFileReadsItBackAndLeavesOutTheUnreadable) {
  std::string text = WriteDependencyFile(kProject);
  EXPECT_EQ(Visible(text), Visible(kProjectText));
  EXPECT_EQ(Show(ReadDependencyFile(text, Paths())), Show(kProject));
  EXPECT_EQ(WriteDependencyFile({}), "");
  // Writing leaves out what could not be read back.
  std::vector<DependencySection> sections = {
      {"a.c",
       {Record("Debug", "s", {"ok.h", "bad\r\nname.h"}, {"1", "1"}),
        Record("Release", "s", {"ok.h"}, {"1"}), Record("", "s", {"ok.h"}, {"1"}),
        Record("Test", "line\nbreak", {}, {}), Record("Form", "s", {"ok.h"}, {"\r"}),
        Record("Bar", "s", {"x|y.h"}, {""})}},
      {"b\nc.c", {Record("Debug", "s", {}, {})}},
      {"odd\r.c", {}},
  };
  EXPECT_EQ(Visible(WriteDependencyFile(sections)),
            Visible("[a.c]\r\nRelease=1\r\nRelease0=1|ok.h\r\nReleasestamp=s\r\n[odd\r.c]\r\n"));
}

TEST(DependencyFileTest, ReadingIsTolerant) {
  const struct {
    const char* name;
    std::string text;
    std::string expected;
  } cases[] = {
      {"line feeds only, lines outside sections, SYSTEM skipped",
       "stray=1\n[SYSTEM]\nDebug=1\nDebug0=1|x.h\n[system]\nDebug=0\n[a.c]\nDebug=1\nDebug9=0|s.h\n"
       "Debugstamp=t\n",
       "[a.c]\n  Debug @t: 0|s.h\n"},
      {"record without stamp line: the next line is the next record's",
       "[a.c]\r\nDebug=1\r\nDebug0=1|a.h\r\nRelease=1\r\nRelease0=b.h\r\nRELEASESTAMP=u\r\n",
       "[a.c]\n  Debug @: 1|a.h\n  Release @u: |b.h\n"},
      {"a stamp line of another target is left for the next reader",
       "[a.c]\r\nDebug=0\r\nReleasestamp=x\r\n[b.c]\r\n", "[a.c]\n  Debug @:\n[b.c]\n"},
      {"malformed count lines are skipped",
       "[a.c]\r\nDebug=abc\r\n=3\r\nDebug=-1\r\nDebug=99999999999\r\nDebug=\r\nno equals\r\n"
       "[]\r\nDebug=0\r\nDebugstamp=s\r\n",
       "[a.c]\n[]\n  Debug @s:\n"},
      {"value lines run out: the record is dropped, the section line stays",
       "[a.c]\r\nDebug=3\r\nDebug0=a.h\r\n[b.c]\r\nDebug=1\r\nDebug0=1|b.h\r\n",
       "[a.c]\n[b.c]\n  Debug @: 1|b.h\n"},
      {"the text ends among the value lines", "[a.c]\r\nDebug=2\r\nDebug0=a.h\r\n", "[a.c]\n"},
      {"a value may hold \"=\", \"[\" and a second \"|\"",
       "[a.c]\nDebug=2\nDebug0=1|C:\\a=b\\[x].h\nany key=0|p|q\nDebugstamp=2024\n",
       "[a.c]\n  Debug @2024: 1|C:\\a=b\\[x].h 0|p|q\n"},
      {"a counted line takes a section line with \"=\" as a value line", "[a.c]\nDebug=1\n[b=c]\n",
       "[a.c]\n  Debug @: |c]\n"},
      {"carriage returns inside a value, target or stamp drop the record",
       "[a.c]\nD=1\nD0=a\r.h\r\nT\r=0\nS=0\nSstamp=x\ry\nOk=0\n", "[a.c]\n  Ok @:\n"},
      {"binary bytes; a zero form byte stays part of the path",
       testing::Bytes("[\0\xff]\r\nD=2\r\nD0=1|\xfe\0.h\r\nD1=\0|z.h\r\nD\0=0\r\n"),
       testing::Bytes("[\0\xff]\n  D @: 1|\xfe\0.h |\0|z.h\n")},
      {"a huge count with few lines", "[a.c]\nDebug=2147483647\nDebug0=a.h\n", "[a.c]\n"},
      {"nothing", "", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<DependencySection> sections = ReadDependencyFile(c.text, Paths());
    EXPECT_EQ(Show(sections), c.expected);
    // Whatever was read is written and read back unchanged.
    std::string written = WriteDependencyFile(sections);
    EXPECT_EQ(ReadDependencyFile(written, Paths()), sections);
    EXPECT_EQ(WriteDependencyFile(ReadDependencyFile(written, Paths())), written);
  }
}

// A file large enough to be read and formatted in two halves: the same
// sections and the same text as with one thread, also where the line at
// the split belongs to a record of the first half.
TEST(DependencyFileTest, TwoThreadsReadAndWriteAsOneDoes) {
  auto block = [](int first, int count) {
    std::vector<DependencySection> sections;
    for (int s = first; s < first + count; ++s) {
      std::vector<std::string> paths;
      for (int d = 0; d < 60; ++d)
        paths.push_back(StringPrintf("include\\linux\\h%04d.h", (s * 7 + d * 13) % 5000));
      sections.push_back({StringPrintf("src\\m%04d.c", s),
                          {Record("Debug", "2024-03-09 14:05:00", paths, {"0", "1"})}});
    }
    return WriteDependencyFile(sections);
  };
  std::string half = block(0, 1200);
  const std::string texts[] = {
      half + block(1200, 1200),
      half + "[mid.c]\r\nDebug=2\r\nDebug0=1|" + std::string(3000, 'x') +
          "\r\n[b=c]\r\nDebugstamp=s\r\n" + block(1200, 1200),
  };
  ASSERT_GE(texts[0].size(), size_t{4} << 20);
  for (const std::string& text : texts) {
    TextTable one_paths, two_paths;
    std::vector<DependencySection> one = ReadDependencyFile(text, one_paths, 1);
    std::vector<DependencySection> two = ReadDependencyFile(text, two_paths, 2);
    ASSERT_EQ(one.size(), two.size());
    EXPECT_TRUE(one == two);
    std::vector<DependencySectionView> views;
    for (const DependencySection& section : two)
      views.push_back({section.source, &section.records});
    EXPECT_TRUE(FormatDependencySections(views, 2).view() ==
                FormatDependencySections(views, 1).view());
    // Written in pieces (one section, several, all), the text is the same;
    // a refusal stops it.
    for (int threads : {1, 2}) {
      for (size_t piece : {size_t{1}, size_t{100000}, size_t{1} << 30}) {
        std::string written;
        size_t calls = 0;
        DependencyFileWriter writer(views);
        EXPECT_TRUE(writer.Write(
            threads,
            [&](std::string_view data) {
              written += data;
              return ++calls > 0;
            },
            piece));
        EXPECT_TRUE(written == FormatDependencySections(views, 1).view())
            << threads << " threads, pieces of " << piece;
        EXPECT_FALSE(DependencyFileWriter(views).Write(
            threads, [](std::string_view) { return false; }, piece));
      }
    }
    // The file as written reads back and is written as it is.
    if (&text == &texts[0]) {
      EXPECT_TRUE(FormatDependencySections(views, 2).view() == text);
    }
  }
}

TEST(DependencyFileTest, SectionsGoToTheSourcesTheProjectHolds) {
  std::map<std::string, std::vector<DependencyRecord>> sources;
  sources["src\\main.c"] = {Record("DEBUG", "old", {"old.h"}, {"1"}), Record("Test", "t", {}, {})};
  sources["src\\util.c"] = {};
  std::vector<std::string> asked;
  std::vector<std::string> unknown = DistributeDependencySections(
      ReadDependencyFile("[SRC\\Main.c]\r\nDebug=1\r\nDebug0=1|new.h\r\nDebugstamp=new\r\n"
                         "Release=0\r\n[gone.c]\r\nDebug=0\r\n[src\\util.c]\r\n[Old\\Gone.c]\r\n",
                         Paths()),
      [&](std::string_view name) -> std::vector<DependencyRecord>* {
        asked.emplace_back(name);
        auto it = sources.find(std::string(name));
        return it == sources.end() ? nullptr : &it->second;
      });
  EXPECT_EQ(asked,
            (std::vector<std::string>{"src\\main.c", "gone.c", "src\\util.c", "old\\gone.c"}));
  EXPECT_EQ(unknown, (std::vector<std::string>{"gone.c", "Old\\Gone.c"}));
  EXPECT_EQ(
      sources["src\\main.c"],
      (std::vector<DependencyRecord>{Record("Debug", "new", {"new.h"}, {"1"}),
                                     Record("Test", "t", {}, {}), Record("Release", "", {}, {})}));
  EXPECT_TRUE(sources["src\\util.c"].empty());
}

}  // namespace
}  // namespace zelvan
