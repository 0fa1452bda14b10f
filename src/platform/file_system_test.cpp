// The contract of FileSystem, run against the host's real file system (POSIX
// or Win32) and against the in-memory one the other tests stand on, so that
// the stand-in cannot drift from what it stands in for. Paths are relative
// to each one's current directory.
#include "platform/file_system.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <functional>
#include <memory>

#include "platform/ansi_text.h"
#include "platform/os_error.h"
#include "platform/process_tag.h"
#include "platform/undo_journal.h"
#include "platform/win_path.h"
#include "tests/support/faulty_file_system.h"
#include "tests/support/memory_file_system.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_text.h"

#ifdef _WIN32
#include "platform/win32_file_system.h"
#else
#include "platform/posix_file_system.h"
#endif

namespace zelvan {
namespace {

#ifdef _WIN32
constexpr bool kWin32 = true;
constexpr char kHostName[] = "Win32";
std::unique_ptr<FileSystem> HostFileSystem(const std::string& dir) {
  return std::make_unique<Win32FileSystem>(dir);
}
#else
constexpr bool kWin32 = false;
constexpr char kHostName[] = "Posix";
std::unique_ptr<FileSystem> HostFileSystem(const std::string& dir) {
  return std::make_unique<PosixFileSystem>(HostPathMap{}, dir);
}
#endif

enum class Kind { kHost, kMemory };

class FileSystemContractTest : public ::testing::TestWithParam<Kind> {
 protected:
  FileSystemContractTest() {
    if (GetParam() == Kind::kHost) {
      host_ = HostFileSystem(dir_.path());
      fs_ = host_.get();
    } else {
      fs_ = &memory_;
    }
  }
  // Windows tells its own reasons, by system error code.
  bool Win32() const { return kWin32 && GetParam() == Kind::kHost; }

  std::string Read(std::string_view path) {
    std::string contents;
    return fs_->ReadFile(path, &contents) ? contents : "<none>";
  }
  // The names in `dir`, each followed by a blank, directories by "\ ".
  std::string Names(std::string_view dir, std::string_view pattern = "*") {
    std::vector<DirectoryEntry> entries;
    if (!fs_->ListDirectory(dir, pattern, &entries)) return "<fails>";
    std::string names;
    for (const DirectoryEntry& entry : entries)
      names += entry.name + (entry.is_directory ? "\\ " : " ");
    return names;
  }

