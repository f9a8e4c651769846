// The 20 ms idle timer on the host's main thread: through the host's timer-support
// when it offers it, otherwise through main-thread callbacks a helper thread asks for.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <iterator>
#include <memory>
#include <thread>
#include <vector>

#include "tests/extensions/session.h"

namespace {

using exttest::ProbeSession;
using testhost::HostConfig;
using testhost::InitialisedModule;
using testhost::Offer;
using testhost::Plugin;
using testhost::TestHost;

void FireTimer(const Plugin& plugin, clap_id id) {
  plugin.Extension<clap_plugin_timer_support_t>(CLAP_EXT_TIMER_SUPPORT)->on_timer(plugin.get(), id);
}

std::ptrdiff_t ThreadsInProcess() {
  return std::distance(std::filesystem::directory_iterator("/proc/self/task"),
                       std::filesystem::directory_iterator{});
}

int Ticks(const Plugin& plugin) {
  return probe::Of(plugin.get())->IdleTicks();
}

TEST(IdleTimer, RunsOnTheHostsTimerSupportWhenOffered) {
  ProbeSession session(exttest::WithTimers(), false);
  ASSERT_TRUE(session.plugin->init(session.Get()));
  ASSERT_EQ(session.host.Timers().size(), 1u);
  EXPECT_EQ(session.host.Timers()[0].second, 20u);
  EXPECT_EQ(session.api->IdleTicks(), 0);
  session.host.FireTimers();
  session.host.FireTimers();
  EXPECT_EQ(session.api->IdleTicks(), 2);
  EXPECT_EQ(session.api->LastIdleThread(), std::this_thread::get_id());
  EXPECT_EQ(session.host.Count("request_callback"), 0);
}

TEST(IdleTimer, WithoutTimerSupportRunsInTheMainThreadCallbackAHelperThreadRequests) {
  for (Offer timerSupport : {Offer::Absent, Offer::Partial}) {
    SCOPED_TRACE(timerSupport == Offer::Absent ? "absent" : "partial");
    ProbeSession session(HostConfig{.timerSupport = timerSupport}, false);
    ASSERT_TRUE(session.plugin->init(session.Get()));
    EXPECT_EQ(session.host.Count("timer_support.register_timer"), 0);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (session.host.PendingCallbacks() == 0 && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    const std::vector<testhost::HostCall> requests = session.host.Calls("request_callback");
    ASSERT_FALSE(requests.empty());
    EXPECT_NE(requests[0].thread, std::this_thread::get_id());
    EXPECT_EQ(session.api->IdleTicks(), 0);  // nothing runs until the host calls back
    ASSERT_TRUE(session.host.ServiceCallback());
    EXPECT_EQ(session.api->IdleTicks(), 1);
    EXPECT_EQ(session.api->LastIdleThread(), std::this_thread::get_id());
  }
}

TEST(IdleTimer, InstancesWithoutTimerSupportShareOnePumpThread) {
  InitialisedModule module(testhost::ProbeModulePath());
  struct Instance {
    TestHost host{HostConfig{.timerSupport = Offer::Absent}};
    Plugin plugin;
    explicit Instance(InitialisedModule& module) : plugin(module, host) {}
  };
  const std::ptrdiff_t before = ThreadsInProcess();
  std::vector<std::unique_ptr<Instance>> instances;
  for (int i = 0; i < 8; ++i) {
    instances.push_back(std::make_unique<Instance>(module));
    ASSERT_TRUE(instances.back()->plugin->init(instances.back()->plugin.get()));
  }
  EXPECT_EQ(ThreadsInProcess(), before + 1);

  // Every instance's timer still ticks, through its own host's callback.
  for (auto& instance : instances) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (instance->host.PendingCallbacks() == 0 && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ASSERT_TRUE(instance->host.ServiceCallback());
    EXPECT_EQ(Ticks(instance->plugin), 1);
  }

  instances.resize(1);
  EXPECT_EQ(ThreadsInProcess(), before + 1);
  instances.clear();
  EXPECT_EQ(ThreadsInProcess(), before);
  // A new first instance starts the pump again.
  Instance again(module);
  ASSERT_TRUE(again.plugin->init(again.plugin.get()));
  EXPECT_EQ(ThreadsInProcess(), before + 1);
}

TEST(IdleTimer, InstancesOnOneHostKeepTheirOwnTimersUntilDestroyed) {
  InitialisedModule module(testhost::ProbeModulePath());
  TestHost host(exttest::WithTimers());
  Plugin a(module, host);
  Plugin b(module, host);
  ASSERT_TRUE(a->init(a.get()));
  ASSERT_TRUE(b->init(b.get()));
  const std::vector<testhost::HostCall> registered = host.Calls("timer_support.register_timer");
  ASSERT_EQ(registered.size(), 2u);
  const auto idA = static_cast<clap_id>(std::stoul(registered[0].Arg(1)));
  const auto idB = static_cast<clap_id>(std::stoul(registered[1].Arg(1)));
  ASSERT_NE(idA, idB);

  FireTimer(a, idA);
  FireTimer(a, idB);  // not a's timer: nothing runs
  EXPECT_EQ(Ticks(a), 1);
  EXPECT_EQ(Ticks(b), 0);
  FireTimer(b, idB);
  EXPECT_EQ(Ticks(b), 1);

  a.Destroy();
  const std::vector<testhost::HostCall> unregistered = host.Calls("timer_support.unregister_timer");
  ASSERT_EQ(unregistered.size(), 1u);
  EXPECT_EQ(unregistered[0].Arg(0), std::to_string(idA));
  ASSERT_EQ(host.Timers().size(), 1u);
  EXPECT_EQ(host.Timers()[0].first, idB);
  FireTimer(b, idB);
  EXPECT_EQ(Ticks(b), 2);
}

TEST(IdleTimer, InstancesOnSeparateHostsTickOnlyWhenTheirHostFires) {
  ProbeSession a(exttest::WithTimers());
  ProbeSession b(exttest::WithTimers());
  // Each host numbers its timers from the same start; the ids collide on purpose.
  ASSERT_EQ(a.host.Timers(), b.host.Timers());
  a.host.FireTimers();
  EXPECT_EQ(a.api->IdleTicks(), 1);
  EXPECT_EQ(b.api->IdleTicks(), 0);
}

}  // namespace
