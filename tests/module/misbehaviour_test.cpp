// A host that calls out of order, hands over broken records or streams that fail:
// every call answers (or refuses) and nothing crashes or loses what was saved.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/host/test_host.h"
#include "tests/probe/probe_api.h"

namespace {

using testhost::AudioBlock;
using testhost::InitialisedModule;
using testhost::MemoryIStream;
using testhost::MemoryOStream;
using testhost::Offer;
using testhost::Plugin;
using testhost::TestHost;

std::vector<double> SavedValues(const Plugin& plugin) {
  const auto* state = plugin.Extension<clap_plugin_state_t>(CLAP_EXT_STATE);
  MemoryOStream out;
  EXPECT_TRUE(state->save(plugin.get(), out.Stream()));
  return testhost::StateValues(out.Bytes());
}

TEST(Misbehaviour, CallsOutOfOrder) {
  InitialisedModule module;
  TestHost host;
  Plugin plugin(module, host);
  const clap_plugin_t* p = plugin.get();
  AudioBlock block({2}, {2}, 64);
  clap_process_t process = block.Process();
  testhost::InputEvents in;
  testhost::OutputEvents out;
  const auto* params = plugin.Extension<clap_plugin_params_t>(CLAP_EXT_PARAMS);

  // Before init and activation.
  p->reset(p);
  p->deactivate(p);
  p->stop_processing(p);
  EXPECT_EQ(p->process(p, &process), CLAP_PROCESS_ERROR);
  in.AddParamValue(1, 0.25);
  params->flush(p, in.List(), out.List());  // an inactive flush is the host's right
  double value = 0;
  ASSERT_TRUE(params->get_value(p, 1, &value));
  EXPECT_EQ(value, 0.25);
  p->on_main_thread(p);

  ASSERT_TRUE(p->init(p));
  ASSERT_TRUE(p->init(p));  // a second init looks the host up again
  EXPECT_TRUE(p->start_processing(p));
  EXPECT_EQ(p->process(p, &process), CLAP_PROCESS_ERROR);  // processing, but not active
  ASSERT_TRUE(p->activate(p, 48000, 1, 64));
  EXPECT_FALSE(p->activate(p, 44100, 1, 128));
  EXPECT_EQ(p->process(p, &process), CLAP_PROCESS_CONTINUE);
  p->deactivate(p);
  p->deactivate(p);
  EXPECT_EQ(p->process(p, &process), CLAP_PROCESS_ERROR);
  ASSERT_TRUE(p->activate(p, 44100, 1, 128));
  EXPECT_TRUE(p->start_processing(p));
  // Destroyed while active and processing: it deactivates itself first.
  plugin.Destroy();
}

TEST(Misbehaviour, RecordsWithoutAnInstance) {
  InitialisedModule module;
  TestHost host;
  Plugin plugin(module, host);
  clap_plugin_t orphan = *plugin.get();
  orphan.plugin_data = nullptr;
  EXPECT_FALSE(orphan.init(&orphan));
  EXPECT_FALSE(orphan.activate(&orphan, 48000, 1, 64));
  EXPECT_FALSE(orphan.start_processing(&orphan));
  EXPECT_EQ(orphan.process(&orphan, nullptr), CLAP_PROCESS_ERROR);
  EXPECT_EQ(orphan.get_extension(&orphan, CLAP_EXT_PARAMS), nullptr);
  orphan.on_main_thread(&orphan);
  orphan.reset(&orphan);
  orphan.deactivate(&orphan);
  orphan.destroy(&orphan);

  const auto* params = plugin.Extension<clap_plugin_params_t>(CLAP_EXT_PARAMS);
  EXPECT_EQ(params->count(nullptr), 0u);
  EXPECT_EQ(params->count(&orphan), 0u);
  double value;
  EXPECT_FALSE(params->get_value(&orphan, 0, &value));
  const auto* state = plugin.Extension<clap_plugin_state_t>(CLAP_EXT_STATE);
  MemoryOStream out;
  EXPECT_FALSE(state->save(nullptr, out.Stream()));
  const auto* ports = plugin.Extension<clap_plugin_audio_ports_t>(CLAP_EXT_AUDIO_PORTS);
  EXPECT_EQ(ports->count(&orphan, true), 0u);
}

TEST(Misbehaviour, HostRecordWithHolesAndOddTexts) {
  InitialisedModule module(testhost::ProbeModulePath());
  TestHost host({.threadCheck = Offer::Absent});
  clap_host_t broken = *host.Host();
  broken.name = nullptr;
  broken.vendor = nullptr;
  broken.version = nullptr;
  broken.request_callback = nullptr;
  broken.request_restart = nullptr;
  broken.request_process = nullptr;
  const clap_plugin_factory_t* factory = module.PluginFactory();
  const clap_plugin_t* p = factory->create_plugin(factory, &broken, probe::kPluginId);
  ASSERT_NE(p, nullptr);
  ASSERT_TRUE(p->init(p));
  ASSERT_TRUE(p->activate(p, 48000, 1, 64));
  probe::Api* api = probe::Of(p);
  EXPECT_EQ(api->HostKind(), 0);
  api->RequestLatency(10);      // would ask for a restart
  api->EditorBeginsGesture(0);  // would ask for a callback
  p->on_main_thread(p);
  p->destroy(p);
}

TEST(Misbehaviour, StreamsThatFailKeepTheState) {
  InitialisedModule module;
  TestHost host;
  Plugin plugin(module, host);
  ASSERT_TRUE(plugin->init(plugin.get()));
  const auto* state = plugin.Extension<clap_plugin_state_t>(CLAP_EXT_STATE);
  std::vector<double> values = SavedValues(plugin);
  values[1] = 0.8;
  values[7] = 0.6;
  MemoryIStream good(testhost::StateBytes(values));
  ASSERT_TRUE(state->load(plugin.get(), good.Stream()));
  const std::vector<double> saved = SavedValues(plugin);

  // A write that fails mid-way answers false; the instance keeps its state.
  MemoryOStream failing(40, 2);
  EXPECT_FALSE(state->save(plugin.get(), failing.Stream()));
  EXPECT_EQ(SavedValues(plugin), saved);

  // A read error, anywhere, changes nothing.
  std::vector<double> other = values;
  other[1] = 0.1;
  for (int failAt : {0, 1}) {
    MemoryIStream broken(testhost::StateBytes(other), {100}, failAt);
    EXPECT_FALSE(state->load(plugin.get(), broken.Stream()));
    EXPECT_EQ(SavedValues(plugin), saved) << failAt;
  }
  // Null streams and streams without functions.
  EXPECT_FALSE(state->save(plugin.get(), nullptr));
  EXPECT_FALSE(state->load(plugin.get(), nullptr));
  clap_ostream_t noWrite{nullptr, nullptr};
  clap_istream_t noRead{nullptr, nullptr};
  EXPECT_FALSE(state->save(plugin.get(), &noWrite));
  EXPECT_FALSE(state->load(plugin.get(), &noRead));
  EXPECT_EQ(SavedValues(plugin), saved);
}

TEST(Misbehaviour, EditorAndPresetCallsOnAnUninitialisedInstance) {
  InitialisedModule module;
  TestHost host;
  Plugin plugin(module, host);
  EXPECT_EQ(plugin->get_extension(plugin.get(), CLAP_EXT_GUI), nullptr);
  const auto* presets = plugin.Extension<clap_plugin_preset_load_t>(CLAP_EXT_PRESET_LOAD);
  ASSERT_NE(presets, nullptr);
  EXPECT_FALSE(
      presets->from_location(plugin.get(), CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN, nullptr, "0"));
  EXPECT_FALSE(presets->from_location(plugin.get(), CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN, nullptr,
                                      nullptr));
  EXPECT_FALSE(
      presets->from_location(plugin.get(), CLAP_PRESET_DISCOVERY_LOCATION_FILE, "/tmp/x", "0"));
  const auto* params = plugin.Extension<clap_plugin_params_t>(CLAP_EXT_PARAMS);
  clap_param_info_t info;
  EXPECT_FALSE(params->get_info(plugin.get(), 19, &info));
  EXPECT_FALSE(params->get_info(plugin.get(), 0, nullptr));
  char text[8];
  EXPECT_FALSE(params->value_to_text(plugin.get(), 0, 0.5, nullptr, 8));
  EXPECT_FALSE(params->value_to_text(plugin.get(), 0, 0.5, text, 0));
  double value;
  EXPECT_FALSE(params->text_to_value(plugin.get(), 0, nullptr, &value));
  EXPECT_FALSE(params->text_to_value(plugin.get(), 0, "1", nullptr));
  params->flush(plugin.get(), nullptr, nullptr);
}

}  // namespace
