#pragma once

#include <cmath>
#include <cstdint>

// Fixed ring delay line read at a fractional distance behind the write position with
// four-point cubic (Catmull-Rom) interpolation. The ring is part of the object, so a line
// never allocates.
class cwaveguide {
 public:
  static constexpr int kRingSize = 65536;

  cwaveguide() = default;
  virtual ~cwaveguide() = default;

  void Clear() {
    for (double& sample : ring)
      sample = 0.0;
    writeIndex = 0;
  }

  // Limits the delay to what the ring holds, so Feed can never read outside it whatever the
  // sample rate; a NaN request becomes 0.
  void SetDelay(double samples) {
    delay = std::fmin(std::fmax(samples, 0.0), static_cast<double>(kRingSize));
  }

  // Reads before it writes: a whole delay d returns the input of d calls earlier, and a delay
  // of 0 returns the sample written a full ring ago.
  double Feed(double x) {
    double r = static_cast<double>(writeIndex) - delay;
    if (r < 0.0) r += static_cast<double>(kRingSize);
    const int32_t i = static_cast<int32_t>(std::floor(r));
    const double f = r - static_cast<double>(i);

    const double a = ring[(i - 1) & kIndexMask];
    const double b = ring[i & kIndexMask];
    const double c = ring[(i + 1) & kIndexMask];
    const double d = ring[(i + 2) & kIndexMask];
    const double y =
        (((a - 2.5 * b + 2.0 * c - 0.5 * d) + (0.5 * (d - a) + 1.5 * (b - c)) * f) * f +
         0.5 * (c - a)) *
            f +
        b;

    ring[writeIndex] = y * feedback + x;
    writeIndex = (writeIndex + 1) & kIndexMask;
    return y;
  }

  double delay = 0.0;
  double feedback = 0.0;

 private:
  static constexpr int32_t kIndexMask = kRingSize - 1;
  static_assert((kRingSize & kIndexMask) == 0, "the index wrap relies on a power-of-two ring");

  double ring[kRingSize]{};
  int32_t writeIndex = 0;
};
