// "clap.params" at its edges, and host parameter events inside process.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "tests/extensions/session.h"

namespace {

using exttest::ProbeSession;
using exttest::Session;
using testhost::AudioBlock;
using testhost::InputEvents;

const clap_plugin_params_t* ParamsOf(const Session& session) {
  return session.Ext<clap_plugin_params_t>(CLAP_EXT_PARAMS);
}

TEST(ParamsExtension, InvalidIdsAndNullPointersAreRefused) {
  Session session;
  const clap_plugin_params_t* params = ParamsOf(session);
  const clap_plugin_t* plugin = session.Get();
  clap_param_info_t info{};
  double value = 0;
  char display[64];
  for (clap_id id : {clap_id{19}, clap_id{0xFFFFFFFF}}) {
    SCOPED_TRACE(id);
    EXPECT_FALSE(params->get_info(plugin, id, &info));
    EXPECT_FALSE(params->get_value(plugin, id, &value));
    EXPECT_FALSE(params->value_to_text(plugin, id, 0.5, display, sizeof display));
    EXPECT_FALSE(params->text_to_value(plugin, id, "1", &value));
  }
  EXPECT_FALSE(params->get_info(plugin, 0, nullptr));
  EXPECT_FALSE(params->get_value(plugin, 0, nullptr));
  EXPECT_FALSE(params->value_to_text(plugin, 0, 0.5, nullptr, sizeof display));
  EXPECT_FALSE(params->value_to_text(plugin, 0, 0.5, display, 0));
  EXPECT_FALSE(params->text_to_value(plugin, 0, nullptr, &value));
  EXPECT_FALSE(params->text_to_value(plugin, 0, "1", nullptr));
}

TEST(ParamsExtension, TextThatDoesNotFitTheDisplayIsNotWritten) {
  Session session;
  const clap_plugin_params_t* params = ParamsOf(session);
  // "100.00 ms" is nine characters: ten bytes with the terminator.
  char display[16];
  for (uint32_t size : {1u, 9u}) {
    std::memset(display, 'X', sizeof display);
    EXPECT_FALSE(params->value_to_text(session.Get(), 0, 1.0, display, size)) << size;
    EXPECT_TRUE(std::all_of(display, display + sizeof display, [](char c) { return c == 'X'; }));
  }
  EXPECT_TRUE(params->value_to_text(session.Get(), 0, 1.0, display, 10));
  EXPECT_STREQ(display, "100.00 ms");
}

TEST(ParamsExtension, GroupsAutomationAndKindShowInTheInfo) {
  ProbeSession session({}, false);
  const clap_plugin_params_t* params = ParamsOf(session);
  const struct {
    const char* name;
    const char* module;
    uint32_t flags;
    double min, max, defaultValue;
  } expected[] = {
      {"Gain", "Main", 0x8020, 0, 1, 0.5},
      {"Mode", "", 0x8021, 0, 2, 0},
      // Not automatable, and an integer crosses in its own units.
      {"Steps", "", 0x8001, 1, 16, 4},
  };
  ASSERT_EQ(params->count(session.Get()), std::size(expected));
  for (clap_id id = 0; id < std::size(expected); ++id) {
    SCOPED_TRACE(expected[id].name);
    clap_param_info_t info{};
    ASSERT_TRUE(params->get_info(session.Get(), id, &info));
    EXPECT_STREQ(info.name, expected[id].name);
    EXPECT_STREQ(info.module, expected[id].module);
    EXPECT_EQ(info.flags, expected[id].flags);
    EXPECT_EQ(info.min_value, expected[id].min);
    EXPECT_EQ(info.max_value, expected[id].max);
    EXPECT_EQ(info.default_value, expected[id].defaultValue);
  }
}

TEST(ParamEvents, AreAppliedBeforeTheOneBlockCallWithTheirOffset) {
  ProbeSession session;
  InputEvents in;
  in.AddParamValue(0, 0.8, 100);
  in.AddParamValue(0xFFFFFFFF, 0.1, 200);
  in.AddParamValue(3, 0.1, 300);
  AudioBlock block({2}, {2}, 512);
  session.Process(block, &in);

  EXPECT_EQ(session.api->RenderCalls(), 1);
  const std::vector<probe::ParamChange> changes = session.api->ParamChanges();
  ASSERT_EQ(changes.size(), 1u);
  EXPECT_EQ(changes[0].index, 0);
  EXPECT_EQ(changes[0].source, fw::ParamSource::Host);
  EXPECT_EQ(changes[0].sampleOffset, 100);
  double value = 0;
  ASSERT_TRUE(ParamsOf(session)->get_value(session.Get(), 0, &value));
  EXPECT_DOUBLE_EQ(value, 0.8);
}

TEST(ParamEvents, ChangeTheSoundOfTheWholeBlock) {
  auto run = [](bool withEvent) {
    Session session;
    EXPECT_TRUE(session.plugin.Start());
    InputEvents in;
    if (withEvent) in.AddParamValue(8, 0.0, 100);  // Dry Level to silence
    AudioBlock block({2}, {2}, 512);
    block.FillInputs(0.25);
    session.Process(block, &in);
    return block.Output(0, 0);
  };
  const std::vector<double> plain = run(false);
  const std::vector<double> changed = run(true);
  // No block splitting: the frames before the event's time already hear it.
  for (uint32_t i = 0; i < 100; ++i)
    ASSERT_NE(plain[i], changed[i]) << "frame " << i;
}

TEST(ParamEvents, HostValuesOutsideTheRangeAreClampedAndNeverReachTheEngineAsNaN) {
  Session session;
  ASSERT_TRUE(session.plugin.Start());
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  // Predelay and Room Size cross normalised, Gate Det. Inp. in choices 0…2.
  const struct {
    clap_id id;
    double sent;
    double lowest;
    double highest;
  } cases[] = {
      {0, 1.5, 1, 1}, {0, -0.5, 0, 0},  {0, inf, 1, 1},  {0, -inf, 0, 0},
      {0, nan, 0, 1}, {1, 1.5, 1, 1},   {1, -inf, 0, 0}, {1, nan, 0, 1},
      {16, 7, 2, 2},  {16, -inf, 0, 0}, {16, nan, 0, 2},
  };
  AudioBlock block({2}, {2}, 256);
  block.FillInputs(0.5);
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "id " << c.id << " value " << c.sent);
    InputEvents in;
    in.AddParamValue(c.id, c.sent);
    session.Process(block, &in);
    double value = -1;
    ASSERT_TRUE(ParamsOf(session)->get_value(session.Get(), c.id, &value));
    EXPECT_GE(value, c.lowest);
    EXPECT_LE(value, c.highest);
    for (uint32_t channel = 0; channel < 2; ++channel) {
      const std::vector<double> out = block.Output(0, channel);
      ASSERT_TRUE(std::all_of(out.begin(), out.end(), [](double s) { return std::isfinite(s); }));
    }
  }
}

