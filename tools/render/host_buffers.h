#pragma once

#include <cstdint>
#include <vector>

#include "clap/abi.h"
#include "tools/render/plugin_instance.h"

namespace render {

enum class SampleSize { Float32, Float64 };

// The audio buffers a host hands to process, for every port of a layout, in 32- or
// 64-bit samples. All memory is allocated here, before any block is processed.
// Channels are counted across ports: the main input's channels, then the side-chain's.
class HostBuffers {
 public:
  HostBuffers(const PortLayout& layout, uint32_t maxFrames, SampleSize sampleSize);
  HostBuffers(const HostBuffers&) = delete;
  HostBuffers& operator=(const HostBuffers&) = delete;

  void SetInput(uint32_t channel, const double* samples, uint32_t frames);
  void GetOutput(uint32_t channel, double* samples, uint32_t frames) const;
  clap_process_t Process(uint32_t frames, int64_t steadyTime, const clap_input_events_t* events);

 private:
  struct Direction {
    std::vector<std::vector<float>> samples32;
    std::vector<std::vector<double>> samples64;
    std::vector<float*> pointers32;
    std::vector<double*> pointers64;
    std::vector<clap_audio_buffer_t> buffers;
  };
  void Build(Direction& direction, const std::vector<uint32_t>& ports, uint32_t maxFrames);

  SampleSize sampleSize_;
  Direction inputs_;
  Direction outputs_;
};

}  // namespace render
