#include "engine/reverb_engine.h"

#include <algorithm>
#include <cmath>

#include "engine/float_mode.h"

namespace {

constexpr double kInputGain = 0.015;
// The shortest pre-delay and room the parameter steps allow, bounding the shortest delays.
constexpr double kShortestPreDelaySeconds = 0.01 / 1000.0;
constexpr double kShortestRoom = 0.001;
// Tap j + 1 of n reads at the first delay over 2^(j / n), j <= n - 2, so at most 2^(3/4) less.
constexpr double kShortestTapShare = 0.5946035575013605;  // 2^(-3/4)

int32_t FadeLengthFor(double sampleRate) {
  return std::max<int32_t>(1, static_cast<int32_t>(std::lround(sampleRate * 0.01)));
}

// The ring a line needs when its delay stays within [shortest, longest] samples. A read at
// delay d takes the samples from ceil(d) - 2 to ceil(d) + 1 frames ago, so a delay of 2 or
// less reaches the slot written a full ring ago, which only a full ring holds.
int32_t RingFor(double shortest, double longest) {
  constexpr int32_t kFull = cwaveguide::kRingSize;
  if (!(shortest > 2.0)) return kFull;
  const double needed = std::ceil(std::min(longest, static_cast<double>(kFull))) + 2.0;
  int32_t size = 1;
  while (size < needed && size < kFull)
    size *= 2;
  return size;
}

// Samples of every comb and allpass buffer at the rate, left and right of every pair.
int32_t LateNetworkLength(double sampleRate) {
  int32_t total = 0;
  for (const auto* tunings : {kCombTuning.data(), kAllpassTuning.data()}) {
    const int count = tunings == kCombTuning.data() ? kCombCount : kAllpassCount;
    for (int k = 0; k < count; ++k) {
      total += TrimmedLoop::LengthAt(tunings[k].nominalLength, sampleRate) +
               TrimmedLoop::LengthAt(tunings[k].nominalLength + kStereoSpread, sampleRate);
    }
  }
  return total;
}

}  // namespace

ReverbEngine::ReverbEngine() : pending_(EngineSettings{}.ToValues()) {}

void ReverbEngine::OnParamChange(const EngineSettings::Values& values) {
  ScopedFlushToZero ftz;
  pending_.Store(values);
}

bool ReverbEngine::Prepare(double sampleRate) {
  if (sampleRate == preparedRate_) return true;
  preparedRate_ = 0.0;
  const double sr = sampleRate;
  const int32_t preDelayRing = RingFor(kShortestPreDelaySeconds * sr, 0.1 * sr);
  const int32_t erRing = RingFor(kShortestRoom * 0.1 * sr * kShortestTapShare, 0.1 * sr);
  // The output delay starts a reset at 1.5 ms, then swings between 100 and 100 + 0.006 × rate.
  const int32_t outputRing =
      RingFor(std::min(0.0015 * sr, 100.0), std::max(0.0015 * sr, 100.0 + 0.006 * sr));
  if (!preDelayLeft_.Resize(preDelayRing) || !preDelayRight_.Resize(preDelayRing) ||
      !earlyReflections_.Resize(erRing) || !outputDelayLeft_.Resize(outputRing) ||
      !outputDelayRight_.Resize(outputRing)) {
    return false;
  }
  const int32_t late = LateNetworkLength(sr);
  if (late != lateStorageSize_) {
    lateStorage_.reset();
    lateStorageSize_ = 0;
    lateStorage_.reset(new (std::nothrow) double[late]());
    if (!lateStorage_) return false;
    lateStorageSize_ = late;
  }
  preparedRate_ = sr;
  return true;
}

