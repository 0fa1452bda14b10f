// The function database of a workspace: the database file written and read
// back, only changed sources parsed again, entries handed between projects
// that share a file, damaged files rebuilt, and the IDE's requests.
#include "scanner/function_database.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "model/project.h"
#include "model/source_file.h"
#include "model/status_codes.h"
#include "model/workspace.h"
#include "scanner/function_requests.h"
#include "tests/support/model_test_platform.h"

namespace zelvan {
namespace {

using testing::Crlf;
using testing::FsOp;
using testing::ModelTestPlatform;

constexpr const char* kWorkspace = "C:\\ws\\Demo.kws";
constexpr const char* kAppFile = "C:\\ws\\app\\App.kbp";
constexpr const char* kLibFile = "C:\\ws\\lib\\Lib.kbp";
constexpr const char* kAppDatabase = "C:\\ws\\app\\App.kfv";

std::string ProjectText(const char* output, const std::vector<std::string>& sources) {
  return Crlf(std::string("[PROJECT]\nOUTPUT=") + output +
              "\nCPU=MX-520\nTARGET=Debug;\nFolder=Code;\n" +
              testing::SourceFolder("Code", sources));
}

class FunctionDatabaseTest : public ::testing::Test {
 protected:
  FunctionDatabaseTest() {
    env_.AddFile(kAppFile, ProjectText("App.abs", {"main.c", "util.c", "app.h", "start.asm"}));
    env_.AddFile(kLibFile, ProjectText("Lib.lib", {"..\\app\\util.c", "lib.c"}));
    env_.AddFile("C:\\ws\\app\\main.c", "int main(void)\n{\n  return helper(1);\n}\n");
    env_.AddFile("C:\\ws\\app\\util.c",
                 "static int twice(int v) { return 2 * v; }\nint helper(int n) { return n; }\n");
    env_.AddFile("C:\\ws\\app\\app.h",
                 "#ifndef APP_H\n#define APP_H\nstatic inline int one(void) { return 1; }\n"
                 "int helper(int n);\n#endif\n");
    env_.AddFile("C:\\ws\\app\\start.asm", "  nop\n");
    env_.AddFile("C:\\ws\\lib\\lib.c", "void lib_init(void) { }\n");
    env_.ide.project_files = {kAppFile, kLibFile};
  }

  // A fresh workspace, as a new session opens it.
  void Open() {
    workspace_ = env_.NewWorkspace();
    workspace_->SetListedExtensions({"c", "h"});
    ASSERT_TRUE(workspace_->document().Open(kWorkspace));
  }
  Project& App() { return *workspace_->projects().Find("App.abs"); }
  Project& Lib() { return *workspace_->projects().Find("Lib.lib"); }
  SourceFile& Source(Project& project, const char* relative) {
    return *project.sources().FindByRelativePath(relative);
  }
  std::string Stamp(const char* path) {
    std::string time;
    ReadFunctionTime(env_.fs, path, &time);
    return time;
  }
  // The database file the three sources of App give.
  std::string AppDatabase(const char* main_entries = "COUNT=1\nDATA0=3;int;main;1;1;void;\n") {
    return Crlf("[main.c]\nDTIME=" + Stamp("C:\\ws\\app\\main.c") + "\n" + main_entries +
                "[util.c]\nDTIME=" + Stamp("C:\\ws\\app\\util.c") +
                "\nCOUNT=2\nDATA0=3;int;twice;1;1;int v;\nDATA1=3;int;helper;2;1;int n;\n"
                "[app.h]\nDTIME=" +
                Stamp("C:\\ws\\app\\app.h") + "\nCOUNT=1\nDATA0=3;inline int;one;3;1;void;\n");
  }
  FunctionUpdateCounts Update(Project& project, bool* rebuilt = nullptr) {
    FunctionUpdateCounts counts;
    bool result = UpdateFunctionDatabase(*workspace_, project, {}, &counts);
    if (rebuilt != nullptr) *rebuilt = result;
    return counts;
  }

