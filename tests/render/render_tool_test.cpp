// halvern-render run as a user runs it: small generated files in, exit status,
// messages and the files it leaves behind checked afterwards.
#include <gtest/gtest.h>
#include <signal.h>
#include <sndfile.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tools/render/audio_file.h"

namespace {

namespace fs = std::filesystem;

using Channels = std::vector<std::vector<double>>;

constexpr int kRate = 48000;

struct Audio {
  SF_INFO info{};
  Channels channels;

  std::size_t Frames() const { return channels.empty() ? 0 : channels[0].size(); }
};

struct ToolRun {
  int status = -1;
  std::string out;
  std::string err;
};

std::string Slurp(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

// A decaying noise burst, different on each channel, then silence.
Channels Burst(int channels, std::size_t frames = 2400, double level = 0.5) {
  Channels out(static_cast<std::size_t>(channels), std::vector<double>(frames));
  uint32_t state = 2024;
  for (std::size_t i = 0; i < frames; ++i) {
    for (auto& channel : out) {
      state = state * 1664525u + 1013904223u;
      const double noise = static_cast<double>(state >> 8) / 8388608.0 - 1.0;
      channel[i] = level * noise * std::exp(-static_cast<double>(i) / 400.0);
    }
  }
  return out;
}

void WriteAudio(const fs::path& path, const Channels& channels,
                int format = SF_FORMAT_WAV | SF_FORMAT_FLOAT, int rate = kRate) {
  SF_INFO info{};
  info.samplerate = rate;
  info.channels = static_cast<int>(channels.size());
  info.format = format;
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  ASSERT_NE(file, nullptr) << sf_strerror(nullptr);
  std::vector<double> interleaved;
  for (std::size_t i = 0; i < channels[0].size(); ++i) {
    for (const auto& channel : channels)
      interleaved.push_back(channel[i]);
  }
  sf_writef_double(file, interleaved.data(), static_cast<sf_count_t>(channels[0].size()));
  sf_close(file);
}

// Integer samples given in steps, written without libsndfile's scaling.
void WriteSteps(const fs::path& path, const std::vector<std::vector<double>>& steps, int format) {
  SF_INFO info{};
  info.samplerate = kRate;
  info.channels = static_cast<int>(steps.size());
  info.format = format;
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  ASSERT_NE(file, nullptr) << sf_strerror(nullptr);
  sf_command(file, SFC_SET_NORM_DOUBLE, nullptr, SF_FALSE);
  std::vector<double> interleaved;
  for (std::size_t i = 0; i < steps[0].size(); ++i) {
    for (const auto& channel : steps)
      interleaved.push_back(channel[i]);
  }
  sf_writef_double(file, interleaved.data(), static_cast<sf_count_t>(steps[0].size()));
  sf_close(file);
}

Audio ReadAudio(const fs::path& path) {
  Audio audio;
  SNDFILE* file = sf_open(path.c_str(), SFM_READ, &audio.info);
  if (!file) {
    ADD_FAILURE() << "cannot read " << path << ": " << sf_strerror(nullptr);
    return audio;
  }
  std::vector<double> interleaved(
      static_cast<std::size_t>(audio.info.frames * audio.info.channels));
  sf_readf_double(file, interleaved.data(), audio.info.frames);
  sf_close(file);
  audio.channels.assign(static_cast<std::size_t>(audio.info.channels),
                        std::vector<double>(static_cast<std::size_t>(audio.info.frames)));
  for (std::size_t i = 0; i < interleaved.size(); ++i) {
    audio.channels[i % audio.channels.size()][i / audio.channels.size()] = interleaved[i];
  }
  return audio;
}

double LargestDifference(const Audio& a, const Audio& b) {
  double largest = a.Frames() == b.Frames() ? 0.0 : INFINITY;
  for (std::size_t i = 0; i < std::min(a.Frames(), b.Frames()); ++i) {
    for (std::size_t c = 0; c < a.channels.size(); ++c) {
      largest = std::max(largest, std::fabs(a.channels[c][i] - b.channels[c][i]));
    }
  }
  return largest;
}

// The first frame at which two renders differ, or -1.
long FirstDifference(const Audio& a, const Audio& b) {
  const std::size_t frames = std::min(a.Frames(), b.Frames());
  for (std::size_t i = 0; i < frames; ++i) {
    for (std::size_t c = 0; c < a.channels.size(); ++c) {
      if (a.channels[c][i] != b.channels[c][i]) return static_cast<long>(i);
    }
  }
  return a.Frames() == b.Frames() ? -1 : static_cast<long>(frames);
}

double Rt60From(const std::string& summary) {
  const std::size_t at = summary.find("RT60 ");
  return at == std::string::npos ? -1.0 : std::atof(summary.c_str() + at + 5);
}

class RenderTool : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "halvern-render-test-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
  }
  void TearDown() override { fs::remove_all(dir_); }

  fs::path Path(const std::string& name) const { return dir_ / name; }

