#include "storage/profile_data.h"

#include <gtest/gtest.h>

#include "platform/private_profile.h"
#include "storage/line_reader.h"
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

// The readers of one project file agree on its lines whatever ends them:
// the profile functions, the whole-file reader and the record reader.
TEST(ProfileDataTest, EveryReaderEndsLinesAlike) {
  for (std::string eol : {"\n", "\r\n", "\r"}) {
    SCOPED_TRACE(Visible(eol));
    std::string text = "[Sources]" + eol + "SOURCECOUNT=2" + eol + "SOURCE0=a.c" + eol +
                       "SOURCE1=b.c" + eol + eol + "[Other]";
    MemoryFileSystem fs;
    fs.AddFile("C:\\p.kbp", text);
    PrivateProfile profile(fs);
    ProfileData data;
    ASSERT_TRUE(data.Load(fs, "C:\\p.kbp"));
    std::string lines, value;
    for (const char* key : {"SOURCECOUNT", "SOURCE0", "SOURCE1"}) {
      ASSERT_TRUE(data.GetValue("Sources", key, &value)) << key;
      EXPECT_EQ(value, profile.GetString("Sources", key, "-", "C:\\p.kbp")) << key;
    }
    LineReader reader(text);
    std::string_view line;
    while (reader.ReadLine(&line))
      lines += std::string(line) + "|";
    EXPECT_EQ(lines, "[Sources]|SOURCECOUNT=2|SOURCE0=a.c|SOURCE1=b.c||[Other]|");
  }
}

