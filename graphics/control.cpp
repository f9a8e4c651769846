#include "graphics/control.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "framework/graphics_editor_delegate.h"
#include "graphics/graphics.h"

namespace fw::gui {

Control::Control(const Rect& bounds, int paramIdx, ActionFunction actionFunc)
    : bounds(bounds),
      targetBounds(bounds),
      actionFunc(std::move(actionFunc)),
      bindings_{{paramIdx, 0.0}} {}

const Parameter* Control::GetParam(int valueIndex) const {
  if (!delegate_ || valueIndex < 0 || valueIndex >= NVals()) return nullptr;
  int paramIdx = bindings_[valueIndex].paramIdx;
  return paramIdx < 0 ? nullptr : delegate_->Param(paramIdx);
}

bool Control::IsStepped(int valueIndex) const {
  const Parameter* param = GetParam(valueIndex);
  return param && (param->Flags() & fw::SnapToStep) && param->Step() > 0.0;
}

double Control::SnapToStep(double normalized, int valueIndex) const {
  const Parameter* param = GetParam(valueIndex);
  return std::clamp(param->Normalized(param->Restrict(param->Denormalized(normalized))), 0.0, 1.0);
}

void Control::HandlePointerDown(float x, float y, const MouseMods& mods) {
  if (!mods.right) return;
  int valueIndex = ValueIndexAt(x, y);
  if (valueIndex < 0 || bindings_[valueIndex].paramIdx < 0 || promptDisabled) return;
  const Parameter* param = GetParam(valueIndex);
  Rect area = param && param->ValueTextCount() > 0 ? bounds : bounds.Centred(40.0f, 16.0f);
  if (graphics_) graphics_->PromptForParamValue(*this, area, valueIndex);
  MarkDirty(false, -1);
}

void Control::HandleDoubleClick(float x, float y, const MouseMods&) {
  ResetToDefault(ValueIndexAt(x, y));
}

void Control::HandleHover(float, float, const MouseMods&) {
  if (mouseIsOver) return;
  mouseIsOver = true;
  MarkDirty(false, -1);
}

void Control::HandleHoverEnd() {
  if (!mouseIsOver) return;
  mouseIsOver = false;
  MarkDirty(false, -1);
}

void Control::HandleFilesDrop(const std::vector<std::string>& paths) {
  if (!paths.empty()) HandleFileDrop(paths.front());
}

bool Control::HandleGesture(int32_t type, int32_t info) {
  auto found = gestureFuncs.find(type);
  if (found == gestureFuncs.end()) return false;
  lastGesture = type;
  found->second(this, info);
  return true;
}

void Control::HandleMenuChoice(PopupMenu* menu, int valueIndex) {
  if (!menu || valueIndex < 0 || valueIndex >= NVals() || promptDisabled) return;
  const Parameter* param = GetParam(0);
  if (!param || bindings_[valueIndex].paramIdx < 0) return;
  SetValueFromUser(param->Normalized(menu->ChosenIndex()), valueIndex);
}

void Control::RenderHostHighlight(Graphics& g) {
  if (highlightOn) g.FillCircle(highlightColor, targetBounds.right - 5, targetBounds.top + 5, 2);
}

void Control::BindParam(int paramIdx, int valueIndex) {
  if (valueIndex < 0 || valueIndex >= NVals()) throw std::out_of_range("invalid vector subscript");
  bindings_[valueIndex].paramIdx = paramIdx;
  MarkDirty(false, -1);
}

int Control::ValueIndexAt(float, float) const {
  return NVals() == 1 ? 0 : -1;
}

void Control::SetValueFromHost(double value, int valueIndex) {
  if (graphics_ && graphics_->IsCapturing(this)) return;
  if (value == Value(valueIndex)) return;
  StoreValue(value, valueIndex);
  MarkDirty(false, -1);
}

void Control::SetValueFromUser(double value, int valueIndex) {
  if (value == Value(valueIndex)) return;
  StoreValue(value, valueIndex);
  MarkDirty(true, valueIndex);
}

void Control::ResetToDefault(int valueIndex) {
  if (NVals() == 1) valueIndex = 0;
  for (int i = 0; i < NVals(); ++i) {
    if (valueIndex >= 0 && i != valueIndex) continue;
    if (const Parameter* param = GetParam(i))
      StoreValue(param->Normalized(param->DefaultValue(false)), i);
  }
  MarkDirty(true, valueIndex);
}

void Control::StoreValue(double value, int valueIndex) {
  bindings_.at(valueIndex).value = value;
}

void Control::MoveTo(float x, float y) {
  x = std::max(x, 0.0f);
  y = std::max(y, 0.0f);
  float dx = x - bounds.left, dy = y - bounds.top;
  bounds = bounds.Offset(dx, dy);
  mouseIsOver = false;
  HandleResize();
  targetBounds = targetBounds.Offset(dx, dy);
}

void Control::ResizeTo(float w, float h) {
  targetBounds = {targetBounds.left, targetBounds.top, targetBounds.left + std::max(0.0f, w),
                  targetBounds.top + std::max(0.0f, h)};
  bounds = targetBounds;
  mouseIsOver = false;
  HandleResize();
}

void Control::SetHidden(bool hide) {
  hidden = hide;
  MarkDirty(false, -1);
}

void Control::SetGreyedOut(bool disable) {
  disabled = disable;
  blend.weight = disable ? 0.25f : 1.0f;
  MarkDirty(false, -1);
}

void Control::MarkDirty(bool notify, int valueIndex) {
  if (NVals() == 1) valueIndex = 0;
  for (int i = 0; i < NVals(); ++i) {
    if (valueIndex < 0 || i == valueIndex) StoreValue(std::clamp(Value(i), 0.0, 1.0), i);
  }
  dirty = true;
  if (!notify) return;
  for (int i = 0; i < NVals(); ++i) {
    if ((valueIndex >= 0 && i != valueIndex) || bindings_[i].paramIdx < 0) continue;
    if (delegate_) delegate_->SendParamFromUI(bindings_[i].paramIdx, Value(i));
    if (graphics_) graphics_->SyncPeerControls(*this, i);
  }
  if (actionFunc) actionFunc(this);
}

void Control::SetValueFromPosition(float x, float y, int direction, const Rect& area,
                                   int valueIndex, double minValue, double maxValue) {
  x = std::clamp(x, area.left, area.right);
  y = std::clamp(y, area.top, area.bottom);
  double extent = direction == 1 ? area.W() : area.H();
  if (extent <= 0.0) return;  // no track yet
  double v = direction == 1 ? (x - area.left) / extent : 1.0 - (y - area.top) / extent;
  v = std::clamp(std::round(v * 1000.0) / 1000.0, minValue, maxValue);
  for (int i = 0; i < NVals(); ++i) {
    if (valueIndex < 0 || i == valueIndex) StoreValue(v, i);
  }
  MarkDirty(true, valueIndex);
}

void Control::FinishAnimation() {
  animationFunc = nullptr;
  MarkDirty(false, -1);
  if (animationEndFunc) animationEndFunc(this);
}

}  // namespace fw::gui
