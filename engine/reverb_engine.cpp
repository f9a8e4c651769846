#include "engine/reverb_engine.h"

#include <algorithm>
#include <cmath>

#include "engine/float_mode.h"

namespace {

constexpr double kInputGain = 0.015;

int32_t FadeLengthFor(double sampleRate) {
  return std::max<int32_t>(1, static_cast<int32_t>(std::lround(sampleRate * 0.01)));
}

}  // namespace

ReverbEngine::ReverbEngine() : pending_(EngineSettings{}.ToValues()) {}

void ReverbEngine::OnParamChange(const EngineSettings::Values& values) {
  ScopedFlushToZero ftz;
  pending_.Store(values);
}

void ReverbEngine::ResetProcessing(double sampleRate, const EngineSettings::Values& values) {
  ScopedFlushToZero ftz;
  sampleRate_ = sampleRate;
  const double sr = sampleRate;

  fadeLength_ = FadeLengthFor(sr);
  fadeCounter_ = 0;
  fadeGain_ = 1.0;
  fadeStep_ = 0.0;
  fadingOut_ = false;
  pendingDensity_ = 0;

  combCount_ = 8;
  allpassCount_ = 4;
  double* allpassBuffer = allpassStorage_;
  for (int k = 0; k < kCombCount; ++k) {
    const FilterTuning& tuning = kCombTuning[k];
    combsLeft_[k].Setup(combStorage_[0][k], tuning.nominalLength, tuning.spread, sr);
    combsRight_[k].Setup(combStorage_[1][k], tuning.nominalLength + kStereoSpread, tuning.spread,
                         sr);
  }
  for (int k = 0; k < kAllpassCount; ++k) {
    const FilterTuning& tuning = kAllpassTuning[k];
    allpassesLeft_[k].Setup(allpassBuffer, tuning.nominalLength, tuning.spread, sr);
    allpassBuffer += tuning.nominalLength;
    allpassesRight_[k].Setup(allpassBuffer, tuning.nominalLength + kStereoSpread, tuning.spread,
                             sr);
    allpassBuffer += tuning.nominalLength + kStereoSpread;
    allpassesLeft_[k].feedback = 0.5;
    allpassesRight_[k].feedback = 0.5;
  }

  SetWetLevel(values[kWetLevel]);
  roomFeedback_ = values[kRoomSize] * 0.3 + 0.69;
  dryGain_ = values[kDryLevel] * 2.0;
  dampAmount_ = values[kDamping] * 0.4;
  widthValue_ = values[kWidth];
  UpdateLateNetwork();

  for (cwaveguide* line : {&preDelayLeft_, &preDelayRight_}) {
    line->SetDelay(sr * 0.01);
    line->feedback = 0.0;
  }

  hpf_.SetFrequency(values[kReverbHpf]);
  hpf_.SetType(BiquadType::HighPass);
  hpf_.SetGainDb(0.0);
  hpf_.SetSlope(1.0);
  hpf_.SetSampleRate(static_cast<int32_t>(std::trunc(sr)));

  highShelf_.SetFrequency(12000.0);
  highShelf_.SetType(BiquadType::HighShelf);
  highShelf_.SetGainDb(0.0);
  highShelf_.SetSlope(0.2);
  highShelf_.SetSampleRate(static_cast<int32_t>(std::trunc(sr)));

  gate_.SetAttackMs(1.0);
  gate_.SetReleaseMs(200.0);
  gate_.SetThresholdDb(-90.0);
  gate_.SetSampleRate(sr);
  gate_.SetWindowMs(10.0);
  gate_.ResetRuntime();

  for (int j = 0; j < kErTaps; ++j) {
    for (cwaveguide* line : {&erLinesLeft_[j], &erLinesRight_[j]}) {
      line->SetDelay(0.0);
      line->feedback = 0.0;
      line->Clear();
    }
    erTapGains_[j] = 0.0;
  }

  for (cwaveguide* line : {&outputDelayLeft_, &outputDelayRight_}) {
    line->Clear();
    line->SetDelay(sr * 0.0015);
    line->feedback = 0.0;
  }

  for (int side = 0; side < 2; ++side) {
    auto& combs = side == 0 ? combsLeft_ : combsRight_;
    for (CombFilter& comb : combs)
      std::fill_n(comb.buffer, comb.length, 0.0);
    auto& allpasses = side == 0 ? allpassesLeft_ : allpassesRight_;
    for (AllpassFilter& allpass : allpasses)
      std::fill_n(allpass.buffer, allpass.length, 0.0);
  }

  preDelayLeft_.Clear();
  preDelayRight_.Clear();
  outputDelayLeft_.Clear();
  outputDelayRight_.Clear();
  // Every line is clean now; only a line that falls out of use and comes back later
  // needs clearing again.
  preDelayInUse_ = true;
  preDelayRightInUse_ = true;
  erLinesInUse_ = kErTaps;

  ApplySettings();
}

