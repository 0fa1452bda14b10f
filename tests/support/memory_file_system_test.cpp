#include "tests/support/memory_file_system.h"

#include <gtest/gtest.h>

namespace zelvan::testing {
namespace {

TEST(MemoryFileSystemTest, FilesAndDirectories) {
  MemoryFileSystem fs;
  EXPECT_TRUE(DirectoryExists(fs, "C:\\"));
  EXPECT_TRUE(DirectoryExists(fs, "\\\\server\\share\\"));
  EXPECT_FALSE(fs.CreateDirectory("C:\\a\\b"));  // the parent is missing
  EXPECT_TRUE(CreateDirectories(fs, "C:\\a\\b\\"));
  EXPECT_TRUE(fs.AddFile("C:\\a\\b\\File.TXT", "data"));

  FileStatus status;
  ASSERT_TRUE(fs.Stat("c:\\A\\B\\file.txt", &status));
  EXPECT_FALSE(status.is_directory);
  EXPECT_EQ(status.size, 4u);
  std::string contents;
  ASSERT_TRUE(fs.ReadFile("c:/a/b/FILE.txt", &contents));
  EXPECT_EQ(contents, "data");

  std::vector<DirectoryEntry> entries;
  ASSERT_TRUE(fs.ListDirectory("C:\\A", "*", &entries));
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].name, "b");
  EXPECT_TRUE(entries[0].is_directory);
  ASSERT_TRUE(fs.ListDirectory("C:\\a\\b", "*.txt", &entries));
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].name, "File.TXT");  // the case it was created with

  EXPECT_FALSE(fs.RemoveDirectory("C:\\a\\b"));  // not empty
  EXPECT_TRUE(fs.SetCurrentDirectory("C:\\a\\b"));
  EXPECT_EQ(fs.GetCurrentDirectory(), "C:\\a\\b\\");
  EXPECT_TRUE(fs.DeleteFile("file.txt"));
  EXPECT_TRUE(fs.RemoveDirectory("C:\\a\\b"));
  EXPECT_EQ(fs.AllFiles(), std::vector<std::string>{});
}

TEST(MemoryFileSystemTest, ReadOnlyFilesFollowTheWindowsRules) {
  MemoryFileSystem fs;
  fs.AddFile("C:\\ro.txt", "old");
  fs.AddFile("C:\\other.txt", "other");
  ASSERT_TRUE(fs.SetReadOnly("C:\\ro.txt", true));
  EXPECT_EQ(fs.OpenForWrite("C:\\ro.txt"), nullptr);
  EXPECT_FALSE(fs.DeleteFile("C:\\ro.txt"));
  EXPECT_FALSE(fs.Rename("C:\\other.txt", "C:\\ro.txt"));
  EXPECT_FALSE(fs.CopyFile("C:\\other.txt", "C:\\ro.txt", false));
  EXPECT_FALSE(WriteFileAtomic(fs, "C:\\ro.txt", "new"));
  EXPECT_EQ(fs.Contents("C:\\ro.txt"), "old");
  // A copy takes the attribute and the time along.
  ASSERT_TRUE(fs.CopyFile("C:\\ro.txt", "C:\\copy.txt", true));
  FileStatus a, b;
  ASSERT_TRUE(fs.Stat("C:\\ro.txt", &a));
  ASSERT_TRUE(fs.Stat("C:\\copy.txt", &b));
  EXPECT_TRUE(b.read_only);
  EXPECT_EQ(a.mtime_ns, b.mtime_ns);
  EXPECT_FALSE(fs.CopyFile("C:\\other.txt", "C:\\copy.txt", true));
}

TEST(MemoryFileSystemTest, RenameMovesOpenFilesAndWholeDirectories) {
  MemoryFileSystem fs;
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
