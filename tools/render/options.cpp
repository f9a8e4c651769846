#include "tools/render/options.h"

#include <CLI/CLI.hpp>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "framework/parameter.h"
#include "tools/render/errors.h"

namespace render {
namespace {

constexpr uint32_t kLargestBlock = 65536;
constexpr double kLowestFloorDb = -300.0;
// Sample rates are whole numbers in every file format; the plug-in decides what it runs at.
constexpr uint32_t kHighestRate = std::numeric_limits<int32_t>::max();

double Number(const char* option, const char* text, double lowest, double highest) {
  const char* end = nullptr;
  const double value = fw::ReadLeadingNumber(text, &end);
  if (end == text || *end != '\0' || !(value >= lowest && value <= highest)) {
    char range[96];
    std::snprintf(range, sizeof range, "a number from %g to %g", lowest, highest);
    throw UsageError(std::string(option) + " " + text + ": give " + range);
  }
  return value;
}

uint32_t Whole(const char* option, const char* text, uint32_t lowest, uint32_t highest) {
  uint32_t value = 0;
  const char* end = text + std::char_traits<char>::length(text);
  const auto [stop, error] = std::from_chars(text, end, value);
  if (error != std::errc() || stop != end || value < lowest || value > highest) {
    throw UsageError(std::string(option) + " " + text + ": give a whole number from " +
                     std::to_string(lowest) + " to " + std::to_string(highest));
  }
  return value;
}

void Forbid(bool given, const std::string& option, const std::string& reason) {
  if (given) throw UsageError(option + " " + reason);
}

// Which mode the options ask for, and whether the rest fits it.
void SettleMode(Options& options, bool impulse, bool list, bool demo, bool rateGiven) {
  const bool input = !options.inputs.empty();
  const bool folder = options.outputFolder.has_value();
  Forbid(options.editorScale != 1.0 && !options.editorSnapshot, "--scale",
         "applies to --editor-snapshot only");
  if (options.editorSnapshot) {
    Forbid(input || folder || options.output || impulse || list || demo || options.sidechain ||
               options.stateOut || options.automation || options.plot || rateGiven,
           "--editor-snapshot", "takes only --scale, --plugin, --state-in and --set");
    options.mode = Mode::EditorSnapshot;
    return;
  }
  if (demo) {
    Forbid(input || options.output || folder || impulse || list || options.sidechain ||
               options.stateIn || options.stateOut || options.automation || options.plot ||
               !options.assignments.empty() || options.format.container || options.format.bits ||
               options.host.tailSeconds || rateGiven,
           "--demo", "takes only --plugin, --block and --precision");
    options.mode = Mode::Demo;
    return;
  }
  if (list) {
    Forbid(input || options.output || folder || impulse || options.sidechain ||
               options.automation || options.plot || options.stateOut,
           "--list-params", "takes only --plugin, --state-in and --set");
    options.mode = Mode::ListParameters;
    return;
  }
  Forbid(options.plot && !impulse, "--plot", "draws an impulse response; use it with --ir");
  if (impulse) {
    Forbid(input, "--ir", "renders an impulse of its own and takes no input file");
    Forbid(options.sidechain.has_value(), "--ir", "takes no side-chain");
    Forbid(folder, "--ir", "writes one file; give it with -o");
    options.mode = Mode::ImpulseResponse;
    return;
  }
  Forbid(rateGiven, "--rate", "applies to --ir only; a file render takes the input's rate");
  if (folder) {
    Forbid(!input, "-O", "needs the input files to render");
    Forbid(options.output.has_value(), "-O", "names one output per input; leave out -o");
    Forbid(options.stateOut.has_value(), "-O", "renders several files; save a state without it");
    options.mode = Mode::Batch;
    return;
  }
  if (!input) {
    Forbid(!options.stateOut, "no input file:", "see halvern-render --help");
    Forbid(options.output.has_value() || options.sidechain.has_value() ||
               options.automation.has_value(),
           "no input file:", "give one to render");
    options.mode = Mode::SaveState;
    return;
  }
  Forbid(!options.output, "no output file:", "give one with -o OUT");
  options.mode = Mode::Render;
}

// The values as given; each is checked, with this tool's own messages, once all are read.
struct GivenText {
  std::optional<std::string> tail, tailThreshold, block, precision, rate, scale;
};

void Check(Options& options, const GivenText& given) {
  if (given.tail) {
    options.host.tailSeconds = Number("--tail", given.tail->c_str(), 0.0, kLongestTailSeconds);
  }
  if (given.tailThreshold) {
    options.host.silenceFloorDb =
        Number("--tail-threshold", given.tailThreshold->c_str(), kLowestFloorDb, 0.0);
  }
  if (given.block)
    options.host.blockSize = Whole("--block", given.block->c_str(), 1, kLargestBlock);
  if (given.precision) {
    const uint32_t bits = Whole("--precision", given.precision->c_str(), 32, 64);
    if (bits != 32 && bits != 64) throw UsageError("--precision: give 32 or 64");
    options.host.sampleSize = bits == 32 ? SampleSize::Float32 : SampleSize::Float64;
  }
  if (given.rate) options.impulseSampleRate = Whole("--rate", given.rate->c_str(), 1, kHighestRate);
  if (given.scale) options.editorScale = Number("--scale", given.scale->c_str(), 0.5, 4.0);
}

// The parser's own failures, in this tool's words. Its messages start with the
// option's name; a missing value is reported under the spelling that was typed.
[[noreturn]] void Refuse(const CLI::App& app, const CLI::ParseError& error, int argc, char** argv) {
  const std::string message = error.what();
  if (!dynamic_cast<const CLI::ArgumentMismatch*>(&error)) {
    throw UsageError(message + "; see halvern-render --help");
  }
  std::string typed = message.substr(0, message.find(':'));
  if (const CLI::Option* option = app.get_option_no_throw(typed)) {
    for (int i = argc - 1; i > 0; --i) {
      if (option->check_name(argv[i])) {
        typed = argv[i];
        break;
      }
    }
  }
  throw UsageError(typed + " needs a value");
}

}  // namespace

Options ParseOptions(int argc, char** argv) {
  Options options;
  options.host.showProgress = true;
  GivenText given;
  bool impulse = false;
  bool list = false;
  bool help = false;
  std::optional<std::string> demo;
  CLI::App app("halvern-render", "halvern-render");
  app.set_help_flag();
  app.allow_extras();
  // A repeated option takes its last value, as it always has.
  app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
  app.add_flag("-h,--help", help);
  app.add_option("-o,--output", options.output);
  app.add_option("-O,--output-folder", options.outputFolder);
  app.add_option("--format", options.format.container);
  app.add_option("--bits", options.format.bits);
  app.add_option("--sidechain", options.sidechain);
  app.add_option("--set", options.assignments)
      ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
      ->allow_extra_args(false);
  app.add_flag("--list-params", list);
  app.add_option("--state-in", options.stateIn);
  app.add_option("--state-out", options.stateOut);
  app.add_option("--tail", given.tail);
  app.add_option("--tail-threshold", given.tailThreshold);
  app.add_option("--block", given.block);
  app.add_option("--precision", given.precision);
  app.add_option("--automation", options.automation);
  app.add_flag("--ir", impulse);
  app.add_option("--rate", given.rate);
  app.add_option("--plot", options.plot);
  app.add_option("--plugin", options.plugin);
  app.add_option("--demo", demo);
  app.add_flag("--force", options.force);
  app.add_option("--editor-snapshot", options.editorSnapshot);
  app.add_option("--scale", given.scale);
  std::vector<std::string> inputs;
  app.add_option("inputs", inputs)->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    Refuse(app, error, argc, argv);
  }
  if (help) {
    options.mode = Mode::Help;
    return options;
  }
  for (const std::string& extra : app.remaining()) {
    throw UsageError("unknown option " + extra + "; see halvern-render --help");
  }
  Check(options, given);
  for (const std::string& input : inputs) {
    if (!options.inputs.empty() && !options.outputFolder) {
      throw UsageError("more than one input file (\"" + options.inputs.front().string() +
                       "\" and \"" + input + "\"); render several with -O DIR");
    }
    options.inputs.emplace_back(input);
  }
  if (demo) options.demoFolder = *demo;
  SettleMode(options, impulse, list, demo.has_value(), given.rate.has_value());
  return options;
}