  testing::TempDir dir_;
  testing::MemoryFileSystem memory_;
  std::unique_ptr<FileSystem> host_;
  FileSystem* fs_;
};

INSTANTIATE_TEST_SUITE_P(Both, FileSystemContractTest,
                         ::testing::Values(Kind::kHost, Kind::kMemory),
                         [](const ::testing::TestParamInfo<Kind>& param) {
                           return param.param == Kind::kHost ? kHostName : "Memory";
                         });

TEST_P(FileSystemContractTest, ReadOnlyFilesAreNeverReplaced) {
  FileSystem& fs = *fs_;
  ASSERT_TRUE(WriteFileAtomic(fs, "p.kbp", "original"));
  ASSERT_TRUE(WriteFileAtomic(fs, "other.kbp", "other"));
  ASSERT_TRUE(fs.SetReadOnly("p.kbp", true));
  FileStatus status;
  ASSERT_TRUE(fs.Stat("P.KBP", &status));
  EXPECT_TRUE(status.read_only);
  EXPECT_EQ(status.size, 8u);

  // Deleting and renaming onto it: FailuresTellTheirReason.
  EXPECT_FALSE(WriteFileAtomic(fs, "p.kbp", "changed"));
  ASSERT_EQ(fs.FailedWrites().size(), 1u);
  EXPECT_TRUE(fs.FailedWrites()[0].path.ends_with("p.kbp"));
  EXPECT_FALSE(fs.CopyFile("other.kbp", "p.kbp", false));
  EXPECT_FALSE(fs.CopyFile("p.kbp", "p.kbp", false));
  EXPECT_EQ(Read("p.kbp"), "original");
  EXPECT_EQ(Names("."), "other.kbp p.kbp ");

  // A copy, scratch or not, carries the attribute; clearing it makes the
  // file writable again.
  ASSERT_TRUE(fs.CopyFile("p.kbp", "copy.kbp", true));
  ASSERT_TRUE(fs.Stat("copy.kbp", &status));
  EXPECT_TRUE(status.read_only);
  EXPECT_FALSE(fs.CopyFile("other.kbp", "copy.kbp", true));
  ASSERT_TRUE(fs.CopyScratchFile("p.kbp", "scratch.kbp", true));
  ASSERT_TRUE(fs.Stat("scratch.kbp", &status));
  EXPECT_TRUE(status.read_only);
  EXPECT_EQ(Read("scratch.kbp"), "original");
  EXPECT_FALSE(fs.CopyScratchFile("other.kbp", "scratch.kbp", false));  // read-only target
  // A file of the system's own is replaced all the same, and is writable then.
  EXPECT_TRUE(WriteFileAtomic(fs, "p.kbp", "changed", {Durability::kScratch, true, {}}));
  EXPECT_EQ(Read("p.kbp"), "changed");
  ASSERT_TRUE(fs.Stat("p.kbp", &status));
  EXPECT_FALSE(status.read_only);
}

TEST_P(FileSystemContractTest, DirectoriesListingsAndNames) {
  FileSystem& fs = *fs_;
  EXPECT_FALSE(fs.CreateDirectory("x\\y"));  // the parent is missing
  ASSERT_TRUE(CreateDirectories(fs, "x\\y\\z\\"));
  EXPECT_TRUE(DirectoryExists(fs, "X\\Y\\Z"));
  EXPECT_TRUE(CreateDirectories(fs, "x\\y"));
  EXPECT_FALSE(fs.CreateDirectory("x"));
  for (const char* name : {"x\\A.ini", "x\\b.INI", "x\\c.txt"})
    ASSERT_TRUE(WriteFileAtomic(fs, name, "data"));
  FileStatus status;
  ASSERT_TRUE(fs.Stat("X\\a.INI", &status));
  EXPECT_FALSE(status.is_directory);
  EXPECT_EQ(status.size, 4u);
  EXPECT_EQ(Read("x\\C.TXT"), "data");
  // Names as they were created.
  EXPECT_EQ(Names("x", "*.ini"), "A.ini b.INI ");
  EXPECT_EQ(Names("X"), "A.ini b.INI c.txt y\\ ");
  EXPECT_EQ(Names("missing"), "<fails>");

  std::string unique;
  ASSERT_TRUE(MakeUniqueName(fs, "x\\p_kbp_XXXXXX", &unique));
  EXPECT_EQ(unique.size(), std::string("x\\p_kbp_XXXXXX").size());
  EXPECT_FALSE(FileExists(fs, unique));
  EXPECT_FALSE(MakeUniqueName(fs, "x\\p_kbp_XXXXX", &unique));

  ASSERT_TRUE(fs.MoveFile("x\\c.txt", "x\\y\\moved.txt"));
  EXPECT_EQ(Read("x\\y\\moved.txt"), "data");
  EXPECT_FALSE(fs.MoveFile("x\\A.ini", "x\\b.INI"));  // the target exists
  ASSERT_TRUE(fs.Rename("x\\A.ini", "x\\b.INI"));     // Rename replaces it
  EXPECT_EQ(Names("x"), "b.INI y\\ ");
  ASSERT_TRUE(fs.DeleteFile("x\\y\\MOVED.txt"));
  EXPECT_FALSE(fs.DeleteFile("x\\y"));    // a directory
  EXPECT_FALSE(fs.RemoveDirectory("x"));  // not empty
  EXPECT_TRUE(fs.RemoveDirectory("x\\y\\z"));

  ASSERT_TRUE(fs.SetCurrentDirectory("X\\y"));
  EXPECT_FALSE(fs.SetCurrentDirectory("missing"));
  EXPECT_FALSE(fs.SetCurrentDirectory("..\\b.ini"));
  EXPECT_EQ(Read("..\\B.ini"), "data");
}

TEST_P(FileSystemContractTest, AtomicWriteLeavesNoTemporary) {
  FileSystem& fs = *fs_;
  ASSERT_TRUE(WriteFileAtomic(fs, "f.txt", std::string(200000, 'x')));
  // Replacing a file spelled in other letters keeps the file's own name.
  ASSERT_TRUE(WriteFileAtomic(fs, "F.TXT", "short"));
  EXPECT_EQ(Read("f.txt"), "short");
  EXPECT_EQ(Names("."), "f.txt ");
  ASSERT_TRUE(fs.CreateDirectory("d"));
  // Written in pieces; a writer that fails leaves the file as it was.
  auto pieces = [](bool ok) {
    return [ok](WritableFile& file) { return file.Append("a") && file.Append("b") && ok; };
  };
  ASSERT_TRUE(WriteFileAtomic(fs, "f.txt", pieces(true), WriteOptions{}));
  EXPECT_EQ(Read("f.txt"), "ab");
  EXPECT_FALSE(WriteFileAtomic(fs, "f.txt", pieces(false), WriteOptions{}));
  EXPECT_EQ(Read("f.txt"), "ab");
  EXPECT_EQ(Names("."), "d\\ f.txt ");
}

// A path longer than MAX_PATH (260) is a path like any other, and the
// names listed are as short as they were written.
TEST_P(FileSystemContractTest, PathsLongerThanMaxPath) {
  FileSystem& fs = *fs_;
  std::vector<std::string> dirs = {fs.FullPath(std::string(60, 'a'))};
  while (dirs.size() < 5)
    dirs.push_back(dirs.back() + "\\" + std::string(60, static_cast<char>('a' + dirs.size())));
  ASSERT_TRUE(CreateDirectories(fs, dirs.back()));
  const std::string file = dirs.back() + "\\" + std::string(40, 'f') + ".txt";
  ASSERT_GT(file.size(), 300u);
  ASSERT_TRUE(WriteFileAtomic(fs, file, "long"));
  EXPECT_EQ(Read(file), "long");
  EXPECT_EQ(Names(dirs.back()), std::string(40, 'f') + ".txt ");
  ASSERT_TRUE(fs.Rename(file, dirs.back() + "\\renamed.txt"));
  EXPECT_EQ(Names(dirs.back()), "renamed.txt ");
  ASSERT_TRUE(fs.DeleteFile(dirs.back() + "\\renamed.txt"));
  EXPECT_EQ(Names(dirs.back()), "");
  for (auto dir = dirs.rbegin(); dir != dirs.rend(); ++dir)
    EXPECT_TRUE(fs.RemoveDirectory(*dir)) << *dir;
  EXPECT_EQ(Names("."), "");
}

// Only Windows has short (8.3) names: one names the same file, and a name
// that is short already stays. Windows shortens "a long name.text" to
// "ALONGN~1.TEX" and Wine to a hashed form of its own, so the form is
// checked, not the letters.
TEST_P(FileSystemContractTest, ShortNames) {
  FileSystem& fs = *fs_;
  ASSERT_TRUE(fs.CreateDirectory("long folder"));
  ASSERT_TRUE(WriteFileAtomic(fs, "long folder\\a long name.text", "long"));
  ASSERT_TRUE(WriteFileAtomic(fs, "short.txt", "short"));
  std::string short_path;
  if (!Win32()) {
    EXPECT_FALSE(fs.GetShortPathName("short.txt", &short_path));
    return;
  }
  ASSERT_TRUE(fs.GetShortPathName("long folder\\a long name.text", &short_path));
  std::vector<std::string_view> names = PathComponents(short_path);
  ASSERT_GE(names.size(), 2u);
  for (std::string_view name : {names[names.size() - 2], names.back()}) {
    SCOPED_TRACE(short_path);
    size_t dot = name.find('.');
    EXPECT_LE(name.substr(0, dot).size(), 8u);
    EXPECT_LE(dot == std::string_view::npos ? 0 : name.size() - dot - 1, 3u);
    EXPECT_EQ(name.find(' '), std::string_view::npos);
  }
  EXPECT_EQ(Read(short_path), "long");
  ASSERT_TRUE(fs.GetShortPathName("SHORT.TXT", &short_path));
  EXPECT_TRUE(EqualsNoCase(FileNamePart(short_path), "short.txt")) << short_path;
  EXPECT_FALSE(fs.GetShortPathName("missing.txt", &short_path));
}

// A failure tells why, in the host's words, on both file systems alike.
TEST_P(FileSystemContractTest, FailuresTellTheirReason) {
  FileSystem& fs = *fs_;
  ASSERT_TRUE(WriteFileAtomic(fs, "ro.txt", "kept"));
  ASSERT_TRUE(fs.SetReadOnly("ro.txt", true));
  ASSERT_TRUE(fs.CreateDirectory("d"));
  ASSERT_TRUE(WriteFileAtomic(fs, "d\\f.txt", "x"));
  std::string contents;
  // The reason, and on Windows the system error code whose text it is.
  const struct {
    const char* what;
    std::function<Status()> call;
    const char* reason;
    int win32;
  } kCases[] = {
      {"read a missing file", [&] { return fs.ReadFile("missing.txt", &contents); },
       "No such file or directory", 2},  // ERROR_FILE_NOT_FOUND
      {"read a folder", [&] { return fs.ReadFile("d", &contents); }, "Is a directory",
       5},  // ERROR_ACCESS_DENIED
      {"folder in a missing folder", [&] { return fs.CreateDirectory("no\\d"); },
       "No such file or directory", 3},  // ERROR_PATH_NOT_FOUND
      {"folder that exists", [&] { return fs.CreateDirectory("d"); }, "File exists",
       183},  // ERROR_ALREADY_EXISTS
      {"delete a read-only file", [&] { return fs.DeleteFile("ro.txt"); }, "Permission denied", 5},
      {"delete a folder", [&] { return fs.DeleteFile("d"); }, "Is a directory", 5},
      {"remove a full folder", [&] { return fs.RemoveDirectory("d"); }, "Directory not empty",
       145},  // ERROR_DIR_NOT_EMPTY
      {"rename onto a read-only file", [&] { return fs.Rename("d\\f.txt", "ro.txt"); },
       "Permission denied", 5},
      {"copy onto an existing file", [&] { return fs.CopyFile("d\\f.txt", "ro.txt", true); },
       "File exists", 80},  // ERROR_FILE_EXISTS
      {"list a missing folder",
       [&] {
         std::vector<DirectoryEntry> entries;
         return fs.ListDirectory("missing", "*", &entries);
       },
       "No such file or directory", 3},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.what);
    Status status = c.call();
    EXPECT_FALSE(status.ok());
    if (Win32()) {
      EXPECT_EQ(status.ToString(), OsErrorStatus(c.win32).ToString());
    } else {
      EXPECT_EQ(status.ToString(), c.reason);
    }
  }
  // A whole-file write says which step failed, and keeps the OS's error.
  struct WriteCase {
    const char* path;
    std::string reason;
    int os_error;
  };
  const WriteCase kWrites[] = {
      Win32()
          ? WriteCase{"no\\f.txt", OsErrorStatus(3, "creating the temporary file").ToString(), 0}
          : WriteCase{"no\\f.txt", "creating the temporary file: No such file or directory",
                      ENOENT},
      {"ro.txt", "the file is read-only", 0},
      {"d", "is a directory", 0},
  };
  for (const auto& c : kWrites) {
    SCOPED_TRACE(c.path);
    Status written = WriteFileAtomic(fs, c.path, "x");
    EXPECT_EQ(written.ToString(), c.reason);
    EXPECT_EQ(written.os_error(), c.os_error);
    EXPECT_EQ(fs.FailedWrites().back().reason, c.reason);
  }
  EXPECT_EQ(Read("ro.txt"), "kept");
  if (GetParam() == Kind::kHost && !kWin32) {
    // A full disk: the device that is always full.
    std::unique_ptr<WritableFile> full = fs.OpenForWrite(fs.FromHostPath("/dev/full"));
    ASSERT_NE(full, nullptr);
    EXPECT_TRUE(full->Append("x").ok());  // buffered
    EXPECT_EQ(full->Flush().ToString(), "No space left on device");
    EXPECT_EQ(full->Close().ToString(), "No space left on device");
  }
}

// Whatever step of a whole-file write fails, the old file stays byte for
// byte, no temporary is left beside it, and the failure is noted. A scratch
// write is the same write without forcing the data to disk.
TEST(WriteFileAtomicTest, AFailedStepLeavesTheOldFile) {
  using testing::FsOp;
  const std::string old_text = testing::Bytes("old\r\ncontents\0\xff");
  for (FsOp fault : {FsOp::kOpenForWrite, FsOp::kAppend, FsOp::kFlush, FsOp::kSync, FsOp::kClose,
                     FsOp::kRename}) {
    SCOPED_TRACE(testing::FsOpName(fault));
    testing::MemoryFileSystem memory;
    testing::FaultyFileSystem fs(memory);
    memory.AddFile("C:\\d\\file.ini", old_text);
    fs.FailNth(fault, 1);
    EXPECT_FALSE(WriteFileAtomic(fs, "C:\\d\\file.ini", "new contents"));
    EXPECT_EQ(memory.Contents("C:\\d\\file.ini"), old_text);
    EXPECT_EQ(memory.AllFiles(), std::vector<std::string>{"C:\\d\\file.ini"});
    EXPECT_EQ(fs.FailedWrites().size(), 1u);
    fs.ClearFaults();
    ASSERT_TRUE(WriteFileAtomic(fs, "C:\\d\\file.ini", "scratch", Durability::kScratch));
    EXPECT_EQ(
        fs.Count(FsOp::kSync),
        fault == FsOp::kOpenForWrite || fault == FsOp::kAppend || fault == FsOp::kFlush ? 0 : 1);
  }
}

// What the next process does with the undo journal of a killed one: take
// back what it made, unless a file of the same name is no longer what it
// wrote or the operation had got past its end.
TEST(UndoJournalTest, ADeadOperationIsTakenBackAsFarAsItIsItsOwn) {
  const struct {
    const char* name;
    std::function<void(testing::MemoryFileSystem&)> after_kill;
    const char* files_left;
  } kCases[] = {
      {"killed", nullptr, "C:\\ws\\Old.kbp C:\\ws\\Old.kde C:\\ws\\ws.kws "},
      {"a file replaced by the user's",
       [](testing::MemoryFileSystem& fs) { fs.AddFile("C:\\ws\\p\\b.c", "mine"); },
       "C:\\ws\\Old.kbp C:\\ws\\Old.kde C:\\ws\\p\\b.c C:\\ws\\ws.kws "},
      {"the workspace file changed",
       [](testing::MemoryFileSystem& fs) { fs.AddFile("C:\\ws\\ws.kws", "new"); },
       "C:\\ws\\p\\a.c C:\\ws\\p\\b.c C:\\ws\\p\\P.kbp C:\\ws\\ws.kws "},
      {"an old file deleted",
       [](testing::MemoryFileSystem& fs) { fs.DeleteFile("C:\\ws\\Old.kde"); },
       "C:\\ws\\p\\a.c C:\\ws\\p\\b.c C:\\ws\\p\\P.kbp C:\\ws\\ws.kws "},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    testing::MemoryFileSystem fs;
    fs.AddFile("C:\\ws\\ws.kws", "old");
    fs.AddFile("C:\\ws\\Old.kbp", "old project");
    fs.AddFile("C:\\ws\\Old.kde", "old dependencies");
    UndoJournal journal(fs, "C:\\ws");
    journal.DoneWhenChanged("C:\\ws\\ws.kws");
    journal.DeleteWhenDone("C:\\ws\\Old.kbp");
    journal.DeleteWhenDone("C:\\ws\\Old.kde");
    ASSERT_TRUE(journal.WillCreateDirectory("C:\\ws\\p"));
    ASSERT_TRUE(fs.CreateDirectory("C:\\ws\\p"));
    for (const char* name : {"a.c", "b.c", "P.kbp"}) {
      std::string path = std::string("C:\\ws\\p\\") + name;
      ASSERT_TRUE(journal.WillCreateFile(path, name));
      ASSERT_TRUE(WriteFileAtomic(fs, path, name));
    }
    if (c.after_kill) c.after_kill(fs);
    std::vector<DirectoryEntry> journals;
    ASSERT_TRUE(fs.ListDirectory("C:\\ws", "*.undo", &journals));
    ASSERT_EQ(journals.size(), 1u);
    std::string_view owner;
    EXPECT_TRUE(IsUndoJournalName(journals[0].name, &owner));
    EXPECT_EQ(owner, OwnProcessTag());
    UndoDeadJournal(fs, "C:\\ws\\" + journals[0].name);
    std::string left;
    for (const std::string& file : fs.AllFiles())
      left += file + " ";
    EXPECT_EQ(left, c.files_left);
    EXPECT_EQ(DirectoryExists(fs, "C:\\ws\\p"), left.find("\\p\\") != std::string::npos);
  }
}

}  // namespace
}  // namespace zelvan
