#include "tools/render/impulse_response.h"

namespace render {

std::optional<double> Rt60(const ImpulseResponse& response) {
  return response.fit ? std::optional(response.fit->rt60Seconds) : std::nullopt;
}

ImpulseResponse MeasureImpulseResponse(const PluginModule& module, PluginHost& host, RenderJob job,
                                       const HostChoices& choices) {
  Signal impulse;
  impulse.sampleRate = job.sampleRate;
  impulse.channels = {{1.0}};
  SignalReader input(impulse);
  ImpulseResponse response;
  job.input = &input;
  job.sidechain = nullptr;
  job.recording = &response.signal;
  response.result = RunRenderJob(module, host, job, choices);
  response.decayCurveDb = EnergyDecayCurve(response.signal);
  response.fit = FitDecay(response.decayCurveDb, job.sampleRate);
  return response;
}

}  // namespace render