  // Runs the tool with `args`, in which {} stands for this test's folder.
  ToolRun Run(std::string args) const {
    for (std::size_t at; (at = args.find("{}")) != std::string::npos;) {
      args.replace(at, 2, dir_.string());
    }
    const std::string command = std::string("'") + HALVERN_RENDER_TOOL + "' " + args + " >'" +
                                Path("stdout.txt").string() + "' 2>'" +
                                Path("stderr.txt").string() + "'";
    const int status = std::system(command.c_str());
    ToolRun run;
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = Slurp(Path("stdout.txt"));
    run.err = Slurp(Path("stderr.txt"));
    fs::remove(Path("stdout.txt"));
    fs::remove(Path("stderr.txt"));
    return run;
  }

  ToolRun RunOk(const std::string& args) const {
    ToolRun run = Run(args);
    EXPECT_EQ(run.status, 0) << args << "\n" << run.err;
    return run;
  }

  std::vector<std::string> Files() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_)) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  fs::path dir_;
};

TEST_F(RenderTool, BlockSizeAndHostPrecisionDoNotChangeTheAudio) {
  // Every setting that changes the engine's structure: density, early reflections,
  // input blend and pre-delay. 32-bit float files keep every sample of both host
  // precisions: the engine computes in 64 bit, and 32-bit host buffers round its
  // output exactly as the file does.
  const std::string settings =
      "--set 'Density=6' --set 'ER Density=5' --set 'ER Level=0.5' --set 'Input Blend=0.3' "
      "--set 'Predelay=12' --set 'Room Size=0.6' --bits 32f";
  for (int channels : {1, 2}) {
    WriteAudio(Path("in.wav"), Burst(channels));
    RunOk("{}/in.wav -o {}/reference.wav --block 512 --precision 64 " + settings);
    const Audio reference = ReadAudio(Path("reference.wav"));
    ASSERT_EQ(reference.channels.size(), 2u);
    ASSERT_GT(reference.Frames(), 2400u);
    for (int block : {1, 37, 512, 4096}) {
      for (int precision : {32, 64}) {
        RunOk("{}/in.wav -o {}/out.wav --block " + std::to_string(block) + " --precision " +
              std::to_string(precision) + " " + settings);
        EXPECT_EQ(FirstDifference(ReadAudio(Path("out.wav")), reference), -1)
            << channels << " channels, block " << block << ", " << precision << " bit";
      }
    }
  }
}

TEST_F(RenderTool, AutomationChangesTheAudioFromItsOwnSampleWhateverTheBlockSize) {
  WriteAudio(Path("in.wav"), Burst(2, 9600, 0.3));
  std::ofstream(Path("moves.txt")) << "# a comment, then a blank line\n\n"
                                   << "0.05 Dry Level 0.2\n"
                                   << "0.05 gate det. inp. Dry Input\n"
                                   << "0.1 Room Size 0.9\n";
  RunOk("{}/in.wav -o {}/still.wav --bits 32f --tail 0.5");
  const Audio still = ReadAudio(Path("still.wav"));
  for (int block : {1, 700, 4096}) {
    RunOk("{}/in.wav -o {}/moved.wav --bits 32f --tail 0.5 --automation {}/moves.txt --block " +
          std::to_string(block));
    EXPECT_EQ(FirstDifference(ReadAudio(Path("moved.wav")), still), 2400) << "block " << block;
  }
}

TEST_F(RenderTool, DenseAutomationGivesTheSameFileAtEveryBlockSize) {
  // Events 1, 7 and 48 frames apart, several within one block and some on the same frame.
  WriteAudio(Path("in.wav"), Burst(2, 24000, 0.3));
  std::ofstream moves(Path("dense.txt"));
  const int steps[] = {1, 7, 48, 0, 1, 48, 7, 0, 48};
  long frame = 100;
  for (int i = 0; i < 120; ++i) {
    frame += steps[i % 9];
    const char* name = i % 2 ? "Wet Level" : "Room Size";
    moves << static_cast<double>(frame) / kRate << " " << name << " " << 0.1 + 0.8 * (i % 5) / 4
          << "\n";
  }
  moves << "1.0 Room Size 0.2\n";
  moves.close();
  const std::string common = "{}/in.wav --bits 32f --tail 0.5 --automation {}/dense.txt";
  RunOk(common + " -o {}/reference.wav --block 512");
  const Audio reference = ReadAudio(Path("reference.wav"));
  for (int block : {1, 64, 65536}) {
    RunOk(common + " -o {}/out.wav --block " + std::to_string(block));
    EXPECT_EQ(FirstDifference(ReadAudio(Path("out.wav")), reference), -1) << "block " << block;
  }
}

TEST_F(RenderTool, StateSavedFromOneRenderReproducesItInAnother) {
  WriteAudio(Path("in.wav"), Burst(2));
  RunOk(
      "{}/in.wav -o {}/first.wav --bits 32f --set 'Room Size=0.85' --set 'Damping=0.2' "
      "--set 'Reverse Outs=Cross-verb' --set 'Predelay=7.5' --state-out {}/setting.state");
  EXPECT_EQ(fs::file_size(Path("setting.state")), 152u);
  RunOk("{}/in.wav -o {}/second.wav --bits 32f --state-in {}/setting.state");
  RunOk("{}/in.wav -o {}/plain.wav --bits 32f");
  const Audio first = ReadAudio(Path("first.wav"));
  EXPECT_EQ(FirstDifference(ReadAudio(Path("second.wav")), first), -1);
  EXPECT_NE(FirstDifference(ReadAudio(Path("plain.wav")), first), -1);
  // --set applies on top of a loaded state.
  const ToolRun listed = RunOk("--list-params --state-in {}/setting.state --set 'Damping=0.9'");
  EXPECT_NE(listed.out.find("0.850 Factor\n"), std::string::npos) << listed.out;
  EXPECT_NE(listed.out.find("0.900 Factor\n"), std::string::npos) << listed.out;
}

