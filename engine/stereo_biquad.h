#pragma once

#include <cmath>
#include <cstdint>

enum class BiquadType : int32_t {
  LowPass = 0,
  HighPass,
  BandPassSkirt,  // constant skirt gain
  BandPassPeak,   // constant 0 dB peak gain
  Notch,
  AllPass,
  Peaking,
  LowShelf,
  HighShelf,
};

// Second-order filter for a stereo pair: one set of coefficients, separate memories per
// channel. Frequency, gain and Q glide toward their targets one step per processed frame, so
// parameter changes never click.
class StereoBiquad {
 public:
  struct Coefficients {
    double b0, b1, b2, a1, a2;  // normalised by a0
  };

  StereoBiquad();

  void SetFrequency(double hz);
  void SetGainDb(double db);
  // Derives the target Q from a shelf slope; a slope of 0 or below counts as 0.1.
  void SetSlope(double slope);
  void SetSampleRate(int32_t rate);
  // Recomputes at once from the current values, without a smoothing step.
  void SetType(BiquadType type);

  void Advance();
  void ComputeCoefficients();
  void ClearState();
  // Zeroes the channel memories only; smoothers and coefficients stay.
  void ClearMemories();

  void ProcessStereo(double& left, double& right) {
    if (q_.Gliding() || frequency_.Gliding() || gain_.Gliding()) Advance();
    left = left_.Process(left, coefficients_);
    right = right_.Process(right, coefficients_);
  }

  Coefficients coefficients() const { return coefficients_; }
  double FrequencyState() const { return frequency_.state; }
  double CurrentFrequency() const { return currentFrequency_; }
  double TargetQ() const { return targetQ_; }

 private:
  // One-pole glide toward a target. 1 - pole is kept as computed, not as the literal 0.01.
  struct Smoother {
    static constexpr double kPole = 0.99;

    double Step(double target) {
      state = target * oneMinusPole + state * pole;
      lastTarget = target;
      return state;
    }
    bool Gliding() const { return !(std::fabs(state - lastTarget) < 1e-6); }
    void Settle(double target) {
      state = target;
      lastTarget = target;
    }

    double pole = kPole;
    double oneMinusPole = 1.0 - kPole;
    double state = 0.0;
    double lastTarget = 0.0;
  };

  struct ChannelMemory {
    double Process(double x, const Coefficients& k) {
      const double y = k.b1 * x1 + k.b0 * x + k.b2 * x2 - k.a1 * y1 - k.a2 * y2;
      x2 = x1;
      x1 = x;
      y2 = y1;
      y1 = y;
      return y;
    }

    double x1 = 0.0, x2 = 0.0, y1 = 0.0, y2 = 0.0;
  };

  BiquadType type_ = BiquadType::Peaking;
  double targetQ_ = 1.0;
  double targetFrequency_ = 1000.0;
  double targetGain_ = 0.0;
  double currentQ_ = 1.0;
  double currentFrequency_ = 1000.0;
  double currentGain_ = 0.0;
  int32_t sampleRate_ = 44100;
  Coefficients coefficients_{};
  ChannelMemory left_;
  ChannelMemory right_;
  Smoother q_;
  Smoother frequency_;
  Smoother gain_;
  double computedQ_ = 1.0;
  double computedFrequency_ = 1000.0;
  double computedGain_ = 0.0;
  int32_t computedSampleRate_ = 44100;
  bool force_ = true;
};
