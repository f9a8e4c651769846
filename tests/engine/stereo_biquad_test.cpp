#include "engine/stereo_biquad.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using Coefficients = StereoBiquad::Coefficients;

// Configured in the engine's order (Q derived from the slope at 0 dB, gain set afterwards),
// then jumped straight to the targets instead of gliding there.
StereoBiquad MakeSettled(BiquadType type, double hz, double gainDb, double slope,
                         int32_t rate = 44100) {
  StereoBiquad filter;
  filter.SetType(type);
  filter.SetFrequency(hz);
  filter.SetGainDb(0.0);
  filter.SetSlope(slope);
  filter.SetGainDb(gainDb);
  filter.SetSampleRate(rate);
  filter.ClearState();
  filter.ComputeCoefficients();
  return filter;
}

void ExpectNear(const Coefficients& actual, const Coefficients& expected, double tolerance) {
  EXPECT_NEAR(actual.b0, expected.b0, tolerance);
  EXPECT_NEAR(actual.b1, expected.b1, tolerance);
  EXPECT_NEAR(actual.b2, expected.b2, tolerance);
  EXPECT_NEAR(actual.a1, expected.a1, tolerance);
  EXPECT_NEAR(actual.a2, expected.a2, tolerance);
}

bool operator==(const Coefficients& x, const Coefficients& y) {
  return x.b0 == y.b0 && x.b1 == y.b1 && x.b2 == y.b2 && x.a1 == y.a1 && x.a2 == y.a2;
}

