#include "editor/product_controls.h"

#include <cmath>

#include "graphics/graphics.h"

namespace fw::gui {

HVRadioButtonsControl::HVRadioButtonsControl(const Rect& bounds, int paramIdx, int numButtons,
                                             const Bitmap& bitmap, bool horizontal)
    : SwitchControlBase(bounds, paramIdx, nullptr, numButtons),
      bitmap(bitmap),
      horizontal(horizontal) {}

HVRadioButtonsControl::Spacing HVRadioButtonsControl::Spread() const {
  const float extent =
      horizontal ? bounds.W() - bitmap.FrameWidth() : bounds.H() - bitmap.FrameHeight();
  const float step = std::floor(extent / static_cast<float>(numStates - 1));
  const float origin = horizontal ? bounds.left : bounds.top;
  return {(extent - step * static_cast<float>(numStates - 1)) / 2 + origin, step};
}

Rect HVRadioButtonsControl::ButtonRect(int i) const {
  if (numStates <= 0) return bounds;
  const float w = bitmap.FrameWidth(), h = bitmap.FrameHeight();
  if (numStates == 1) return {bounds.left, bounds.top, bounds.left + w, bounds.top + h};
  const Spacing s = Spread();
  const float at = s.start + static_cast<float>(i) * s.step;
  return horizontal ? Rect{at, bounds.top, at + w, bounds.top + h}
                    : Rect{bounds.left, at, bounds.left + w, at + h};
}

int HVRadioButtonsControl::ButtonAt(float x, float y) const {
  if (numStates <= 0) return -1;
  int i = 0;
  if (numStates > 1) {
    const Spacing s = Spread();
    if (s.step != 0) {
      i = static_cast<int>(std::floor(((horizontal ? x : y) - s.start) / s.step));
      if (i < 0 || i >= numStates) return -1;
    }
  }
  const Rect r = ButtonRect(i);
  return r.left <= x && x < r.right && r.top <= y && y < r.bottom ? i : -1;
}

int HVRadioButtonsControl::SelectedIndex() const {
  return static_cast<int>(Value() * (numStates - 1) + 0.5);
}

void HVRadioButtonsControl::HandlePointerDown(float x, float y, const MouseMods&) {
  const int i = ButtonAt(x, y);
  if (i < 0 || i >= numStates || stateDisabled[static_cast<size_t>(i)] || i == SelectedIndex())
    return;
  SetValueFromUser(numStates < 2 ? 0.0 : static_cast<double>(i) / (numStates - 1));
  mouseDown = true;
}

void HVRadioButtonsControl::HandlePointerUp(float, float, const MouseMods&) {
  mouseDown = false;
  MarkDirty(false, -1);
}

void HVRadioButtonsControl::HandleRescale() {
  if (bitmap.name.empty()) return;
  const Bitmap fetched = GetUI()->FetchBitmap(bitmap.name, bitmap.N, bitmap.framesHorizontal);
  if (!fetched.IsNone()) bitmap = fetched;
}

void HVRadioButtonsControl::Render(Graphics& g) {
  if (numStates <= 0 || bitmap.IsNone()) return;
  const int selected = SelectedIndex();
  const float w = bitmap.FrameWidth(), h = bitmap.FrameHeight();
  for (int i = 0; i < numStates; ++i) {
    const int frame = bitmap.N > 1 && i == selected ? 1 : 0;
    const float srcX = bitmap.framesHorizontal ? frame * w : 0.0f;
    const float srcY = bitmap.framesHorizontal ? 0.0f : frame * h;
    g.DrawBitmapFrame(bitmap, ButtonRect(i).Centred(w, h), srcX, srcY, &blend);
  }
}

}  // namespace fw::gui