TEST_F(RenderTool, TailGoesOnUntilTheOutputHasBeenSilentFor100Milliseconds) {
  // The silence threshold is what the file's encoding stores as zero, or 1e-10 for floats.
  struct Case {
    const char* bits;
    double threshold;
  };
  WriteAudio(Path("in.wav"), Burst(2));
  for (const Case& c : {Case{"32f", 1e-10}, Case{"16", 0.5 / 32768.0}}) {
    RunOk("{}/in.wav -o {}/out.wav --bits " + std::string(c.bits));
    const Audio out = ReadAudio(Path("out.wav"));
    ASSERT_GT(out.Frames(), 2400u + 4800u);
    auto loud = [&](std::size_t i) {
      return std::fabs(out.channels[0][i]) >= c.threshold ||
             std::fabs(out.channels[1][i]) >= c.threshold;
    };
    for (std::size_t i = out.Frames() - 4800; i < out.Frames(); ++i) {
      ASSERT_FALSE(loud(i)) << c.bits << ": frame " << i << " of the last 100 ms";
    }
    EXPECT_TRUE(loud(out.Frames() - 4801)) << c.bits << ": the render went on past the silence";
  }
  RunOk("{}/in.wav -o {}/fixed.wav --tail 0.5");
  EXPECT_EQ(ReadAudio(Path("fixed.wav")).Frames(), 2400u + 24000u);
}

TEST_F(RenderTool, LongPredelayIsNotMistakenForTheEndOfTheTail) {
  // With 100 ms of pre-delay the output stays silent for more than 100 ms after a
  // short input before the reverberation arrives.
  WriteAudio(Path("click.wav"), Channels{{0.5, -0.5}});
  RunOk("{}/click.wav -o {}/out.wav --bits 32f --set 'Predelay=100'");
  const Audio out = ReadAudio(Path("out.wav"));
  ASSERT_GT(out.Frames(), 24000u);
  double late = 0.0;
  for (std::size_t i = 4800; i < out.Frames(); ++i)
    late = std::max(late, std::fabs(out.channels[0][i]));
  EXPECT_GT(late, 1e-3);
}

TEST_F(RenderTool, SidechainOfOneOrTwoChannelsOpensTheGate) {
  WriteAudio(Path("in.wav"), Burst(2, 9600, 0.3));
  const std::string gate =
      "--set 'Gate Det. Inp.=Sidechain' --set 'Gate Threshold=-30' --bits 32f --tail 0.3";
  for (int channels : {1, 2}) {
    WriteAudio(Path("loud.wav"), Burst(channels, 9600, 0.9));
    WriteAudio(Path("quiet.wav"),
               Channels(static_cast<std::size_t>(channels), std::vector<double>(9600)));
    RunOk("{}/in.wav -o {}/open.wav --sidechain {}/loud.wav " + gate);
    RunOk("{}/in.wav -o {}/closed.wav --sidechain {}/quiet.wav " + gate);
    RunOk("{}/in.wav -o {}/dry.wav --set 'Wet Level=0' --bits 32f --tail 0.3");
    // A shut gate leaves a residue far below anything audible.
    const Audio dry = ReadAudio(Path("dry.wav"));
    EXPECT_LT(LargestDifference(ReadAudio(Path("closed.wav")), dry), 1e-9) << channels;
    EXPECT_GT(LargestDifference(ReadAudio(Path("open.wav")), dry), 1e-2) << channels;
  }
}

TEST_F(RenderTool, OutputFormatFollowsTheInputUnlessAskedOtherwise) {
  struct Case {
    int input;
    const char* output;
    const char* options;
    int expected;
  };
  const Case cases[] = {
      {SF_FORMAT_WAV | SF_FORMAT_PCM_16, "out.wav", "", SF_FORMAT_WAV | SF_FORMAT_PCM_16},
      {SF_FORMAT_AIFF | SF_FORMAT_PCM_24, "out.aiff", "", SF_FORMAT_AIFF | SF_FORMAT_PCM_24},
      {SF_FORMAT_FLAC | SF_FORMAT_PCM_16, "out.flac", "--bits 24",
       SF_FORMAT_FLAC | SF_FORMAT_PCM_24},
      {SF_FORMAT_WAV | SF_FORMAT_PCM_16, "out.flac", "", SF_FORMAT_FLAC | SF_FORMAT_PCM_16},
      {SF_FORMAT_WAV | SF_FORMAT_FLOAT, "out.audio", "--format flac",
       SF_FORMAT_FLAC | SF_FORMAT_PCM_24},
      {SF_FORMAT_WAV | SF_FORMAT_PCM_24, "out.ogg", "", SF_FORMAT_OGG | SF_FORMAT_VORBIS},
      {SF_FORMAT_OGG | SF_FORMAT_VORBIS, "out.wav", "", SF_FORMAT_WAV | SF_FORMAT_PCM_24},
  };
  for (const Case& c : cases) {
    WriteAudio(Path("in.src"), Burst(1), c.input);
    RunOk("{}/in.src -o {}/" + std::string(c.output) + " --tail 0.1 " + c.options);
    const Audio out = ReadAudio(Path(c.output));
    EXPECT_EQ(out.info.format, c.expected) << c.output << " " << c.options;
    EXPECT_EQ(out.info.channels, 2);
    EXPECT_EQ(out.info.samplerate, kRate);
  }
}

