// The audio thread never allocates and never takes a lock: process, the parameters
// flush while active and reset, across port configurations and parameter settings.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "tests/host/test_host.h"
#include "tests/realtime/rt_guard.h"

namespace {

using testhost::AudioBlock;
using testhost::InitialisedModule;
using testhost::Plugin;
using testhost::TestHost;

constexpr uint32_t kParamCount = 19;
constexpr uint32_t kBlock = 256;

// An output list that stores into memory reserved up front, as a real-time host's does.
class FixedOutputEvents {
 public:
  FixedOutputEvents() : storage_(1 << 20) {
    list_.ctx = this;
    list_.try_push = [](const clap_output_events_t* list, const clap_event_header_t* event) {
      auto* self = static_cast<FixedOutputEvents*>(list->ctx);
      if (self->used_ + event->size > self->storage_.size()) return false;
      std::memcpy(self->storage_.data() + self->used_, event, event->size);
      self->used_ += event->size;
      ++self->count_;
      return true;
    };
  }
  const clap_output_events_t* List() const { return &list_; }
  int Count() const { return count_; }
  void Clear() {
    used_ = 0;
    count_ = 0;
  }

 private:
  std::vector<uint8_t> storage_;
  std::size_t used_ = 0;
  int count_ = 0;
  clap_output_events_t list_;
};

struct PortLayout {
  uint32_t config;
  std::vector<uint32_t> inputs;
  std::vector<uint32_t> outputs;
};

const PortLayout kLayouts[] = {
    {0, {1}, {1}},    {1, {1}, {2}},    {2, {2}, {2}},    {3, {1, 1}, {1}}, {4, {1, 1}, {2}},
    {5, {2, 1}, {2}}, {6, {1, 2}, {1}}, {7, {1, 2}, {2}}, {8, {2, 2}, {2}},
};

class Realtime : public testing::Test {
 protected:
  void SetUp() override { rtguard::ResetCount(); }

  // Runs `call` as the audio thread would and expects it to stay allocation- and lock-free.
  template <class Call>
  void OnAudioThread(const char* what, Call call) {
    const rtguard::Violations before = rtguard::Count();
    {
      rtguard::RealtimeScope scope;
      call();
    }
    const rtguard::Violations after = rtguard::Count();
    EXPECT_EQ(after.allocations, before.allocations) << what;
    EXPECT_EQ(after.frees, before.frees) << what;
    EXPECT_EQ(after.locks, before.locks) << what;
  }
};

// Parameter settings to sweep: every parameter at both ends, and random mixtures.
std::vector<std::vector<double>> Settings() {
  std::vector<std::vector<double>> settings;
  for (uint32_t id = 0; id < kParamCount; ++id) {
    for (double end : {0.0, 1.0}) {
      std::vector<double> values(kParamCount, -1.0);  // -1: leave alone
      values[id] = end;
      settings.push_back(values);
    }
  }
  std::mt19937 random(42);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  for (int i = 0; i < 12; ++i) {
    std::vector<double> values(kParamCount);
    for (double& v : values)
      v = unit(random);
    settings.push_back(values);
  }
  return settings;
}

// A host value for a parameter from a 0…1 position: enumerations take their choices.
double HostValue(uint32_t id, double position) {
  if (id == 14) return std::round(position);
  if (id == 16) return std::round(position * 2.0);
  return position;
}

TEST_F(Realtime, ProcessFlushAndResetAcrossLayoutsAndSettings) {
  InitialisedModule module;
  const auto settings = Settings();
  for (const PortLayout& layout : kLayouts) {
    for (bool use64 : {true, false}) {
      TestHost host;
      Plugin plugin(module, host);
      ASSERT_TRUE(plugin->init(plugin.get()));
      const auto* configs =
          plugin.Extension<clap_plugin_audio_ports_config_t>(CLAP_EXT_AUDIO_PORTS_CONFIG);
      ASSERT_TRUE(configs->select(plugin.get(), layout.config));
      ASSERT_TRUE(plugin->activate(plugin.get(), 48000.0, 1, kBlock));
      const auto* params = plugin.Extension<clap_plugin_params_t>(CLAP_EXT_PARAMS);
      AudioBlock block(layout.inputs, layout.outputs, kBlock, use64);
      block.FillInputs(0.5);
      testhost::InputEvents events;
      FixedOutputEvents out;
      events.AddParamValue(0, 0.1);  // reserves the event storage before it is timed

      OnAudioThread("start_processing", [&] { plugin->start_processing(plugin.get()); });
      for (const auto& setting : settings) {
        events.Clear();
        for (uint32_t id = 0; id < kParamCount; ++id) {
          if (setting[id] >= 0) events.AddParamValue(id, HostValue(id, setting[id]), id * 3);
        }
        clap_process_t process = block.Process(&events, nullptr);
        process.out_events = out.List();
        // A settings block, then blocks that run the density cross-fade and the tail.
        for (int i = 0; i < 4; ++i) {
          OnAudioThread("process", [&] { plugin->process(plugin.get(), &process); });
          process.in_events = nullptr;
        }
        out.Clear();
        OnAudioThread("flush", [&] { params->flush(plugin.get(), events.List(), out.List()); });
      }
      OnAudioThread("reset", [&] { plugin->reset(plugin.get()); });
      OnAudioThread("stop_processing", [&] { plugin->stop_processing(plugin.get()); });
      plugin->deactivate(plugin.get());
      if (HasFailure()) return;
    }
  }
}

TEST_F(Realtime, SixHundredParameterEventsInOneBlock) {
  InitialisedModule module;
  TestHost host;
  Plugin plugin(module, host);
  ASSERT_TRUE(plugin.Start(44100.0, 512));
  AudioBlock block({2}, {2}, 512);
  block.FillInputs(0.25);
  testhost::InputEvents events;
  for (uint32_t i = 0; i < 600; ++i)
    events.AddParamValue(i % kParamCount, (i % 7) / 7.0, i % 512);
  FixedOutputEvents out;
  clap_process_t process = block.Process(&events, nullptr);
  process.out_events = out.List();
  OnAudioThread("process", [&] { plugin->process(plugin.get(), &process); });
  const auto* params = plugin.Extension<clap_plugin_params_t>(CLAP_EXT_PARAMS);
  OnAudioThread("flush", [&] { params->flush(plugin.get(), events.List(), out.List()); });
}

// The guard itself must see what it is meant to catch.
TEST_F(Realtime, TheGuardCatchesAllocationAndLocking) {
  const rtguard::Violations before = rtguard::Count();
  {
    rtguard::RealtimeScope scope;
    std::vector<int>* v = new std::vector<int>(16);
    delete v;
    pthread_mutex_t mutex = PTHREAD_MUTEX_INITIALIZER;
    pthread_mutex_lock(&mutex);
    pthread_mutex_unlock(&mutex);
  }
  const rtguard::Violations after = rtguard::Count();
  EXPECT_GE(after.allocations - before.allocations, 2u);
  EXPECT_GE(after.frees - before.frees, 2u);
  EXPECT_EQ(after.locks - before.locks, 1u);
}

}  // namespace
