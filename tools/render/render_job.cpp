#include "tools/render/render_job.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <span>

#include "engine/waveguide.h"
#include "framework/parameter.h"
#include "tools/render/analysis.h"
#include "tools/render/automation.h"
#include "tools/render/errors.h"
#include "tools/render/parameters.h"
#include "tools/render/pending_file.h"
#include "tools/render/plugin_instance.h"
#include "tools/render/progress_bar.h"

namespace render {
namespace {

// The plug-in's delay lines hold this many frames; longer delays are cut to it.
constexpr double kLongestDelayFrames = cwaveguide::kRingSize;
constexpr const char* kDetectorName = "Gate Det. Inp.";
constexpr double kFirstReflectionMs = 100.0;
constexpr const char* kSidechainChoice = "Sidechain";

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
  const double floor = std::pow(10.0, choices.silenceFloorDb / 20.0);
  tail.threshold = job.output ? QuietestStoredMagnitude(job.outputFormat, floor) : floor;
  return tail;
}

std::string Fixed(const char* pattern, double value) {
  char text[64];
  std::snprintf(text, sizeof text, pattern, value);
  return text;
}

// The texts a parameter takes over a render: its starting value, then its automation.
std::vector<std::string> TextsTaken(const ParameterTable& parameters,
                                    std::span<const ParameterChange> automation, const char* name) {
  const KnownParameter& known = parameters.Find(name);
  std::vector<std::string> texts{parameters.CurrentText(known)};
  for (const ParameterChange& change : automation) {
    if (change.value.id == known.id) texts.push_back(parameters.Text(known, change.value.value));
  }
  return texts;
}

double LargestTaken(const ParameterTable& parameters, std::span<const ParameterChange> automation,
                    const char* name) {
  double largest = 0.0;
  for (const std::string& text : TextsTaken(parameters, automation, name))
    largest = std::max(largest, fw::ReadLeadingNumber(text.c_str()));
  return largest;
}

// Whether the gate listens to the side-chain at any time, and whether a delay is longer
// than the plug-in's delay lines hold at this rate.
void WarnAboutSetting(const ParameterTable& parameters, std::span<const ParameterChange> automation,
                      bool sidechainGiven, double sampleRate, const std::string& label) {
  const std::vector<std::string> detector = TextsTaken(parameters, automation, kDetectorName);
  const bool listens = std::ranges::find(detector, kSidechainChoice) != detector.end();
  if (listens && !sidechainGiven) {
    Warn(label + ": \"" + kDetectorName + "\" is " + kSidechainChoice +
         " but no --sidechain is given; the gate listens to silence");
  }
  if (!listens && sidechainGiven) {
    Warn(label + ": a --sidechain is given but \"" + kDetectorName + "\" is not " +
         kSidechainChoice + "; the gate does not listen to it");
  }
  const bool reflections = LargestTaken(parameters, automation, "ER Density") > 0.0 &&
                           LargestTaken(parameters, automation, "ER Level") > 0.0;
  const struct {
    const char* what;
    double ms;
  } delays[] = {
      {"a Predelay", LargestTaken(parameters, automation, "Predelay")},
      // The first early reflection comes Room Size x 100 ms after the input.
      {"an early reflection",
       reflections ? kFirstReflectionMs * LargestTaken(parameters, automation, "Room Size") : 0.0},
  };
  const double longestMs = 1000.0 * kLongestDelayFrames / sampleRate;
  for (const auto& delay : delays) {
    if (delay.ms > longestMs) {
      Warn(label + ": at " + Fixed("%.0f Hz", sampleRate) + " the plug-in delays by at most " +
           Fixed("%.2f ms", longestMs) + "; " + delay.what + " of " + Fixed("%.2f ms", delay.ms) +
           " is cut to that");
    }
  }
}

void WarnAboutRender(const RenderJob& job, const JobResult& result, const PeakMeter& peak,
                     const std::string& label, double silenceFloorDb) {
  const RenderResult& render = result.render;
  if (render.inputFrames < job.input->Frames()) {
    Warn(job.inputName + " declares " + DurationText(job.input->Frames(), job.sampleRate) +
         " of audio but holds only " + DurationText(render.inputFrames, job.sampleRate) +
         "; the file is damaged or cut short, and the render used what it holds");
  }
  if (render.nonFiniteInputSamples > 0) {
    Warn(label + ": " + std::to_string(render.nonFiniteInputSamples) +
         " input samples were not numbers or infinite and were rendered as silence");
  }
  if (render.changesBeyondEnd > 0) {
    Warn(label + ": " + std::to_string(render.changesBeyondEnd) +
         " automation events lie beyond the end of the render (" +
         DurationText(render.frames, job.sampleRate) + ") and were not applied");
  }
  if (render.tailCut) {
    Warn(label + " had not fallen below " + Fixed("%.0f dBFS", silenceFloorDb) + " " +
         Fixed("%.0f s", kLongestTailSeconds) + " after the input ended; its tail is cut there, " +
         "at " + Fixed("%.1f dBFS", DecibelsFullScale(render.tailLevel)) +
         " (see --tail-threshold)");
  }
  if (job.output && peak.SamplesBeyondFullScale() > 0 && ClipsAtFullScale(job.outputFormat)) {
    Warn(std::to_string(peak.SamplesBeyondFullScale()) + " samples of " + label +
         " were clipped at full scale");
  }
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
  if (sidechainChannels > 0) configuration.append(1, '.').append(std::to_string(sidechainChannels));
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
  const ParameterTable parameters(*instance);
  std::vector<ParameterChange> automation;
  if (job.automation) {
    automation = ReadAutomationFile(*job.automation, parameters, job.sampleRate);
  }
  const std::string label =
      job.output ? job.output->Destination().string() : std::string("the render");
  WarnAboutSetting(parameters, automation, job.sidechain != nullptr, job.sampleRate, label);

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
  std::optional<ProgressBar> ownProgress;
  ProgressListener* progress = job.progress;
  if (!progress && choices.showProgress && isatty(STDERR_FILENO)) {
    progress = &ownProgress.emplace(stderr, job.sampleRate);
  }

  if (progress) progress->Began(job.sampleRate);
  result.render = renderer.Run(*job.input, job.sidechain, automation, sinks, progress);
  ownProgress.reset();
  result.peak = peak.Peak();
  if (writer) writer->Finish();
  if (job.stateOut) {
    WriteBytes(*job.stateOut, startState);
    job.stateOut->Finish();
  }
  WarnAboutRender(job, result, peak, label, choices.silenceFloorDb);
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
