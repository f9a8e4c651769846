#include "engine/early_reflections.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

bool EarlyReflections::Resize(int32_t ringSize) {
  if (ringSize != ringSize_) {
    ring_.reset();
    ringSize_ = 0;
    ringMask_ = 0;
    ring_.reset(new (std::nothrow) double[2 * static_cast<std::size_t>(ringSize)]);
    if (!ring_) return false;
    ringSize_ = ringSize;
    ringMask_ = ringSize - 1;
  }
  Clear();
  return true;
}

void EarlyReflections::Clear() {
  std::fill_n(ring_.get(), 2 * static_cast<std::size_t>(ringSize_), 0.0);
  written_ = 0;
  for (Tap& tap : taps_)
    tap.heardSince = 0;
}

void EarlyReflections::StartTaps(int32_t first, int32_t end) {
  for (int32_t j = first; j < end; ++j)
    taps_[j].heardSince = written_;
}

void EarlyReflections::SetTap(int32_t tap, double delaySamples, double gain) {
  Tap& t = taps_[tap];
  t.delay = cwaveguide::ClampDelay(delaySamples);
  t.gain = gain;
  t.fullyHeardAfter =
      t.delay > 2.0 ? static_cast<int64_t>(std::ceil(t.delay)) + 1 : cwaveguide::kRingSize;
}

[[gnu::always_inline]] inline EarlyReflections::Pair EarlyReflections::Read(const Tap& tap) const {
  constexpr int32_t kIndexMask = cwaveguide::kIndexMask;
  const int64_t heard = written_ - tap.heardSince;
  // The write position the tap's own line would have: it started at 0 when the tap did.
  const int32_t own = static_cast<int32_t>(heard & kIndexMask);
  const cwaveguide::ReadAt at = cwaveguide::ReadPosition(own, tap.delay);
  // Position p of the tap's own line is slot heardSince + p of the shared one.
  const int32_t base = static_cast<int32_t>(tap.heardSince & ringMask_) + at.i;
  auto sample = [&](int32_t offset) {
    Pair both;
    std::memcpy(&both, &ring_[2 * ((base + offset) & ringMask_)], sizeof both);
    return both;
  };
  Pair taps[4] = {sample(-1), sample(0), sample(1), sample(2)};
  if (heard < tap.fullyHeardAfter) {
    // What the tap did not hear is the silence its own line held.
    for (int32_t k = 0; k < 4; ++k) {
      const int32_t age = ((own - (at.i + k - 1) - 1) & kIndexMask) + 1;
      if (age > heard) taps[k] = Pair{0.0, 0.0};
    }
  }
  return cwaveguide::Interpolate(taps[0], taps[1], taps[2], taps[3], Pair{at.f, at.f});
}

void EarlyReflections::Step(double& left, double& right, int32_t count) {
  const Pair y0 = Read(taps_[0]);
  Pair sum = {0.0, 0.0};
  for (int32_t j = 0; j < count; ++j) {
    const Tap& tap = taps_[j];
    // Tap 1 repeats tap 0 whenever both started together.
    const bool repeat =
        j == 0 || (j == 1 && tap.delay == taps_[0].delay && tap.heardSince == taps_[0].heardSince);
    const Pair y = repeat ? y0 : Read(tap);
    const Pair e = y * tap.gain;
    sum += Pair{e[1], e[1]} * Pair{0.25, 0.75} + Pair{e[0], e[0]} * Pair{0.75, 0.25};
  }
  double* slot = &ring_[2 * (written_ & ringMask_)];
  slot[0] = left;
  slot[1] = right;
  ++written_;
  left += sum[0];
  right += sum[1];
}