void ReverbEngine::ApplySettings() {
  const double sr = sampleRate_;
  const EngineSettings pending = EngineSettings::From(pending_.Load());

  active_.preDelayMs = pending.preDelayMs;
  active_.roomSize = pending.roomSize;
  const int32_t density = std::clamp(pending.density, kMinDensity, kMaxDensity);
  const bool densityChanged = density != active_.density;
  if (densityChanged) {
    pendingDensity_ = density;
    if (fadeLength_ <= 0) fadeLength_ = FadeLengthFor(sr);
    if (!fadingOut_) {
      fadingOut_ = true;
      fadeCounter_ = fadeLength_;
      fadeStep_ = fadeLength_ > 0 ? fadeGain_ / fadeLength_ : 0.0;
    }
  }
  active_.erDensity = pending.erDensity;
  active_.erLevel = pending.erLevel;
  active_.damping = pending.damping;
  active_.hpfHz = pending.hpfHz;
  active_.wetLevel = pending.wetLevel;
  active_.dryLevel = pending.dryLevel;
  active_.width = pending.width;
  active_.thresholdDb = pending.thresholdDb;
  active_.attackMs = pending.attackMs;
  active_.releaseMs = pending.releaseMs;
  active_.inputBlend = pending.inputBlend;
  active_.reverseOuts = pending.reverseOuts != 0;
  active_.holdMs = pending.holdMs;
  active_.detector = pending.detector;
  active_.shelfDb = pending.shelfDb;
  active_.shelfHz = pending.shelfHz;

  // Two identical passes: each filter setter also advances that filter's glide, so the
  // filters move by two (high-pass) and four (shelf) smoothing steps per application.
  for (int pass = 0; pass < 2; ++pass) {
    preDelayLeft_.SetDelay(active_.preDelayMs / 1000.0 * sr);
    preDelayRight_.SetDelay(active_.preDelayMs / 1000.0 * sr);
    hpf_.SetFrequency(active_.hpfHz);
    highShelf_.SetGainDb(active_.shelfDb);
    highShelf_.SetFrequency(active_.shelfHz);
    roomFeedback_ = active_.roomSize * 0.3 + 0.69;
    UpdateLateNetwork();
    dampAmount_ = active_.damping * 0.4;
    UpdateLateNetwork();
    if (!densityChanged) SetDensity(active_.density);
    SetWetLevel(active_.wetLevel);
    dryGain_ = active_.dryLevel * 2.0;
    widthValue_ = active_.width;
    UpdateLateNetwork();
    UpdateLateNetwork();
    gate_.SetAttackMs(active_.attackMs);
    gate_.SetReleaseMs(active_.releaseMs);
    gate_.SetThresholdDb(active_.thresholdDb);
    gate_.SetSampleRate(sr);
    gate_.SetHoldMs(active_.holdMs);
    if (active_.roomSize != 0.0 && active_.erDensity != 0 && active_.erLevel != 0.0) {
      SetUpEarlyReflections();
    }
  }
  ClearLinesComingIntoUse();
}

void ReverbEngine::SetUpEarlyReflections() {
  const double sr = sampleRate_;
  const int32_t n = std::clamp(active_.erDensity, 0, kErTaps);
  const double d0 = active_.roomSize * 0.1 * sr;
  erLinesLeft_[0].SetDelay(d0);
  erLinesRight_[0].SetDelay(d0);
  erTapGains_[0] = active_.erLevel;
  const double k = (d0 / sr * -3.0) / std::log10(active_.erLevel);
  // Tap j + 1 uses the exponent j / n, so tap 1 repeats tap 0.
  for (int32_t j = 0; j <= n - 2; ++j) {
    const double octaves = std::pow(2.0, static_cast<double>(j) / n);
    erLinesLeft_[j + 1].SetDelay(erLinesLeft_[0].delay / octaves);
    erLinesRight_[j + 1].SetDelay(erLinesRight_[0].delay / octaves);
    erTapGains_[j + 1] = std::pow(10.0, -(erLinesLeft_[j + 1].delay / sr * 3.0 / k));
  }
}

