#include <algorithm>
#include <cmath>

#include "engine/float_mode.h"
#include "engine/reverb_engine.h"

namespace {

constexpr double kSmallestNormalFloat = 1.1754943508222875e-38;  // 2^-126
constexpr double kOutputLfoPeriodSeconds = 31.41592653589793;
constexpr double kGateOnThresholdDb = -89.9;  // -90 dB switches the gate off
// RenderBlock runs under flush-to-zero and denormals-are-zero where the processor has them.
constexpr bool kSoftwareFlush = !kHardwareFlushToZero;

// A NaN or infinity from upstream would stay in the delay lines for good; it enters
// as silence instead.
inline double Finite(double x) {
  return std::isfinite(x) ? x : 0.0;
}

// What reaches the host is finite and never below the smallest normal 32-bit float.
inline double Clean(double v) {
  if (!std::isfinite(v)) return 0.0;
  if (v != 0.0 && std::fabs(v) < kSmallestNormalFloat) return 0.0;
  return v;
}

}  // namespace

int64_t ReverbEngine::OutputLfoWrapAt(double sampleRate) {
  // Correctly rounded division never decreases as the counter grows, so the first counter
  // that passes the test is found by walking from an estimate.
  auto passes = [&](int64_t counter) {
    return static_cast<double>(counter) / sampleRate > kOutputLfoPeriodSeconds;
  };
  int64_t counter = static_cast<int64_t>(kOutputLfoPeriodSeconds * sampleRate);
  while (counter > 0 && passes(counter - 1))
    --counter;
  while (!passes(counter))
    ++counter;
  return counter;
}

void ReverbEngine::RenderBlock(const double* const* inputs, double* const* outputs,
                               const ChannelLayout& layout, int32_t frames) {
  ScopedFlushToZero ftz;
  if (preparedRate_ == 0.0) return;
  if (pending_.TakeChanged()) ApplySettings();
  if (layout.outputs <= 0 || !outputs) return;
  if (layout.inputs <= 0 || !inputs) {
    // Nothing to reverberate: the outputs would otherwise carry whatever the host (or, with
    // 32-bit buffers, an earlier block) left in them.
    for (int32_t c = 0; c < layout.outputs; ++c) std::fill_n(outputs[c], frames, 0.0);
    return;
  }
  const Routing routing = RouteChannels(layout, active_.detector);

  const bool rightPreDelayUsed = preDelayInUse_ && routing.Stereo();
  if (rightPreDelayUsed && !preDelayRightInUse_) preDelayRight_.Clear();
  preDelayRightInUse_ = rightPreDelayUsed;

  if (routing.Stereo()) {
    RenderFrames<true>(inputs, outputs, routing, frames);
  } else {
    RenderFrames<false>(inputs, outputs, routing, frames);
  }
}

