// Nothing the host hands over comes back unprocessed: every output sample is Halvern's
// own clean output or silence, whatever ports, formats and aliasing the host uses.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "tests/host/test_host.h"

namespace {

using testhost::AudioBlock;
using testhost::InitialisedModule;
using testhost::Plugin;
using testhost::TestHost;

constexpr double kHuge = 1e308;            // +inf once rounded to a 32-bit float
constexpr uint32_t kProducedChannels = 2;  // Halvern's channel records: at most stereo out
constexpr uint32_t kFrames = 16;

struct Layout {
  const char* name;
  clap_id config;
  std::vector<uint32_t> inputs;
  std::vector<uint32_t> outputs;
};

class HostBuffers : public testing::TestWithParam<std::tuple<bool, bool>> {
 protected:
  bool Use64() const { return std::get<0>(GetParam()); }
  bool InPlace() const { return std::get<1>(GetParam()); }

  // Runs one block of the layout with a huge sample at frame 7 of every input and every
  // output prefilled with NaN, so an output the plug-in left alone shows.
  AudioBlock Run(const Layout& layout) {
    const uint32_t frames = kFrames;
    Plugin plugin(module_, host_);
    EXPECT_TRUE(plugin->init(plugin.get()));
    const auto* configs =
        plugin.Extension<clap_plugin_audio_ports_config_t>(CLAP_EXT_AUDIO_PORTS_CONFIG);
    EXPECT_TRUE(configs->select(plugin.get(), layout.config));
    EXPECT_TRUE(plugin->activate(plugin.get(), 612188.0, 1, 64));
    EXPECT_TRUE(plugin->start_processing(plugin.get()));
    AudioBlock block(layout.inputs, layout.outputs, frames, Use64(), InPlace());
    block.FillOutputs(std::nan(""));
    for (uint32_t p = 0; p < layout.inputs.size(); ++p) {
      for (uint32_t c = 0; c < layout.inputs[p]; ++c) {
        std::vector<double> samples(frames, 0.0);
        samples[7] = kHuge;
        block.SetInput(p, c, samples);
      }
    }
    clap_process_t process = block.Process();
    EXPECT_NE(plugin->process(plugin.get(), &process), CLAP_PROCESS_ERROR);
    plugin->stop_processing(plugin.get());
    plugin->deactivate(plugin.get());
    return block;
  }

  // The produced channels are finite; every channel past them is silence.
  static void ExpectClean(const AudioBlock& block, const Layout& layout) {
    uint32_t index = 0;
    for (uint32_t p = 0; p < layout.outputs.size(); ++p) {
      for (uint32_t c = 0; c < layout.outputs[p]; ++c, ++index) {
        for (uint32_t i = 0; i < block.Frames(); ++i) {
          const double v = block.OutputSample(p, c, i);
          ASSERT_TRUE(index < kProducedChannels ? std::isfinite(v) : v == 0.0)
              << layout.name << ": port " << p << " channel " << c << " frame " << i << " = " << v;
        }
      }
    }
  }

  InitialisedModule module_;
  TestHost host_;
};

TEST_P(HostBuffers, EveryOutputChannelIsTheReverbsOwnOrSilence) {
  const Layout layouts[] = {
      // The fuzzer's case: "2.1-2" with a surplus input and a surplus stereo output port.
      {"surplus ports", 5, {2, 2, 2}, {2, 2}},
      {"surplus channel on the only port", 0, {1}, {3}},
      {"fewer outputs than configured", 2, {2}, {1}},
      {"no input ports", 2, {}, {2}},
      {"no input ports, surplus outputs", 8, {}, {2, 2}},
  };
  for (const Layout& layout : layouts)
    ExpectClean(Run(layout), layout);
}

TEST_P(HostBuffers, ASurplusChannelThatAliasesAProducedOneKeepsTheOutput) {
  // The host points surplus output channel 2 at channel 0's memory: silencing it after
  // the block would erase the reverb's left output.
  Plugin plugin(module_, host_);
  ASSERT_TRUE(plugin->init(plugin.get()));
  ASSERT_TRUE(plugin->activate(plugin.get(), 48000.0, 1, 64));
  ASSERT_TRUE(plugin->start_processing(plugin.get()));
  AudioBlock block({2}, {2, 2}, kFrames, Use64(), InPlace());
  block.SetInput(0, 0, std::vector<double>(kFrames, 0.5));
  block.SetInput(0, 1, std::vector<double>(kFrames, 0.5));
  clap_process_t process = block.Process();
  clap_audio_buffer_t& surplus = block.OutputBuffers()[1];
  const clap_audio_buffer_t& main = block.OutputBuffers()[0];
  std::vector<double*> aliased64;
  std::vector<float*> aliased32;
  if (Use64()) {
    aliased64 = {main.data64[0], surplus.data64[1]};
    surplus.data64 = aliased64.data();
  } else {
    aliased32 = {main.data32[0], surplus.data32[1]};
    surplus.data32 = aliased32.data();
  }
  ASSERT_NE(plugin->process(plugin.get(), &process), CLAP_PROCESS_ERROR);
  // Dry level 0.5 passes the input at unity; frame 0 holds no reverberation yet.
  EXPECT_EQ(block.OutputSample(0, 0, 0), 0.5);
  EXPECT_EQ(block.OutputSample(1, 1, 0), 0.0);
  plugin->stop_processing(plugin.get());
  plugin->deactivate(plugin.get());
}

INSTANTIATE_TEST_SUITE_P(FormatsAndPlacement, HostBuffers,
                         testing::Combine(testing::Bool(), testing::Bool()),
                         [](const testing::TestParamInfo<std::tuple<bool, bool>>& info) {
                           return std::string(std::get<0>(info.param) ? "Float64" : "Float32") +
                                  (std::get<1>(info.param) ? "InPlace" : "OutOfPlace");
                         });

}  // namespace