std::string HelpText() {
  return R"(Usage: halvern-render IN -o OUT [options]
       halvern-render IN... -O DIR [options]
       halvern-render --ir [-o IR.wav] [--plot IR.png] [options]
       halvern-render --list-params [--state-in FILE] [--set "Name=Value"]...
       halvern-render --state-out FILE [--state-in FILE] [--set "Name=Value"]...
       halvern-render --demo DIR
       halvern-render --editor-snapshot FILE.png [--scale S] [--set "Name=Value"]...

Renders audio through the Halvern reverb, loaded as a CLAP plug-in exactly as a DAW
loads it. IN is a mono or stereo WAV, FLAC, AIFF or OGG file; OUT is stereo, at IN's
sample rate.

Output
  -o, --output FILE     where to write; appears only once the render has succeeded
  -O, --output-folder DIR
                        render every IN into DIR under its own name, several at once
                        (one per core); a failed input does not stop the others
  --force               replace write-protected output files
  --format wav|flac|aiff|ogg
                        container; default: the one OUT's extension names, else IN's
  --bits 16|24|32f      sample encoding; default: IN's, if the container takes it
                        (24-bit otherwise; 32-bit float for --ir)

Plug-in settings
  --set "Name=Value"    set a parameter by its name and value text, as the plug-in
                        shows it: "Room Size=0.8", "Predelay=20", "Predelay=20 ms",
                        "Gate Det. Inp.=Sidechain"; repeatable; applied after --state-in
  --state-in FILE       load a state saved by a DAW or by --state-out
  --state-out FILE      save the state the render starts from (after --state-in and
                        --set; automation is not part of it)
  --automation FILE     parameter changes, one a line: "seconds name value", as in
                        "1.5 Room Size 0.8"; each takes effect on its own sample
  --list-params         print every parameter with its range, default and current value
  --sidechain FILE      one or two side-chain channels at IN's sample rate, for the gate
                        ("Gate Det. Inp.=Sidechain"); silent after it ends

Rendering
  --tail SECONDS        render exactly this long after IN ends (0 to 60); by default the
                        render goes on until every output channel has stayed below
                        1e-10 (-200 dBFS), or below what OUT's encoding stores, for
                        100 ms; the tail lasts at least 250 ms (the reverberation can
                        start 130 ms after the input) and at most 60 s
  --tail-threshold DB   the level below which the tail counts as silent (-300 to 0,
                        default -200 dBFS)
  --block N             frames per process call, 1 to 65536 (default 512)
  --precision 32|64     host buffer samples (default 64); the plug-in computes in 64 bit
  --plugin PATH         the Halvern.clap to load; default: the one built next to this
                        tool, else ~/.clap/Halvern.clap

Impulse response
  --ir                  render a unit impulse through the mono input and print its RT60
                        (T30 doubled: the energy decay's -5 to -35 dB slope)
  --rate HZ             sample rate of the impulse (default 48000; any rate the
                        plug-in runs at)
  --plot FILE.png       draw the waveform and the energy-decay curve with its RT60 line

Demo
  --demo DIR            render a built-in dry signal through three settings (defaults, a
                        small room, a large gated hall) into DIR: the WAV files and the
                        impulse-response plots

Editor
  --editor-snapshot FILE.png
                        draw the plug-in's editor off screen with the parameters as set,
                        exactly as a window at that zoom shows it
  --scale S             the editor's zoom, 0.5 to 4 (default 1)

A progress bar goes to standard error when it is a terminal; one summary line per render
goes to standard output; -O ends with a table of every input. Exit status: 0 on
success, 1 when rendering fails (the message says why), 2 for a command line that
cannot be run; with -O, the number of inputs that failed.
)";
}

}  // namespace render
