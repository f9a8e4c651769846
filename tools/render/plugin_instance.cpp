#include "tools/render/plugin_instance.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <numeric>

#include "tools/render/errors.h"
#include "tools/render/plugin_host.h"
#include "tools/render/plugin_module.h"

namespace render {
namespace {

std::string Joined(const std::vector<std::string>& words) {
  std::string text;
  for (const std::string& word : words)
    text += (text.empty() ? "" : " ") + word;
  return text;
}

}  // namespace

uint32_t PortLayout::OutputChannels() const {
  return std::accumulate(outputs.begin(), outputs.end(), 0u);
}

PluginInstance::PluginInstance(const PluginModule& module, PluginHost& host) : host_(host) {
  const clap_plugin_factory_t& factory = module.Factory();
  bool offered = false;
  for (uint32_t i = 0; i < factory.get_plugin_count(&factory); ++i) {
    const clap_plugin_descriptor_t* descriptor = factory.get_plugin_descriptor(&factory, i);
    offered =
        offered || (descriptor && descriptor->id && std::strcmp(descriptor->id, kPluginId) == 0);
  }
  const std::string where = "the plug-in module \"" + module.Path().string() + "\"";
  if (!offered) throw RenderError(where + " does not offer " + kPluginId);
  plugin_ = factory.create_plugin(&factory, host_.Host(), kPluginId);
  if (!plugin_) throw RenderError(where + " could not create " + kPluginId);
  if (!plugin_->init(plugin_)) {
    plugin_->destroy(plugin_);
    throw RenderError(where + ": " + kPluginId + " failed to initialise");
  }
  try {
    params_ = &Require<clap_plugin_params_t>(CLAP_EXT_PARAMS);
    state_ = &Require<clap_plugin_state_t>(CLAP_EXT_STATE);
    ports_ = &Require<clap_plugin_audio_ports_t>(CLAP_EXT_AUDIO_PORTS);
    configs_ = &Require<clap_plugin_audio_ports_config_t>(CLAP_EXT_AUDIO_PORTS_CONFIG);
    renderMode_ = &Require<clap_plugin_render_t>(CLAP_EXT_RENDER);
  } catch (...) {
    plugin_->destroy(plugin_);
    throw;
  }
}

PluginInstance::~PluginInstance() {
  StopProcessing();
  plugin_->destroy(plugin_);
}

template <class Extension>
const Extension& PluginInstance::Require(const char* id) const {
  const auto* extension = static_cast<const Extension*>(plugin_->get_extension(plugin_, id));
  if (!extension) throw RenderError(std::string("the plug-in does not offer ") + id);
  return *extension;
}

std::vector<std::string> PluginInstance::ConfigurationNames() const {
  std::vector<std::string> names;
  for (uint32_t i = 0; i < configs_->count(plugin_); ++i) {
    clap_audio_ports_config_t config{};
    if (configs_->get(plugin_, i, &config)) names.emplace_back(config.name);
  }
  return names;
}

void PluginInstance::SelectConfiguration(const std::string& name) {
  for (uint32_t i = 0; i < configs_->count(plugin_); ++i) {
    clap_audio_ports_config_t config{};
    if (configs_->get(plugin_, i, &config) && name == config.name) {
      if (!configs_->select(plugin_, config.id)) break;
      return;
    }
  }
  throw RenderError("the plug-in has no port configuration " + name + " (it has " +
                    Joined(ConfigurationNames()) + ")");
}

PortLayout PluginInstance::Ports() const {
  PortLayout layout;
  for (bool input : {true, false}) {
    std::vector<uint32_t>& counts = input ? layout.inputs : layout.outputs;
    for (uint32_t i = 0; i < ports_->count(plugin_, input); ++i) {
      clap_audio_port_info_t info{};
      counts.push_back(ports_->get(plugin_, i, input, &info) ? info.channel_count : 0);
    }
  }
  return layout;
}

uint32_t PluginInstance::ParameterCount() const {
  return params_->count(plugin_);
}

clap_param_info_t PluginInstance::ParameterInfo(uint32_t index) const {
  clap_param_info_t info{};
  if (!params_->get_info(plugin_, index, &info)) {
    throw RenderError("the plug-in gives no information on parameter " + std::to_string(index));
  }
  return info;
}

double PluginInstance::CurrentValue(clap_id id) const {
  double value = 0.0;
  if (!params_->get_value(plugin_, id, &value)) {
    throw RenderError("the plug-in gives no value for parameter " + std::to_string(id));
  }
  return value;
}

std::string PluginInstance::ValueToText(clap_id id, double value) const {
  char text[CLAP_NAME_SIZE] = {};
  if (!params_->value_to_text(plugin_, id, value, text, sizeof text)) return std::to_string(value);
  return text;
}

std::optional<double> PluginInstance::TextToValue(clap_id id, const std::string& text) const {
  double value = 0.0;
  if (!params_->text_to_value(plugin_, id, text.c_str(), &value)) return std::nullopt;
  return value;
}

void PluginInstance::SetParameters(std::span<const ParameterValue> values) {
  const ParameterEventList events(values);
  params_->flush(plugin_, events.List(), DiscardedOutputEvents());
  ServiceMainThread();
}

std::vector<uint8_t> PluginInstance::SaveState() const {
  std::vector<uint8_t> bytes;
  const clap_ostream_t stream{
      &bytes, [](const clap_ostream_t* out, const void* data, uint64_t size) -> int64_t {
        auto& target = *static_cast<std::vector<uint8_t>*>(out->ctx);
        const auto* first = static_cast<const uint8_t*>(data);
        target.insert(target.end(), first, first + size);
        return static_cast<int64_t>(size);
      }};
  if (!state_->save(plugin_, &stream)) throw RenderError("the plug-in could not save its state");
  return bytes;
}

void PluginInstance::LoadState(std::span<const uint8_t> bytes) {
  std::span<const uint8_t> rest = bytes;
  const clap_istream_t stream{&rest,
                              [](const clap_istream_t* in, void* data, uint64_t size) -> int64_t {
                                auto& remaining = *static_cast<std::span<const uint8_t>*>(in->ctx);
                                const std::size_t n = std::min<std::size_t>(size, remaining.size());
                                std::memcpy(data, remaining.data(), n);
                                remaining = remaining.subspan(n);
                                return static_cast<int64_t>(n);
                              }};
  const bool loaded = state_->load(plugin_, &stream);
  ServiceMainThread();
  if (!loaded) throw RenderError("the plug-in refused the state");
}

void PluginInstance::StartProcessing(double sampleRate, uint32_t maxFrames) {
  renderMode_->set(plugin_, CLAP_RENDER_OFFLINE);
  if (!plugin_->activate(plugin_, sampleRate, 1, maxFrames)) {
    char rate[48];
    std::snprintf(rate, sizeof rate, "%.0f Hz", sampleRate);
    throw RenderError(std::string("the plug-in could not be activated at ") + rate);
  }
  if (!plugin_->start_processing(plugin_)) {
    plugin_->deactivate(plugin_);
    throw RenderError("the plug-in could not start processing");
  }
  active_ = true;
}

void PluginInstance::StopProcessing() {
  if (!active_) return;
  plugin_->stop_processing(plugin_);
  plugin_->deactivate(plugin_);
  active_ = false;
  ServiceMainThread();
}

clap_process_status PluginInstance::Process(const clap_process_t& process) const {
  return plugin_->process(plugin_, &process);
}

void PluginInstance::ServiceMainThread() {
  if (host_.TakeCallbackRequest()) plugin_->on_main_thread(plugin_);
}

}  // namespace render
