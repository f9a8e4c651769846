// Audio ports and their configurations, note ports, latency, tail and render mode.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/extensions/session.h"

namespace {

using exttest::ProbeSession;
using exttest::Session;
using testhost::HostConfig;
using testhost::Offer;

struct Port {
  std::string name;
  uint32_t channels;
  uint32_t flags;
  std::string type;
};

std::string TypeText(const char* type) {
  return type ? type : "(none)";
}

std::vector<Port> Ports(const Session& session, bool isInput) {
  const auto* ports = session.Ext<clap_plugin_audio_ports_t>(CLAP_EXT_AUDIO_PORTS);
  std::vector<Port> result;
  const uint32_t count = ports->count(session.Get(), isInput);
  for (uint32_t i = 0; i < count; ++i) {
    clap_audio_port_info_t info{};
    EXPECT_TRUE(ports->get(session.Get(), i, isInput, &info));
    EXPECT_EQ(info.id, i);
    EXPECT_EQ(info.in_place_pair, CLAP_INVALID_ID);
    result.push_back({info.name, info.channel_count, info.flags, TypeText(info.port_type)});
  }
  clap_audio_port_info_t info{};
  EXPECT_FALSE(ports->get(session.Get(), count, isInput, &info));
  EXPECT_FALSE(ports->get(session.Get(), 0, isInput, nullptr));
  return result;
}

void ExpectPorts(const Session& session, const std::vector<Port>& inputs,
                 const std::vector<Port>& outputs) {
  for (bool isInput : {true, false}) {
    SCOPED_TRACE(isInput ? "inputs" : "outputs");
    const std::vector<Port> actual = Ports(session, isInput);
    const std::vector<Port>& expected = isInput ? inputs : outputs;
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < actual.size(); ++i) {
      EXPECT_EQ(actual[i].name, expected[i].name);
      EXPECT_EQ(actual[i].channels, expected[i].channels);
      EXPECT_EQ(actual[i].flags, expected[i].flags);
      EXPECT_EQ(actual[i].type, expected[i].type);
    }
  }
}

const Port kStereoOut{"Output", 2, 15, "stereo"};

TEST(AudioPorts, FollowTheSelectedConfiguration) {
  Session session;
  ASSERT_TRUE(session.plugin->init(session.Get()));
  const auto* configs = session.Ext<clap_plugin_audio_ports_config_t>(CLAP_EXT_AUDIO_PORTS_CONFIG);
  // A host without track info gets the stereo configuration.
  ExpectPorts(session, {{"Input", 2, 15, "stereo"}}, {kStereoOut});
  const struct {
    clap_id config;
    std::vector<Port> inputs;
    std::vector<Port> outputs;
  } cases[] = {
      {0, {{"Input", 1, 15, "mono"}}, {{"Output", 1, 15, "mono"}}},
      {5, {{"Main", 2, 15, "stereo"}, {"Aux", 1, 14, "mono"}}, {kStereoOut}},
      {8, {{"Main", 2, 15, "stereo"}, {"Aux", 2, 14, "stereo"}}, {kStereoOut}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.config);
    ASSERT_TRUE(configs->select(session.Get(), c.config));
    ExpectPorts(session, c.inputs, c.outputs);
  }
  // An unknown configuration is refused and the last one stays.
  EXPECT_FALSE(configs->select(session.Get(), 9));
  ExpectPorts(session, {{"Main", 2, 15, "stereo"}, {"Aux", 2, 14, "stereo"}}, {kStereoOut});
}

