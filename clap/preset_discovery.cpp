#include "clap/preset_discovery.h"

#include <memory>

#include "clap/product.h"

namespace fw {
namespace {

const clap_host_t kScanHost{
    {CLAP_VERSION_MAJOR, CLAP_VERSION_MINOR, CLAP_VERSION_REVISION},
    nullptr,
    "Preset discovery",
    "",
    "",
    "1.0.0",
    [](const clap_host_t*, const char*) -> const void* { return nullptr; },
    [](const clap_host_t*) {},
    [](const clap_host_t*) {},
    [](const clap_host_t*) {},
};

constexpr clap_preset_discovery_location_t kFactoryLocation{
    CLAP_PRESET_DISCOVERY_IS_FACTORY_CONTENT, "Factory Presets",
    CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN, nullptr};

PresetProvider* ProviderOf(const clap_preset_discovery_provider_t* record) {
  return record ? static_cast<PresetProvider*>(record->provider_data) : nullptr;
}

}  // namespace

struct ProviderEntryPoints {
  static bool Init(const clap_preset_discovery_provider_t* record) {
    PresetProvider* provider = ProviderOf(record);
    return provider && provider->Init();
  }
  static void Destroy(const clap_preset_discovery_provider_t* record) { delete ProviderOf(record); }
  static bool GetMetadata(const clap_preset_discovery_provider_t* record, uint32_t kind,
                          const char* location,
                          const clap_preset_discovery_metadata_receiver_t* receiver) {
    const PresetProvider* provider = ProviderOf(record);
    return provider && provider->GetMetadata(kind, location, receiver);
  }
  static const void* GetExtension(const clap_preset_discovery_provider_t*, const char*) {
    return nullptr;
  }
};

PresetProvider::PresetProvider(const clap_preset_discovery_indexer_t* indexer,
                               const clap_plugin_descriptor_t* descriptor)
    : record_{Descriptor(),
              this,
              ProviderEntryPoints::Init,
              ProviderEntryPoints::Destroy,
              ProviderEntryPoints::GetMetadata,
              ProviderEntryPoints::GetExtension},
      indexer_(indexer),
      descriptor_(descriptor) {}

const clap_preset_discovery_provider_descriptor_t* PresetProvider::Descriptor() {
  static const clap_preset_discovery_provider_descriptor_t descriptor{
      {CLAP_VERSION_MAJOR, CLAP_VERSION_MINOR, CLAP_VERSION_REVISION},
      Product().id,
      Product().presetProviderName,
      Product().vendor,
  };
  return &descriptor;
}

bool PresetProvider::Init() {
  if (initialized_) return true;
  try {
    if (!ScanPresets()) return false;
  } catch (...) {
    return false;
  }
  initialized_ = true;
  return true;
}

bool PresetProvider::ScanPresets() {
  std::unique_ptr<ClapPlugin> instance(
      CreatePluginInstance({descriptor_, &kScanHost, true}));
  if (!instance) return false;
  entries_.clear();
  for (int32_t i = 0; i < instance->PresetCount(); ++i) {
    if (instance->Preset(i)->initialized) {
      entries_.push_back({instance->PresetName(i), std::to_string(i)});
    }
  }
  instance.reset();
  return entries_.empty() || indexer_->declare_location(indexer_, &kFactoryLocation);
}

bool PresetProvider::GetMetadata(uint32_t kind, const char* location,
                                 const clap_preset_discovery_metadata_receiver_t* receiver) const {
  if (!initialized_ || kind != CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN || location || !receiver ||
      !receiver->begin_preset || !receiver->add_plugin_id) {
    return false;
  }
  const clap_universal_plugin_id_t pluginId{"clap", descriptor_->id};
  for (const Entry& entry : entries_) {
    if (!receiver->begin_preset(receiver, entry.name.c_str(), entry.loadKey.c_str())) return false;
    receiver->add_plugin_id(receiver, &pluginId);
    if (receiver->set_flags) receiver->set_flags(receiver, CLAP_PRESET_DISCOVERY_IS_FACTORY_CONTENT);
  }
  return true;
}

}  // namespace fw
