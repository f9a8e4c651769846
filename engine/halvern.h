#pragma once

#include "clap/clap_plugin.h"
#include "engine/reverb_engine.h"

// The product: a stereo reverb with nineteen parameters and seven empty preset slots.
class Halvern final : public fw::Plugin {
 public:
  explicit Halvern(const fw::InstanceInfo& info);

  static const fw::PlugConfig& Config();

  using fw::Plugin::OnParamChange;
  void OnParamChange(int32_t index) override;
  void RenderBlock(double** inputs, double** outputs, int32_t frames) override;
  void ResetProcessing() override;
  bool PrepareProcessing() override;
  void OnEditorOpened() override;
  void OnEditorClosing() override;

 protected:
  const void* GetExtension(const char* id) override;

 private:
  void ConfigureParameters();
  EngineSettings::Values CurrentValues() const;

  const int32_t maxInputBuses_;
  ReverbEngine engine_;
};
