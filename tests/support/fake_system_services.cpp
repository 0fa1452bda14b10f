#include "tests/support/fake_system_services.h"

namespace zelvan::testing {

FakeSystemServices::FakeSystemServices() = default;

std::optional<std::string> FakeSystemServices::GetEnv(std::string_view name) {
  auto it = env.find(std::string(name));
  if (it == env.end()) return std::nullopt;
  return it->second;
}

bool FakeSystemServices::SetEnv(std::string_view name, std::string_view value) {
  env[std::string(name)] = std::string(value);
  return true;
}

bool FakeSystemServices::UnsetEnv(std::string_view name) {
  env.erase(std::string(name));
  return true;
}

bool FakeSystemServices::NamedObjectExists(std::string_view name) {
  return named_objects.count(std::string(name)) != 0;
}

bool FakeSystemServices::CreateNamedObject(std::string_view name) {
  return named_objects.insert(std::string(name)).second;
}

bool FakeSystemServices::RemoveNamedObject(std::string_view name) {
  return named_objects.erase(std::string(name)) != 0;
}

std::unique_ptr<DynamicLibrary> FakeSystemServices::LoadLibrary(std::string_view host_path,
                                                                std::string* error) {
  if (error) *error = "no libraries in tests: " + std::string(host_path);
  return nullptr;
}

}  // namespace zelvan::testing
