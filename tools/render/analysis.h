#pragma once

#include <optional>
#include <vector>

#include "tools/render/signal.h"

namespace render {

// Schroeder's backward integration of the energy of all channels, in dB relative to
// the total energy (0 dB at the first frame). Empty for a signal without energy.
std::vector<double> EnergyDecayCurve(const Signal& signal);

// A straight line through the decay curve where it falls from -5 to -35 dB; the time it
// takes to fall 60 dB is the RT60 (T30, the 30 dB span, doubled).
struct DecayFit {
  double rt60Seconds = 0.0;
  double slopeDbPerSecond = 0.0;
  double interceptDb = 0.0;   // the line's value at time 0
  double startSeconds = 0.0;  // where the curve passes -5 dB
  double endSeconds = 0.0;    // where it passes -35 dB
};

// None when the curve does not reach -35 dB or does not fall.
std::optional<DecayFit> FitDecay(const std::vector<double>& curveDb, double sampleRate);

// Peak magnitude in dB relative to full scale.
double DecibelsFullScale(double magnitude);

}  // namespace render
