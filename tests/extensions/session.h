#pragma once

// One instance of a built module with its own test host, as most extension tests
// need it: the module is loaded and initialised, the instance created through the
// factory, and everything is torn down in the order a host does.
#include <gtest/gtest.h>

#include "tests/host/test_host.h"
#include "tests/probe/probe_api.h"

namespace exttest {

struct Session {
  explicit Session(const char* modulePath = testhost::HalvernModulePath(),
                   testhost::HostConfig config = {})
      : module(modulePath), host(std::move(config)), plugin(module, host) {}

  template <class Record>
  const Record* Ext(const char* id) const {
    return plugin.Extension<Record>(id);
  }
  const clap_plugin_t* Get() const { return plugin.get(); }

  // Runs one block of `block`'s layout through process.
  clap_process_status Process(testhost::AudioBlock& block,
                              const testhost::InputEvents* in = nullptr,
                              testhost::OutputEvents* out = nullptr) {
    clap_process_t process = block.Process(in, out);
    return plugin->process(plugin.get(), &process);
  }

  testhost::InitialisedModule module;
  testhost::TestHost host;
  testhost::Plugin plugin;
};

// A probe instance, started (init, activate at 48 kHz with 512 frames, processing)
// unless asked not to, and with its records cleared of what starting left there.
struct ProbeSession : Session {
  explicit ProbeSession(testhost::HostConfig config = {}, bool start = true)
      : Session(testhost::ProbeModulePath(), std::move(config)), api(probe::Of(plugin.get())) {
    if (start) {
      EXPECT_TRUE(plugin.Start());
      api->ClearRecords();
      host.ClearCalls();
    }
  }

  probe::Api* api;
};

// A host that fires its timers when the test says so, for tests that need idle ticks.
inline testhost::HostConfig WithTimers(testhost::HostConfig config = {}) {
  config.timerSupport = testhost::Offer::Full;
  return config;
}

}  // namespace exttest
