#include "engine/gate.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

using dynamics::RmsGate;

// The engine's reset settings at 44.1 kHz.
RmsGate MakeEngineGate() {
  RmsGate gate;
  gate.SetAttackMs(1.0);
  gate.SetReleaseMs(200.0);
  gate.SetThresholdDb(-90.0);
  gate.SetSampleRate(44100.0);
  gate.SetWindowMs(10.0);
  gate.ResetRuntime();
  return gate;
}

// Threshold 0 dB (linear 1) and no averaging window, so the key level of a frame is exactly
// the square root of its power. At 1 kHz one millisecond of hold is one frame.
RmsGate MakeInstantGate(double holdMs) {
  RmsGate gate;
  gate.SetSampleRate(1000.0);
  gate.SetWindowMs(0.0);
  gate.ResetRuntime();
  gate.SetHoldMs(holdMs);
  return gate;
}

TEST(GateTest, DetectorCoefficientsFollowTimeAndSampleRate) {
  RmsGate gate = MakeEngineGate();
  EXPECT_NEAR(gate.AttackCoefficient(), 0.9775794, 1e-7);
  EXPECT_NEAR(gate.ReleaseCoefficient(), 0.9998866, 1e-7);
  EXPECT_NEAR(gate.WindowCoefficient(), 0.9977350, 1e-7);

  // Half the rate squares every coefficient, so all three detectors must see the new rate.
  const double attack = gate.AttackCoefficient();
  const double release = gate.ReleaseCoefficient();
  const double window = gate.WindowCoefficient();
  gate.SetSampleRate(22050.0);
  EXPECT_NEAR(gate.AttackCoefficient(), attack * attack, 1e-15);
  EXPECT_NEAR(gate.ReleaseCoefficient(), release * release, 1e-15);
  EXPECT_NEAR(gate.WindowCoefficient(), window * window, 1e-15);
  EXPECT_EQ(gate.SampleRate(), 22050.0);
}

TEST(GateTest, ThresholdIsConvertedToAmplitude) {
  const struct {
    double db, linear;
  } cases[] = {{0.0, 1.0}, {-90.0, 3.1622776601683795e-5}, {-20.0, 0.1}, {6.0, 1.9952623149688795}};
  RmsGate gate;
  for (const auto& c : cases) {
    gate.SetThresholdDb(c.db);
    EXPECT_EQ(gate.ThresholdDb(), c.db);
    EXPECT_NEAR(gate.LinearThreshold(), c.linear, c.linear * 1e-14) << c.db << " dB";
    // The gate rounds ln 10 / 20 one unit below the filters; thresholds depend on that bit.
    EXPECT_EQ(gate.LinearThreshold(), std::exp(c.db * 0.11512925464970228)) << c.db << " dB";
  }
}

TEST(GateTest, HoldLengthIsWholeFramesAtTheDetectorRate) {
  const struct {
    double rate, holdMs;
    int32_t frames;
  } cases[] = {{44100.0, 600.0, 26460}, {48000.0, 0.1, 4}, {44100.0, 0.0, 0}, {96000.0, 2.5, 240}};
  for (const auto& c : cases) {
    RmsGate gate;
    gate.SetSampleRate(c.rate);
    gate.SetHoldMs(c.holdMs);
    EXPECT_EQ(gate.HoldLength(), c.frames) << c.holdMs << " ms at " << c.rate;
    EXPECT_EQ(gate.HoldMs(), c.holdMs);
  }
}

TEST(GateTest, ConstantKeyAboveThresholdFollowsTheAttackCurve) {
  RmsGate gate = MakeEngineGate();
  const double attack = gate.AttackCoefficient();
  for (int n = 1; n <= 200; ++n) {
    const double expected = 1.0 - (1.0 - 1e-25) * std::pow(attack, n);
    ASSERT_NEAR(gate.Step(1.0), expected, 1e-12) << "frame " << n;
  }
}

