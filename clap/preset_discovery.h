#pragma once

#include <string>
#include <utility>
#include <vector>

#include "clap/abi.h"

namespace fw {

// The preset-discovery provider of the module: it lists the instance's initialised
// preset slots, read once from a throw-away instance, for the host's preset browser.
class PresetProvider {
 public:
  PresetProvider(const clap_preset_discovery_indexer_t* indexer,
                 const clap_plugin_descriptor_t* descriptor);
  PresetProvider(const PresetProvider&) = delete;
  PresetProvider& operator=(const PresetProvider&) = delete;

  const clap_preset_discovery_provider_t* Record() const { return &record_; }

  static const clap_preset_discovery_provider_descriptor_t* Descriptor();

 private:
  struct Entry {
    std::string name;
    std::string loadKey;
  };

  bool Init();
  bool GetMetadata(uint32_t kind, const char* location,
                   const clap_preset_discovery_metadata_receiver_t* receiver) const;
  bool ScanPresets();

  clap_preset_discovery_provider_t record_;
  const clap_preset_discovery_indexer_t* indexer_;
  const clap_plugin_descriptor_t* descriptor_;
  std::vector<Entry> entries_;
  bool initialized_ = false;

  friend struct ProviderEntryPoints;
};

}  // namespace fw
