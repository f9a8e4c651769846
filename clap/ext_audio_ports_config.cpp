#include <string>

#include "clap/clap_plugin.h"
#include "clap/entry_point.h"
#include "clap/extensions.h"
#include "clap/port_types.h"
#include "framework/text.h"

namespace fw {
namespace {

// A configuration written back in the channel I/O grammar, e.g. "2.1-2".
std::string ConfigName(const ChannelIOConfig& config) {
  auto side = [](const std::vector<BusInfo>& buses) {
    if (buses.empty()) return std::string("0");
    std::string text;
    for (const BusInfo& bus : buses) {
      if (!text.empty()) text += '.';
      text += std::to_string(bus.channelCount);
    }
    return text;
  };
  return side(config.inputs) + "-" + side(config.outputs);
}

uint32_t Count(ClapPlugin& plugin) { return static_cast<uint32_t>(plugin.Configs().size()); }

bool Get(ClapPlugin& plugin, uint32_t index, clap_audio_ports_config_t* out) {
  if (!out || index >= Count(plugin)) return false;
  const ChannelIOConfig& config = plugin.Configs()[index];
  *out = clap_audio_ports_config_t{};
  out->id = index;
  CopyText(out->name, ConfigName(config).c_str());
  out->input_port_count = static_cast<uint32_t>(config.inputs.size());
  out->output_port_count = static_cast<uint32_t>(config.outputs.size());
  out->has_main_input = !config.inputs.empty();
  if (out->has_main_input) {
    out->main_input_channel_count = static_cast<uint32_t>(config.inputs[0].channelCount);
    out->main_input_port_type = PortTypeFor(config.inputs[0].channelCount);
  }
  out->has_main_output = !config.outputs.empty();
  if (out->has_main_output) {
    out->main_output_channel_count = static_cast<uint32_t>(config.outputs[0].channelCount);
    out->main_output_port_type = PortTypeFor(config.outputs[0].channelCount);
  }
  return true;
}

bool Select(ClapPlugin& plugin, clap_id id) {
  if (id >= Count(plugin)) return false;
  plugin.SelectConfig(static_cast<int32_t>(id));
  return true;
}

constexpr clap_plugin_audio_ports_config_t kAudioPortsConfig{kEntry<Count>, kEntry<Get>,
                                                             kEntry<Select>};

}  // namespace

const clap_plugin_audio_ports_config_t* AudioPortsConfigExtension() { return &kAudioPortsConfig; }

}  // namespace fw
