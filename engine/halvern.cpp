#include "engine/halvern.h"

#include <new>

#include "clap/product.h"
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
}

void Halvern::ConfigureParameters() {
  using fw::Parameter;
  const Parameter::ShapeLinear linear;
  auto real = [this](int index, const char* name, double defaultValue, double min, double max,
                     double step, const char* label, const Parameter::Shape& shape) {
    Param(index)->Configure(name, defaultValue, min, max, step, label, fw::NoParamFlags, "", shape,
                            21);
  };
  real(kPredelay, "Predelay", 0, 0, 100, 0.01, "ms", Parameter::ShapePowCurve(2.3));
  real(kRoomSize, "Room Size", 0.5, 0, 1, 0.001, "Factor", linear);
  real(kDensity, "Density", 4, 1, 6, 1, "Factor", linear);
  real(kErDensity, "ER Density", 0, 0, 8, 1, "Count", linear);
  real(kErLevel, "ER Level", 0, 0, 1, 0.01, "Factor", linear);
  real(kDamping, "Damping", 0.5, 0, 1, 0.001, "Factor", linear);
  real(kReverbHpf, "Reverb HPF", 0, 0, 2000, 10, "Hz", Parameter::ShapePowCurve(2.8));
  real(kWetLevel, "Wet Level", 0.3, 0, 1, 0.001, "Factor", Parameter::ShapePowCurve(2.3));
  real(kDryLevel, "Dry Level", 0.5, 0, 1, 0.001, "Factor", Parameter::ShapePowCurve(2.3));
  real(kWidth, "Width", 1, 0, 2, 0.001, "Factor", linear);
  // The step is negative on purpose: the range then stays -90…0 with one decimal.
  real(kGateThreshold, "Gate Threshold", -90, -90, 0, -0.1, "dB", linear);
  real(kAttack, "Attack", 1, 1, 100, 0.1, "ms", linear);
  real(kRelease, "Release", 200, 1, 500, 0.1, "ms", linear);
  real(kInputBlend, "Input Blend", 0, 0, 1, 0.01, "Ratio", linear);
  Param(kReverseOuts)
      ->ConfigureEnumeration("Reverse Outs", 0, 2, "", fw::NoParamFlags, "", nullptr);
  Param(kReverseOuts)->AddValueText(0, "Normal");
  Param(kReverseOuts)->AddValueText(1, "Cross-verb");
  real(kHold, "Hold", 0, 0, 600, 0.1, "ms", linear);
  Param(kGateDetector)
      ->ConfigureEnumeration("Gate Det. Inp.", kDetectWetOutput, 3, "", fw::NoParamFlags, "",
                             nullptr);
  Param(kGateDetector)->AddValueText(kDetectDryInput, "Dry Input");
  Param(kGateDetector)->AddValueText(kDetectWetOutput, "Wet Output");
  Param(kGateDetector)->AddValueText(kDetectSidechain, "Sidechain");
  real(kHighShelf, "High Shelf", 0, -20, 10, 0.1, "dB", linear);
  real(kShelfFreq, "HShelf Freq", 12000, 1000, 12000, 100, "Hz", Parameter::ShapePowCurve(2.8));
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
