#include "cli/closest_name.h"

#include <algorithm>
#include <cctype>

namespace zelvan::cli {

namespace {

size_t EditDistance(std::string_view a, std::string_view b) {
  std::vector<size_t> row(b.size() + 1);
  for (size_t j = 0; j <= b.size(); ++j)
    row[j] = j;
  for (size_t i = 1; i <= a.size(); ++i) {
    size_t diagonal = row[0];
    row[0] = i;
    for (size_t j = 1; j <= b.size(); ++j) {
      size_t above = row[j];
      bool same = std::tolower(static_cast<unsigned char>(a[i - 1])) ==
                  std::tolower(static_cast<unsigned char>(b[j - 1]));
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (same ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

}  // namespace

std::string ClosestName(std::string_view typed, const std::vector<std::string>& known) {
  size_t limit = std::max<size_t>(1, typed.size() / 3);
  std::string best;
  size_t best_distance = limit + 1;
  for (const std::string& name : known) {
    size_t distance = EditDistance(typed, name);
    if (distance < best_distance) {
      best_distance = distance;
      best = name;
    }
  }
  return best;
}

}  // namespace zelvan::cli
