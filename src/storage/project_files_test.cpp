#include "storage/project_files.h"

#include <gtest/gtest.h>

#include "platform/platform.h"
#include "platform/private_profile.h"
#include "storage/old_project_files.h"
#include "storage/working_copy.h"
#include "tests/support/fake_system_services.h"
#include "tests/support/faulty_file_system.h"
#include "tests/support/memory_file_system.h"

namespace zelvan {
namespace {

using testing::FaultyFileSystem;
using testing::FsOp;
using testing::MemoryFileSystem;

class ProjectFilesTest : public ::testing::Test {
 protected:
  ProjectFilesTest() {
    platform_.fs = &fs_;
    platform_.profile = &profile_;
    platform_.system = &system_;
  }

  MemoryFileSystem memory_;
  FaultyFileSystem fs_{memory_};
  PrivateProfile profile_{fs_};
  testing::FakeSystemServices system_;
  Platform platform_;
};

TEST_F(ProjectFilesTest, ChangeExtensionAndLibraryOutputs) {
  memory_.AddDirectory("C:\\work\\dir.kbp");
  const struct {
    const char* path;
    const char* extension;
    const char* expected;  // null: no name
  } cases[] = {
      {"C:\\work\\app.kbp", "kde", "C:\\work\\app.kde"},
      {"C:\\work\\app", "kbp", "C:\\work\\app.kbp"},
      {"C:\\w.d\\app.tar.kbp", ".kfv", "C:\\w.d\\app.tar.kfv"},
      {"\\\\srv\\share\\app.kbp", "KCC", "\\\\srv\\share\\app.KCC"},
      {"C:\\work\\dir.kbp", "kde", nullptr},
      {"", "kde", nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    std::string result = "unchanged";
    bool ok = ChangeExtension(fs_, c.path, c.extension, &result);
    if (c.expected == nullptr) {
      EXPECT_FALSE(ok);
      EXPECT_EQ(result, "unchanged");
    } else {
      EXPECT_TRUE(ok);
      EXPECT_EQ(result, c.expected);
    }
  }
  for (const char* library : {"app.lib", "APP.LIB", "dir.x\\a.Lib"})
    EXPECT_TRUE(IsLibraryOutput(library)) << library;
  for (const char* other : {"app.abs", "lib", "app.libx", "a.lib\\b.abs", ""})
    EXPECT_FALSE(IsLibraryOutput(other)) << other;
}

TEST_F(ProjectFilesTest, Lists) {
  const struct {
    const char* text;
    int examined;
    std::vector<std::string> items;
    const char* joined;
  } cases[] = {
      {"Debug;Release", 2, {"Debug", "Release"}, "Debug;Release;"},
      {"Debug;;Release", 3, {"Debug", "Release"}, "Debug;Release;"},
      {"Debug;Release;", 2, {"Debug", "Release"}, "Debug;Release;"},
      {";Debug", 2, {"Debug"}, "Debug;"},
      {"", 0, {}, ""},
      {";;", 2, {}, ""},
      {" a ; b", 2, {" a ", " b"}, " a ; b;"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    std::vector<std::string> items = {"stale"};
    EXPECT_EQ(SplitList(c.text, &items), c.examined);
    EXPECT_EQ(items, c.items);
    std::string joined = "stale";
    JoinList(items, &joined);
    EXPECT_EQ(joined, c.joined);
  }
}

TEST_F(ProjectFilesTest, WorkingCopyNames) {
  const struct {
    const char* temp;  // null: unset
    const char* tmp;
    const char* project;
    const char* expected;  // before the owner's tag
  } cases[] = {
      {"C:\\Temp", "D:\\tmp", "C:\\work\\app.kbp", "C:\\Temp\\KOVA\\app_kbp_"},
      {"C:\\Temp\\", nullptr, "C:\\work\\app.kbp", "C:\\Temp\\KOVA\\app_kbp_"},
      {"", "D:\\tmp", "C:\\work\\app.kbp", "D:\\tmp\\KOVA\\app_kbp_"},
      {nullptr, "D:\\tmp", "C:\\work\\App.KBP", "D:\\tmp\\KOVA\\App_KBP_"},
      {nullptr, nullptr, "C:\\work\\app.kbp", "C:\\work\\KOVA\\app_kbp_"},
      {"", "", "C:\\work\\app", "C:\\work\\KOVA\\app__"},
      {"/tmp", nullptr, "C:\\work\\app.kbp", "\\tmp\\KOVA\\app_kbp_"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.temp ? c.temp : "-") + " " + (c.tmp ? c.tmp : "-"));
    system_.env.clear();
    if (c.temp) system_.env["TEMP"] = c.temp;
    if (c.tmp) system_.env["TMP"] = c.tmp;
    EXPECT_EQ(WorkingCopyPattern(platform_, c.project), TemporaryPattern(c.expected));
  }
}

TEST_F(ProjectFilesTest, CreateWorkingCopy) {
  memory_.AddFile("C:\\work\\app.kbp", "[PROJECT]\r\nOUTPUT=app.abs\r\n");
  memory_.SetReadOnly("C:\\work\\app.kbp", true);
  std::string copy, error;
  ASSERT_TRUE(CreateWorkingCopy(platform_, "C:\\work\\app.kbp", &copy, &error)) << error;
  EXPECT_TRUE(copy.starts_with("C:\\work\\KOVA\\app_kbp_")) << copy;
  EXPECT_EQ(copy.size(), TemporaryPattern("C:\\work\\KOVA\\app_kbp_").size());
  EXPECT_EQ(memory_.Contents(copy), "[PROJECT]\r\nOUTPUT=app.abs\r\n");
  FileStatus status;
  ASSERT_TRUE(fs_.Stat(copy, &status));
  EXPECT_FALSE(status.read_only);
  std::string second;
  ASSERT_TRUE(CreateWorkingCopy(platform_, "C:\\work\\app.kbp", &second, &error));
  EXPECT_NE(second, copy);

  EXPECT_FALSE(CreateWorkingCopy(platform_, "C:\\work\\missing.kbp", &copy, &error));
  EXPECT_NE(error.find("cannot find"), std::string::npos);
  system_.env["TEMP"] = "Q:\\nowhere\\";
  fs_.FailAlways(FsOp::kCreateDirectory);
  EXPECT_FALSE(CreateWorkingCopy(platform_, "C:\\work\\app.kbp", &copy, &error));
  EXPECT_NE(error.find("cannot create"), std::string::npos);
  fs_.ClearFaults();
  fs_.FailNth(FsOp::kSetReadOnly, 1);
  size_t files = memory_.AllFiles().size();
  EXPECT_FALSE(CreateWorkingCopy(platform_, "C:\\work\\app.kbp", &copy, &error));
  EXPECT_EQ(memory_.AllFiles().size(), files);  // no copy left behind
}

TEST_F(ProjectFilesTest, OlderGenerationFiles) {
  memory_.AddFile("C:\\old\\ws.kiw", "[SIGNATURE]\r\nTYPE=KOVA_WSP\r\n");
  memory_.AddFile("C:\\old\\prj.KIP", "[signature]\r\ntype = KOVA_PRJ\r\n");
  memory_.AddFile("C:\\old\\older.kip", "[PROJECT]\r\nX=1\r\n");
  memory_.AddFile("C:\\old\\swapped.kip", "[SIGNATURE]\r\nTYPE=KOVA_WSP\r\n");
  memory_.AddFile("C:\\old\\a.bprj", "");
  memory_.AddFile("C:\\old\\app.kbp", "[SIGNATURE]\r\nTYPE=KOVA_PRJ\r\n");
  const struct {
    const char* path;
    OldFileKind kind;
  } cases[] = {
      {"C:\\old\\ws.kiw", OldFileKind::kWorkspace},
      {"C:\\old\\prj.KIP", OldFileKind::kProject},
      {"C:\\old\\older.kip", OldFileKind::kOlderKind},
      {"C:\\old\\swapped.kip", OldFileKind::kWorkspace},
      {"C:\\old\\missing.kiw", OldFileKind::kMissing},
      {"C:\\old\\a.bprj", OldFileKind::kIgnored},
      {"C:\\old\\app.kbp", OldFileKind::kNotOld},
      {"C:\\old\\noext", OldFileKind::kNotOld},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(ClassifyOldFile(platform_, c.path), c.kind);
  }
}

}  // namespace
}  // namespace zelvan
