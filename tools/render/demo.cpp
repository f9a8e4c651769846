#include "tools/render/demo.h"

#include <cmath>
#include <ostream>

#include "tools/render/errors.h"
#include "tools/render/impulse_response.h"
#include "tools/render/plot.h"

namespace render {
namespace {

constexpr double kTwoPi = 6.283185307179586;
constexpr double kLength = 2.6;

// A fixed pseudo-random sequence, so the demo is the same on every machine.
class Noise {
 public:
  double Next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return static_cast<double>(state_) / 2147483648.0 - 1.0;
  }

 private:
  uint32_t state_ = 0x9E3779B9u;
};

void AddKick(std::vector<double>& out, std::size_t at, double rate) {
  double phase = 0.0;
  for (std::size_t i = 0; i < static_cast<std::size_t>(0.4 * rate) && at + i < out.size(); ++i) {
    const double t = static_cast<double>(i) / rate;
    phase += kTwoPi * (48.0 + 110.0 * std::exp(-t / 0.03)) / rate;
    out[at + i] += 0.4 * std::exp(-t / 0.12) * std::sin(phase);
  }
}

void AddSnare(std::vector<double>& out, std::size_t at, double rate, Noise& noise) {
  double low = 0.0;
  for (std::size_t i = 0; i < static_cast<std::size_t>(0.3 * rate) && at + i < out.size(); ++i) {
    const double t = static_cast<double>(i) / rate;
    const double white = noise.Next();
    low += 0.35 * (white - low);
    const double body = 0.18 * std::exp(-t / 0.05) * std::sin(kTwoPi * 190.0 * t);
    out[at + i] += body + 0.22 * std::exp(-t / 0.07) * (white - 0.6 * low);
  }
}

void AddHat(std::vector<double>& out, std::size_t at, double rate, Noise& noise) {
  double previous = 0.0;
  for (std::size_t i = 0; i < static_cast<std::size_t>(0.08 * rate) && at + i < out.size(); ++i) {
    const double t = static_cast<double>(i) / rate;
    const double white = noise.Next();
    out[at + i] += 0.12 * std::exp(-t / 0.015) * (white - previous);
    previous = white;
  }
}

void AddToneBurst(std::vector<double>& out, std::size_t at, double rate) {
  const auto frames = static_cast<std::size_t>(0.35 * rate);
  for (std::size_t i = 0; i < frames && at + i < out.size(); ++i) {
    const double t = static_cast<double>(i) / rate;
    const double envelope = std::pow(std::sin(M_PI * static_cast<double>(i) / frames), 2.0);
    const double tone = std::sin(kTwoPi * 440.0 * t) + 0.4 * std::sin(kTwoPi * 880.0 * t) +
                        0.2 * std::sin(kTwoPi * 1320.0 * t);
    out[at + i] += 0.25 * envelope * tone;
  }
}

}  // namespace

Signal SynthesiseDemoSignal(double sampleRate) {
  Signal signal;
  signal.sampleRate = sampleRate;
  std::vector<double> samples(static_cast<std::size_t>(kLength * sampleRate));
  Noise noise;
  auto at = [sampleRate](double seconds) { return static_cast<std::size_t>(seconds * sampleRate); };
  for (double beat : {0.0, 0.75, 1.0})
    AddKick(samples, at(beat), sampleRate);
  for (double beat : {0.5, 1.5})
    AddSnare(samples, at(beat), sampleRate, noise);
  for (double beat : {0.25, 0.5, 0.75, 1.25})
    AddHat(samples, at(beat), sampleRate, noise);
  AddToneBurst(samples, at(2.0), sampleRate);
  signal.channels.push_back(std::move(samples));
  return signal;
}

std::span<const DemoSetting> DemoSettings() {
  static const std::vector<DemoSetting> settings{
      {"defaults", {}},
      {"small-room",
       {"Room Size=0.2", "Damping=0.65", "Predelay=4", "ER Density=6", "ER Level=0.45",
        "Reverb HPF=120", "Wet Level=0.28", "Width=0.8"}},
      {"gated-hall",
       {"Room Size=0.95", "Damping=0.3", "Density=6", "Predelay=25", "Wet Level=0.3", "Width=1.3",
        "Gate Threshold=-50", "Hold=300", "Release=60", "Gate Det. Inp.=Wet Output",
        "High Shelf=-3", "HShelf Freq=6000"}},
  };
  return settings;
}

void RunDemo(const PluginModule& module, PluginHost& host, const std::filesystem::path& folder,
             const HostChoices& choices, std::ostream& out) {
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error) {
    throw RenderError("cannot create the folder \"" + folder.string() + "\": " + error.message());
  }
  const double rate = 48000.0;
  const AudioFormat format{SF_FORMAT_WAV, SF_FORMAT_PCM_24};
  const Signal dry = SynthesiseDemoSignal(rate);
  WriteAudioFile(folder / "dry.wav", format, dry);
  for (const DemoSetting& setting : DemoSettings()) {
    RenderJob job;
    job.setup.assignments = setting.assignments;
    job.sampleRate = rate;
    SignalReader input(dry);
    job.input = &input;
    job.outputFormat = format;
    PendingFiles files;
    job.output = &files.Add(folder / (setting.name + ".wav"));
    PendingFile& plot = files.Add(folder / (setting.name + "-ir.png"));
    const JobResult rendered = RunRenderJob(module, host, job, choices);

    RenderJob impulseJob;
    impulseJob.setup.assignments = setting.assignments;
    impulseJob.sampleRate = rate;
    const ImpulseResponse response = MeasureImpulseResponse(module, host, impulseJob, choices);
    WriteImpulseResponsePlot({.title = "Impulse response: " + setting.name,
                              .response = &response.signal,
                              .decayCurveDb = &response.decayCurveDb,
                              .fit = response.fit},
                             plot);
    files.CommitAll();

    out << SummaryLine({.label = job.output->Destination().string(),
                        .result = &rendered,
                        .sampleRate = rate,
                        .format = format,
                        .showRt60 = true,
                        .rt60Seconds = Rt60(response)})
        << std::endl;
  }
}

}  // namespace render
