#pragma once

#include <array>
#include <bit>
#include <cstdint>

constexpr int kCombCount = 10;
constexpr int kAllpassCount = 6;
constexpr int kCombCapacity = 8192;
// The right filter of each pair is this many samples longer than the left one.
constexpr int kStereoSpread = 23;

// Left filter of a pair at 44.1 kHz; spread sets how far the slow trim modulation swings.
struct FilterTuning {
  int32_t nominalLength;
  double spread;
};

constexpr std::array<FilterTuning, kCombCount> kCombTuning{{
    {1116, 2},
    {1188, 3},
    {1277, 5},
    {1356, 7},
    {1422, 11},
    {1491, 7},
    {1557, 5},
    {1617, 3},
    {1685, 2},
    {1748, 5},
}};

constexpr std::array<FilterTuning, kAllpassCount> kAllpassTuning{{
    {556, 2},
    {441, 3},
    {341, 5},
    {225, 7},
    {180, 11},
    {153, 13},
}};

// Samples of all twelve allpass buffers laid back to back, left and right of every pair.
constexpr int kAllpassStorage = [] {
  int total = 0;
  for (const FilterTuning& tuning : kAllpassTuning) {
    total += 2 * tuning.nominalLength + kStereoSpread;
  }
  return total;
}();

// Active filter pairs, wet scale and output compensation for densities 1 to 6. The
// compensation is exp(exponent); the exponents are kept exactly as tuned.
struct DensityTuning {
  int32_t combCount;
  int32_t allpassCount;
  double wetScale;
  double compensationExponent;
};

constexpr int kMinDensity = 1;
constexpr int kMaxDensity = 6;

constexpr std::array<DensityTuning, kMaxDensity> kDensityTable{{
    {5, 1, 18.0, 0.08059047825479158},
    {6, 2, 15.0, -0.13815510557964272},
    {7, 3, 12.0, -0.3799265403440175},
    {8, 4, 3.0, 0.12664218011467251},
    {9, 5, 3.0, -0.08059047825479158},
    {10, 6, 1.5, -0.05756462732485114},
}};

// Row of the density table for an applied density, 1 to 6.
constexpr const DensityTuning& DensityTuningFor(int density) {
  return kDensityTable[density - kMinDensity];
}

// Buffer, position and trim shared by the comb and the allpass: the loop end is pulled in by a
// few samples, set from a slow sine each time the position comes close to it, which keeps the
// comb lengths from lining up.
struct TrimmedLoop {
  // Sizes the loop for the sample rate; position, trim and filter state keep their values.
  void Setup(double* storage, int32_t nominalLength, double spread, double sampleRate);
  // The buffer a filter of that nominal length needs at the rate.
  static int32_t LengthAt(int32_t nominalLength, double sampleRate);

  double* buffer = nullptr;
  int32_t length = 0;
  int32_t position = 0;
  int32_t lfoCount = 0;
  int32_t lengthTrim = 0;
  double trimCentre = 0.0;
  double trimSwing = 0.0;
  double lfoIncrement = 0.0;

 protected:
  // trimCentre >= length - position, kept as whole numbers: the position from which it holds.
  void UpdateTrim() {
    if (position >= trimFrom_) RetuneTrim();
  }
  void AdvancePosition() {
    position += 1;
    if (position >= loopEnd_) position = 0;
  }
  // Tested on the bit pattern, so the result is the same whatever the floating-point mode:
  // a value is subnormal when its magnitude bits lie strictly between those of 0 and of
  // the smallest normal number. Under the processor's flush-to-zero and denormals-are-
  // zero modes no arithmetic makes or reads one, so there the test changes nothing and
  // the engine skips it (kSoftwareFlush false).
  template <bool kSoftwareFlush>
  static double FlushSubnormal(double v) {
    if constexpr (!kSoftwareFlush) return v;
    constexpr uint64_t kMagnitudeBits = 0x7fffffffffffffff;
    constexpr uint64_t kSmallestNormal = 0x0010000000000000;
    const uint64_t magnitude = std::bit_cast<uint64_t>(v) & kMagnitudeBits;
    return magnitude - 1 < kSmallestNormal - 1 ? 0.0 : v;
  }

 private:
  void RetuneTrim();
  void UpdateLoopEnd() { loopEnd_ = length - lengthTrim; }

  int32_t trimFrom_ = 0;
  int32_t loopEnd_ = 0;
};

// Comb with a one-pole lowpass in its feedback path.
struct CombFilter : TrimmedLoop {
  template <bool kSoftwareFlush = true>
  double Step(double x) {
    UpdateTrim();
    const double out = FlushSubnormal<kSoftwareFlush>(buffer[position]);
    filterStore = FlushSubnormal<kSoftwareFlush>(filterStore * damp1 + out * damp2);
    buffer[position] = FlushSubnormal<kSoftwareFlush>(feedback * filterStore + x);
    AdvancePosition();
    return out;
  }

  double feedback = 0.0;
  double filterStore = 0.0;
  double damp1 = 0.0;
  double damp2 = 0.0;
};

struct AllpassFilter : TrimmedLoop {
  template <bool kSoftwareFlush = true>
  double Step(double x) {
    UpdateTrim();
    const double delayed = FlushSubnormal<kSoftwareFlush>(buffer[position]);
    const double y = delayed - x;
    buffer[position] = FlushSubnormal<kSoftwareFlush>(delayed * feedback + x);
    AdvancePosition();
    return y;
  }

  double feedback = 0.0;
};
