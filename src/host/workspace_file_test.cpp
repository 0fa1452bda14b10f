#include "host/workspace_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/support/test_text.h"

namespace zelvan {
namespace {

using testing::Bytes;
using ::testing::ElementsAre;
using testing::Visible;

// What a workspace file lists; what is no workspace file (null) is refused
// and leaves the result alone.
TEST(WorkspaceFile, ParsesProjectsInOrderAndRefusesOtherFiles) {
  const struct {
    const char* name;
    std::string text;
    const char* projects;  // each ended by ";"; null: refused
    std::string active;
  } cases[] = {
      {"plain",
       "[Workspace]\r\nFormat=1\r\nActive=b\\b.kbp\r\n[Projects]\r\nCount=2\r\n"
       "Project0=a\\a.kbp\r\nProject1=b\\b.kbp\r\n",
       "a\\a.kbp;b\\b.kbp;", "b\\b.kbp"},
      {"LF, comments, any case, key order",
       "; mine\n[projects]\nproject1=two.kbp\nPROJECT0=one.kbp\ncount=2\n", "one.kbp;two.kbp;", ""},
      {"gaps and empty entries skipped",
       "[Projects]\nCount=4\nProject0=a.kbp\nProject2=\nProject3=d.kbp\n", "a.kbp;d.kbp;", ""},
      {"entries beyond Count ignored", "[Projects]\nCount=1\nProject0=a.kbp\nProject1=b.kbp\n",
       "a.kbp;", ""},
      {"a huge Count is bounded by the lines", "[Projects]\nCount=4000000000\nProject0=a.kbp\n",
       "a.kbp;", ""},
      {"no projects", "[Workspace]\nFormat=1\n", "", ""},
      {"empty", "", nullptr, ""},
      {"a project file", "[PROJECT]\nOUTPUT=a.abs\n", nullptr, ""},
      {"binary",
       Bytes("\x7f"
             "ELF\0\0\x01[x"),
       nullptr, ""},
      {"a newer format", "[Workspace]\nFormat=2\n", nullptr, ""},
      {"a format no number", "[Workspace]\nFormat=one\n", nullptr, ""},
      {"a negative Count", "[Projects]\nCount=-1\n", nullptr, ""},
      {"a Count no number", "[Projects]\nCount=3x\n", nullptr, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    WorkspaceFile file;
    if (c.projects == nullptr) file.active = "kept";
    std::string error;
    EXPECT_EQ(ParseWorkspaceFile(c.text, &file, &error), c.projects != nullptr) << error;
    if (c.projects == nullptr) {
      EXPECT_NE(error, "");
      EXPECT_EQ(file.active, "kept");
      continue;
    }
    std::string projects;
    for (const std::string& project : file.projects)
      projects += project + ";";
    EXPECT_EQ(projects, c.projects);
    EXPECT_EQ(file.active, c.active);
  }
}

TEST(WorkspaceFile, UpdatesExistingText) {
  WorkspaceFile file;
  file.active = "a\\a.kbp";
  std::string text, error;
  // A new text is checked with HeadlessHost::CreateWorkspaceFile.
  // Other lines stay; entries beyond the new count go.
  std::string old =
      "; keep me\n[Workspace]\nFormat=1\nActive=c.kbp\nTool=x\n[Projects]\nCount=3\n"
      "Project0=a\\a.kbp\nProject1=b\\b.kbp\nProject2=c.kbp\nProject7=stale.kbp\n";
  file.projects = {"a\\a.kbp"};
  ASSERT_TRUE(UpdateWorkspaceFileText(old, file, &text, &error));
  EXPECT_EQ(Visible(text),
            Visible("; keep me\n[Workspace]\nFormat=1\nActive=a\\a.kbp\nTool=x\n[Projects]\n"
                    "Count=1\nProject0=a\\a.kbp\n"));
  WorkspaceFile back;
  ASSERT_TRUE(ParseWorkspaceFile(text, &back, &error));
  EXPECT_THAT(back.projects, ElementsAre("a\\a.kbp"));

  // Paths a reader would trim or unquote are stored quoted and read back whole.
  file.projects = {"'q.kbp'", " lead.kbp", "\"\""};
  file.active = "\"a.kbp\"";
  ASSERT_TRUE(UpdateWorkspaceFileText("", file, &text, &error));
  ASSERT_TRUE(ParseWorkspaceFile(text, &back, &error));
  EXPECT_EQ(back.projects, file.projects);
  EXPECT_EQ(back.active, file.active);

  file.projects = {"bad\r\nProject1=x"};
  EXPECT_FALSE(UpdateWorkspaceFileText(old, file, &text, &error));
  EXPECT_NE(error, "");
}

}  // namespace
}  // namespace zelvan
