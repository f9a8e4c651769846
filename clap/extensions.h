#pragma once

#include "clap/abi.h"

namespace fw {

// The extension records an instance answers from get_extension; each lives in its
// own ext_*.cpp beside the binding.
const clap_plugin_state_t* StateExtension();
const clap_plugin_preset_load_t* PresetLoadExtension();
const clap_plugin_render_t* RenderExtension();
const clap_plugin_latency_t* LatencyExtension();
const clap_plugin_audio_ports_t* AudioPortsExtension();
const clap_plugin_audio_ports_config_t* AudioPortsConfigExtension();
const clap_plugin_params_t* ParamsExtension();
const clap_plugin_note_ports_t* NotePortsExtension();
const clap_plugin_tail_t* TailExtension();
const clap_plugin_timer_support_t* TimerSupportExtension();

}  // namespace fw
