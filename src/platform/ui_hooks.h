// What the system needs from a user interface it does not own: answers to
// message boxes and the texts of string resources. A host fills these in; a
// headless host answers questions by a policy.
#pragma once

#include <string>
#include <string_view>

namespace zelvan {

// Message box styles and answers, with their Windows values.
enum MessageBoxStyle : unsigned {
  kMbOk = 0x0,
  kMbOkCancel = 0x1,
  kMbYesNoCancel = 0x3,
  kMbYesNo = 0x4,
  kMbIconError = 0x10,
  kMbIconQuestion = 0x20,
  kMbIconWarning = 0x30,
  kMbIconInformation = 0x40,
  kMbDefButton2 = 0x100,
};
enum MessageBoxAnswer : int { kIdOk = 1, kIdCancel = 2, kIdYes = 6, kIdNo = 7 };

class UiHooks {
 public:
  virtual ~UiHooks() = default;
  // Shows a message box and returns the button pressed.
  virtual int MessageBox(std::string_view caption, std::string_view text, unsigned style) = 0;
  // The text of string resource `id`; empty when there is none.
  virtual std::string LoadString(unsigned id) = 0;
};

}  // namespace zelvan