  ModelTestPlatform env_;
  std::unique_ptr<Workspace> workspace_;
};

TEST_F(FunctionDatabaseTest, DatabaseFileIsWrittenReadBackAndOnlyChangedSourcesParsed) {
  Open();
  bool rebuilt = false;
  FunctionUpdateCounts counts = Update(App(), &rebuilt);
  EXPECT_TRUE(rebuilt);
  EXPECT_EQ(counts.parsed, 3);  // the assembler source takes no part
  EXPECT_EQ(env_.Contents(kAppDatabase), AppDatabase());
  std::string util_text = GetFunctionDatabaseText(Source(App(), "util.c"));
  EXPECT_EQ(util_text, Stamp("C:\\ws\\app\\util.c") +
                           "\n2\n3;int;twice;1;1;int v;\n3;int;helper;2;1;int n;\n");

  // Current in memory: nothing to do.
  counts = Update(App(), &rebuilt);
  EXPECT_FALSE(rebuilt);
  EXPECT_EQ(counts.loaded + counts.parsed, 0);

  // A new session reads the file instead of parsing.
  Open();
  counts = Update(App(), &rebuilt);
  EXPECT_FALSE(rebuilt);
  EXPECT_EQ(counts.loaded, 3);
  EXPECT_EQ(counts.parsed, 0);
  EXPECT_EQ(GetFunctionDatabaseText(Source(App(), "util.c")), util_text);

  // A changed source is parsed again, and only that one.
  env_.AddFile("C:\\ws\\app\\main.c", "int main(void) { }\nvoid idle(void) { }\n");
  Open();
  counts = Update(App(), &rebuilt);
  EXPECT_TRUE(rebuilt);
  EXPECT_EQ(counts.parsed, 1);
  EXPECT_EQ(counts.loaded, 2);
  EXPECT_EQ(Source(App(), "main.c").function_list().entries.size(), 2u);
  EXPECT_EQ(env_.Contents(kAppDatabase),
            AppDatabase("COUNT=2\nDATA0=3;int;main;1;1;void;\nDATA1=3;void;idle;2;1;void;\n"));

  // Parsing everything again ignores the file.
  counts = FunctionUpdateCounts();
  UpdateFunctionDatabase(*workspace_, App(), {.directory_filter = {}, .parse_all = true}, &counts);
  EXPECT_EQ(counts.parsed, 3);
}

TEST_F(FunctionDatabaseTest, SharedSourceIsTakenFromTheOtherProject) {
  Open();
  ASSERT_TRUE(UpdateWorkspaceFunctions(*workspace_));
  EXPECT_EQ(GetFunctionDatabaseText(Source(Lib(), "..\\app\\util.c")),
            GetFunctionDatabaseText(Source(App(), "util.c")));

  env_.memory.DeleteFile("C:\\ws\\lib\\Lib.kfv");
  Open();
  Update(App());
  FunctionUpdateCounts counts = Update(Lib());
  EXPECT_EQ(counts.transferred, 1);
  EXPECT_EQ(counts.parsed, 1);
  EXPECT_TRUE(IsFunctionDataCurrent(env_.fs, Source(Lib(), "..\\app\\util.c")));

  // With the setting off every project parses its own.
  env_.AddFile("C:\\registry.ini", Crlf("[Software\\Zentrak\\Semiconductor\\KOVA\\Builder]\n"
                                        "TreeViewFunction=dword:00000000\n"));
  env_.memory.DeleteFile("C:\\ws\\lib\\Lib.kfv");
  Open();
  Update(App());
  counts = Update(Lib());
  EXPECT_EQ(counts.transferred, 0);
  EXPECT_EQ(counts.parsed, 2);
}

TEST_F(FunctionDatabaseTest, DamagedDatabaseFileIsRebuilt) {
  Open();
  Update(App());
  const std::string good = AppDatabase();
  const struct {
    const char* name;
    std::string from, to;
    int parsed;
  } damages[] = {
      {"count beyond the entries", "COUNT=2", "COUNT=3", 1},
      {"count no number", "COUNT=2", "COUNT=2x", 1},
      {"huge count", "COUNT=1\r\nDATA0=3;int;main", "COUNT=99999999999\r\nDATA0=3;int;main", 1},
      {"entry with too few fields", "DATA0=3;inline int;one;3;1;void;", "DATA0=3;one", 1},
      {"entry with fewer arguments than its count", "helper;2;1;int n;", "helper;2;4;int n;", 1},
      {"entry line no number", "DATA0=3;int;main;1;", "DATA0=3;int;main;x;", 1},
      {"time missing", "[app.h]\r\nDTIME=", "[app.h]\r\nDTIMEX=", 1},
      {"binary bytes", good, std::string("\0\xff[\x01]\r\n=\x80\n[main.c\r\nDATA0=\0", 18), 3},
  };
  for (const auto& damage : damages) {
    SCOPED_TRACE(damage.name);
    std::string damaged = good;
    damaged.replace(damaged.find(damage.from), damage.from.size(), damage.to);
    env_.AddFile(kAppDatabase, damaged);
    Open();
    bool rebuilt = false;
    FunctionUpdateCounts counts = Update(App(), &rebuilt);
    EXPECT_TRUE(rebuilt);
    EXPECT_EQ(counts.parsed, damage.parsed);
    EXPECT_EQ(env_.Contents(kAppDatabase), good);
  }
}

TEST_F(FunctionDatabaseTest, FailedWriteLeavesTheOldFile) {
  env_.AddFile(kAppDatabase, "[old]\r\n");
  Open();
  env_.fs.FailNth(FsOp::kRename, 1);
  std::string error;
  EXPECT_TRUE(UpdateFunctionDatabase(*workspace_, App(), {}, nullptr, &error));
  EXPECT_NE(error.find("App.kfv could not be written"), std::string::npos) << error;
  EXPECT_EQ(env_.Contents(kAppDatabase), "[old]\r\n");
  EXPECT_EQ(Source(App(), "main.c").function_list().entries.size(), 1u);
}

TEST_F(FunctionDatabaseTest, SourceChangedWhileParsedIsParsedAgain) {
  // A file system on which main.c is written again while it is read.
  class ChangingFileSystem : public testing::FaultyFileSystem {
   public:
    explicit ChangingFileSystem(testing::MemoryFileSystem& memory)
        : FaultyFileSystem(memory), memory_(memory) {}
    Status ReadFile(std::string_view path, std::string* contents) override {
      Status read = FaultyFileSystem::ReadFile(path, contents);
      if (path.ends_with("main.c")) memory_.SetModificationTime(path, memory_.Now() + 5000000000);
      return read;
    }

   private:
    testing::MemoryFileSystem& memory_;
  };
  ChangingFileSystem changing(env_.memory);
  env_.platform.fs = &changing;
  Open();
  Update(App());
  EXPECT_FALSE(IsFunctionDataCurrent(changing, Source(App(), "main.c")));
  EXPECT_TRUE(IsFunctionDataCurrent(changing, Source(App(), "util.c")));
  workspace_.reset();
  env_.platform.fs = &env_.fs;
}

TEST_F(FunctionDatabaseTest, TransferTextAndSingleSources) {
  Open();
  SourceFile& main = Source(App(), "main.c");
  std::string now = Stamp("C:\\ws\\app\\main.c");
  const struct {
    std::string text;
    bool ok;
    bool current;
  } texts[] = {
      {now + "\n1\n3;int;main;1;1;void;\n", true, true},
      {"19990101000000\n1\n3;int;main;1;1;void;\n", true, false},  // an older version's entries
      {now, false, false},
      {now + "\n2\n3;int;main;1;1;void;\n", false, false},
      {now + "\n1\ngarbage\n", false, false},
  };
  for (const auto& c : texts) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(SetFunctionDatabase(env_.fs, main, c.text), c.ok);
    EXPECT_EQ(main.function_list().entries.size(), c.ok ? 1u : 0u);
    EXPECT_EQ(IsFunctionDataCurrent(env_.fs, main), c.current);
  }

