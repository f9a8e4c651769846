#include "engine/gate.h"

#include <cmath>

namespace dynamics {

namespace {

// ln 10 / 20 as the gate has always used it; one digit off the filters' rounding.
constexpr double kDbToAmplitude = 0.11512925464970228;

double SmoothingCoefficient(double timeMs, double sampleRate) {
  return std::exp(-1000.0 / (timeMs * sampleRate));
}

}  // namespace

EnvelopeDetector::EnvelopeDetector(double timeMs, double sampleRate)
    : sampleRate_(sampleRate),
      timeMs_(timeMs),
      coefficient_(SmoothingCoefficient(timeMs, sampleRate)) {}

void EnvelopeDetector::SetTimeMs(double ms) {
  timeMs_ = ms;
  RecomputeCoefficient();
}

void EnvelopeDetector::SetSampleRate(double hz) {
  sampleRate_ = hz;
  RecomputeCoefficient();
}

void EnvelopeDetector::RecomputeCoefficient() {
  coefficient_ = SmoothingCoefficient(timeMs_, sampleRate_);
}

AttackReleaseEnvelope::AttackReleaseEnvelope(double attackMs, double releaseMs, double sampleRate)
    : attack_(attackMs, sampleRate), release_(releaseMs, sampleRate) {}

void AttackReleaseEnvelope::SetSampleRate(double hz) {
  attack_.SetSampleRate(hz);
  release_.SetSampleRate(hz);
}

Gate::Gate(double attackMs, double releaseMs, double sampleRate)
    : AttackReleaseEnvelope(attackMs, releaseMs, sampleRate) {}

void Gate::SetThresholdDb(double db) {
  thresholdDb_ = db;
  linearThreshold_ = std::exp(db * kDbToAmplitude);
}

void Gate::ResetRuntime() {
  ClearRuntimeState();
  holdMs_ = 0.0;
  holdLength_ = 0;
}

void Gate::ClearRuntimeState() {
  envelope_ = kRestingLevel;
  holdCounter_ = 0;
}

void Gate::SetHold(double ms, int32_t lengthSamples) {
  if (ms != holdMs_) holdCounter_ = 0;
  holdMs_ = ms;
  holdLength_ = lengthSamples;
}

double Gate::Follow(double level) {
  const bool above = level > linearThreshold_;
  const double over = above ? 1.0 : 0.0;
  // Below the threshold with a hold running, the envelope stays where it is.
  if (over > 0.0 || holdCounter_ == 0) {
    const double k = over > envelope_ ? AttackCoefficient() : ReleaseCoefficient();
    envelope_ = over + (envelope_ - over) * k;
  }
  if (above) {
    holdCounter_ = holdLength_;
  } else if (--holdCounter_ < 0) {
    holdCounter_ = 0;
  }
  return envelope_;
}

RmsGate::RmsGate() : Gate(1.0, 100.0, 44100.0), rms_(5.0, 44100.0) {}

void RmsGate::SetSampleRate(double hz) {
  Gate::SetSampleRate(hz);
  rms_.SetSampleRate(hz);
}

void RmsGate::ClearRuntimeState() {
  Gate::ClearRuntimeState();
  meanSquare_ = kRestingLevel;
}

void RmsGate::SetHoldMs(double ms) {
  SetHold(ms, static_cast<int32_t>(std::trunc(rms_.SampleRate() * ms * 0.001)));
}

double RmsGate::Step(double power) {
  meanSquare_ = power + (meanSquare_ - power) * rms_.Coefficient();
  // A non-finite key would otherwise leave the average at NaN and the gate shut for good.
  if (!std::isfinite(meanSquare_)) [[unlikely]] {
    meanSquare_ = kRestingLevel;
    CloseEnvelope();
  }
  return Follow(std::fabs(std::sqrt(meanSquare_)));
}

}  // namespace dynamics
