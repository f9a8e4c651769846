#include "engine/halvern.h"

#include <cstring>
#include <new>

#include "clap/editor_snapshot.h"
#include "clap/product.h"
#include "editor/halvern_editor.h"
#include "engine/param_table.h"
#include "engine/params.h"

namespace {

constexpr const char* kFeatures[] = {CLAP_PLUGIN_FEATURE_AUDIO_EFFECT, CLAP_PLUGIN_FEATURE_REVERB,
                                     CLAP_PLUGIN_FEATURE_STEREO, nullptr};

constexpr fw::ProductInfo kProduct{
    "com.brackwateraudio.halvern",
    "Halvern",
    "Brackwater Audio",
    "https://www.brackwater-audio.com",
    "4.1.2",
    "Halvern audio plug-in",
    kFeatures,
    "Halvern Factory Presets",
};

constexpr int32_t FourCharCode(char a, char b, char c, char d) {
  return static_cast<int32_t>(static_cast<uint32_t>(static_cast<unsigned char>(a)) << 24 |
                              static_cast<uint32_t>(static_cast<unsigned char>(b)) << 16 |
                              static_cast<uint32_t>(static_cast<unsigned char>(c)) << 8 |
                              static_cast<uint32_t>(static_cast<unsigned char>(d)));
}

fw::PlugConfig MakeConfig() {
  fw::PlugConfig config;
  config.paramCount = kHalvernParamCount;
  config.presetCount = 7;
  config.channelIOString = "1-1 1-2 2-2 1.1-1 1.1-2 2.1-2 1.2-1 1.2-2 2.2-2";
  config.pluginName = "Halvern";
  config.productName = "Halvern";
  config.vendorName = "Brackwater Audio";
  config.vendorVersion = 0x00040102;
  config.uniqueId = FourCharCode('n', 'y', '5', '6');
  config.vendorId = FourCharCode('B', 'r', 'k', 'w');
  config.latency = 0;
  config.hasEditor = true;
  config.editorWidth = 650;
  config.editorHeight = 438;
  // A third and three times the editor size.
  config.minWidth = 216;
  config.maxWidth = 1950;
  config.minHeight = 146;
  config.maxHeight = 1314;
  config.hostCanResize = false;
  return config;
}

}  // namespace

namespace fw {

const ProductInfo& Product() {
  return kProduct;
}

ClapPlugin* NewProductInstance(const InstanceInfo& info) {
  return new (std::nothrow) Halvern(info);
}

}  // namespace fw

const fw::PlugConfig& Halvern::Config() {
  static const fw::PlugConfig config = MakeConfig();
  return config;
}

Halvern::Halvern(const fw::InstanceInfo& info)
    : fw::Plugin(info, Config()), maxInputBuses_(MaxBusCount(fw::BusDirection::Input)) {
  ConfigureParameters();
  makeGraphicsFunction = [this] { return halvern_editor::MakeGraphics(this); };
  layoutFunction = halvern_editor::Layout;
}

void Halvern::OnEditorOpened() {
  fw::Plugin::OnEditorOpened();
  halvern_editor::ApplyStoredDisplayScale(GetGraphics());
}

void Halvern::OnEditorClosing() {
  halvern_editor::StoreDisplayScale(GetGraphics());
}

const void* Halvern::GetExtension(const char* id) {
  if (id && std::strcmp(id, HALVERN_EXT_EDITOR_SNAPSHOT) == 0) return fw::EditorSnapshotExtension();
  return fw::Plugin::GetExtension(id);
}

void Halvern::ConfigureParameters() {
  ConfigureHalvernParameters([this](int index) -> fw::Parameter& { return *Param(index); });
}

EngineSettings::Values Halvern::CurrentValues() const {
  EngineSettings::Values values;
  for (int i = 0; i < kHalvernParamCount; ++i)
    values[i] = Param(i)->Value();
  return values;
}

void Halvern::OnParamChange(int32_t /*index*/) {
  engine_.OnParamChange(CurrentValues());
}

bool Halvern::PrepareProcessing() {
  return engine_.Prepare(SampleRate());
}

void Halvern::ResetProcessing() {
  engine_.ResetProcessing(SampleRate(), CurrentValues());
  ChangeTailLength(engine_.TailSamples());
}

void Halvern::RenderBlock(double** inputs, double** outputs, int32_t frames) {
  ChannelLayout layout;
  layout.inputs = ConnectedChannelCount(fw::BusDirection::Input);
  layout.outputs = ConnectedChannelCount(fw::BusDirection::Output);
  layout.maxInputBuses = maxInputBuses_;
  const int32_t config = SelectedConfig();
  if (static_cast<std::size_t>(config) < Configs().size() && Configs()[config].inputs.size() >= 2) {
    layout.mainBusChannels = BusChannelCount(fw::BusDirection::Input, 0, config);
  }
  engine_.RenderBlock(inputs, outputs, layout, frames);
  if (engine_.TailSamples() != TailLength()) ChangeTailLength(engine_.TailSamples());
}