  // A single source: loaded from the file when current, rebuilt when not.
  Update(App());
  Open();
  SourceFile& util = Source(App(), "util.c");
  FunctionUpdateCounts counts;
  EXPECT_TRUE(RefreshFunctionDatabase(*workspace_, util, {}, &counts));
  EXPECT_EQ(counts.loaded, 1);
  EXPECT_FALSE(RefreshFunctionDatabase(*workspace_, util, {}, &counts));
  env_.AddFile("C:\\ws\\app\\util.c", "int only(void) { }\n");
  EXPECT_TRUE(RefreshFunctionDatabase(*workspace_, util, {}, &counts));
  EXPECT_EQ(counts.parsed, 1);
  std::string written = env_.Contents(kAppDatabase);
  EXPECT_NE(written.find("[util.c]\r\nDTIME=" + Stamp("C:\\ws\\app\\util.c") +
                         "\r\nCOUNT=1\r\nDATA0=3;int;only;1;1;void;\r\n[app.h]"),
            std::string::npos)
      << written;

  // A source that takes no part.
  SourceFile& start = Source(App(), "start.asm");
  EXPECT_FALSE(RefreshFunctionDatabase(*workspace_, start));
  EXPECT_FALSE(SetFunctionDatabase(env_.fs, start, now + "\n0\n"));
  EXPECT_FALSE(ParseFunctionsFromText(start, "int f(void) { }"));
}

TEST_F(FunctionDatabaseTest, RequestsOfTheIde) {
  Open();
  env_.ide.calls.clear();
  FunctionDatabaseRequest request;
  request.project = "App.abs";
  request.file = "main.c";
  ASSERT_TRUE(GetSourceFunctions(*workspace_, &request, FunctionSourceMode::kFromFile));
  EXPECT_EQ(request.functions, Stamp("C:\\ws\\app\\main.c") + "\n1\n3;int;main;1;1;void;\n");
  // Progress of the parse, one line per percent.
  std::vector<std::string> lines = env_.ide.Calls("WriteOutputLine");
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.front(), "18|main.c: 2%");  // after its first character
  EXPECT_EQ(lines.back(), "18|main.c: 100%");

