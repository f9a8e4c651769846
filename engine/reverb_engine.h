#pragma once

#include <array>
#include <cstdint>

#include "engine/engine_settings.h"
#include "engine/gate.h"
#include "engine/late_network.h"
#include "engine/routing.h"
#include "engine/stereo_biquad.h"
#include "engine/waveguide.h"

// The reverberator: pre-delay, early reflections, high-pass, the late network of
// combs and allpasses, gate, high shelf, modulated output delay and the mix. All of
// its memory is inline (about eleven megabytes), so it never allocates; it takes no
// lock. Parameter values reach it as snapshots (OnParamChange, any thread) that the
// next block applies.
class ReverbEngine {
 public:
  static constexpr int kErTaps = 8;

  ReverbEngine();
  ReverbEngine(const ReverbEngine&) = delete;
  ReverbEngine& operator=(const ReverbEngine&) = delete;

  // Any thread: the current values of all parameters, by index.
  void OnParamChange(const EngineSettings::Values& values);

  // Sizes and clears the engine for a sample rate; `values` are the current parameter
  // values. Never runs during a block.
  void ResetProcessing(double sampleRate, const EngineSettings::Values& values);

  // One block, in place or not: each frame's inputs are read before its outputs are
  // written. `inputs` and `outputs` hold one pointer per connected channel.
  void RenderBlock(const double* const* inputs, double* const* outputs, const ChannelLayout& layout,
                   int32_t frames);

  // Read-outs of the derived state, for tests and benchmarks.
  const EngineSettings& ActiveSettings() const { return active_; }
  int32_t CombCount() const { return combCount_; }
  int32_t AllpassCount() const { return allpassCount_; }
  int32_t FadeLength() const { return fadeLength_; }
  double WetScale() const { return wetScale_; }
  double WetGain() const { return wetGain_; }
  double Wet1() const { return wet1_; }
  double Wet2() const { return wet2_; }
  double DensityCompensation() const { return densityCompensation_; }
  double ErTapGain(int tap) const { return erTapGains_[tap]; }
  double ErTapDelay(int tap) const { return erLinesLeft_[tap].delay; }
  const CombFilter& CombLeft(int i) const { return combsLeft_[i]; }
  const AllpassFilter& AllpassLeft(int i) const { return allpassesLeft_[i]; }
  const AllpassFilter& AllpassRight(int i) const { return allpassesRight_[i]; }
  const dynamics::RmsGate& Gate() const { return gate_; }
  const StereoBiquad& Hpf() const { return hpf_; }
  double PreDelaySamples() const { return preDelayLeft_.delay; }

 private:
  void ApplySettings();
  void SetDensity(int32_t density);
  void SetWetLevel(double wetLevel);
  void UpdateLateNetwork();
  void SetUpEarlyReflections();
  void ClearLinesComingIntoUse();
  double NextDensityFadeGain() {
    if (fadeCounter_ <= 0) {
      fadeGain_ = 1.0;
      return 1.0;
    }
    return StepDensityFade();
  }
  double StepDensityFade();
  void ClearNetworkState();

  template <bool kStereo>
  void RenderFrames(const double* const* inputs, double* const* outputs, const Routing& routing,
                    int32_t frames);

  SettingsSnapshot pending_;
  EngineSettings active_;
  double sampleRate_ = 48000.0;

  cwaveguide preDelayLeft_;
  cwaveguide preDelayRight_;
  StereoBiquad hpf_;
  StereoBiquad highShelf_;
  dynamics::RmsGate gate_;
  std::array<cwaveguide, kErTaps> erLinesLeft_;
  std::array<cwaveguide, kErTaps> erLinesRight_;
  std::array<double, kErTaps> erTapGains_{};
  std::array<CombFilter, kCombCount> combsLeft_;
  std::array<CombFilter, kCombCount> combsRight_;
  std::array<AllpassFilter, kAllpassCount> allpassesLeft_;
  std::array<AllpassFilter, kAllpassCount> allpassesRight_;
  cwaveguide outputDelayLeft_;
  cwaveguide outputDelayRight_;
  double combStorage_[2][kCombCount][kCombCapacity] = {};
  double allpassStorage_[kAllpassStorage] = {};

  double inputGain_ = 0.0;
  double roomFeedback_ = 0.0;
  double dampAmount_ = 0.0;
  double wetGain_ = 0.0;
  double wet1_ = 0.0;
  double wet2_ = 0.0;
  double dryGain_ = 0.0;
  double widthValue_ = 0.0;
  double densityValue_ = 0.0;
  double wetScale_ = 0.0;
  int32_t combCount_ = 0;
  int32_t allpassCount_ = 0;
  double densityCompensation_ = 0.0;

  int32_t pendingDensity_ = 0;
  int32_t fadeLength_ = 0;
  int32_t fadeCounter_ = 0;
  double fadeGain_ = 1.0;
  double fadeStep_ = 0.0;
  bool fadingOut_ = false;
  int32_t outputLfoCounter_ = 0;

  // Lines that were not fed hold old audio; they are cleared as they come into use.
  bool preDelayInUse_ = false;
  bool preDelayRightInUse_ = false;  // the mono path feeds only the left line
  int32_t erLinesInUse_ = 0;
};
