// The reverb as a host hears it: through the built module, with the engine's
// guarantees about silence, block sizes and hostile input.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <thread>
#include <vector>

#include "tests/host/test_host.h"

namespace {

using testhost::AudioBlock;
using testhost::InitialisedModule;
using testhost::Plugin;
using testhost::TestHost;

enum Param : clap_id {
  kPredelay = 0,
  kRoomSize = 1,
  kErDensity = 3,
  kErLevel = 4,
  kWidth = 9,
  kGateThreshold = 10,
  kRelease = 12,
  kHold = 15,
  kGateDetector = 16,
  kHighShelf = 17,
  kDryLevel = 8,
  kWetLevel = 7,
};

// A Halvern instance activated at a rate, with a helper to run blocks.
class Reverb {
 public:
  explicit Reverb(InitialisedModule& module, double rate = 44100.0, uint32_t maxFrames = 4096,
                  int32_t config = -1)
      : plugin_(module, host_) {
    EXPECT_TRUE(plugin_->init(plugin_.get()));
    if (config >= 0) {
      const auto* configs =
          plugin_.Extension<clap_plugin_audio_ports_config_t>(CLAP_EXT_AUDIO_PORTS_CONFIG);
      EXPECT_TRUE(configs->select(plugin_.get(), static_cast<clap_id>(config)));
    }
    EXPECT_TRUE(plugin_->activate(plugin_.get(), rate, 1, maxFrames));
    EXPECT_TRUE(plugin_->start_processing(plugin_.get()));
  }

  // A parameter value as the host sends it: normalised for the Real parameters.
  void Set(clap_id id, double value) { events_.AddParamValue(id, value); }

  // Runs the input (per channel) through in blocks of `block` frames.
  std::vector<std::vector<double>> Run(const std::vector<std::vector<double>>& input,
                                       uint32_t block, std::vector<uint32_t> inputPorts = {2},
                                       bool use64 = true) {
    const std::size_t frames = input[0].size();
    std::vector<std::vector<double>> output(2, std::vector<double>(frames));
    for (std::size_t start = 0; start < frames; start += block) {
      const uint32_t n = static_cast<uint32_t>(std::min<std::size_t>(block, frames - start));
      AudioBlock audio(inputPorts, {2}, n, use64);
      uint32_t channel = 0;
      for (uint32_t p = 0; p < inputPorts.size(); ++p) {
        for (uint32_t c = 0; c < inputPorts[p]; ++c, ++channel) {
          audio.SetInput(p, c,
                         {input[channel].begin() + start, input[channel].begin() + start + n});
        }
      }
      clap_process_t process = audio.Process(&events_, &out_);
      EXPECT_NE(plugin_->process(plugin_.get(), &process), CLAP_PROCESS_ERROR);
      events_.Clear();
      for (uint32_t c = 0; c < 2; ++c) {
        for (uint32_t i = 0; i < n; ++i)
          output[c][start + i] = audio.OutputSample(0, c, i);
      }
    }
    return output;
  }

  // One stereo block of a constant level; the status `process` answers.
  clap_process_status Block(double level, uint32_t frames = 512) {
    AudioBlock audio({2}, {2}, frames, true);
    audio.FillInputs(level);
    clap_process_t process = audio.Process(&events_, &out_);
    const clap_process_status status = plugin_->process(plugin_.get(), &process);
    events_.Clear();
    return status;
  }

  uint32_t Tail() const {
    return plugin_.Extension<clap_plugin_tail_t>(CLAP_EXT_TAIL)->get(plugin_.get());
  }
  const TestHost& Host() const { return host_; }

