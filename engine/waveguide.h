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
    constexpr double kLongest = kRingSize;
    delay = samples >= 0.0 ? (samples <= kLongest ? samples : kLongest) : 0.0;
  }

  // Reads before it writes: a whole delay d returns the input of d calls earlier, and a delay
  // of 0 returns the sample written a full ring ago.
  double Feed(double x) {
    const Taps taps = TapsAt(ReadPosition());
    const double y = Interpolate(taps.a, taps.b, taps.c, taps.d, taps.f);
    ring[writeIndex] = y * feedback + x;
    writeIndex = (writeIndex + 1) & kIndexMask;
    return y;
  }

  // Feeds two lines that read at the same place (same delay, same write position, as the
  // left and right lines of a stereo pair are) in one pass. Each lane does exactly the
  // arithmetic of Feed, so the results are the same bit for bit; lines out of step are
  // fed one after the other.
  [[gnu::always_inline]] static void FeedPair(cwaveguide& left, cwaveguide& right,
                                              double& inOutLeft, double& inOutRight) {
    if (left.writeIndex != right.writeIndex || left.delay != right.delay) {
      inOutLeft = left.Feed(inOutLeft);
      inOutRight = right.Feed(inOutRight);
      return;
    }
    const ReadAt at = left.ReadPosition();
    const Pair a = {left.ring[(at.i - 1) & kIndexMask], right.ring[(at.i - 1) & kIndexMask]};
    const Pair b = {left.ring[at.i & kIndexMask], right.ring[at.i & kIndexMask]};
    const Pair c = {left.ring[(at.i + 1) & kIndexMask], right.ring[(at.i + 1) & kIndexMask]};
    const Pair d = {left.ring[(at.i + 2) & kIndexMask], right.ring[(at.i + 2) & kIndexMask]};
    const Pair y = Interpolate(a, b, c, d, Pair{at.f, at.f});
    const Pair written = y * Pair{left.feedback, right.feedback} + Pair{inOutLeft, inOutRight};
    left.ring[left.writeIndex] = written[0];
    right.ring[right.writeIndex] = written[1];
    left.writeIndex = (left.writeIndex + 1) & kIndexMask;
    right.writeIndex = left.writeIndex;
    inOutLeft = y[0];
    inOutRight = y[1];
  }

  double delay = 0.0;
  double feedback = 0.0;

 private:
  static constexpr int32_t kIndexMask = kRingSize - 1;
  using Pair = double __attribute__((vector_size(16)));

  struct ReadAt {
    int32_t i;
    double f;
  };
  struct Taps {
    double a, b, c, d, f;
  };

  ReadAt ReadPosition() const {
    double r = static_cast<double>(writeIndex) - delay;
    if (r < 0.0) r += static_cast<double>(kRingSize);
    // r is never negative here (the delay is at most the ring), so truncation is the floor.
    const int32_t i = static_cast<int32_t>(r);
    return {i, r - static_cast<double>(i)};
  }

  Taps TapsAt(ReadAt at) const {
    return {ring[(at.i - 1) & kIndexMask], ring[at.i & kIndexMask], ring[(at.i + 1) & kIndexMask],
            ring[(at.i + 2) & kIndexMask], at.f};
  }

  // Four-point, third-order Hermite (Catmull-Rom), in exactly this nesting.
  template <class T>
  static T Interpolate(T a, T b, T c, T d, T f) {
    return (((a - 2.5 * b + 2.0 * c - 0.5 * d) + (0.5 * (d - a) + 1.5 * (b - c)) * f) * f +
            0.5 * (c - a)) *
               f +
           b;
  }
  static_assert((kRingSize & kIndexMask) == 0, "the index wrap relies on a power-of-two ring");

  double ring[kRingSize]{};
  int32_t writeIndex = 0;
};
