#include "tools/render/render_job.h"

#include <unistd.h>

#include <cmath>
#include <cstdio>

#include "tools/render/analysis.h"
#include "tools/render/automation.h"
#include "tools/render/errors.h"
#include "tools/render/parameters.h"
#include "tools/render/pending_file.h"
#include "tools/render/plugin_instance.h"
#include "tools/render/progress_bar.h"

namespace render {
namespace {

uint64_t Frames(double seconds, double sampleRate) {
  return static_cast<uint64_t>(std::llround(seconds * sampleRate));
}

TailPolicy TailFor(const RenderJob& job, const HostChoices& choices) {
  TailPolicy tail;
  if (choices.tailSeconds) {
    tail.kind = TailPolicy::Kind::Fixed;
    tail.frames = Frames(*choices.tailSeconds, job.sampleRate);
    return tail;
  }
  tail.kind = TailPolicy::Kind::UntilSilent;
  tail.frames = Frames(kLongestTailSeconds, job.sampleRate);
  tail.holdFrames = Frames(kSilenceHoldSeconds, job.sampleRate);
  tail.shortestFrames = Frames(kShortestTailSeconds, job.sampleRate);
  tail.threshold =
      job.output ? QuietestStoredMagnitude(job.outputFormat, kSilenceFloor) : kSilenceFloor;
  return tail;
}

std::string Fixed(const char* pattern, double value) {
  char text[64];
  std::snprintf(text, sizeof text, pattern, value);
  return text;
}

}  // namespace

std::unique_ptr<PluginInstance> PrepareInstance(const PluginModule& module, PluginHost& host,
                                                uint32_t mainChannels, uint32_t sidechainChannels,
                                                const InstanceSetup& setup) {
  if (mainChannels < 1 || mainChannels > 2) {
    throw RenderError("the input has " + std::to_string(mainChannels) +
                      " channels; Halvern takes a mono or stereo input");
  }
  if (sidechainChannels > 2) {
    throw RenderError("the side-chain has " + std::to_string(sidechainChannels) +
                      " channels; Halvern takes one or two");
  }
  auto instance = std::make_unique<PluginInstance>(module, host);
  std::string configuration = std::to_string(mainChannels);
  if (sidechainChannels > 0) configuration += "." + std::to_string(sidechainChannels);
  instance->SelectConfiguration(configuration + "-2");
  if (setup.state) {
    try {
      instance->LoadState(*setup.state);
    } catch (const RenderError& error) {
      throw RenderError(setup.stateOrigin + ": " + error.what() + " (is it a Halvern state?)");
    }
  }
  const ParameterTable parameters(*instance);
  instance->SetParameters(parameters.ParseAssignments(setup.assignments));
  return instance;
}

JobResult RunRenderJob(const PluginModule& module, PluginHost& host, const RenderJob& job,
                       const HostChoices& choices) {
  const uint32_t sidechainChannels = job.sidechain ? job.sidechain->Channels() : 0;
  const auto instance =
      PrepareInstance(module, host, job.input->Channels(), sidechainChannels, job.setup);
  const std::vector<uint8_t> startState = instance->SaveState();
  std::vector<ParameterChange> automation;
  if (job.automation) {
    automation = ReadAutomationFile(*job.automation, ParameterTable(*instance), job.sampleRate);
  }

  const RenderOptions options{job.sampleRate, choices.blockSize, choices.sampleSize,
                              TailFor(job, choices)};
  Renderer renderer(*instance, job.input->Channels(), sidechainChannels, options);
  JobResult result;
  result.channels = instance->Ports().OutputChannels();
  std::optional<AudioFileWriter> writer;
  if (job.output) writer.emplace(*job.output, job.outputFormat, result.channels, job.sampleRate);
  PeakMeter peak;
  std::optional<SignalRecorder> recorder;
  if (job.recording) {
    job.recording->sampleRate = job.sampleRate;
    recorder.emplace(*job.recording);
  }
  std::vector<OutputSink*> sinks{&peak};
  if (writer) sinks.push_back(&*writer);
  if (recorder) sinks.push_back(&*recorder);
  std::optional<ProgressBar> progress;
  if (choices.showProgress && isatty(STDERR_FILENO)) progress.emplace(stderr, job.sampleRate);

  result.render =
      renderer.Run(*job.input, job.sidechain, automation, sinks, progress ? &*progress : nullptr);
  progress.reset();
  result.peak = peak.Peak();
  if (writer) writer->Commit();
  if (job.stateOut) WriteFileAtomically(*job.stateOut, startState);

  const std::string label = job.output ? job.output->string() : std::string("the render");
  if (result.render.tailCut) {
    std::fprintf(stderr,
                 "halvern-render: warning: %s had not fallen silent %.0f s after the input "
                 "ended; its tail is cut there\n",
                 label.c_str(), kLongestTailSeconds);
  }
  if (job.output && peak.SamplesBeyondFullScale() > 0 && ClipsAtFullScale(job.outputFormat)) {
    std::fprintf(stderr, "halvern-render: warning: %llu samples of %s were clipped at full scale\n",
                 static_cast<unsigned long long>(peak.SamplesBeyondFullScale()), label.c_str());
  }
  return result;
}

std::string SummaryLine(const Summary& summary) {
  const JobResult& result = *summary.result;
  const double seconds = static_cast<double>(result.render.frames) / summary.sampleRate;
  std::string line = summary.label + ": " + Fixed("%.2f s", seconds) + ", " +
                     std::to_string(result.channels) + " channels, " +
                     Fixed("%.0f Hz", summary.sampleRate);
  if (summary.format) line += ", " + DescribeFormat(*summary.format);
  line += ", peak " + (result.peak > 0.0 ? Fixed("%.1f dBFS", DecibelsFullScale(result.peak))
                                         : std::string("silent"));
  if (summary.showRt60) {
    line += summary.rt60Seconds ? ", RT60 " + Fixed("%.2f s", *summary.rt60Seconds)
                                : std::string(", RT60 not measurable");
  }
  if (result.render.wallSeconds > 0.0) {
    line += ", " + Fixed("%.0fx real time", seconds / result.render.wallSeconds);
  }
  return line;
}

}  // namespace render
