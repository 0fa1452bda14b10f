// New, copy and rename of projects, on the demo installation and the
// example workspace of the repository, kept in memory behind a file system
// that fails on request.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <sstream>

#include "host/headless_host.h"
#include "model/project.h"
#include "model/service_settings.h"
#include "model/status_codes.h"
#include "model/workspace.h"
#include "platform/ansi_text.h"
#include "platform/posix_file_system.h"
#include "platform/private_profile.h"
#include "platform/profile_text.h"
#include "platform/registry.h"
#include "projects/copy_rename.h"
#include "projects/new_project.h"
#include "service/connection_project_services.h"
#include "service/report_status.h"
#include "tests/support/fake_system_services.h"
#include "tests/support/faulty_file_system.h"
#include "tests/support/memory_file_system.h"
#include "tests/support/repository_files.h"
#include "tests/support/test_text.h"
#include "toolchain/installation.h"

namespace zelvan {
namespace {

using testing::FsOp;
using Files = std::map<std::string, std::string>;

constexpr const char* kWorkspace = "C:\\ws\\Example.kws";
constexpr const char* kMx520Ini = "K:\\Config\\Builder\\Template\\MX-520\\MX-520.INI";

// The command's services over the headless host, with a busy switch and a
// record of the IDE commands sent.
class TestServices : public ProjectServices {
 public:
  explicit TestServices(HeadlessHost& host) : real_(nullptr, host) {}
  bool IsBusy() override { return busy; }
  bool IsValidFileName(std::string_view path) override { return real_.IsValidFileName(path); }
  void SendIdeCommand(int command) override { commands.push_back(command); }
  bool ReplaceWorkspaceProject(std::string_view old_file, std::string_view new_file,
                               std::string* error) override {
    return real_.ReplaceWorkspaceProject(old_file, new_file, error);
  }
  bool RemoveWorkspaceProject(std::string_view file, std::string* error) override {
    return real_.RemoveWorkspaceProject(file, error);
  }
  std::vector<std::string> WorkspaceStateFiles() override { return real_.WorkspaceStateFiles(); }

  bool busy = false;
  std::vector<int> commands;

 private:
  ConnectionProjectServices real_;  // the host as the IDE that keeps the record
};

// The headless host's stack over the files, with the example workspace open.
class World {
 public:
  explicit World(AnswerPolicy policy = AnswerPolicy::kSafe, const char* language = nullptr)
      : host(policy, messages, false) {
    testing::AddRepositoryFiles(memory, "share/kova/Config", "K:\\Config\\");
    testing::AddRepositoryFiles(memory, "examples", "C:\\ws\\");
    if (language) {
      std::string settings_file = *memory.Contents("K:\\Config\\QkUtil.ini");
      settings_file.replace(settings_file.find("Language=1033"), 13,
                            "Language=" + std::string(language));
      memory.AddFile("K:\\Config\\QkUtil.ini", settings_file);
    }
    memory.AddDirectory("C:\\Temp");
    system.env["TEMP"] = "C:\\Temp";
    system.env["TMP"] = "C:\\Tmp";
    host.Attach(platform);
    settings.LoadServiceSettings();
    Reopen();
  }
  // Closes the workspace (when open) and opens it again with a fresh host state.
  void Reopen() {
    if (workspace) workspace->document().Close();
    std::string error;
    EXPECT_TRUE(host.LoadWorkspaceFile(kWorkspace, &error)) << error;
    workspace = std::make_unique<Workspace>(platform, settings, host, nullptr);
    EXPECT_TRUE(workspace->document().Open(kWorkspace));
  }

  // Each as the component runs it: the status cleared, a failure made the workspace's status.
  bool New(const NewProjectRequest& request, std::string* file = nullptr) {
    workspace->ClearStatus();
    int result = 0;
    return ReportStatus(*workspace, request.type == "full"
                                        ? CreateFullProject(*workspace, util, services, request,
                                                            true, &result, file)
                                        : NewProject(*workspace, util, services, request, file));
  }
  bool Copy(std::string_view project) {
    workspace->ClearStatus();
    return ReportStatus(*workspace, CopyProject(*workspace, services, project));
  }
  bool Rename(std::string_view project, std::string_view name) {
    workspace->ClearStatus();
    return ReportStatus(*workspace, RenameProject(*workspace, services, project, name));
  }

