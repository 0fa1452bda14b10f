// A project's source files: any bytes as a project file, opened the way the
// workspace opens a project, then files added to it. Every file is held
// once; an added file is found again when the project is read anew; a
// refused one leaves the working copy byte for byte as it was.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <string_view>

#include "model/project.h"
#include "model/source_file.h"
#include "platform/ansi_text.h"
#include "platform/platform.h"
#include "platform/private_profile.h"
#include "tests/support/fake_system_services.h"
#include "tests/support/memory_file_system.h"

namespace {

constexpr const char* kProjectFile = "C:\\p\\App.kbp";

void CheckUnique(const zelvan::Project& project) {
  std::set<std::string, zelvan::NoCaseLess> paths, relative;
  for (const auto& file : project.sources().Files()) {
    if (!paths.insert(file->FullPath()).second) std::abort();
    if (!relative.insert(file->RelativePath()).second) std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  zelvan::testing::MemoryFileSystem fs;
  zelvan::testing::FakeSystemServices system;
  system.env["TEMP"] = "C:\\Temp";
  zelvan::PrivateProfile profile(fs);
  zelvan::Platform platform{&fs, &profile, nullptr, &system, nullptr};
  fs.AddFile(kProjectFile, std::string_view(reinterpret_cast<const char*>(data), size));
  for (const char* file : {"C:\\p\\a.c", "C:\\p\\src\\b.asm", "C:\\p\\x.h", "C:\\q\\c.lcf",
                           "C:\\p\\odd]name.c", "D:\\lib\\rt.lib"}) {
    fs.AddFile(file, "");
  }

  zelvan::Project project(platform, kProjectFile, "App.kbp");
  std::string error;
  if (!project.Open(&error)) return 0;
  project.store().LoadWholeFile();
  project.LoadSettings();
  project.store().ReleaseWholeFile();
  CheckUnique(project);

  for (const char* file : {"C:\\p\\a.c", "C:\\p\\src\\b.asm", "C:\\p\\x.h", "C:\\q\\c.lcf",
                           "C:\\p\\odd]name.c", "D:\\lib\\rt.lib", "C:\\p\\a.c"}) {
    profile.Flush(project.paths().working_copy);
    std::string before = fs.Contents(project.paths().working_copy).value_or("");
    zelvan::SourceFile* added = nullptr;
    if (project.sources().Add(file, &added) != zelvan::ProjectSources::AddFileResult::kAdded) {
      profile.Flush(project.paths().working_copy);
      if (fs.Contents(project.paths().working_copy).value_or("") != before) std::abort();
      continue;
    }
    if (added == nullptr || !zelvan::EqualsNoCase(added->FullPath(), file)) std::abort();
    // Read anew, the project lists the file.
    project.store().LoadWholeFile();
    project.LoadSettings();
    project.store().ReleaseWholeFile();
    CheckUnique(project);
    if (project.sources().Find(file) == nullptr) std::abort();
  }
  return 0;
}