template <bool kStereo>
void ReverbEngine::RenderFrames(const double* const* inputs, double* const* outputs,
                                const Routing& routing, int32_t frames) {
  const double sr = sampleRate_;
  const bool reverse = active_.reverseOuts != 0;
  const int32_t detector = active_.detector;
  const bool gateOn = gate_.ThresholdDb() >= kGateOnThresholdDb;
  const bool erOn = active_.roomSize != 0.0 && active_.erDensity != 0 && active_.erLevel != 0.0;
  const int32_t erTaps = erOn ? active_.erDensity : 0;
  const bool hpfOn = active_.hpfHz != 0.0;
  const bool shelfOn = active_.shelfDb != 0.0;
  const double cross = active_.inputBlend * 0.5;
  const double direct = (1.0 - active_.inputBlend * 0.5) * 2.0;
  const double lfoDivisor = kStereo ? sr * 5.0 : sr;

  const double* inL = inputs[0];
  const double* inR = kStereo ? inputs[1] : nullptr;
  const double* scL = routing.sidechainCount >= 1 ? inputs[routing.sidechainFirst] : nullptr;
  const double* scR = routing.sidechainCount >= 2 ? inputs[routing.sidechainFirst + 1] : scL;
  double* outL = outputs[0];
  double* outR = routing.outputCount >= 2 ? outputs[1] : nullptr;

  for (int32_t i = 0; i < frames; ++i) {
    const double xL = Finite(inL[i]);
    const double xR = kStereo ? Finite(inR[i]) : 0.0;
    const double sL = scL ? Finite(scL[i]) : 0.0;
    const double sR = scR ? Finite(scR[i]) : sL;

    double pL;
    double pR = 0.0;
    if (preDelayLeft_.delay == 0.0) {
      pL = xL * inputGain_;
      if (kStereo) pR = xR * inputGain_;
    } else if (kStereo) {
      pL = xL * inputGain_;
      pR = xR * inputGain_;
      cwaveguide::FeedPair(preDelayLeft_, preDelayRight_, pL, pR);
    } else {
      pL = preDelayLeft_.Feed(xL * inputGain_);
    }

    double L;
    double R;
    if (kStereo) {
      L = direct * pL + cross * pR;
      R = direct * pR + cross * pL;
    } else {
      L = pL;
      R = pL;
    }

    if (erOn) earlyReflections_.Step(L, R, erTaps);

    if (hpfOn) hpf_.ProcessStereo(L, R);

    double wL = 0.0;
    double wR = 0.0;
    for (int32_t k = 0; k < combCount_; ++k) {
      wL += combsLeft_[k].Step<kSoftwareFlush>(L);
      wR += combsRight_[k].Step<kSoftwareFlush>(R);
    }
    for (int32_t k = 0; k < allpassCount_; ++k) {
      wL = allpassesLeft_[k].Step<kSoftwareFlush>(wL);
      wR = allpassesRight_[k].Step<kSoftwareFlush>(wR);
    }

    if (gateOn) {
      double power;
      if (detector == kDetectDryInput) {
        power = kStereo ? xR * xR + xL * xL : xL * xL;
      } else if (detector == kDetectWetOutput) {
        power = wR * wR + wL * wL;
      } else {
        power = sR * sR + sL * sL;
      }
      const double g = gate_.Step(power);
      wL *= g;
      wR *= g;
    }

    if (shelfOn) highShelf_.ProcessStereo(wL, wR);

    double oL = wL;
    double oR = wR;
    cwaveguide::FeedPair(outputDelayLeft_, outputDelayRight_, oL, oR);
    oL *= densityCompensation_;
    oR *= densityCompensation_;

    outputLfoCounter_ += 1;
    if (outputLfoCounter_ >= outputLfoWrap_) outputLfoCounter_ = 0;
    const double m = std::sin(outputLfoCounter_ / lfoDivisor);
    const double outputDelay = (m * 0.003 + 0.003) * sr + 100.0;
    outputDelayLeft_.SetDelay(outputDelay);
    outputDelayRight_.SetDelay(outputDelay);

    const double f = NextDensityFadeGain();
    oL *= f;
    oR *= f;

    // An overflow inside the network must not silence the dry signal for good: this
    // frame's wet part is dropped and the network starts again from silence.
    const bool overflow = !std::isfinite(oL) || !std::isfinite(oR);
    if (overflow) {
      oL = 0.0;
      oR = 0.0;
    }

    const double dL = xL * dryGain_;
    const double dR = (kStereo ? xR : xL) * dryGain_;

    double yL;
    double yR;
    if (!reverse) {
      yL = (oR * wet2_ + oL * wet1_) + dL;
      yR = (oR * wet1_ + oL * wet2_) + dR;
    } else {
      yL = (oR * wet1_ + oL * wet2_) + dL;
      yR = (oR * wet2_ + oL * wet1_) + dR;
    }

    outL[i] = Clean(yL);
    if (outR) outR[i] = Clean(yR);
    if (overflow) ClearNetworkState();
  }
}
