#include "engine/late_network.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace {

static_assert(kAllpassStorage == 2 * 1896 + 23 * 6);

const double kRates[] = {11025.0, 22050.0, 44100.0, 48000.0, 96000.0};

template <typename Filter>
Filter MakeFresh(std::vector<double>& storage, const FilterTuning& tuning, int side, double rate) {
  Filter filter;
  filter.Setup(storage.data(), tuning.nominalLength + side * kStereoSpread, tuning.spread, rate);
  return filter;
}

// Steps a filter on silence until its position wraps to 0 and returns the number of steps.
template <typename Filter>
int StepsToWrap(Filter& filter) {
  int steps = 0;
  do {
    filter.Step(0.0);
    ++steps;
  } while (filter.position != 0 && steps <= kCombCapacity);
  return steps;
}

// Loop length after the first pass of a fresh filter: the first trim update happens at
// lfoCount 0, where the sine is 0, so the trim is the whole part of the centre.
int SteadyLoop(int length, double spread, double rate) {
  const double centre = spread * (rate / 44100.0);
  return centre < 1.0 ? length : length - static_cast<int>(centre);
}

TEST(LateNetworkTest, LengthsShrinkBelowTheTuningRateAndNeverGrow) {
  std::vector<double> storage(kCombCapacity);
  for (const double rate : {22050.0, 44100.0, 48000.0, 96000.0}) {
    SCOPED_TRACE(rate);
    for (int side = 0; side < 2; ++side) {
      for (const FilterTuning& tuning : kCombTuning) {
        const int nominal = tuning.nominalLength + side * kStereoSpread;
        EXPECT_EQ(MakeFresh<CombFilter>(storage, tuning, side, rate).length,
                  rate < 44100.0 ? nominal / 2 : nominal)
            << "comb " << nominal;
      }
      for (const FilterTuning& tuning : kAllpassTuning) {
        const int nominal = tuning.nominalLength + side * kStereoSpread;
        EXPECT_EQ(MakeFresh<AllpassFilter>(storage, tuning, side, rate).length,
                  rate < 44100.0 ? nominal / 2 : nominal)
            << "allpass " << nominal;
      }
    }
  }
  EXPECT_EQ(MakeFresh<CombFilter>(storage, kCombTuning[0], 0, 22050.0).length, 558);
  EXPECT_EQ(MakeFresh<AllpassFilter>(storage, kAllpassTuning[5], 1, 22050.0).length, 88);
}

TEST(LateNetworkTest, FreshCombZeroTrimsItsLoopDuringTheFirstPass) {
  std::vector<double> storage(kCombCapacity);
  CombFilter comb;
  comb.Setup(storage.data(), 1116, 2.0, 44100.0);
  comb.feedback = 1.0;
  comb.damp2 = 1.0;  // no damping: the impulse recirculates unchanged

  std::vector<int> echoes;
  for (int step = 0; step < 4000; ++step) {
    if (step < 1114) {
      ASSERT_EQ(comb.lengthTrim, 0) << "step " << step;
    }
    const int position = comb.position;
    if (comb.Step(step == 0 ? 1.0 : 0.0) != 0.0) echoes.push_back(step);
    if (position == 1114) {
      EXPECT_EQ(comb.lengthTrim, 2);
      EXPECT_EQ(comb.lfoCount, 1);
    }
  }
  EXPECT_EQ(echoes, (std::vector<int>{1115, 1115 + 1114, 1115 + 2 * 1114}));
  EXPECT_EQ(comb.lfoCount, 1);  // the update condition is never met again
}

