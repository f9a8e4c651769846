#include "framework/editor_delegate.h"

#include <algorithm>

#include "framework/trace.h"

namespace fw {

EditorDelegate::EditorDelegate(int32_t paramCount) {
  params_.reserve(std::max(paramCount, 0));
  for (int32_t i = 0; i < paramCount; ++i) params_.push_back(std::make_unique<Parameter>());
}

EditorDelegate::~EditorDelegate() = default;

Parameter* EditorDelegate::Param(int32_t index) {
  return index >= 0 && index < ParamCount() ? params_[index].get() : nullptr;
}

const Parameter* EditorDelegate::Param(int32_t index) const {
  return index >= 0 && index < ParamCount() ? params_[index].get() : nullptr;
}

void* EditorDelegate::OpenEditor(void* /*parent*/) {
  OnEditorOpened();
  return nullptr;
}

void EditorDelegate::CloseEditor() { OnEditorClosing(); }

void EditorDelegate::OnEditorOpened() { PushAllValuesToEditor(); }

void EditorDelegate::OnParamChange(int32_t index, ParamSource source, int32_t /*sampleOffset*/) {
  Trace(__func__, __LINE__, "idx:%i src:%s\n", index, ParamSourceName(source));
  OnParamChange(index);
}

void EditorDelegate::OnParamReset(ParamSource source) {
  for (int32_t i = 0; i < ParamCount(); ++i) {
    OnParamChange(i, source, -1);
    OnParamChangedInEditor(i, source);
  }
}

void EditorDelegate::DeliverParamToEditor(int32_t index, double /*value*/, bool /*normalized*/) {
  OnParamChangedInEditor(index, ParamSource::EditorDelegate);
}

void EditorDelegate::SendParamFromUI(int32_t index, double normalizedValue) {
  if (Parameter* param = Param(index)) {
    param->SetFromNormalized(normalizedValue);
    OnParamChangedInEditor(index, ParamSource::UI);
  }
}

bool EditorDelegate::ConstrainEditorSize(int32_t& width, int32_t& height) const {
  if (width >= minWidth_ && width <= maxWidth_ && height >= minHeight_ && height <= maxHeight_) {
    return true;
  }
  width = std::clamp(width, minWidth_, maxWidth_);
  height = std::clamp(height, minHeight_, maxHeight_);
  return false;
}

void EditorDelegate::PushAllValuesToEditor() {
  for (int32_t i = 0; i < ParamCount(); ++i) {
    DeliverParamToEditor(i, params_[i]->NormalizedValue(), true);
  }
}

void EditorDelegate::SetEditorSize(int32_t width, int32_t height) {
  editorWidth_ = width;
  editorHeight_ = height;
}

void EditorDelegate::SetSizeLimits(int32_t minWidth, int32_t maxWidth, int32_t minHeight,
                                   int32_t maxHeight) {
  minWidth_ = std::min(minWidth, maxWidth);
  maxWidth_ = std::max(minWidth, maxWidth);
  minHeight_ = std::min(minHeight, maxHeight);
  maxHeight_ = std::max(minHeight, maxHeight);
}

}  // namespace fw
