// "clap.state": the 152-byte chunk of Halvern's values through the host's streams.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "tests/extensions/session.h"

namespace {

using exttest::Session;
using testhost::AudioBlock;
using testhost::InputEvents;
using testhost::MemoryIStream;
using testhost::MemoryOStream;
using testhost::StateBytes;
using testhost::StateValues;

const std::vector<double> kDefaults = {0,   0.5, 4,   0, 0, 0.5, 0, 0.3, 0.5,  1,
                                       -90, 1,   200, 0, 0, 0,   1, 0,   12000};
const std::vector<double> kMaxima = {100, 1,   6,   8, 1, 1,   2000, 1,  1,    2,
                                     0,   100, 500, 1, 1, 600, 2,    10, 12000};
// In range and on step, but none of them a default and few of them round numbers.
const std::vector<double> kCustom = {
    37.123456789, 0.123456789, 2.5,     7,    0.33, 0.77,  1234.5678, 0.45678, 0.9, 1.7,
    -12.3456,     42.42,       333.333, 0.66, 1,    123.4, 2,         -7.77,   4321};

class State : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(session.plugin->init(session.Get())); }

  const clap_plugin_state_t* Ext() const {
    return session.Ext<clap_plugin_state_t>(CLAP_EXT_STATE);
  }

  std::vector<uint8_t> Save() const {
    MemoryOStream out;
    EXPECT_TRUE(Ext()->save(session.Get(), out.Stream()));
    return out.Bytes();
  }

  bool Load(std::vector<uint8_t> bytes, std::vector<int64_t> pieces = {}) {
    MemoryIStream in(std::move(bytes), std::move(pieces));
    return Ext()->load(session.Get(), in.Stream());
  }

  int Rescans() const { return session.host.Count("params.rescan"); }

  Session session;
};

TEST_F(State, AFreshInstanceSavesItsDefaultsInWhateverPiecesTheStreamTakes) {
  const struct {
    int64_t maxPerCall;
    int calls;
  } streams[] = {{INT64_MAX, 1}, {10, 16}};
  for (const auto& stream : streams) {
    SCOPED_TRACE(stream.maxPerCall);
    MemoryOStream out(stream.maxPerCall);
    ASSERT_TRUE(Ext()->save(session.Get(), out.Stream()));
    EXPECT_EQ(out.Calls(), stream.calls);
    EXPECT_EQ(out.Bytes(), StateBytes(kDefaults));
  }
}

TEST_F(State, AStreamThatDoesNotTakeTheBytesFailsTheSave) {
  MemoryOStream takesNothing(0);
  MemoryOStream fails(INT64_MAX, 0);
  MemoryOStream failsLater(100, 1);
  clap_ostream_t claimsMore{nullptr, [](const clap_ostream_t*, const void*, uint64_t size) {
                              return static_cast<int64_t>(size) + 1;
                            }};
  const clap_ostream_t withoutWrite{nullptr, nullptr};
  for (const clap_ostream_t* stream :
       {takesNothing.Stream(), fails.Stream(), failsLater.Stream(),
        static_cast<const clap_ostream_t*>(&claimsMore), &withoutWrite,
        static_cast<const clap_ostream_t*>(nullptr)}) {
    EXPECT_FALSE(Ext()->save(session.Get(), stream));
  }
}

TEST_F(State, ALoadInPiecesRestoresEveryValueBitForBitAndAsksForOneRescan) {
  ASSERT_TRUE(Load(StateBytes(kCustom), {100, 52}));
  EXPECT_EQ(Save(), StateBytes(kCustom));
  const std::vector<testhost::HostCall> rescans = session.host.Calls("params.rescan");
  ASSERT_EQ(rescans.size(), 1u);
  EXPECT_EQ(rescans[0].Arg(0), "1");
}

TEST_F(State, AChunkOfTheWrongLengthFailsAfterApplyingWhatItHolds) {
  std::vector<uint8_t> tooShort = StateBytes(kCustom);
  tooShort.pop_back();
  std::vector<uint8_t> tooLong = StateBytes(kCustom);
  tooLong.resize(160, 0xAB);
  std::vector<double> shortResult = kCustom;
  shortResult.back() = kDefaults.back();

  EXPECT_FALSE(Load(tooShort));
  EXPECT_EQ(StateValues(Save()), shortResult);
  ASSERT_TRUE(Load(StateBytes(kDefaults)));
  EXPECT_FALSE(Load(tooLong));
  EXPECT_EQ(StateValues(Save()), kCustom);
  EXPECT_EQ(Rescans(), 1);  // the one good load only
}

