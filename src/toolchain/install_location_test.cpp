#include "toolchain/install_location.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/fake_system_services.h"
#include "tests/support/toolchain_platform.h"

namespace zelvan {
namespace {

class InstallLocationTest : public ::testing::Test {
 protected:
  InstallLocationTest() {
    platform_ = env_.platform();
    platform_.system = &system_;
    // A clone: the demo installation in share/kova, the program deep in a build folder.
    env_.Write("clone\\share\\kova\\Config\\QkUtil.ini", "[Installation]\nDrive=k:\n");
    env_.Write("clone\\build\\src\\cli\\zelvan", "");
    env_.Write("other\\Config\\QkUtil.ini", "[Toolchain]\nSupportCPP=1\n");
    system_.executable = env_.HostPath("clone\\build\\src\\cli\\zelvan");
  }

  testing::ToolchainPlatform env_;
  testing::FakeSystemServices system_;
  Platform platform_;
};

// The option, then the environment, then the demo above the program.
TEST_F(InstallLocationTest, OptionThenEnvironmentThenDemo) {
  const std::string demo = env_.HostPath("clone/share/kova");
  const struct {
    std::string option, env, executable;
    std::string expected;  // the host folder, or the error
    char drive;
  } cases[] = {
      {env_.HostPath("other/"), demo, "", env_.HostPath("other"), 0},
      {"share/kova", "", "", demo, 'K'},  // against the current directory
      {"", demo, "/usr/bin/zelvan-nowhere", demo, 'K'},
      {"", "", "", demo, 'K'},
      {"", "", "/usr/bin/zelvan-nowhere",
       "no toolchain installation: give --install DIR or set ZELVAN_INSTALL", 0},
      {env_.HostPath("missing"), "", "",
       "installation folder not found: " + env_.HostPath("missing"), 0},
      {"", "/no/such/kova", "", "ZELVAN_INSTALL names no folder: /no/such/kova", 0},
  };
  ASSERT_TRUE(env_.fs().SetCurrentDirectory(env_.fs().FromHostPath(env_.HostPath("clone"))));
  for (const auto& c : cases) {
    SCOPED_TRACE(c.option + " | " + c.env + " | " + c.executable);
    system_.env.clear();
    if (!c.env.empty()) system_.env["ZELVAN_INSTALL"] = c.env;
    if (!c.executable.empty()) system_.executable = c.executable;
    InstallLocation location;
    location.folder = "kept";
    std::string error;
    if (LocateInstallation(platform_, c.option, &location, &error)) {
      EXPECT_EQ(location.host_folder, c.expected);
      EXPECT_EQ(location.drive, c.drive);
      EXPECT_EQ(location.needs_drive, c.drive != 0);
    } else {
      EXPECT_EQ(error, c.expected);
      EXPECT_EQ(location.folder, "kept");
    }
    system_.executable = env_.HostPath("clone\\build\\src\\cli\\zelvan");
  }
}

TEST_F(InstallLocationTest, TheDriveIsMappedUnlessTheUserDid) {
  InstallLocation location;
  std::string error, mapped;
  ASSERT_TRUE(LocateInstallation(platform_, "", &location, &error)) << error;
  // A mapping that fails leaves the location as it was.
  EXPECT_FALSE(MapInstallationDrive(&location, [](char, const std::string&) { return false; }));
  EXPECT_TRUE(location.needs_drive);
  ASSERT_TRUE(MapInstallationDrive(&location, [&](char letter, const std::string& dir) {
    mapped += std::string(1, letter) + " " + dir;
    return true;
  }));
  EXPECT_EQ(mapped, "K " + env_.HostPath("clone/share/kova"));
  EXPECT_EQ(location.folder, "K:");
  EXPECT_FALSE(location.needs_drive);

  // Mapped by the user: the drive stays theirs and the folder stays a host folder.
  system_.env[DriveVariable('k')] = "/somewhere";
  ASSERT_TRUE(LocateInstallation(platform_, "", &location, &error));
  EXPECT_FALSE(location.needs_drive);
  EXPECT_EQ(location.folder, env_.fs().FromHostPath(env_.HostPath("clone/share/kova")));
  EXPECT_TRUE(MapInstallationDrive(&location, [](char, const std::string&) {
    ADD_FAILURE() << "mapped a drive the user mapped";
    return false;
  }));
}

}  // namespace
}  // namespace zelvan
