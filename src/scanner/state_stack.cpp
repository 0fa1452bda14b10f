#include "scanner/state_stack.h"

namespace zelvan {

bool StateStack::Push(uint32_t word) {
  words_.push_back(word);
  return true;
}

bool StateStack::Pop() {
  if (words_.empty()) return false;
  words_.pop_back();
  return true;
}

bool StateStack::SetLast(uint32_t word) {
  if (words_.empty()) return false;
  words_.back() = word;
  return true;
}

uint32_t StateStack::GetLast() const {
  return words_.empty() ? kEmpty : words_.back();
}

uint32_t PreprocessorStateStack::GetLastOrZero() const {
  return empty() ? 0 : GetLast();
}

bool PreprocessorStateStack::BeginConditional(std::string_view directive) {
  uint32_t last = GetLastOrZero();
  if (last == pp_state::kIfPending || last == pp_state::kIfdefPending ||
      last == pp_state::kIfndefPending) {
    return false;
  }
  if (directive == "#ifdef") return Push(pp_state::kIfdefPending);
  if (directive == "#ifndef") return Push(pp_state::kIfndefPending);
  return Push(pp_state::kIfPending);
}

bool PreprocessorStateStack::SetCondition(std::string_view word) {
  uint32_t last = GetLastOrZero();
  if (!pp_state::IsPending(last)) return false;
  uint32_t state;
  if (last == pp_state::kIfdefPending) {
    state = pp_state::kIfdefTaken;
  } else if (last == pp_state::kIfndefPending) {
    state = pp_state::kIfndefTaken;
  } else {
    // Only a literal zero (or nothing) is known to be false; anything else,
    // a macro name included, is assumed true.
    bool zero = word.find_first_not_of('0') == std::string_view::npos;
    state = zero ? pp_state::kIfNotTaken : pp_state::kIfTaken;
  }
  return SetLast(state);
}

bool PreprocessorStateStack::NextBranch(bool taken) {
  uint32_t last = GetLastOrZero();
  if (last == 0 || pp_state::IsPending(last)) return false;
  return SetLast(taken ? (last & ~pp_state::kInactive) : (last | pp_state::kInactive));
}

uint32_t PreprocessorStateStack::GetEffectiveState() const {
  uint32_t last = GetLastOrZero();
  if ((last & pp_state::kStateMask) != 0) return last;
  for (uint32_t word : words()) {
    if (pp_state::IsInactive(word)) return last | pp_state::kInactive;
  }
  return last;
}

}  // namespace zelvan