TEST(StereoBiquadTest, CoefficientsMatchReferenceDesigns) {
  const struct {
    const char* name;
    BiquadType type;
    double hz, gainDb, slope;
    Coefficients expected;
  } cases[] = {
      {"high-pass 1 kHz",
       BiquadType::HighPass,
       1000.0,
       0.0,
       1.0,
       {0.9041522, -1.8083044, 0.9041522, -1.7990964, 0.8175124}},
      {"high shelf 12 kHz 0 dB",
       BiquadType::HighShelf,
       12000.0,
       0.0,
       0.2,
       {1.0, 0.1079288, -0.2205487, 0.1079288, -0.2205487}},
      {"high shelf 12 kHz -6 dB",
       BiquadType::HighShelf,
       12000.0,
       -6.0,
       0.2,
       {0.7212537, 0.1739341, -0.1458982, -0.0258258, -0.2248846}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ExpectNear(MakeSettled(c.type, c.hz, c.gainDb, c.slope).coefficients(), c.expected, 1e-7);
  }

  // A flat shelf must be an exact identity, not merely close to one.
  const Coefficients flat = MakeSettled(BiquadType::HighShelf, 12000.0, 0.0, 0.2).coefficients();
  EXPECT_EQ(flat.b0, 1.0);
  EXPECT_EQ(flat.b1, flat.a1);
  EXPECT_EQ(flat.b2, flat.a2);
}

TEST(StereoBiquadTest, TypesOutsideTheEnumerationComputeAsPeaking) {
  const StereoBiquad peaking = MakeSettled(BiquadType::Peaking, 3000.0, 6.0, 0.5);
  for (const int32_t value : {-1, 9, 42}) {
    SCOPED_TRACE(value);
    const StereoBiquad unknown = MakeSettled(static_cast<BiquadType>(value), 3000.0, 6.0, 0.5);
    EXPECT_TRUE(unknown.coefficients() == peaking.coefficients());
    EXPECT_EQ(unknown.TargetQ(), peaking.TargetQ());
  }
}

TEST(StereoBiquadTest, SetSlopeDerivesQFromTheTargetGain) {
  // Square root of the cookbook's A: 10^(dB/80) for peaking and shelves, 10^(dB/40) for the
  // band kinds, 1 for low- and high-pass. Slopes of 0 and below count as 0.1.
  const struct {
    BiquadType type;
    double gainDb, slope, aRoot, effectiveSlope;
  } cases[] = {
      {BiquadType::HighPass, 6.0, 1.0, 1.0, 1.0},
      {BiquadType::LowPass, -9.0, 0.5, 1.0, 0.5},
      {BiquadType::HighShelf, 0.0, 0.2, 1.0, 0.2},
      {BiquadType::HighShelf, 6.0, 0.5, std::pow(10.0, 6.0 / 80.0), 0.5},
      {BiquadType::LowShelf, -12.0, 0.7, std::pow(10.0, -12.0 / 80.0), 0.7},
      {BiquadType::Peaking, 3.0, 2.0, std::pow(10.0, 3.0 / 80.0), 2.0},
      {BiquadType::Notch, 6.0, 0.5, std::pow(10.0, 6.0 / 40.0), 0.5},
      {BiquadType::BandPassPeak, -6.0, 0.5, std::pow(10.0, -6.0 / 40.0), 0.5},
      {BiquadType::HighShelf, 0.0, 0.0, 1.0, 0.1},
      {BiquadType::HighShelf, 0.0, -2.0, 1.0, 0.1},
      {BiquadType::Notch, 6.0, -0.5, std::pow(10.0, 6.0 / 40.0), 0.1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "type " << static_cast<int>(c.type) << ", " << c.gainDb
                                    << " dB, slope " << c.slope);
    StereoBiquad filter;
    filter.SetType(c.type);
    filter.SetGainDb(c.gainDb);
    filter.SetSlope(c.slope);
    const double expected =
        1.0 / std::sqrt((1.0 / c.aRoot + c.aRoot) * (1.0 / c.effectiveSlope - 1.0) + 2.0);
    EXPECT_NEAR(filter.TargetQ(), expected, 1e-12);
  }
  StereoBiquad hpf;
  hpf.SetType(BiquadType::HighPass);
  hpf.SetSlope(1.0);
  EXPECT_EQ(hpf.TargetQ(), 0.7071067811865475);
}

TEST(StereoBiquadTest, EachSetterAdvancesTheGlideByOneStep) {
  StereoBiquad filter;  // frequency state 1000
  filter.SetFrequency(12000.0);
  EXPECT_DOUBLE_EQ(filter.FrequencyState(), 1110.0);
  filter.SetGainDb(0.0);
  EXPECT_DOUBLE_EQ(filter.FrequencyState(), 12000.0 * 0.01 + 1110.0 * 0.99);
  EXPECT_EQ(filter.CurrentFrequency(), filter.FrequencyState());
}

TEST(StereoBiquadTest, ProcessingGlidesOneStepPerFrameUntilSettled) {
  StereoBiquad filter = MakeSettled(BiquadType::HighPass, 1000.0, 0.0, 1.0);
  filter.SetFrequency(2000.0);
  double left = 0.0, right = 0.0;
  for (int frame = 1; frame <= 100; ++frame) {
    filter.ProcessStereo(left, right);
    ASSERT_NEAR(filter.FrequencyState(), 2000.0 - 1000.0 * std::pow(0.99, frame + 1), 1e-9)
        << "frame " << frame;
  }
  for (int frame = 0; frame < 3000; ++frame)
    filter.ProcessStereo(left, right);
  const double settled = filter.FrequencyState();
  EXPECT_NEAR(settled, 2000.0, 1e-6);
  filter.ProcessStereo(left, right);
  EXPECT_EQ(filter.FrequencyState(), settled);  // the glide has stopped, not crept on

  // Recomputed along the way: within the 1e-4 tolerance of a direct design at 2 kHz.
  ExpectNear(filter.coefficients(),
             MakeSettled(BiquadType::HighPass, 2000.0, 0.0, 1.0).coefficients(), 1e-4);
}

TEST(StereoBiquadTest, AdvanceRecomputesOnlyBeyondItsTolerances) {
  StereoBiquad filter = MakeSettled(BiquadType::HighPass, 1000.0, 0.0, 1.0);
  filter.Advance();  // uses up the forced recomputation
  const Coefficients before = filter.coefficients();

  filter.SetFrequency(1000.05);  // one step moves 0.0005 Hz, far inside 1e-4 relative
  EXPECT_TRUE(filter.coefficients() == before);

  filter.SetSampleRate(48000);  // a new rate always recomputes
  EXPECT_FALSE(filter.coefficients() == before);
}

TEST(StereoBiquadTest, ChannelsShareCoefficientsButNotMemories) {
  // A high-pass removes DC and passes the Nyquist tone with unit gain.
  StereoBiquad filter = MakeSettled(BiquadType::HighPass, 1000.0, 0.0, 1.0);
  double left = 0.0, right = 0.0;
  for (int frame = 0; frame < 4000; ++frame) {
    const double nyquist = frame % 2 == 0 ? 1.0 : -1.0;
    left = 1.0;
    right = nyquist;
    filter.ProcessStereo(left, right);
    if (frame >= 3000) {
      ASSERT_NEAR(left, 0.0, 1e-9) << "frame " << frame;
      ASSERT_NEAR(right, nyquist, 1e-9) << "frame " << frame;
    }
  }
}

TEST(StereoBiquadTest, ClearMemoriesLeavesGlideAndCoefficientsAlone) {
  StereoBiquad filter = MakeSettled(BiquadType::HighShelf, 12000.0, -6.0, 0.2);
  filter.SetFrequency(6000.0);
  double left = 0.0, right = 0.0;
  for (int frame = 0; frame < 50; ++frame) {
    left = std::sin(0.3 * frame);
    right = std::cos(0.7 * frame);
    filter.ProcessStereo(left, right);
  }
  const Coefficients coefficients = filter.coefficients();
  const double frequencyState = filter.FrequencyState();

  filter.ClearMemories();
  EXPECT_TRUE(filter.coefficients() == coefficients);
  EXPECT_EQ(filter.FrequencyState(), frequencyState);
  for (int frame = 0; frame < 10; ++frame) {
    left = right = 0.0;
    filter.ProcessStereo(left, right);
    ASSERT_EQ(left, 0.0);
    ASSERT_EQ(right, 0.0);
  }
}

}  // namespace
