#include "platform/status.h"

#include <errno.h>
#include <string.h>

namespace zelvan {

Status::Status(Kind kind, std::string_view reason)
    : rep_(std::make_unique<Rep>(Rep{kind, 0, std::string(reason), 0, 0, {}})) {}

Status Status::FromErrno(int errno_value, std::string_view context) {
  std::string text = context.empty() ? std::string() : std::string(context) + ": ";
  text += ::strerror(errno_value);
  Kind kind = errno_value == ENOENT || errno_value == ENOTDIR ? Kind::kNotFound : Kind::kIoError;
  Status status(kind, text);
  status.rep_->os_error = errno_value;
  return status;
}

Status Status::WithContext(std::string_view step) const {
  Status status(*this);
  if (status.rep_) status.rep_->reason = std::string(step) + ": " + status.rep_->reason;
  return status;
}

Status& Status::SetMessage(uint32_t code, unsigned message_id, std::vector<std::string> arguments) {
  if (rep_) {
    rep_->code = code;
    rep_->message_id = message_id;
    rep_->arguments = std::move(arguments);
  }
  return *this;
}

const std::vector<std::string>& Status::arguments() const {
  static const std::vector<std::string> kNone;
  return rep_ ? rep_->arguments : kNone;
}

}  // namespace zelvan