  // The editor's text, which keeps the file's time.
  request.text = "void edited(int a)\n{ }\n";
  ASSERT_TRUE(GetSourceFunctions(*workspace_, &request, FunctionSourceMode::kFromEditorText));
  EXPECT_EQ(request.functions, Stamp("C:\\ws\\app\\main.c") + "\n1\n3;void;edited;1;1;int a;\n");

  // One project, parsing only one directory's sources.
  request.project = "Lib";
  request.directory = "C:\\ws\\lib";
  ASSERT_TRUE(UpdateProjectFunctions(*workspace_, &request));
  EXPECT_EQ(request.directories, (std::vector<std::string>{"C:\\ws\\app", "C:\\ws\\lib"}));
  EXPECT_EQ(Source(Lib(), "lib.c").function_list().entries.size(), 1u);
  EXPECT_TRUE(Source(Lib(), "..\\app\\util.c").function_list().entries.empty());

  const struct {
    const char* project;
    const char* file;
    uint32_t status;
  } failures[] = {
      {"Nope", "main.c", kStatusProjectNotFound},
      {"App.abs", "nope.c", kStatusFileNotInProject},
      {"App.abs", "start.asm", kStatusBadArgument},
  };
  for (const auto& f : failures) {
    request.project = f.project;
    request.file = f.file;
    EXPECT_EQ(GetSourceFunctions(*workspace_, &request, FunctionSourceMode::kFromFile).code(),
              f.status)
        << f.project << " " << f.file;
  }
  workspace_->document().Close();
  EXPECT_EQ(UpdateWorkspaceFunctions(*workspace_).code(), kStatusNoWorkspace);
}

TEST(DefineVariableDataTest, DisplayFormsOfEachKind) {
  const struct {
    FunctionDatabaseEntry entry;
    const char* display;
  } cases[] = {
      {{1, 3, "int", "table[4]", {}}, "table"},
      {{2, 3, "int *", "handler", {"int"}}, "handler"},
      {{3, 3, "void", "f", {"char * p", "int n"}}, "f(char * p,int n)"},
      {{3, 3, "void", "g", {}}, "g()"},
      {{4, 3, "struct", "point", {}}, "struct point"},
      {{6, 3, "union", "u", {}}, "union u"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.entry.DisplayForm(), c.display);
    FunctionDatabaseEntry read;
    ASSERT_TRUE(read.ReadStoredForm(c.entry.StoredForm())) << c.entry.StoredForm();
    EXPECT_EQ(read, c.entry);
  }
}

TEST(SourceDirectoryTest, DirectoriesAreListedOnce) {
  std::vector<std::string> directories;
  for (const char* path : {"C:\\a\\b.c", "c:\\A\\c.c", "C:\\top.c", "bare.c", "\\\\srv\\s\\x.c"})
    AddSourceDirectory(path, &directories);
  EXPECT_EQ(directories, (std::vector<std::string>{"C:\\a", "C:\\", "\\\\srv\\s"}));
}

}  // namespace
}  // namespace zelvan
