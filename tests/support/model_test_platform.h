// A platform for tests of the project model: an in-memory file system behind
// a fault-injecting wrapper, the private-profile cache over it, a registry
// read from "C:\registry.ini" (missing until a test writes it), fake system
// services with TEMP set to "C:\Temp", and a recording IDE that also answers
// the UI hooks. Workspaces made by NewWorkspace use all of them.
//
//   ModelTestPlatform env;
//   env.AddFile("C:\\ws\\app.kbp", kAppProject);
//   env.ide.project_files = {"C:\\ws\\app.kbp"};
//   auto workspace = env.NewWorkspace();
//   ASSERT_TRUE(workspace->document().Open("C:\\ws\\ws.kws"));
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "model/service_settings.h"
#include "model/workspace.h"
#include "platform/platform.h"
#include "platform/private_profile.h"
#include "platform/registry.h"
#include "tests/support/fake_system_services.h"
#include "tests/support/faulty_file_system.h"
#include "tests/support/memory_file_system.h"
#include "tests/support/recording_ide_services.h"

namespace zelvan::testing {

class ModelTestPlatform {
 public:
  ModelTestPlatform();
  ~ModelTestPlatform();

  // Writes a file; `text` lines end as given.
  void AddFile(std::string_view path, std::string_view text) { memory.AddFile(path, text); }
  std::string Contents(std::string_view path) const { return memory.Contents(path).value_or(""); }
  // Every file below C:\Temp\KOVA (the working copies).
  std::vector<std::string> WorkingCopies() const;
  std::unique_ptr<Workspace> NewWorkspace(WorkspaceHooks* hooks = nullptr);

  MemoryFileSystem memory;
  FaultyFileSystem fs{memory};
  PrivateProfile profile{fs};
  std::unique_ptr<Registry> registry;
  FakeSystemServices system;
  RecordingIdeServices ide;
  Platform platform;
  ServiceSettings settings{platform};
};

// Replaces CR LF by LF and LF by CR LF: test texts are written with "\n" and
// stored the way project files are.
std::string Crlf(std::string_view text);

// A folder section of a project file listing `files` in order, its other
// keys (`keys`, lines ended by "\n") first:
// "[<name>]\n<keys>SOURCECOUNT=<n>\nSOURCE0=<first file>\n...".
std::string SourceFolder(std::string_view name, const std::vector<std::string>& files,
                         std::string_view keys = "");

}  // namespace zelvan::testing
