#pragma once

#include <cstdint>

// How many channels the host connected in this block, and what the selected port
// configuration says about them.
struct ChannelLayout {
  int32_t inputs = 0;
  int32_t outputs = 0;
  int32_t maxInputBuses = 0;
  // Channels of the main input bus when the selected configuration also has a
  // side-chain bus; 0 for a configuration with a single input bus.
  int32_t mainBusChannels = 0;
};

// Which inputs feed the reverb and which key the gate, for one block.
struct Routing {
  int32_t mainCount = 0;  // 1: mono path, 2: stereo path
  int32_t sidechainFirst = 0;
  int32_t sidechainCount = 0;
  int32_t outputCount = 0;

  bool Stereo() const { return mainCount >= 2; }
};

Routing RouteChannels(const ChannelLayout& layout, int32_t detector);
