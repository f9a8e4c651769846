#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tools/render/audio_file.h"
#include "tools/render/host_buffers.h"
#include "tools/render/render_loop.h"
#include "tools/render/signal.h"

namespace render {

class PluginHost;
class PluginInstance;
class PluginModule;

// The output has fallen silent once every channel stays below kSilenceFloorDb (or below
// what the output file can store, if that is more) for kSilenceHoldSeconds. The tail
// lasts at least kShortestTailSeconds: Halvern's reverberation can arrive up to about
// 130 ms after its input (100 ms of pre-delay and the comb delays), and a silence
// before it arrives must not end the render. A render that has not fallen silent
// kLongestTailSeconds after its input stops there.
constexpr double kSilenceFloorDb = -200.0;
constexpr double kSilenceHoldSeconds = 0.1;
constexpr double kShortestTailSeconds = 0.25;
constexpr double kLongestTailSeconds = 60.0;

// What goes into a new instance before it renders, in this order.
struct InstanceSetup {
  std::optional<std::vector<uint8_t>> state;
  std::string stateOrigin;               // names the state in messages
  std::vector<std::string> assignments;  // "Name=Value"
};

// A new instance on the port configuration for these channels ("2.1-2"), with the
// setup applied. Channel counts the plug-in does not take are refused.
std::unique_ptr<PluginInstance> PrepareInstance(const PluginModule& module, PluginHost& host,
                                                uint32_t mainChannels, uint32_t sidechainChannels,
                                                const InstanceSetup& setup);

// Host-side choices that hold for every render of a run.
struct HostChoices {
  uint32_t blockSize = 512;
  SampleSize sampleSize = SampleSize::Float64;
  std::optional<double> tailSeconds;  // a fixed tail instead of waiting for silence
  double silenceFloorDb = kSilenceFloorDb;
  bool showProgress = false;
};

// One render from a source to an audio file and/or memory.
struct RenderJob {
  InstanceSetup setup;
  SignalSource* input = nullptr;
  SignalSource* sidechain = nullptr;
  double sampleRate = 48000.0;
  std::string inputName;  // names the input in warnings
  std::optional<std::filesystem::path> automation;
  PendingFile* stateOut = nullptr;  // the state the render starts from
  PendingFile* output = nullptr;
  AudioFormat outputFormat;
  Signal* recording = nullptr;
  ProgressListener* progress = nullptr;
};

struct JobResult {
  RenderResult render;
  uint32_t channels = 0;
  double peak = 0.0;
};

// Runs the job and completes its pending files; committing them is the caller's.
JobResult RunRenderJob(const PluginModule& module, PluginHost& host, const RenderJob& job,
                       const HostChoices& choices);

// The line printed after a render: "out.wav: 3.42 s, 2 channels, 48000 Hz, WAV 24-bit,
// peak -6.2 dBFS, 212x real time", with the RT60 when one was measured.
struct Summary {
  std::string label;
  const JobResult* result = nullptr;
  double sampleRate = 48000.0;
  std::optional<AudioFormat> format;
  bool showRt60 = false;
  std::optional<double> rt60Seconds;
};
std::string SummaryLine(const Summary& summary);

}  // namespace render
