// An instance's life as a host leads it: create, init, activate, process, deactivate,
// destroy — and the channel model that binds the host's buffers.
#include <gtest/gtest.h>

#include <cmath>
#include <numeric>

#include "tests/host/test_host.h"
#include "tests/probe/probe_api.h"

namespace {

using testhost::AudioBlock;
using testhost::InitialisedModule;
using testhost::Plugin;
using testhost::TestHost;

std::vector<double> Ramp(uint32_t frames, double start) {
  std::vector<double> samples(frames);
  for (uint32_t i = 0; i < frames; ++i)
    samples[i] = start + 0.001 * i;
  return samples;
}

TEST(Lifecycle, TwoInstancesAtTwoRatesPassAudioThroughInBothFormats) {
  InitialisedModule module(testhost::ProbeModulePath());
  TestHost hostA;
  TestHost hostB;
  Plugin a(module, hostA, probe::kPluginId);
  Plugin b(module, hostB, probe::kPluginId);
  ASSERT_TRUE(a && b);
  ASSERT_TRUE(a->init(a.get()) && b->init(b.get()));
  ASSERT_TRUE(a->activate(a.get(), 44100.0, 1, 512));
  ASSERT_TRUE(b->activate(b.get(), 48000.0, 1, 512));
  for (bool use64 : {true, false}) {
    for (const Plugin* plugin : {&a, &b}) {
      AudioBlock block({2}, {2}, 512, use64);
      block.SetInput(0, 0, Ramp(512, 0.1));
      block.SetInput(0, 1, Ramp(512, -0.3));
      clap_process_t process = block.Process();
      ASSERT_EQ((*plugin)->process(plugin->get(), &process), CLAP_PROCESS_CONTINUE_IF_NOT_QUIET);
      for (uint32_t c = 0; c < 2; ++c) {
        const std::vector<double> expected = Ramp(512, c == 0 ? 0.1 : -0.3);
        for (uint32_t i = 0; i < 512; ++i) {
          ASSERT_EQ(block.OutputSample(0, c, i),
                    use64 ? expected[i] : static_cast<float>(expected[i]))
              << "channel " << c << " frame " << i;
        }
      }
    }
  }
  a->deactivate(a.get());
  b->deactivate(b.get());
}

TEST(Lifecycle, HalvernRunsThroughEveryStage) {
  InitialisedModule module;
  TestHost host;
  Plugin plugin(module, host);
  ASSERT_TRUE(plugin);
  ASSERT_TRUE(plugin->init(plugin.get()));
  for (double rate : {44100.0, 48000.0}) {
    ASSERT_TRUE(plugin->activate(plugin.get(), rate, 32, 256));
    ASSERT_TRUE(plugin->start_processing(plugin.get()));
    for (bool use64 : {true, false}) {
      AudioBlock block({2}, {2}, 256, use64);
      block.FillInputs(0.25);
      clap_process_t process = block.Process();
      EXPECT_EQ(plugin->process(plugin.get(), &process), CLAP_PROCESS_CONTINUE);
      // Dry level 0.5 doubles to unity: the first frame is the input itself.
      EXPECT_DOUBLE_EQ(block.OutputSample(0, 0, 0), 0.25);
    }
    plugin->stop_processing(plugin.get());
    plugin->reset(plugin.get());
    plugin->deactivate(plugin.get());
  }
  plugin.Destroy();
}

TEST(Lifecycle, DestroyWhileActiveDeactivatesAndRunsQueuedWork) {
  InitialisedModule module(testhost::ProbeModulePath());
  // Without a thread check every task waits for the host's main-thread callback.
  TestHost host({.threadCheck = testhost::Offer::Absent});
  Plugin plugin(module, host, probe::kPluginId);
  ASSERT_TRUE(plugin.Start());
  probe::Api* api = probe::Of(plugin.get());
  ASSERT_NE(api, nullptr);
  plugin->stop_processing(plugin.get());
  // Queued for the main thread while the host did not call back yet.
  api->RequestLatency(64);
  api->EditorBeginsGesture(0);
  plugin.Destroy();
  // The queued tasks ran during destroy, but do nothing once destruction has begun.
  EXPECT_EQ(host.Count("request_restart"), 0);
  EXPECT_EQ(host.Count("params.request_flush"), 0);
}

}  // namespace
