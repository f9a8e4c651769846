#include "tools/render/cli.h"

#include <fstream>
#include <iterator>
#include <ostream>

#include "tools/render/demo.h"
#include "tools/render/editor_snapshot.h"
#include "tools/render/errors.h"
#include "tools/render/impulse_response.h"
#include "tools/render/options.h"
#include "tools/render/parameters.h"
#include "tools/render/pending_file.h"
#include "tools/render/plot.h"
#include "tools/render/plugin_host.h"
#include "tools/render/plugin_instance.h"
#include "tools/render/plugin_module.h"

namespace render {
namespace {

InstanceSetup SetupFrom(const Options& options) {
  InstanceSetup setup;
  setup.assignments = options.assignments;
  if (options.stateIn) {
    const std::string name = "the state file \"" + options.stateIn->string() + "\"";
    std::ifstream file(*options.stateIn, std::ios::binary);
    if (!file) throw RenderError("cannot read " + name);
    setup.state.emplace(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    setup.stateOrigin = name;
  }
  return setup;
}

// Without a file to follow, a bare instance takes stereo.
std::unique_ptr<PluginInstance> StereoInstance(const PluginModule& module, PluginHost& host,
                                               const Options& options) {
  return PrepareInstance(module, host, 2, 0, SetupFrom(options));
}

void RenderFile(const PluginModule& module, PluginHost& host, const Options& options,
                std::ostream& out) {
  AudioFileReader input(options.input, "input");
  std::optional<AudioFileReader> sidechain;
  if (options.sidechain) {
    sidechain.emplace(*options.sidechain, "side-chain");
    if (sidechain->SampleRate() != input.SampleRate()) {
      throw RenderError("the side-chain runs at " + std::to_string(sidechain->SampleRate()) +
                        " Hz and the input at " + std::to_string(input.SampleRate()) +
                        " Hz; they must match");
    }
  }
  RenderJob job;
  job.setup = SetupFrom(options);
  job.input = &input;
  job.sidechain = sidechain ? &*sidechain : nullptr;
  job.sampleRate = input.SampleRate();
  job.automation = options.automation;
  job.stateOut = options.stateOut;
  job.output = options.output;
  job.outputFormat = ResolveOutputFormat(options.format, *options.output, input.Format());
  const JobResult result = RunRenderJob(module, host, job, options.host);
  out << SummaryLine({.label = options.output->string(),
                      .result = &result,
                      .sampleRate = job.sampleRate,
                      .format = job.outputFormat,
                      .showRt60 = false,
                      .rt60Seconds = std::nullopt})
      << std::endl;
}

void RenderImpulse(const PluginModule& module, PluginHost& host, const Options& options,
                   std::ostream& out) {
  RenderJob job;
  job.setup = SetupFrom(options);
  job.sampleRate = options.impulseSampleRate;
  job.automation = options.automation;
  job.stateOut = options.stateOut;
  job.output = options.output;
  std::optional<AudioFormat> format;
  if (options.output) {
    format = ResolveOutputFormat(options.format, *options.output, {SF_FORMAT_WAV, SF_FORMAT_FLOAT});
    job.outputFormat = *format;
  }
  const ImpulseResponse response = MeasureImpulseResponse(module, host, job, options.host);
  if (options.plot) {
    WriteImpulseResponsePlot({.title = "Impulse response",
                              .response = &response.signal,
                              .decayCurveDb = &response.decayCurveDb,
                              .fit = response.fit},
                             *options.plot);
  }
  const std::string label = options.output ? options.output->string() : "impulse response";
  out << SummaryLine({.label = label,
                      .result = &response.result,
                      .sampleRate = job.sampleRate,
                      .format = format,
                      .showRt60 = true,
                      .rt60Seconds = Rt60(response)})
      << std::endl;
}

void Run(const Options& options, std::ostream& out) {
  const PluginModule module(LocatePluginModule(options.plugin));
  PluginHost host;
  switch (options.mode) {
    case Mode::Render:
      RenderFile(module, host, options, out);
      break;
    case Mode::ImpulseResponse:
      RenderImpulse(module, host, options, out);
      break;
    case Mode::ListParameters:
      ParameterTable(*StereoInstance(module, host, options)).WriteListing(out);
      break;
    case Mode::SaveState: {
      const std::vector<uint8_t> state = StereoInstance(module, host, options)->SaveState();
      WriteFileAtomically(*options.stateOut, state);
      out << options.stateOut->string() << ": state of " << state.size() << " bytes" << std::endl;
      break;
    }
    case Mode::Demo:
      RunDemo(module, host, options.demoFolder, options.host, out);
      break;
    case Mode::EditorSnapshot:
      out << WriteEditorSnapshot(*StereoInstance(module, host, options), options.editorScale,
                                 *options.editorSnapshot)
          << std::endl;
      break;
    case Mode::Help:
      break;
  }
}

}  // namespace

int RunCommandLine(int argc, char** argv, std::ostream& out, std::ostream& err) {
  try {
    const Options options = ParseOptions(argc, argv);
    if (options.mode == Mode::Help) {
      out << HelpText();
      return 0;
    }
    Run(options, out);
    return 0;
  } catch (const UsageError& error) {
    err << "halvern-render: " << error.what() << std::endl;
    return 2;
  } catch (const std::exception& error) {
    err << "halvern-render: " << error.what() << std::endl;
    return 1;
  }
}

}  // namespace render
