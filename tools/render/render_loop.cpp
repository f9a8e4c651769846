#include "tools/render/render_loop.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "tools/render/errors.h"
#include "tools/render/plugin_instance.h"

namespace render {
namespace {

std::vector<std::vector<double>> Planar(uint32_t channels, uint32_t frames) {
  return std::vector<std::vector<double>>(channels, std::vector<double>(frames));
}

// Stops processing however the render ends.
class ProcessingScope {
 public:
  ProcessingScope(PluginInstance& instance, const RenderOptions& options) : instance_(instance) {
    instance_.StartProcessing(options.sampleRate, options.blockSize);
  }
  ~ProcessingScope() { instance_.StopProcessing(); }
  ProcessingScope(const ProcessingScope&) = delete;
  ProcessingScope& operator=(const ProcessingScope&) = delete;

 private:
  PluginInstance& instance_;
};

// NaN and infinity would make the reverberation unusable for the rest of the render.
uint64_t SilenceNonFinite(double* samples, std::size_t count) {
  uint64_t replaced = 0;
  for (std::size_t i = 0; i < count; ++i) {
    if (!std::isfinite(samples[i])) {
      samples[i] = 0.0;
      ++replaced;
    }
  }
  return replaced;
}

// The largest magnitude over the last one or two windows of `window` frames.
class RecentPeak {
 public:
  void Add(double magnitude, uint64_t window) {
    if (++count_ > window) {
      previous_ = current_;
      current_ = 0.0;
      count_ = 1;
    }
    current_ = std::max(current_, magnitude);
  }
  double Level() const { return std::max(previous_, current_); }

 private:
  double previous_ = 0.0;
  double current_ = 0.0;
  uint64_t count_ = 0;
};

}  // namespace

Renderer::Renderer(PluginInstance& instance, uint32_t mainChannels, uint32_t sidechainChannels,
                   RenderOptions options)
    : instance_(instance),
      mainChannels_(mainChannels),
      sidechainChannels_(sidechainChannels),
      options_(options),
      layout_(instance.Ports()) {
  std::vector<uint32_t> expected{mainChannels};
  if (sidechainChannels > 0) expected.push_back(sidechainChannels);
  if (layout_.inputs != expected || layout_.OutputChannels() == 0) {
    throw RenderError("the plug-in's audio ports do not match the selected configuration");
  }
  outputChannels_ = layout_.OutputChannels();
}

RenderResult Renderer::Run(SignalSource& input, SignalSource* sidechain,
                           std::span<const ParameterChange> automation,
                           std::span<OutputSink* const> sinks, ProgressListener* progress) {
  const uint32_t block = options_.blockSize;
  const TailPolicy& tail = options_.tail;
  HostBuffers buffers(layout_, block, options_.sampleSize);
  std::vector<std::vector<double>> inputSamples = Planar(mainChannels_ + sidechainChannels_, block);
  std::vector<std::vector<double>> outputSamples = Planar(outputChannels_, block);
  std::vector<double*> mainPointers;
  std::vector<double*> sidechainPointers;
  for (uint32_t c = 0; c < mainChannels_ + sidechainChannels_; ++c) {
    (c < mainChannels_ ? mainPointers : sidechainPointers).push_back(inputSamples[c].data());
  }
  std::vector<const double*> outputPointers;
  for (const std::vector<double>& samples : outputSamples)
    outputPointers.push_back(samples.data());
  std::vector<ParameterValue> values;
  for (const ParameterChange& change : automation)
    values.push_back(change.value);
  ParameterEventList events(values);

  const ProcessingScope processing(instance_, options_);
  const auto started = std::chrono::steady_clock::now();
  const uint64_t expectedInput = input.Frames();
  std::optional<uint64_t> inputEnd;
  if (expectedInput == 0) inputEnd = 0;
  bool sidechainEnded = sidechain == nullptr;
  uint64_t frame = 0;
  uint64_t silentRun = 0;
  std::size_t nextChange = 0;
  RecentPeak tailLevel;
  RenderResult result;
  for (bool done = false; !done;) {
    uint64_t wanted = block;
    if (!inputEnd) {
      wanted = std::min(wanted, expectedInput - frame);
    } else {
      const uint64_t limit = *inputEnd + tail.frames;
      if (frame >= limit) {
        result.tailCut = tail.kind == TailPolicy::Kind::UntilSilent;
        break;
      }
      wanted = std::min(wanted, limit - frame);
    }
    // The events due now go with this block, which ends where the next one is due.
    const std::size_t firstChange = nextChange;
    while (nextChange < automation.size() && automation[nextChange].frame <= frame)
      ++nextChange;
    if (nextChange < automation.size()) {
      wanted = std::min(wanted, automation[nextChange].frame - frame);
    }
    events.Show(firstChange, nextChange - firstChange);
    const auto n = static_cast<uint32_t>(wanted);

    const std::size_t mainRead = inputEnd ? 0 : input.Read(mainPointers, n);
    if (!inputEnd && (mainRead < n || frame + n == expectedInput)) inputEnd = frame + mainRead;
    const std::size_t sidechainRead = sidechainEnded ? 0 : sidechain->Read(sidechainPointers, n);
    sidechainEnded = sidechainEnded || sidechainRead < n;
    for (uint32_t c = 0; c < inputSamples.size(); ++c) {
      const std::size_t read = c < mainChannels_ ? mainRead : sidechainRead;
      result.nonFiniteInputSamples += SilenceNonFinite(inputSamples[c].data(), read);
      std::fill(inputSamples[c].begin() + static_cast<std::ptrdiff_t>(read),
                inputSamples[c].begin() + n, 0.0);
      buffers.SetInput(c, inputSamples[c].data(), n);
    }

    const clap_process_t process = buffers.Process(n, static_cast<int64_t>(frame), events.List());
    if (instance_.Process(process) == CLAP_PROCESS_ERROR) {
      throw RenderError("the plug-in failed to process the block at frame " +
                        std::to_string(frame));
    }
    for (uint32_t c = 0; c < outputChannels_; ++c)
      buffers.GetOutput(c, outputSamples[c].data(), n);

    uint32_t kept = n;
    if (tail.kind == TailPolicy::Kind::UntilSilent && inputEnd) {
      for (uint32_t i = 0; i < n && !done; ++i) {
        if (frame + i < *inputEnd) continue;
        double level = 0.0;
        for (const std::vector<double>& samples : outputSamples)
          level = std::max(level, std::fabs(samples[i]));
        const bool silent = level < tail.threshold;
        silentRun = silent ? silentRun + 1 : 0;
        tailLevel.Add(level, tail.holdFrames);
        if (silentRun >= tail.holdFrames && frame + i + 1 >= *inputEnd + tail.shortestFrames) {
          kept = i + 1;
          done = true;
        }
      }
    }
    for (OutputSink* sink : sinks)
      sink->Write(outputPointers, kept);
    frame += kept;
    if (progress) progress->Advanced(frame, expectedInput, inputEnd && frame > *inputEnd);
    instance_.ServiceMainThread();
  }
  result.frames = frame;
  result.inputFrames = inputEnd.value_or(frame);
  result.changesBeyondEnd = automation.size() - nextChange;
  result.tailLevel = tailLevel.Level();
  result.wallSeconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  return result;
}

}  // namespace render
