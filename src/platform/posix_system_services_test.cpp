#include "platform/posix_system_services.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "tests/support/temp_dir.h"

namespace zelvan {
namespace {

// The temporary folder of this user: a folder others can write to (as
// /tmp) gets a private folder inside, and one that another user owns, or
// that others can open, or that is a link, is refused.
TEST(PosixSystemServicesTest, PrivateFolders) {
  testing::TempDir temp;
  const std::string own = "/zelvan-" + std::to_string(::geteuid());
  const struct {
    const char* name;
    mode_t mode;
    const char* prepare;  // what is made at <dir>/zelvan-<uid> first
    const char* result;   // "self", "own" or "refused"
  } cases[] = {
      {"private", 0700, "", "self"},
      {"shared", 01777, "", "own"},
      {"shared, own folder made before", 01777, "folder", "own"},
      {"group writable", 0770, "", "own"},
      {"shared, folder others can open", 01777, "open folder", "refused"},
      {"shared, a link in its place", 01777, "link", "refused"},
      {"shared, another user's folder", 01777, "foreign folder", "refused"},
  };
  auto system = CreatePosixSystemServices(temp.path() + "/objects");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::string dir = temp.path() + "/" + c.name;
    ASSERT_EQ(::mkdir(dir.c_str(), 0700), 0);
    ASSERT_EQ(::chmod(dir.c_str(), c.mode), 0);
    std::string inner = dir + own;
    std::string prepare = c.prepare;
    if (prepare == "folder" || prepare == "open folder" || prepare == "foreign folder") {
      ASSERT_EQ(::mkdir(inner.c_str(), 0700), 0);
    }
    if (prepare == "open folder") {
      ASSERT_EQ(::chmod(inner.c_str(), 0755), 0);
    }
    if (prepare == "link") {
      ASSERT_EQ(::symlink(temp.path().c_str(), inner.c_str()), 0);
    }
    if (prepare == "foreign folder" && ::chown(inner.c_str(), ::geteuid() + 1, 0) != 0) {
      continue;  // only root gives a folder away
    }
    std::string folder, error;
    bool made = system->MakePrivateFolder(dir, &folder, &error);
    if (std::string(c.result) == "refused") {
      EXPECT_FALSE(made);
      EXPECT_NE(error.find(inner), std::string::npos) << error;
      continue;
    }
    ASSERT_TRUE(made) << error;
    EXPECT_EQ(folder, std::string(c.result) == "self" ? dir : inner);
    struct stat st;
    ASSERT_EQ(::stat(folder.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 077, 0u);
  }
  std::string folder, error;
  EXPECT_FALSE(system->MakePrivateFolder(temp.path() + "/none", &folder, &error));
  EXPECT_NE(error.find("No such file or directory"), std::string::npos) << error;
}

}  // namespace
}  // namespace zelvan
