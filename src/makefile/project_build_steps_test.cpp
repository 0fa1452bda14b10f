#include "makefile/project_build_steps.h"

#include <gtest/gtest.h>

#include <functional>

#include "makefile/make_state.h"
#include "model/project.h"
#include "model/status_codes.h"
#include "tests/support/model_test_platform.h"

namespace zelvan {
namespace {

using testing::Crlf;
using testing::FsOp;
using Steps = std::vector<std::string>;
constexpr auto kAfter = ProjectBuildStepKind::kAfterBuild;
constexpr auto kCustom = ProjectBuildStepKind::kCustomBuild;

TEST(ProjectBuildStepsTest, StepsAreReadChangedCopiedAndRefused) {
  testing::ModelTestPlatform env;
  env.AddFile("C:\\ws\\app\\App.kbp",
              Crlf("[PROJECT]\nOUTPUT=App.abs\nTARGET=Debug;Release;\n[PROJECT!MACRO!Debug]\n"
                   "ProjectAfterBuildTitle=Size\nProjectAfterBuildCommandCount=3\n"
                   "ProjectAfterBuildCommand-0=size\nProjectAfterBuildCommand-1=\n"
                   "ProjectAfterBuildCommand-2=echo done\nProjectCBuildCommandCount=99999\n"
                   "ProjectCBuildCommand-0=pack\n"));
  env.ide.project_files = {"C:\\ws\\app\\App.kbp"};
  MakeStateStore states;
  MakeStateHooks hooks(states);
  std::unique_ptr<Workspace> workspace = env.NewWorkspace(&hooks);
  ASSERT_TRUE(workspace->document().Open("C:\\ws\\Demo.kws"));
  ProjectMakeState& state = states.Of(*workspace->projects().Find("App"));
  state.makefile_out_of_date = false;
  auto get = [&](const char* target, ProjectBuildStepKind kind) {
    ProjectBuildStepSettings settings;
    EXPECT_TRUE(GetProjectBuildStep(*workspace, "App", target, kind, &settings));
    return settings;
  };
  // Empty entries are skipped; a count beyond the keys is held to them.
  EXPECT_EQ(get("Debug", kAfter).commands, (Steps{"size", "echo done"}));
  EXPECT_EQ(get("Debug", kCustom).commands, Steps{"pack"});

  // A shorter list leaves no entry of the longer one; a copy takes every step.
  ASSERT_TRUE(SetProjectBuildStep(*workspace, "App", "debug", kCustom, {"Pack", {"p"}, {"o.pak"}}));
  ASSERT_TRUE(SetProjectBuildStep(*workspace, "App", "Debug", kAfter, {"", {"report"}, {}}));
  EXPECT_TRUE(state.makefile_out_of_date);
  std::string text = env.Contents(workspace->projects().Find("App")->paths().working_copy);
  EXPECT_NE(text.find("ProjectAfterBuildCommandCount=1\r\nProjectAfterBuildCommand-0=report\r\n"
                      "ProjectCBuildCommandCount=1\r\n"),
            std::string::npos)
      << text;
  EXPECT_EQ(text.find("ProjectAfterBuildCommand-2"), std::string::npos);
  ASSERT_TRUE(CopyProjectBuildSteps(*workspace, "App", "Debug", "Release"));
  ProjectBuildStepSettings copied = get("Release", kCustom);
  EXPECT_EQ(copied.title + copied.commands[0] + copied.outputs[0], "Packpo.pak");
  EXPECT_EQ(get("Release", kAfter).commands, Steps{"report"});

  const std::pair<std::function<Status()>, uint32_t> failures[] = {
      {[&] { return GetProjectBuildStep(*workspace, "Nope", "Debug", kAfter, &copied); },
       kStatusProjectNotFound},
      {[&] { return GetProjectBuildStep(*workspace, "App", "Final", kAfter, &copied); },
       kStatusTargetNotFound},
      {[&] { return CopyProjectBuildSteps(*workspace, "App", "Debug", std::nullopt); },
       kStatusBadArgument},
      {[&] {
         return SetProjectBuildStep(*workspace, "App", "Debug", kAfter, {"", {"a\nb"}, {}});
       },
       kStatusTargetSettingFailed},
  };
  for (const auto& [call, status] : failures)
    EXPECT_EQ(call().code(), status);
  env.fs.FailAlways(FsOp::kRename);
  EXPECT_EQ(SetProjectBuildStep(*workspace, "App", "Debug", kAfter, {"t", {"c"}, {}}).code(),
            kStatusTargetSettingFailed);
  workspace->document().Close();
  EXPECT_EQ(GetProjectBuildStep(*workspace, "App", "Debug", kAfter, &copied).code(),
            kStatusNoWorkspace);
}

}  // namespace
}  // namespace zelvan
