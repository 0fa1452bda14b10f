#include "model/function_database_entry.h"

#include <charconv>

#include "platform/ansi_text.h"

namespace zelvan {

namespace {

bool ReadInteger(std::string_view text, int32_t* value) {
  const char* end = text.data() + text.size();
  auto [stop, error] = std::from_chars(text.data(), end, *value);
  return error == std::errc() && stop == end && !text.empty();
}

}  // namespace

std::string FunctionDatabaseEntry::StoredForm() const {
  std::string text = StringPrintf("%d;%s;%s;%d;%d;", kind, type.c_str(), name.c_str(), line,
                                  static_cast<int>(arguments.size()));
  for (const std::string& argument : arguments) {
    text += argument;
    text += ';';
  }
  return text;
}

bool FunctionDatabaseEntry::ReadStoredForm(std::string_view text) {
  std::vector<std::string> fields = SplitAll(text, ';');
  if (fields.size() < 5) return false;
  int32_t new_kind = 0, new_line = 0, count = 0;
  if (!ReadInteger(fields[0], &new_kind) || !ReadInteger(fields[3], &new_line) ||
      !ReadInteger(fields[4], &count) || count < 0 ||
      static_cast<size_t>(count) > fields.size() - 5) {
    return false;
  }
  kind = new_kind;
  type = std::move(fields[1]);
  name = std::move(fields[2]);
  line = new_line;
  arguments.assign(std::make_move_iterator(fields.begin() + 5),
                   std::make_move_iterator(fields.begin() + 5 + count));
  return true;
}

std::string FunctionDatabaseEntry::DisplayForm() const {
  switch (kind) {
    case kObject:
    case kDeclarator:
      return name.substr(0, name.find('['));
    case kFunction: {
      std::string text = name + "(";
      for (size_t i = 0; i < arguments.size(); ++i) {
        if (i > 0) text += ',';
        text += arguments[i];
      }
      return text + ")";
    }
    case kBody:
    case kBody + 1:
    case kBody + 2:
      return type + " " + name;
    default:
      return name;
  }
}

}  // namespace zelvan
