#pragma once

#include <cmath>
#include <cstdint>
#include <memory>
#include <new>

// Ring delay line read at a fractional distance behind the write position with four-point
// cubic (Catmull-Rom) interpolation. Positions count modulo kRingSize whatever the ring
// holds, so a smaller ring reads exactly what a full one would for every distance it
// holds; the owner sizes it (Resize, never while processing) to the longest it can ask for.
class cwaveguide {
 public:
  static constexpr int kRingSize = 65536;

  cwaveguide() : cwaveguide(kRingSize) {}
  // A ring of a power of two no larger than kRingSize; 0 leaves the line without one until
  // Resize gives it one.
  explicit cwaveguide(int32_t ringSize) { Resize(ringSize); }
  virtual ~cwaveguide() = default;

  // Allocates a cleared ring of that size; false when there is no memory for it.
  bool Resize(int32_t ringSize) {
    if (ringSize == ringSize_) {
      Clear();
      return true;
    }
    ring_.reset();
    ringSize_ = 0;
    ringMask_ = 0;
    if (ringSize <= 0) return true;
    ring_.reset(new (std::nothrow) double[ringSize]());
    if (!ring_) return false;
    ringSize_ = ringSize;
    ringMask_ = ringSize - 1;
    writeIndex = 0;
    return true;
  }
  int32_t RingSize() const { return ringSize_; }

  void Clear() {
    for (int32_t i = 0; i < ringSize_; ++i)
      ring_[i] = 0.0;
    writeIndex = 0;
  }

  // Limits the delay to what a full ring holds, so Feed can never read outside it whatever
  // the sample rate; a NaN request becomes 0.
  static double ClampDelay(double samples) {
    constexpr double kLongest = kRingSize;
    return samples >= 0.0 ? (samples <= kLongest ? samples : kLongest) : 0.0;
  }
  void SetDelay(double samples) { delay = ClampDelay(samples); }

  // Reads before it writes: a whole delay d returns the input of d calls earlier, and a delay
  // of 0 returns the sample written a full ring ago.
  double Feed(double x) {
    const ReadAt at = ReadPosition(writeIndex, delay);
    const double y = Interpolate(Tap(at.i - 1), Tap(at.i), Tap(at.i + 1), Tap(at.i + 2), at.f);
    ring_[writeIndex & ringMask_] = y * feedback + x;
    writeIndex = (writeIndex + 1) & kIndexMask;
    return y;
  }

  // Feeds two lines that read at the same place (same delay, same write position, as the
  // left and right lines of a stereo pair are) in one pass. Each lane does exactly the
  // arithmetic of Feed, so the results are the same bit for bit; lines out of step are
  // fed one after the other.
  [[gnu::always_inline]] static void FeedPair(cwaveguide& left, cwaveguide& right,
                                              double& inOutLeft, double& inOutRight) {
    if (left.writeIndex != right.writeIndex || left.delay != right.delay ||
        left.ringMask_ != right.ringMask_) {
      inOutLeft = left.Feed(inOutLeft);
      inOutRight = right.Feed(inOutRight);
      return;
    }
    const ReadAt at = ReadPosition(left.writeIndex, left.delay);
    auto tap = [&](int32_t i) { return Pair{left.Tap(i), right.Tap(i)}; };
    const Pair y =
        Interpolate(tap(at.i - 1), tap(at.i), tap(at.i + 1), tap(at.i + 2), Pair{at.f, at.f});
    const Pair written = y * Pair{left.feedback, right.feedback} + Pair{inOutLeft, inOutRight};
    left.ring_[left.writeIndex & left.ringMask_] = written[0];
    right.ring_[right.writeIndex & right.ringMask_] = written[1];
    left.writeIndex = (left.writeIndex + 1) & kIndexMask;
    right.writeIndex = left.writeIndex;
    inOutLeft = y[0];
    inOutRight = y[1];
  }

  // Where a line whose write position is `writeIndex` (modulo kRingSize) reads at `delay`:
  // taps i - 1 … i + 2 at fraction f.
  struct ReadAt {
    int32_t i;
    double f;
  };
  static ReadAt ReadPosition(int32_t writeIndex, double delay) {
    double r = static_cast<double>(writeIndex) - delay;
    if (r < 0.0) r += static_cast<double>(kRingSize);
    // r is never negative here (the delay is at most the ring), so truncation is the floor.
    const int32_t i = static_cast<int32_t>(r);
    return {i, r - static_cast<double>(i)};
  }

  // Four-point, third-order Hermite (Catmull-Rom), in exactly this nesting.
  template <class T>
  static T Interpolate(T a, T b, T c, T d, T f) {
    return (((a - 2.5 * b + 2.0 * c - 0.5 * d) + (0.5 * (d - a) + 1.5 * (b - c)) * f) * f +
            0.5 * (c - a)) *
               f +
           b;
  }

  static constexpr int32_t kIndexMask = kRingSize - 1;

  double delay = 0.0;
  double feedback = 0.0;

 private:
  using Pair = double __attribute__((vector_size(16)));
  static_assert((kRingSize & kIndexMask) == 0, "the index wrap relies on a power-of-two ring");

  double Tap(int32_t i) const { return ring_[i & ringMask_]; }

  std::unique_ptr<double[]> ring_;
  int32_t ringSize_ = 0;
  int32_t ringMask_ = 0;
  int32_t writeIndex = 0;
};
