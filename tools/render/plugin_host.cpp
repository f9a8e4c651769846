#include "tools/render/plugin_host.h"

#include <cstdio>
#include <cstring>

namespace render {

PluginHost& PluginHost::Of(const clap_host_t* host) {
  return *static_cast<PluginHost*>(host->host_data);
}

PluginHost::PluginHost() {
  host_ = clap_host_t{};
  host_.clap_version = {CLAP_VERSION_MAJOR, CLAP_VERSION_MINOR, CLAP_VERSION_REVISION};
  host_.host_data = this;
  host_.name = "halvern-render";
  host_.vendor = "Brackwater Audio";
  host_.url = "";
  host_.version = HALVERN_VERSION;
  host_.get_extension = [](const clap_host_t* host, const char* id) -> const void* {
    if (id && std::strcmp(id, CLAP_EXT_LOG) == 0) return &Of(host).log_;
    return nullptr;
  };
  host_.request_restart = [](const clap_host_t*) {};
  host_.request_process = [](const clap_host_t*) {};
  host_.request_callback = [](const clap_host_t* host) { Of(host).callbackRequested_ = true; };
  log_.log = [](const clap_host_t*, clap_log_severity, const char* message) {
    std::fprintf(stderr, "halvern-render: plug-in says: %s\n", message ? message : "");
  };
}

bool PluginHost::TakeCallbackRequest() {
  const bool requested = callbackRequested_;
  callbackRequested_ = false;
  return requested;
}

}  // namespace render
