// What `process` accepts and refuses, how it binds the host's buffers, and the
// status it answers.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "tests/host/test_host.h"
#include "tests/probe/probe_api.h"

namespace {

using testhost::AudioBlock;
using testhost::InitialisedModule;
using testhost::Plugin;
using testhost::TestHost;

constexpr double kSentinel = 7.0;

class ProbeProcess : public testing::Test {
 protected:
  ProbeProcess()
      : module_(testhost::ProbeModulePath()), plugin_(module_, host_, probe::kPluginId) {}

  void Activate(uint32_t maxFrames = 64) {
    ASSERT_TRUE(plugin_->init(plugin_.get()));
    ASSERT_TRUE(plugin_->activate(plugin_.get(), 48000.0, 1, maxFrames));
    api_ = probe::Of(plugin_.get());
  }

  clap_process_status Run(AudioBlock& block) {
    clap_process_t process = block.Process(&in_, &out_);
    return plugin_->process(plugin_.get(), &process);
  }

  // Refused calls must leave the host's buffers as they were.
  static void ExpectUntouched(const AudioBlock& block) {
    for (uint32_t c = 0; c < 2; ++c) {
      for (double sample : block.Output(0, c))
        ASSERT_EQ(sample, kSentinel);
    }
  }

  InitialisedModule module_;
  TestHost host_;
  Plugin plugin_;
  probe::Api* api_ = nullptr;
  testhost::InputEvents in_;
  testhost::OutputEvents out_;
};

// Silent inputs and outputs that start as the sentinel: a pass-through would zero them.
AudioBlock SentinelBlock(uint32_t frames, bool use64 = true) {
  AudioBlock block({2}, {2}, frames, use64);
  block.FillOutputs(kSentinel);
  return block;
}

TEST_F(ProbeProcess, RefusesMalformedCallsWithoutTouchingAnything) {
  Activate(64);
  EXPECT_EQ(plugin_->process(plugin_.get(), nullptr), CLAP_PROCESS_ERROR);

  AudioBlock block = SentinelBlock(64);
  clap_process_t noInputs = block.Process(&in_, &out_);
  noInputs.audio_inputs = nullptr;
  EXPECT_EQ(plugin_->process(plugin_.get(), &noInputs), CLAP_PROCESS_ERROR);
  clap_process_t noOutputs = block.Process(&in_, &out_);
  noOutputs.audio_outputs = nullptr;
  EXPECT_EQ(plugin_->process(plugin_.get(), &noOutputs), CLAP_PROCESS_ERROR);

  // More frames than the activation allowed: the 32-bit path would overrun its scratch.
  for (bool use64 : {true, false}) {
    AudioBlock tooLong = SentinelBlock(65, use64);
    EXPECT_EQ(Run(tooLong), CLAP_PROCESS_ERROR);
    ExpectUntouched(tooLong);
  }

  // A buffer without pointers in the format the first buffer chose, or with a null channel.
  AudioBlock mixed = SentinelBlock(64);
  clap_process_t process = mixed.Process(&in_, &out_);
  mixed.OutputBuffers()[0].data64 = nullptr;
  EXPECT_EQ(plugin_->process(plugin_.get(), &process), CLAP_PROCESS_ERROR);
  ExpectUntouched(mixed);
  AudioBlock nullChannel = SentinelBlock(64);
  process = nullChannel.Process(&in_, &out_);
  double* channels[2] = {nullptr, nullptr};
  nullChannel.InputBuffers()[0].data64 = channels;
  EXPECT_EQ(plugin_->process(plugin_.get(), &process), CLAP_PROCESS_ERROR);
  EXPECT_EQ(api_->RenderCalls(), 0);

  // None of the refused calls reached the block function.
  AudioBlock fine = SentinelBlock(64);
  EXPECT_EQ(Run(fine), CLAP_PROCESS_CONTINUE_IF_NOT_QUIET);
  EXPECT_EQ(api_->RenderCalls(), 1);
}

TEST_F(ProbeProcess, RefusesProcessingBeforeActivationAndAfterDeactivation) {
  ASSERT_TRUE(plugin_->init(plugin_.get()));
  AudioBlock block = SentinelBlock(32);
  EXPECT_EQ(Run(block), CLAP_PROCESS_ERROR);
  ExpectUntouched(block);
  ASSERT_TRUE(plugin_->activate(plugin_.get(), 48000.0, 1, 32));
  EXPECT_EQ(Run(block), CLAP_PROCESS_CONTINUE_IF_NOT_QUIET);
  plugin_->deactivate(plugin_.get());
  EXPECT_EQ(Run(block), CLAP_PROCESS_ERROR);
}

TEST_F(ProbeProcess, ActivationRefusesUnusableRatesAndSizes) {
  ASSERT_TRUE(plugin_->init(plugin_.get()));
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  for (auto [rate, frames] : {std::pair{nan, 64u},
                              {inf, 64u},
                              {0.0, 64u},
                              {-48000.0, 64u},
                              {48000.0, 0u},
                              {48000.0, 0xFFFFFFFFu}}) {
    EXPECT_FALSE(plugin_->activate(plugin_.get(), rate, 1, frames)) << rate << " " << frames;
    AudioBlock block = SentinelBlock(1);
    EXPECT_EQ(Run(block), CLAP_PROCESS_ERROR);
  }
  ASSERT_TRUE(plugin_->activate(plugin_.get(), 1000.0, 1, 1));
  // Activating an active instance is refused, and the first activation stays.
  EXPECT_FALSE(plugin_->activate(plugin_.get(), 48000.0, 1, 4096));
  AudioBlock block = SentinelBlock(1);
  EXPECT_EQ(Run(block), CLAP_PROCESS_CONTINUE_IF_NOT_QUIET);
  AudioBlock tooLong = SentinelBlock(2);
  EXPECT_EQ(Run(tooLong), CLAP_PROCESS_ERROR);
}

TEST_F(ProbeProcess, BindsEveryPortLayoutAndFormat) {
  Activate(64);
  struct Case {
    std::vector<uint32_t> inputs;
    std::vector<uint32_t> outputs;
  };
  // Surplus host channels beyond the channel records are ignored.
  for (const Case& c : {Case{{1}, {1}}, Case{{2}, {2}}, Case{{2, 2}, {2}}, Case{{}, {2}},
                        Case{{2}, {}}, Case{{2, 2, 2}, {2, 2}}}) {
    for (bool use64 : {true, false}) {
      for (bool inPlace : {false, true}) {
        AudioBlock block(c.inputs, c.outputs, 64, use64, inPlace);
        for (uint32_t p = 0; p < c.inputs.size(); ++p) {
          for (uint32_t ch = 0; ch < c.inputs[p]; ++ch) {
            block.SetInput(p, ch, std::vector<double>(64, 0.125 * (2 * p + ch + 1)));
          }
        }
        const int before = api_->RenderCalls();
        ASSERT_EQ(Run(block), CLAP_PROCESS_CONTINUE_IF_NOT_QUIET);
        EXPECT_EQ(api_->RenderCalls(), before + 1);
        // The pass-through block copies input channel i to output channel i.
        if (!c.outputs.empty() && !c.inputs.empty()) {
          EXPECT_EQ(block.OutputSample(0, 0, 63), 0.125);
          if (c.outputs[0] == 2 && c.inputs[0] == 2) {
            EXPECT_EQ(block.OutputSample(0, 1, 63), 0.25);
          }
        }
      }
    }
  }
}

TEST_F(ProbeProcess, KeepsTheTransportOfTheLastBlockThatHadOne) {
  Activate(64);
  AudioBlock block({2}, {2}, 64);
  clap_event_transport_t transport{};
  transport.header = {sizeof transport, 0, CLAP_CORE_EVENT_SPACE_ID, CLAP_EVENT_TRANSPORT, 0};
  transport.flags = CLAP_TRANSPORT_HAS_TEMPO | CLAP_TRANSPORT_HAS_SECONDS_TIMELINE |
                    CLAP_TRANSPORT_HAS_BEATS_TIMELINE | CLAP_TRANSPORT_HAS_TIME_SIGNATURE |
                    CLAP_TRANSPORT_IS_PLAYING | CLAP_TRANSPORT_IS_LOOP_ACTIVE;
  transport.tempo = 97.5;
  transport.song_pos_seconds = 2 * CLAP_SECTIME_FACTOR;
  transport.song_pos_beats = 3 * CLAP_BEATTIME_FACTOR;
  transport.bar_start = 2 * CLAP_BEATTIME_FACTOR;
  transport.loop_start_beats = CLAP_BEATTIME_FACTOR;
  transport.loop_end_beats = 9 * CLAP_BEATTIME_FACTOR;
  transport.tsig_num = 7;
  transport.tsig_denom = 8;
  clap_process_t process = block.Process(&in_, &out_, &transport);
  ASSERT_EQ(plugin_->process(plugin_.get(), &process), CLAP_PROCESS_CONTINUE_IF_NOT_QUIET);
  fw::TimeInfo info = api_->Transport();
  EXPECT_EQ(info.tempo, 97.5);
  EXPECT_EQ(info.samplePos, 96000.0);
  EXPECT_EQ(info.ppqPos, 3.0);
  EXPECT_EQ(info.lastBar, 2.0);
  EXPECT_EQ(info.cycleStart, 1.0);
  EXPECT_EQ(info.cycleEnd, 9.0);
  EXPECT_EQ(info.numerator, 7);
  EXPECT_EQ(info.denominator, 8);
  EXPECT_TRUE(info.transportIsRunning);
  EXPECT_TRUE(info.transportLoopEnabled);

  // No transport: the previous one stays.
  EXPECT_EQ(Run(block), CLAP_PROCESS_CONTINUE_IF_NOT_QUIET);
  EXPECT_EQ(api_->Transport().tempo, 97.5);

  // A transport without flags starts from the defaults.
  transport.flags = 0;
  process = block.Process(&in_, &out_, &transport);
  ASSERT_EQ(plugin_->process(plugin_.get(), &process), CLAP_PROCESS_CONTINUE_IF_NOT_QUIET);
  info = api_->Transport();
  EXPECT_EQ(info.tempo, 120.0);
  EXPECT_EQ(info.samplePos, -1.0);
  EXPECT_EQ(info.numerator, 4);
  EXPECT_FALSE(info.transportIsRunning);
}

TEST_F(ProbeProcess, StatusFollowsTheTailLength) {
  Activate(64);
  AudioBlock silent({2}, {2}, 64);
  AudioBlock loud({2}, {2}, 64);
  loud.SetInput(0, 1, std::vector<double>{0, 0, 0, 0.5});
  AudioBlock nan({2}, {2}, 64);
  nan.SetInput(0, 0, std::vector<double>{std::numeric_limits<double>::quiet_NaN()});

  EXPECT_EQ(Run(loud), CLAP_PROCESS_CONTINUE_IF_NOT_QUIET);
  api_->RequestTailLength(fw::Processor::kInfiniteTail);
  EXPECT_EQ(Run(silent), CLAP_PROCESS_CONTINUE);

  api_->RequestTailLength(150);
  EXPECT_EQ(Run(silent), CLAP_PROCESS_CONTINUE);  // 64 silent samples
  EXPECT_EQ(Run(silent), CLAP_PROCESS_CONTINUE);  // 128
  EXPECT_EQ(Run(silent), CLAP_PROCESS_SLEEP);     // 150 reached
  EXPECT_EQ(Run(silent), CLAP_PROCESS_SLEEP);
  EXPECT_EQ(Run(loud), CLAP_PROCESS_CONTINUE);  // one sample resets the count
  EXPECT_EQ(Run(silent), CLAP_PROCESS_CONTINUE);
  EXPECT_EQ(Run(nan), CLAP_PROCESS_CONTINUE);  // a NaN is not silence
  EXPECT_EQ(Run(silent), CLAP_PROCESS_CONTINUE);
  EXPECT_EQ(Run(silent), CLAP_PROCESS_CONTINUE);
  EXPECT_EQ(Run(silent), CLAP_PROCESS_SLEEP);

  // Without input channels the inputs count as silent.
  AudioBlock noInputs({}, {2}, 64);
  EXPECT_EQ(Run(noInputs), CLAP_PROCESS_SLEEP);
}

}  // namespace