  // Every file but the working copies.
  Files Snapshot() const {
    Files files;
    for (const std::string& path : memory.AllFiles()) {
      if (!StartsWithNoCase(path, "C:\\Temp\\")) files[path] = *memory.Contents(path);
    }
    return files;
  }
  // The workspace as its projects, their link lists, the active project and
  // the host's list; and the working copies there are.
  std::string State() {
    std::string state = "active " + workspace->selection().ActiveProjectFile() + "\n";
    for (const auto& project : workspace->projects().All()) {
      std::string links;
      project->links().GetText(&links);
      state += project->paths().project_file + " links " + links + "\n";
    }
    std::vector<std::string> listed;
    host.GetWorkspaceProjectFiles(kWorkspace, &listed);
    for (const std::string& file : listed)
      state += "host " + file + "\n";
    int copies = 0;
    for (const std::string& path : memory.AllFiles())
      copies += StartsWithNoCase(path, "C:\\Temp\\KOVA\\") ? 1 : 0;
    return state + "working copies " + std::to_string(copies) + "\n";
  }
  std::string Status() const {
    return StringPrintf("%u: ", workspace->GetLastStatus()) + workspace->GetLastMessage();
  }

  testing::MemoryFileSystem memory;
  testing::FaultyFileSystem fs{memory};
  PrivateProfile profile{fs};
  std::unique_ptr<Registry> registry = CreateFileRegistry(profile, "C:\\registry.ini");
  testing::FakeSystemServices system;
  std::ostringstream messages;
  HeadlessHost host;
  Platform platform{&fs, &profile, registry.get(), &system, &host};
  Installation util{platform, "K:"};
  ServiceSettings settings{platform, &util};
  TestServices services{host};
  std::unique_ptr<Workspace> workspace;
};

// The paths whose contents differ, or that only one of the two has.
std::string Differences(const Files& actual, const Files& expected) {
  std::string out;
  for (const auto& [path, text] : actual) {
    auto it = expected.find(path);
    if (it == expected.end())
      out += "new " + path + "\n";
    else if (it->second != text)
      out += "changed " + path + "\n";
  }
  for (const auto& [path, text] : expected) {
    if (actual.count(path) == 0) out += "gone " + path + "\n";
  }
  return out;
}

constexpr const char* kSettings = "C:\\ws\\Example.kwa";

// The entries of a profile file, in order of section, key and value.
std::multiset<std::string> Entries(std::string_view text) {
  ProfileText file(text);
  std::multiset<std::string> entries;
  for (const std::string& section : file.SectionNames()) {
    for (const auto& [key, value] : file.SectionEntries(section))
      entries.insert(section + "|" + key + "=" + value);
  }
  return entries;
}

NewProjectRequest Request(const char* name, const char* cpu, const char* type = "abs",
                          int memory = 64, const char* folder = nullptr) {
  NewProjectRequest request;
  request.name = name;
  request.cpu = cpu;
  request.type = type;
  request.memory_kb = memory;
  request.folder = folder ? folder : name;
  return request;
}

// Replaces every `from` of a file's text.
void Edit(World& world, const std::string& path, const std::string& from, const std::string& to) {
  std::string text = *world.memory.Contents(path);
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  world.memory.AddFile(path, text);
}

TEST(ProjectCommands, FailuresChangeNothing) {
  using Run = std::function<bool(World&)>;
  auto new_project = [](NewProjectRequest request) {
    return Run([request](World& w) { return w.New(request); });
  };
  auto entry = [](const char* from, const char* to) {
    return std::function<void(World&)>([=](World& w) { Edit(w, kMx520Ini, from, to); });
  };
  auto full = Request("Big", "MX-520", "full");
  full.memory_model = "48k";
  const std::string kBusy = "A build is running. Try again when it has finished.";
  const std::string kBadName = "The project name is not valid.";
  const std::string kBadPath =
      "The path is not a valid full path, or the name holds a character that is not allowed.";
  const std::string kInWorkspace =
      "A project with this project file or output name is already in the workspace.";
  const std::string kNotSaved =
      "The workspace settings could not be saved; the workspace was left as it was.";
  const std::string kUnknown =
      "The project file does not exist, or the project is not in the workspace.";
  const Run new_a = new_project(Request("A", "MX-520"));
  const std::string kEndless = "The macros of [MACRO] BANNER of " + std::string(kMx520Ini) +
                               " do not come to an end: a macro names itself, or the text grows "
                               "past 16 MB.";
  const char* const kOutside = " names a file outside its folder (a full path, a drive or \"..\").";
  const struct {
    const char* name;
    std::function<void(World&)> setup;
    Run run;
    uint32_t status;
    std::string message;
  } kCases[] = {
      {"busy", [](World& w) { w.services.busy = true; }, new_a, 40965, kBusy},
      {"busy copy", [](World& w) { w.services.busy = true; },
       [](World& w) { return w.Copy("Motor"); }, 40965, kBusy},
      {"busy rename", [](World& w) { w.services.busy = true; },
       [](World& w) { return w.Rename("Motor", "Drive"); }, 40965, kBusy},
      {"empty name", nullptr, new_project(Request("", "MX-520", "abs", 64, "A")), 4416, kBadName},
      {"name of extensions", nullptr, new_project(Request(" .abs. ", "MX-520", "abs", 64, "A")),
       4416, kBadName},
      {"name with ;", nullptr, new_project(Request("a;b", "MX-520", "abs", 64, "A")), 4416,
       kBadName},
      {"cpu", nullptr, new_project(Request("A", "MX-999")), 4418,
       "New projects cannot be created for this CPU."},
      {"folder ..", nullptr, new_project(Request("A", "MX-520", "abs", 64, "..\\out")), 4371,
       kBadPath},
      {"folder X:rel", nullptr, new_project(Request("A", "MX-520", "abs", 64, "D:rel")), 4371,
       kBadPath},
      {"folder |", nullptr, new_project(Request("A", "MX-520", "abs", 64, "a|b")), 4371, kBadPath},
      {"type", nullptr, new_project(Request("A", "MX-520", "exe")), 4419,
       "The project type must be \"abs\" or \"lib\"."},
      {"size", nullptr, new_project(Request("A", "MX-310/P1", "abs", 80)), 4417,
       "The memory size is not valid for this CPU."},
      {"model", nullptr, new_project(full), 4417, "The memory size is not valid for this CPU."},
      {"no workspace", [](World& w) { w.workspace->document().Close(); }, new_a, 4096,
       "No workspace is open."},
      {"project file exists", nullptr, new_project(Request("Motor", "MX-520")), 4433,
       "The file C:\\ws\\Motor\\Motor.KBP already exists."},
      {"output in workspace", nullptr, new_project(Request("MathLib", "MX-520", "lib", 64, "L")),
       0x40031105, kInWorkspace},
      {"entry ..", entry("FILE1=startup.asm", "FILE1=..\\evil.asm"), new_a, 4436,
       "The template entry [BLANK!English] FILE1=..\\evil.asm" + std::string(kOutside)},
      {"entry drive", entry("FILE1=startup.asm", "FILE1=startup.asm;C:\\evil.asm"), new_a, 4436,
       "The template entry [BLANK!English] FILE1=startup.asm;C:\\evil.asm" + std::string(kOutside)},
      {"entry rooted", entry("FILE1=startup.asm", "FILE1=\\evil.asm"), new_a, 4436,
       "The template entry [BLANK!English] FILE1=\\evil.asm" + std::string(kOutside)},
      {"entry dots", entry("FILE1=startup.asm", "FILE1=startup.asm;sub\\...\\x.asm"), new_a, 4436,
       "The template entry [BLANK!English] FILE1=startup.asm;sub\\...\\x.asm" +
           std::string(kOutside)},
      {"project entry", entry("PROJECT=BLANKPRJ.KIP", "PROJECT=..\\BLANKPRJ.KIP"), new_a, 4436,
       "The template entry [BLANK!English] PROJECT=..\\BLANKPRJ.KIP" + std::string(kOutside)},
      {"template missing", [](World& w) { w.memory.DeleteFile(kMx520Ini); }, new_a, 4435,
       "The template file " + std::string(kMx520Ini) + " cannot be read."},
      // Macros that name themselves are refused, however they grow, before
      // more than the bound (16 MB) is held.
      {"macro names itself twice",
       entry("BANNER=$(TARGET_FAMILY) application", "BANNER=$(BANNER)$(BANNER)x"), new_a, 4439,
       kEndless},
      {"macro names itself", entry("BANNER=$(TARGET_FAMILY) application", "BANNER=$(BANNER)x"),
       new_a, 4439, kEndless},
      {"file grows past the bound",
       [](World& w) {
         std::string chain = "BANNER=$(B1)$(B1)";
         for (int i = 1; i < 20; ++i)
           chain += StringPrintf("\nB%d=$(B%d)$(B%d)", i, i + 1, i + 1);
         Edit(w, kMx520Ini, "BANNER=$(TARGET_FAMILY) application", chain + "\nB20=x");
         // 17 times a banner of 1 MB.
         Edit(w, "K:\\Config\\Builder\\Template\\MX-520\\main.c", "($(BANNER))", [] {
           std::string banners;
           for (int i = 0; i < 17; ++i)
             banners += "$(BANNER)";
           return banners;
         }());
       },
       new_a, 4439,
       "The macros of main.c do not come to an end: a macro names itself, or the text grows past "
       "16 MB."},
      {"template file missing", entry("FILE1=startup.asm", "FILE1=gone.asm"), new_a, 4435,
       "The template file K:\\Config\\Builder\\Template\\MX-520\\Default\\gone.asm cannot be "
       "read."},
      {"workspace file read-only", [](World& w) { w.memory.SetReadOnly(kWorkspace, true); }, new_a,
       4438, kNotSaved},
      {"copy unknown", nullptr, [](World& w) { return w.Copy("Nope"); }, 5036, kUnknown},
      {"copy exists", [](World& w) { w.memory.AddFile("C:\\ws\\Motor\\CopyMotor.kbp", "x"); },
       [](World& w) { return w.Copy("Motor"); }, 5023,
       "The project could not be copied: its files already exist or cannot be written."},
      {"rename unknown", nullptr, [](World& w) { return w.Rename("Nope", "B"); }, 5036, kUnknown},
      {"rename invalid", nullptr, [](World& w) { return w.Rename("Motor", "a:b"); }, 5089,
       kBadName},
      {"rename to an output in use", nullptr, [](World& w) { return w.Rename("Motor", "Sensor"); },
       0x40031105, kInWorkspace},
      {"rename exists", [](World& w) { w.memory.AddFile("C:\\ws\\Motor\\Drive.kbp", "x"); },
       [](World& w) { return w.Rename("Motor", "Drive"); }, 5076,
       "The project could not be renamed: its files could not be copied."},
      {"rename with a read-only workspace file",
       [](World& w) { w.memory.SetReadOnly(kWorkspace, true); },
       [](World& w) { return w.Rename("Motor", "Drive"); }, 4438, kNotSaved},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    World world;
    if (c.setup) c.setup(world);
    Files before = world.Snapshot();
    std::string state = world.workspace->document().IsOpen() ? world.State() : "";
    EXPECT_FALSE(c.run(world));
    EXPECT_EQ(world.Status(), std::to_string(c.status) + ": " + c.message);
    EXPECT_EQ(Differences(world.Snapshot(), before), "");
    if (!state.empty()) {
      EXPECT_EQ(world.State(), state);
    }
    EXPECT_TRUE(world.services.commands.empty());
  }
}

TEST(ProjectCommands, NamesAndFolders) {
  const struct {
    const char* name;
    const char* folder;
    const char* project_file;
  } kCases[] = {
      {"App.abs", "", "C:\\ws\\App.KBP"},
      {" App.lib. ", "Apps\\", "C:\\ws\\Apps\\App.KBP"},
      {"App", "Apps", "C:\\ws\\Apps\\App.KBP"},
      {"App", "C:\\ws\\Apps", "C:\\ws\\Apps\\App.KBP"},
      {"App", "C:\\ws\\.\\Apps\\\\", "C:\\ws\\Apps\\App.KBP"},
  };
  for (const auto& c : kCases) {
    World world;
    std::string file;
    ASSERT_TRUE(world.New(Request(c.name, "MX-520", "", 64, c.folder), &file))
        << c.name << " " << world.Status();
    EXPECT_EQ(file, c.project_file) << c.name;
    EXPECT_EQ(world.services.commands, std::vector<int>{12804});
    EXPECT_NE(world.workspace->projects().Find("App.abs"), nullptr);
  }
}

// The files of a new project, compared whole with the expected ones in
// testdata (ZELVAN_UPDATE_GOLDEN=1 writes them anew).
TEST(ProjectCommands, CreatedProjectsPerFamilyAndType) {
  const struct {
    const char* golden;
    const char* name;
    const char* cpu;
    const char* type;
    int memory;
    const char* model;
    const char* language;
  } kCases[] = {
      {"mx520r1_abs", "App", "MX-520/R1", "abs", 64, "", nullptr},
      {"mx520_blank_in_name", "My App", "MX-520", "abs", 64, "", nullptr},
      {"mx520_lib", "Filters", "MX-520", "lib", 64, "", nullptr},
      {"mx520_full_128k", "Full", "MX-520", "full", 64, "128k", nullptr},
      {"mx520_full_japanese", "Full", "MX-520", "full", 64, "", "1041"},
      {"mx310p1_96k_abs", "Meter", "MX-310/P1", "abs", 96, "", nullptr},
      {"mx310p1_lib", "Gauge", "MX-310/P1", "lib", 64, "", nullptr},
      {"mx310p1_96k_full", "Panel", "MX-310/P1", "full", 96, "", nullptr},
      {"mx310p_abs", "Pump", "MX-310/P", "abs", 64, "", nullptr},
      {"mx310p_lib", "Valves", "MX-310/P", "lib", 64, "", nullptr},
      {"mx310p_full", "Pump", "MX-310/P", "full", 64, "", nullptr},
      {"k310sa1_abs", "Tag", "K310SA1", "abs", 64, "", nullptr},
      {"k310sa1_lib", "Codec", "K310SA1", "lib", 64, "", nullptr},
      {"k310sa1_full", "Tag", "K310SA1", "full", 64, "", nullptr},
      {"mr44_abs", "Probe", "MR44", "abs", 64, "", nullptr},
      {"mr44_lib", "Dsp", "MR44", "lib", 64, "", nullptr},
      {"mr44_full", "Probe", "MR44", "full", 64, "", nullptr},
      {"mr44a_abs", "Radio", "MR44A", "abs", 64, "", nullptr},
      {"mr44a_lib", "Crypto", "MR44A", "lib", 64, "", nullptr},
      {"mr44a_full", "Radio", "MR44A", "full", 64, "", nullptr},
  };
  PosixFileSystem testdata({{{'G', ZELVAN_SOURCE_DIR "/src/projects/testdata"}}, ""}, "/");
  bool update = std::getenv("ZELVAN_UPDATE_GOLDEN") != nullptr;
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.golden);
    World world(AnswerPolicy::kSafe, c.language);
    NewProjectRequest request = Request(c.name, c.cpu, c.type, c.memory);
    request.memory_model = c.model;
    request.toolchain_folder = "K:\\Tools\\MX520\\";
    ASSERT_TRUE(world.New(request)) << world.Status();
    // Every file of the project folder but the dependency file, in name order.
    std::string actual;
    std::string folder = "C:\\ws\\" + std::string(c.name) + "\\";
    for (const auto& [path, text] : world.Snapshot()) {
      if (StartsWithNoCase(path, folder) && !EndsWithNoCase(path, ".kde")) {
        actual += "=== " + path.substr(folder.size()) + "\n" + text;
      }
    }
    std::string golden = "G:\\" + std::string(c.golden) + ".txt";
    if (update) WriteFileAtomic(testdata, golden, actual);
    std::string expected;
    ASSERT_TRUE(testdata.ReadFile(golden, &expected)) << golden;
    EXPECT_EQ(testing::Visible(actual), testing::Visible(expected));
  }
}

