#include "engine/waveguide.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>

namespace {

constexpr int kRing = cwaveguide::kRingSize;

// A distinct, non-linear value for every call, so interpolation weights show up.
double Pattern(int n) {
  return std::sin(0.37 * n) + 0.5 * std::cos(0.011 * n);
}

// Catmull-Rom at the midpoint, in its textbook form rather than the nested one.
double CatmullRomMidpoint(double a, double b, double c, double d) {
  return (-a + 9.0 * b + 9.0 * c - d) / 16.0;
}

class WaveguideTest : public ::testing::Test {
 protected:
  void FeedPattern(int count) {
    line->SetDelay(1.0);
    for (int n = 0; n < count; ++n)
      line->Feed(Pattern(n));
  }

  std::unique_ptr<cwaveguide> line = std::make_unique<cwaveguide>();
};

TEST_F(WaveguideTest, WholeDelaysReturnTheInputOfThatManyCallsEarlier) {
  for (const int delay : {1, 2, 37, kRing - 1}) {
    SCOPED_TRACE(delay);
    line->Clear();
    line->SetDelay(delay);
    for (int n = 0; n < delay + 50; ++n) {
      const double expected = n >= delay ? Pattern(n - delay) : 0.0;
      ASSERT_EQ(line->Feed(Pattern(n)), expected) << "call " << n;
    }
  }
}

TEST_F(WaveguideTest, DelayZeroAndFullRingReturnTheSampleOfAFullRingAgo) {
  for (const double delay : {0.0, static_cast<double>(kRing)}) {
    SCOPED_TRACE(delay);
    line->Clear();
    line->SetDelay(delay);
    EXPECT_EQ(line->Feed(1.0), 0.0);  // not the current input
    for (int n = 1; n < kRing; ++n)
      line->Feed(0.0);
    EXPECT_EQ(line->Feed(0.0), 1.0);
  }
}

TEST_F(WaveguideTest, HalfSampleDelayIsTheCatmullRomMidpoint) {
  // Fresh line: the taps around the last input are the zeros the ring started with.
  line->SetDelay(1.0);
  line->Feed(1.0);
  line->SetDelay(0.5);
  EXPECT_DOUBLE_EQ(line->Feed(0.0), 0.5625);

  // Mid-ring with four distinct neighbours: the write index is back at 1000, so the read at
  // 999.5 takes the two newest samples and the two oldest.
  line->Clear();
  FeedPattern(kRing + 1000);
  line->SetDelay(0.5);
  const double expected =
      CatmullRomMidpoint(Pattern(kRing + 998), Pattern(kRing + 999), Pattern(1000), Pattern(1001));
  EXPECT_NEAR(line->Feed(0.0), expected, 1e-12);
}

TEST_F(WaveguideTest, ReadingAcrossTheRingEndTakesTheLastTapsFromTheStart) {
  // After exactly one ring of input the write index is 0 again, so a delay of 0.5 reads at
  // 65535.5: a = ring[65534], b = ring[65535], c = ring[0], d = ring[1].
  FeedPattern(kRing);
  line->SetDelay(0.5);
  const double expected =
      CatmullRomMidpoint(Pattern(kRing - 2), Pattern(kRing - 1), Pattern(0), Pattern(1));
  EXPECT_NEAR(line->Feed(0.0), expected, 1e-12);
}

TEST_F(WaveguideTest, FractionalDelaysReproduceALinearRamp) {
  // A cubic Hermite through four points of a straight line lies on that line. Below a delay
  // of 2 the last tap is the slot about to be overwritten, so the ramp would not hold.
  for (const double delay : {2.25, 2.5, 3.75, 100.125}) {
    SCOPED_TRACE(delay);
    line->Clear();
    line->SetDelay(delay);
    for (int n = 0; n < 200; ++n) {
      const double y = line->Feed(static_cast<double>(n));
      if (n >= 103) {
        ASSERT_NEAR(y, n - delay, 1e-9) << "call " << n;
      }
    }
  }
}

TEST_F(WaveguideTest, FeedbackRecirculatesTheDelayedSample) {
  line->SetDelay(4.0);
  line->feedback = 0.5;
  for (int n = 0; n < 40; ++n) {
    const double expected = (n > 0 && n % 4 == 0) ? std::ldexp(1.0, -(n / 4 - 1)) : 0.0;
    ASSERT_EQ(line->Feed(n == 0 ? 1.0 : 0.0), expected) << "call " << n;
  }
}

TEST_F(WaveguideTest, ClearSilencesTheRingAndKeepsDelayAndFeedback) {
  FeedPattern(kRing + 7);
  line->SetDelay(12.0);
  line->feedback = 0.25;
  line->Clear();
  EXPECT_EQ(line->delay, 12.0);
  EXPECT_EQ(line->feedback, 0.25);
  for (int n = 0; n < 12; ++n)
    ASSERT_EQ(line->Feed(1.0), 0.0) << "call " << n;
}

TEST_F(WaveguideTest, SetDelayLimitsTheDelayToTheRing) {
  constexpr double kInf = std::numeric_limits<double>::infinity();
  constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
  const struct {
    double requested, stored;
  } cases[] = {{-3.0, 0.0},    {0.0, 0.0},      {123.25, 123.25}, {65536.0, 65536.0},
               {1e6, 65536.0}, {kInf, 65536.0}, {-kInf, 0.0},     {kNaN, 0.0}};
  for (const auto& c : cases) {
    line->SetDelay(c.requested);
    EXPECT_EQ(line->delay, c.stored) << "requested " << c.requested;
  }
}

TEST_F(WaveguideTest, OverlongDelayStillReadsInsideTheRing) {
  // 0.006 × 48 MHz: far beyond the ring, must behave as a full ring's delay.
  line->SetDelay(288000.0);
  line->Feed(1.0);
  for (int n = 1; n < kRing; ++n)
    ASSERT_EQ(line->Feed(0.0), 0.0) << "call " << n;
  EXPECT_EQ(line->Feed(0.0), 1.0);
}

}  // namespace
