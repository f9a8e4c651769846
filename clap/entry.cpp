// The module's exported entry and plug-in factory, and the module-wide state behind them.
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <type_traits>

#include "clap/abi.h"
#include "clap/preset_discovery.h"
#include "clap/product.h"

namespace fw {
namespace {

// Module-wide state. It has no destructor, so a host's late deinit from an exit handler
// still finds it intact; what it owns is freed by the last deinit.
struct ModuleState {
  std::mutex lock;  // plain, usable before any initialisation
  uint32_t referenceCount = 0;
  char* path = nullptr;  // a copy of what the first successful init received
  clap_plugin_descriptor_t* descriptor = nullptr;
};

constinit ModuleState theModule;
static_assert(std::is_trivially_destructible_v<ModuleState>);

ModuleState& Module() {
  return theModule;
}

void ForgetPath(ModuleState& state) {
  std::free(state.path);
  state.path = nullptr;
}

constexpr clap_version_t kVersion{CLAP_VERSION_MAJOR, CLAP_VERSION_MINOR, CLAP_VERSION_REVISION};

void Describe(clap_plugin_descriptor_t& descriptor) {
  const ProductInfo& product = Product();
  descriptor.clap_version = kVersion;
  descriptor.id = product.id;
  descriptor.name = product.name;
  descriptor.vendor = product.vendor;
  descriptor.url = product.url;
  descriptor.manual_url = "";
  descriptor.support_url = product.url;
  descriptor.version = product.version;
  descriptor.description = product.description;
  descriptor.features = product.features;
}

bool Init(const char* path) {
  if (!path || *path == '\0') return false;
  ModuleState& module = Module();
  std::lock_guard guard(module.lock);
  if (module.referenceCount != 0) {
    // A second initialisation from another path is refused and changes nothing.
    if (std::strcmp(module.path, path) != 0) return false;
    ++module.referenceCount;
    return true;
  }
  ForgetPath(module);
  module.path = strdup(path);
  auto* descriptor = new (std::nothrow) clap_plugin_descriptor_t{};
  delete module.descriptor;
  module.descriptor = descriptor;
  if (!descriptor || !module.path) {
    ForgetPath(module);
    delete module.descriptor;
    module.descriptor = nullptr;
    return false;
  }
  Describe(*descriptor);
  module.referenceCount = 1;
  return true;
}

void Deinit() {
  ModuleState& module = Module();
  std::lock_guard guard(module.lock);
  if (module.referenceCount == 0) return;
  if (--module.referenceCount == 0) {
    ForgetPath(module);
    delete module.descriptor;
    module.descriptor = nullptr;
  }
}

uint32_t PluginCount(const clap_plugin_factory_t*) {
  return 1;
}

const clap_plugin_descriptor_t* PluginDescriptor(const clap_plugin_factory_t*, uint32_t index) {
  ModuleState& module = Module();
  std::lock_guard guard(module.lock);
  return index == 0 && module.referenceCount > 0 ? module.descriptor : nullptr;
}

const clap_plugin_t* CreatePlugin(const clap_plugin_factory_t*, const clap_host_t* host,
                                  const char* pluginId) {
  ModuleState& module = Module();
  std::lock_guard guard(module.lock);
  if (!host || !pluginId || !module.descriptor || module.referenceCount == 0 ||
      host->clap_version.major < 1 || std::strcmp(pluginId, module.descriptor->id) != 0) {
    return nullptr;
  }
  ClapPlugin* instance = CreatePluginInstance({module.descriptor, host, false});
  return instance ? instance->Record() : nullptr;
}

uint32_t ProviderCount(const clap_preset_discovery_factory_t*) {
  return 1;
}

const clap_preset_discovery_provider_descriptor_t* ProviderDescriptor(
    const clap_preset_discovery_factory_t*, uint32_t index) {
  return index == 0 ? PresetProvider::Descriptor() : nullptr;
}

const clap_preset_discovery_provider_t* CreateProvider(
    const clap_preset_discovery_factory_t*, const clap_preset_discovery_indexer_t* indexer,
    const char* providerId) {
  ModuleState& module = Module();
  std::lock_guard guard(module.lock);
  if (module.referenceCount == 0 || !indexer || !indexer->declare_location ||
      indexer->clap_version.major < 1 || !providerId ||
      std::strcmp(providerId, Product().id) != 0) {
    return nullptr;
  }
  auto* provider = new (std::nothrow) PresetProvider(indexer, module.descriptor);
  return provider ? provider->Record() : nullptr;
}

const clap_preset_discovery_factory_t kPresetDiscoveryFactory{ProviderCount, ProviderDescriptor,
                                                              CreateProvider};

const void* GetFactory(const char* factoryId);

}  // namespace
}  // namespace fw

extern "C" {

__attribute__((visibility("default"))) extern const clap_plugin_factory_t clap_factory;
__attribute__((visibility("default"))) extern const clap_plugin_entry_t clap_entry;

const clap_plugin_factory_t clap_factory{fw::PluginCount, fw::PluginDescriptor, fw::CreatePlugin};
const clap_plugin_entry_t clap_entry{fw::kVersion, fw::Init, fw::Deinit, fw::GetFactory};

}  // extern "C"

namespace fw {
namespace {

const void* GetFactory(const char* factoryId) {
  ModuleState& module = Module();
  std::lock_guard guard(module.lock);
  if (module.referenceCount == 0 || !factoryId) return nullptr;
  if (std::strcmp(factoryId, CLAP_PLUGIN_FACTORY_ID) == 0) return &clap_factory;
  if (std::strcmp(factoryId, CLAP_PRESET_DISCOVERY_FACTORY_ID) == 0 ||
      std::strcmp(factoryId, CLAP_PRESET_DISCOVERY_FACTORY_ID_COMPAT) == 0) {
    return &kPresetDiscoveryFactory;
  }
  return nullptr;
}

}  // namespace
}  // namespace fw