TEST(AudioPortsConfig, NamesAndDescribesAllNineConfigurations) {
  Session session;
  const auto* configs = session.Ext<clap_plugin_audio_ports_config_t>(CLAP_EXT_AUDIO_PORTS_CONFIG);
  const struct {
    const char* name;
    uint32_t inputPorts;
    uint32_t mainInput;
    uint32_t mainOutput;
  } expected[] = {
      {"1-1", 1, 1, 1},   {"1-2", 1, 1, 2},   {"2-2", 1, 2, 2},
      {"1.1-1", 2, 1, 1}, {"1.1-2", 2, 1, 2}, {"2.1-2", 2, 2, 2},
      {"1.2-1", 2, 1, 1}, {"1.2-2", 2, 1, 2}, {"2.2-2", 2, 2, 2},
  };
  ASSERT_EQ(configs->count(session.Get()), std::size(expected));
  auto typeFor = [](uint32_t channels) { return channels == 2 ? "stereo" : "mono"; };
  for (clap_id id = 0; id < std::size(expected); ++id) {
    SCOPED_TRACE(expected[id].name);
    clap_audio_ports_config_t config{};
    ASSERT_TRUE(configs->get(session.Get(), id, &config));
    EXPECT_EQ(config.id, id);
    EXPECT_STREQ(config.name, expected[id].name);
    EXPECT_EQ(config.input_port_count, expected[id].inputPorts);
    EXPECT_EQ(config.output_port_count, 1u);
    EXPECT_TRUE(config.has_main_input);
    EXPECT_EQ(config.main_input_channel_count, expected[id].mainInput);
    EXPECT_EQ(TypeText(config.main_input_port_type), typeFor(expected[id].mainInput));
    EXPECT_TRUE(config.has_main_output);
    EXPECT_EQ(config.main_output_channel_count, expected[id].mainOutput);
    EXPECT_EQ(TypeText(config.main_output_port_type), typeFor(expected[id].mainOutput));
  }
  clap_audio_ports_config_t config{};
  EXPECT_FALSE(configs->get(session.Get(), 9, &config));
  EXPECT_FALSE(configs->get(session.Get(), 0, nullptr));
}

TEST(AudioPorts, TheTrackChannelCountChoosesTheConfigurationAtInit) {
  const struct {
    Offer trackInfo;
    bool answers;
    int32_t channels;
    uint32_t selectedChannels;
  } cases[] = {
      {Offer::Full, true, 1, 1},    {Offer::Full, true, 2, 2},
      {Offer::Full, true, 6, 2},   // no six-channel configuration: stereo
      {Offer::Full, false, 1, 2},  // no answer: stereo
      {Offer::Partial, true, 1, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "channels " << c.channels << " answers " << c.answers);
    HostConfig config;
    config.trackInfo = c.trackInfo;
    config.trackInfoAnswers = c.answers;
    config.trackChannels = c.channels;
    Session session(testhost::HalvernModulePath(), config);
    ASSERT_TRUE(session.plugin->init(session.Get()));
    const Port main{"Input", c.selectedChannels, 15, c.selectedChannels == 2 ? "stereo" : "mono"};
    ExpectPorts(session, {main}, {{"Output", c.selectedChannels, 15, main.type}});
    if (c.trackInfo == Offer::Partial) {
      EXPECT_EQ(session.host.LogMessages(),
                std::vector<std::string>{"clap_host_track_info is partially implemented"});
    }
  }
}

TEST(NotePorts, TheProbeAnswersWithoutDeclaringPorts) {
  ProbeSession session({}, false);
  const auto* ports = session.Ext<clap_plugin_note_ports_t>(CLAP_EXT_NOTE_PORTS);
  ASSERT_NE(ports, nullptr);
  for (bool isInput : {true, false}) {
    EXPECT_EQ(ports->count(session.Get(), isInput), 0u);
    clap_note_port_info_t info{};
    EXPECT_FALSE(ports->get(session.Get(), 0, isInput, &info));
  }
}

TEST(LatencyAndTail, HalvernReportsNoneAndTheProbeReportsWhatItSets) {
  Session halvern;
  EXPECT_EQ(halvern.Ext<clap_plugin_latency_t>(CLAP_EXT_LATENCY)->get(halvern.Get()), 0u);
  EXPECT_EQ(halvern.Ext<clap_plugin_tail_t>(CLAP_EXT_TAIL)->get(halvern.Get()), 0u);

  ProbeSession probe(exttest::WithTimers());
  const auto* tail = probe.Ext<clap_plugin_tail_t>(CLAP_EXT_TAIL);
  const struct {
    int32_t samples;
    uint32_t reported;
  } tails[] = {{4800, 4800}, {2147483647, 0xFFFFFFFF}, {0, 0}};
  for (const auto& t : tails) {
    probe.api->RequestTailLength(t.samples);
    EXPECT_EQ(tail->get(probe.Get()), t.reported);
  }
  EXPECT_EQ(probe.host.Calls().size(), 0u);  // nothing is sent to the host
}

