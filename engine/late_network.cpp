#include "engine/late_network.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

constexpr double kTuningRate = 44100.0;
// Ten digits, not a full-precision 2π: the trim phases were tuned with this value.
constexpr double kTrimTwoPi = 6.283185307;

}  // namespace

int32_t TrimmedLoop::LengthAt(int32_t nominalLength, double sampleRate) {
  const double ratio = sampleRate / kTuningRate;
  // Shorter below the tuning rate, never longer above it.
  return std::min(nominalLength,
                  static_cast<int32_t>(std::trunc(static_cast<double>(nominalLength) * ratio)));
}

void TrimmedLoop::Setup(double* storage, int32_t nominalLength, double spread, double sampleRate) {
  const double ratio = sampleRate / kTuningRate;
  length = LengthAt(nominalLength, sampleRate);
  trimSwing = spread * 0.5;
  trimCentre = spread * ratio;
  lfoIncrement = kTrimTwoPi / sampleRate;
  buffer = storage;
  // length - position <= trimCentre  <=>  position >= length - floor(trimCentre), for whole
  // positions; a centre beyond any length triggers at every position.
  const double reach = std::floor(trimCentre);
  trimFrom_ =
      reach >= static_cast<double>(length) ? INT32_MIN : length - static_cast<int32_t>(reach);
  UpdateLoopEnd();
}

void TrimmedLoop::RetuneTrim() {
  const double phase = static_cast<double>(lfoCount) * lfoIncrement / trimSwing;
  const double trim = std::trunc(std::sin(phase) * trimSwing + trimCentre);
  lfoCount += 1;
  lengthTrim =
      length > 0
          ? static_cast<int32_t>(std::fmin(std::fmax(trim, 0.0), static_cast<double>(length - 1)))
          : 0;
  UpdateLoopEnd();
}
