// A host that destroys instances and closes the module from its exit handlers, after
// the module's own static objects have been torn down.
#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/host/test_host.h"

namespace {

TEST(ShutdownDeathTest, InstancesDestroyedAtExitStopTheirTimersSafely) {
  testing::FLAGS_gtest_death_test_style = "threadsafe";
  EXPECT_EXIT(
      {
        // Made before the plug-in's timer registry, so destroyed after it.
        static testhost::InitialisedModule module;
        static testhost::TestHost host({.timerSupport = testhost::Offer::Full});
        static testhost::Plugin plugin(module, host);
        if (!plugin.Start()) std::abort();
        std::exit(0);
      },
      testing::ExitedWithCode(0), "");
}

}  // namespace
