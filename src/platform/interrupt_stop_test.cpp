#include "platform/interrupt_stop.h"

#include <gtest/gtest.h>
#include <signal.h>

#include "tests/support/fake_system_services.h"

namespace zelvan {
namespace {

// The first Ctrl-C only asks for a stop, and makes every stop object count
// as there; the process goes on, and the rest is the inner services' own.
TEST(InterruptStopTest, CtrlCIsAStopRequest) {
  testing::FakeSystemServices inner;
  InterruptibleSystemServices system(inner);
  InstallInterruptHandler();  // a second installation changes nothing
  ClearInterruptRequest();
  ASSERT_TRUE(system.CreateNamedObject("a"));
  EXPECT_TRUE(inner.NamedObjectExists("a"));
  EXPECT_FALSE(system.NamedObjectExists("b"));
  ASSERT_EQ(::raise(SIGINT), 0);
  EXPECT_TRUE(system.NamedObjectExists("b"));
  EXPECT_FALSE(inner.NamedObjectExists("b"));
  ClearInterruptRequest();
  EXPECT_FALSE(system.NamedObjectExists("b"));
  // The usual handling is back for the next interrupt; leave the process
  // as the other tests expect it.
  ::signal(SIGINT, SIG_DFL);
}

// A module that took Ctrl-C gives it back before it is unloaded, so no
// handler is left that points into unloaded code.
TEST(InterruptStopTest, TheHandlerGoesWithTheServices) {
  testing::FakeSystemServices inner;
  { InterruptibleSystemServices system(inner); }
  struct sigaction action = {};
  ASSERT_EQ(::sigaction(SIGINT, nullptr, &action), 0);
  EXPECT_EQ(action.sa_handler, SIG_DFL);
}

}  // namespace
}  // namespace zelvan
