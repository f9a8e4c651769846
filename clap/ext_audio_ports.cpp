#include "clap/clap_plugin.h"
#include "clap/entry_point.h"
#include "clap/extensions.h"
#include "clap/port_types.h"
#include "framework/text.h"

namespace fw {
namespace {

constexpr uint32_t kPortFlags = CLAP_AUDIO_PORT_SUPPORTS_64BITS | CLAP_AUDIO_PORT_PREFERS_64BITS |
                                CLAP_AUDIO_PORT_REQUIRES_COMMON_SAMPLE_SIZE;

BusDirection DirectionOf(bool isInput) {
  return isInput ? BusDirection::Input : BusDirection::Output;
}

const ChannelIOConfig* Selected(const ClapPlugin& plugin) {
  const std::vector<ChannelIOConfig>& configs = plugin.Configs();
  const auto index = static_cast<std::size_t>(plugin.SelectedConfig());
  return index < configs.size() ? &configs[index] : nullptr;
}

uint32_t Count(ClapPlugin& plugin, bool isInput) {
  const ChannelIOConfig* config = Selected(plugin);
  return config ? static_cast<uint32_t>(config->Buses(DirectionOf(isInput)).size()) : 0;
}

bool Get(ClapPlugin& plugin, uint32_t index, bool isInput, clap_audio_port_info_t* info) {
  if (!info || index >= Count(plugin, isInput)) return false;
  const BusDirection direction = DirectionOf(isInput);
  const int32_t buses = static_cast<int32_t>(Count(plugin, isInput));
  const int32_t channels =
      plugin.BusChannelCount(direction, static_cast<int32_t>(index), plugin.SelectedConfig());
  *info = clap_audio_port_info_t{};
  info->id = index;
  CopyText(info->name, plugin.BusName(direction, static_cast<int32_t>(index), buses).c_str());
  info->flags = kPortFlags | (index == 0 ? CLAP_AUDIO_PORT_IS_MAIN : 0u);
  info->channel_count = static_cast<uint32_t>(channels);
  info->port_type = PortTypeFor(channels);
  info->in_place_pair = CLAP_INVALID_ID;
  return true;
}

constexpr clap_plugin_audio_ports_t kAudioPorts{kEntry<Count>, kEntry<Get>};

}  // namespace

const clap_plugin_audio_ports_t* AudioPortsExtension() { return &kAudioPorts; }

}  // namespace fw
