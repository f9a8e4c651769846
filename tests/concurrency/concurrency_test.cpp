// The audio thread and the main thread at the same time, as hosts run them: state
// saved and loaded and the editor working while blocks are processed. Run under
// ThreadSanitizer in the fault suite.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>
#include <vector>

#include "tests/host/test_host.h"
#include "tests/probe/probe_api.h"

namespace {

using testhost::AudioBlock;
using testhost::InitialisedModule;
using testhost::Offer;
using testhost::Plugin;
using testhost::TestHost;

constexpr uint32_t kBlock = 128;

// Runs `audio` block after block on its own thread until `main` returns.
template <class Audio, class Main>
void Concurrently(TestHost& host, Audio audio, Main main) {
  std::atomic<bool> done{false};
  std::thread audioThread([&] {
    host.SetAudioThread(std::this_thread::get_id());
    while (!done.load())
      audio();
  });
  main();
  done = true;
  audioThread.join();
}

TEST(Concurrency, StateTravelsWhileTheReverbRenders) {
  InitialisedModule module;
  TestHost host;
  Plugin plugin(module, host);
  ASSERT_TRUE(plugin.Start(48000.0, kBlock));
  const auto* state = plugin.Extension<clap_plugin_state_t>(CLAP_EXT_STATE);
  const auto* params = plugin.Extension<clap_plugin_params_t>(CLAP_EXT_PARAMS);

  AudioBlock block({2}, {2}, kBlock);
  block.FillInputs(0.2);
  testhost::InputEvents events;
  testhost::OutputEvents out;
  bool finite = true;
  std::atomic<int> blocks{0};
  Concurrently(
      host,
      [&] {
        events.Clear();
        events.AddParamValue(blocks % 19, (blocks % 10) / 10.0);
        clap_process_t process = block.Process(&events, &out);
        plugin->process(plugin.get(), &process);
        out.Clear();
        finite = finite && std::isfinite(block.OutputSample(0, 0, kBlock - 1));
        ++blocks;
      },
      [&] {
        // Until both sides have done a fair share of work.
        for (int i = 0; i < 300 || blocks < 300; ++i) {
          testhost::MemoryOStream saved;
          ASSERT_TRUE(state->save(plugin.get(), saved.Stream()));
          std::vector<double> values = testhost::StateValues(saved.Bytes());
          values[1] = (i % 10) / 10.0;  // room size
          values[2] = 1 + i % 6;        // density
          testhost::MemoryIStream stream(testhost::StateBytes(values));
          EXPECT_TRUE(state->load(plugin.get(), stream.Stream()));
          double value = 0;
          char text[64];
          EXPECT_TRUE(params->get_value(plugin.get(), 1, &value));
          EXPECT_TRUE(params->value_to_text(plugin.get(), 1, value, text, sizeof text));
        }
      });
  EXPECT_TRUE(finite);
  EXPECT_GT(blocks, 0);
}

TEST(Concurrency, EditorTrafficWhileProcessing) {
  InitialisedModule module(testhost::ProbeModulePath());
  TestHost host({.timerSupport = Offer::Full});
  Plugin plugin(module, host, probe::kPluginId);
  ASSERT_TRUE(plugin.Start(48000.0, kBlock));
  probe::Api* api = probe::Of(plugin.get());

  AudioBlock block({2}, {2}, kBlock);
  testhost::InputEvents events;
  testhost::OutputEvents out;
  std::atomic<int> valuesToHost{0};
  std::atomic<int> blocks{0};
  Concurrently(
      host,
      [&] {
        events.Clear();
        events.AddParamValue(1, blocks % 3);  // host automation reaching the editor queue
        clap_event_midi_t midi{};
        midi.header = {sizeof midi, 0, CLAP_CORE_EVENT_SPACE_ID, CLAP_EVENT_MIDI, 0};
        midi.data[0] = 0xB0;
        events.Add(midi);
        clap_process_t process = block.Process(&events, &out);
        plugin->process(plugin.get(), &process);
        for (std::size_t i = 0; i < out.Size(); ++i) {
          if (out.Header(i).type == CLAP_EVENT_PARAM_VALUE) ++valuesToHost;
        }
        out.Clear();
        ++blocks;
      },
      [&] {
        for (int i = 0; i < 2000 || blocks < 300; ++i) {
          api->EditorBeginsGesture(0);
          api->EditorSendsValue(0, (i % 100) / 100.0);
          api->EditorEndsGesture(0);
          api->EditorSendsMidi({0, 0x90, 60, 100});
          if (i % 10 == 0) host.FireTimers();  // the idle tick drains the editor queues
          // Give the audio thread room, so the rings are drained as fast as they fill.
          if (i % 100 == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
      });
  EXPECT_GT(blocks, 0);
  EXPECT_GT(valuesToHost.load(), 0);
  EXPECT_GT(api->IdleTicks(), 0);
}

}  // namespace