TEST(GateTest, EnvelopeHoldsForTheHoldLengthThenReleases) {
  for (const int holdFrames : {0, 1, 3}) {
    SCOPED_TRACE(testing::Message() << "hold " << holdFrames << " frames");
    RmsGate gate = MakeInstantGate(holdFrames);
    for (int n = 0; n < 5; ++n)
      gate.Step(4.0);
    const double open = gate.Envelope();
    EXPECT_EQ(gate.HoldCounter(), holdFrames);

    for (int n = 0; n < holdFrames; ++n)
      ASSERT_EQ(gate.Step(0.0), open) << "held frame " << n;
    EXPECT_EQ(gate.HoldCounter(), 0);
    const double release = gate.ReleaseCoefficient();
    EXPECT_DOUBLE_EQ(gate.Step(0.0), open * release);
    EXPECT_DOUBLE_EQ(gate.Step(0.0), open * release * release);  // the counter stops at 0
    EXPECT_EQ(gate.HoldCounter(), 0);
  }
}

TEST(GateTest, KeyExactlyAtTheThresholdCountsAsBelow) {
  RmsGate gate = MakeInstantGate(3.0);
  gate.Step(4.0);
  const double open = gate.Envelope();
  ASSERT_EQ(gate.HoldCounter(), 3);

  EXPECT_EQ(gate.Step(1.0), open);  // level 1 == linear threshold: held, not re-triggered
  EXPECT_EQ(gate.HoldCounter(), 2);
  const double justAbove = std::nextafter(1.0, 2.0);
  gate.Step(justAbove * justAbove);  // the smallest level above re-triggers
  EXPECT_EQ(gate.HoldCounter(), 3);
}

TEST(GateTest, ReapplyingTheSameHoldTimeKeepsARunningHold) {
  RmsGate gate = MakeInstantGate(5.0);
  gate.Step(4.0);
  gate.Step(0.0);
  gate.Step(0.0);
  ASSERT_EQ(gate.HoldCounter(), 3);

  gate.SetHoldMs(5.0);  // what every settings application does
  EXPECT_EQ(gate.HoldCounter(), 3);

  gate.SetSampleRate(2000.0);  // the length follows the rate even when the time is unchanged
  gate.SetHoldMs(5.0);
  EXPECT_EQ(gate.HoldLength(), 10);
  EXPECT_EQ(gate.HoldCounter(), 3);

  gate.SetHoldMs(4.0);  // a real change ends the running hold
  EXPECT_EQ(gate.HoldLength(), 8);
  EXPECT_EQ(gate.HoldCounter(), 0);
}

TEST(GateTest, RecoversAtOnceFromANonFiniteKey) {
  const double kHuge = 1e200;
  const double badPowers[] = {kHuge * kHuge, std::numeric_limits<double>::quiet_NaN(),
                              -std::numeric_limits<double>::infinity()};
  for (const double bad : badPowers) {
    SCOPED_TRACE(bad);
    RmsGate gate = MakeEngineGate();
    RmsGate fresh = MakeEngineGate();
    for (int n = 0; n < 100; ++n)
      gate.Step(1.0);

    EXPECT_LE(gate.Step(bad), 1e-25);  // closed, not stuck at NaN
    for (int n = 0; n < 300; ++n) {
      ASSERT_NEAR(gate.Step(1.0), fresh.Step(1.0), 1e-15) << "frame " << n;
    }
    EXPECT_GT(gate.Envelope(), 0.99);
  }
}

TEST(GateTest, ClearRuntimeStateClosesTheGateAndKeepsSettings) {
  RmsGate gate = MakeEngineGate();
  gate.SetHoldMs(600.0);
  for (int n = 0; n < 100; ++n)
    gate.Step(1.0);
  ASSERT_EQ(gate.HoldCounter(), 26460);

  gate.ClearRuntimeState();
  EXPECT_EQ(gate.Envelope(), 1e-25);
  EXPECT_EQ(gate.HoldCounter(), 0);
  EXPECT_EQ(gate.HoldLength(), 26460);
  EXPECT_EQ(gate.HoldMs(), 600.0);
  EXPECT_EQ(gate.ThresholdDb(), -90.0);
  EXPECT_EQ(gate.ReleaseMs(), 200.0);

  // The mean square restarts too: a silent key must not find the old average above the
  // threshold, so the gate behaves as one that never ran.
  RmsGate fresh = MakeEngineGate();
  fresh.SetHoldMs(600.0);
  for (int n = 0; n < 10; ++n) {
    ASSERT_EQ(gate.Step(0.0), fresh.Step(0.0)) << "frame " << n;
  }
  EXPECT_LT(gate.Envelope(), 1e-25);

  gate.ResetRuntime();
  EXPECT_EQ(gate.HoldLength(), 0);
  EXPECT_EQ(gate.HoldMs(), 0.0);
}

}  // namespace
