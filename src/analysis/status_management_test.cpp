#include "analysis/status_management.h"

#include <gtest/gtest.h>

namespace zelvan {
namespace {

TEST(StatusManagementTest, StackOperationsReportAnEmptyStack) {
  CStatusManagement stack;
  EXPECT_EQ(stack.GetLast(), CStatusManagement::kEmpty);
  EXPECT_FALSE(stack.Pop());
  EXPECT_FALSE(stack.SetLast(7));
  EXPECT_TRUE(stack.empty());

  EXPECT_TRUE(stack.Push(1));
  EXPECT_TRUE(stack.Push(2));
  EXPECT_EQ(stack.GetLast(), 2u);
  EXPECT_TRUE(stack.SetLast(5));
  EXPECT_EQ(stack.words(), (std::vector<uint32_t>{1, 5}));
  EXPECT_TRUE(stack.Pop());
  EXPECT_EQ(stack.GetLast(), 1u);
  EXPECT_TRUE(stack.Pop());
  EXPECT_FALSE(stack.Pop());
}

TEST(StatusManagementTest, ConditionOfIfDecidesTheBranch) {
  struct Case {
    const char* directive;
    const char* word;
    uint32_t state;
  };
  const Case cases[] = {
      {"#if", "", pp_state::kIfNotTaken},      {"#if", "0", pp_state::kIfNotTaken},
      {"#if", "000", pp_state::kIfNotTaken},   {"#if", "1", pp_state::kIfTaken},
      {"#if", "0x0", pp_state::kIfTaken},      {"#if", "FOO", pp_state::kIfTaken},
      {"#if", "!defined", pp_state::kIfTaken}, {"#ifdef", "", pp_state::kIfdefTaken},
      {"#ifdef", "0", pp_state::kIfdefTaken},  {"#ifndef", "X", pp_state::kIfndefNotTaken},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.directive) + " '" + c.word + "'");
    CPreprocessorStatus status;
    ASSERT_TRUE(status.BeginConditional(c.directive));
    EXPECT_TRUE(pp_state::IsPending(status.GetLast()));
    ASSERT_TRUE(status.SetCondition(c.word));
    EXPECT_EQ(status.GetLast(), c.state);
    // A second word is no condition any more.
    EXPECT_FALSE(status.SetCondition("0"));
    EXPECT_EQ(status.GetLast(), c.state);
  }
}

TEST(StatusManagementTest, MisplacedDirectivesFail) {
  CPreprocessorStatus status;
  EXPECT_EQ(status.GetLastOrZero(), 0u);
  EXPECT_FALSE(status.SetCondition("1"));  // no conditional open
  EXPECT_FALSE(status.ToggleElse());       // "#else" without "#if"
  EXPECT_TRUE(status.empty());

  ASSERT_TRUE(status.BeginConditional("#ifdef"));
  EXPECT_FALSE(status.BeginConditional("#if"));  // still waiting for its condition
  EXPECT_FALSE(status.ToggleElse());
  EXPECT_EQ(status.words(), (std::vector<uint32_t>{pp_state::kIfdefPending}));
}

TEST(StatusManagementTest, ElseTogglesAndNestingDeactivates) {
  CPreprocessorStatus status;
  status.BeginConditional("#if");
  status.SetCondition("0");
  EXPECT_TRUE(pp_state::IsInactive(status.GetEffectiveState()));
  ASSERT_TRUE(status.ToggleElse());  // "#elif"
  EXPECT_EQ(status.GetLast(), pp_state::kIfTaken);
  ASSERT_TRUE(status.ToggleElse());  // "#else"
  EXPECT_EQ(status.GetLast(), pp_state::kIfNotTaken);

  // A taken branch inside a branch that is not taken stays inactive.
  status.BeginConditional("#ifdef");
  status.SetCondition("X");
  EXPECT_EQ(status.GetLast(), pp_state::kIfdefTaken);
  EXPECT_EQ(status.GetEffectiveState(), pp_state::kIfdefTaken | pp_state::kInactive);
  status.Pop();
  status.ToggleElse();
  status.BeginConditional("#ifdef");
  status.SetCondition("X");
  EXPECT_EQ(status.GetEffectiveState(), pp_state::kIfdefTaken);
  status.BeginConditional("#if");
  EXPECT_TRUE(pp_state::IsPending(status.GetEffectiveState()));
}

}  // namespace
}  // namespace zelvan