TEST(ParamEvents, SixHundredInOneBlockAllReachTheValuesButTheEditorRingHoldsFiveHundredTwelve) {
  ProbeSession session(exttest::WithTimers());
  InputEvents in;
  for (int i = 0; i < 600; ++i)
    in.AddParamValue(0, i / 1000.0, i % 512);
  AudioBlock block({2}, {2}, 512);
  session.Process(block, &in);
  session.host.FireTimers();

  const std::vector<probe::ParamChange> changes = session.api->ParamChanges();
  ASSERT_EQ(changes.size(), 600u);
  for (int i = 0; i < 600; ++i)
    EXPECT_EQ(changes[i].sampleOffset, i % 512);
  double value = 0;
  ASSERT_TRUE(ParamsOf(session)->get_value(session.Get(), 0, &value));
  EXPECT_DOUBLE_EQ(value, 0.599);

  const std::vector<probe::EditorDelivery> deliveries = session.api->EditorDeliveries();
  ASSERT_EQ(deliveries.size(), 512u);
  for (int i = 0; i < 512; ++i) {
    EXPECT_EQ(deliveries[i].index, 0);
    EXPECT_DOUBLE_EQ(deliveries[i].value, i / 1000.0);
    EXPECT_FALSE(deliveries[i].normalized);
  }
}

}  // namespace