void ReverbEngine::ClearLinesComingIntoUse() {
  const bool preDelayUsed = preDelayLeft_.delay != 0.0;
  if (preDelayUsed && !preDelayInUse_) preDelayLeft_.Clear();
  preDelayInUse_ = preDelayUsed;
  if (!preDelayUsed) preDelayRightInUse_ = false;

  const bool erOn = active_.roomSize != 0.0 && active_.erDensity != 0 && active_.erLevel != 0.0;
  const int32_t erUsed = erOn ? std::clamp(active_.erDensity, 0, kErTaps) : 0;
  for (int32_t j = erLinesInUse_; j < erUsed; ++j) {
    erLinesLeft_[j].Clear();
    erLinesRight_[j].Clear();
  }
  erLinesInUse_ = erUsed;
}

void ReverbEngine::SetDensity(int32_t density) {
  const int32_t c = std::clamp(density, kMinDensity, kMaxDensity);
  active_.density = c;
  allpassCount_ = c;
  combCount_ = c + 4;
  densityValue_ = c;
  densityCompensation_ = std::exp(DensityTuningFor(c).compensationExponent);
}

void ReverbEngine::SetWetLevel(double wetLevel) {
  const double x = densityValue_;
  const double e = x > 3.0 ? 1.0 / std::max((x - 3.0) - 1.0, 1.0) : (3.0 - x) + 1.0 + 3.0;
  wetScale_ = e * 3.0;
  wetGain_ = wetScale_ * wetLevel;
  UpdateLateNetwork();
}

void ReverbEngine::UpdateLateNetwork() {
  wet1_ = (widthValue_ * 0.5 + 0.5) * wetGain_;
  wet2_ = (1.0 - widthValue_) * 0.5 * wetGain_;
  inputGain_ = kInputGain;
  for (int32_t i = 0; i < combCount_; ++i) {
    combsLeft_[i].feedback = roomFeedback_;
    combsRight_[i].feedback = roomFeedback_;
  }
  for (int32_t i = 0; i < combCount_; ++i) {
    for (CombFilter* comb : {&combsLeft_[i], &combsRight_[i]}) {
      comb->damp1 = dampAmount_;
      comb->damp2 = 1.0 - dampAmount_;
    }
  }
}

double ReverbEngine::StepDensityFade() {
  fadeCounter_ -= 1;
  double g;
  if (fadingOut_) {
    fadeGain_ -= fadeStep_;
    if (fadeCounter_ > 0) {
      g = fadeGain_;
    } else {
      // Silent now: switch the network over, then fade back in.
      fadeGain_ = 0.0;
      SetDensity(pendingDensity_);
      SetWetLevel(active_.wetLevel);
      pendingDensity_ = 0;
      fadingOut_ = false;
      fadeCounter_ = fadeLength_;
      fadeStep_ = fadeLength_ > 0 ? (1.0 - fadeGain_) / fadeLength_ : 1.0;
      g = fadeGain_;
    }
  } else {
    fadeGain_ += fadeStep_;
    if (fadeCounter_ > 0) {
      g = fadeGain_;
    } else {
      fadeGain_ = 1.0;
      fadeCounter_ = 0;
      g = 1.0;
    }
  }
  if (g < 0.0) {
    fadeGain_ = 0.0;
    return 0.0;
  }
  if (g > 1.0) {
    fadeGain_ = 1.0;
    return 1.0;
  }
  return g;
}

void ReverbEngine::ClearNetworkState() {
  for (cwaveguide* line :
       {&preDelayLeft_, &preDelayRight_, &outputDelayLeft_, &outputDelayRight_}) {
    line->Clear();
  }
  for (int j = 0; j < kErTaps; ++j) {
    erLinesLeft_[j].Clear();
    erLinesRight_[j].Clear();
  }
  std::fill_n(&combStorage_[0][0][0], 2 * kCombCount * kCombCapacity, 0.0);
  std::fill_n(allpassStorage_, kAllpassStorage, 0.0);
  for (CombFilter& comb : combsLeft_)
    comb.filterStore = 0.0;
  for (CombFilter& comb : combsRight_)
    comb.filterStore = 0.0;
  hpf_.ClearMemories();
  highShelf_.ClearMemories();
  gate_.ClearRuntimeState();
}
