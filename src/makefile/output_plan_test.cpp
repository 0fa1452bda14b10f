#include "makefile/output_plan.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/faulty_file_system.h"
#include "tests/support/memory_file_system.h"

namespace zelvan {
namespace {

using testing::FsOp;

// Every file of the disk as "path=contents".
std::vector<std::string> Listing(const testing::MemoryFileSystem& memory) {
  std::vector<std::string> listing;
  for (const std::string& path : memory.AllFiles())
    listing.push_back(path + "=" + *memory.Contents(path));
  return listing;
}

TEST(OutputPlanTest, AppliedWholeOrNotAtAll) {
  const std::vector<std::string> kAll = {"C:\\w\\main.mak=main", "C:\\w\\new\\deep\\a.txt=a",
                                         "C:\\w\\old.txt=changed", "C:\\w\\opt.txt=opt"};
  const std::vector<std::string> kNothingNew = {"C:\\w\\old.txt=old"};
  const struct {
    const char* name;
    FsOp op;
    int nth;  // 0: no fault
    bool ok;
    std::vector<std::string> files;
  } kCases[] = {
      {"every write succeeds", FsOp::kRename, 0, true, kAll},
      {"the first file fails", FsOp::kRename, 1, false, kNothingNew},
      {"a replaced file fails", FsOp::kRename, 2, false, kNothingNew},
      {"an optional file fails",
       FsOp::kRename,
       3,
       true,
       {"C:\\w\\main.mak=main", "C:\\w\\new\\deep\\a.txt=a", "C:\\w\\old.txt=changed"}},
      {"the last file fails", FsOp::kRename, 4, false, kNothingNew},
      {"the last file cannot be opened", FsOp::kOpenForWrite, 4, false, kNothingNew},
      {"a folder cannot be made", FsOp::kCreateDirectory, 1, false, kNothingNew},
  };
  for (const auto& c : kCases) {
    testing::MemoryFileSystem memory;
    memory.AddFile("C:\\w\\old.txt", "old");
    memory.SetReadOnly("C:\\w\\old.txt", true);
    testing::FaultyFileSystem fs(memory);
    if (c.nth != 0) fs.FailNth(c.op, c.nth);
    OutputPlan plan;
    plan.AddFolder("C:\\w\\new\\deep\\");
    plan.AddFolder("C:\\W\\NEW\\DEEP");  // the same folder
    plan.AddFolder("C:\\w");
    plan.AddFile({"C:\\w\\new\\deep\\a.txt", "a"});
    plan.AddFile({"C:\\w\\old.txt", "changed", Durability::kDurable, ReadOnlyRule::kClearedFirst});
    plan.AddFile({"C:\\w\\opt.txt", "opt", Durability::kScratch, ReadOnlyRule::kRefused, false});
    plan.AddFile({"C:\\w\\main.mak", "main"});
    EXPECT_EQ(plan.folders, (std::vector<std::string>{"C:\\w\\new\\deep\\", "C:\\w"})) << c.name;

    Status written = ApplyOutputPlan(fs, plan);
    EXPECT_EQ(written.ok(), c.ok) << c.name << ": " << written.ToString();
    EXPECT_EQ(Listing(memory), c.files) << c.name;
    // New folders go with the files; an old file keeps its attribute unless replaced.
    EXPECT_EQ(DirectoryExists(memory, "C:\\w\\new"), c.ok) << c.name;
    EXPECT_TRUE(DirectoryExists(memory, "C:\\w")) << c.name;
    FileStatus old;
    ASSERT_TRUE(memory.Stat("C:\\w\\old.txt", &old)) << c.name;
    EXPECT_EQ(old.read_only, !c.ok) << c.name;
  }
}

}  // namespace
}  // namespace zelvan
