#pragma once

#include <cstdint>

namespace dynamics {

// One-pole smoothing coefficient for a time constant: exp(-1000 / (ms × rate)).
class EnvelopeDetector {
 public:
  EnvelopeDetector(double timeMs, double sampleRate);
  virtual ~EnvelopeDetector() = default;

  virtual void SetTimeMs(double ms);
  virtual double TimeMs() const { return timeMs_; }
  virtual void SetSampleRate(double hz);
  virtual double SampleRate() const { return sampleRate_; }
  virtual void RecomputeCoefficient();

  double Coefficient() const { return coefficient_; }

 private:
  double sampleRate_;
  double timeMs_;
  double coefficient_ = 0.0;
};

// Separate time constants for a rising and a falling envelope.
class AttackReleaseEnvelope {
 public:
  AttackReleaseEnvelope(double attackMs, double releaseMs, double sampleRate);
  virtual ~AttackReleaseEnvelope() = default;

  virtual void SetAttackMs(double ms) { attack_.SetTimeMs(ms); }
  virtual double AttackMs() const { return attack_.TimeMs(); }
  virtual void SetReleaseMs(double ms) { release_.SetTimeMs(ms); }
  virtual double ReleaseMs() const { return release_.TimeMs(); }
  virtual void SetSampleRate(double hz);
  virtual double SampleRate() const { return attack_.SampleRate(); }

  double AttackCoefficient() const { return attack_.Coefficient(); }
  double ReleaseCoefficient() const { return release_.Coefficient(); }

 private:
  EnvelopeDetector attack_;
  EnvelopeDetector release_;
};

// Opens while a key level is above the threshold and keeps the envelope where it is for the
// hold length after the key falls, before releasing.
class Gate : public AttackReleaseEnvelope {
 public:
  virtual void SetThresholdDb(double db);
  virtual double ThresholdDb() const { return thresholdDb_; }
  // Everything ClearRuntimeState does, and forgets the hold time and length as well.
  virtual void ResetRuntime();
  // Closes the envelope and ends a running hold; settings and hold length stay.
  virtual void ClearRuntimeState();

  double LinearThreshold() const { return linearThreshold_; }
  double Envelope() const { return envelope_; }
  double HoldMs() const { return holdMs_; }
  int32_t HoldLength() const { return holdLength_; }
  int32_t HoldCounter() const { return holdCounter_; }

 protected:
  // Starting value of the envelope and of the mean square: silent, but never exactly zero.
  static constexpr double kRestingLevel = 1e-25;

  Gate(double attackMs, double releaseMs, double sampleRate);

  // Settings are applied every block, so only a real change of the hold time may cut a
  // running hold short.
  void SetHold(double ms, int32_t lengthSamples);
  // One frame of envelope and hold for a key level; returns the gain.
  double Follow(double level);
  void CloseEnvelope() { envelope_ = kRestingLevel; }

 private:
  double thresholdDb_ = 0.0;
  double linearThreshold_ = 1.0;
  double envelope_ = kRestingLevel;
  double holdMs_ = 0.0;
  int32_t holdLength_ = 0;
  int32_t holdCounter_ = 0;
};

// Gate keyed by the RMS of a power signal averaged over a window.
class RmsGate : public Gate {
 public:
  RmsGate();

  void SetSampleRate(double hz) override;
  void ClearRuntimeState() override;
  virtual void SetWindowMs(double ms) { rms_.SetTimeMs(ms); }
  virtual double WindowMs() const { return rms_.TimeMs(); }
  // Hold length follows the RMS detector's sample rate, so set the rate first.
  virtual void SetHoldMs(double ms);

  double WindowCoefficient() const { return rms_.Coefficient(); }

  // One frame, given the key power (sum of the squares of the key samples); returns the gain.
  double Step(double power);

 private:
  EnvelopeDetector rms_;
  double meanSquare_ = kRestingLevel;
};

}  // namespace dynamics
