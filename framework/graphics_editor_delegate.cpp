#include "framework/graphics_editor_delegate.h"

#include "graphics/control.h"

namespace fw::gui {

GraphicsEditorDelegate::~GraphicsEditorDelegate() = default;

void* GraphicsEditorDelegate::OpenEditor(void* parent) {
  // Every open starts from a closed editor, so at most one context ever exists.
  if (!closing_) CloseEditor();
  if (!graphics_) {
    graphics_ = MakeGraphics();
    if (graphics_ && savedWidth_ != 0 && savedHeight_ != 0 && savedScale_ != 0.0f) {
      graphics_->SetSizeAndScale(savedWidth_, savedHeight_, savedScale_, true);
    }
  }
  return graphics_ ? graphics_->OpenWindow(parent) : nullptr;
}

void GraphicsEditorDelegate::CloseEditor() {
  if (closing_) return;
  closing_ = true;
  OnEditorClosing();
  if (graphics_) {
    savedWidth_ = graphics_->Width();
    savedHeight_ = graphics_->Height();
    savedScale_ = graphics_->DrawScale();
    graphics_->CloseWindow();
    graphics_.reset();
  }
  closing_ = false;
}

void GraphicsEditorDelegate::DeliverParamToEditor(int32_t index, double value, bool normalized) {
  if (graphics_) {
    if (const Parameter* param = normalized ? nullptr : Param(index)) {
      value = param->Normalized(value);
    }
    graphics_->SetParamValueFromHost(index, value);
  }
  OnParamChangedInEditor(index, ParamSource::EditorDelegate);
}

bool GraphicsEditorDelegate::KeyDownFromHost(const KeyPress& key) {
  if (!graphics_) return false;
  float x = 0, y = 0;
  graphics_->PointerPosition(x, y);
  return graphics_->OnKeyDown(x, y, key);
}

bool GraphicsEditorDelegate::KeyUpFromHost(const KeyPress& key) {
  if (!graphics_) return false;
  float x = 0, y = 0;
  graphics_->PointerPosition(x, y);
  return graphics_->OnKeyUp(x, y, key);
}

void GraphicsEditorDelegate::SetControlValueByTag(int controlTag, double normalizedValue) {
  if (!graphics_) return;
  if (Control* control = graphics_->ControlForTag(controlTag))
    control->SetValueFromHost(normalizedValue, 0);
}

std::unique_ptr<Graphics> GraphicsEditorDelegate::MakeGraphics() const {
  return makeGraphicsFunction ? makeGraphicsFunction() : nullptr;
}

void GraphicsEditorDelegate::RunLayout(Graphics& graphics) const {
  if (layoutFunction) layoutFunction(graphics);
}

}  // namespace fw::gui
