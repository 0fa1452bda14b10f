// The services of the operating system that the system uses, in one bundle
// that is created once (by the command line, a host or a test) and handed
// down. Nothing outside src/platform reaches the operating system any other way.
#pragma once

namespace zelvan {

class FileSystem;
class PrivateProfile;
class Registry;
class SystemServices;
class UiHooks;

struct Platform {
  FileSystem* fs = nullptr;
  PrivateProfile* profile = nullptr;  // the process-wide private-profile cache over `fs`
  Registry* registry = nullptr;
  SystemServices* system = nullptr;
  UiHooks* ui = nullptr;
};

}  // namespace zelvan
