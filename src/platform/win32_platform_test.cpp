// The Win32 platform's own services, on the real system (Windows, or Wine
// on Linux): the registry, the stop objects, the process's names and
// environment, process tags, local time and child processes. The file
// system passes the contract of file_system_test.cpp.
#include <gtest/gtest.h>

#include <optional>

#include "platform/ansi_text.h"
#include "platform/child_process.h"
#include "platform/file_system.h"
#include "platform/local_time.h"
#include "platform/private_profile.h"
#include "platform/process_tag.h"
#include "platform/win32_api.h"
#include "platform/win32_file_system.h"
#include "platform/win32_registry.h"
#include "platform/win32_system_services.h"
#include "tests/support/temp_dir.h"

namespace zelvan {
namespace {

// Everything below one key of the current user, removed at the end.
TEST(Win32PlatformTest, RegistryOfTheCurrentUser) {
  const std::string root = "Software\\ZelvanTest-" + OwnProcessTag();
  std::unique_ptr<Registry> registry = CreateWin32Registry();
  EXPECT_FALSE(registry->KeyExists(root));
  ASSERT_TRUE(registry->WriteString(root + "\\Builder", "Path", "C:\\KOVA\\bin"));
  ASSERT_TRUE(registry->WriteString(root + "\\Builder\\MX-520\\INC", "FILE0", "inc"));
  ASSERT_TRUE(registry->WriteString(root + "\\Builder", "@", "default"));
  HKEY key;
  ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, (root + "\\Builder").c_str(), 0, nullptr, 0,
                              KEY_SET_VALUE, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  DWORD one = 1;
  ::RegSetValueExA(key, "BuildMake", 0, REG_DWORD, reinterpret_cast<BYTE*>(&one), sizeof one);
  ::RegCloseKey(key);

  EXPECT_TRUE(registry->KeyExists(root + "\\builder\\"));  // case and a trailing `\` ignored
  EXPECT_EQ(registry->SubKeys(root + "\\Builder"), std::vector<std::string>{"MX-520"});
  std::string text;
  ASSERT_TRUE(registry->ReadString(root + "\\Builder", "path", &text));
  EXPECT_EQ(text, "C:\\KOVA\\bin");
  ASSERT_TRUE(registry->ReadString(root + "\\Builder", "@", &text));
  EXPECT_EQ(text, "default");
  uint32_t dword = 0;
  ASSERT_TRUE(registry->ReadDword(root + "\\Builder", "BuildMake", &dword));
  EXPECT_EQ(dword, 1u);
  EXPECT_FALSE(registry->ReadDword(root + "\\Builder", "Path", &dword));  // of the other type
  EXPECT_FALSE(registry->ReadString(root + "\\Builder", "BuildMake", &text));
  EXPECT_FALSE(registry->ReadString(root + "\\Builder", "Missing", &text));

  // Only an empty key is removed.
  EXPECT_FALSE(registry->DeleteKey(root + "\\Builder\\MX-520"));
  EXPECT_TRUE(registry->DeleteValue(root + "\\Builder\\MX-520\\INC", "FILE0"));
  EXPECT_TRUE(registry->DeleteValue(root + "\\Builder\\MX-520\\INC", "FILE0"));  // gone already
  EXPECT_TRUE(registry->DeleteKey(root + "\\Builder\\MX-520\\INC"));
  EXPECT_TRUE(registry->DeleteKey(root + "\\Builder\\MX-520"));
  EXPECT_TRUE(registry->SubKeys(root + "\\Builder").empty());
  for (const char* value : {"Path", "@", "BuildMake"})
    EXPECT_TRUE(registry->DeleteValue(root + "\\Builder", value));
  EXPECT_TRUE(registry->DeleteKey(root + "\\Builder"));
  EXPECT_TRUE(registry->DeleteKey(root));
  EXPECT_FALSE(registry->KeyExists(root));
  EXPECT_TRUE(registry->Flush());
}

// A stop object is a named mutex: another process (here: other services)
// sees it while its maker holds it, and not after.
TEST(Win32PlatformTest, StopObjectsAreNamedMutexes) {
  std::unique_ptr<SystemServices> maker = CreateWin32SystemServices();
  std::unique_ptr<SystemServices> asker = CreateWin32SystemServices();
  const std::string name = "20240307-" + OwnProcessTag();
  EXPECT_FALSE(asker->NamedObjectExists(name));
  ASSERT_TRUE(maker->CreateNamedObject(name));
  EXPECT_TRUE(asker->NamedObjectExists(name));
  EXPECT_FALSE(asker->NamedObjectExists(name + "-other"));
  HANDLE mutex = ::OpenMutexA(SYNCHRONIZE, FALSE, name.c_str());
  EXPECT_NE(mutex, nullptr);  // a real mutex, as the Windows host's other programs see it
  if (mutex != nullptr) ::CloseHandle(mutex);
  EXPECT_FALSE(asker->RemoveNamedObject(name));  // not the asker's to let go
  EXPECT_TRUE(maker->RemoveNamedObject(name));
  EXPECT_FALSE(asker->NamedObjectExists(name));
  ASSERT_TRUE(maker->CreateNamedObject("a\\b"));  // no namespace: plain text
  EXPECT_TRUE(asker->NamedObjectExists("a\\b"));
  maker.reset();
  EXPECT_FALSE(asker->NamedObjectExists("a\\b"));
}

// A stop request to a running process outlives the command that made it: the
// process it is for gets a handle to the mutex, so it stays after its maker
// has gone, until that process ends. A process that is gone gets none.
TEST(Win32PlatformTest, StopRequestsOutliveTheirMaker) {
  std::unique_ptr<SystemServices> maker = CreateWin32SystemServices();
  std::unique_ptr<SystemServices> asker = CreateWin32SystemServices();
  const std::string name = "20240308-" + OwnProcessTag();
  ASSERT_TRUE(maker->CreateNamedObjectFor(name, OwnProcessTag()));
  maker.reset();
  EXPECT_TRUE(asker->NamedObjectExists(name));
  EXPECT_FALSE(asker->CreateNamedObjectFor(name + "-gone", "4000000000-1"));
  EXPECT_FALSE(asker->NamedObjectExists(name + "-gone"));

  // Through a child process that ends at once, as `zelvan stop` does: the
  // same program, asked to make the request for this one.
  const std::string child_name = "20240309-" + OwnProcessTag();
  ChildProcess child;
  child.program = asker->ExecutableHostPath();
  child.arguments = {"--gtest_filter=Win32PlatformTest.MakeStopRequest"};
  child.environment = {{"ZELVAN_TEST_STOP_REQUEST", child_name + "|" + OwnProcessTag()}};
  child.discard_output = true;
  int status = -1;
  std::string error;
  ASSERT_TRUE(RunChildProcess(child, nullptr, &status, &error)) << error;
  EXPECT_EQ(status, 0);
  EXPECT_TRUE(asker->NamedObjectExists(child_name));
}

// The child of StopRequestsOutliveTheirMaker; does nothing when run alone.
TEST(Win32PlatformTest, MakeStopRequest) {
  std::unique_ptr<SystemServices> system = CreateWin32SystemServices();
  std::optional<std::string> request = system->GetEnv("ZELVAN_TEST_STOP_REQUEST");
  if (!request) return;
  const size_t bar = request->find('|');
  ASSERT_NE(bar, std::string::npos);
  EXPECT_TRUE(system->CreateNamedObjectFor(request->substr(0, bar), request->substr(bar + 1)));
}

TEST(Win32PlatformTest, ProcessNamesTimeAndEnvironment) {
  std::unique_ptr<SystemServices> system = CreateWin32SystemServices();
  EXPECT_FALSE(system->UserName().empty());
  EXPECT_FALSE(system->ComputerName().empty());
  EXPECT_TRUE(system->ExecutableHostPath().ends_with(".exe")) << system->ExecutableHostPath();
  EXPECT_FALSE(system->GetEnv("ZELVAN_TEST_VARIABLE").has_value());
  ASSERT_TRUE(system->SetEnv("ZELVAN_TEST_VARIABLE", ""));
  EXPECT_EQ(system->GetEnv("zelvan_test_variable"), "");  // set, and empty
  ASSERT_TRUE(system->SetEnv("ZELVAN_TEST_VARIABLE", std::string(5000, 'v')));
  EXPECT_EQ(system->GetEnv("ZELVAN_TEST_VARIABLE"), std::string(5000, 'v'));
  EXPECT_TRUE(system->UnsetEnv("ZELVAN_TEST_VARIABLE"));
  EXPECT_TRUE(system->UnsetEnv("ZELVAN_TEST_VARIABLE"));
  EXPECT_FALSE(system->GetEnv("ZELVAN_TEST_VARIABLE").has_value());

  // Local time both ways, and the clock against the file times' conversion.
  const LocalTime kTimes[] = {
      {2024, 3, 7, 9, 5, 2}, {1999, 12, 31, 23, 59, 59}, {2024, 2, 29, 0, 0, 0}};
  for (const LocalTime& time : kTimes)
    EXPECT_EQ(ToLocalTime(FromLocalTime(time)), time) << time.year;
  LocalTime now = system->Now();
  EXPECT_GE(now.year, 2024);
  std::string error;
  std::unique_ptr<DynamicLibrary> library = system->LoadLibrary("kernel32.dll", &error);
  ASSERT_NE(library, nullptr) << error;
  EXPECT_NE(library->FindSymbol("GetTickCount"), nullptr);
  EXPECT_EQ(library->FindSymbol("NoSuchFunction"), nullptr);
  EXPECT_EQ(system->LoadLibrary("C:\\no\\such.dll", &error), nullptr);
  EXPECT_FALSE(error.empty());
}

TEST(Win32PlatformTest, ProcessTagsAndChildProcesses) {
  EXPECT_TRUE(IsProcessTag(OwnProcessTag()));
  EXPECT_TRUE(IsProcessTagAlive(OwnProcessTag()));
  std::string own_pid = OwnProcessTag().substr(0, OwnProcessTag().find('-'));
  EXPECT_FALSE(IsProcessTagAlive(own_pid + "-1"));  // the same number, another start
  std::string path = *CreateWin32SystemServices()->GetEnv("PATH");
  std::string cmd = FindProgramOnPath("cmd", path);
  ASSERT_FALSE(cmd.empty());
  EXPECT_TRUE(EndsWithNoCase(cmd, "cmd.exe")) << cmd;
  EXPECT_EQ(FindProgramOnPath("no-such-program", path), "");

  ChildProcess child;
  child.program = cmd;
  child.arguments = {"/c", "echo %ZELVAN_CHILD%& exit 3"};
  child.environment = {{"ZELVAN_CHILD", "from the parent"}};
  std::string output, error;
  int status = -1;
  ASSERT_TRUE(RunChildProcess(child, &output, &status, &error)) << error;
  EXPECT_EQ(status, 3);
  EXPECT_EQ(output.substr(0, output.find_first_of("\r\n")), "from the parent");
  ChildOutcome outcome;
  child.arguments = {"/c", "exit 4"};
  ASSERT_TRUE(RunChildProcessGroup(child, nullptr, 20, &outcome, &error)) << error;
  EXPECT_EQ(outcome.exit_status, 4);
  child.program = "C:\\no\\such.exe";
  EXPECT_FALSE(RunChildProcess(child, nullptr, &status, &error));
  EXPECT_NE(error.find("C:\\no\\such.exe"), std::string::npos) << error;
}

// Our own parser reads the profiles (it keeps a validated cache and writes
// them atomically, which the system's functions do not): on ordinary files
// it reads what GetPrivateProfileString reads. Corner cases where Wine and
// Windows differ (quotes, blanks inside brackets, lines without `=`) are
// left to private_profile_test.cpp, which checks our rules.
TEST(Win32PlatformTest, ProfilesReadAsTheSystemReadsThem) {
  testing::TempDir dir;
  Win32FileSystem fs(dir.path());
  std::string file = fs.FullPath("app.ini");
  ASSERT_TRUE(WriteFileAtomic(fs, file,
                              "; settings\r\n[Build]\r\nTarget=Debug\r\n  Spaced  =  value  \r\n"
                              "target=second\r\n[other]\r\nk=v\r\n"));
  PrivateProfile profile(fs);
  const struct {
    const char* section;
    const char* key;
  } kReads[] = {{"Build", "Target"}, {"build", "TARGET"}, {"Build", "Spaced"},
                {"OTHER", "k"},      {"Build", "k"},      {"Missing", "Target"}};
  for (const auto& read : kReads) {
    SCOPED_TRACE(std::string(read.section) + "/" + read.key);
    char system[256];
    ::GetPrivateProfileStringA(read.section, read.key, "-", system, sizeof system, file.c_str());
    EXPECT_EQ(profile.GetString(read.section, read.key, "-", file), system);
  }
  // A write reaches the disk whole at the flush, and the system reads it.
  ASSERT_TRUE(profile.WriteString("Build", "Target", "Release", file));
  ASSERT_TRUE(profile.Flush(file));
  char system[256];
  ::GetPrivateProfileStringA("Build", "Target", "-", system, sizeof system, file.c_str());
  EXPECT_STREQ(system, "Release");
  std::vector<DirectoryEntry> entries;
  ASSERT_TRUE(fs.ListDirectory(dir.path(), "*", &entries));
  ASSERT_EQ(entries.size(), 1u);  // no temporary left beside it
}

}  // namespace
}  // namespace zelvan
