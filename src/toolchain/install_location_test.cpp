#include "toolchain/install_location.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

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

TEST_F(InstallLocationTest, DemoInstallationAboveTheProgram) {
  InstallLocation location;
  std::string error;
  ASSERT_TRUE(LocateInstallation(platform_, "", &location, &error)) << error;
  EXPECT_EQ(location.host_folder, env_.HostPath("clone/share/kova"));
  EXPECT_EQ(location.drive, 'K');
  EXPECT_TRUE(location.needs_drive);

  std::vector<std::pair<char, std::string>> mapped;
  ASSERT_TRUE(MapInstallationDrive(&location, [&](char letter, const std::string& dir) {
    mapped.emplace_back(letter, dir);
    return true;
  }));
  EXPECT_EQ(mapped,
            (std::vector<std::pair<char, std::string>>{{'K', env_.HostPath("clone/share/kova")}}));
  EXPECT_EQ(location.folder, "K:");
  EXPECT_FALSE(location.needs_drive);

  // Mapped by the user: the drive stays theirs and the folder stays a host folder.
  system_.env["ZELVAN_DRIVE_K"] = "/somewhere";
  ASSERT_TRUE(LocateInstallation(platform_, "", &location, &error));
  EXPECT_FALSE(location.needs_drive);
  EXPECT_EQ(location.folder, env_.fs().FromHostPath(env_.HostPath("clone/share/kova")));
  EXPECT_TRUE(MapInstallationDrive(&location, [](char, const std::string&) {
    ADD_FAILURE() << "mapped a drive the user mapped";
    return false;
  }));
}

TEST_F(InstallLocationTest, OptionThenEnvironmentThenDemo) {
  InstallLocation location;
  std::string error;
  system_.env["ZELVAN_INSTALL"] = env_.HostPath("clone/share/kova");
  ASSERT_TRUE(LocateInstallation(platform_, env_.HostPath("other/"), &location, &error)) << error;
  EXPECT_EQ(location.host_folder, env_.HostPath("other"));
  EXPECT_EQ(location.drive, 0);
  EXPECT_FALSE(location.needs_drive);

  // A relative option is taken against the current directory.
  ASSERT_TRUE(env_.fs().SetCurrentDirectory(env_.fs().FromHostPath(env_.HostPath("clone"))));
  ASSERT_TRUE(LocateInstallation(platform_, "share/kova", &location, &error)) << error;
  EXPECT_EQ(location.host_folder, env_.HostPath("clone/share/kova"));

  ASSERT_TRUE(LocateInstallation(platform_, "", &location, &error));
  EXPECT_EQ(location.host_folder, env_.HostPath("clone/share/kova"));
  EXPECT_EQ(location.drive, 'K');

  // The program is nowhere near an installation.
  system_.env.clear();
  system_.executable = "/usr/bin/zelvan-nowhere";
  location.folder = "kept";
  EXPECT_FALSE(LocateInstallation(platform_, "", &location, &error));
  EXPECT_EQ(error, "no toolchain installation: give --install DIR or set ZELVAN_INSTALL");
  EXPECT_EQ(location.folder, "kept");
}

TEST_F(InstallLocationTest, FoldersThatDoNotExist) {
  InstallLocation location;
  std::string error;
  EXPECT_FALSE(LocateInstallation(platform_, env_.HostPath("missing"), &location, &error));
  EXPECT_EQ(error, "installation folder not found: " + env_.HostPath("missing"));
  EXPECT_FALSE(LocateInstallation(platform_, env_.HostPath("clone\\build\\src\\cli\\zelvan"),
                                  &location, &error));

  system_.env["ZELVAN_INSTALL"] = "/no/such/kova";
  EXPECT_FALSE(LocateInstallation(platform_, "", &location, &error));
  EXPECT_EQ(error, "ZELVAN_INSTALL names no folder: /no/such/kova");

  // A mapping that fails leaves the location as it was.
  system_.env.clear();
  ASSERT_TRUE(LocateInstallation(platform_, "", &location, &error));
  std::string folder = location.folder;
  EXPECT_FALSE(MapInstallationDrive(&location, [](char, const std::string&) { return false; }));
  EXPECT_EQ(location.folder, folder);
  EXPECT_EQ(DriveVariable('k'), "ZELVAN_DRIVE_K");
}

}  // namespace
}  // namespace zelvan
