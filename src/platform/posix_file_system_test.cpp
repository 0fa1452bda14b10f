#include "platform/posix_file_system.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <climits>

#include "platform/ansi_text.h"
#include "platform/process_tag.h"
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

  // Many paths mapped at once, a listing per directory, as one at a time.
  // The directories are an hour old, so their listings are trusted.
  dir.WriteFile("Proj/Src/Dup.c", "");
  dir.WriteFile("Proj/Src/DUP.c", "");
  ASSERT_EQ(::symlink("nowhere", dir.HostPath("Proj/Src/Dangling.h").c_str()), 0);
  ASSERT_EQ(::symlink("Src", dir.HostPath("Proj/Linked").c_str()), 0);
  for (const char* old_dir : {"Proj", "Proj/Src"}) {
    struct timespec times[2] = {{::time(nullptr) - 3600, 0}, {::time(nullptr) - 3600, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, dir.HostPath(old_dir).c_str(), times, 0), 0);
  }
  const struct {
    std::string path;
    std::string host;  // empty: only the same as ToHostPath
  } cases[] = {
      {base + "\\Proj\\Src\\Main.C", dir.HostPath("Proj/Src/Main.C")},
      {base + "\\proj\\src\\main.c", dir.HostPath("Proj/Src/Main.C")},
      {base + "\\proj\\src\\Fresh.c", dir.HostPath("Proj/Src/Fresh.c")},
      {base + "\\proj\\gone\\x.c", dir.HostPath("Proj/gone/x.c")},
      {base + "\\proj\\src\\DUP.c", dir.HostPath("Proj/Src/DUP.c")},
      {base + "\\proj\\src\\dup.C", ""},
      {base + "\\PROJ\\SRC\\dangling.h", dir.HostPath("Proj/Src/Dangling.h")},
      {base + "\\proj\\linked\\new.h", dir.HostPath("Proj/Linked/New.h")},
      {base + "\\proj\\src\\main.c\\x", dir.HostPath("Proj/Src/Main.C/x")},
      // The folder as written, the name not.
      {base + "\\Proj\\Src\\main.c", dir.HostPath("Proj/Src/Main.C")},
      {base + "\\Proj\\Src\\Main.C\\x", dir.HostPath("Proj/Src/Main.C/x")},
      {base + "\\Proj\\Src\\main.c(3):text", dir.HostPath("Proj/Src/main.c(3):text")},
      {base + "\\proj\\src\\late.txt", dir.HostPath("Proj/Src/LATE.TXT")},
      // A double-byte character's trail byte is no separator.
      {base + "\\proj\\src\\\x95\\a.c", ""},
      {base + "\\proj\\src\\\x95\\b.c", ""},
      {"D:\\x", ""},
  };
  std::vector<std::string> paths;
  for (const auto& c : cases)
    paths.push_back(c.path);
  std::vector<std::string> hosts = fs.ToHostPaths(paths);
  ASSERT_EQ(hosts.size(), paths.size());
  for (size_t i = 0; i < paths.size(); ++i) {
    SCOPED_TRACE(paths[i]);
    EXPECT_EQ(hosts[i], fs.ToHostPath(paths[i]));
    if (!cases[i].host.empty()) {
      EXPECT_EQ(hosts[i], cases[i].host);
    }
  }
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
  EXPECT_TRUE(fs.ReadFile("..\\b\\F.TXT", &contents));
  // A reader for another thread starts where this one stands.
  std::unique_ptr<ReadOnlyFileSystem> reader = fs.NewThreadReader();
  ASSERT_NE(reader, nullptr);
  EXPECT_EQ(reader->GetCurrentDirectory(), fs.GetCurrentDirectory());
  contents.clear();
  EXPECT_TRUE(reader->ReadFile("..\\b\\F.TXT", &contents));
  EXPECT_EQ(contents, "F");

  char after[PATH_MAX];
  ASSERT_NE(::getcwd(after, sizeof after), nullptr);
  EXPECT_STREQ(before, after);
}

