#pragma once

#include <array>
#include <string>
#include <vector>

#include "editor/panel_layout.h"
#include "framework/parameter.h"

namespace artwork {

// The product's parameters as the plug-in configures them, to place printed values.
class ProductParameters {
 public:
  ProductParameters();
  const fw::Parameter& operator[](HalvernParam index) const { return params_[index]; }

 private:
  std::array<fw::Parameter, kHalvernParamCount> params_;
};

// One printed mark of a scale: where the control shows the value (a coordinate along a
// fader's travel, or a knob angle in degrees) and its number, if it has one.
struct Tick {
  double value;
  double position;
  bool major;
  std::string label;
};

// The marks printed beside a fader or around a knob, in ascending value; empty for a
// control whose panel shows no scale.
std::vector<Tick> FaderScale(const ProductParameters& params, const panel::Fader& fader);
std::vector<Tick> KnobScale(const ProductParameters& params, const panel::Knob& knob);

}  // namespace artwork
