#include "tests/support/memory_file_system.h"

#include <gtest/gtest.h>

namespace zelvan::testing {
namespace {

// What the contract test (platform/file_system_test.cpp) does not show: the
// roots that exist from the start, open files that move along, the clock.
TEST(MemoryFileSystemTest, RenameMovesOpenFilesAndWholeDirectories) {
  MemoryFileSystem fs;
  EXPECT_TRUE(DirectoryExists(fs, "D:\\"));
  EXPECT_TRUE(DirectoryExists(fs, "\\\\server\\share\\"));
  fs.AddFile("C:\\d\\sub\\x.txt", "x");
  std::unique_ptr<WritableFile> file = fs.OpenForWrite("C:\\d\\open.txt");
  ASSERT_NE(file, nullptr);
  ASSERT_TRUE(file->Append("half"));
  EXPECT_EQ(fs.Contents("C:\\d\\open.txt"), "half");  // visible while written
  ASSERT_TRUE(fs.Rename("C:\\d", "C:\\e"));
  ASSERT_TRUE(file->Append(" more"));
  ASSERT_TRUE(file->Close());
  EXPECT_EQ(fs.Contents("C:\\e\\open.txt"), "half more");
  EXPECT_EQ(fs.AllFiles(), (std::vector<std::string>{"C:\\e\\open.txt", "C:\\e\\sub\\x.txt"}));
  EXPECT_FALSE(fs.MoveFile("C:\\e\\open.txt", "C:\\e\\sub\\x.txt"));  // target exists
  EXPECT_TRUE(fs.Rename("C:\\e\\open.txt", "C:\\e\\sub\\x.txt"));     // Rename replaces
  EXPECT_EQ(fs.Contents("C:\\e\\sub\\x.txt"), "half more");
}

TEST(MemoryFileSystemTest, EveryChangeGetsALaterTime) {
  MemoryFileSystem fs;
  fs.AddFile("C:\\a", "1");
  FileStatus first, second;
  ASSERT_TRUE(fs.Stat("C:\\a", &first));
  fs.AddFile("C:\\a", "2");
  ASSERT_TRUE(fs.Stat("C:\\a", &second));
  EXPECT_GT(second.mtime_ns, first.mtime_ns);
  ASSERT_TRUE(fs.SetModificationTime("C:\\a", 0));
  ASSERT_TRUE(fs.Stat("C:\\a", &second));
  EXPECT_EQ(second.mtime_ns, 0);
  EXPECT_EQ(second.mtime_local, ToLocalTime(0));
}

}  // namespace
}  // namespace zelvan::testing
