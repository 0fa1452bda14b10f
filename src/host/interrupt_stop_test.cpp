#include "host/interrupt_stop.h"

#include <gtest/gtest.h>
#include <signal.h>

#include "tests/support/fake_system_services.h"

namespace zelvan {
namespace {

// Ctrl-C makes every stop object count as there; the rest is the inner
// services' own.
TEST(InterruptStopTest, CtrlCIsAStopRequest) {
  testing::FakeSystemServices inner;
  InterruptibleSystemServices system(inner);
  ClearInterruptRequest();
  EXPECT_FALSE(system.NamedObjectExists("2024123"));
  ASSERT_TRUE(system.CreateNamedObject("2024123"));
  EXPECT_TRUE(inner.NamedObjectExists("2024123"));
  EXPECT_TRUE(system.NamedObjectExists("2024123"));
  ASSERT_TRUE(system.RemoveNamedObject("2024123"));
  RequestInterrupt();
  EXPECT_TRUE(system.NamedObjectExists("2024123"));
  EXPECT_FALSE(inner.NamedObjectExists("2024123"));
  ClearInterruptRequest();
  EXPECT_FALSE(system.NamedObjectExists("2024123"));
  ::signal(SIGINT, SIG_DFL);
}

}  // namespace
}  // namespace zelvan
