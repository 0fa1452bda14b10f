#include "platform/interrupt.h"

#include <gtest/gtest.h>
#include <signal.h>

namespace zelvan {
namespace {

// The first Ctrl-C only asks for a stop; the process goes on.
TEST(InterruptTest, FirstInterruptSetsTheFlagAndTheProcessGoesOn) {
  InstallInterruptHandler();
  InstallInterruptHandler();  // a second installation changes nothing
  ClearInterruptRequest();
  EXPECT_FALSE(InterruptRequested());
  ASSERT_EQ(::raise(SIGINT), 0);
  EXPECT_TRUE(InterruptRequested());
  ClearInterruptRequest();
  EXPECT_FALSE(InterruptRequested());
  RequestInterrupt();
  EXPECT_TRUE(InterruptRequested());
  ClearInterruptRequest();
  // The usual handling is back for the next interrupt; leave the process
  // as the other tests expect it.
  ::signal(SIGINT, SIG_DFL);
}

}  // namespace
}  // namespace zelvan
