#include "cli/json_output.h"

#include <CLI/CLI.hpp>

#include <iostream>
#include <string>

namespace zelvan::cli {

CLI::Option* AddJsonFlag(CLI::App* command, bool* json) {
  return command->add_flag("--json", *json,
                           "Print one JSON document instead of text (shapes: see the README)");
}

void PrintJson(const JsonDocument& document) {
  std::cout << document.dump(2, ' ', false, JsonDocument::error_handler_t::replace) << '\n';
}

JsonDocument TextOrNull(std::string_view text) {
  if (text.empty()) return nullptr;
  return std::string(text);
}

}  // namespace zelvan::cli
