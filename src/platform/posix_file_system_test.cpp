#include "platform/posix_file_system.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>

#include "platform/win_path.h"
#include "tests/support/temp_dir.h"

namespace zelvan {
namespace {

using testing::TempDir;

// The system path of a host path below the temporary directory, with no drive map.
std::string Win(const std::string& host) {
  std::string out = host;
  for (char& c : out) {
    if (c == '/') c = '\\';
  }
  return out;
}

TEST(PosixFileSystemTest, MapsPathsBothWays) {
  TempDir dir;
  dir.WriteFile("c/work/a.kbp", "A");
  dir.WriteFile("net/srv/share/b.txt", "B");
  HostPathMap map;
  map.drives['C'] = dir.HostPath("c");
  map.network_root = dir.HostPath("net");
  PosixFileSystem fs(map, dir.path());

  std::string contents;
  ASSERT_TRUE(fs.ReadFile("C:\\work\\a.kbp", &contents));
  EXPECT_EQ(contents, "A");
  ASSERT_TRUE(fs.ReadFile("\\\\srv\\share\\b.txt", &contents));
  EXPECT_EQ(contents, "B");
  ASSERT_TRUE(fs.ReadFile(Win(dir.HostPath("c/work/a.kbp")), &contents));
  EXPECT_EQ(contents, "A");

  // An unmapped drive has no files, and nothing can be made on it.
  FileStatus status;
  EXPECT_FALSE(fs.Stat("D:\\work\\a.kbp", &status));
  EXPECT_EQ(fs.OpenForWrite("D:\\x"), nullptr);
  EXPECT_EQ(fs.ToHostPath("D:\\x"), "");

  EXPECT_EQ(fs.FromHostPath(dir.HostPath("c/work/a.kbp")), "C:\\work\\a.kbp");
  EXPECT_EQ(fs.FromHostPath(dir.HostPath("c")), "C:\\");
  EXPECT_EQ(fs.FromHostPath(dir.HostPath("net/srv/share")), "\\\\srv\\share");
  EXPECT_EQ(fs.FromHostPath(dir.HostPath("other/x")), Win(dir.HostPath("other/x")));
  // Relative host paths are taken against the host directory the file system started in.
  EXPECT_EQ(fs.FromHostPath("c/work/../work/a.kbp"), "C:\\work\\a.kbp");
  EXPECT_EQ(fs.GetCurrentDirectory(), Win(dir.path()) + "\\");
}

TEST(PosixFileSystemTest, ResolvesLetterCaseComponentByComponent) {
  TempDir dir;
  dir.WriteFile("Proj/Src/Main.C", "int main;");
  PosixFileSystem fs({}, dir.path());
  std::string base = Win(dir.path());

  // A new file goes into the existing directory, under the name it was given.
  ASSERT_TRUE(WriteFileAtomic(fs, base + "\\proj\\SRC\\New.h", "x"));
  EXPECT_EQ(dir.ListNames("Proj/Src"), "Main.C\nNew.h\n");

  // A file made behind the cache's back, right after the listing was read, is found.
  FileStatus status;
  ASSERT_FALSE(fs.Stat(base + "\\proj\\src\\late.txt", &status));
  dir.WriteFile("Proj/Src/LATE.TXT", "late");
  EXPECT_TRUE(fs.Stat(base + "\\proj\\src\\late.txt", &status));
}

TEST(PosixFileSystemTest, KeepsItsOwnCurrentDirectory) {
  TempDir dir;
  dir.WriteFile("a/b/f.txt", "F");
  char before[PATH_MAX];
  ASSERT_NE(::getcwd(before, sizeof before), nullptr);

  PosixFileSystem fs({}, dir.path());
  ASSERT_TRUE(fs.SetCurrentDirectory("A\\b"));
  EXPECT_EQ(fs.GetCurrentDirectory(), Win(dir.path()) + "\\A\\b\\");
  std::string contents;
  EXPECT_TRUE(fs.ReadFile("f.txt", &contents));
  EXPECT_TRUE(fs.ReadFile("..\\b\\F.TXT", &contents));
  EXPECT_FALSE(fs.SetCurrentDirectory("missing"));
  EXPECT_FALSE(fs.SetCurrentDirectory("f.txt"));

  char after[PATH_MAX];
  ASSERT_NE(::getcwd(after, sizeof after), nullptr);
  EXPECT_STREQ(before, after);
}

}  // namespace
}  // namespace zelvan
