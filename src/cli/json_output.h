// The `--json` form of the commands that list or show something: one JSON
// document on stdout holding the facts the text form prints, for scripts.
// Errors still go to stderr as one line, and the exit status is the same
// in both forms. Each command documents its document's shape with an
// example; keys keep the order they are added in, so the documents read
// like the text form.
#pragma once

#include <nlohmann/json.hpp>

#include <string_view>

namespace CLI {
class App;
class Option;
}  // namespace CLI

namespace zelvan::cli {

using JsonDocument = nlohmann::ordered_json;

// Adds the `--json` flag to `command`; it sets `*json`.
CLI::Option* AddJsonFlag(CLI::App* command, bool* json);

// Prints `document` on stdout, indented by two, with a final line break.
// Text that is no UTF-8 (a name in a double-byte code page) is printed with
// replacement characters rather than failing the command.
void PrintJson(const JsonDocument& document);

// A text the text form prints as "-" when it is empty: null in JSON.
JsonDocument TextOrNull(std::string_view text);

}  // namespace zelvan::cli
