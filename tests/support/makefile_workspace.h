// A fixture for the makefile generators' tests: the model test platform
// with the demo installation as K:, its CPU tools loaded, and a workspace
// opened from project texts, whose make state `states_` keeps.
//
//   Open({{"C:\\ws\\app\\App.kbp", kApp}, {"C:\\ws\\lib\\Lib.kbp", kLib}});
//   Depend("App", "main.c", "Debug", {"app.h"});
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "makefile/make_state.h"
#include "model/dependency_record.h"
#include "model/project.h"
#include "model/source_file.h"
#include "tests/support/model_test_platform.h"
#include "tests/support/repository_files.h"
#include "tests/support/test_text.h"
#include "toolchain/cpu_table.h"
#include "toolchain/installation.h"

namespace zelvan::testing {

class MakefileWorkspaceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    AddRepositoryFiles(env_.memory, "share/kova", "K:\\");
    ASSERT_TRUE(cpus_.LoadCpuTools());
  }
  // Opens a workspace of the given projects (path, text); the first is active.
  void Open(std::initializer_list<std::pair<const char*, std::string>> projects) {
    env_.ide.project_files.clear();
    for (const auto& [path, text] : projects) {
      env_.AddFile(path, Crlf(text));
      env_.ide.project_files.push_back(path);
    }
    env_.ide.active_project = env_.ide.project_files.front();
    workspace_ = env_.NewWorkspace(&make_hooks_);
    ASSERT_TRUE(workspace_->document().Open("C:\\ws\\Demo.kws"));
  }
  Project& ProjectNamed(std::string_view name) { return *workspace_->projects().Find(name); }
  // Gives a file the include dependencies of a target.
  void Depend(std::string_view project, std::string_view file, std::string_view target,
              const std::vector<std::string>& paths) {
    DependencyRecord record{std::string(target)};
    record.SetDependencies(workspace_->dependency_paths(), paths, {});
    ProjectNamed(project).sources().FindByRelativePath(file)->dependencies().records.push_back(
        record);
  }

  ModelTestPlatform env_;
  Installation util_{env_.platform, "K:"};
  CpuTable cpus_{env_.platform, util_};
  MakeStateStore states_;
  MakeStateHooks make_hooks_{states_};
  std::unique_ptr<Workspace> workspace_;
};

// Compares and names the case on failure, with line ends shown.
inline void ExpectText(const std::string& actual, const std::string& expected,
                       std::string_view name) {
  EXPECT_EQ(actual, expected) << name << ":\n" << Visible(actual);
}

}  // namespace zelvan::testing
