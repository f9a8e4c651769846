#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "clap/abi.h"
#include "tools/render/parameter_events.h"

namespace render {

class PluginHost;
class PluginModule;

// Channel counts of the plug-in's audio ports, port by port.
struct PortLayout {
  std::vector<uint32_t> inputs;
  std::vector<uint32_t> outputs;

  uint32_t OutputChannels() const;
};

// One Halvern instance, created through the module's factory and driven through the
// clap_plugin record and its extensions only. Destroying the object stops, deactivates
// and destroys the instance.
class PluginInstance {
 public:
  static constexpr const char* kPluginId = "com.brackwateraudio.halvern";

  PluginInstance(const PluginModule& module, PluginHost& host);
  ~PluginInstance();
  PluginInstance(const PluginInstance&) = delete;
  PluginInstance& operator=(const PluginInstance&) = delete;

  // Audio port configurations by name ("2.1-2"); selecting one is only valid while inactive.
  std::vector<std::string> ConfigurationNames() const;
  void SelectConfiguration(const std::string& name);
  PortLayout Ports() const;

  uint32_t ParameterCount() const;
  clap_param_info_t ParameterInfo(uint32_t index) const;
  double CurrentValue(clap_id id) const;
  std::string ValueToText(clap_id id, double value) const;
  std::optional<double> TextToValue(clap_id id, const std::string& text) const;
  // Applies values through the parameters' flush, as a host does while not processing.
  void SetParameters(std::span<const ParameterValue> values);

  std::vector<uint8_t> SaveState() const;
  // Throws if the plug-in refuses the bytes.
  void LoadState(std::span<const uint8_t> bytes);

  // Offline render mode, activation and start of processing, in the order hosts use.
  void StartProcessing(double sampleRate, uint32_t maxFrames);
  void StopProcessing();
  clap_process_status Process(const clap_process_t& process) const;
  // Delivers a main-thread callback the plug-in asked for.
  void ServiceMainThread();

  // An extension the plug-in offers (null when it has none by that id), with its record.
  const void* Extension(const char* id) const { return plugin_->get_extension(plugin_, id); }
  const clap_plugin_t* Record() const { return plugin_; }

 private:
  template <class Extension>
  const Extension& Require(const char* id) const;

  PluginHost& host_;
  const clap_plugin_t* plugin_ = nullptr;
  const clap_plugin_params_t* params_ = nullptr;
  const clap_plugin_state_t* state_ = nullptr;
  const clap_plugin_audio_ports_t* ports_ = nullptr;
  const clap_plugin_audio_ports_config_t* configs_ = nullptr;
  const clap_plugin_render_t* renderMode_ = nullptr;
  bool active_ = false;
};

}  // namespace render
