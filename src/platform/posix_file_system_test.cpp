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

  std::string contents;
  ASSERT_TRUE(fs.ReadFile(base + "\\proj\\SRC\\main.c", &contents));
  EXPECT_EQ(contents, "int main;");
  FileStatus status;
  ASSERT_TRUE(fs.Stat(base + "\\PROJ\\src", &status));
  EXPECT_TRUE(status.is_directory);

  // A new file goes into the existing directory, under the name it was given.
  ASSERT_TRUE(WriteFileAtomic(fs, base + "\\proj\\SRC\\New.h", "x"));
  EXPECT_EQ(dir.ListNames("Proj/Src"), "Main.C\nNew.h\n");
  // Replacing a file spelled in other letters keeps the file's own name.
  ASSERT_TRUE(WriteFileAtomic(fs, base + "\\proj\\src\\MAIN.c", "int main2;"));
  EXPECT_EQ(dir.ListNames("Proj/Src"), "Main.C\nNew.h\n");
  EXPECT_EQ(dir.ReadFile("Proj/Src/Main.C"), "int main2;");

  // A file made behind the cache's back, right after the listing was read, is found.
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

TEST(PosixFileSystemTest, ReadOnlyFilesAreNeverReplaced) {
  TempDir dir;
  dir.WriteFile("p.kbp", "original");
  PosixFileSystem fs({}, dir.path());
  ASSERT_TRUE(fs.SetReadOnly("p.kbp", true));
  FileStatus status;
  ASSERT_TRUE(fs.Stat("p.kbp", &status));
  EXPECT_TRUE(status.read_only);
  EXPECT_EQ(status.size, 8u);

  std::string error;
  EXPECT_FALSE(WriteFileAtomic(fs, "p.kbp", "changed", &error));
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(fs.DeleteFile("p.kbp"));
  EXPECT_FALSE(fs.CopyFile("p.kbp", "p.kbp", false));
  EXPECT_EQ(dir.ReadFile("p.kbp"), "original");
  EXPECT_EQ(dir.ListNames(""), "p.kbp\n");

  // A copy carries the attribute; clearing it makes the file writable again.
  // A scratch copy behaves alike.
  ASSERT_TRUE(fs.CopyFile("p.kbp", "copy.kbp", true));
  ASSERT_TRUE(fs.Stat("copy.kbp", &status));
  EXPECT_TRUE(status.read_only);
  EXPECT_FALSE(fs.CopyFile("p.kbp", "copy.kbp", true));
  ASSERT_TRUE(fs.CopyScratchFile("p.kbp", "scratch.kbp", true));
  ASSERT_TRUE(fs.Stat("scratch.kbp", &status));
  EXPECT_TRUE(status.read_only);
  EXPECT_EQ(dir.ReadFile("scratch.kbp"), "original");
  EXPECT_FALSE(fs.CopyScratchFile("p.kbp", "scratch.kbp", true));
  EXPECT_FALSE(fs.CopyScratchFile("p.kbp", "scratch.kbp", false));  // read-only target
  ASSERT_TRUE(fs.SetReadOnly("scratch.kbp", false));
  ASSERT_TRUE(fs.DeleteFile("scratch.kbp"));
  ASSERT_TRUE(fs.SetReadOnly("p.kbp", false));
  EXPECT_TRUE(WriteFileAtomic(fs, "p.kbp", "changed"));
  EXPECT_EQ(dir.ReadFile("p.kbp"), "changed");
}

TEST(PosixFileSystemTest, DirectoriesListingsAndNames) {
  TempDir dir;
  PosixFileSystem fs({}, dir.path());
  ASSERT_TRUE(CreateDirectories(fs, "x\\y\\z\\"));
  EXPECT_TRUE(DirectoryExists(fs, "X\\Y\\Z"));
  EXPECT_TRUE(CreateDirectories(fs, "x\\y"));
  EXPECT_FALSE(fs.CreateDirectory("x"));
  dir.WriteFile("x/A.ini", "");
  dir.WriteFile("x/b.INI", "");
  dir.WriteFile("x/c.txt", "");

  std::vector<DirectoryEntry> entries;
  ASSERT_TRUE(fs.ListDirectory("x", "*.ini", &entries));
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].name, "A.ini");
  EXPECT_EQ(entries[1].name, "b.INI");
  ASSERT_TRUE(fs.ListDirectory("x", "*", &entries));
  EXPECT_EQ(entries.size(), 4u);
  EXPECT_TRUE(entries[3].is_directory);  // "y"
  EXPECT_FALSE(fs.ListDirectory("missing", "*", &entries));

  std::string unique;
  ASSERT_TRUE(MakeUniqueName(fs, "x\\p_kbp_XXXXXX", &unique));
  EXPECT_EQ(unique.size(), std::string("x\\p_kbp_XXXXXX").size());
  EXPECT_FALSE(FileExists(fs, unique));
  EXPECT_FALSE(MakeUniqueName(fs, "x\\p_kbp_XXXXX", &unique));

  std::string short_name;
  EXPECT_FALSE(fs.GetShortPathName("x", &short_name));

  ASSERT_TRUE(fs.MoveFile("x\\c.txt", "x\\y\\moved.txt"));
  EXPECT_TRUE(dir.Exists("x/y/moved.txt"));
  EXPECT_FALSE(fs.MoveFile("x\\A.ini", "x\\b.ini"));  // the target exists
  ASSERT_TRUE(fs.DeleteFile("x\\y\\MOVED.txt"));
  EXPECT_TRUE(fs.RemoveDirectory("x\\y\\z"));
  EXPECT_FALSE(fs.RemoveDirectory("x"));  // not empty
}

TEST(PosixFileSystemTest, AtomicWriteLeavesNoTemporary) {
  TempDir dir;
  PosixFileSystem fs({}, dir.path());
  ASSERT_TRUE(WriteFileAtomic(fs, "f.txt", std::string(200000, 'x')));
  ASSERT_TRUE(WriteFileAtomic(fs, "f.txt", "short"));
  EXPECT_EQ(dir.ReadFile("f.txt"), "short");
  EXPECT_EQ(dir.ListNames(""), "f.txt\n");
  // Into a directory that does not exist: fails and leaves nothing.
  EXPECT_FALSE(WriteFileAtomic(fs, "no\\f.txt", "x"));
  EXPECT_EQ(dir.ListNames(""), "f.txt\n");
  // Over a directory: refused.
  dir.MakeDirectory("d");
  EXPECT_FALSE(WriteFileAtomic(fs, "d", "x"));
}

}  // namespace
}  // namespace zelvan
