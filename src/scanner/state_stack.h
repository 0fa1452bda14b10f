// Stacks of 32-bit state words behind the C scanner.
//
// PreprocessorStateStack tracks conditional compilation ("#if", "#ifdef",
// "#ifndef", "#else"/"#elif", "#endif") one word per open conditional.
// A word's bits 0xF000 say how its branch stands:
//   0x0000  active: words in it are handed on;
//   0x1000  inactive: the branch is not taken;
//   0x2000  pending: the directive has been seen, its condition not yet.
// "#else" and "#elif" set or clear bit 0x1000 of the newest word, as the
// scanner decides (c_scanner.h).
//
// ClassStateStack holds the access value (3 public, 2 protected, 1 private) of
// each open brace level for the declaration parser.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace zelvan {

// Preprocessor state words.
namespace pp_state {
inline constexpr uint32_t kIfPending = 0x2001;
inline constexpr uint32_t kIfdefPending = 0x2002;
inline constexpr uint32_t kIfndefPending = 0x2004;
inline constexpr uint32_t kIfTaken = 0x0001;
inline constexpr uint32_t kIfNotTaken = 0x1001;
inline constexpr uint32_t kIfdefTaken = 0x0002;
inline constexpr uint32_t kIfndefNotTaken = 0x1004;  // a later branch of it, not scanned
inline constexpr uint32_t kIfndefTaken = 0x0004;

inline constexpr uint32_t kStateMask = 0xF000;
inline constexpr uint32_t kInactive = 0x1000;
inline constexpr uint32_t kPending = 0x2000;

inline bool IsInactive(uint32_t word) {
  return (word & kStateMask) == kInactive;
}
inline bool IsPending(uint32_t word) {
  return (word & kStateMask) == kPending;
}
inline bool IsActive(uint32_t word) {
  return (word & kStateMask) == 0;
}
}  // namespace pp_state

class StateStack {
 public:
  // What GetLast gives on an empty stack.
  static constexpr uint32_t kEmpty = 0xFFFFFFFF;

  virtual ~StateStack() = default;

  // Appends a word; always true.
  bool Push(uint32_t word);
  // Removes the newest word; false on an empty stack.
  bool Pop();
  // Replaces the newest word; false on an empty stack.
  bool SetLast(uint32_t word);
  // The newest word, or kEmpty.
  uint32_t GetLast() const;

  bool empty() const { return words_.empty(); }
  size_t size() const { return words_.size(); }
  // Oldest first.
  const std::vector<uint32_t>& words() const { return words_; }

 private:
  std::vector<uint32_t> words_;
};

class PreprocessorStateStack : public StateStack {
 public:
  // The newest word, or 0 on an empty stack (no conditional counts as active).
  uint32_t GetLastOrZero() const;

  // Opens a conditional for "#if", "#ifdef" or "#ifndef" (any other text is
  // taken as "#if"). Fails while the newest conditional still waits for its
  // condition.
  bool BeginConditional(std::string_view directive);

  // Takes `word` as the condition of a pending conditional. False, with
  // nothing changed, when the newest word is not pending. "#ifdef" and
  // "#ifndef" are always taken; "#if" is not taken when `word` is empty or
  // all '0' characters.
  bool SetCondition(std::string_view word);

  // "#else" / "#elif": the newest conditional goes on with its next branch,
  // scanned or not. Fails with no open conditional or while it is pending.
  bool NextBranch(bool taken);

  // The newest word, with bit 0x1000 added when it is active but some
  // enclosing level is inactive. Words are handed on only when this has none
  // of the bits 0xF000.
  uint32_t GetEffectiveState() const;
};

class ClassStateStack : public StateStack {};

}  // namespace zelvan