TEST_F(RenderTool, BadInputFailsWithItsMessageAndLeavesNoFileBehind) {
  WriteAudio(Path("in.wav"), Burst(2));
  WriteAudio(Path("mono.wav"), Burst(1));
  WriteAudio(Path("three.wav"), Burst(3));
  WriteAudio(Path("slow.wav"), Burst(1), SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100);
  std::ofstream(Path("text.wav")) << "not audio";
  std::ofstream(Path("bad.state")) << "not a state";
  std::ofstream(Path("moves.txt")) << "0.1 Room Size 0.5\nsoon Room Size 0.5\n";
  std::ofstream(Path("moves2.txt")) << "0.1 Room Sise 0.5\n";
  std::ofstream(Path("bom.txt")) << "\xEF\xBB\xBF"
                                 << "0.1 Room Size 0.5\n";
  fs::copy_file(Path("in.wav"), Path("cut-header.wav"));
  fs::resize_file(Path("cut-header.wav"), 30);
  std::ofstream(Path("empty.wav")) << "RIFF";
  fs::copy_file(HALVERN_BUILT_MODULE, Path("cut.clap"));
  fs::resize_file(Path("cut.clap"), 20000);
  const std::vector<std::string> inputs = Files();
  struct Case {
    std::string args;
    std::string message;
    int status;
  };
  const Case cases[] = {
      {"{}/missing.wav", "the input file \"{}/missing.wav\" does not exist", 1},
      {"{}/text.wav", "cannot read the input file \"{}/text.wav\"", 1},
      {"{}/three.wav", "the input has 3 channels; Halvern takes a mono or stereo input", 1},
      {"{}/in.wav --sidechain {}/three.wav", "the side-chain has 3 channels", 1},
      {"{}/in.wav --sidechain {}/slow.wav", "they must match", 1},
      {"{}/in.wav --set 'Room Sise=0.5'",
       "unknown parameter \"Room Sise\"; the parameters are "
       "Predelay, Room Size,",
       1},
      {"{}/in.wav --set 'Predelay=soon'",
       "Predelay: \"soon\" is not a value; give a number "
       "from 0.00 ms to 100.00 ms",
       1},
      {"{}/in.wav --set 'Predelay=150'", "Predelay: \"150\" is out of range", 1},
      {"{}/in.wav --set 'Gate Det. Inp.=Side'", "give Dry Input, Wet Output or Sidechain", 1},
      {"{}/in.wav --automation {}/moves.txt", "{}/moves.txt:2: a line starts with the time", 1},
      {"{}/in.wav --automation {}/moves2.txt", "{}/moves2.txt:1: no parameter name", 1},
      {"{}/in.wav --state-in {}/bad.state", "the plug-in refused the state", 1},
      {"{}/in.wav --plugin {}/none.clap", "the plug-in module \"{}/none.clap\" does not exist", 1},
      {"{}/in.wav --plugin {}/in.wav", "cannot load the plug-in module \"{}/in.wav\"", 1},
      {"{}/in.wav --bits 32f --format flac", "--bits 32f: FLAC files cannot hold that", 2},
      {"{}/in.wav --block 0", "--block 0: give a whole number from 1 to 65536", 2},
      {"{}/in.wav --tail 61", "--tail 61: give a number from 0 to 60", 2},
      {"{}/in.wav --set 'Predelay=inf'", "Predelay: \"inf\" is not a value", 1},
      {"{}/in.wav --set 'Predelay=1e400'", "Predelay: \"1e400\" is not a value", 1},
      {"{}/in.wav --set 'Room Size=0x10'", "Room Size: \"0x10\" is out of range", 1},
      {"{}/in.wav --automation {}", "the automation file \"{}\" is not a file", 1},
      {"{}/in.wav --automation {}/bom.txt", "starts with a UTF-8 byte-order mark", 1},
      {"{}/in.wav --state-in {}", "the state file \"{}\" is not a file", 1},
      {"{}/cut-header.wav", "cannot read the input file \"{}/cut-header.wav\": Error in WAV", 1},
      {"{}/empty.wav", "it is not a WAV, FLAC, AIFF or OGG file, or its header is damaged", 1},
      {"{}/in.wav --plugin {}/cut.clap",
       "cannot load the plug-in module \"{}/cut.clap\": it is "
       "damaged or cut short",
       1},
      {"{}/slow.wav --sidechain {}/in.wav",
       "the side-chain runs at 48000 Hz and the input at "
       "44100 Hz",
       1},
      {"{}/in.wav --tail-threshold 5", "--tail-threshold 5: give a number from -300 to 0", 2},
  };
  for (Case c : cases) {
    for (std::string* text : {&c.args, &c.message}) {
      for (std::size_t at; (at = text->find("{}")) != std::string::npos;) {
        text->replace(at, 2, dir_.string());
      }
    }
    const ToolRun run = Run(c.args + " -o {}/out.wav --state-out {}/out.state");
    EXPECT_EQ(run.status, c.status) << c.args;
    EXPECT_NE(run.err.find(c.message), std::string::npos) << c.args << "\n" << run.err;
    EXPECT_EQ(Files(), inputs) << c.args;
  }
}