TEST(LateNetworkTest, EveryFilterSettlesOnItsTrimmedLoopAfterTheFirstPass) {
  std::vector<double> storage(kCombCapacity);
  for (const double rate : kRates) {
    for (int side = 0; side < 2; ++side) {
      for (const FilterTuning& tuning : kCombTuning) {
        SCOPED_TRACE(testing::Message()
                     << "comb " << tuning.nominalLength << " side " << side << " at " << rate);
        auto comb = MakeFresh<CombFilter>(storage, tuning, side, rate);
        StepsToWrap(comb);
        EXPECT_EQ(StepsToWrap(comb), SteadyLoop(comb.length, tuning.spread, rate));
      }
      for (const FilterTuning& tuning : kAllpassTuning) {
        SCOPED_TRACE(testing::Message()
                     << "allpass " << tuning.nominalLength << " side " << side << " at " << rate);
        auto allpass = MakeFresh<AllpassFilter>(storage, tuning, side, rate);
        StepsToWrap(allpass);
        EXPECT_EQ(StepsToWrap(allpass), SteadyLoop(allpass.length, tuning.spread, rate));
      }
    }
  }

  // Anchors for the tuning table itself: the left loops at the tuning rate.
  const int combLoops[kCombCount] = {1114, 1185, 1272, 1349, 1411, 1484, 1552, 1614, 1683, 1743};
  const int allpassLoops[kAllpassCount] = {554, 438, 336, 218, 169, 140};
  for (int i = 0; i < kCombCount; ++i) {
    auto comb = MakeFresh<CombFilter>(storage, kCombTuning[i], 0, 44100.0);
    StepsToWrap(comb);
    EXPECT_EQ(StepsToWrap(comb), combLoops[i]) << "comb " << i;
  }
  for (int i = 0; i < kAllpassCount; ++i) {
    auto allpass = MakeFresh<AllpassFilter>(storage, kAllpassTuning[i], 0, 44100.0);
    StepsToWrap(allpass);
    EXPECT_EQ(StepsToWrap(allpass), allpassLoops[i]) << "allpass " << i;
  }
}

TEST(LateNetworkTest, CombLowpassesWhatItFeedsBack) {
  // Spread 0 never trims, leaving a plain eight-sample loop.
  std::vector<double> storage(8);
  CombFilter comb;
  comb.Setup(storage.data(), 8, 0.0, 44100.0);
  comb.feedback = 0.5;
  comb.damp1 = 0.25;
  comb.damp2 = 0.75;

  double out[24];
  for (int step = 0; step < 24; ++step) {
    out[step] = comb.Step(step == 0 ? 1.0 : 0.0);
  }
  // The first pass returns the impulse; the second its lowpassed feedback, 0.5 × 0.75 × 0.25^k.
  for (int k = 0; k < 8; ++k) {
    EXPECT_EQ(out[k], 0.0) << "step " << k;
    EXPECT_EQ(out[8 + k], k == 0 ? 1.0 : 0.0) << "step " << 8 + k;
    EXPECT_EQ(out[16 + k], 0.375 * std::pow(0.25, k)) << "step " << 16 + k;
  }
}

TEST(LateNetworkTest, TrimNeverEmptiesTheLoop) {
  const struct {
    int32_t nominal;
    double spread, rate;
    int32_t length, trim;
  } cases[] = {
      {3, 13.0, 44100.0, 3, 2},  // a trim of 13 would exceed the loop: one sample remains
      {1116, 2.0, 10.0, 0, 0},   // too low a rate for any loop at all
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.nominal << " at " << c.rate);
    std::vector<double> storage(c.nominal);
    AllpassFilter allpass;  // feedback 0: stores its input, returns the delayed value minus it
    allpass.Setup(storage.data(), c.nominal, c.spread, c.rate);
    EXPECT_EQ(allpass.length, c.length);
    double previous = 0.0;
    for (int step = 0; step < 2 * c.nominal; ++step) {
      const double x = step + 1.0;
      const double y = allpass.Step(x);
      ASSERT_GE(allpass.position, 0);
      ASSERT_LT(allpass.position, std::max(c.length, 1));
      if (c.length - c.trim == 1) {
        ASSERT_EQ(y, previous - x) << "step " << step;
      }
      previous = x;
    }
    EXPECT_EQ(allpass.lengthTrim, c.trim);
  }
}

