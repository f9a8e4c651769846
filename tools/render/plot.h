#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "tools/render/analysis.h"
#include "tools/render/pending_file.h"
#include "tools/render/signal.h"

namespace render {

// What an impulse-response plot shows.
struct ImpulseResponsePlot {
  std::string title;
  const Signal* response = nullptr;
  const std::vector<double>* decayCurveDb = nullptr;
  std::optional<DecayFit> fit;
};

// A PNG with the waveform above and the energy-decay curve with its RT60 line below.
// Writes the PNG into the pending file and completes it.
void WriteImpulseResponsePlot(const ImpulseResponsePlot& plot, PendingFile& png);

}  // namespace render
