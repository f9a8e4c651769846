#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "engine/early_reflections.h"
#include "engine/engine_settings.h"
#include "engine/gate.h"
#include "engine/late_network.h"
#include "engine/routing.h"
#include "engine/stereo_biquad.h"
#include "engine/waveguide.h"

// The reverberator: pre-delay, early reflections, high-pass, the late network of
// combs and allpasses, gate, high shelf, modulated output delay and the mix. Its delay
// memory is sized for a sample rate by Prepare, outside processing; it takes no lock.
// Parameter values reach it as snapshots (OnParamChange, any thread) that the next
// block applies.
class ReverbEngine {
 public:
  static constexpr int kErTaps = EarlyReflections::kTaps;

  ReverbEngine();
  ReverbEngine(const ReverbEngine&) = delete;
  ReverbEngine& operator=(const ReverbEngine&) = delete;

  // Any thread: the current values of all parameters, by index.
  void OnParamChange(const EngineSettings::Values& values);

  // Main thread, never during a block: sizes every delay line for the longest delay the
  // engine can ask for at this rate; false when the memory cannot be had, and the engine
  // then renders nothing until a later Prepare succeeds.
  bool Prepare(double sampleRate);

  // Sizes and clears the engine for a sample rate; `values` are the current parameter
  // values. Never runs during a block, and allocates only at a rate Prepare did not see.
  void ResetProcessing(double sampleRate, const EngineSettings::Values& values);

  // One block, in place or not: each frame's inputs are read before its outputs are
  // written. `inputs` and `outputs` hold one pointer per connected channel.
  void RenderBlock(const double* const* inputs, double* const* outputs, const ChannelLayout& layout,
                   int32_t frames);

  // How long the output can go on after the input stops, in samples, for the active
  // settings: never infinite, at most a minute.
  int32_t TailSamples() const { return tailSamples_; }

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
  double ErTapGain(int tap) const { return earlyReflections_.TapGain(tap); }
  double ErTapDelay(int tap) const { return earlyReflections_.TapDelay(tap); }
  const CombFilter& CombLeft(int i) const { return combsLeft_[i]; }
  const AllpassFilter& AllpassLeft(int i) const { return allpassesLeft_[i]; }
  const AllpassFilter& AllpassRight(int i) const { return allpassesRight_[i]; }
  const dynamics::RmsGate& Gate() const { return gate_; }
  const StereoBiquad& Hpf() const { return hpf_; }
  double PreDelaySamples() const { return preDelayLeft_.delay; }
  int32_t PreDelayRingSize() const { return preDelayLeft_.RingSize(); }
  int32_t ErRingSize() const { return earlyReflections_.RingSize(); }
  int32_t OutputDelayRingSize() const { return outputDelayLeft_.RingSize(); }

 private:
  static int64_t OutputLfoWrapAt(double sampleRate);
  void ApplySettings();
  void UpdateTail();
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

  // The rate Prepare sized the memory for; 0 before it has succeeded.
  double preparedRate_ = 0.0;
  cwaveguide preDelayLeft_{0};
  cwaveguide preDelayRight_{0};
  StereoBiquad hpf_;
  StereoBiquad highShelf_;
  dynamics::RmsGate gate_;
  EarlyReflections earlyReflections_;
  std::array<CombFilter, kCombCount> combsLeft_;
  std::array<CombFilter, kCombCount> combsRight_;
  std::array<AllpassFilter, kAllpassCount> allpassesLeft_;
  std::array<AllpassFilter, kAllpassCount> allpassesRight_;
  cwaveguide outputDelayLeft_{0};
  cwaveguide outputDelayRight_{0};
  // Every comb and allpass buffer back to back, each as long as its filter is at the rate.
  std::unique_ptr<double[]> lateStorage_;
  int32_t lateStorageSize_ = 0;

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
  // The first counter value whose time in seconds exceeds the output LFO's period.
  int64_t outputLfoWrap_ = 0;
  int32_t tailSamples_ = 0;

  // Lines that were not fed hold old audio; they are cleared as they come into use.
  bool preDelayInUse_ = false;
  bool preDelayRightInUse_ = false;  // the mono path feeds only the left line
  int32_t erLinesInUse_ = 0;
};
