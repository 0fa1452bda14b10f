#include "dependencies/dependency_staleness.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/local_time.h"
#include "storage/time_stamp.h"
#include "tests/support/memory_file_system.h"

namespace zelvan {
namespace {

using testing::MemoryFileSystem;

constexpr int64_t kSecond = 1000000000;
constexpr int64_t kBase = 1700000000;  // seconds; every file time is kBase + n

std::string StampAt(int64_t offset) {
  return FormatTimeStamp(ToLocalTime(kBase + offset));
}

TextTable& Paths() {
  static TextTable paths;
  return paths;
}

class DependencyStalenessTest : public ::testing::Test {
 protected:
  void AddFile(const std::string& path, int64_t offset) {
    ASSERT_TRUE(fs_.AddFile(path, "x"));
    ASSERT_TRUE(fs_.SetModificationTime(path, (kBase + offset) * kSecond));
  }
  static std::vector<DependencyRecord> Records(const std::string& target, int64_t stamp,
                                               std::vector<std::string> paths) {
    DependencyRecord record(target);
    record.set_stamp(StampAt(stamp));
    std::vector<std::string> forms(paths.size(), "1");
    record.SetDependencies(Paths(), paths, forms);
    return {record};
  }

  static std::vector<DependencyRecord> WithStamp(std::vector<DependencyRecord> records,
                                                 const std::string& stamp) {
    records[0].set_stamp(stamp);
    return records;
  }

  MemoryFileSystem fs_;
};

TEST_F(DependencyStalenessTest, StaleWhenAnythingIsAsNewAsTheStamp) {
  AddFile("C:\\p\\src\\main.c", 10);
  AddFile("C:\\p\\inc\\a.h", 20);
  AddFile("C:\\p\\inc\\b.h", 30);
  AddFile("C:\\sys\\s.h", 5);
  const struct {
    const char* name;
    std::vector<DependencyRecord> records;
    const char* target;
    const char* source;
    bool stale;
  } cases[] = {
      {"no record for the target", Records("Debug", 100, {}), "Release", "src\\main.c", true},
      {"target compared without case", Records("Debug", 100, {}), "DEBUG", "src\\main.c", false},
      {"source newer", Records("Debug", 9, {}), "Debug", "src\\main.c", true},
      // A change in the second of the stamp may have come after the scan.
      {"source as old as the stamp", Records("Debug", 10, {}), "Debug", "src\\main.c", true},
      {"source older than the stamp", Records("Debug", 11, {}), "Debug", "src\\main.c", false},
      {"source by full path", Records("Debug", 9, {}), "Debug", "C:\\p\\src\\main.c", true},
      {"a dependency newer", Records("Debug", 25, {"inc\\a.h", "inc\\b.h"}), "Debug", "src\\main.c",
       true},
      {"all older", Records("Debug", 31, {"inc\\a.h", "..\\sys\\s.h", "C:\\sys\\s.h"}), "Debug",
       "src\\main.c", false},
      {"a deleted dependency alone", Records("Debug", 30, {"inc\\gone.h"}), "Debug", "src\\main.c",
       false},
      // A missing file no longer hides a newer one after it.
      {"a deleted dependency before a newer one", Records("Debug", 25, {"gone.h", "inc\\b.h"}),
       "Debug", "src\\main.c", true},
      {"a directory counts as missing", Records("Debug", 25, {"inc", "inc\\b.h"}), "Debug",
       "src\\main.c", true},
      {"source missing", Records("Debug", 0, {"inc\\b.h"}), "Debug", "src\\gone.c", false},
      // Stamps of another shape are compared as text.
      {"empty stamp", WithStamp(Records("Debug", 0, {}), ""), "Debug", "src\\main.c", true},
      {"stamp of letters", WithStamp(Records("Debug", 0, {"inc\\b.h"}), "never"), "Debug",
       "src\\main.c", false},
      {"stamp without seconds",
       WithStamp(Records("Debug", 0, {"inc\\b.h"}), StampAt(25).substr(0, 16)), "Debug",
       "src\\main.c", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ModificationTimeCache times(fs_);
    times.SetBaseDirectory("C:\\p");
    EXPECT_EQ(IsDependencyStale(c.records, c.target, c.source, times), c.stale);
  }
}

// Each distinct file is asked once per refresh, whatever records name it
// (the same text names another file under another base directory); what
// the cache keeps from refresh to refresh may hide no change.
TEST_F(DependencyStalenessTest, EachFileIsAskedOncePerRefreshAndEveryChangeIsSeen) {
  AddFile("C:\\p\\a.c", 1);
  AddFile("C:\\p\\x.h", 2);
  AddFile("C:\\p\\y.h", 3);
  AddFile("C:\\q\\x.h", 50);
  std::vector<DependencyRecord> records = Records("Debug", 10, {"x.h", "y.h", "gone.h"});
  records.push_back(Records("Release", 10, {"x.h", "y.h"})[0]);
  ModificationTimeCache times(fs_);
  times.SetBaseDirectory("C:\\p\\");
  auto stale = [&](const char* target) { return IsDependencyStale(records, target, "a.c", times); };
  for (int refresh = 0; refresh < 2; ++refresh) {
    times.BeginRefresh();
    EXPECT_FALSE(stale("Debug"));
    EXPECT_FALSE(stale("Release"));
    EXPECT_EQ(*times.Stamp("x.h"), StampAt(2));
    EXPECT_EQ(times.Stamp("gone.h"), nullptr);
    EXPECT_EQ(times.stat_calls(), 4u * (refresh + 1));
  }
  times.SetBaseDirectory("C:\\q");
  EXPECT_EQ(*times.Stamp("x.h"), StampAt(50));
  times.SetBaseDirectory("C:\\p");

  // Within a refresh the cache wins; the next refresh sees a change, for
  // every target.
  ASSERT_TRUE(fs_.SetModificationTime("C:\\p\\y.h", (kBase + 20) * kSecond));
  EXPECT_FALSE(stale("Debug"));
  times.BeginRefresh();
  EXPECT_TRUE(stale("Debug"));
  EXPECT_TRUE(stale("Release"));

  // One target rescanned: its new list and stamp count, the other's do not.
  records[0].SetDependencies(Paths(), {"x.h"}, {"1"});
  EXPECT_FALSE(stale("Debug"));
  EXPECT_TRUE(stale("Release"));
  records[1].set_stamp(StampAt(30));
  EXPECT_FALSE(stale("Release"));

  // A deleted header makes nothing stale; one that appears again newer does.
  ASSERT_TRUE(fs_.DeleteFile("C:\\p\\y.h"));
  times.BeginRefresh();
  EXPECT_FALSE(stale("Release"));
  AddFile("C:\\p\\y.h", 40);
  times.BeginRefresh();
  EXPECT_TRUE(stale("Release"));
}

}  // namespace
}  // namespace zelvan
