#include "clap/clap_plugin.h"
#include "clap/entry_point.h"
#include "clap/extensions.h"
#include "clap/preset_key.h"

namespace fw {
namespace {

bool FromLocation(ClapPlugin& plugin, uint32_t kind, const char* location, const char* key) {
  const bool wellFormed = kind == CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN && !location;
  const std::optional<int32_t> index = wellFormed ? ParsePresetKey(key) : std::nullopt;
  const PresetSlot* slot = index ? plugin.Preset(*index) : nullptr;
  const clap_host_t* host = plugin.Host().host;
  if (slot && slot->initialized && plugin.ApplyPreset(*index)) {
    if (plugin.HostParamsUsable()) plugin.Host().params->rescan(host, CLAP_PARAM_RESCAN_VALUES);
    if (plugin.HostPresetLoadUsable()) plugin.Host().presetLoad->loaded(host, kind, location, key);
    return true;
  }
  if (plugin.HostPresetLoadUsable()) {
    plugin.Host().presetLoad->on_error(host, kind, location, key, 0, "Unknown factory preset");
  }
  return false;
}

constexpr clap_plugin_preset_load_t kPresetLoad{kEntry<FromLocation>};

}  // namespace

const clap_plugin_preset_load_t* PresetLoadExtension() { return &kPresetLoad; }

}  // namespace fw
