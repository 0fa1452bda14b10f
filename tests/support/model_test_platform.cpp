#include "tests/support/model_test_platform.h"

#include "platform/ansi_text.h"

namespace zelvan::testing {

namespace {

Platform MakePlatform(FileSystem& fs, PrivateProfile& profile, Registry* registry,
                      SystemServices& system, UiHooks& ui) {
  return Platform{&fs, &profile, registry, &system, &ui};
}

}  // namespace

ModelTestPlatform::ModelTestPlatform()
    : registry(CreateFileRegistry(profile, "C:\\registry.ini")),
      platform(MakePlatform(fs, profile, registry.get(), system, ide)) {
  system.env["TEMP"] = "C:\\Temp";
  system.env["PATH"] = "C:\\Windows;C:\\KOVA\\bin";
  memory.AddDirectory("C:\\Temp");
}

ModelTestPlatform::~ModelTestPlatform() = default;

std::vector<std::string> ModelTestPlatform::WorkingCopies() const {
  std::vector<std::string> copies;
  for (const std::string& file : memory.AllFiles()) {
    if (StartsWithNoCase(file, "C:\\Temp\\KOVA\\")) copies.push_back(file);
  }
  return copies;
}

std::unique_ptr<Workspace> ModelTestPlatform::NewWorkspace(WorkspaceHooks* hooks) {
  return std::make_unique<Workspace>(platform, settings, ide, hooks);
}

std::string Crlf(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    if (text[i] == '\n') out += '\r';
    out += text[i];
  }
  return out;
}

std::string SourceFolder(std::string_view name, const std::vector<std::string>& files,
                         std::string_view keys) {
  std::string text = "[" + std::string(name) + "]\n" + std::string(keys) +
                     "SOURCECOUNT=" + std::to_string(files.size()) + "\n";
  for (size_t i = 0; i < files.size(); ++i)
    text += "SOURCE" + std::to_string(i) + "=" + files[i] + "\n";
  return text;
}

}  // namespace zelvan::testing
