// Message texts: our own English text for every message ID the system uses.
//
// The system loads every text by ID through the string resources of the UI
// (UiHooks::LoadString), so another language can replace them; a host that
// has no resources of its own answers from DefaultMessageText. Texts that
// name a file, a CPU or a count hold `%s` or `%d` places, filled in order by
// FormatMessageText, which never trusts the text: a replaced text with more,
// fewer or other places than expected still formats safely.
#pragma once

#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zelvan {

class UiHooks;

// The built-in text of `id`, or null when there is none.
const char* DefaultMessageText(unsigned id);
// Every ID with a built-in text, ascending.
std::vector<unsigned> DefaultMessageIds();

// Fills the places of `text` in order: `%s` and `%d` take the next argument
// as it stands, `%%` is one `%`. A place without an argument becomes empty;
// any other `%` stays as it is.
std::string FormatMessageText(std::string_view text, std::span<const std::string_view> args);
inline std::string FormatMessageText(std::string_view text,
                                     std::initializer_list<std::string_view> args) {
  return FormatMessageText(text, std::span<const std::string_view>(args.begin(), args.size()));
}

// The text of `id` from the UI's string resources; when they have none, the
// built-in text; when there is none either, "Message <id>".
std::string LoadMessage(UiHooks& ui, unsigned id);
std::string LoadMessage(UiHooks& ui, unsigned id, std::initializer_list<std::string_view> args);
// The same with arguments that a Status carries.
std::string LoadMessage(UiHooks& ui, unsigned id, const std::vector<std::string>& args);

}  // namespace zelvan
