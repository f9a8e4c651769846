#include "framework/processor.h"

#include <gtest/gtest.h>

#include <string>
#include <type_traits>
#include <vector>

#include "tests/framework/allocation_counter.h"

namespace {

using fw::BusDirection;

constexpr const char* kProductIO = "1-1 1-2 2-2 1.1-1 1.1-2 2.1-2 1.2-1 1.2-2 2.2-2";

fw::PlugConfig ConfigWith(const char* io) {
  fw::PlugConfig config;
  config.channelIOString = io;
  return config;
}

// "in 2,-64 out 2 totals -62/2" for one configuration.
std::string Describe(const fw::ChannelIOConfig& config) {
  std::string text = "in";
  const char* separator = " ";
  for (const fw::BusInfo& bus : config.inputs) {
    text += separator + std::to_string(bus.channelCount);
    separator = ",";
  }
  text += " out";
  separator = " ";
  for (const fw::BusInfo& bus : config.outputs) {
    text += separator + std::to_string(bus.channelCount);
    separator = ",";
  }
  return text + " totals " + std::to_string(config.ChannelTotal(BusDirection::Input)) + "/" +
         std::to_string(config.ChannelTotal(BusDirection::Output));
}

struct IOCase {
  const char* text;
  std::vector<std::string> configs;
  fw::ChannelIOMaxima maxima;
};

TEST(ReadIOConfigString, ParsesConfigurationsBusesAndMaxima) {
  const IOCase cases[] = {
      {"1-1 1-2", {"in 1 out 1 totals 1/1", "in 1 out 2 totals 1/2"}, {2, 1, 2, 1, 1}},
      {"0-2", {"in out 2 totals 0/2"}, {1, 0, 2, 0, 1}},
      {"2.*-2", {"in 2,-64 out 2 totals -62/2"}, {1, 0, 2, 2, 1}},
      {"  1--2   2...1-2  ", {"in 1 out 2 totals 1/2", "in 2,1 out 2 totals 3/2"}, {2, 3, 2, 2, 1}},
      {"--1-2", {"in 1 out 2 totals 1/2"}, {1, 1, 2, 1, 1}},
      {"1-2-3", {"in 1 out 2 totals 1/2"}, {1, 1, 2, 1, 1}},
      {"2", {"in 2 out totals 2/0"}, {1, 2, 0, 1, 0}},
      {"x-2", {"in out 2 totals 0/2"}, {1, 0, 2, 0, 1}},
      {"", {}, {0, 0, 0, 0, 0}},
      {kProductIO,
       {"in 1 out 1 totals 1/1", "in 1 out 2 totals 1/2", "in 2 out 2 totals 2/2",
        "in 1,1 out 1 totals 2/1", "in 1,1 out 2 totals 2/2", "in 2,1 out 2 totals 3/2",
        "in 1,2 out 1 totals 3/1", "in 1,2 out 2 totals 3/2", "in 2,2 out 2 totals 4/2"},
       {9, 4, 2, 2, 1}},
  };
  for (const IOCase& c : cases) {
    std::vector<fw::ChannelIOConfig> configs;
    const fw::ChannelIOMaxima maxima = fw::ReadIOConfigString(c.text, configs);
    std::vector<std::string> described;
    for (const fw::ChannelIOConfig& config : configs)
      described.push_back(Describe(config));
    EXPECT_EQ(described, c.configs) << '"' << c.text << '"';
    EXPECT_EQ(maxima.configCount, c.maxima.configCount) << c.text;
    EXPECT_EQ(maxima.inputChannels, c.maxima.inputChannels) << c.text;
    EXPECT_EQ(maxima.outputChannels, c.maxima.outputChannels) << c.text;
    EXPECT_EQ(maxima.inputBuses, c.maxima.inputBuses) << c.text;
    EXPECT_EQ(maxima.outputBuses, c.maxima.outputBuses) << c.text;
  }
}

TEST(Processor, HasOneChannelRecordPerChannelOfTheLargestTotals) {
  const struct {
    const char* io;
    int inputs, outputs;
  } cases[] = {{"1-1 1-2", 1, 2}, {kProductIO, 4, 2}, {"2.*-2", 0, 2}, {"", 0, 0}};
  for (const auto& c : cases) {
    fw::Processor processor(ConfigWith(c.io));
    EXPECT_EQ(processor.ChannelCount(BusDirection::Input), c.inputs) << c.io;
    EXPECT_EQ(processor.ChannelCount(BusDirection::Output), c.outputs) << c.io;
  }
}

TEST(Processor, BusNames) {
  const fw::Processor processor(ConfigWith("1-1"));
  const struct {
    BusDirection direction;
    int index, count;
    const char* name;
  } cases[] = {
      {BusDirection::Input, 0, 1, "Input"},     {BusDirection::Input, 0, 2, "Main"},
      {BusDirection::Input, 1, 2, "Aux"},       {BusDirection::Input, 0, 3, "Input 0"},
      {BusDirection::Input, 2, 3, "Input 2"},   {BusDirection::Output, 0, 1, "Output"},
      {BusDirection::Output, 1, 2, "Output 1"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(processor.BusName(c.direction, c.index, c.count), c.name)
        << "bus " << c.index << " of " << c.count;
  }
}

TEST(Processor, MaxBusCountNamesTheLastConfigurationWithThatMany) {
  const struct {
    const char* io;
    BusDirection direction;
    int most, lastIndex;
  } cases[] = {
      {kProductIO, BusDirection::Input, 2, 8},
      {kProductIO, BusDirection::Output, 1, 8},
      {"1.1-1 1-2.2 1-1", BusDirection::Input, 2, 0},
      {"1.1-1 1-2.2 1-1", BusDirection::Output, 2, 1},
      {"", BusDirection::Input, 0, -1},  // the index is left alone
  };
  for (const auto& c : cases) {
    const fw::Processor processor(ConfigWith(c.io));
    int32_t lastIndex = -1;
    EXPECT_EQ(processor.MaxBusCount(c.direction, &lastIndex), c.most) << c.io;
    EXPECT_EQ(lastIndex, c.lastIndex) << c.io;
    EXPECT_EQ(processor.MaxBusCount(c.direction), c.most) << c.io;
  }
}

TEST(Processor, BusChannelCountIsZeroOutsideTheBuses) {
  const fw::Processor processor(ConfigWith("2.1-2 1-1"));
  const struct {
    BusDirection direction;
    int bus, config, channels;
  } cases[] = {
      {BusDirection::Input, 0, 0, 2},  {BusDirection::Input, 1, 0, 1},
      {BusDirection::Output, 0, 0, 2}, {BusDirection::Input, 0, 1, 1},
      {BusDirection::Input, 2, 0, 0},  {BusDirection::Input, -1, 0, 0},
      {BusDirection::Output, 1, 0, 0}, {BusDirection::Input, 0, 2, 0},
      {BusDirection::Input, 0, -1, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(processor.BusChannelCount(c.direction, c.bus, c.config), c.channels)
        << "bus " << c.bus << " of configuration " << c.config;
  }
}

// Drives one block the way the binding does: every channel unconnected, then the
// host's channels connected and bound, then the block run.
template <class Sample>
void RunHostBlock(fw::Processor& processor, const std::vector<Sample*>& inputs,
                  const std::vector<Sample*>& outputs, int32_t frames) {
  for (BusDirection direction : {BusDirection::Input, BusDirection::Output}) {
    const std::vector<Sample*>& host = direction == BusDirection::Input ? inputs : outputs;
    const auto count = static_cast<int32_t>(host.size());
    processor.ConnectChannels(direction, 0, processor.ChannelCount(direction), false);
    processor.ConnectChannels(direction, 0, count, true);
    processor.BindChannelBuffers(direction, 0, count, host.data(), frames);
  }
  constexpr bool k32 = std::is_same_v<Sample, float>;
  processor.RunBlock(frames, k32 ? fw::SampleFormat::Float32 : fw::SampleFormat::Float64);
}

// Records what the block function receives and writes 100·(c + 1) + i to output c.
class RecordingProcessor final : public fw::Processor {
 public:
  explicit RecordingProcessor(const char* io) : Processor(ConfigWith(io)) {}

  void RenderBlock(double** inputs, double** outputs, int32_t frames) override {
    inputPointers.assign(inputs, inputs + ChannelCount(BusDirection::Input));
    outputPointers.assign(outputs, outputs + ChannelCount(BusDirection::Output));
    inputSamples.clear();
    for (double* input : inputPointers)
      inputSamples.emplace_back(input, input + frames);
    for (int c = 0; c < ChannelCount(BusDirection::Output); ++c) {
      for (int i = 0; i < frames; ++i)
        outputs[c][i] = 100.0 * (c + 1) + i;
    }
  }

  std::vector<double*> inputPointers;
  std::vector<double*> outputPointers;
  std::vector<std::vector<double>> inputSamples;
};

using Samples = std::vector<double>;

TEST(Processor, DoublePrecisionHostBuffersReachTheBlockUncopied) {
  RecordingProcessor processor("2-2");
  processor.PrepareBlockSize(4);
  Samples left = {1, 2, 3, 4}, right = {5, 6, 7, 8}, outLeft(4), outRight(4);
  RunHostBlock<double>(processor, {left.data(), right.data()}, {outLeft.data(), outRight.data()},
                       4);
  EXPECT_EQ(processor.inputPointers, (std::vector<double*>{left.data(), right.data()}));
  EXPECT_EQ(processor.outputPointers, (std::vector<double*>{outLeft.data(), outRight.data()}));
  EXPECT_EQ(outRight, (Samples{200, 201, 202, 203}));
}

TEST(Processor, SinglePrecisionHostBuffersAreConvertedInAndOut) {
  RecordingProcessor processor("2-2");
  processor.PrepareBlockSize(4);
  std::vector<float> left = {0.5f, -1, 2, 3}, right = {4, 5, 6, 7};
  std::vector<float> outLeft(4, -9), outRight(4, -9);
  RunHostBlock<float>(processor, {left.data(), right.data()}, {outLeft.data(), outRight.data()}, 3);
  ASSERT_EQ(processor.inputSamples.size(), 2u);
  EXPECT_EQ(processor.inputSamples[0], (Samples{0.5, -1, 2}));
  EXPECT_EQ(processor.inputSamples[1], (Samples{4, 5, 6}));
  EXPECT_EQ(outLeft, (std::vector<float>{100, 101, 102, -9}));  // only the block's frames
  EXPECT_EQ(outRight, (std::vector<float>{200, 201, 202, -9}));
}

TEST(Processor, UnconnectedInputReadsItsScratchBuffer) {
  RecordingProcessor processor("2-2");
  processor.PrepareBlockSize(3);
  std::vector<float> left = {1, 2, 3}, right = {4, 5, 6}, out(3);
  RunHostBlock<float>(processor, {left.data()}, {out.data()}, 3);
  ASSERT_EQ(processor.inputSamples.size(), 2u);
  EXPECT_EQ(processor.inputSamples[0], (Samples{1, 2, 3}));
  EXPECT_EQ(processor.inputSamples[1], (Samples{0, 0, 0}));
  EXPECT_EQ(processor.ConnectedChannelCount(BusDirection::Input), 1);

  // The scratch buffer keeps the last converted samples while the block size stays...
  RunHostBlock<float>(processor, {left.data(), right.data()}, {out.data()}, 3);
  processor.PrepareBlockSize(3);
  RunHostBlock<float>(processor, {left.data()}, {out.data()}, 3);
  EXPECT_EQ(processor.inputSamples[1], (Samples{4, 5, 6}));
  // ...and is cleared when it changes.
  processor.PrepareBlockSize(2);
  RunHostBlock<float>(processor, {left.data()}, {out.data()}, 2);
  EXPECT_EQ(processor.inputSamples[1], (Samples{0, 0}));
}

TEST(Processor, DefaultBlockCopiesInputsAndSilencesTheRest) {
  const struct {
    const char* io;
    int inputs, outputs;
    std::vector<Samples> expected;
  } cases[] = {
      {"1-2", 1, 2, {{1, 2, 3}, {0, 0, 0}}},
      {"2-1", 2, 1, {{1, 2, 3}}},
      {"2-2", 2, 2, {{1, 2, 3}, {4, 5, 6}}},
      {"0-2", 0, 2, {{0, 0, 0}, {0, 0, 0}}},
  };
  for (const auto& c : cases) {
    fw::Processor processor(ConfigWith(c.io));
    processor.PrepareBlockSize(3);
    std::vector<Samples> in = {{1, 2, 3}, {4, 5, 6}};
    std::vector<Samples> out(c.outputs, Samples(3, 9));
    std::vector<double*> inPointers, outPointers;
    for (int i = 0; i < c.inputs; ++i)
      inPointers.push_back(in[i].data());
    for (Samples& channel : out)
      outPointers.push_back(channel.data());
    RunHostBlock(processor, inPointers, outPointers, 3);
    EXPECT_EQ(out, c.expected) << c.io;
  }
}

TEST(Processor, SinglePrecisionBlockAllocatesNothing) {
  fw::Processor processor(ConfigWith(kProductIO));
  processor.PrepareBlockSize(64);
  std::vector<float> in(64, 0.25f), out(64);
  const std::vector<float*> inputs = {in.data(), in.data(), in.data()};
  const std::vector<float*> outputs = {out.data(), out.data()};
  fwtest::AllocationCounter counter;
  RunHostBlock(processor, inputs, outputs, 64);
  EXPECT_EQ(counter.Count(), 0);
  EXPECT_EQ(out[63], 0.25f);
}

}  // namespace
