#include "tools/render/signal.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace render {

std::string DurationText(uint64_t frames, double sampleRate) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f s", static_cast<double>(frames) / sampleRate);
  return text;
}

std::size_t SignalReader::Read(std::span<double* const> channels, std::size_t frames) {
  const std::size_t n = std::min<std::size_t>(frames, signal_.Frames() - position_);
  for (std::size_t c = 0; c < channels.size(); ++c) {
    const std::vector<double>& samples = signal_.channels[c];
    std::copy_n(samples.begin() + static_cast<std::ptrdiff_t>(position_), n, channels[c]);
  }
  position_ += n;
  return n;
}

void SignalRecorder::Write(std::span<const double* const> channels, std::size_t frames) {
  target_.channels.resize(channels.size());
  for (std::size_t c = 0; c < channels.size(); ++c) {
    target_.channels[c].insert(target_.channels[c].end(), channels[c], channels[c] + frames);
  }
}

void PeakMeter::Write(std::span<const double* const> channels, std::size_t frames) {
  for (const double* samples : channels) {
    for (std::size_t i = 0; i < frames; ++i) {
      const double magnitude = std::fabs(samples[i]);
      peak_ = std::max(peak_, magnitude);
      if (magnitude > 1.0) ++beyondFullScale_;
    }
  }
}

}  // namespace render
