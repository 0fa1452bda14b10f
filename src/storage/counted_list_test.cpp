#include "storage/counted_list.h"

#include <gtest/gtest.h>

#include "storage/line_reader.h"
#include "storage/time_stamp.h"
#include "tests/support/memory_file_system.h"
#include "tests/support/test_text.h"

namespace zelvan {
namespace {

using testing::Bytes;
using testing::MemoryFileSystem;
using testing::Visible;

// Written as the dependency file holds it, and read back the same.
TEST(CountedListTest, WriteListAndReadItBack) {
  CountedList record("INC");
  record.set_stamp("2024-03-09 14:05:00");
  ASSERT_TRUE(record.Add("C:\\kova\\include\\stdio.h", "S"));
  ASSERT_TRUE(record.Add(Bytes("b\0\xff.h")));
  std::string text = "[src\\main.c]\r\n";
  ASSERT_TRUE(record.WriteList(&text));
  EXPECT_EQ(Visible(text), Visible(Bytes("[src\\main.c]\r\n"
                                         "INC=2\r\n"
                                         "INC0=S|C:\\kova\\include\\stdio.h\r\n"
                                         "INC1=b\0\xff.h\r\n"
                                         "INCstamp=2024-03-09 14:05:00\r\n")));
  LineReader reader(text);
  std::string_view line;
  ASSERT_TRUE(reader.ReadLine(&line) && reader.ReadLine(&line));
  CountedList read("inc");
  ASSERT_TRUE(read.ReadList(reader, 2));
  EXPECT_EQ(read.values(), record.values());
  EXPECT_EQ(read.marks(), record.marks());
  EXPECT_EQ(read.stamp(), record.stamp());
  EXPECT_TRUE(reader.AtEnd());

  CountedList empty("Debug");
  text.clear();
  ASSERT_TRUE(empty.WriteList(&text));
  EXPECT_EQ(text, "Debug=0\r\nDebugstamp=\r\n");
}

TEST(CountedListTest, RefusesWhatWouldNotReadBack) {
  CountedList record("INC");
  EXPECT_FALSE(record.Add("a", "SS") || record.Add("a\nb") || record.Add("a", "\r") ||
               record.Add("x|looks marked"));
  EXPECT_TRUE(record.Add("x|fine", "1"));
  EXPECT_EQ(record.values().size(), 1u);
  std::string text;
  for (const char* name : {"", "A=B", "A\nB"}) {
    SCOPED_TRACE(name);
    record.set_name(name);
    EXPECT_FALSE(record.WriteList(&text));
  }
  record.set_name("INC");
  record.set_stamp("2024\n");
  EXPECT_FALSE(record.WriteList(&text));
  EXPECT_EQ(text, "");
}

// The values of a record as they are written, "mark|value", each ended by ";".
std::string Entries(const CountedList& record) {
  std::string out;
  for (size_t i = 0; i < record.values().size(); ++i) {
    if (!record.marks()[i].empty()) out += record.marks()[i] + "|";
    out += record.values()[i] + ";";
  }
  return out;
}

TEST(CountedListTest, ReadList) {
  const struct {
    const char* what;
    std::string text;  // after the count line
    int count;
    bool ok;
    const char* entries;
    const char* stamp;
    const char* next_line;  // what the caller reads next; null at the end
  } cases[] = {
      {"values and stamp", "INC0=S|a.h\r\nINC1=b.h\r\nincSTAMP=2024-01-01 00:00:00\r\n[next]\r\n",
       2, true, "S|a.h;b.h;", "2024-01-01 00:00:00", "[next]"},
      {"no stamp line: the next line is left", "INC0=a\r\n[src\\b.c]\r\n", 1, true, "a;", "old",
       "[src\\b.c]"},
      {"another record's stamp is left", "INC0=a\nLIBstamp=x\n", 1, true, "a;", "old",
       "LIBstamp=x"},
      {"end of text instead of a stamp", "INC0=a", 1, true, "a;", "old", nullptr},
      {"equals signs in a value", "INC0=S|a=b\n", 1, true, "S|a=b;", "old", nullptr},
      {"zero count", "INCstamp=s\n", 0, true, "", "s", nullptr},
      {"end of text among the values", "INC0=a\n", 2, false, "", "old", nullptr},
      {"a line without equals among the values", "INC0=a\n[next]\n", 2, false, "", "old", "[next]"},
      {"a huge count", "INC0=a\n", 2000000000, false, "", "old", nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    CountedList record("INC");
    record.set_stamp("old");
    LineReader reader(c.text);
    EXPECT_EQ(record.ReadList(reader, c.count), c.ok);
    EXPECT_EQ(Entries(record), c.entries);
    EXPECT_EQ(record.values().size(), record.marks().size());
    EXPECT_EQ(record.stamp(), c.stamp);
    std::string_view line;
    if (c.next_line == nullptr) {
      EXPECT_FALSE(reader.ReadLine(&line));
    } else {
      ASSERT_TRUE(reader.ReadLine(&line));
      EXPECT_EQ(line, c.next_line);
    }
  }
}

TEST(CountedListTest, IsOutOfDate) {
  MemoryFileSystem fs;
  auto at = [&](const char* path, LocalTime time) {
    fs.AddFile(path, "");
    fs.SetModificationTime(path, FromLocalTime(time) * 1000000000);
  };
  at("C:\\old.h", {2024, 1, 1, 10, 0, 0});
  at("C:\\same.h", {2024, 1, 1, 12, 0, 0});
  at("C:\\new.h", {2024, 1, 1, 12, 0, 1});
  const std::string stamp = FormatTimeStamp({2024, 1, 1, 12, 0, 0});
  const struct {
    const char* what;
    const char* name;
    std::vector<const char*> files;
    bool expected;
  } cases[] = {
      {"all older or the same", "INC", {"C:\\old.h", "C:\\same.h"}, false},
      {"one newer, name without case", "inc", {"C:\\old.h", "C:\\new.h"}, true},
      {"another name", "LIB", {"C:\\new.h"}, false},
      {"a missing file before a newer one", "INC", {"C:\\gone.h", "C:\\new.h"}, false},
      {"a newer file before a missing one", "INC", {"C:\\new.h", "C:\\gone.h"}, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    CountedList record("INC");
    record.set_stamp(stamp);
    for (const char* file : c.files)
      record.Add(file);
    EXPECT_EQ(record.IsOutOfDate(fs, c.name), c.expected);
  }
}

}  // namespace
}  // namespace zelvan
