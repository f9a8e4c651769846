// The module entry and the plug-in and preset-discovery factories, as a host meets them.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <set>
#include <string>

#include "tests/host/test_host.h"

namespace {

using testhost::HalvernModulePath;
using testhost::Module;

TEST(ModuleEntry, DescriptorDescribesTheReverb) {
  testhost::InitialisedModule module;
  const clap_plugin_entry_t& entry = module.Entry();
  EXPECT_EQ(entry.clap_version.major, 1u);
  EXPECT_EQ(entry.clap_version.minor, 2u);
  EXPECT_EQ(entry.clap_version.revision, 10u);

  const clap_plugin_factory_t* factory = module.PluginFactory();
  ASSERT_NE(factory, nullptr);
  EXPECT_EQ(factory->get_plugin_count(factory), 1u);
  const clap_plugin_descriptor_t* d = factory->get_plugin_descriptor(factory, 0);
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(d->clap_version.major, 1u);
  EXPECT_EQ(d->clap_version.minor, 2u);
  EXPECT_EQ(d->clap_version.revision, 10u);
  EXPECT_STREQ(d->id, "com.brackwateraudio.halvern");
  EXPECT_STREQ(d->name, "Halvern");
  EXPECT_STREQ(d->vendor, "Brackwater Audio");
  ASSERT_NE(d->url, nullptr);
  EXPECT_GT(std::strlen(d->url), 0u);
  ASSERT_NE(d->manual_url, nullptr);
  EXPECT_STREQ(d->manual_url, "");
  EXPECT_STREQ(d->support_url, d->url);
  EXPECT_STREQ(d->version, "4.1.2");
  EXPECT_STREQ(d->description, "Halvern audio plug-in");
  ASSERT_NE(d->features, nullptr);
  std::vector<std::string> features;
  for (const char* const* f = d->features; *f; ++f)
    features.push_back(*f);
  EXPECT_EQ(features, (std::vector<std::string>{"audio-effect", "reverb", "stereo"}));
  EXPECT_EQ(factory->get_plugin_descriptor(factory, 1), nullptr);
}

TEST(ModuleEntry, ReferenceCountKeepsTheModuleUntilTheLastDeinit) {
  Module module(HalvernModulePath());
  const clap_plugin_entry_t& entry = module.Entry();
  // Before init: no factory, but the count answers all the same.
  EXPECT_EQ(entry.get_factory(CLAP_PLUGIN_FACTORY_ID), nullptr);
  entry.deinit();  // without init: nothing happens
  ASSERT_TRUE(module.Init());
  ASSERT_TRUE(module.Init());
  const clap_plugin_factory_t* factory = module.PluginFactory();
  ASSERT_NE(factory, nullptr);
  module.Deinit();
  EXPECT_NE(factory->get_plugin_descriptor(factory, 0), nullptr);
  module.Deinit();
  EXPECT_EQ(factory->get_plugin_descriptor(factory, 0), nullptr);
  EXPECT_EQ(factory->get_plugin_count(factory), 1u);
  EXPECT_EQ(entry.get_factory(CLAP_PLUGIN_FACTORY_ID), nullptr);
  module.Deinit();  // once more than init: still nothing
  EXPECT_EQ(entry.get_factory(CLAP_PLUGIN_FACTORY_ID), nullptr);
}

TEST(ModuleEntry, InitRefusesBadPathsAndASecondPath) {
  Module module(HalvernModulePath());
  const clap_plugin_entry_t& entry = module.Entry();
  EXPECT_FALSE(entry.init(nullptr));
  EXPECT_FALSE(entry.init(""));
  EXPECT_EQ(entry.get_factory(CLAP_PLUGIN_FACTORY_ID), nullptr);

  ASSERT_TRUE(module.Init());
  const std::string other = module.Path() + ".other";
  EXPECT_FALSE(entry.init(other.c_str()));
  // The refusal changed nothing: one deinit still closes the module.
  module.Deinit();
  EXPECT_EQ(entry.get_factory(CLAP_PLUGIN_FACTORY_ID), nullptr);
  // A different path is accepted once the module is closed again.
  ASSERT_TRUE(entry.init(other.c_str()));
  entry.deinit();
}

TEST(ModuleEntry, FactoriesByExactId) {
  testhost::InitialisedModule module;
  const clap_plugin_entry_t& entry = module.Entry();
  const void* plugins = entry.get_factory(CLAP_PLUGIN_FACTORY_ID);
  const void* presets = entry.get_factory(CLAP_PRESET_DISCOVERY_FACTORY_ID);
  EXPECT_NE(plugins, nullptr);
  EXPECT_EQ(plugins, module.Symbol("clap_factory"));
  EXPECT_NE(presets, nullptr);
  EXPECT_EQ(entry.get_factory(CLAP_PRESET_DISCOVERY_FACTORY_ID_COMPAT), presets);
  for (const char* id :
       {"clap.plugin-factory ", "CLAP.PLUGIN-FACTORY", "clap.preset-discovery-factory", ""}) {
    EXPECT_EQ(entry.get_factory(id), nullptr) << id;
  }
  EXPECT_EQ(entry.get_factory(nullptr), nullptr);
}

TEST(ModuleEntry, CreatePluginChecksHostAndId) {
  testhost::InitialisedModule module;
  const clap_plugin_factory_t* factory = module.PluginFactory();
  testhost::TestHost host;
  EXPECT_EQ(factory->create_plugin(factory, nullptr, "com.brackwateraudio.halvern"), nullptr);
  EXPECT_EQ(factory->create_plugin(factory, host.Host(), nullptr), nullptr);
  EXPECT_EQ(factory->create_plugin(factory, host.Host(), "com.brackwateraudio.Halvern"), nullptr);
  EXPECT_EQ(factory->create_plugin(factory, host.Host(), "com.brackwateraudio.halver"), nullptr);

  clap_host_t old = *host.Host();
  old.clap_version.major = 0;
  EXPECT_EQ(factory->create_plugin(factory, &old, "com.brackwateraudio.halvern"), nullptr);

  const clap_plugin_t* plugin =
      factory->create_plugin(factory, host.Host(), "com.brackwateraudio.halvern");
  ASSERT_NE(plugin, nullptr);
  EXPECT_EQ(plugin->desc, factory->get_plugin_descriptor(factory, 0));
  plugin->destroy(plugin);
}

TEST(ModuleEntry, PresetDiscoveryFactory) {
  testhost::InitialisedModule module;
  const clap_preset_discovery_factory_t* factory = module.PresetDiscoveryFactory();
  ASSERT_NE(factory, nullptr);
  EXPECT_EQ(factory->count(factory), 1u);
  const clap_preset_discovery_provider_descriptor_t* d = factory->get_descriptor(factory, 0);
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(d->clap_version.major, 1u);
  EXPECT_EQ(d->clap_version.minor, 2u);
  EXPECT_EQ(d->clap_version.revision, 10u);
  EXPECT_STREQ(d->id, "com.brackwateraudio.halvern");
  EXPECT_STREQ(d->name, "Halvern Factory Presets");
  EXPECT_STREQ(d->vendor, "Brackwater Audio");
  EXPECT_EQ(factory->get_descriptor(factory, 1), nullptr);

  testhost::PresetIndexer indexer;
  testhost::PresetIndexer noDeclare(true, false);
  EXPECT_EQ(factory->create(factory, noDeclare.Indexer(), d->id), nullptr);
  EXPECT_EQ(factory->create(factory, nullptr, d->id), nullptr);
  EXPECT_EQ(factory->create(factory, indexer.Indexer(), nullptr), nullptr);
  EXPECT_EQ(factory->create(factory, indexer.Indexer(), "com.brackwateraudio.other"), nullptr);
  clap_preset_discovery_indexer_t old = *indexer.Indexer();
  old.clap_version.major = 0;
  EXPECT_EQ(factory->create(factory, &old, d->id), nullptr);

  const clap_preset_discovery_provider_t* provider =
      factory->create(factory, indexer.Indexer(), d->id);
  ASSERT_NE(provider, nullptr);
  EXPECT_EQ(provider->desc, d);
  provider->destroy(provider);
}

TEST(ModuleEntry, ExportsOnlyTheEntryAndTheFactory) {
  const std::string command = std::string("nm -D --defined-only '") + HalvernModulePath() + "'";
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  ASSERT_NE(pipe, nullptr);
  std::set<std::string> symbols;
  char line[512];
  while (std::fgets(line, sizeof line, pipe.get())) {
    std::string text(line);
    const std::size_t space = text.find_last_of(' ');
    symbols.insert(text.substr(space + 1, text.find_last_not_of("\n") - space));
  }
  EXPECT_EQ(symbols, (std::set<std::string>{"clap_entry", "clap_factory"}));
}

}  // namespace
