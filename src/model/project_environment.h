// What the projects of a workspace take from the process-wide objects: the
// language tables that classify their source files, the service settings
// (whose source extensions choose a file's tree image), the extension list
// that a host may supply, and the hooks of the layers above. The workspace
// owns one and hands it to every project it makes; all of it must outlive
// the projects.
#pragma once

#include <string>
#include <vector>

namespace zelvan {

class LanguageTable;
class ServiceSettings;
class WorkspaceHooks;

struct ProjectEnvironment {
  const LanguageTable* languages = nullptr;   // never null in an environment a project is given
  const ServiceSettings* settings = nullptr;  // null: no extension is a source extension
  // Extensions (without dot) that mark a file ListedExtension. Nothing in
  // the system fills it; a host may.
  std::vector<std::string> listed_extensions;
  WorkspaceHooks* hooks = nullptr;  // null: nothing is done beyond the model
};

}  // namespace zelvan