// A question about a file of the project folder that exists: Cancel keeps it
// (result 1), OK replaces it.
TEST(ProjectCommands, ExistingFilesOfTheFolder) {
  for (AnswerPolicy policy : {AnswerPolicy::kSafe, AnswerPolicy::kYes}) {
    World world(policy);
    world.memory.AddFile("C:\\ws\\Big\\main.c", "mine");
    int result = -1;
    ASSERT_TRUE(CreateFullProject(*world.workspace, world.util, world.services,
                                  Request("Big", "MX-520", "full"), true, &result));
    EXPECT_EQ(result, policy == AnswerPolicy::kSafe ? 1 : 0);
    EXPECT_EQ(*world.memory.Contents("C:\\ws\\Big\\main.c") == "mine",
              policy == AnswerPolicy::kSafe);
    EXPECT_NE(world.messages.str().find("KOVA: The file C:\\ws\\Big\\main.c already exists. "
                                        "Replace it?"),
              std::string::npos);
  }
}

TEST(ProjectCommands, CopyAndRenameCarryTheIdeFiles) {
  World world;
  const std::string kMotor = "C:\\ws\\Motor\\Motor";
  world.memory.AddFile(kMotor + ".KPR", "[PROFILE.KBP]\r\nMotor.KBP=1\r\nOther=2\r\n");
  world.memory.AddFile(kMotor + ".KPA", "[PROJECT]\r\nLCFOPEN=1\r\n");
  world.memory.AddFile(kMotor + ".KCC", "cc");
  world.memory.AddFile(kMotor + ".KLO", "layout");
  world.memory.AddFile(kMotor + ".kfv", "functions");
  world.memory.SetReadOnly(kMotor + ".KPA", true);
  std::string motor = *world.memory.Contents(kMotor + ".kbp");

  ASSERT_TRUE(world.Copy("Motor.abs")) << world.Status();
  EXPECT_EQ(world.memory.Contents("C:\\ws\\Motor\\CopyMotor.KPR"),
            "[PROFILE.KBP]\r\nOther=2\r\nCopyMotor.KBP=1\r\n");
  std::string copy = *world.memory.Contents("C:\\ws\\Motor\\CopyMotor.kbp");
  EXPECT_NE(copy.find("OUTPUT=CopyMotor.abs\r\n"), std::string::npos);
  EXPECT_FALSE(world.memory.Contents("C:\\ws\\Motor\\CopyMotor.KPA"));
  EXPECT_EQ(world.workspace->projects().All().size(), 3u);
  EXPECT_FALSE(world.Copy("Motor"));
  EXPECT_EQ(world.workspace->GetLastStatus(), 5023u);

  ASSERT_TRUE(world.Rename("Motor", "Drive")) << world.Status();
  const std::string kDrive = "C:\\ws\\Motor\\Drive";
  EXPECT_EQ(world.memory.Contents(kDrive + ".KPR"), "[PROFILE.KBP]\r\nOther=2\r\nDrive.KBP=1\r\n");
  EXPECT_EQ(world.memory.Contents(kDrive + ".KPA"), "[PROJECT]\r\nLCFOPEN=1\r\n");
  FileStatus status;
  EXPECT_TRUE(world.fs.Stat(kDrive + ".KPA", &status) && status.read_only);
  EXPECT_EQ(world.memory.Contents(kDrive + ".KCC"), "cc");
  EXPECT_EQ(world.memory.Contents(kDrive + ".KLO"), "layout");
  for (const char* gone : {".kbp", ".KPR", ".KPA", ".KCC", ".KLO", ".kfv"})
    EXPECT_FALSE(world.memory.Contents(kMotor + gone)) << gone;
  // The project file changes only in the names it holds.
  for (const char* key : {"Name=", "OUTPUT=", "\\Debug\\", "\\Release\\", "TARGET_NAME="}) {
    Edit(world, kDrive + ".kbp", std::string(key) + "Drive", std::string(key) + "Motor");
  }
  EXPECT_EQ(world.memory.Contents(kDrive + ".kbp"), motor);
  // The same name again changes nothing at all.
  Files before = world.Snapshot();
  EXPECT_TRUE(world.Rename("Drive", " Drive.abs "));
  EXPECT_EQ(Differences(world.Snapshot(), before), "");
}

