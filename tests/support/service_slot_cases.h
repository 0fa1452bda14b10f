// The Service slot cases: each a call through IService and what it answers
// (result, status, the text of its out value), on a small workspace of two
// projects. The component's library test calls the slots of the module it
// loads; the COM client of a Windows build calls the same cases through the
// component runtime, by IDispatch::Invoke.
//
// Within a list the cases run in order on one open workspace, and a case may
// see what an earlier one changed.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "com/variant_args.h"
#include "scanner/function_requests.h"
#include "service/component_interfaces.h"

namespace zelvan::testing {

struct SlotCase {
  const char* name;
  std::function<HRESULT(IService*, VariantArgs&, VARIANT* out)> call;
  HRESULT hr;
  uint32_t status;
  std::optional<std::string> text = std::nullopt;  // what `out` holds afterwards
};

// The path the component sees for a file of the cases' folder ("ws/app").
using SlotCasePath = std::function<std::string(std::string_view relative)>;

// The files of the cases' folder: relative path and contents. The workspace
// is "ws/Demo.kws"; TEMP is to be "temp".
std::vector<std::pair<std::string, std::string>> SlotCaseFiles();
// The project files the IDE lists for the workspace; the first is active.
std::vector<std::string> SlotCaseProjects(const SlotCasePath& at);

// Queries, with `record` for the function-database slots (it must outlive the cases).
std::vector<SlotCase> QuerySlotCases(const SlotCasePath& at, FunctionDatabaseRequest* record);
// Changes to links, build steps, files and targets, and the queries that see them.
std::vector<SlotCase> ChangeSlotCases(const SlotCasePath& at);
// New projects, copy and rename, then the workspace closes.
std::vector<SlotCase> ProjectSlotCases(const SlotCasePath& at);

// Runs `cases` in order on `service`, `args` cleared after each; one line
// for each mismatch ("<case>: status 0x..., expected 0x...").
std::vector<std::string> RunSlotCases(IService* service, VariantArgs& args,
                                      const std::vector<SlotCase>& cases);

}  // namespace zelvan::testing
