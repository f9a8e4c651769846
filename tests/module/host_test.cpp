// What the instance asks of its host: extension look-up and usability, the main-thread
// queue, logging, and host identification.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/host/test_host.h"
#include "tests/probe/probe_api.h"

namespace {

using testhost::HostConfig;
using testhost::InitialisedModule;
using testhost::Offer;
using testhost::Plugin;
using testhost::TestHost;

bool Logged(const TestHost& host, const std::string& message) {
  for (const testhost::HostCall& call : host.Calls("log")) {
    if (call.Arg(0) == "5" && call.Arg(1) == message) return true;
  }
  return false;
}

TEST(HostExtensions, LooksUpEveryExtensionOnceAtInitInOrder) {
  InitialisedModule module;
  TestHost host({.trackInfo = Offer::Full});
  Plugin plugin(module, host);
  ASSERT_TRUE(plugin->init(plugin.get()));
  std::vector<std::string> asked;
  for (const testhost::HostCall& call : host.Calls("get_extension"))
    asked.push_back(call.Arg(0));
  // With track info present, its draft id is not asked for; preset-load answers the final id.
  const std::vector<std::string> expected = {"clap.log",
                                             "clap.thread-check",
                                             "clap.thread-pool",
                                             "clap.audio-ports",
                                             "clap.audio-ports-config",
                                             "clap.note-ports",
                                             "clap.timer-support",
                                             "clap.posix-fd-support",
                                             "clap.resource-directory/1",
                                             "clap.latency",
                                             "clap.tail",
                                             "clap.gui",
                                             "clap.param-hovered/1",
                                             "clap.params",
                                             "clap.params-origin/1",
                                             "clap.track-info/1",
                                             "clap.state",
                                             "clap.note-name",
                                             "clap.remote-controls/2",
                                             "clap.remote-controls.draft/2",
                                             "clap.voice-info",
                                             "clap.context-menu/1",
                                             "clap.context-menu.draft/0",
                                             "clap.preset-load/2",
                                             "clap.undo/4",
                                             "clap.scratch-memory/1",
                                             "clap.mini-curve-display/3",
                                             "clap.webview/3",
                                             "clap.flush-events/1",
                                             "clap.background-progress/1",
                                             "clap.transport-control/2"};
  EXPECT_EQ(asked, expected);
}

TEST(HostExtensions, PartialRecordsAreLoggedAndNotUsed) {
  InitialisedModule module;
  TestHost host({.params = Offer::Partial,
                 .latency = Offer::Partial,
                 .trackInfo = Offer::Partial,
                 .presetLoad = Offer::Partial});
  Plugin plugin(module, host);
  ASSERT_TRUE(plugin->init(plugin.get()));
  EXPECT_TRUE(Logged(host, "clap_host_track_info is partially implemented"));
  EXPECT_EQ(host.Count("track_info.get"), 0);

  // A preset load needs the host's preset-load extension to report its failure.
  const auto* presets = plugin.Extension<clap_plugin_preset_load_t>(CLAP_EXT_PRESET_LOAD);
  ASSERT_NE(presets, nullptr);
  EXPECT_FALSE(
      presets->from_location(plugin.get(), CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN, nullptr, "0"));
  EXPECT_TRUE(Logged(host, "clap_host_preset_load is partially implemented"));
  EXPECT_EQ(host.Count("preset_load.on_error"), 0);

  // A state load ends with a rescan request, which needs rescan.
  const auto* state = plugin.Extension<clap_plugin_state_t>(CLAP_EXT_STATE);
  testhost::MemoryOStream saved;
  ASSERT_TRUE(state->save(plugin.get(), saved.Stream()));
  testhost::MemoryIStream stream(saved.Bytes());
  EXPECT_TRUE(state->load(plugin.get(), stream.Stream()));
  EXPECT_TRUE(Logged(host, "clap_host_params is partially implemented"));
}

TEST(HostExtensions, LatencyChangeWithAPartialHostRecordIsLogged) {
  InitialisedModule module(testhost::ProbeModulePath());
  TestHost host({.latency = Offer::Partial});
  Plugin plugin(module, host, probe::kPluginId);
  ASSERT_TRUE(plugin.Start());
  probe::Of(plugin.get())->RequestLatency(32);
  plugin->deactivate(plugin.get());
  ASSERT_TRUE(plugin->activate(plugin.get(), 48000, 1, 64));
  EXPECT_TRUE(Logged(host, "clap_host_latency is partially implemented"));
  const auto* latency = plugin.Extension<clap_plugin_latency_t>(CLAP_EXT_LATENCY);
  EXPECT_EQ(latency->get(plugin.get()), 32u);
}

TEST(HostExtensions, TrackChannelsChooseTheConfiguration) {
  InitialisedModule module;
  struct Case {
    bool answers;
    int32_t channels;
    uint32_t inputChannels;
  };
  // 1 selects "1-1"; 2 and anything unmatched fall back to "2-2".
  for (const Case& c : {Case{true, 1, 1}, Case{true, 2, 2}, Case{true, 6, 2}, Case{false, 1, 2}}) {
    TestHost host(
        {.trackInfo = Offer::Full, .trackInfoAnswers = c.answers, .trackChannels = c.channels});
    Plugin plugin(module, host);
    ASSERT_TRUE(plugin->init(plugin.get()));
    const auto* ports = plugin.Extension<clap_plugin_audio_ports_t>(CLAP_EXT_AUDIO_PORTS);
    clap_audio_port_info_t info{};
    ASSERT_TRUE(ports->get(plugin.get(), 0, true, &info));
    EXPECT_EQ(info.channel_count, c.inputChannels) << c.channels;
  }
}

TEST(HostExtensions, HostWithoutGetExtensionStillRuns) {
  InitialisedModule module;
  TestHost host({.hasGetExtension = false});
  Plugin plugin(module, host);
  ASSERT_TRUE(plugin.Start());
  testhost::AudioBlock block({2}, {2}, 64);
  clap_process_t process = block.Process();
  EXPECT_EQ(plugin->process(plugin.get(), &process), CLAP_PROCESS_CONTINUE);
  EXPECT_EQ(plugin->get_extension(plugin.get(), nullptr), nullptr);
}

TEST(MainThreadQueue, RunsAtOnceOnTheMainThreadAndOtherwiseWaitsForTheCallback) {
  InitialisedModule module(testhost::ProbeModulePath());
  for (Offer threadCheck : {Offer::Full, Offer::Absent}) {
    TestHost host({.threadCheck = threadCheck});
    Plugin plugin(module, host, probe::kPluginId);
    ASSERT_TRUE(plugin->init(plugin.get()));
    host.ClearCalls();
    probe::Of(plugin.get())->EditorBeginsGesture(0);
    if (threadCheck == Offer::Full) {
      EXPECT_EQ(host.Count("params.request_flush"), 1);
      EXPECT_EQ(host.Count("request_callback"), 0);
    } else {
      EXPECT_EQ(host.Count("params.request_flush"), 0);
      EXPECT_EQ(host.Count("request_callback"), 1);
      plugin->on_main_thread(plugin.get());
      EXPECT_EQ(host.Count("params.request_flush"), 1);
    }
  }
}

TEST(MainThreadQueue, AHostThatCallsBackFromInsideTheRequestDoesNotDeadlock) {
  InitialisedModule module(testhost::ProbeModulePath());
  TestHost host({.threadCheck = Offer::Absent, .callbackAtOnce = true});
  Plugin plugin(module, host, probe::kPluginId);
  ASSERT_TRUE(plugin->init(plugin.get()));
  probe::Of(plugin.get())->EditorBeginsGesture(1);
  EXPECT_EQ(host.Count("params.request_flush"), 1);
}

TEST(HostIdentity, NameAndVersionReachTheFramework) {
  InitialisedModule module(testhost::ProbeModulePath());
  struct Case {
    const char* name;
    const char* version;
    int32_t kind;
    int32_t number;
  };
  for (const Case& c :
       {Case{"REAPER", "7.1.2", 1, 459010}, Case{"Bitwig Studio", "5.2", 34, 328192},
        Case{"Example Host", "", 0, 0}, Case{"Olive Host", "banana", 9, 0}}) {
    TestHost host({.name = c.name, .version = c.version});
    Plugin plugin(module, host, probe::kPluginId);
    probe::Api* api = probe::Of(plugin.get());
    EXPECT_EQ(api->HostKind(), c.kind) << c.name;
    EXPECT_EQ(api->HostVersion(), c.number) << c.name;
  }
}

}  // namespace