TEST(Render, RealtimeAndOfflineAreTakenAndOtherModesLogged) {
  Session session;
  ASSERT_TRUE(session.plugin->init(session.Get()));
  const auto* render = session.Ext<clap_plugin_render_t>(CLAP_EXT_RENDER);
  EXPECT_FALSE(render->has_hard_realtime_requirement(session.Get()));
  EXPECT_TRUE(render->set(session.Get(), CLAP_RENDER_OFFLINE));
  EXPECT_TRUE(render->set(session.Get(), CLAP_RENDER_REALTIME));
  EXPECT_TRUE(session.host.LogMessages().empty());
  EXPECT_FALSE(render->set(session.Get(), 2));
  const std::vector<testhost::HostCall> logs = session.host.Calls("log");
  ASSERT_EQ(logs.size(), 1u);
  EXPECT_EQ(logs[0].Arg(0), std::to_string(CLAP_LOG_HOST_MISBEHAVING));
  EXPECT_EQ(logs[0].Arg(1), "host called clap_plugin_render.set_mode with an unknown mode : 2");
}

class LatencyChange : public ::testing::Test {
 protected:
  uint32_t Latency() const {
    return session.Ext<clap_plugin_latency_t>(CLAP_EXT_LATENCY)->get(session.Get());
  }
  void Deactivate() {
    session.plugin->stop_processing(session.Get());
    session.plugin->deactivate(session.Get());
  }
  bool Activate() { return session.plugin->activate(session.Get(), 48000.0, 1, 512); }

  ProbeSession session;
};

TEST_F(LatencyChange, RequestsARestartAndTakesEffectAtTheNextActivation) {
  session.api->RequestLatency(64);
  EXPECT_EQ(session.host.Count("request_restart"), 1);
  EXPECT_EQ(Latency(), 0u);
  Deactivate();
  EXPECT_EQ(Latency(), 0u);
  EXPECT_EQ(session.host.Count("latency.changed"), 0);
  ASSERT_TRUE(Activate());
  EXPECT_EQ(Latency(), 64u);
  EXPECT_EQ(session.host.Count("latency.changed"), 1);
  EXPECT_EQ(session.host.Count("request_restart"), 1);
}

TEST_F(LatencyChange, AsksForOneRestartUntilItHappens) {
  session.api->RequestLatency(64);
  session.api->RequestLatency(96);
  EXPECT_EQ(session.host.Count("request_restart"), 1);
  Deactivate();
  ASSERT_TRUE(Activate());
  EXPECT_EQ(Latency(), 96u);
  EXPECT_EQ(session.host.Count("latency.changed"), 1);
  session.api->RequestLatency(64);
  EXPECT_EQ(session.host.Count("request_restart"), 2);
}

TEST_F(LatencyChange, ThatEndsWhereItStartedTellsTheHostNothing) {
  session.api->RequestLatency(0);
  EXPECT_EQ(session.host.Count("request_restart"), 0);
  session.api->RequestLatency(64);
  session.api->RequestLatency(0);
  Deactivate();
  ASSERT_TRUE(Activate());
  EXPECT_EQ(Latency(), 0u);
  EXPECT_EQ(session.host.Count("latency.changed"), 0);
}

TEST_F(LatencyChange, WhileInactiveWaitsForTheNextActivationWithoutARestart) {
  Deactivate();
  session.api->RequestLatency(64);
  EXPECT_EQ(session.host.Count("request_restart"), 0);
  ASSERT_TRUE(Activate());
  EXPECT_EQ(Latency(), 64u);
  EXPECT_EQ(session.host.Count("latency.changed"), 1);
}

}  // namespace
