#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "engine/waveguide.h"

// The early reflections: up to eight taps per side, all read from one delay line per side
// that is written once a frame. Each tap sounds exactly as if it had a line of its own
// that was cleared when the tap came into use: it hears only what was written since then
// (its "heard since" position), and it reads at positions counted from its own start, which
// is what fixes the interpolation fraction bit for bit.
class EarlyReflections {
 public:
  static constexpr int kTaps = 8;

  // Never while processing: a cleared ring of `ringSize` frames (a power of two, at most
  // cwaveguide::kRingSize); false when there is no memory for it.
  bool Resize(int32_t ringSize);
  int32_t RingSize() const { return ringSize_; }

  // Every tap starts again from silence.
  void Clear();
  // Taps first … end - 1 come into use now and start from silence.
  void StartTaps(int32_t first, int32_t end);

  void SetTap(int32_t tap, double delaySamples, double gain);
  double TapDelay(int32_t tap) const { return taps_[tap].delay; }
  double TapGain(int32_t tap) const { return taps_[tap].gain; }

  // One frame through the first `count` taps (at least one): writes the inputs and adds each
  // tap's reflection, three quarters to its own side and a quarter to the other, to left and
  // right in tap order.
  void Step(double& left, double& right, int32_t count);

 private:
  using Pair = double __attribute__((vector_size(16)));

  struct Tap {
    double delay = 0.0;
    double gain = 0.0;
    int64_t heardSince = 0;  // frame count of the line when the tap came into use
    // Once it has heard this many frames, everything the tap reads is its own: beyond two
    // samples a read reaches ceil(delay) + 1 frames back, below that a full ring.
    int64_t fullyHeardAfter = 0;
  };

  [[gnu::always_inline]] Pair Read(const Tap& tap) const;

  // Left and right interleaved, so both sides of a tap come in one load.
  std::unique_ptr<double[]> ring_;
  int32_t ringSize_ = 0;
  int32_t ringMask_ = 0;
  int64_t written_ = 0;  // frames written since the last Clear
  std::array<Tap, kTaps> taps_{};
};