TEST_F(RenderTool, OutputsThatCannotBeWrittenStopTheRunBeforeAnyFileIsWritten) {
  WriteAudio(Path("in.wav"), Burst(2));
  fs::create_hard_link(Path("in.wav"), Path("link.wav"));
  fs::create_directory(Path("folder"));
  WriteAudio(Path("locked.wav"), Burst(2));
  fs::permissions(Path("locked.wav"), fs::perms::owner_read);
  const std::vector<std::string> before = Files();
  const std::string in = Slurp(Path("in.wav"));
  struct Case {
    std::string args;
    std::string message;
    int status;
  };
  const Case cases[] = {
      {"{}/in.wav -o {}/./in.wav", "the output \"{}/./in.wav\" is the input", 2},
      {"{}/in.wav -o {}/link.wav", "is the input \"{}/in.wav\"", 2},
      {"{}/in.wav -o {}/out.wav --state-out {}/in.wav", "writing it would destroy the input", 2},
      {"--ir -o {}/ir.wav --plot {}/in.wav --state-in {}/in.wav", "is the input", 2},
      {"{}/in.wav -o {}/nowhere/out.wav", "cannot create \"{}/nowhere/out.wav\"", 1},
      {"--ir -o {}/ok.wav --plot {}/nowhere/p.png", "cannot create \"{}/nowhere/p.png\"", 1},
      {"{}/in.wav -o {}/x.wav --state-out {}/nowhere/s.bin", "cannot create", 1},
      {"{}/in.wav -o {}/folder", "the output \"{}/folder\" is a folder", 1},
      {"{}/in.wav -o {}/out.wav --state-out {}/folder", "\"{}/folder\" is a folder", 1},
      {"{}/in.wav -o {}/locked.wav", "\"{}/locked.wav\" is write-protected; give --force", 1},
      {"{}/in.wav -o {}/x.mp3", "\"{}/x.mp3\": .mp3 names no container", 2},
  };
  for (Case c : cases) {
    for (std::string* text : {&c.args, &c.message}) {
      for (std::size_t at; (at = text->find("{}")) != std::string::npos;) {
        text->replace(at, 2, dir_.string());
      }
    }
    const ToolRun run = Run(c.args);
    EXPECT_EQ(run.status, c.status) << c.args;
    EXPECT_NE(run.err.find(c.message), std::string::npos) << c.args << "\n" << run.err;
    EXPECT_EQ(Files(), before) << c.args;
  }
  EXPECT_EQ(Slurp(Path("in.wav")), in);
  RunOk("{}/in.wav -o {}/locked.wav --force");
  RunOk("{}/in.wav -o {}/x.mp3 --format flac");
  EXPECT_EQ(ReadAudio(Path("x.mp3")).info.format & SF_FORMAT_TYPEMASK, SF_FORMAT_FLAC);
}

TEST_F(RenderTool, CommandLinesThatCannotRunExitWith2AndSayWhy) {
  const struct {
    const char* args;
    const char* message;
  } cases[] = {
      {"--bogus", "unknown option --bogus; see halvern-render --help"},
      {"in.wav -o", "-o needs a value"},
      {"in.wav --output", "--output needs a value"},
      {"--list-params --set", "--set needs a value"},
      {"a.wav b.wav -o x.wav", "more than one input file (\"a.wav\" and \"b.wav\")"},
      {"in.wav -o x.wav --plot p.png", "--plot draws an impulse response; use it with --ir"},
      {"in.wav -o x.wav --rate 44100", "--rate applies to --ir only"},
      {"--ir -O out", "--ir writes one file"},
      {"in.wav", "no output file: give one with -o OUT"},
      {"--precision 48", "--precision: give 32 or 64"},
  };
  for (const auto& c : cases) {
    const ToolRun run = Run(c.args);
    EXPECT_EQ(run.status, 2) << c.args;
    EXPECT_EQ(run.err.rfind(std::string("halvern-render: ") + c.message, 0), 0u) << c.args << "\n"
                                                                                 << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
  }
  const ToolRun help = RunOk("--help");
  EXPECT_EQ(help.out.rfind("Usage: halvern-render IN -o OUT", 0), 0u) << help.out;
}

