#include "build/project_build_steps.h"

#include <gtest/gtest.h>

#include "model/one_project_data.h"
#include "model/status_codes.h"
#include "tests/support/model_test_platform.h"

namespace zelvan {
namespace {

using testing::Crlf;
using testing::FsOp;

class ProjectBuildStepsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    env_.AddFile("C:\\ws\\app\\App.kbp", Crlf(R"([PROJECT]
OUTPUT=App.abs
TARGET=Debug;Release;
[PROJECT!MACRO!Debug]
ProjectAfterBuildTitle=Size
ProjectAfterBuildCommandCount=3
ProjectAfterBuildCommand-0=size $(TargetPath)
ProjectAfterBuildCommand-1=
ProjectAfterBuildCommand-2=echo done
ProjectCBuildCommandCount=99999
ProjectCBuildCommand-0=pack
)"));
    env_.ide.project_files = {"C:\\ws\\app\\App.kbp"};
    workspace_ = env_.NewWorkspace();
    ASSERT_TRUE(workspace_->OpenWorkspace("C:\\ws\\Demo.kws"));
  }
  ProjectBuildStepSettings Get(std::string_view target, ProjectBuildStepKind kind) {
    ProjectBuildStepSettings settings;
    EXPECT_TRUE(GetProjectBuildStep(*workspace_, "App", target, kind, &settings));
    return settings;
  }

  testing::ModelTestPlatform env_;
  std::unique_ptr<CProjectData> workspace_;
};

TEST_F(ProjectBuildStepsTest, StepsAreReadChangedAndCopied) {
  // Empty entries are skipped; a count beyond the keys is held to them.
  ProjectBuildStepSettings after = Get("Debug", ProjectBuildStepKind::kAfterBuild);
  EXPECT_EQ(after.title, "Size");
  EXPECT_EQ(after.commands, (std::vector<std::string>{"size $(TargetPath)", "echo done"}));
  EXPECT_EQ(Get("Debug", ProjectBuildStepKind::kCustomBuild).commands,
            std::vector<std::string>{"pack"});

  // A shorter list leaves no entry of the longer one behind.
  ProjectBuildStepSettings custom{"Packing", {"pack $(TargetPath)"}, {"$(OutDir)\\App.pak"}};
  ASSERT_TRUE(
      SetProjectBuildStep(*workspace_, "App", "debug", ProjectBuildStepKind::kCustomBuild, custom));
  ASSERT_TRUE(SetProjectBuildStep(*workspace_, "App", "Debug", ProjectBuildStepKind::kAfterBuild,
                                  {"", {"report"}, {}}));
  EXPECT_TRUE(workspace_->FindProject("App")->MakefileOutOfDate());
  std::string text = env_.Contents(workspace_->FindProject("App")->WorkingCopyPath());
  EXPECT_NE(text.find("ProjectAfterBuildCommandCount=1\r\nProjectAfterBuildCommand-0=report\r\n"
                      "ProjectCBuildCommandCount=1\r\n"),
            std::string::npos)
      << text;
  EXPECT_EQ(text.find("ProjectAfterBuildCommand-2"), std::string::npos);

  ASSERT_TRUE(CopyProjectBuildSteps(*workspace_, "App", "Debug", "Release"));
  ProjectBuildStepSettings copied = Get("Release", ProjectBuildStepKind::kCustomBuild);
  EXPECT_EQ(copied.title, custom.title);
  EXPECT_EQ(copied.commands, custom.commands);
  EXPECT_EQ(copied.outputs, custom.outputs);
  EXPECT_EQ(Get("Release", ProjectBuildStepKind::kAfterBuild).commands,
            std::vector<std::string>{"report"});
}

TEST_F(ProjectBuildStepsTest, FailuresAreReported) {
  ProjectBuildStepSettings settings;
  const auto kAfter = ProjectBuildStepKind::kAfterBuild;
  EXPECT_FALSE(GetProjectBuildStep(*workspace_, "Nope", "Debug", kAfter, &settings));
  EXPECT_EQ(workspace_->GetLastStatus(), kStatusProjectNotFound);
  EXPECT_FALSE(GetProjectBuildStep(*workspace_, "App", "Final", kAfter, &settings));
  EXPECT_EQ(workspace_->GetLastStatus(), kStatusTargetNotFound);
  EXPECT_FALSE(CopyProjectBuildSteps(*workspace_, "App", "Debug", std::nullopt));
  EXPECT_EQ(workspace_->GetLastStatus(), kStatusBadArgument);
  EXPECT_FALSE(SetProjectBuildStep(*workspace_, "App", "Debug", kAfter, {"", {"a\nb"}, {}}));
  EXPECT_EQ(workspace_->GetLastStatus(), kStatusTargetSettingFailed);
  env_.fs.FailAlways(FsOp::kRename);
  EXPECT_FALSE(SetProjectBuildStep(*workspace_, "App", "Debug", kAfter, {"t", {"c"}, {}}));
  EXPECT_EQ(workspace_->GetLastStatus(), kStatusTargetSettingFailed);
  workspace_->CloseWorkspace();
  EXPECT_FALSE(GetProjectBuildStep(*workspace_, "App", "Debug", kAfter, &settings));
  EXPECT_EQ(workspace_->GetLastStatus(), kStatusNoWorkspace);
}

}  // namespace
}  // namespace zelvan
