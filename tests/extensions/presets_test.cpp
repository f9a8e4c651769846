// Factory presets: the preset-discovery provider that lists the initialised preset
// slots, and "clap.preset-load/2", which applies one by its key.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/extensions/session.h"

namespace {

using exttest::ProbeSession;
using exttest::Session;
using testhost::HostCall;
using testhost::InitialisedModule;
using testhost::PresetIndexer;
using testhost::PresetReceiver;

// A provider of the module's preset-discovery factory, destroyed with the object.
class Provider {
 public:
  Provider(const InitialisedModule& module, const PresetIndexer& indexer, const char* id) {
    const clap_preset_discovery_factory_t* factory = module.PresetDiscoveryFactory();
    provider_ = factory->create(factory, indexer.Indexer(), id);
  }
  ~Provider() {
    if (provider_) provider_->destroy(provider_);
  }
  Provider(const Provider&) = delete;
  Provider& operator=(const Provider&) = delete;

  bool Created() const { return provider_ != nullptr; }
  bool Init() const { return provider_->init(provider_); }
  bool Metadata(const PresetReceiver& receiver,
                uint32_t kind = CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN,
                const char* location = nullptr) const {
    return provider_->get_metadata(provider_, kind, location, receiver.Receiver());
  }

 private:
  const clap_preset_discovery_provider_t* provider_ = nullptr;
};

constexpr const char* kHalvernId = "com.brackwateraudio.halvern";

TEST(PresetDiscovery, HalvernDeclaresNoLocationAndListsNothing) {
  InitialisedModule module;
  PresetIndexer indexer;
  Provider provider(module, indexer, kHalvernId);
  ASSERT_TRUE(provider.Created());
  PresetReceiver receiver;
  EXPECT_FALSE(provider.Metadata(receiver));  // before init
  ASSERT_TRUE(provider.Init());
  EXPECT_TRUE(indexer.Locations().empty());
  EXPECT_TRUE(provider.Metadata(receiver));
  EXPECT_TRUE(receiver.Presets().empty());
}

TEST(PresetDiscovery, TheProbeListsItsTwoInitialisedSlotsInOneFactoryLocation) {
  InitialisedModule module(testhost::ProbeModulePath());
  PresetIndexer indexer;
  Provider provider(module, indexer, probe::kPluginId);
  ASSERT_TRUE(provider.Init());
  ASSERT_TRUE(provider.Init());  // a second init keeps the first scan
  ASSERT_EQ(indexer.Locations().size(), 1u);
  const clap_preset_discovery_location_t& location = indexer.Locations()[0];
  EXPECT_EQ(location.kind, CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN);
  EXPECT_EQ(location.flags, CLAP_PRESET_DISCOVERY_IS_FACTORY_CONTENT);
  EXPECT_STREQ(location.name, "Factory Presets");
  EXPECT_EQ(location.location, nullptr);

  PresetReceiver receiver;
  ASSERT_TRUE(provider.Metadata(receiver));
  ASSERT_EQ(receiver.Presets().size(), 2u);
  const char* keys[] = {"0", "2"};
  const char* names[] = {"user preset 1", "user preset 2"};
  for (std::size_t i = 0; i < 2; ++i) {
    const PresetReceiver::Preset& preset = receiver.Presets()[i];
    EXPECT_EQ(preset.loadKey, keys[i]);
    EXPECT_EQ(preset.name, names[i]);
    EXPECT_EQ(preset.pluginIds, std::vector<std::string>{"clap:com.brackwateraudio.probe"});
    EXPECT_EQ(preset.flags, CLAP_PRESET_DISCOVERY_IS_FACTORY_CONTENT);
  }
  // Only plug-in locations, and no file path for them.
  PresetReceiver other;
  EXPECT_FALSE(provider.Metadata(other, CLAP_PRESET_DISCOVERY_LOCATION_FILE));
  EXPECT_FALSE(provider.Metadata(other, CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN, "/tmp"));
  EXPECT_TRUE(other.Presets().empty());
}

TEST(PresetDiscovery, AReceiverThatRefusesThePresetEndsTheListing) {
  InitialisedModule module(testhost::ProbeModulePath());
  PresetIndexer indexer;
  Provider provider(module, indexer, probe::kPluginId);
  ASSERT_TRUE(provider.Init());
  PresetReceiver refusesFirst(0);
  EXPECT_FALSE(provider.Metadata(refusesFirst));
  EXPECT_TRUE(refusesFirst.Presets().empty());
  PresetReceiver refusesSecond(1);
  EXPECT_FALSE(provider.Metadata(refusesSecond));
  EXPECT_EQ(refusesSecond.Presets().size(), 1u);
}

TEST(PresetDiscovery, AnIndexerThatRefusesTheLocationLeavesTheProviderToScanAgain) {
  InitialisedModule module(testhost::ProbeModulePath());
  PresetIndexer indexer(false);
  Provider provider(module, indexer, probe::kPluginId);
  EXPECT_FALSE(provider.Init());
  PresetReceiver receiver;
  EXPECT_FALSE(provider.Metadata(receiver));
  EXPECT_FALSE(provider.Init());
  EXPECT_EQ(indexer.Locations().size(), 2u);
}

std::vector<std::string> ErrorFor(const char* key) {
  return {"1", "(null)", key ? key : "(null)", "0", "Unknown factory preset"};
}

TEST(PresetLoad, HalvernRefusesEveryKeyAndSaysSo) {
  Session session;
  ASSERT_TRUE(session.plugin->init(session.Get()));
  const auto* load = session.Ext<clap_plugin_preset_load_t>(CLAP_EXT_PRESET_LOAD);
  ASSERT_NE(load, nullptr);
  const char* keys[] = {"3", "0", "03", "-1", "1a", "99999999999", " 1", "", nullptr};
  for (const char* key : keys) {
    session.host.ClearCalls();
    EXPECT_FALSE(
        load->from_location(session.Get(), CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN, nullptr, key))
        << key;
    const std::vector<HostCall> errors = session.host.Calls("preset_load.on_error");
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].args, ErrorFor(key));
    EXPECT_EQ(session.host.Count("params.rescan"), 0);
  }
}

