// Any channel I/O string as a processor's configuration.
#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "framework/processor.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::vector<fw::ChannelIOConfig> configs;
  const fw::ChannelIOMaxima maxima = fw::ReadIOConfigString(text, configs);
  if (maxima.configCount != static_cast<int32_t>(configs.size())) std::abort();
  if (maxima.inputChannels < 0 || maxima.outputChannels < 0) std::abort();
  for (const fw::ChannelIOConfig& config : configs) {
    for (const fw::BusInfo& bus : config.inputs) {
      if (bus.channelCount == 0 || bus.direction != fw::BusDirection::Input) std::abort();
    }
  }

  fw::PlugConfig plug;
  plug.channelIOString = text.c_str();
  fw::Processor processor(plug);
  processor.PrepareBlockSize(4);
  std::vector<double> samples[2];
  std::vector<double*> pointers[2];
  for (auto direction : {fw::BusDirection::Input, fw::BusDirection::Output}) {
    const int32_t channels = processor.ChannelCount(direction);
    processor.ConnectChannels(direction, 0, channels, false);
    processor.ConnectChannels(direction, 0, channels, true);
    const int side = static_cast<int>(direction);
    samples[side].assign(4 * std::max(channels, 1), 0.25);
    for (int32_t c = 0; c < channels; ++c) pointers[side].push_back(samples[side].data() + 4 * c);
    processor.BindChannelBuffers(direction, 0, channels, pointers[side].data(), 4);
    for (int32_t bus = -1; bus <= processor.MaxBusCount(direction); ++bus) {
      processor.BusChannelCount(direction, bus, 0);
      if (processor.BusName(direction, bus, maxima.inputBuses).size() > 31) std::abort();
    }
  }
  processor.RunBlock(4, fw::SampleFormat::Float64);
  return 0;
}
