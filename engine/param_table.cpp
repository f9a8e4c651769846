#include "engine/param_table.h"

#include "engine/params.h"

void ConfigureHalvernParameters(const std::function<fw::Parameter&(int index)>& param) {
  using fw::Parameter;
  const Parameter::ShapeLinear linear;
  auto real = [&param](int index, const char* name, double defaultValue, double min, double max,
                       double step, const char* label, const Parameter::Shape& shape) {
    param(index).Configure(name, defaultValue, min, max, step, label, fw::NoParamFlags, "", shape,
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
  param(kReverseOuts).ConfigureEnumeration("Reverse Outs", 0, 2, "", fw::NoParamFlags, "", nullptr);
  param(kReverseOuts).AddValueText(0, "Normal");
  param(kReverseOuts).AddValueText(1, "Cross-verb");
  real(kHold, "Hold", 0, 0, 600, 0.1, "ms", linear);
  param(kGateDetector)
      .ConfigureEnumeration("Gate Det. Inp.", kDetectWetOutput, 3, "", fw::NoParamFlags, "",
                            nullptr);
  param(kGateDetector).AddValueText(kDetectDryInput, "Dry Input");
  param(kGateDetector).AddValueText(kDetectWetOutput, "Wet Output");
  param(kGateDetector).AddValueText(kDetectSidechain, "Sidechain");
  real(kHighShelf, "High Shelf", 0, -20, 10, 0.1, "dB", linear);
  real(kShelfFreq, "HShelf Freq", 12000, 1000, 12000, 100, "Hz", Parameter::ShapePowCurve(2.8));
}
