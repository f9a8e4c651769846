#include "tools/render/analysis.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace render {
namespace {

constexpr double kFitStartDb = -5.0;
constexpr double kFitEndDb = -35.0;

}  // namespace

std::vector<double> EnergyDecayCurve(const Signal& signal) {
  const std::size_t frames = signal.Frames();
  std::vector<double> remaining(frames);
  // Summing from the end adds the small late values first, so precision holds to
  // the bottom of the curve.
  double sum = 0.0;
  for (std::size_t i = frames; i-- > 0;) {
    for (const std::vector<double>& channel : signal.channels)
      sum += channel[i] * channel[i];
    remaining[i] = sum;
  }
  if (frames == 0 || remaining.front() <= 0.0) return {};
  const double total = remaining.front();
  std::vector<double> curve(frames);
  std::transform(remaining.begin(), remaining.end(), curve.begin(), [total](double energy) {
    return energy > 0.0 ? 10.0 * std::log10(energy / total)
                        : -std::numeric_limits<double>::infinity();
  });
  return curve;
}

std::optional<DecayFit> FitDecay(const std::vector<double>& curveDb, double sampleRate) {
  const auto start =
      std::find_if(curveDb.begin(), curveDb.end(), [](double db) { return db <= kFitStartDb; });
  const auto end = std::find_if(start, curveDb.end(), [](double db) { return db <= kFitEndDb; });
  if (end == curveDb.end() || end - start < 2) return std::nullopt;
  // Least squares over the frames in between; sums relative to the first for precision.
  const auto first = static_cast<double>(start - curveDb.begin());
  double n = 0.0, sumT = 0.0, sumY = 0.0, sumTT = 0.0, sumTY = 0.0;
  for (auto it = start; it <= end; ++it) {
    const double t = static_cast<double>(it - start) / sampleRate;
    n += 1.0;
    sumT += t;
    sumY += *it;
    sumTT += t * t;
    sumTY += t * *it;
  }
  const double slope = (n * sumTY - sumT * sumY) / (n * sumTT - sumT * sumT);
  if (!(slope < 0.0)) return std::nullopt;
  DecayFit fit;
  fit.slopeDbPerSecond = slope;
  fit.startSeconds = first / sampleRate;
  fit.endSeconds = static_cast<double>(end - curveDb.begin()) / sampleRate;
  fit.interceptDb = (sumY - slope * sumT) / n - slope * fit.startSeconds;
  fit.rt60Seconds = -60.0 / slope;
  return fit;
}

double DecibelsFullScale(double magnitude) {
  return magnitude > 0.0 ? 20.0 * std::log10(magnitude) : -std::numeric_limits<double>::infinity();
}

}  // namespace render
