#include "tools/render/options.h"

#include <getopt.h>

#include <charconv>
#include <cmath>
#include <cstdlib>

#include "tools/render/errors.h"

namespace render {
namespace {

enum LongOnly {
  kFormat = 256,
  kBits,
  kSidechain,
  kSet,
  kListParams,
  kStateIn,
  kStateOut,
  kTail,
  kBlock,
  kPrecision,
  kAutomation,
  kIr,
  kRate,
  kPlot,
  kPlugin,
  kDemo,
  kEditorSnapshot,
  kScale,
};

constexpr option kOptions[] = {
    {"output", required_argument, nullptr, 'o'},
    {"format", required_argument, nullptr, kFormat},
    {"bits", required_argument, nullptr, kBits},
    {"sidechain", required_argument, nullptr, kSidechain},
    {"set", required_argument, nullptr, kSet},
    {"list-params", no_argument, nullptr, kListParams},
    {"state-in", required_argument, nullptr, kStateIn},
    {"state-out", required_argument, nullptr, kStateOut},
    {"tail", required_argument, nullptr, kTail},
    {"block", required_argument, nullptr, kBlock},
    {"precision", required_argument, nullptr, kPrecision},
    {"automation", required_argument, nullptr, kAutomation},
    {"ir", no_argument, nullptr, kIr},
    {"rate", required_argument, nullptr, kRate},
    {"plot", required_argument, nullptr, kPlot},
    {"plugin", required_argument, nullptr, kPlugin},
    {"demo", required_argument, nullptr, kDemo},
    {"editor-snapshot", required_argument, nullptr, kEditorSnapshot},
    {"scale", required_argument, nullptr, kScale},
    {"help", no_argument, nullptr, 'h'},
    {nullptr, 0, nullptr, 0},
};

constexpr uint32_t kLargestBlock = 65536;

double Number(const char* option, const char* text, double lowest, double highest) {
  char* end = nullptr;
  const double value = std::strtod(text, &end);
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
  const bool input = !options.input.empty();
  Forbid(options.editorScale != 1.0 && !options.editorSnapshot, "--scale",
         "applies to --editor-snapshot only");
  if (options.editorSnapshot) {
    Forbid(input || options.output || impulse || list || demo || options.sidechain ||
               options.stateOut || options.automation || options.plot || rateGiven,
           "--editor-snapshot", "takes only --scale, --plugin, --state-in and --set");
    options.mode = Mode::EditorSnapshot;
    return;
  }
  if (demo) {
    Forbid(input || options.output || impulse || list || options.sidechain || options.stateIn ||
               options.stateOut || options.automation || options.plot ||
               !options.assignments.empty() || options.format.container || options.format.bits ||
               options.host.tailSeconds || rateGiven,
           "--demo", "takes only --plugin, --block and --precision");
    options.mode = Mode::Demo;
    return;
  }
  if (list) {
    Forbid(input || options.output || impulse || options.sidechain || options.automation ||
               options.plot || options.stateOut,
           "--list-params", "takes only --plugin, --state-in and --set");
    options.mode = Mode::ListParameters;
    return;
  }
  Forbid(options.plot && !impulse, "--plot", "draws an impulse response; use it with --ir");
  if (impulse) {
    Forbid(input, "--ir", "renders an impulse of its own and takes no input file");
    Forbid(options.sidechain.has_value(), "--ir", "takes no side-chain");
    options.mode = Mode::ImpulseResponse;
    return;
  }
  Forbid(rateGiven, "--rate", "applies to --ir only; a file render takes the input's rate");
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

}  // namespace

Options ParseOptions(int argc, char** argv) {
  Options options;
  options.host.showProgress = true;
  bool impulse = false;
  bool list = false;
  bool demo = false;
  bool rateGiven = false;
  opterr = 0;
  optind = 1;
  int code = 0;
  while ((code = getopt_long(argc, argv, ":o:h", kOptions, nullptr)) != -1) {
    const char* argument = optarg;
    switch (code) {
      case 'o':
        options.output = argument;
        break;
      case kFormat:
        options.format.container = argument;
        break;
      case kBits:
        options.format.bits = argument;
        break;
      case kSidechain:
        options.sidechain = argument;
        break;
      case kSet:
        options.assignments.emplace_back(argument);
        break;
      case kListParams:
        list = true;
        break;
      case kStateIn:
        options.stateIn = argument;
        break;
      case kStateOut:
        options.stateOut = argument;
        break;
      case kTail:
        options.host.tailSeconds = Number("--tail", argument, 0.0, kLongestTailSeconds);
        break;
      case kBlock:
        options.host.blockSize = Whole("--block", argument, 1, kLargestBlock);
        break;
      case kPrecision: {
        const uint32_t bits = Whole("--precision", argument, 32, 64);
        if (bits != 32 && bits != 64) throw UsageError("--precision: give 32 or 64");
        options.host.sampleSize = bits == 32 ? SampleSize::Float32 : SampleSize::Float64;
        break;
      }
      case kAutomation:
        options.automation = argument;
        break;
      case kIr:
        impulse = true;
        break;
      case kRate:
        options.impulseSampleRate = Whole("--rate", argument, 8000, 384000);
        rateGiven = true;
        break;
      case kPlot:
        options.plot = argument;
        break;
      case kPlugin:
        options.plugin = argument;
        break;
      case kDemo:
        options.demoFolder = argument;
        demo = true;
        break;
      case kEditorSnapshot:
        options.editorSnapshot = argument;
        break;
      case kScale:
        options.editorScale = Number("--scale", argument, 0.5, 4.0);
        break;
      case 'h':
        options.mode = Mode::Help;
        return options;
      case ':':
        throw UsageError(std::string(argv[optind - 1]) + " needs a value");
      default:
        throw UsageError("unknown option " + std::string(argv[optind - 1]) +
                         "; see halvern-render --help");
    }
  }
  for (int i = optind; i < argc; ++i) {
    if (!options.input.empty()) {
      throw UsageError("more than one input file (\"" + options.input.string() + "\" and \"" +
                       argv[i] + "\")");
    }
    options.input = argv[i];
  }
  SettleMode(options, impulse, list, demo, rateGiven);
  return options;
}

std::string HelpText() {
  return R"(Usage: halvern-render IN -o OUT [options]
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
  --block N             frames per process call, 1 to 65536 (default 512)
  --precision 32|64     host buffer samples (default 64); the plug-in computes in 64 bit
  --plugin PATH         the Halvern.clap to load; default: the one built next to this
                        tool, else ~/.clap/Halvern.clap

Impulse response
  --ir                  render a unit impulse through the mono input and print its RT60
                        (T30 doubled: the energy decay's -5 to -35 dB slope)
  --rate HZ             sample rate of the impulse (default 48000)
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
goes to standard output. Exit status: 0 on success, 1 when rendering fails (the message
says why), 2 for a command line that cannot be run.
)";
}

}  // namespace render