TEST_F(RenderTool, InterruptedRenderLeavesNoFileBehind) {
  WriteAudio(Path("long.wav"), Burst(2, 20 * kRate));
  const std::string out = Path("out.wav").string();
  for (int signal : {SIGTERM, SIGPIPE}) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      if (!freopen("/dev/null", "w", stderr)) _exit(126);
      execl(HALVERN_RENDER_TOOL, HALVERN_RENDER_TOOL, Path("long.wav").c_str(), "-o", out.c_str(),
            "--block", "1", static_cast<char*>(nullptr));
      _exit(127);
    }
    auto writing = [&] { return Files().size() > 1; };
    for (int i = 0; i < 500 && !writing(); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_TRUE(writing()) << "the render never started its output";
    kill(child, signal);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << signal;
    EXPECT_EQ(Files(), std::vector<std::string>{"long.wav"}) << signal;
  }
}

TEST_F(RenderTool, IntegerFilesClipBeyondFullScaleAndFloatFilesKeepIt) {
  // Twice the dry gain of the default drives the output to about 1.8.
  WriteAudio(Path("loud.wav"),
             Channels{std::vector<double>(4800, 0.9), std::vector<double>(4800, -0.9)});
  for (const char* bits : {"16", "32f"}) {
    const ToolRun run =
        RunOk("{}/loud.wav -o {}/out.wav --tail 0 --set 'Dry Level=1' --bits " + std::string(bits));
    const Audio out = ReadAudio(Path("out.wav"));
    const bool integer = std::string(bits) == "16";
    for (std::size_t i = 0; i < out.Frames(); ++i) {
      ASSERT_GT(out.channels[0][i], 0.9) << bits << " frame " << i;
      ASSERT_LT(out.channels[1][i], -0.9) << bits << " frame " << i;
      if (integer) {
        ASSERT_LE(std::fabs(out.channels[0][i]), 1.0);
      }
    }
    EXPECT_EQ(*std::max_element(out.channels[0].begin(), out.channels[0].end()) > 1.5, !integer);
    EXPECT_EQ(run.err.find("were clipped at full scale") != std::string::npos, integer) << run.err;
  }
}

TEST_F(RenderTool, DryRenderOfAnIntegerFileGivesItsSamplesBack) {
  // Full scale both ways and the steps next to it and to zero.
  struct Case {
    int encoding;
    double fullScale;
  };
  for (const Case c : {Case{SF_FORMAT_PCM_16, 32768}, Case{SF_FORMAT_PCM_24, 8388608}}) {
    const double f = c.fullScale;
    WriteSteps(Path("in.wav"),
               {{-f, f - 1, f / 2, -f / 2, 1, -1}, {f - 2, -f + 1, 3, 0, -2, f - 1}},
               SF_FORMAT_WAV | c.encoding);
    RunOk("{}/in.wav -o {}/out.wav --tail 0 --set 'Wet Level=0'");
    const Audio out = ReadAudio(Path("out.wav"));
    EXPECT_EQ(out.info.format, SF_FORMAT_WAV | c.encoding);
    EXPECT_EQ(FirstDifference(out, ReadAudio(Path("in.wav"))), -1) << c.fullScale;
    EXPECT_EQ(out.channels[0][0], -1.0) << c.fullScale;
    EXPECT_EQ(out.channels[0][1], (f - 1) / f) << c.fullScale;
  }
}

TEST_F(RenderTool, ListsEveryParameterWithRangeDefaultAndCurrentValue) {
  const ToolRun run = RunOk(
      "--list-params --set 'room size=0.8' --set 'Gate Det. Inp.=sidechain' "
      "--set 'Predelay=20 ms' --set 'Reverse Outs=1'");
  const std::string expected[] = {
      " 0  Predelay ",
      "0.00 ms to 100.00 ms",
      "20.00 ms\n",
      " 1  Room Size ",
      "0.500 Factor  0.800 Factor\n",
      "14  Reverse Outs    Normal | Cross-verb ",
      "Normal        Cross-verb\n",
      "16  Gate Det. Inp.  Dry Input | Wet Output | Sidechain  Wet Output    Sidechain\n",
      "18  HShelf Freq     1000 Hz to 12000 Hz ",
  };
  for (const std::string& text : expected) {
    EXPECT_NE(run.out.find(text), std::string::npos) << text << "\n" << run.out;
  }
  EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 20);
}

