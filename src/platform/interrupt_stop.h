// Ctrl-C as the workspace's stop request. The workspace asks whether the
// named stop object of its session exists (another process creates it, see
// `zelvan stop`); on the command line the first Ctrl-C answers yes as well,
// so a long refresh ends after the file at hand, with every file it writes
// whole, instead of the process being killed.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/interrupt.h"
#include "platform/system_services.h"

namespace zelvan {

class InterruptibleSystemServices final : public SystemServices {
 public:
  // `inner` must outlive this object. Installs the Ctrl-C handler, and
  // removes it again when it goes.
  explicit InterruptibleSystemServices(SystemServices& inner) : inner_(inner) {
    InstallInterruptHandler();
  }
  ~InterruptibleSystemServices() override { RemoveInterruptHandler(); }

  std::optional<std::string> GetEnv(std::string_view name) override { return inner_.GetEnv(name); }
  bool SetEnv(std::string_view name, std::string_view value) override {
    return inner_.SetEnv(name, value);
  }
  bool UnsetEnv(std::string_view name) override { return inner_.UnsetEnv(name); }
  std::string UserName() override { return inner_.UserName(); }
  std::string ComputerName() override { return inner_.ComputerName(); }
  LocalTime Now() override { return inner_.Now(); }
  std::string ExecutableHostPath() override { return inner_.ExecutableHostPath(); }
  // Every stop object counts as there once Ctrl-C was pressed.
  bool NamedObjectExists(std::string_view name) override {
    return InterruptRequested() || inner_.NamedObjectExists(name);
  }
  bool CreateNamedObject(std::string_view name) override { return inner_.CreateNamedObject(name); }
  bool RemoveNamedObject(std::string_view name) override { return inner_.RemoveNamedObject(name); }
  bool CreateNamedObjectFor(std::string_view name, std::string_view owner_tag) override {
    return inner_.CreateNamedObjectFor(name, owner_tag);
  }
  std::unique_ptr<DynamicLibrary> LoadLibrary(std::string_view host_path,
                                              std::string* error) override {
    return inner_.LoadLibrary(host_path, error);
  }

 private:
  SystemServices& inner_;
};

}  // namespace zelvan
