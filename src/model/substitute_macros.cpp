#include "model/substitute_macros.h"

#include <limits>

namespace zelvan {

std::string SubstituteMacros(std::string_view text, const std::vector<std::string>& names,
                             const std::vector<std::string>& values) {
  std::string result;
  SubstituteMacrosWithin(text, names, values, std::numeric_limits<size_t>::max(), &result);
  return result;
}

bool SubstituteMacrosWithin(std::string_view text, const std::vector<std::string>& names,
                            const std::vector<std::string>& values, size_t max_size,
                            std::string* out) {
  std::string result(text);
  if (result.size() > max_size) return false;
  for (size_t i = 0; i < names.size(); ++i) {
    if (result.find('$') == std::string::npos) break;
    std::string macro = "$(" + names[i] + ")";
    const std::string empty;
    const std::string& value = i < values.size() ? values[i] : empty;
    size_t at = result.find(macro);
    if (at == std::string::npos) continue;
    std::string replaced;
    size_t from = 0;
    while (at != std::string::npos) {
      // Each piece is checked before it is appended: no more than the
      // bound is ever held.
      if (replaced.size() + (at - from) + value.size() > max_size) return false;
      replaced.append(result, from, at - from);
      replaced += value;
      from = at + macro.size();
      at = result.find(macro, from);
    }
    if (replaced.size() + (result.size() - from) > max_size) return false;
    replaced.append(result, from);
    result = std::move(replaced);
  }
  *out = std::move(result);
  return true;
}

}  // namespace zelvan
