#pragma once

#include "clap/abi.h"

namespace render {

// The host record this tool hands to the plug-in. The tool runs everything on one
// thread, so that thread is both the main and the audio thread; a main-thread callback
// the plug-in asks for is delivered between blocks.
class PluginHost {
 public:
  PluginHost();
  PluginHost(const PluginHost&) = delete;
  PluginHost& operator=(const PluginHost&) = delete;

  const clap_host_t* Host() const { return &host_; }
  // Whether the plug-in asked for on_main_thread since the last call.
  bool TakeCallbackRequest();

 private:
  static PluginHost& Of(const clap_host_t* host);

  clap_host_t host_;
  clap_host_log_t log_;
  bool callbackRequested_ = false;
};

}  // namespace render
