#include "tools/render/cli.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <iomanip>
#include <ostream>
#include <thread>

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
#include "tools/render/progress_bar.h"

namespace render {
namespace {

namespace fs = std::filesystem;

InstanceSetup SetupFrom(const Options& options) {
  InstanceSetup setup;
  setup.assignments = options.assignments;
  if (options.stateIn) {
    const std::string name = "the state file " + Quoted(*options.stateIn);
    const std::string bytes = ReadTextFile(*options.stateIn, name);
    setup.state.emplace(bytes.begin(), bytes.end());
    setup.stateOrigin = name;
  }
  return setup;
}

// What a run reads, so that no output can overwrite it.
std::vector<fs::path> FilesRead(const Options& options, const fs::path* input) {
  std::vector<fs::path> files;
  if (input) files.push_back(*input);
  for (const auto& file : {options.sidechain, options.stateIn, options.automation, options.plugin})
    if (file) files.push_back(*file);
  return files;
}

bool SameFile(const fs::path& a, const fs::path& b) {
  struct stat first {};
  struct stat second {};
  return stat(a.c_str(), &first) == 0 && stat(b.c_str(), &second) == 0 &&
         first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

// Refuses outputs that would destroy an input or each other, that name a folder, or
// that are write-protected (unless forced), before anything is rendered.
void CheckOutputs(std::span<const fs::path> outputs, std::span<const fs::path> inputs, bool force) {
  for (std::size_t i = 0; i < outputs.size(); ++i) {
    const fs::path& output = outputs[i];
    for (const fs::path& input : inputs) {
      if (SameFile(output, input)) {
        throw UsageError("the output " + Quoted(output) + " is the input " + Quoted(input) +
                         "; writing it would destroy the input");
      }
    }
    for (std::size_t j = 0; j < i; ++j) {
      if (fs::weakly_canonical(outputs[j]) == fs::weakly_canonical(output)) {
        throw UsageError(Quoted(output) + " is given for two outputs");
      }
    }
    std::error_code error;
    const fs::file_status status = fs::status(output, error);
    if (fs::is_directory(status)) {
      throw RenderError("the output " + Quoted(output) + " is a folder; give a file name");
    }
    // Root may write anything; a file without write permission is still protected.
    const fs::perms writable =
        fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    const bool protectedFile =
        fs::exists(status) &&
        (access(output.c_str(), W_OK) != 0 || (status.permissions() & writable) == fs::perms::none);
    if (protectedFile && !force) {
      throw RenderError(Quoted(output) + " is write-protected; give --force to replace it");
    }
  }
}

// Without a file to follow, a bare instance takes stereo.
std::unique_ptr<PluginInstance> StereoInstance(const PluginModule& module, PluginHost& host,
                                               const Options& options) {
  return PrepareInstance(module, host, 2, 0, SetupFrom(options));
}

std::string Hertz(double rate) {
  char text[48];
  std::snprintf(text, sizeof text, "%.0f Hz", rate);
  return text;
}

// One file through the plug-in; gives its summary line.
std::string RenderFile(const PluginModule& module, const Options& options, const fs::path& in,
                       const fs::path& out, ProgressListener* progress) {
  std::vector<fs::path> outputs{out};
  if (options.stateOut) outputs.push_back(*options.stateOut);
  CheckOutputs(outputs, FilesRead(options, &in), options.force);
  AudioFileReader input(in, "input");
  std::optional<AudioFileReader> sidechain;
  if (options.sidechain) {
    sidechain.emplace(*options.sidechain, "side-chain");
    if (sidechain->SampleRate() != input.SampleRate()) {
      throw RenderError("the side-chain runs at " + Hertz(sidechain->SampleRate()) +
                        " and the input at " + Hertz(input.SampleRate()) + "; they must match");
    }
  }
  RenderJob job;
  job.outputFormat = ResolveOutputFormat(options.format, out, input.Format());
  job.setup = SetupFrom(options);
  job.input = &input;
  job.inputName = "the input file " + Quoted(in);
  job.sidechain = sidechain ? &*sidechain : nullptr;
  job.sampleRate = input.SampleRate();
  job.automation = options.automation;
  job.progress = progress;
  PendingFiles files;
  job.output = &files.Add(out);
  if (options.stateOut) job.stateOut = &files.Add(*options.stateOut);
  PluginHost host;
  const JobResult result = RunRenderJob(module, host, job, options.host);
  files.CommitAll();
  return SummaryLine({.label = out.string(),
                      .result = &result,
                      .sampleRate = job.sampleRate,
                      .format = job.outputFormat,
                      .showRt60 = false,
                      .rt60Seconds = std::nullopt});
}

void RenderImpulse(const PluginModule& module, PluginHost& host, const Options& options,
                   std::ostream& out) {
  std::vector<fs::path> outputs;
  for (const auto& file : {options.output, options.stateOut, options.plot})
    if (file) outputs.push_back(*file);
  CheckOutputs(outputs, FilesRead(options, nullptr), options.force);
  RenderJob job;
  job.setup = SetupFrom(options);
  job.sampleRate = options.impulseSampleRate;
  job.automation = options.automation;
  std::optional<AudioFormat> format;
  if (options.output) {
    format = ResolveOutputFormat(options.format, *options.output, {SF_FORMAT_WAV, SF_FORMAT_FLOAT});
    job.outputFormat = *format;
  }
  PendingFiles files;
  if (options.output) job.output = &files.Add(*options.output);
  if (options.stateOut) job.stateOut = &files.Add(*options.stateOut);
  PendingFile* plot = options.plot ? &files.Add(*options.plot) : nullptr;
  const ImpulseResponse response = MeasureImpulseResponse(module, host, job, options.host);
  if (plot) {
    WriteImpulseResponsePlot({.title = "Impulse response",
                              .response = &response.signal,
                              .decayCurveDb = &response.decayCurveDb,
                              .fit = response.fit},
                             *plot);
  }
  files.CommitAll();
  const std::string label = options.output ? options.output->string() : "impulse response";
  out << SummaryLine({.label = label,
                      .result = &response.result,
                      .sampleRate = job.sampleRate,
                      .format = format,
                      .showRt60 = true,
                      .rt60Seconds = Rt60(response)})
      << std::endl;
}

// Where -O puts an input: the folder, the input's name, the extension of the container
// asked for.
fs::path BatchOutput(const Options& options, const fs::path& input) {
  fs::path name = input.filename();
  if (options.format.container)
    name.replace_extension(std::string(1, '.').append(*options.format.container));
  return *options.outputFolder / name;
}

struct BatchOutcome {
  std::string result;  // the summary line without its label, or the failure
  bool failed = false;
};

// Renders every input into the folder, as many at once as there are cores; a failure
// is reported and the others go on. Gives the number that failed.
int RenderBatch(const PluginModule& module, const Options& options, std::ostream& out) {
  const std::vector<fs::path>& inputs = options.inputs;
  std::vector<fs::path> outputs;
  std::vector<std::string> names;
  for (const fs::path& input : inputs) {
    outputs.push_back(BatchOutput(options, input));
    names.push_back(input.string());
  }
  for (std::size_t i = 0; i < outputs.size(); ++i) {
    for (std::size_t j = 0; j < i; ++j) {
      if (outputs[i] == outputs[j]) {
        throw UsageError(Quoted(inputs[j]) + " and " + Quoted(inputs[i]) + " would both go to " +
                         Quoted(outputs[i]));
      }
    }
  }
  std::error_code error;
  fs::create_directories(*options.outputFolder, error);
  if (error) {
    throw RenderError("cannot create the folder " + Quoted(*options.outputFolder) + ": " +
                      error.message());
  }
  std::optional<BatchProgress> progress;
  if (isatty(STDERR_FILENO)) progress.emplace(stderr, names);
  std::vector<BatchOutcome> outcomes(inputs.size());
  std::atomic<std::size_t> next{0};
  auto work = [&] {
    for (std::size_t i; (i = next++) < inputs.size();) {
      std::optional<BatchProgress::Line> line;
      if (progress) line.emplace(*progress, i);
      try {
        for (std::size_t j = 0; j < inputs.size(); ++j) {
          if (j != i && SameFile(inputs[j], outputs[i])) {
            throw UsageError("the output " + Quoted(outputs[i]) + " is the input " +
                             Quoted(inputs[j]) + "; writing it would destroy the input");
          }
        }
        const std::string summary =
            RenderFile(module, options, inputs[i], outputs[i], line ? &*line : nullptr);
        outcomes[i].result = summary.substr(outputs[i].string().size() + 2);
      } catch (const std::exception& error) {
        outcomes[i] = {std::string("failed: ") + error.what(), true};
        if (!progress) Warn(names[i] + " failed: " + error.what());
      }
      if (progress) progress->Finish(i, outcomes[i].failed ? "failed" : "done");
    }
  };
  const std::size_t threads =
      std::clamp<std::size_t>(std::thread::hardware_concurrency(), 1, inputs.size());
  std::vector<std::thread> workers;
  for (std::size_t t = 1; t < threads; ++t)
    workers.emplace_back(work);
  work();
  for (std::thread& worker : workers)
    worker.join();
  progress.reset();

  std::size_t inputWidth = 5;
  std::size_t outputWidth = 6;
  for (std::size_t i = 0; i < inputs.size(); ++i) {
    inputWidth = std::max(inputWidth, names[i].size());
    outputWidth = std::max(outputWidth, outputs[i].string().size());
  }
  out << std::left << std::setw(static_cast<int>(inputWidth)) << "input"
      << "  " << std::setw(static_cast<int>(outputWidth)) << "output"
      << "  result\n";
  int failed = 0;
  for (std::size_t i = 0; i < inputs.size(); ++i) {
    failed += outcomes[i].failed ? 1 : 0;
    out << std::setw(static_cast<int>(inputWidth)) << names[i] << "  "
        << std::setw(static_cast<int>(outputWidth))
        << (outcomes[i].failed ? std::string("-") : outputs[i].string()) << "  "
        << outcomes[i].result << "\n";
  }
  out << inputs.size() - static_cast<std::size_t>(failed) << " of " << inputs.size()
      << " rendered, " << failed << " failed" << std::endl;
  return failed;
}

int Run(const Options& options, std::ostream& out) {
  const PluginModule module(LocatePluginModule(options.plugin));
  PluginHost host;
  switch (options.mode) {
    case Mode::Render: {
      const std::string line =
          RenderFile(module, options, options.inputs.front(), *options.output, nullptr);
      out << line << std::endl;
      break;
    }
    case Mode::Batch:
      // Exit statuses above 125 mean something else to a shell.
      return std::min(RenderBatch(module, options, out), 100);
    case Mode::ImpulseResponse:
      RenderImpulse(module, host, options, out);
      break;
    case Mode::ListParameters:
      ParameterTable(*StereoInstance(module, host, options)).WriteListing(out);
      break;
    case Mode::SaveState: {
      CheckOutputs(std::span(&*options.stateOut, 1), FilesRead(options, nullptr), options.force);
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
  return 0;
}

}  // namespace

int RunCommandLine(int argc, char** argv, std::ostream& out, std::ostream& err) {
  try {
    const Options options = ParseOptions(argc, argv);
    if (options.mode == Mode::Help) {
      out << HelpText();
      return 0;
    }
    return Run(options, out);
  } catch (const UsageError& error) {
    err << "halvern-render: " << error.what() << std::endl;
    return 2;
  } catch (const std::exception& error) {
    err << "halvern-render: " << error.what() << std::endl;
    return 1;
  }
}

}  // namespace render
