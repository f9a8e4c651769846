#pragma once

#include "graphics/bitmap_controls.h"

namespace fw::gui {

// The product's fader: the stock bitmap slider, kept as a type of its own so the panel
// can change its handling without touching the framework's.
class BrackwaterSliderControl : public BitmapSliderControl {
 public:
  using BitmapSliderControl::BitmapSliderControl;
};

// The product's knob: one bitmap turned as a whole from minAngle to maxAngle.
class HVKnobRotaterControl : public BitmapKnobRotaterControl {
 public:
  using BitmapKnobRotaterControl::BitmapKnobRotaterControl;
};

// A row (or column) of buttons for a stepped parameter, one bitmap frame per button:
// frame 1 unselected, frame 2 selected. Buttons are spread evenly over the bounds on a
// whole-point step; presses between buttons hit nothing.
class HVRadioButtonsControl : public SwitchControlBase {
 public:
  HVRadioButtonsControl(const Rect& bounds, int paramIdx, int numButtons, const Bitmap& bitmap,
                        bool horizontal = true);

  Rect ButtonRect(int i) const;
  // The button under the point, or -1.
  int ButtonAt(float x, float y) const;
  int SelectedIndex() const;

  void HandlePointerDown(float x, float y, const MouseMods& mods) override;
  void HandlePointerUp(float x, float y, const MouseMods& mods) override;
  void HandleRescale() override;
  void Render(Graphics& g) override;

  Bitmap bitmap;
  bool horizontal;

 private:
  struct Spacing {
    float start, step;
  };
  Spacing Spread() const;
};

}  // namespace fw::gui
