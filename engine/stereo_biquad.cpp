#include "engine/stereo_biquad.h"

#include <cmath>

namespace {

// exp(dB × ln 10 / 40) is the cookbook's A, 10^(dB / 40); exp(dB × ln 10 / 20) is the
// amplitude gain. Both literals are kept exactly as the tuned filters were computed with.
constexpr double kDbToShelfAmplitude = 0.057564627324851146;
constexpr double kDbToAmplitude = 0.11512925464970229;
constexpr double kTwoPi = 6.283185307179586;

struct RawCoefficients {
  double b0, b1, b2, a0, a1, a2;
};

RawCoefficients Design(BiquadType type, double c, double s, double alpha, double gainDb) {
  const double lowPassA0 = 1.0 + alpha;
  const double lowPassA1 = -2.0 * c;
  const double lowPassA2 = 1.0 - alpha;
  switch (type) {
    case BiquadType::LowPass:
      return {(1.0 - c) / 2.0, 1.0 - c, (1.0 - c) / 2.0, lowPassA0, lowPassA1, lowPassA2};
    case BiquadType::HighPass:
      return {(1.0 + c) / 2.0, -(1.0 + c), (1.0 + c) / 2.0, lowPassA0, lowPassA1, lowPassA2};
    case BiquadType::BandPassSkirt:
      return {s / 2.0, 0.0, -s / 2.0, lowPassA0, lowPassA1, lowPassA2};
    case BiquadType::BandPassPeak:
      return {alpha, 0.0, -alpha, lowPassA0, lowPassA1, lowPassA2};
    case BiquadType::Notch:
      return {1.0, -2.0 * c, 1.0, lowPassA0, lowPassA1, lowPassA2};
    case BiquadType::AllPass:
      return {1.0 - alpha, -2.0 * c, 1.0 + alpha, lowPassA0, lowPassA1, lowPassA2};
    case BiquadType::LowShelf: {
      const double A = std::exp(gainDb * kDbToShelfAmplitude);
      const double q = 2.0 * std::sqrt(A) * alpha;
      return {A * ((A + 1.0) - (A - 1.0) * c + q), 2.0 * A * ((A - 1.0) - (A + 1.0) * c),
              A * ((A + 1.0) - (A - 1.0) * c - q), (A + 1.0) + (A - 1.0) * c + q,
              -2.0 * ((A - 1.0) + (A + 1.0) * c),  (A + 1.0) + (A - 1.0) * c - q};
    }
    case BiquadType::HighShelf: {
      const double A = std::exp(gainDb * kDbToShelfAmplitude);
      const double q = 2.0 * std::sqrt(A) * alpha;
      return {A * ((A + 1.0) + (A - 1.0) * c + q), -2.0 * A * ((A - 1.0) + (A + 1.0) * c),
              A * ((A + 1.0) + (A - 1.0) * c - q), (A + 1.0) - (A - 1.0) * c + q,
              2.0 * ((A - 1.0) - (A + 1.0) * c),   (A + 1.0) - (A - 1.0) * c - q};
    }
    case BiquadType::Peaking:
    default: {  // values outside the enumeration compute as Peaking
      const double A = std::exp(gainDb * kDbToShelfAmplitude);
      return {1.0 + alpha * A, -2.0 * c, 1.0 - alpha * A,
              1.0 + alpha / A, -2.0 * c, 1.0 - alpha / A};
    }
  }
}

}  // namespace

StereoBiquad::StereoBiquad() {
  ClearState();
  ComputeCoefficients();
}

void StereoBiquad::SetFrequency(double hz) {
  targetFrequency_ = hz;
  Advance();
}

void StereoBiquad::SetGainDb(double db) {
  targetGain_ = db;
  Advance();
}

void StereoBiquad::SetSlope(double slope) {
  if (slope <= 0.0) slope = 0.1;
  // The square root of the cookbook's A, not A itself.
  double aRoot = 1.0;
  switch (type_) {
    case BiquadType::LowPass:
    case BiquadType::HighPass:
      break;
    case BiquadType::BandPassSkirt:
    case BiquadType::BandPassPeak:
    case BiquadType::Notch:
    case BiquadType::AllPass:
      aRoot = std::sqrt(std::exp(targetGain_ * kDbToAmplitude));
      break;
    case BiquadType::Peaking:
    case BiquadType::LowShelf:
    case BiquadType::HighShelf:
    default:  // values outside the enumeration count as Peaking
      aRoot = std::sqrt(std::exp(targetGain_ * kDbToShelfAmplitude));
      break;
  }
  targetQ_ = 1.0 / std::sqrt((1.0 / aRoot + aRoot) * (1.0 / slope - 1.0) + 2.0);
  Advance();
}

void StereoBiquad::SetSampleRate(int32_t rate) {
  sampleRate_ = rate;
  Advance();
}

void StereoBiquad::SetType(BiquadType type) {
  type_ = type;
  ComputeCoefficients();
}

void StereoBiquad::Advance() {
  currentQ_ = q_.Step(targetQ_);
  currentFrequency_ = frequency_.Step(targetFrequency_);
  currentGain_ = gain_.Step(targetGain_);

  const bool unchanged =
      std::fabs(currentQ_ - computedQ_) <= 1e-4 &&
      std::fabs(currentFrequency_ - computedFrequency_) <= currentFrequency_ * 1e-4 &&
      std::fabs(currentGain_ - computedGain_) <= 1e-4 && sampleRate_ == computedSampleRate_;
  if (!force_ && unchanged) return;

  ComputeCoefficients();
  computedQ_ = currentQ_;
  computedFrequency_ = currentFrequency_;
  computedGain_ = currentGain_;
  computedSampleRate_ = sampleRate_;
  force_ = false;
}

void StereoBiquad::ComputeCoefficients() {
  const double w0 = currentFrequency_ * kTwoPi / static_cast<double>(sampleRate_);
  const double c = std::cos(w0);
  const double s = std::sin(w0);
  const double alpha = s / (2.0 * currentQ_);
  const RawCoefficients raw = Design(type_, c, s, alpha, currentGain_);
  const double scale = 1.0 / raw.a0;
  coefficients_ = {raw.b0 * scale, raw.b1 * scale, raw.b2 * scale, raw.a1 * scale, raw.a2 * scale};
}

void StereoBiquad::ClearState() {
  ClearMemories();
  currentQ_ = targetQ_;
  currentFrequency_ = targetFrequency_;
  currentGain_ = targetGain_;
  q_.Settle(targetQ_);
  frequency_.Settle(targetFrequency_);
  gain_.Settle(targetGain_);
  computedQ_ = targetQ_;
  computedFrequency_ = targetFrequency_;
  computedGain_ = targetGain_;
  computedSampleRate_ = sampleRate_;
  force_ = true;
}

void StereoBiquad::ClearMemories() {
  left_ = ChannelMemory{};
  right_ = ChannelMemory{};
}
