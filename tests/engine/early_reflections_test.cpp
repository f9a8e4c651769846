// The shared early-reflection lines against what they replace: a line of its own per tap
// and side, cleared when the tap comes into use, while taps switch in and out at random
// block starts.
#include "engine/early_reflections.h"

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <memory>
#include <random>

namespace {

// Every tap on two full lines of its own, fed as the engine fed them.
class SeparateLines {
 public:
  void Start(int first, int end) {
    for (int j = first; j < end; ++j) {
      left_[j]->Clear();
      right_[j]->Clear();
    }
  }
  void SetTap(int tap, double delay, double gain) {
    left_[tap]->SetDelay(delay);
    right_[tap]->SetDelay(delay);
    gains_[tap] = gain;
  }
  void Step(double& left, double& right, int count) {
    double aL = 0.0;
    double aR = 0.0;
    for (int j = 0; j < count; ++j) {
      double eL = left;
      double eR = right;
      cwaveguide::FeedPair(*left_[j], *right_[j], eL, eR);
      eL *= gains_[j];
      eR *= gains_[j];
      aL += eR * 0.25 + eL * 0.75;
      aR += eR * 0.75 + eL * 0.25;
    }
    left += aL;
    right += aR;
  }

 private:
  using Lines = std::array<std::unique_ptr<cwaveguide>, EarlyReflections::kTaps>;
  static Lines Make() {
    Lines lines;
    for (auto& line : lines)
      line = std::make_unique<cwaveguide>();
    return lines;
  }
  Lines left_ = Make();
  Lines right_ = Make();
  std::array<double, EarlyReflections::kTaps> gains_{};
};

TEST(EarlyReflections, SwitchingTapsAtRandomMatchesSeparateLinesBitForBit) {
  // A full ring for delays down to one sample, a small one for delays from 2.5 samples on.
  for (const auto& [ring, shortest] : {std::pair{cwaveguide::kRingSize, 1.0}, {8192, 2.5}}) {
    SCOPED_TRACE(ring);
    std::mt19937_64 random(ring);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    EarlyReflections shared;
    ASSERT_TRUE(shared.Resize(ring));
    SeparateLines separate;
    separate.Start(0, EarlyReflections::kTaps);
    int inUse = EarlyReflections::kTaps;
    for (int64_t frame = 0; frame < 400000;) {
      // "ER Density" and "ER Level" at a block start: taps come into use, or all go.
      if (unit(random) < 0.3) {
        const int density = static_cast<int>(random() % 9);
        const bool on = density > 0 && unit(random) < 0.8;
        const int used = on ? density : 0;
        if (used > inUse) {
          shared.StartTaps(inUse, used);
          separate.Start(inUse, used);
        }
        inUse = used;
        const double first = shortest + unit(random) * (4800.0 - shortest);
        for (int j = 0; j < EarlyReflections::kTaps; ++j) {
          const double delay = j <= 1 ? first : shortest + unit(random) * (first - shortest);
          const double gain = unit(random);
          shared.SetTap(j, delay, gain);
          separate.SetTap(j, delay, gain);
        }
      }
      const int frames = 1 + static_cast<int>(random() % (unit(random) < 0.02 ? 100000 : 700));
      for (int i = 0; i < frames; ++i, ++frame) {
        const double x = unit(random) - 0.5;
        const double y = unit(random) - 0.5;
        if (inUse == 0) continue;
        double sharedL = x, sharedR = y, separateL = x, separateR = y;
        shared.Step(sharedL, sharedR, inUse);
        separate.Step(separateL, separateR, inUse);
        ASSERT_EQ(std::bit_cast<uint64_t>(sharedL), std::bit_cast<uint64_t>(separateL)) << frame;
        ASSERT_EQ(std::bit_cast<uint64_t>(sharedR), std::bit_cast<uint64_t>(separateR)) << frame;
      }
    }
  }
}

}  // namespace