// The permission bits of a host file, or -1; whether it is a symbolic link.
int Mode(const std::string& host) {
  struct stat st;
  return ::stat(host.c_str(), &st) == 0 ? static_cast<int>(st.st_mode & 07777) : -1;
}
int Umask() {
  mode_t mask = ::umask(0);
  ::umask(mask);
  return static_cast<int>(mask);
}
bool IsLink(const std::string& host) {
  struct stat st;
  return ::lstat(host.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

TEST(PosixFileSystemTest, WritesKeepTheFilesIdentity) {
  TempDir dir;
  PosixFileSystem fs({}, dir.path());
  dir.WriteFile("real/p.kbp", "old");
  ::chmod(dir.HostPath("real/p.kbp").c_str(), 0600);
  dir.WriteFile("ws/plain.kde", "old");
  ::chmod(dir.HostPath("ws/plain.kde").c_str(), 0640);
  ::symlink("../real/p.kbp", dir.HostPath("ws/link.kbp").c_str());
  ::symlink("link.kbp", dir.HostPath("ws/chain.kbp").c_str());
  ::symlink("../real/new.kws", dir.HostPath("ws/dangling.kws").c_str());
  ::symlink("/dev/null", dir.HostPath("ws/device.log").c_str());
  ::mkfifo(dir.HostPath("ws/fifo.kde").c_str(), 0600);
  dir.WriteFile("ws/ro.kde", "old");
  ::chmod(dir.HostPath("ws/ro.kde").c_str(), 0444);
  // A large file replaced is let go in the background.
  dir.WriteFile("ws/big.kde", std::string(size_t{5} << 20, 'x'));
  const struct {
    const char* path;  // written, below ws
    bool replace_read_only;
    const char* error;     // null: written
    const char* lands_in;  // the host file that holds the new contents
    int mode;
  } cases[] = {
      {"plain.kde", false, nullptr, "ws/plain.kde", 0640},
      {"link.kbp", false, nullptr, "real/p.kbp", 0600},
      {"chain.kbp", false, nullptr, "real/p.kbp", 0600},
      {"dangling.kws", false, nullptr, "real/new.kws", 0666 & ~Umask()},
      {"device.log", false, "is not a regular file", nullptr, 0},
      {"fifo.kde", false, "is not a regular file", nullptr, 0},
      {"ro.kde", false, "the file is read-only", nullptr, 0},
      {"ro.kde", true, nullptr, "ws/ro.kde", 0644},
      {"big.kde", false, nullptr, "ws/big.kde", 0666 & ~Umask()},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    std::string path = Win(dir.HostPath("ws/")) + c.path;
    WriteOptions options;
    options.replace_read_only = c.replace_read_only;
    Status written = WriteFileAtomic(fs, path, "new", options);
    EXPECT_EQ(written.ok(), c.error == nullptr);
    EXPECT_EQ(written.ok() ? "" : written.ToString(), c.error ? c.error : "");
    if (c.lands_in != nullptr) {
      EXPECT_EQ(dir.ReadFile(c.lands_in), "new");
      EXPECT_EQ(Mode(dir.HostPath(c.lands_in)), c.mode);
    }
  }
  for (const char* link : {"link.kbp", "chain.kbp", "dangling.kws", "device.log"})
    EXPECT_TRUE(IsLink(dir.HostPath("ws/") + link)) << link;
  fs.WaitForBackgroundWork();
  EXPECT_EQ(dir.ListNames("ws"),
            "big.kde\nchain.kbp\ndangling.kws\ndevice.log\n"
            "fifo.kde\nlink.kbp\nplain.kde\nro.kde\n");
  EXPECT_EQ(fs.FailedWrites().size(), 3u);

  // A copy replaces the file a link leads to, keeping its mode; a new copy
  // takes its source's, as a working copy of a private project must.
  ASSERT_TRUE(
      fs.CopyFile(Win(dir.HostPath("ws/plain.kde")), Win(dir.HostPath("ws/link.kbp")), false));
  EXPECT_TRUE(IsLink(dir.HostPath("ws/link.kbp")));
  EXPECT_EQ(Mode(dir.HostPath("real/p.kbp")), 0600);
  ASSERT_TRUE(fs.CopyScratchFile(Win(dir.HostPath("real/p.kbp")), Win(dir.HostPath("copy")), true));
  EXPECT_EQ(Mode(dir.HostPath("copy")), 0600);
}

TEST(PosixFileSystemTest, DevicesAndFifosAreNeverRead) {
  TempDir dir;
  PosixFileSystem fs({}, dir.path());
  ::mkfifo(dir.HostPath("fifo.h").c_str(), 0600);
  for (const std::string& path : {Win(dir.HostPath("fifo.h")), std::string("\\dev\\null")}) {
    SCOPED_TRACE(path);
    FileStatus status;
    ASSERT_TRUE(fs.Stat(path, &status));
    EXPECT_TRUE(status.is_other);
    EXPECT_FALSE(FileExists(fs, path));
    std::string contents;
    EXPECT_FALSE(fs.ReadFile(path, &contents));  // without waiting for a writer
  }
}

TEST(PosixFileSystemTest, AppendsNeverRewrite) {
  TempDir dir;
  PosixFileSystem fs({}, dir.path());
  dir.WriteFile("real.log", "a\n");
  ::symlink("real.log", dir.HostPath("link.log").c_str());
  ::mkfifo(dir.HostPath("fifo.log").c_str(), 0600);
  dir.WriteFile("ro.log", "");
  ::chmod(dir.HostPath("ro.log").c_str(), 0444);
  EXPECT_TRUE(fs.AppendToFile(Win(dir.HostPath("link.log")), "b\n"));
  EXPECT_TRUE(fs.AppendToFile(Win(dir.HostPath("new.log")), "c\n"));
  EXPECT_TRUE(IsLink(dir.HostPath("link.log")));
  EXPECT_EQ(dir.ReadFile("real.log") + dir.ReadFile("new.log"), "a\nb\nc\n");
  EXPECT_FALSE(fs.AppendToFile(Win(dir.HostPath("fifo.log")), "x\n"));  // no reader: no wait
  EXPECT_FALSE(fs.AppendToFile(Win(dir.HostPath("ro.log")), "x\n"));
  EXPECT_EQ(dir.ReadFile("ro.log"), "");
}

TEST(PosixFileSystemTest, LocksShutOutOtherHolders) {
  TempDir dir;
  PosixFileSystem fs({}, dir.path());
  std::string file = Win(dir.HostPath("ws.kws"));
  std::unique_ptr<FileLock> first, second;
  ASSERT_EQ(fs.TryLockFile(LockFilePath(fs, file), &first), LockResult::kLocked);
  int waits = 0;
  EXPECT_EQ(LockFileWaiting(
                fs, file, std::chrono::milliseconds(30), [&] { ++waits; }, &second),
            LockResult::kBusy);
  EXPECT_EQ(waits, 1);
  first.reset();
  EXPECT_EQ(LockFileWaiting(fs, file, std::chrono::milliseconds(0), nullptr, &second),
            LockResult::kLocked);
  EXPECT_EQ(fs.TryLockFile(Win(dir.HostPath("missing/ws.kws.lock")), &first),
            LockResult::kUnavailable);
}

// Lock files lie in the user's own folder, named after the whole path; a
// folder others may enter, or none, leaves them beside the file.
TEST(PosixFileSystemTest, LockFilesLieInAPrivateFolder) {
  TempDir dir;
  const std::string file = Win(dir.HostPath("ws 100%.kws"));
  const std::string escaped = [&] {
    std::string name;
    for (char c : dir.HostPath("ws 100%.kws"))
      name += c == '/' ? std::string("%2F") : c == '%' ? std::string("%25") : std::string(1, c);
    return name;
  }();
  struct Case {
    const char* name;
    mode_t mode;  // 0: no folder given
    bool private_folder;
  };
  for (const Case& c :
       {Case{"private", 0700, true}, Case{"open to others", 0755, false}, Case{"none", 0, false}}) {
    SCOPED_TRACE(c.name);
    PosixFileSystem fs({}, dir.path());
    const std::string locks = dir.HostPath(std::string("locks-") + c.name);
    if (c.mode != 0) {
      ASSERT_EQ(::mkdir(locks.c_str(), c.mode), 0);
      ASSERT_EQ(::chmod(locks.c_str(), c.mode), 0);
      fs.SetLockDirectory(locks);
    }
    EXPECT_EQ(LockFilePath(fs, file),
              c.private_folder ? Win(locks + "/" + escaped + ".lock") : file + ".lock");
    std::unique_ptr<FileLock> lock;
    EXPECT_EQ(LockFileWaiting(fs, file, std::chrono::milliseconds(0), nullptr, &lock),
              LockResult::kLocked);
  }
}

TEST(PosixFileSystemTest, OnlyTemporariesOfGoneProcessesAreSwept) {
  TempDir dir;
  PosixFileSystem fs({}, dir.path());
  pid_t child = ::fork();
  if (child == 0) ::_exit(0);
  ::waitpid(child, nullptr, 0);
  std::string gone = std::to_string(child) + "-1";
  std::string reused = std::to_string(::getpid()) + "-1";  // our pid, another start
  EXPECT_TRUE(IsProcessTagAlive(OwnProcessTag()));
  EXPECT_FALSE(IsProcessTagAlive(gone));
  EXPECT_FALSE(IsProcessTagAlive(reused));
  EXPECT_TRUE(IsProcessTagAlive("no tag"));
  for (const std::string& name :
       {"a.kde.~zv" + gone + "-abc123", "app_kbp_~zv" + reused + "-k3x9qa",
        "a.kde.~zv" + OwnProcessTag() + "-abc123", std::string("a.kde.~zvabc123"),
        "a.kde.~zv" + gone + "-toolong1", std::string("plain.kbp")}) {
    dir.WriteFile(name, "x");
  }
  ::chmod(dir.HostPath("a.kde.~zv" + gone + "-abc123").c_str(), 0444);
  EXPECT_EQ(RemoveDeadTemporaries(fs, Win(dir.path())), 2);
  EXPECT_EQ(dir.ListNames(""), "a.kde.~zv" + OwnProcessTag() + "-abc123\na.kde.~zv" + gone +
                                   "-toolong1\na.kde.~zvabc123\nplain.kbp\n");
  EXPECT_EQ(TemporaryOwner(FileNamePart(TemporaryPattern("C:\\x.kde."))), OwnProcessTag());
}

TEST(PosixFileSystemTest, DoubleByteNamesAreNeverSplitInsideACharacter) {
  TempDir dir;
  dir.WriteFile("\x83\x5C/\x83\x5C.c", "int x;");  // U+30BD twice: trail byte 0x5C
  SetAnsiCodePage(932);
  PosixFileSystem fs({}, dir.path());
  std::string contents;
  bool read = fs.ReadFile(Win(dir.path()) + "\\\x83\x5C\\\x83\x5C.C", &contents).ok();
  SetAnsiCodePage(0);
  EXPECT_TRUE(read);
  EXPECT_EQ(contents, "int x;");
}

}  // namespace
}  // namespace zelvan
