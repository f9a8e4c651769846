#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "tools/render/automation.h"
#include "tools/render/host_buffers.h"
#include "tools/render/signal.h"

namespace render {

class PluginInstance;

// How long to go on after the input ends.
struct TailPolicy {
  enum class Kind { UntilSilent, Fixed };
  Kind kind = Kind::UntilSilent;
  // Fixed: the tail's length. UntilSilent: the longest tail before giving up.
  uint64_t frames = 0;
  // UntilSilent: how long every output channel must stay below `threshold`, and how
  // long the tail lasts at least, whatever the output does.
  uint64_t holdFrames = 0;
  uint64_t shortestFrames = 0;
  double threshold = 0.0;
};

struct RenderOptions {
  double sampleRate = 48000.0;
  uint32_t blockSize = 512;
  SampleSize sampleSize = SampleSize::Float64;
  TailPolicy tail;
};

struct RenderResult {
  uint64_t frames = 0;
  // The output had not fallen silent when the longest tail was reached.
  bool tailCut = false;
  // The largest output magnitude over the tail's last 100 to 200 ms.
  double tailLevel = 0.0;
  // Input frames actually read, which a damaged file may make fewer than it declares.
  uint64_t inputFrames = 0;
  // Samples of the input or side-chain that were NaN or infinite and became silence.
  uint64_t nonFiniteInputSamples = 0;
  // Automation events due after the render's last frame.
  std::size_t changesBeyondEnd = 0;
  double wallSeconds = 0.0;
};

// Told how far a render has come, once a block.
class ProgressListener {
 public:
  virtual ~ProgressListener() = default;
  virtual void Began(double /*sampleRate*/) {}
  virtual void Advanced(uint64_t frames, uint64_t inputFrames, bool inTail) = 0;
};

// Runs an activated instance over the input, then over silence for the tail, block by
// block. The plug-in applies a block's events to the whole block, so blocks are split
// where automation changes a value: each change lands on its own frame, and the output
// does not depend on the block size. The side-chain runs alongside the input and is
// silent once it ends.
class Renderer {
 public:
  Renderer(PluginInstance& instance, uint32_t mainChannels, uint32_t sidechainChannels,
           RenderOptions options);

  RenderResult Run(SignalSource& input, SignalSource* sidechain,
                   std::span<const ParameterChange> automation, std::span<OutputSink* const> sinks,
                   ProgressListener* progress);

 private:
  PluginInstance& instance_;
  uint32_t mainChannels_;
  uint32_t sidechainChannels_;
  uint32_t outputChannels_ = 0;
  RenderOptions options_;
  PortLayout layout_;
};

}  // namespace render
