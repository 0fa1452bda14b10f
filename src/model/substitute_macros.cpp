#include "model/substitute_macros.h"

namespace zelvan {

std::string SubstituteMacros(std::string_view text, const std::vector<std::string>& names,
                             const std::vector<std::string>& values) {
  std::string result(text);
  for (size_t i = 0; i < names.size(); ++i) {
    if (result.find('$') == std::string::npos) break;
    std::string macro = "$(" + names[i] + ")";
    const std::string empty;
    const std::string& value = i < values.size() ? values[i] : empty;
    std::string replaced;
    size_t from = 0;
    size_t at = result.find(macro);
    if (at == std::string::npos) continue;
    while (at != std::string::npos) {
      replaced.append(result, from, at - from);
      replaced += value;
      from = at + macro.size();
      at = result.find(macro, from);
    }
    replaced.append(result, from);
    result = std::move(replaced);
  }
  return result;
}

}  // namespace zelvan
