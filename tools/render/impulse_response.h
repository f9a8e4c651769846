#pragma once

#include <optional>
#include <vector>

#include "tools/render/analysis.h"
#include "tools/render/render_job.h"

namespace render {

struct ImpulseResponse {
  Signal signal;
  std::vector<double> decayCurveDb;
  std::optional<DecayFit> fit;
  JobResult result;
};

std::optional<double> Rt60(const ImpulseResponse& response);

// Renders a unit impulse through the mono input with the job's setup (its input and
// recording are the impulse's own) and measures the decay of what comes out.
ImpulseResponse MeasureImpulseResponse(const PluginModule& module, PluginHost& host, RenderJob job,
                                       const HostChoices& choices);

}  // namespace render