TEST(ProjectCommands, RenameKeepsThePlaceAndTheLinks) {
  World world;
  ASSERT_TRUE(
      world.workspace->AddLinkProject(std::string_view("Sensor"), std::string_view("Motor")));
  ASSERT_TRUE(world.workspace->document().SaveLinkLists());
  ASSERT_TRUE(world.Rename("Motor", "Drive.abs")) << world.Status();
  const std::string expected =
      "active C:\\ws\\Motor\\Drive.kbp\n"
      "C:\\ws\\MathLib\\MathLib.kbp links \n"
      "C:\\ws\\Motor\\Drive.kbp links MathLib.lib;\n"
      "C:\\ws\\Sensor\\Sensor.kbp links Drive.abs;\n"
      "host C:\\ws\\MathLib\\MathLib.kbp\n"
      "host C:\\ws\\Motor\\Drive.kbp\n"
      "host C:\\ws\\Sensor\\Sensor.kbp\n"
      "working copies 3\n";
  EXPECT_EQ(world.State(), expected);
  EXPECT_EQ(world.workspace->selection().CurrentProjectName(), "Drive.abs");
  EXPECT_EQ(world.memory.Contents("C:\\ws\\Example.kwa"),
            "[Builder]\r\nComposition=Debug\r\nLinkProject0=MathLib.lib;\r\n"
            "LinkProject1=Drive.abs;MathLib.lib;\r\nLinkProject2=Sensor.abs;Drive.abs;\r\n"
            "LinkProject=3\r\n");
  world.Reopen();
  EXPECT_EQ(world.State(), expected);
}

