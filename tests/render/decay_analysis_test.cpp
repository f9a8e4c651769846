// The energy-decay curve and the RT60 fit, on decays whose RT60 is known.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

#include "tools/render/analysis.h"

namespace {

using render::EnergyDecayCurve;
using render::FitDecay;
using render::Signal;

// Noise under an exponential envelope that falls 60 dB in `rt60` seconds.
Signal DecayingNoise(double rt60, double seconds, int channels, double rate = 48000.0) {
  Signal signal;
  signal.sampleRate = rate;
  uint32_t state = 12345;
  for (int c = 0; c < channels; ++c) {
    std::vector<double> samples(static_cast<std::size_t>(seconds * rate));
    for (std::size_t i = 0; i < samples.size(); ++i) {
      state = state * 1664525u + 1013904223u;
      const double noise = static_cast<double>(state) / 2147483648.0 - 1.0;
      samples[i] = noise * std::pow(10.0, -3.0 * static_cast<double>(i) / rate / rt60);
    }
    signal.channels.push_back(std::move(samples));
  }
  return signal;
}

TEST(DecayAnalysis, FindsTheRt60OfAnExponentialDecay) {
  struct Case {
    double rt60;
    int channels;
  };
  for (const Case& c : {Case{0.4, 1}, Case{1.5, 2}, Case{4.0, 2}}) {
    const Signal signal = DecayingNoise(c.rt60, 1.5 * c.rt60, c.channels);
    const std::vector<double> curve = EnergyDecayCurve(signal);
    ASSERT_EQ(curve.size(), signal.Frames());
    EXPECT_DOUBLE_EQ(curve.front(), 0.0);
    EXPECT_TRUE(std::is_sorted(curve.rbegin(), curve.rend())) << "the curve never rises";
    const auto fit = FitDecay(curve, signal.sampleRate);
    ASSERT_TRUE(fit) << c.rt60;
    EXPECT_NEAR(fit->rt60Seconds, c.rt60, 0.02 * c.rt60);
    EXPECT_NEAR(fit->startSeconds, c.rt60 * 5.0 / 60.0, 0.01 * c.rt60);
    EXPECT_NEAR(fit->endSeconds, c.rt60 * 35.0 / 60.0, 0.01 * c.rt60);
  }
}

TEST(DecayAnalysis, GivesNoRt60WithoutA30DecibelDecay) {
  EXPECT_FALSE(FitDecay({0.0, -10.0, -20.0, -30.0, -34.9}, 48000.0));
  const std::vector<double> silent = EnergyDecayCurve(Signal{48000.0, {{0.0, 0.0, 0.0}}});
  EXPECT_TRUE(silent.empty());
  EXPECT_FALSE(FitDecay(silent, 48000.0));
}

}  // namespace
