#pragma once

#include <vector>

#include "graphics/control.h"

namespace fw::gui {

enum Direction : int32_t { kVertical = 0, kHorizontal = 1 };

// Relative drag: one DragBounds() extent of travel changes the value by 1/gearing.
class KnobControlBase : public Control {
 public:
  KnobControlBase(const Rect& bounds, int paramIdx = -1, int direction = kVertical,
                  double gearing = 4.0);

  void HandlePointerDown(float x, float y, const MouseMods& mods) override;
  void HandlePointerUp(float x, float y, const MouseMods& mods) override;
  void HandlePointerDrag(float x, float y, float dX, float dY, const MouseMods& mods) override;
  void HandleWheel(float x, float y, const MouseMods& mods, float delta) override;
  virtual Rect DragBounds() const { return targetBounds; }

  bool hideCursorOnDrag = true;
  int direction;
  double gearing;
  bool mouseDown = false;
  double dragValue = 0.0;
};

// One wheel notch: a step of a stepped parameter, else 0.01 (0.001 with ctrl or shift).
void ApplyWheel(Control& control, const MouseMods& mods, float delta);

// Jumps to the pointer on press, then follows relative drags along the track.
class SliderControlBase : public Control {
 public:
  SliderControlBase(const Rect& bounds, int paramIdx = -1, int direction = kVertical,
                    double gearing = 1.0, float handleSize = 0.0f);

  void HandlePointerDown(float x, float y, const MouseMods& mods) override;
  void HandlePointerUp(float x, float y, const MouseMods& mods) override;
  void HandlePointerDrag(float x, float y, float dX, float dY, const MouseMods& mods) override;
  void HandleWheel(float x, float y, const MouseMods& mods, float delta) override;
  void HandleResize() override;

  bool hideCursorOnDrag = true;
  int direction;
  Rect track;
  float handleSize;
  double gearing;
  bool mouseDown = false;
  double dragValue = 0.0;
};

// Steps through numStates values per click.
class SwitchControlBase : public Control {
 public:
  SwitchControlBase(const Rect& bounds, int paramIdx = -1, ActionFunction actionFunc = nullptr,
                    int numStates = 2);

  void HandleInit() override;
  void HandlePointerDown(float x, float y, const MouseMods& mods) override;
  void HandlePointerUp(float x, float y, const MouseMods& mods) override;

  int numStates;
  std::vector<uint8_t> stateDisabled;
  bool mouseDown = false;
};

}  // namespace fw::gui
