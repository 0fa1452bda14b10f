#include "service/file_name_check.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "platform/ansi_text.h"

namespace zelvan {
namespace {

class FileNameCheckTest : public ::testing::Test {
 protected:
  ~FileNameCheckTest() override { SetAnsiCodePage(0); }
};

TEST_F(FileNameCheckTest, ForbiddenCharactersAnywhereButTheDrive) {
  const struct {
    std::string path;
    bool valid;
  } cases[] = {
      {"C:\\Projects\\Motor\\Motor.kbp", true},
      {"Motor", true},
      {"My Project.v2", true},
      {"", true},    // nothing to check
      {"C:", true},  // only a drive: the name part is empty
      {"C:\\", true},
      {"\\\\server\\share\\Motor", true},
      {"C:\\a:b", false},
      {"C:\\dir;x\\name", false},  // in the directory too
      {"name.e|t", false},         // and in the extension
      {"\xE9t\xE9.c", true},       // high bytes are single characters without a code page
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(IsValidFileName(c.path), c.valid);
  }
  for (char forbidden : std::string_view("/,;*?\"<>|%\n\x01\x7f"))
    EXPECT_FALSE(IsValidFileName(std::string("C:\\a\\b") + forbidden + "c")) << forbidden;
}

TEST_F(FileNameCheckTest, DoubleByteCharactersAreRefusedUnderADoubleByteCodePage) {
  SetAnsiCodePage(932);
  EXPECT_FALSE(IsValidFileName("C:\\Projects\\\x83\x5C.c"));  // trail byte is a backslash
  EXPECT_FALSE(IsValidFileName("\x82\xA0"));
  EXPECT_FALSE(IsValidFileName("C:\\\x88\x9F\\a.c"));
  EXPECT_TRUE(IsValidFileName("C:\\Projects\\plain.c"));
  // Half-width katakana are single bytes in this code page.
  EXPECT_TRUE(IsValidFileName("\xB1\xB2"));
}

}  // namespace
}  // namespace zelvan