class ProbePresetLoad : public ::testing::Test {
 protected:
  bool Load(const char* key, uint32_t kind = CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN,
            const char* location = nullptr) {
    return session.Ext<clap_plugin_preset_load_t>(CLAP_EXT_PRESET_LOAD)
        ->from_location(session.Get(), kind, location, key);
  }
  double Value(clap_id id) const {
    double value = -1;
    EXPECT_TRUE(
        session.Ext<clap_plugin_params_t>(CLAP_EXT_PARAMS)->get_value(session.Get(), id, &value));
    return value;
  }

  ProbeSession session;
};

TEST_F(ProbePresetLoad, AnInitialisedSlotIsAppliedAndReported) {
  ASSERT_TRUE(Load("2"));
  EXPECT_EQ(Value(0), 0.75);
  EXPECT_EQ(Value(1), 2);
  const std::vector<HostCall> rescans = session.host.Calls("params.rescan");
  ASSERT_EQ(rescans.size(), 1u);
  EXPECT_EQ(rescans[0].Arg(0), "1");
  const std::vector<HostCall> loaded = session.host.Calls("preset_load.loaded");
  ASSERT_EQ(loaded.size(), 1u);
  EXPECT_EQ(loaded[0].args, (std::vector<std::string>{"1", "(null)", "2"}));
  EXPECT_EQ(session.host.Count("preset_load.on_error"), 0);

  ASSERT_TRUE(Load("0"));
  EXPECT_EQ(Value(0), 0.25);
  EXPECT_EQ(Value(1), 0);
}

TEST_F(ProbePresetLoad, EmptySlotsUnknownSlotsAndOtherLocationsAreRefused) {
  const struct {
    const char* key;
    uint32_t kind;
    const char* location;
  } refused[] = {
      {"1", CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN, nullptr},
      {"3", CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN, nullptr},
      {"4", CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN, nullptr},
      {"2", CLAP_PRESET_DISCOVERY_LOCATION_FILE, nullptr},
      {"2", CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN, "/presets"},
  };
  for (const auto& r : refused) {
    SCOPED_TRACE(r.key);
    EXPECT_FALSE(Load(r.key, r.kind, r.location));
  }
  EXPECT_EQ(session.host.Count("preset_load.on_error"), static_cast<int>(std::size(refused)));
  EXPECT_EQ(session.host.Count("params.rescan"), 0);
  EXPECT_EQ(session.host.Count("preset_load.loaded"), 0);
  EXPECT_EQ(Value(0), 0.5);
  EXPECT_EQ(Value(1), 0);
}

}  // namespace
