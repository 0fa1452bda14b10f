// An IDE for tests: the application object and the IDE's services as
// dispatch objects that record every call the service makes to them, so a
// test asserts on exactly what was reported (slot, code, message, module
// name, ...).
//
//   RecordingIdeHost host;
//   IdeConnection connection(ui);
//   connection.Connect(host.application());
//   connection.ReportError(0x1103, "no such project");
//   EXPECT_THAT(host.Calls(kOutputWindowProgId, 22),
//               ElementsAre("Error|0|0x40041103|no such project|Zelvan"));
//
// Each call is recorded with the ProgID of the object (the application
// object as kRecordedApplication), the slot (for the application object the
// dispatch member) and its arguments as text: BSTRs as they stand ("<null>"
// for a null BSTR), error codes as "0x%08X", other numbers in decimal,
// interface identifiers in registry form.
#pragma once

#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "com/com_ptr.h"
#include "com/com_types.h"
#include "platform/ui_hooks.h"
#include "service/ide_interfaces.h"

namespace zelvan::testing {

inline constexpr const char* kRecordedApplication = "Application";

struct RecordedCall {
  std::string object;  // a ProgID, or kRecordedApplication
  int slot;
  std::vector<std::string> args;
  // The arguments joined by "|".
  std::string Args() const;
  // "<object> <slot>: <Args()>".
  std::string Text() const;
};

// What the recording IDE answers; tests change it at any time.
struct RecordingIdeState {
  // ProgIDs the application object refuses to hand out.
  std::set<std::string> refused_services;
  // The workspace.
  std::vector<std::string> project_files;
  std::string active_project;
  // Workspace settings "section|key" -> value.
  std::vector<std::pair<std::string, std::string>> settings;
  // The button every message box returns.
  LONG message_answer = kIdNo;

  std::vector<RecordedCall> calls;
};

class RecordingIdeHost {
 public:
  RecordingIdeHost();
  ~RecordingIdeHost();
  RecordingIdeHost(const RecordingIdeHost&) = delete;
  RecordingIdeHost& operator=(const RecordingIdeHost&) = delete;

  // The application object to connect with (the host keeps a reference).
  IKovaApplication* application() const { return application_.Get(); }
  // The object the application hands out for `prog_id`; null for a ProgID it does not know.
  IDispatch* service(std::string_view prog_id) const;

  RecordingIdeState& state() { return *state_; }
  const std::vector<RecordedCall>& calls() const { return state_->calls; }
  void ClearCalls() { state_->calls.clear(); }
  // The argument texts of the calls of `object` at `slot`, in order.
  std::vector<std::string> Calls(std::string_view object, int slot) const;
  // Every call as RecordedCall::Text, in order.
  std::vector<std::string> Log() const;

 private:
  std::shared_ptr<RecordingIdeState> state_;
  ComPtr<IKovaApplication> application_;
};

// The reference count of `object`, read without changing it.
ULONG ReferenceCount(IUnknown* object);

}  // namespace zelvan::testing
