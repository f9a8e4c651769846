#include "tools/render/host_buffers.h"

#include <algorithm>

namespace render {

HostBuffers::HostBuffers(const PortLayout& layout, uint32_t maxFrames, SampleSize sampleSize)
    : sampleSize_(sampleSize) {
  Build(inputs_, layout.inputs, maxFrames);
  Build(outputs_, layout.outputs, maxFrames);
}

void HostBuffers::Build(Direction& direction, const std::vector<uint32_t>& ports,
                        uint32_t maxFrames) {
  uint32_t channels = 0;
  for (uint32_t count : ports)
    channels += count;
  const bool use64 = sampleSize_ == SampleSize::Float64;
  if (use64) {
    direction.samples64.assign(channels, std::vector<double>(maxFrames));
  } else {
    direction.samples32.assign(channels, std::vector<float>(maxFrames));
  }
  for (uint32_t c = 0; c < channels; ++c) {
    direction.pointers64.push_back(use64 ? direction.samples64[c].data() : nullptr);
    direction.pointers32.push_back(use64 ? nullptr : direction.samples32[c].data());
  }
  uint32_t first = 0;
  for (uint32_t count : ports) {
    clap_audio_buffer_t buffer{};
    buffer.data32 = use64 ? nullptr : direction.pointers32.data() + first;
    buffer.data64 = use64 ? direction.pointers64.data() + first : nullptr;
    buffer.channel_count = count;
    direction.buffers.push_back(buffer);
    first += count;
  }
}

void HostBuffers::SetInput(uint32_t channel, const double* samples, uint32_t frames) {
  if (sampleSize_ == SampleSize::Float64) {
    std::copy_n(samples, frames, inputs_.samples64[channel].begin());
  } else {
    std::transform(samples, samples + frames, inputs_.samples32[channel].begin(),
                   [](double x) { return static_cast<float>(x); });
  }
}

void HostBuffers::GetOutput(uint32_t channel, double* samples, uint32_t frames) const {
  if (sampleSize_ == SampleSize::Float64) {
    std::copy_n(outputs_.samples64[channel].begin(), frames, samples);
  } else {
    std::copy_n(outputs_.samples32[channel].begin(), frames, samples);
  }
}

clap_process_t HostBuffers::Process(uint32_t frames, int64_t steadyTime,
                                    const clap_input_events_t* events) {
  clap_process_t process{};
  process.steady_time = steadyTime;
  process.frames_count = frames;
  process.audio_inputs = inputs_.buffers.data();
  process.audio_outputs = outputs_.buffers.data();
  process.audio_inputs_count = static_cast<uint32_t>(inputs_.buffers.size());
  process.audio_outputs_count = static_cast<uint32_t>(outputs_.buffers.size());
  process.in_events = events;
  process.out_events = DiscardedOutputEvents();
  return process;
}

}  // namespace render