TEST(LateNetworkTest, SetupResizesButKeepsRunningState) {
  std::vector<double> storage(kCombCapacity);
  for (int k = 0; k < kCombCapacity; ++k)
    storage[k] = 1.0 + k * 1e-3;
  CombFilter comb;
  comb.Setup(storage.data(), 1116, 2.0, 44100.0);
  comb.feedback = 0.8;
  comb.damp1 = 0.2;
  comb.damp2 = 0.8;
  for (int step = 0; step < 1000; ++step)
    comb.Step(std::sin(0.1 * step));
  const CombFilter before = comb;

  comb.Setup(storage.data(), 1116, 2.0, 22050.0);
  EXPECT_EQ(comb.length, 558);
  EXPECT_EQ(comb.trimCentre, 1.0);
  EXPECT_EQ(comb.position, before.position);
  EXPECT_EQ(comb.lfoCount, before.lfoCount);
  EXPECT_EQ(comb.lengthTrim, before.lengthTrim);
  EXPECT_EQ(comb.filterStore, before.filterStore);
  EXPECT_EQ(comb.feedback, 0.8);
  EXPECT_EQ(comb.damp1, 0.2);

  // Left beyond the shorter loop, it uses that entry once and wraps.
  EXPECT_EQ(comb.Step(0.0), 1.0 + 1000 * 1e-3);
  EXPECT_EQ(comb.position, 0);
}

struct SubnormalCase {
  double value;
  bool flushed;
};

const SubnormalCase kSubnormalCases[] = {
    {1e-310, true},
    {-1e-310, true},
    {std::numeric_limits<double>::denorm_min(), true},
    {std::numeric_limits<double>::min(), false},  // smallest normal
    {-0.0, false},
    {1e-300, false},
};

TEST(LateNetworkTest, CombFlushesSubnormalsOnTheBitPattern) {
  for (const auto& c : kSubnormalCases) {
    SCOPED_TRACE(c.value);
    const double expected = c.flushed ? 0.0 : c.value;
    std::vector<double> storage(8);
    CombFilter comb;
    comb.Setup(storage.data(), 8, 2.0, 44100.0);
    comb.damp2 = 1.0;

    storage[0] = c.value;
    const double out = comb.Step(0.0);  // read path, and on through the lowpass
    EXPECT_EQ(out, expected);
    EXPECT_EQ(std::signbit(out), std::signbit(expected));
    EXPECT_EQ(comb.filterStore, expected);

    comb.filterStore = 0.0;
    comb.Step(c.value);  // write path, feedback 0
    EXPECT_EQ(storage[1], expected);
  }

  // The lowpass state itself decaying into the subnormal range.
  std::vector<double> storage(8);
  CombFilter comb;
  comb.Setup(storage.data(), 8, 2.0, 44100.0);
  comb.filterStore = 4e-308;
  comb.damp1 = 0.01;
  comb.Step(0.0);
  EXPECT_EQ(comb.filterStore, 0.0);
}

TEST(LateNetworkTest, AllpassFlushesSubnormalsOnTheBitPattern) {
  for (const auto& c : kSubnormalCases) {
    SCOPED_TRACE(c.value);
    const double expected = c.flushed ? 0.0 : c.value;
    std::vector<double> storage(8);
    AllpassFilter allpass;
    allpass.Setup(storage.data(), 8, 2.0, 44100.0);

    storage[0] = c.value;
    const double y = allpass.Step(0.0);  // read path: y = b - 0
    EXPECT_EQ(y, expected);
    EXPECT_EQ(std::signbit(y), std::signbit(expected));

    allpass.Step(c.value);  // write path, feedback 0
    EXPECT_EQ(storage[1], expected);
  }
}

TEST(LateNetworkTest, DensityTableMatchesItsDecibelCompensation) {
  const struct {
    double db, gain;
  } expected[kMaxDensity] = {{0.7, 1.0839}, {-1.2, 0.8710}, {-3.3, 0.6839},
                             {1.1, 1.1350}, {-0.7, 0.9226}, {-0.5, 0.9441}};
  for (int density = kMinDensity; density <= kMaxDensity; ++density) {
    SCOPED_TRACE(density);
    const DensityTuning& row = DensityTuningFor(density);
    const auto& e = expected[density - kMinDensity];
    EXPECT_EQ(row.combCount, density + 4);
    EXPECT_EQ(row.allpassCount, density);
    // Exactly the decibel value times the gate's rounding of ln 10 / 20.
    EXPECT_EQ(row.compensationExponent, e.db * 0.11512925464970228);
    EXPECT_NEAR(std::exp(row.compensationExponent), e.gain, 5e-5);
  }
}

}  // namespace