TEST_F(State, AStreamThatFailsOrHoldsNothingChangesNothing) {
  ASSERT_TRUE(Load(StateBytes(kCustom)));
  MemoryIStream failsAtOnce(StateBytes(kDefaults), {}, 0);
  MemoryIStream failsMidway(StateBytes(kDefaults), {100}, 1);
  MemoryIStream empty({});
  const clap_istream_t withoutRead{nullptr, nullptr};
  for (const clap_istream_t* stream : {failsAtOnce.Stream(), failsMidway.Stream(), empty.Stream(),
                                       &withoutRead, static_cast<const clap_istream_t*>(nullptr)}) {
    EXPECT_FALSE(Ext()->load(session.Get(), stream));
  }
  EXPECT_EQ(Save(), StateBytes(kCustom));
  EXPECT_EQ(Rescans(), 1);
}

TEST_F(State, AStreamThatNeverEndsIsCutOffAndRefused) {
  MemoryIStream endless = MemoryIStream::Endless();
  EXPECT_FALSE(Ext()->load(session.Get(), endless.Stream()));
  EXPECT_GE(endless.Delivered(), int64_t{1} << 20);
  EXPECT_LE(endless.Delivered(), (int64_t{1} << 20) + 4096);
  // Its first 152 bytes are huge numbers: every parameter went to its maximum.
  EXPECT_EQ(StateValues(Save()), kMaxima);
  EXPECT_EQ(Rescans(), 0);
}

TEST_F(State, StoredValuesOutsideTheRangeAreClampedAndNaNsKeepToTheDefault) {
  ASSERT_TRUE(Load(StateBytes(kCustom)));
  ASSERT_TRUE(Load(StateBytes(std::vector<double>(19, std::numeric_limits<double>::quiet_NaN()))));
  EXPECT_EQ(StateValues(Save()), kDefaults);

  std::vector<double> outside = kDefaults;
  outside[0] = 1000;   // Predelay, 0…100 ms
  outside[17] = -1e9;  // High Shelf, -20…10 dB
  ASSERT_TRUE(Load(StateBytes(outside)));
  const std::vector<double> loaded = StateValues(Save());
  EXPECT_EQ(loaded[0], 100);
  EXPECT_EQ(loaded[17], -20);
}

// Eight blocks of an impulse's response, both channels.
std::vector<double> Render(Session& session) {
  AudioBlock block({2}, {2}, 512);
  std::vector<double> impulse(512, 0.0);
  impulse[0] = 1.0;
  block.SetInput(0, 0, impulse);
  block.SetInput(0, 1, impulse);
  std::vector<double> output;
  for (int i = 0; i < 8; ++i) {
    session.Process(block);
    for (uint32_t c = 0; c < 2; ++c) {
      const std::vector<double> channel = block.Output(0, c);
      output.insert(output.end(), channel.begin(), channel.end());
    }
    block.FillInputs(0.0);
  }
  return output;
}

TEST(StateRoundTrip, ASecondInstanceLoadedFromTheFirstSavesTheSameBytesAndSoundsTheSame) {
  // The first instance takes its values from host events in a flush, so that neither
  // instance has rendered anything before the comparison.
  Session first;
  ASSERT_TRUE(first.plugin->init(first.Get()));
  InputEvents in;
  for (clap_id id = 0; id < 19; ++id)
    in.AddParamValue(id, id == 14 || id == 16 ? 1 : 0.37);
  first.Ext<clap_plugin_params_t>(CLAP_EXT_PARAMS)->flush(first.Get(), in.List(), nullptr);
  MemoryOStream saved;
  ASSERT_TRUE(first.Ext<clap_plugin_state_t>(CLAP_EXT_STATE)->save(first.Get(), saved.Stream()));
  ASSERT_NE(saved.Bytes(), StateBytes(kDefaults));

  Session second;
  ASSERT_TRUE(second.plugin->init(second.Get()));
  const auto* secondState = second.Ext<clap_plugin_state_t>(CLAP_EXT_STATE);
  MemoryIStream restored(saved.Bytes());
  ASSERT_TRUE(secondState->load(second.Get(), restored.Stream()));
  MemoryOStream resaved;
  ASSERT_TRUE(secondState->save(second.Get(), resaved.Stream()));
  EXPECT_EQ(resaved.Bytes(), saved.Bytes());

  for (Session* session : {&first, &second}) {
    ASSERT_TRUE(session->plugin->activate(session->Get(), 48000.0, 1, 512));
    ASSERT_TRUE(session->plugin->start_processing(session->Get()));
  }
  const std::vector<double> a = Render(first);
  EXPECT_EQ(a, Render(second));
  EXPECT_TRUE(std::all_of(a.begin(), a.end(), [](double s) { return std::isfinite(s); }));
}

}  // namespace