TEST_F(RenderTool, ImpulseResponseReportsItsRt60AndDrawsIt) {
  const ToolRun small = RunOk("--ir --set 'Room Size=0.3' -o {}/small.wav --plot {}/small.png");
  const ToolRun large = RunOk("--ir --set 'Room Size=0.9' --rate 44100");
  EXPECT_EQ(small.out.rfind(Path("small.wav").string() + ": ", 0), 0u) << small.out;
  EXPECT_NE(large.out.find("44100 Hz"), std::string::npos) << large.out;
  EXPECT_GT(Rt60From(small.out), 0.1) << small.out;
  EXPECT_GT(Rt60From(large.out), 2.0 * Rt60From(small.out)) << large.out;

  const Audio response = ReadAudio(Path("small.wav"));
  EXPECT_EQ(response.info.format, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
  EXPECT_EQ(response.channels[0][0], 1.0) << "the dry path at its default passes the impulse";
  const std::string png = Slurp(Path("small.png"));
  ASSERT_GT(png.size(), 10000u);
  EXPECT_EQ(png.substr(0, 8), "\x89PNG\r\n\x1a\n");
}

TEST(RenderFormats, EveryContainerAndEncodingHasItsName) {
  const struct {
    int container;
    int encoding;
    const char* name;
  } cases[] = {
      {SF_FORMAT_WAV, SF_FORMAT_PCM_U8, "WAV, 8-bit"},
      {SF_FORMAT_AIFF, SF_FORMAT_PCM_S8, "AIFF, 8-bit"},
      {SF_FORMAT_WAV, SF_FORMAT_ULAW, "WAV, u-law"},
      {SF_FORMAT_WAV, SF_FORMAT_ALAW, "WAV, A-law"},
      {SF_FORMAT_WAV, SF_FORMAT_DOUBLE, "WAV, 64-bit float"},
      {SF_FORMAT_WAVEX, SF_FORMAT_PCM_24, "WAVEX, 24-bit"},
      {SF_FORMAT_FLAC, SF_FORMAT_PCM_16, "FLAC, 16-bit"},
      {SF_FORMAT_OGG, SF_FORMAT_VORBIS, "OGG, Vorbis"},
      {SF_FORMAT_OGG, SF_FORMAT_OPUS, "OGG, Opus"},
      {SF_FORMAT_WAV, SF_FORMAT_FLOAT, "WAV, 32-bit float"},
      {SF_FORMAT_AIFF, SF_FORMAT_PCM_32, "AIFF, 32-bit"},
      {SF_FORMAT_W64, SF_FORMAT_IMA_ADPCM, "W64, IMA ADPCM"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(render::DescribeFormat({c.container, c.encoding}), c.name);
  }
}

TEST_F(RenderTool, SummaryNamesTheEncodingWritten) {
  const struct {
    int input;
    const char* output;
    const char* name;
  } cases[] = {
      {SF_FORMAT_WAV | SF_FORMAT_PCM_U8, "out.wav", "WAV, 8-bit"},
      {SF_FORMAT_WAV | SF_FORMAT_ULAW, "out.wav", "WAV, u-law"},
      {SF_FORMAT_WAV | SF_FORMAT_DOUBLE, "out.wav", "WAV, 64-bit float"},
      {SF_FORMAT_OGG | SF_FORMAT_VORBIS, "out.ogg", "OGG, Vorbis"},
  };
  for (const auto& c : cases) {
    WriteAudio(Path("in.src"), Burst(1), c.input);
    const ToolRun run = RunOk("{}/in.src -o {}/" + std::string(c.output) + " --tail 0.1");
    EXPECT_NE(run.out.find(std::string(", ") + c.name + ", peak"), std::string::npos) << run.out;
  }
}

TEST_F(RenderTool, ValuesAreReadAsThePluginReadsThem) {
  const struct {
    const char* set;
    const char* listed;
  } cases[] = {
      {"Predelay=0x10", "16.00 ms\n"},      {"Predelay=1e-400", "0.00 ms\n"},
      {"Predelay=+.5 ms", "0.50 ms\n"},     {"HShelf Freq=6k", "6000 Hz\n"},
      {"HShelf Freq=6.5 kHz", "6500 Hz\n"}, {"HShelf Freq=0x1p11", "2048 Hz\n"},
  };
  for (const auto& c : cases) {
    const ToolRun run = RunOk("--list-params --set '" + std::string(c.set) + "'");
    EXPECT_NE(run.out.find(c.listed), std::string::npos) << c.set << "\n" << run.out;
  }
  EXPECT_EQ(Run("--list-params --set 'Predelay=6k'").status, 1) << "k belongs to Hz only";
  // An automation line reads its value the same way.
  WriteAudio(Path("in.wav"), Burst(2));
  std::ofstream(Path("hex.txt")) << "0 Predelay 0x10\n";
  std::ofstream(Path("decimal.txt")) << "0 Predelay 16\n";
  RunOk("{}/in.wav -o {}/hex.wav --bits 32f --tail 0.3 --automation {}/hex.txt");
  RunOk("{}/in.wav -o {}/decimal.wav --bits 32f --tail 0.3 --automation {}/decimal.txt");
  EXPECT_EQ(FirstDifference(ReadAudio(Path("hex.wav")), ReadAudio(Path("decimal.wav"))), -1);
}

TEST_F(RenderTool, WarnsAboutWhatTheRenderCouldNotDoAsAsked) {
  WriteAudio(Path("in.wav"), Burst(2));
  Channels broken = Burst(2);
  broken[0][10] = NAN;
  broken[1][20] = INFINITY;
  broken[1][21] = -INFINITY;
  WriteAudio(Path("broken.wav"), broken);
  WriteAudio(Path("long.wav"), Burst(2, 4 * kRate));
  fs::resize_file(Path("long.wav"), fs::file_size(Path("long.wav")) / 2);
  std::ofstream(Path("late.txt")) << "0.01 Room Size 0.6\n30 Room Size 0.2\n31 Damping 0.1\n";
  struct Case {
    std::string args;
    std::string warning;
  };
  const Case cases[] = {
      {"{}/in.wav --set 'Gate Det. Inp.=Sidechain'",
       "\"Gate Det. Inp.\" is Sidechain but no --sidechain is given"},
      {"{}/in.wav --sidechain {}/in.wav", "a --sidechain is given but \"Gate Det. Inp.\" is not"},
      {"{}/broken.wav", "3 input samples were not numbers or infinite"},
      {"{}/long.wav",
       "the input file \"{}/long.wav\" declares 4.00 s of audio but holds only 2.00 s"},
      {"{}/in.wav --automation {}/late.txt", "2 automation events lie beyond the end"},
      {"{}/in.wav --set 'Room Size=1' --set 'Damping=0' --tail-threshold -300",
       "had not fallen below -300 dBFS 60 s after the input ended; its tail is cut there, at -"},
  };
  for (Case c : cases) {
    for (std::string* text : {&c.args, &c.warning}) {
      for (std::size_t at; (at = text->find("{}")) != std::string::npos;) {
        text->replace(at, 2, dir_.string());
      }
    }
    const ToolRun run = RunOk(c.args + " -o {}/out.wav --bits 32f");
    EXPECT_NE(run.err.find("warning: "), std::string::npos) << c.args << "\n" << run.err;
    EXPECT_NE(run.err.find(c.warning), std::string::npos) << c.args << "\n" << run.err;
  }
  EXPECT_EQ(RunOk("{}/in.wav -o {}/out.wav").err, "") << "a plain render warns of nothing";
}

TEST_F(RenderTool, RatesAreWhatThePluginRunsAtAndCappedDelaysAreReported) {
  const ToolRun high = RunOk("--ir --rate 768000 --set 'Predelay=100' --tail 0.2");
  EXPECT_NE(high.out.find("768000 Hz"), std::string::npos) << high.out;
  EXPECT_NE(high.err.find("at 768000 Hz the plug-in delays by at most 85.33 ms; a Predelay of "
                          "100.00 ms is cut to that"),
            std::string::npos)
      << high.err;
  const ToolRun room = RunOk(
      "--ir --rate 768000 --set 'Room Size=0.9' --set 'ER Density=2' --set 'ER Level=0.5' "
      "--tail 0.2");
  EXPECT_NE(room.err.find("an early reflection of 90.00 ms is cut"), std::string::npos) << room.err;
  EXPECT_EQ(RunOk("--ir --rate 400000 --set 'Predelay=100' --set 'Room Size=1' --set "
                  "'ER Density=2' --set 'ER Level=0.5' --tail 0.2")
                .err,
            "");
  EXPECT_EQ(Run("--ir --rate 0").status, 2);
}

TEST_F(RenderTool, BatchRendersEveryInputAndCountsTheFailures) {
  fs::create_directory(Path("in"));
  WriteAudio(Path("in/a.wav"), Burst(1));
  WriteAudio(Path("in/b.flac"), Burst(2), SF_FORMAT_FLAC | SF_FORMAT_PCM_16);
  WriteAudio(Path("in/c.wav"), Burst(3));
  const ToolRun run =
      Run("{}/in/a.wav {}/in/b.flac {}/in/missing.wav {}/in/c.wav -O {}/out "
          "--bits 24 --tail 0.1");
  EXPECT_EQ(run.status, 2) << run.err;
  EXPECT_EQ(ReadAudio(Path("out/a.wav")).info.format, SF_FORMAT_WAV | SF_FORMAT_PCM_24);
  EXPECT_EQ(ReadAudio(Path("out/b.flac")).info.format, SF_FORMAT_FLAC | SF_FORMAT_PCM_24);
  EXPECT_FALSE(fs::exists(Path("out/c.wav")));
  EXPECT_NE(run.out.find(Path("in/b.flac").string()), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("failed: the input has 3 channels"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("does not exist"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("\n2 of 4 rendered, 2 failed\n"), std::string::npos) << run.out;
  EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 6) << run.out;
  // Inputs that would go to one output, or an output that is an input, are refused.
  EXPECT_EQ(Run("{}/in/a.wav {}/in/a.wav -O {}/out").status, 2);
  const ToolRun same = Run("{}/out/a.wav -O {}/out");
  EXPECT_EQ(same.status, 1);
  EXPECT_NE(same.out.find("writing it would destroy the input"), std::string::npos) << same.out;
}

TEST_F(RenderTool, DemoWritesEverySettingWithItsPlotAndSummary) {
  const ToolRun run = RunOk("--demo {}/demo");
  for (const char* name : {"defaults", "small-room", "gated-hall"}) {
    EXPECT_GT(ReadAudio(Path("demo") / (std::string(name) + ".wav")).Frames(), 2u * kRate) << name;
    EXPECT_TRUE(fs::exists(Path("demo") / (std::string(name) + "-ir.png"))) << name;
    EXPECT_NE(run.out.find(std::string(name) + ".wav: "), std::string::npos) << run.out;
  }
  EXPECT_EQ(ReadAudio(Path("demo/dry.wav")).channels.size(), 1u);
  EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 3) << run.out;
  EXPECT_EQ(run.out.find("not measurable"), std::string::npos) << run.out;
}

}  // namespace
