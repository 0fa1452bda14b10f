#include "host/write_locks.h"

#include <cstdlib>

#include "platform/system_services.h"
#include "platform/win_path.h"

namespace zelvan {

std::chrono::milliseconds WriteLocks::TimeoutFrom(SystemServices& system) {
  std::optional<std::string> text = system.GetEnv("ZELVAN_LOCK_TIMEOUT");
  if (text && !text->empty()) {
    char* end = nullptr;
    double seconds = std::strtod(text->c_str(), &end);
    if (end != nullptr && *end == '\0' && seconds >= 0 && seconds < 1e6) {
      return std::chrono::milliseconds(static_cast<int64_t>(seconds * 1000));
    }
  }
  return std::chrono::seconds(60);
}

bool WriteLocks::Lock(std::string_view path, std::string* error) {
  std::string lock_path = LockFilePath(fs_, path);
  if (held_.count(lock_path) != 0) return true;
  std::string name = FileNamePart(path);
  std::unique_ptr<FileLock> lock;
  LockResult result = LockFileWaiting(
      fs_, path, timeout_,
      [&] { messages_ << "zelvan: waiting for another zelvan on " << name << std::endl; }, &lock);
  if (result == LockResult::kBusy) {
    *error = "another zelvan is still working on " + std::string(path) + "; nothing was changed";
    return false;
  }
  if (result == LockResult::kLocked) held_.emplace(std::move(lock_path), std::move(lock));
  return true;
}

}  // namespace zelvan