TEST(ProfileDataTest, ReadRules) {
  const struct {
    const char* what;
    const char* text;
    const char* section;
    const char* key;
    const char* expected;  // null: not found
  } cases[] = {
      {"key and section ignore case", "[Sec]\nKey=v\n", "sEC", "KEY", "v"},
      {"first line of a key wins", "[S]\nk=1\nK=2\n", "S", "k", "1"},
      {"further equals signs stay in the value", "[S]\nk=a=b=\n", "S", "k", "a=b="},
      {"keys are not trimmed", "[S]\n k =v\n", "S", "k", nullptr},
      {"values are not trimmed", "[S]\nk= \"v\" \n", "S", "k", " \"v\" "},
      {"trimmed name is another section", "[ S ]\nk=v\n", "S", "k", nullptr},
      {"lines before the first header", "k=v\n[S]\n", "S", "k", nullptr},
      {"hash lines skipped", "[S]\n#k=v\n", "S", "#k", nullptr},
      {"semicolon starts a key", "[S]\n;k=v\n", "S", ";K", "v"},
      {"a header must end in a bracket", "[S]\nk=1\n[T] \nx=2\n", "S", "x", "2"},
      {"the last bracket closes the header", "[a]b]\nk=v\n", "a]b", "k", "v"},
      {"a lone CR ends a line", "[S]\rk=a\rb=c\r\n", "S", "b", "c"},
      {"the first section that holds the key", "[S]\na=1\n[s]\na=2\n", "s", "a", "1"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ProfileData data;
    data.Parse(c.text);
    std::string value = "unchanged";
    bool found = data.GetValue(c.section, c.key, &value);
    if (c.expected == nullptr) {
      EXPECT_FALSE(found);
    } else {
      EXPECT_TRUE(found);
      EXPECT_EQ(value, c.expected);
    }
  }
}

TEST(ProfileDataTest, RenderWritesUpperCaseKeysInOrderWithCrLf) {
  const struct {
    const char* what;
    const char* text;
    const char* rendered;
  } cases[] = {
      {"empty", "", ""},
      {"order of reading, keys upper-cased",
       "# comment\nignored=1\n[Beta]\nzeta=1\nalpha=2\n\n[alpha]\nk=v\n",
       "[Beta]\r\nZETA=1\r\nALPHA=2\r\n[alpha]\r\nK=v\r\n"},
      {"repeated sections stay apart", "[S]\na=1\n[S]\na=2\n", "[S]\r\nA=1\r\n[S]\r\nA=2\r\n"},
      {"only the first line of a key", "[S]\nk=1\nk=2\n", "[S]\r\nK=1\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ProfileData data;
    data.Parse(c.text);
    EXPECT_EQ(Visible(data.Render()), Visible(c.rendered));
  }
}

TEST(ProfileDataTest, SetValueRefusesWhatWouldNotReadBack) {
  const struct {
    const char* section;
    const char* key;
    const char* value;
  } cases[] = {
      {"S\n", "k", "v"}, {"S", "k\r", "v"}, {"S", "k", "a\nb"},
      {"S", "a=b", "v"}, {"S", "#k", "v"},  {"S", "[k", "v]"},
  };
  ProfileData data;
  for (const auto& c : cases) {
    SCOPED_TRACE(Visible(std::string(c.section) + "|" + c.key + "|" + c.value));
    EXPECT_FALSE(data.SetValue(c.section, c.key, c.value));
    EXPECT_FALSE(ProfileData::WriteRefusal(c.section, c.key, c.value).empty());
  }
  EXPECT_TRUE(data.sections().empty());
  EXPECT_TRUE(data.SetValue("S", "", "empty key reads back"));
}

class ProfileDataFileTest : public ::testing::Test {
 protected:
  MemoryFileSystem memory_;
  FaultyFileSystem fs_{memory_};
};

TEST_F(ProfileDataFileTest, LoadAddsToWhatIsHeldAndMakesReadOnlyFilesWritable) {
  memory_.AddFile("C:\\a.kfv", "[A]\nk=1\n");
  memory_.AddFile("C:\\b.kfv", "[B]\nk=2\n");
  memory_.SetReadOnly("C:\\a.kfv", true);
  ProfileData data;
  ASSERT_TRUE(data.Load(fs_, "C:\\b.kfv") && data.Load(fs_, "C:\\a.kfv"));
  // A missing file changes neither the sections nor the path.
  EXPECT_FALSE(data.Load(fs_, "C:\\missing.kfv"));
  EXPECT_EQ(data.sections().size(), 2u);
  EXPECT_EQ(data.path(), "C:\\a.kfv");
  FileStatus status;
  ASSERT_TRUE(fs_.Stat("C:\\a.kfv", &status));
  EXPECT_FALSE(status.read_only);
  memory_.SetReadOnly("C:\\a.kfv", true);
  data.SetValue("A", "k", "2");
  ASSERT_TRUE(data.Save(fs_, "C:\\a.kfv"));
  EXPECT_EQ(memory_.Contents("C:\\a.kfv"), "[B]\r\nK=2\r\n[A]\r\nK=2\r\n");
}

// Each step of the whole-file write failing: WriteFileAtomicTest.
TEST_F(ProfileDataFileTest, FailedSaveLeavesTheOldFile) {
  const std::string old_text = "[A]\nk=old\n";
  memory_.AddFile("C:\\db.kfv", old_text);
  ProfileData data;
  ASSERT_TRUE(data.Load(fs_, "C:\\db.kfv"));
  data.SetValue("A", "k", std::string(100000, 'n'));
  fs_.FailNth(FsOp::kRename, 1);
  std::string error;
  EXPECT_FALSE(data.Save(fs_, "C:\\db.kfv", &error));
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(memory_.Contents("C:\\db.kfv"), old_text);
  EXPECT_EQ(memory_.AllFiles(), std::vector<std::string>{"C:\\db.kfv"});
}

TEST_F(ProfileDataFileTest, HugeValuesAndBinaryBytesSurviveSaveAndLoad) {
  ProfileData data;
  std::string huge(4 * 1024 * 1024, 'h');
  huge[7] = '=';
  const std::string binary = Bytes("\0\x01\xff\x80[x]#");
  ASSERT_TRUE(data.SetValue("S", "huge", huge));
  ASSERT_TRUE(data.SetValue("S", "binary", binary));
  ASSERT_TRUE(data.SetValue(Bytes("bin\0ary"), "k", "v"));
  ASSERT_TRUE(data.Save(fs_, "C:\\big.kfv"));
  ProfileData loaded;
  ASSERT_TRUE(loaded.Load(fs_, "C:\\big.kfv"));
  std::string value;
  ASSERT_TRUE(loaded.GetValue("s", "HUGE", &value));
  EXPECT_EQ(value, huge);
  ASSERT_TRUE(loaded.GetValue("s", "Binary", &value));
  EXPECT_EQ(value, binary);
  ASSERT_TRUE(loaded.GetValue(Bytes("BIN\0ARY"), "k", &value));
  EXPECT_EQ(value, "v");
}

}  // namespace
}  // namespace zelvan
