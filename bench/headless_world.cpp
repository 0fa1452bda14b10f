#include "bench/headless_world.h"

#include <utility>

#include "platform/posix_system_services.h"

namespace zelvan::bench {

HeadlessWorld::HeadlessWorld(HostPathMap map, const std::string& host_cwd)
    : system_(CreatePosixSystemServices()),
      fs_(std::move(map), host_cwd),
      profile_(fs_),
      registry_(CreateFileRegistry(profile_, "\\nonexistent\\registry.ini")),
      host_(AnswerPolicy::kSafe, sink_, /*show_information=*/false) {
  platform_ = Platform{&fs_, &profile_, registry_.get(), system_.get(), &host_};
  host_.Attach(platform_);
  settings_ = std::make_unique<ServiceSettings>(platform_);
}

HeadlessWorld::~HeadlessWorld() {
  if (!temp_set_) return;
  if (saved_temp_) {
    system_->SetEnv("TEMP", *saved_temp_);
  } else {
    system_->UnsetEnv("TEMP");
  }
}

void HeadlessWorld::SetTemp(const std::string& dir) {
  if (!temp_set_) saved_temp_ = system_->GetEnv("TEMP");
  temp_set_ = true;
  system_->SetEnv("TEMP", dir);
}

}  // namespace zelvan::bench
