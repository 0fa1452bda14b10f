#include "storage/profile_functions.h"

#include <gtest/gtest.h>

#include "platform/platform.h"
#include "platform/private_profile.h"
#include "tests/support/faulty_file_system.h"
#include "tests/support/memory_file_system.h"

namespace zelvan {
namespace {

using testing::FaultyFileSystem;
using testing::FsOp;
using testing::MemoryFileSystem;

constexpr char kFile[] = "C:\\work\\app.kbp";

class ProfileFunctionsTest : public ::testing::Test {
 protected:
  ProfileFunctionsTest() {
    platform_.fs = &fs_;
    platform_.profile = &profile_;
  }

  MemoryFileSystem memory_;
  FaultyFileSystem fs_{memory_};
  PrivateProfile profile_{fs_};
  Platform platform_;
};

TEST_F(ProfileFunctionsTest, ReadProfileString) {
  std::string long_value(5000, 'x');
  long_value += "end";
  memory_.AddFile(kFile, "[PROJECT]\r\nCPU=MX-520\r\nLONG=" + long_value +
                             "\r\n[Keys]\r\nA=1\r\nB=2\r\na=3\r\n[Empty]\r\n");
  const struct {
    const char* section;
    const char* key;
    std::string expected;
  } cases[] = {
      {"project", "long", long_value}, {"PROJECT", "NONE", ""}, {"Keys", ".~ALL", "A;B;"},
      {"Missing", ".~ALL", ""},        {"Keys", ".~all", ""},  // only the exact literal lists keys
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.section) + "/" + c.key);
    std::string value = "stale";
    EXPECT_EQ(ReadProfileString(profile_, c.section, c.key, &value, kFile), c.expected.size());
    EXPECT_EQ(value, c.expected);
  }
  std::string value = "stale";  // a missing file
  EXPECT_EQ(ReadProfileString(profile_, "PROJECT", "CPU", &value, "C:\\work\\none.kbp"), 0u);
  EXPECT_EQ(value, "");
}

TEST_F(ProfileFunctionsTest, WriteProfileString) {
  memory_.AddFile(kFile, "[PROJECT]\r\nCPU=MX-310\r\n");
  memory_.SetReadOnly(kFile, true);
  EXPECT_EQ(profile_.GetString("PROJECT", "CPU", "", kFile), "MX-310");  // cached while read-only
  ASSERT_TRUE(WriteProfileString(platform_, "PROJECT", "CPU", "MX-520", kFile));
  EXPECT_EQ(memory_.Contents(kFile), "[PROJECT]\r\nCPU=MX-520\r\n");
  ASSERT_TRUE(WriteProfileString(platform_, "New", "k", "v", "C:\\work\\new.kbp"));
  EXPECT_EQ(memory_.Contents("C:\\work\\new.kbp"), "[New]\r\nk=v\r\n");

  // Failures leave the file as it was, and say why.
  memory_.AddFile(kFile, "[PROJECT]\r\nCPU=MX-310\r\n");
  std::string error;
  EXPECT_FALSE(WriteProfileString(platform_, "PROJECT", "CPU", "a\nb", kFile, &error));
  EXPECT_NE(error.find("line break"), std::string::npos);
  fs_.FailNth(FsOp::kRename, 1);
  EXPECT_FALSE(WriteProfileString(platform_, "PROJECT", "CPU", "MX-520", kFile, &error));
  EXPECT_NE(error.find("cannot write"), std::string::npos);
  EXPECT_EQ(memory_.Contents(kFile), "[PROJECT]\r\nCPU=MX-310\r\n");
  fs_.FailNth(FsOp::kSetReadOnly, 1);
  memory_.SetReadOnly(kFile, true);
  EXPECT_FALSE(WriteProfileString(platform_, "PROJECT", "CPU", "MX-520", kFile, &error));
  EXPECT_NE(error.find("read-only"), std::string::npos);
}

}  // namespace
}  // namespace zelvan
