// SystemServices for tests: an environment of its own (the process's is never
// touched), fixed user and computer names, a clock the test sets, and named
// objects kept in memory. Libraries cannot be loaded.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "platform/system_services.h"

namespace zelvan::testing {

class FakeSystemServices : public SystemServices {
 public:
  FakeSystemServices();

  std::optional<std::string> GetEnv(std::string_view name) override;
  bool SetEnv(std::string_view name, std::string_view value) override;
  bool UnsetEnv(std::string_view name) override;
  std::string UserName() override { return user_name; }
  std::string ComputerName() override { return computer_name; }
  LocalTime Now() override { return now; }
  std::string ExecutableHostPath() override { return executable; }
  bool NamedObjectExists(std::string_view name) override;
  bool CreateNamedObject(std::string_view name) override;
  bool RemoveNamedObject(std::string_view name) override;
  std::unique_ptr<DynamicLibrary> LoadLibrary(std::string_view host_path,
                                              std::string* error) override;

  // Test state, free to change.
  std::map<std::string, std::string> env;  // exact names
  std::string user_name = "tester";
  std::string computer_name = "BENCH-PC";
  std::string executable = "/opt/kova/bin/kova";  // host path
  LocalTime now{2024, 3, 7, 9, 5, 2};
  std::set<std::string> named_objects;
};

}  // namespace zelvan::testing
