#include "tests/support/faulty_file_system.h"

#include <gtest/gtest.h>

#include "tests/support/memory_file_system.h"
#include "tests/support/test_text.h"

namespace zelvan::testing {
namespace {

TEST(FaultyFileSystemTest, FailsTheNthCallAndCounts) {
  MemoryFileSystem memory;
  FaultyFileSystem fs(memory);
  memory.AddFile("C:\\a", "1");
  FileStatus status;
  fs.FailNth(FsOp::kStat, 2);
  EXPECT_TRUE(fs.Stat("C:\\a", &status));
  EXPECT_FALSE(fs.Stat("C:\\a", &status));
  EXPECT_TRUE(fs.Stat("C:\\a", &status));
  EXPECT_EQ(fs.Count(FsOp::kStat), 3);
  EXPECT_EQ(fs.Failures(FsOp::kStat), 1);

  fs.FailAlways(FsOp::kDeleteFile);
  EXPECT_FALSE(fs.DeleteFile("C:\\a"));
  EXPECT_FALSE(fs.DeleteFile("C:\\a"));
  fs.ClearFaults();
  EXPECT_TRUE(fs.DeleteFile("C:\\a"));

  // A failing Append leaves half of its data behind.
  auto file = fs.OpenForWrite("C:\\b");
  ASSERT_NE(file, nullptr);
  fs.FailNth(FsOp::kAppend, 1);
  EXPECT_FALSE(file->Append("abcd"));
  EXPECT_TRUE(file->Close());
  EXPECT_EQ(memory.Contents("C:\\b"), "ab");
}

// Whatever step of a whole-file write fails, the old file stays byte for
// byte and no temporary is left beside it.
TEST(FaultyFileSystemTest, WriteFileAtomicLeavesTheOldFile) {
  const FsOp faults[] = {FsOp::kOpenForWrite, FsOp::kAppend, FsOp::kFlush,
                         FsOp::kSync,         FsOp::kClose,  FsOp::kRename};
  const std::string old_text = Bytes("old\r\ncontents\0\xff");
  for (FsOp fault : faults) {
    SCOPED_TRACE(FsOpName(fault));
    MemoryFileSystem memory;
    FaultyFileSystem fs(memory);
    memory.AddFile("C:\\d\\file.ini", old_text);
    fs.FailNth(fault, 1);
    std::string error;
    EXPECT_FALSE(WriteFileAtomic(fs, "C:\\d\\file.ini", "new contents", &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(memory.Contents("C:\\d\\file.ini"), old_text);
    EXPECT_EQ(memory.AllFiles(), std::vector<std::string>{"C:\\d\\file.ini"});
    EXPECT_EQ(fs.Failures(fault), 1);
  }
}

// A scratch write is the same atomic write without forcing the data to disk.
TEST(FaultyFileSystemTest, ScratchWritesAreNotSynced) {
  MemoryFileSystem memory;
  FaultyFileSystem fs(memory);
  ASSERT_TRUE(WriteFileAtomic(fs, "C:\\a.ini", "durable"));
  EXPECT_EQ(fs.Count(FsOp::kSync), 1);
  ASSERT_TRUE(WriteFileAtomic(fs, "C:\\a.ini", "scratch", nullptr, Durability::kScratch));
  EXPECT_EQ(fs.Count(FsOp::kSync), 1);
  EXPECT_EQ(fs.Count(FsOp::kRename), 2);
  EXPECT_EQ(memory.Contents("C:\\a.ini"), "scratch");
  // A scratch copy is a copy as far as anyone can see, failures included.
  ASSERT_TRUE(fs.CopyScratchFile("C:\\a.ini", "C:\\b.ini", true));
  EXPECT_EQ(memory.Contents("C:\\b.ini"), "scratch");
  fs.FailNth(FsOp::kCopyFile, 1);
  EXPECT_FALSE(fs.CopyScratchFile("C:\\a.ini", "C:\\c.ini", true));
  EXPECT_FALSE(memory.Contents("C:\\c.ini").has_value());
}

}  // namespace
}  // namespace zelvan::testing