// A failure at every write of each command: either the command fails and
// everything is as it was, or it recovers and the result is the one of a
// run without failures.
TEST(ProjectCommands, EveryWriteFailureLeavesAllAsItWas) {
  const struct {
    const char* name;
    std::function<bool(World&)> run;
  } kScenarios[] = {
      {"new", [](World& w) { return w.New(Request("Fresh", "MX-520/R1")); }},
      {"new full", [](World& w) { return w.New(Request("Fresh", "MX-310/P1", "full", 96)); }},
      {"copy", [](World& w) { return w.Copy("Motor"); }},
      {"rename", [](World& w) { return w.Rename("Motor", "Drive"); }},
  };
  const FsOp kWrites[] = {FsOp::kOpenForWrite, FsOp::kAppend,      FsOp::kFlush,
                          FsOp::kSync,         FsOp::kClose,       FsOp::kRename,
                          FsOp::kCopyFile,     FsOp::kSetReadOnly, FsOp::kCreateDirectory};
  auto prepare = [](World& world) {
    // Workspace settings that the first save adds link lists to, and a file
    // of the new project's folder that the user lets the template replace.
    world.memory.AddFile(kSettings, "[Builder]\r\nComposition=Debug\r\n");
    world.Reopen();
    world.memory.AddFile("C:\\ws\\Fresh\\main.c", "mine");
    world.memory.AddFile("C:\\ws\\Motor\\Motor.KPR", "[PROFILE.KBP]\r\nMotor.KBP=1\r\n");
    world.memory.SetReadOnly("C:\\ws\\Motor\\Motor.KPR", true);
  };
  for (const auto& scenario : kScenarios) {
    World clean(AnswerPolicy::kYes);
    prepare(clean);
    clean.fs.ResetCounts();
    ASSERT_TRUE(scenario.run(clean)) << scenario.name << " " << clean.Status();
    Files done = clean.Snapshot();
    int failed_runs = 0;
    for (FsOp op : kWrites) {
      for (int n = 1; n <= clean.fs.Count(op); ++n) {
        SCOPED_TRACE(std::string(scenario.name) + ", " + testing::FsOpName(op) + " #" +
                     std::to_string(n));
        World world(AnswerPolicy::kYes);
        prepare(world);
        Files before = world.Snapshot();
        std::string state = world.State();
        world.fs.ResetCounts();
        world.fs.FailNth(op, n);
        if (scenario.run(world)) {
          // A settings write that failed and was made again may have put
          // its key after others.
          Files now = world.Snapshot();
          EXPECT_EQ(Entries(now[kSettings]), Entries(done[kSettings]));
          now[kSettings] = done[kSettings];
          // An old file that a rename could not delete stays, with a warning.
          std::string left = Differences(now, done);
          if (!left.empty()) {
            EXPECT_EQ(left, "new C:\\ws\\Motor\\Motor.KPR\n");
            EXPECT_NE(world.messages.str().find("could not be deleted"), std::string::npos);
          }
          continue;
        }
        ++failed_runs;
        EXPECT_EQ(Differences(world.Snapshot(), before), "");
        EXPECT_EQ(world.State(), state);
      }
    }
    EXPECT_GT(failed_runs, 5) << scenario.name;
  }
}

}  // namespace
}  // namespace zelvan
