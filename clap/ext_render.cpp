#include <string>

#include "clap/clap_plugin.h"
#include "clap/entry_point.h"
#include "clap/extensions.h"

namespace fw {
namespace {

bool HasHardRealtimeRequirement(ClapPlugin& /*plugin*/) { return false; }

bool Set(ClapPlugin& plugin, clap_plugin_render_mode mode) {
  if (mode == CLAP_RENDER_REALTIME || mode == CLAP_RENDER_OFFLINE) {
    plugin.SetRenderingOffline(mode == CLAP_RENDER_OFFLINE);
    return true;
  }
  const std::string message =
      "host called clap_plugin_render.set_mode with an unknown mode : " + std::to_string(mode);
  plugin.LogToHost(CLAP_LOG_HOST_MISBEHAVING, message.c_str());
  return false;
}

constexpr clap_plugin_render_t kRender{kEntry<HasHardRealtimeRequirement>, kEntry<Set>};

}  // namespace

const clap_plugin_render_t* RenderExtension() { return &kRender; }

}  // namespace fw
