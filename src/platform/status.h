// The result of an operation that can fail, with the reason why.
//
// A Status is either ok or a failure of some kind with a text that says why:
// the step that failed and, where the OS refused, the OS's own reason (the
// text of errno, taken where the call failed, so nothing later can change
// it). ToString gives the reason as the user sees it:
//   "replacing the file: No space left on device"
// An ok Status holds nothing and costs no allocation; copying a failure
// copies its text. Layers above may attach the code and message id they
// report it under, and the message's arguments, instead of keeping the
// failure in a status of their own.
//
// `if (!status)` reads as `if (!status.ok())`, so code written for a bool
// result keeps working; code that reports a failure should pass the Status,
// or its ToString, on.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace zelvan {

class Status {
 public:
  enum class Kind : uint8_t {
    kOk,
    kNotFound,      // nothing at the path (ENOENT, ENOTDIR)
    kIoError,       // the OS refused: see the reason
    kInvalid,       // the request cannot be carried out as asked
    kNotSupported,  // the platform has no such thing
  };

  Status() = default;  // ok
  static Status OK() { return Status(); }
  static Status NotFound(std::string_view reason) { return Status(Kind::kNotFound, reason); }
  static Status IoError(std::string_view reason) { return Status(Kind::kIoError, reason); }
  static Status Invalid(std::string_view reason) { return Status(Kind::kInvalid, reason); }
  static Status NotSupported(std::string_view reason) {
    return Status(Kind::kNotSupported, reason);
  }
  // The failure of an OS call: `errno_value`'s text, after `context` and
  // ": " when given. ENOENT and ENOTDIR are kNotFound, all else kIoError.
  static Status FromErrno(int errno_value, std::string_view context = {});

  bool ok() const { return rep_ == nullptr; }
  explicit operator bool() const { return ok(); }
  Kind kind() const { return rep_ ? rep_->kind : Kind::kOk; }
  bool IsNotFound() const { return kind() == Kind::kNotFound; }
  // The errno the failure came from, 0 when none.
  int os_error() const { return rep_ ? rep_->os_error : 0; }

  // "OK", or the reason.
  std::string ToString() const { return rep_ ? rep_->reason : "OK"; }
  // The same failure, `step` and ": " put before its reason, for a caller
  // that tells which of its steps failed. An ok Status stays ok.
  Status WithContext(std::string_view step) const;

  // For the layers above: the code and message id a failure is reported
  // under, and the message's arguments. Ignored on an ok Status.
  Status& SetMessage(uint32_t code, unsigned message_id, std::vector<std::string> arguments);
  uint32_t code() const { return rep_ ? rep_->code : 0; }
  unsigned message_id() const { return rep_ ? rep_->message_id : 0; }
  const std::vector<std::string>& arguments() const;

 private:
  struct Rep {
    Kind kind;
    int os_error = 0;
    std::string reason;
    uint32_t code = 0;
    unsigned message_id = 0;
    std::vector<std::string> arguments;
  };
  Status(Kind kind, std::string_view reason);

 public:
  Status(const Status& other) : rep_(other.rep_ ? std::make_unique<Rep>(*other.rep_) : nullptr) {}
  Status& operator=(const Status& other) {
    if (this != &other) rep_ = other.rep_ ? std::make_unique<Rep>(*other.rep_) : nullptr;
    return *this;
  }
  Status(Status&&) noexcept = default;
  Status& operator=(Status&&) noexcept = default;

 private:
  std::unique_ptr<Rep> rep_;  // null when ok
};

}  // namespace zelvan
