#include "platform/private_profile.h"

#include <gtest/gtest.h>

#include <climits>

#include "tests/support/faulty_file_system.h"
#include "tests/support/memory_file_system.h"
#include "tests/support/test_text.h"

namespace zelvan {
namespace {

using testing::Bytes;
using testing::FaultyFileSystem;
using testing::FsOp;
using testing::MemoryFileSystem;
using testing::Visible;

constexpr char kFile[] = "C:\\work\\app.ini";

class PrivateProfileTest : public ::testing::Test {
 protected:
  PrivateProfileTest() { memory_.AddDirectory("C:\\work"); }

  std::string Disk(std::string_view path = kFile) {
    return memory_.Contents(path).value_or("<none>");
  }

  MemoryFileSystem memory_;
  FaultyFileSystem fs_{memory_};
  PrivateProfile profile_{fs_};
};

// Defaults for what is missing, the caller's buffer size, and integers.
TEST_F(PrivateProfileTest, ReadsStringsAndIntegers) {
  EXPECT_EQ(profile_.GetString("S", "k", "dflt", kFile), "dflt");
  memory_.AddFile(kFile,
                  "[S]\nk=abcdef\nplain=12\nsigned=-5x\nplus=+7\nwords=abc\nempty=\n"
                  "quoted=\" 42\"\nhuge=99999999999999999999\ntiny=-99999999999999999999\n");
  const struct {
    const char* section;
    const char* key;
    size_t buffer;
    const char* expected;
  } strings[] = {{"T", "k", 0, "dflt"}, {"S", "x", 0, "dflt"}, {"s", "K", 0, "abcdef"},
                 {"S", "k", 4, "abc"},  {"S", "k", 1, ""},     {"S", "k", 7, "abcdef"},
                 {"S", "x", 3, "df"}};
  for (const auto& c : strings) {
    EXPECT_EQ(profile_.GetString(c.section, c.key, "dflt", kFile, c.buffer), c.expected)
        << c.section << " " << c.key << " " << c.buffer;
  }
  std::string value = "old";
  EXPECT_FALSE(profile_.Lookup("S", "x", kFile, &value));
  EXPECT_TRUE(profile_.GetKeyNames("T", kFile).empty());
  EXPECT_TRUE(profile_.GetSectionNames("C:\\work\\none.ini").empty());
  EXPECT_TRUE(profile_.HasSection(" s ", kFile));
  EXPECT_FALSE(profile_.HasSection("T", kFile));
  const std::pair<const char*, int> ints[] = {
      {"plain", 12}, {"signed", -5},    {"plus", 7},       {"words", 0},     {"empty", 0},
      {"quoted", 0}, {"huge", INT_MAX}, {"tiny", INT_MIN}, {"missing", -42},
  };
  for (const auto& [key, expected] : ints)
    EXPECT_EQ(profile_.GetInt("S", key, -42, kFile), expected) << key;
}

// Writes wait in the cache for a flush (of the file, of all files, or at the
// end); a file that would not change is not written.
TEST_F(PrivateProfileTest, WritesReachTheDiskAtTheFlushWhenTheyChangeIt) {
  {
    PrivateProfile scoped(memory_);
    ASSERT_TRUE(scoped.WriteString("S", "k", "1", kFile));
    ASSERT_TRUE(scoped.WriteString("S", "k", "2", "C:\\work\\other.ini"));
    scoped.Forget("C:\\work\\other.ini");
    EXPECT_EQ(memory_.Contents("C:\\work\\other.ini").value_or(""), "[S]\r\nk=2\r\n");
    EXPECT_EQ(Disk(), "<none>");
  }
  EXPECT_EQ(Disk(), "[S]\r\nk=1\r\n");
  memory_.DeleteFile(kFile);
  ASSERT_TRUE(profile_.WriteString("S", "k", "v", kFile));
  EXPECT_EQ(Disk(), "<none>");
  EXPECT_EQ(profile_.GetString("S", "k", "", kFile), "v");  // the cache shows it already
  ASSERT_TRUE(profile_.WriteString("S", "k2", "w", kFile));
  ASSERT_TRUE(profile_.Flush(kFile));
  EXPECT_EQ(Visible(Disk()), Visible("[S]\r\nk=v\r\nk2=w\r\n"));
  EXPECT_EQ(fs_.Count(FsOp::kRename), 1);  // one atomic write for the batch

  EXPECT_TRUE(profile_.Flush(kFile));  // nothing pending
  EXPECT_EQ(fs_.Count(FsOp::kRename), 1);

  memory_.AddFile(kFile, "[S]\nk=v\nk2=w\n");  // line ends another program chose
  fs_.ResetCounts();
  ASSERT_TRUE(profile_.WriteString("S", "k", "v", kFile));  // the same value
  ASSERT_TRUE(profile_.WriteString("S", "k2", "other", kFile));
  ASSERT_TRUE(profile_.WriteString("S", "k2", "w", kFile));  // and back
  ASSERT_TRUE(profile_.DeleteKey("S", "missing", kFile));
  ASSERT_TRUE(profile_.DeleteSection("missing", kFile));
  ASSERT_TRUE(profile_.Flush(kFile));
  ASSERT_TRUE(profile_.DeleteKey("S", "k", "C:\\work\\none.ini"));
  ASSERT_TRUE(profile_.Flush("C:\\work\\none.ini"));
  // Refused arguments (ProfileText's rule) write nothing and say why.
  EXPECT_FALSE(profile_.WriteString("S", "k", "line\nbreak", kFile));
  EXPECT_FALSE(profile_.LastError().empty());
  EXPECT_TRUE(profile_.Flush(kFile));
  EXPECT_EQ(fs_.Count(FsOp::kOpenForWrite), 0);
  EXPECT_EQ(memory_.AllFiles(), (std::vector<std::string>{kFile, "C:\\work\\other.ini"}));

  // FlushAll writes every file it can and reports the others.
  ASSERT_TRUE(profile_.WriteString("S", "k", "1", kFile));
  ASSERT_TRUE(profile_.WriteString("S", "k", "2", "C:\\missing\\dir\\x.ini"));
  EXPECT_FALSE(profile_.FlushAll());
  EXPECT_EQ(Disk(), "[S]\nk=1\nk2=w\n");
  EXPECT_EQ(profile_.GetString("S", "k", "gone", "C:\\missing\\dir\\x.ini"), "gone");
  EXPECT_TRUE(profile_.FlushAll());
}

// Another program's changes are seen, and pending writes are applied to them.
TEST_F(PrivateProfileTest, ExternalChangesAreSeenAndKept) {
  memory_.AddFile(kFile, "[S]\r\na=1\r\n");
  EXPECT_EQ(profile_.GetString("S", "a", "", kFile), "1");
  memory_.AddFile(kFile, "[S]\r\na=2\r\n");  // the same size, a later time
  EXPECT_EQ(profile_.GetString("S", "a", "", kFile), "2");
  fs_.DeleteFile(kFile);
  EXPECT_EQ(profile_.GetString("S", "a", "gone", kFile), "gone");
  memory_.AddFile(kFile, "[S]\r\na=1\r\n");
  ASSERT_TRUE(profile_.WriteString("S", "b", "2", kFile));
  ASSERT_TRUE(profile_.DeleteKey("S", "a", kFile));
  memory_.AddFile(kFile, "; edited\r\n[S]\r\na=1\r\nc=3\r\n");
  EXPECT_EQ(profile_.GetString("S", "c", "", kFile), "3");
  EXPECT_EQ(profile_.GetString("S", "b", "", kFile), "2");
  ASSERT_TRUE(profile_.Flush(kFile));
  EXPECT_EQ(Visible(Disk()), Visible("; edited\r\n[S]\r\nc=3\r\nb=2\r\n"));
}

// Each step of the whole-file write failing: WriteFileAtomicTest.
TEST_F(PrivateProfileTest, FailedFlushLeavesTheOldFileAndDropsThePendingWrites) {
  const std::string old_text = "; keep me\n[S]\nk=old\n";
  memory_.AddFile(kFile, old_text);
  ASSERT_TRUE(profile_.WriteString("S", "k", "new", kFile));
  fs_.FailNth(FsOp::kRename, 1);
  EXPECT_FALSE(profile_.Flush(kFile));
  EXPECT_NE(profile_.LastError().find("cannot write"), std::string::npos);
  EXPECT_EQ(Disk(), old_text);
  EXPECT_EQ(memory_.AllFiles(), std::vector<std::string>{kFile});  // no temporary left
  EXPECT_EQ(profile_.GetString("S", "k", "", kFile), "old");
  EXPECT_TRUE(profile_.Flush(kFile));  // nothing is pending any more
  EXPECT_EQ(Disk(), old_text);
}

TEST_F(PrivateProfileTest, ReadOnlyFilesAreNotWritten) {
  const std::string old_text = "[S]\nk=1\n";
  memory_.AddFile(kFile, old_text);
  EXPECT_EQ(profile_.GetString("S", "k", "", kFile), "1");
  memory_.SetReadOnly(kFile, true);
  EXPECT_FALSE(profile_.WriteString("S", "k", "2", kFile));
  EXPECT_NE(profile_.LastError().find("read-only"), std::string::npos);
  EXPECT_FALSE(profile_.DeleteKey("S", "k", kFile));
  EXPECT_FALSE(profile_.DeleteSection("S", kFile));
  EXPECT_TRUE(profile_.DeleteKey("S", "missing", kFile));  // nothing to delete
  EXPECT_TRUE(profile_.Flush(kFile));
  EXPECT_EQ(Disk(), old_text);
  EXPECT_EQ(profile_.GetString("S", "k", "", kFile), "1");
  // Clearing the attribute changes neither size nor time; the cache must still notice.
  memory_.SetReadOnly(kFile, false);
  EXPECT_TRUE(profile_.WriteString("S", "k", "2", kFile));
  EXPECT_TRUE(profile_.Flush(kFile));
  EXPECT_EQ(Disk(), "[S]\nk=2\n");

  // Made read-only between the write and the flush: the write is dropped.
  ASSERT_TRUE(profile_.WriteString("S", "k", "3", kFile));
  memory_.SetReadOnly(kFile, true);
  EXPECT_FALSE(profile_.Flush(kFile));
  EXPECT_EQ(Disk(), "[S]\nk=2\n");
  EXPECT_EQ(profile_.GetString("S", "k", "", kFile), "2");
}

TEST_F(PrivateProfileTest, UnreadableFilesAndDirectoriesAreNotWritten) {
  memory_.AddFile(kFile, "[S]\nk=1\n");
  fs_.FailAlways(FsOp::kReadFile);
  EXPECT_EQ(profile_.GetString("S", "k", "dflt", kFile), "dflt");
  EXPECT_FALSE(profile_.WriteString("S", "x", "2", kFile));
  EXPECT_EQ(profile_.LastError(), "the file cannot be read");
  fs_.ClearFaults();
  EXPECT_EQ(Disk(), "[S]\nk=1\n");

  memory_.AddDirectory("C:\\work\\dir.ini");
  EXPECT_FALSE(profile_.WriteString("S", "x", "2", "C:\\work\\dir.ini"));
  EXPECT_EQ(profile_.GetString("S", "x", "dflt", "C:\\work\\dir.ini"), "dflt");
}

TEST_F(PrivateProfileTest, HugeValuesAndBinaryBytes) {
  std::string huge(2 * 1024 * 1024, 'h');
  huge[12345] = 'x';
  const std::string binary = Bytes("\x01\0\xff\x80 tail");
  ASSERT_TRUE(profile_.WriteString("S", "huge", huge, kFile));
  ASSERT_TRUE(profile_.WriteString("S", "binary", binary, kFile));
  ASSERT_TRUE(profile_.Flush(kFile));
  PrivateProfile fresh(memory_);
  EXPECT_EQ(fresh.GetString("S", "huge", "", kFile), huge);
  EXPECT_EQ(fresh.GetString("S", "binary", "", kFile), binary);
  EXPECT_EQ(fresh.GetKeyNames("S", kFile), (std::vector<std::string>{"huge", "binary"}));
}

TEST_F(PrivateProfileTest, PathsAreMatchedWithoutCaseAndAgainstTheCurrentDirectory) {
  ASSERT_TRUE(profile_.WriteString("S", "k", "v", "C:\\WORK\\APP.INI"));
  EXPECT_EQ(profile_.GetString("S", "k", "", "c:\\work\\.\\sub\\..\\app.ini"), "v");
  ASSERT_TRUE(fs_.SetCurrentDirectory("C:\\work"));
  EXPECT_EQ(profile_.GetString("S", "k", "", "App.ini"), "v");
  ASSERT_TRUE(profile_.Flush("app.INI"));
  EXPECT_EQ(Disk(), "[S]\r\nk=v\r\n");
  // The same relative path names another file in another directory; a rooted
  // path without drive names the host root's file, whatever the current drive.
  memory_.AddFile("D:\\work\\app.ini", "[S]\r\nk=on d\r\n");
  memory_.AddFile("\\work\\app.ini", "[S]\r\nk=root\r\n");
  EXPECT_EQ(profile_.GetString("S", "k", "", "\\work\\app.ini"), "root");
  ASSERT_TRUE(fs_.SetCurrentDirectory("D:\\work"));
  EXPECT_EQ(profile_.GetString("S", "k", "", "\\work\\app.ini"), "root");
  EXPECT_EQ(profile_.GetString("S", "k", "", "app.ini"), "on d");
}

}  // namespace
}  // namespace zelvan
