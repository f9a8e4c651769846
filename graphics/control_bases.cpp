#include "graphics/control_bases.h"

#include <algorithm>
#include <cmath>

#include "framework/parameter.h"
#include "graphics/graphics.h"

namespace fw::gui {

namespace {

double Gearing(double gearing, const MouseMods& mods) {
  return mods.ctrl || mods.shift ? gearing * 10.0 : gearing;
}

// Adds the drag to the unsnapped accumulator and stores it, snapped when stepped.
void ApplyRelativeDrag(Control& control, double& dragValue, double delta) {
  if (!std::isfinite(delta)) return;  // a control without extent has nothing to drag
  dragValue = std::clamp(dragValue + delta, 0.0, 1.0);
  control.StoreValue(control.IsStepped() ? control.SnapToStep(dragValue) : dragValue, 0);
  control.MarkDirty(true, -1);
}

void EndDrag(Control& control, bool hideCursorOnDrag, bool& mouseDown) {
  if (hideCursorOnDrag && control.GetUI()) control.GetUI()->HideMouseCursor(false, true);
  mouseDown = false;
  control.MarkDirty(false, -1);
}

}  // namespace

void ApplyWheel(Control& control, const MouseMods& mods, float delta) {
  double value = control.Value();
  if (control.IsStepped()) {
    if (delta == 0.0f) return;
    const Parameter* param = control.GetParam();
    double real = param->Restrict(param->Denormalized(value));
    value = param->Normalized(delta > 0 ? real + param->Step() : real - param->Step());
  } else {
    value += delta * (mods.ctrl || mods.shift ? 0.001 : 0.01);
  }
  control.StoreValue(value, 0);
  control.MarkDirty(true, -1);
}

KnobControlBase::KnobControlBase(const Rect& bounds, int paramIdx, int direction, double gearing)
    : Control(bounds, paramIdx), direction(direction), gearing(gearing) {}

void KnobControlBase::HandlePointerDown(float x, float y, const MouseMods& mods) {
  mouseDown = true;
  dragValue = Value();
  if (hideCursorOnDrag && GetUI()) GetUI()->HideMouseCursor(true, true);
  Control::HandlePointerDown(x, y, mods);
}

void KnobControlBase::HandlePointerUp(float, float, const MouseMods&) {
  EndDrag(*this, hideCursorOnDrag, mouseDown);
}

void KnobControlBase::HandlePointerDrag(float, float, float dX, float dY, const MouseMods& mods) {
  Rect r = DragBounds();
  double g = Gearing(gearing, mods);
  double delta = direction == kVertical ? double{dY} / (r.top - r.bottom) / g
                                        : double{dX} / (r.right - r.left) / g;
  ApplyRelativeDrag(*this, dragValue, delta);
}

void KnobControlBase::HandleWheel(float, float, const MouseMods& mods, float delta) {
  ApplyWheel(*this, mods, delta);
}

SliderControlBase::SliderControlBase(const Rect& bounds, int paramIdx, int direction,
                                     double gearing, float handleSize)
    : Control(bounds, paramIdx), direction(direction), handleSize(handleSize), gearing(gearing) {}

void SliderControlBase::HandlePointerDown(float x, float y, const MouseMods& mods) {
  mouseDown = true;
  if (!IsStepped()) SetValueFromPosition(x, y, direction, track, -1, 0.0, 1.0);
  dragValue = Value();
  if (hideCursorOnDrag && GetUI()) GetUI()->HideMouseCursor(true, true);
  Control::HandlePointerDown(x, y, mods);
}

void SliderControlBase::HandlePointerUp(float, float, const MouseMods&) {
  EndDrag(*this, hideCursorOnDrag, mouseDown);
}

void SliderControlBase::HandlePointerDrag(float x, float y, float dX, float dY,
                                          const MouseMods& mods) {
  if ((mods.touchId != 0 || !hideCursorOnDrag) && !IsStepped()) {
    SetValueFromPosition(x, y, direction, track, -1, 0.0, 1.0);
    return;
  }
  double g = Gearing(gearing, mods);
  double delta = direction == kVertical ? double{dY} / (track.top - track.bottom) / g
                                        : double{dX} / (track.right - track.left) / g;
  ApplyRelativeDrag(*this, dragValue, delta);
}

void SliderControlBase::HandleWheel(float, float, const MouseMods& mods, float delta) {
  ApplyWheel(*this, mods, delta);
}

void SliderControlBase::HandleResize() {
  track = bounds;
  targetBounds = bounds;
  mouseIsOver = false;
  MarkDirty(false, -1);
}

SwitchControlBase::SwitchControlBase(const Rect& bounds, int paramIdx, ActionFunction actionFunc,
                                     int numStates)
    : Control(bounds, paramIdx, std::move(actionFunc)),
      numStates(numStates),
      stateDisabled(static_cast<size_t>(std::max(numStates, 0)), 0) {
  doubleClickAsSingle = true;
}

void SwitchControlBase::HandleInit() {
  if (const Parameter* param = GetParam()) {
    numStates = static_cast<int>(param->Max() - param->Min()) + 1;
    stateDisabled.assign(static_cast<size_t>(std::max(numStates, 0)), 0);
  }
}

void SwitchControlBase::HandlePointerDown(float, float, const MouseMods&) {
  double value = Value();
  if (numStates == 2) {
    value = value == 0.0 ? 1.0 : 0.0;
  } else {
    value += 1.0 / (numStates - 1);
    if (value > 1.0000000000000002) value = 0.0;
  }
  StoreValue(value, 0);
  mouseDown = true;
  MarkDirty(true, -1);
}

void SwitchControlBase::HandlePointerUp(float, float, const MouseMods&) {
  mouseDown = false;
  MarkDirty(false, -1);
}

}  // namespace fw::gui