void ReverbEngine::ResetProcessing(double sampleRate, const EngineSettings::Values& values) {
  ScopedFlushToZero ftz;
  if (!Prepare(sampleRate)) return;
  sampleRate_ = sampleRate;
  const double sr = sampleRate;
  outputLfoWrap_ = OutputLfoWrapAt(sr);

  fadeLength_ = FadeLengthFor(sr);
  fadeCounter_ = 0;
  fadeGain_ = 1.0;
  fadeStep_ = 0.0;
  fadingOut_ = false;
  pendingDensity_ = 0;

  combCount_ = 8;
  allpassCount_ = 4;
  double* buffer = lateStorage_.get();
  auto setup = [&](TrimmedLoop& filter, int32_t nominalLength, double spread) {
    filter.Setup(buffer, nominalLength, spread, sr);
    buffer += filter.length;
  };
  for (int k = 0; k < kCombCount; ++k) {
    const FilterTuning& tuning = kCombTuning[k];
    setup(combsLeft_[k], tuning.nominalLength, tuning.spread);
    setup(combsRight_[k], tuning.nominalLength + kStereoSpread, tuning.spread);
  }
  for (int k = 0; k < kAllpassCount; ++k) {
    const FilterTuning& tuning = kAllpassTuning[k];
    setup(allpassesLeft_[k], tuning.nominalLength, tuning.spread);
    setup(allpassesRight_[k], tuning.nominalLength + kStereoSpread, tuning.spread);
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

  for (int j = 0; j < kErTaps; ++j)
    earlyReflections_.SetTap(j, 0.0, 0.0);
  earlyReflections_.Clear();

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
  UpdateTail();
}

void ReverbEngine::SetUpEarlyReflections() {
  const double sr = sampleRate_;
  const int32_t n = std::clamp(active_.erDensity, 0, kErTaps);
  const double d0 = active_.roomSize * 0.1 * sr;
  earlyReflections_.SetTap(0, d0, active_.erLevel);
  const double first = earlyReflections_.TapDelay(0);
  const double k = (d0 / sr * -3.0) / std::log10(active_.erLevel);
  // Tap j + 1 uses the exponent j / n, so tap 1 repeats tap 0.
  for (int32_t j = 0; j <= n - 2; ++j) {
    const double octaves = std::pow(2.0, static_cast<double>(j) / n);
    const double delay = cwaveguide::ClampDelay(first / octaves);
    earlyReflections_.SetTap(j + 1, delay, std::pow(10.0, -(delay / sr * 3.0 / k)));
  }
}

// The slowest active comb falling 120 dB at its feedback (damping only shortens that),
// after the longest pre-delay, early reflection and output delay.
void ReverbEngine::UpdateTail() {
  const double sr = sampleRate_;
  const int32_t density = pendingDensity_ != 0 ? pendingDensity_ : active_.density;
  const int32_t combs = std::max(combCount_, std::clamp(density, kMinDensity, kMaxDensity) + 4);
  int32_t slowest = 0;
  for (int32_t i = 0; i < combs; ++i)
    slowest = std::max({slowest, combsLeft_[i].length, combsRight_[i].length});
  const double fall = slowest * std::log(1e-6) / std::log(roomFeedback_);
  const bool erOn = active_.roomSize != 0.0 && active_.erDensity != 0 && active_.erLevel != 0.0;
  const double longestTap = erOn ? earlyReflections_.TapDelay(0) : 0.0;
  const double outputDelay = 100.0 + 0.006 * sr;
  const double tail = std::ceil(preDelayLeft_.delay + longestTap + outputDelay + fall);
  const double cap = std::min(60.0 * sr, static_cast<double>(INT32_MAX - 1));
  tailSamples_ = static_cast<int32_t>(tail < cap ? tail : std::floor(cap));
}

void ReverbEngine::ClearLinesComingIntoUse() {
  const bool preDelayUsed = preDelayLeft_.delay != 0.0;
  if (preDelayUsed && !preDelayInUse_) preDelayLeft_.Clear();
  preDelayInUse_ = preDelayUsed;
  if (!preDelayUsed) preDelayRightInUse_ = false;

  const bool erOn = active_.roomSize != 0.0 && active_.erDensity != 0 && active_.erLevel != 0.0;
  const int32_t erUsed = erOn ? std::clamp(active_.erDensity, 0, kErTaps) : 0;
  if (erUsed > erLinesInUse_) earlyReflections_.StartTaps(erLinesInUse_, erUsed);
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
  earlyReflections_.Clear();
  std::fill_n(lateStorage_.get(), lateStorageSize_, 0.0);
  for (CombFilter& comb : combsLeft_)
    comb.filterStore = 0.0;
  for (CombFilter& comb : combsRight_)
    comb.filterStore = 0.0;
  hpf_.ClearMemories();
  highShelf_.ClearMemories();
  gate_.ClearRuntimeState();
}
