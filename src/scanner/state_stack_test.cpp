#include "scanner/state_stack.h"

#include <gtest/gtest.h>

namespace zelvan {
namespace {

// The stack itself, misplaced directives, "#else" and nesting are tested
// through CScanner::ParseTokens.

TEST(StatusManagementTest, ConditionOfIfDecidesTheBranch) {
  const struct {
    const char* directive;
    const char* word;
    uint32_t state;
  } cases[] = {
      {"#if", "", pp_state::kIfNotTaken},      {"#if", "0", pp_state::kIfNotTaken},
      {"#if", "000", pp_state::kIfNotTaken},   {"#if", "1", pp_state::kIfTaken},
      {"#if", "0x0", pp_state::kIfTaken},      {"#if", "FOO", pp_state::kIfTaken},
      {"#if", "!defined", pp_state::kIfTaken}, {"#ifdef", "", pp_state::kIfdefTaken},
      {"#ifdef", "0", pp_state::kIfdefTaken},  {"#ifndef", "X", pp_state::kIfndefTaken},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.directive) + " '" + c.word + "'");
    PreprocessorStateStack status;
    ASSERT_TRUE(status.BeginConditional(c.directive));
    EXPECT_TRUE(pp_state::IsPending(status.GetLast()));
    ASSERT_TRUE(status.SetCondition(c.word));
    EXPECT_EQ(status.GetLast(), c.state);
    // A second word is no condition any more.
    EXPECT_FALSE(status.SetCondition("0"));
    EXPECT_EQ(status.GetLast(), c.state);
  }
}

}  // namespace
}  // namespace zelvan