 private:
  TestHost host_;
  Plugin plugin_;
  testhost::InputEvents events_;
  testhost::OutputEvents out_;
};

std::vector<std::vector<double>> Impulse(std::size_t frames, std::size_t channels = 2) {
  std::vector<std::vector<double>> input(channels, std::vector<double>(frames, 0.0));
  for (auto& channel : input)
    channel[0] = 1.0;
  return input;
}

std::vector<std::vector<double>> Noise(std::size_t frames, std::size_t channels, unsigned seed) {
  std::vector<std::vector<double>> input(channels, std::vector<double>(frames));
  unsigned state = seed;
  for (auto& channel : input) {
    for (double& sample : channel) {
      state = state * 1664525u + 1013904223u;
      sample = (static_cast<double>(state >> 8) / 16777216.0 - 0.5) * 0.5;
    }
  }
  return input;
}

double Energy(const std::vector<double>& samples, std::size_t from, std::size_t to) {
  double sum = 0;
  for (std::size_t i = from; i < to && i < samples.size(); ++i)
    sum += samples[i] * samples[i];
  return sum;
}

TEST(Engine, ImpulseResponseOfTheDefaults) {
  InitialisedModule module;
  Reverb reverb(module);
  const auto out = reverb.Run(Impulse(44100), 512);
  for (int c = 0; c < 2; ++c) {
    EXPECT_EQ(out[c][0], 1.0);
    for (int i = 1; i <= 1114; ++i)
      ASSERT_EQ(out[c][i], 0.0) << "channel " << c << " frame " << i;
    EXPECT_GT(Energy(out[c], 1115, 4410), 0.0);
    // A tail that decays: the second half second holds less energy than the first.
    EXPECT_LT(Energy(out[c], 22050, 44100), Energy(out[c], 1115, 22050));
  }
}

TEST(Engine, SilenceInIsExactSilenceOut) {
  InitialisedModule module;
  Reverb reverb(module, 48000);
  const auto out = reverb.Run(std::vector<std::vector<double>>(2, std::vector<double>(48000)), 480);
  for (const auto& channel : out) {
    for (double sample : channel)
      ASSERT_EQ(sample, 0.0);
  }
}

TEST(Engine, BlockSizeDoesNotChangeTheResult) {
  InitialisedModule module;
  const auto input = Noise(8192, 2, 7);
  std::vector<std::vector<double>> reference;
  for (uint32_t block : {4096u, 1u, 64u, 511u}) {
    Reverb reverb(module);
    const auto out = reverb.Run(input, block);
    if (reference.empty()) {
      reference = out;
      continue;
    }
    for (int c = 0; c < 2; ++c) {
      for (std::size_t i = 0; i < out[c].size(); ++i) {
        ASSERT_EQ(std::memcmp(&out[c][i], &reference[c][i], sizeof(double)), 0)
            << "block " << block << " channel " << c << " frame " << i;
      }
    }
  }
}

TEST(Engine, NonFiniteInputIsSilenceAndTheDryPathSurvives) {
  InitialisedModule module;
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  for (double bad : {nan, inf, -inf}) {
    Reverb reverb(module);
    auto input = Noise(8192, 2, 3);
    auto clean = input;
    for (int c = 0; c < 2; ++c) {
      input[c][100] = bad;
      clean[c][100] = 0.0;
    }
    Reverb reference(module);
    const auto expected = reference.Run(clean, 512);
    const auto out = reverb.Run(input, 512);
    for (int c = 0; c < 2; ++c) {
      for (std::size_t i = 0; i < out[c].size(); ++i) {
        ASSERT_EQ(out[c][i], expected[c][i]) << bad << " channel " << c << " frame " << i;
      }
    }
  }
}

TEST(Engine, OverflowInsideTheNetworkRecoversAtOnce) {
  InitialisedModule module;
  Reverb reverb(module);
  reverb.Set(kHighShelf, 1.0);  // +10 dB
  auto input = Noise(44100, 2, 11);
  for (int c = 0; c < 2; ++c) {
    for (int i = 1000; i < 1200; ++i)
      input[c][i] = (i % 2 ? 1e308 : -1e308);
  }
  const auto out = reverb.Run(input, 512);
  for (int c = 0; c < 2; ++c) {
    for (std::size_t i = 0; i < out[c].size(); ++i)
      ASSERT_TRUE(std::isfinite(out[c][i])) << i;
    // The dry signal keeps passing, and the reverb comes back after the burst.
    EXPECT_EQ(out[c][30000] != 0.0, true);
    EXPECT_GT(Energy(out[c], 20000, 44100), 0.0);
  }
}

TEST(Engine, AnInfiniteOutputIsWrittenAsZero) {
  InitialisedModule module;
  Reverb reverb(module);
  reverb.Set(kDryLevel, 1.0);  // dry gain 2: 1e308 overflows to infinity
  std::vector<std::vector<double>> input(2, std::vector<double>(64, 1e308));
  const auto out = reverb.Run(input, 64);
  for (int c = 0; c < 2; ++c)
    EXPECT_EQ(out[c][0], 0.0);
}

TEST(Engine, AHeldGateKeepsHoldingWhileAnotherParameterMoves) {
  InitialisedModule module;
  // Gate keyed by the dry input, −40 dB, 300 ms hold, fast release.
  auto gated = [&](bool automate) {
    Reverb reverb(module);
    reverb.Set(kGateThreshold, 50.0 / 90.0);  // −40 dB
    reverb.Set(kGateDetector, 0);
    reverb.Set(kHold, 0.5);  // 300 ms
    reverb.Set(kRelease, 0.0);
    auto input = Noise(44100, 2, 5);
    for (int c = 0; c < 2; ++c) {
      std::fill(input[c].begin() + 8000, input[c].end(), 0.0);  // key stops at 8000
    }
    std::vector<std::vector<double>> out(2);
    for (std::size_t start = 0; start < input[0].size(); start += 512) {
      if (automate) reverb.Set(kWidth, (start / 512) % 2 ? 0.4 : 0.6);
      std::vector<std::vector<double>> chunk(2);
      for (int c = 0; c < 2; ++c) {
        chunk[c].assign(input[c].begin() + start,
                        input[c].begin() + std::min(start + 512, input[c].size()));
      }
      const auto o = reverb.Run(chunk, 512);
      for (int c = 0; c < 2; ++c)
        out[c].insert(out[c].end(), o[c].begin(), o[c].end());
    }
    return out;
  };
  const auto held = gated(true);
  // Within the hold (8000 … 21230) the reverb goes on; after it, it is gone.
  EXPECT_GT(Energy(held[0], 16000, 21000), 1e-6);
  EXPECT_LT(Energy(held[0], 30000, 44100), 1e-20);
}

TEST(Engine, LinesComingBackIntoUseStartFromSilence) {
  InitialisedModule module;
  struct Toggle {
    clap_id param;
    double on;
  };
  // Pre-delay on, then off, then on again; likewise early reflections.
  for (const Toggle& t : {Toggle{kPredelay, 0.8}, Toggle{kErLevel, 1.0}}) {
    Reverb reverb(module);
    reverb.Set(kWetLevel, 1.0);
    reverb.Set(kDryLevel, 0.0);
    if (t.param == kErLevel) reverb.Set(kErDensity, 1.0);
    reverb.Set(t.param, t.on);
    reverb.Run(Noise(4096, 2, 9), 512);  // the line fills with noise
    reverb.Set(t.param, 0.0);
    // Long enough for the reverb's own tail to die out completely.
    reverb.Run(std::vector<std::vector<double>>(2, std::vector<double>(30 * 44100)), 4096);
    reverb.Set(t.param, t.on);
    const auto out =
        reverb.Run(std::vector<std::vector<double>>(2, std::vector<double>(8192)), 512);
    for (int c = 0; c < 2; ++c) {
      for (double sample : out[c])
        ASSERT_LT(std::fabs(sample), 1e-12) << "param " << t.param;
    }
  }
}

TEST(Engine, TheSidechainIsNeverHeard) {
  InitialisedModule module;
  // 1.1-2 and 1.2-2: a mono main input and a side-chain of one or two channels.
  for (auto [config, ports] :
       {std::pair{4, std::vector<uint32_t>{1, 1}}, std::pair{7, std::vector<uint32_t>{1, 2}}}) {
    const std::size_t channels = ports[0] + ports[1];
    auto input = Noise(16384, channels, 13);
    std::fill(input[0].begin(), input[0].end(), 0.0);  // a silent main input
    Reverb reverb(module, 44100, 4096, config);
    const auto out = reverb.Run(input, 1024, ports);
    for (int c = 0; c < 2; ++c) {
      for (double sample : out[c])
        ASSERT_EQ(sample, 0.0) << "config " << config;
    }
  }
}

// The reported tail covers the whole response: after it, even the slowest setting is below
// -120 dBFS. The defaults, the largest room and the longest pre-delay at 48 kHz, each with
// the wet level at full.
TEST(Engine, TheReportedTailCoversTheImpulseResponse) {
  InitialisedModule module;
  constexpr clap_id kNone = UINT32_MAX;
  struct Case {
    const char* name;
    clap_id param;
  };
  uint32_t defaultsTail = 0;
  for (const Case& c : {Case{"defaults", kNone}, Case{"largest room", kRoomSize},
                        Case{"100 ms pre-delay", kPredelay}}) {
    SCOPED_TRACE(c.name);
    Reverb reverb(module, 48000);
    if (c.param != kNone) reverb.Set(c.param, 1.0);
    reverb.Set(kWetLevel, 1.0);
    reverb.Block(0.0, 1);  // applies the settings
    const uint32_t tail = reverb.Tail();
    ASSERT_GT(tail, 48000u);
    ASSERT_LT(tail, 60u * 48000);
    const auto out = reverb.Run(Impulse(tail + 24000), 4096);
    for (int ch = 0; ch < 2; ++ch) {
      double latest = 0.0;
      for (std::size_t i = tail; i < out[ch].size(); ++i)
        latest = std::max(latest, std::fabs(out[ch][i]));
      EXPECT_LT(latest, 1e-6) << "channel " << ch;
    }
    if (c.param == kNone) defaultsTail = tail;
    if (c.param == kPredelay) {
      EXPECT_EQ(tail, defaultsTail + 4800);  // the pre-delay, exactly
    }
  }
}

TEST(Engine, SleepsOnceTheInputHasBeenSilentForTheTailAndWakesOnSound) {
  InitialisedModule module;
  Reverb reverb(module, 48000, 512);
  EXPECT_EQ(reverb.Block(0.25), CLAP_PROCESS_CONTINUE);
  const uint32_t tail = reverb.Tail();
  uint32_t silent = 0;
  while (silent + 512 < tail) {
    ASSERT_EQ(reverb.Block(0.0), CLAP_PROCESS_CONTINUE) << silent;
    silent += 512;
  }
  EXPECT_EQ(reverb.Block(0.0), CLAP_PROCESS_SLEEP);
  EXPECT_EQ(reverb.Block(0.0), CLAP_PROCESS_SLEEP);
  EXPECT_EQ(reverb.Block(0.25), CLAP_PROCESS_CONTINUE);
  EXPECT_EQ(reverb.Block(0.0), CLAP_PROCESS_CONTINUE);
}

// Before activation there is no rate to measure a tail in: the host reads no tail, and
// hears of the real one from the first block, on the audio thread.
TEST(Engine, TheHostHearsOfTheTailWhenItMoves) {
  InitialisedModule module;
  TestHost host;
  Plugin plugin(module, host);
  ASSERT_TRUE(plugin->init(plugin.get()));
  const auto* tail = plugin.Extension<clap_plugin_tail_t>(CLAP_EXT_TAIL);
  EXPECT_EQ(tail->get(plugin.get()), 0u);
  ASSERT_TRUE(plugin->activate(plugin.get(), 48000, 1, 64));
  const uint32_t activated = tail->get(plugin.get());
  EXPECT_GT(activated, 0u);
  EXPECT_NE(activated, UINT32_MAX);
  EXPECT_EQ(host.TailChanges(), 0);  // activate runs on the main thread

  std::thread audio([&] {
    AudioBlock block({2}, {2}, 64);
    testhost::InputEvents events;
    testhost::OutputEvents out;
    auto run = [&] {
      clap_process_t process = block.Process(&events, &out);
      plugin->process(plugin.get(), &process);
      events.Clear();
    };
    plugin->start_processing(plugin.get());
    run();
    EXPECT_EQ(host.TailChanges(), 1);
    EXPECT_EQ(host.TailChangedThread(), std::this_thread::get_id());
    run();
    EXPECT_EQ(host.TailChanges(), 1);  // unchanged
    events.AddParamValue(kRoomSize, 0.9);
    run();
    EXPECT_EQ(host.TailChanges(), 2);
    EXPECT_GT(tail->get(plugin.get()), activated);
    plugin->stop_processing(plugin.get());
  });
  audio.join();
}

}  // namespace
