#include "graphics/graphics.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "framework/graphics_editor_delegate.h"
#include "framework/trace.h"
#include "graphics/bitmap_controls.h"
#include "graphics/control.h"

namespace fw::gui {

namespace {

constexpr float kDirtyMargin = 0.75f;

// Moves r inside the container's rectangle c, keeping r's size where it fits.
void ConstrainInto(Rect& r, const Rect& c) {
  if (r.left < c.left) {
    float w = r.W();
    r.left = c.left;
    r.right = std::min(c.left + w, c.right - 1.0f);
  }
  if (r.top < c.top) {
    float h = r.H();
    r.top = c.top;
    r.bottom = std::min(c.top + h, c.bottom - 1.0f);
  }
  if (r.right > c.right) {
    float shift = std::min(r.right - c.right, r.left - c.left);
    r = r.Offset(-shift, 0.0f);
  }
  if (r.bottom > c.bottom) {
    float shift = std::min(r.bottom - c.bottom, r.top - c.top);
    r = r.Offset(0.0f, -shift);
  }
}

}  // namespace

Transform Transform::Then(const Transform& inner) const {
  return {xx * inner.xx + xy * inner.yx,      yx * inner.xx + yy * inner.yx,
          xx * inner.xy + xy * inner.yy,      yx * inner.xy + yy * inner.yy,
          xx * inner.tx + xy * inner.ty + tx, yx * inner.tx + yy * inner.ty + ty};
}

Graphics::Graphics(GraphicsEditorDelegate* delegate, int width, int height, int fps,
                   float drawScale)
    : delegate_(delegate),
      width_(width),
      height_(height),
      fps_(fps),
      drawScale_(std::clamp(drawScale, kMinScale, kMaxScale)) {
  BitmapCache::Instance().ContextCreated();
}

Graphics::~Graphics() {
  RemoveAllControls();
  BitmapCache::Instance().ContextDestroyed();
}

// ---- Control list ----

void Graphics::AttachControl(std::unique_ptr<Control> control, int tag, const std::string& group) {
  Control* added = control.get();
  if (tag >= 0) controlsByTag_.emplace(tag, added);
  added->SetContext(delegate_, this);
  added->HandleInit();
  added->HandleResize();
  added->HandleRescale();
  added->group = group;
  controls_.push_back(std::move(control));
  added->HandleAttached();
}

void Graphics::SetBackgroundImage(const std::string& fileName) {
  Bitmap bitmap = FetchBitmap(fileName, 1, false);
  if (bitmap.IsNone()) return;
  Rect bounds{0.0f, 0.0f, bitmap.FrameWidth(), bitmap.FrameHeight()};
  auto background = std::make_unique<BitmapControl>(bounds, bitmap);
  background->SetContext(delegate_, this);
  background->HandleInit();
  background->HandleResize();
  background->HandleRescale();
  controls_.insert(controls_.begin(), std::move(background));
}

Control* Graphics::ControlForTag(int tag) const {
  auto found = controlsByTag_.find(tag);
  return found == controlsByTag_.end() ? nullptr : found->second;
}

void Graphics::ForEachControl(const std::function<void(Control&)>& fn) const {
  for (const auto& control : controls_)
    fn(*control);
}

void Graphics::MarkAllDirty() {
  ForEachControl([](Control& c) { c.MarkDirty(false, -1); });
}

void Graphics::MarkAllClean() {
  ForEachControl([](Control& c) { c.MarkClean(); });
}

void Graphics::RemoveAllControls() {
  ReleasePointerCapture();
  hoverControl_ = nullptr;
  hoverIndex_ = -1;
  editingControl_ = nullptr;
  menuControl_ = nullptr;
  controlsByTag_.clear();
  controls_.clear();
}

void Graphics::SetParamValueFromHost(int paramIndex, double normalizedValue) {
  for (const auto& control : controls_) {
    for (int i = 0; i < control->NVals(); ++i) {
      if (control->ParamIdx(i) == paramIndex) control->SetValueFromHost(normalizedValue, i);
    }
  }
}

// ---- Dirty tracking and painting ----

void Graphics::ConstrainToContainer(Rect& r, const Control& control) const {
  for (const Control* c = control.parent; c; c = c->parent)
    ConstrainInto(r, c->bounds.Grown(kDirtyMargin));
}

bool Graphics::CollectDirtyRects(RectList& out) {
  if (frameHook) frameHook(out);
  ForEachControl([](Control& c) {
    if (c.animationFunc) c.animationFunc(&c);
  });
  bool any = false;
  ForEachControl([&](Control& c) {
    if (!c.NeedsRepaint()) return;
    Rect r = c.bounds.Grown(kDirtyMargin);
    ConstrainToContainer(r, c);
    out.Add(r);
    any = true;
  });
  return any;
}

void Graphics::Paint(const RectList& rects) {
  if (rects.Empty()) return;
  float s = BackingScale();
  BeginFrame();
  RectList list = rects;
  list.PixelAlign(s);
  if (drawAsOneRect) {
    Rect all = list.Bounds();
    ForEachControl([&](Control& c) { PaintControl(c, all, s); });
  } else {
    list.Optimize();
    for (int i = 0; i < list.Size(); ++i) {
      const Rect& area = list.Get(i);
      ForEachControl([&](Control& c) { PaintControl(c, area, s); });
    }
  }
  EndFrame();
}

bool Graphics::ConstrainClipToContainers(Rect& clip, const Control& control, float scale) const {
  for (const Control* c = control.parent; c; c = c->parent) {
    Rect container = c->bounds.Grown(kDirtyMargin).PixelAligned(scale);
    if (clip.Empty() || container.Empty() || !clip.Intersects(container)) return false;
    ConstrainInto(clip, container);
  }
  return true;
}

void Graphics::PaintControl(Control& control, const Rect& area, float scale) {
  if (control.hidden && (controls_.empty() || controls_.front().get() != &control)) return;
  Rect clip = control.bounds.Grown(kDirtyMargin).PixelAligned(scale).Intersect(area);
  if (clip.W() <= 0.0f || clip.H() <= 0.0f) return;
  if (!ConstrainClipToContainers(clip, control, scale)) return;
  transformStack_.clear();
  PathTransformReset();
  PathClear();
  ClipToRect(clip);
  control.Render(*this);
}

// ---- Hit testing and pointer dispatch ----

Control* Graphics::FindControlAt(float x, float y, bool capture, bool forHover, int64_t touchId) {
  if (auto captured = captures_.find(touchId); captured != captures_.end() && captured->second) {
    return captured->second;
  }
  Control* found = nullptr;
  int index = -1;
  if (!forHover || hoverEnabled) {
    int lowest = forHover ? 1 : 0;
    for (int i = NControls() - 1; i >= lowest; --i) {
      Control& c = *controls_[i];
      bool allowed = !c.disabled || (forHover ? c.hoverWhenDisabled : c.mouseWhenDisabled);
      if (!c.hidden && !c.ignoreMouse && allowed && c.HitTest(x, y)) {
        found = &c;
        index = i;
        break;
      }
    }
  }
  if (capture && found) {
    bool holdsOther = std::any_of(captures_.begin(), captures_.end(), [&](const auto& entry) {
      return entry.first != touchId && entry.second == found;
    });
    if (multiTouchEnabled && holdsOther && !found->wantsMultiTouch) return nullptr;
    captures_.emplace(touchId, found);
  }
  if (forHover) hoverIndex_ = index;
  return found;
}

bool Graphics::IsCapturing(const Control* control) const {
  return std::any_of(captures_.begin(), captures_.end(),
                     [control](const auto& entry) { return entry.second == control; });
}

void Graphics::ReleasePointerCapture() {
  captures_.clear();
  if (cursorHiddenByDrag_) HideMouseCursor(false, true);
}

void Graphics::HideMouseCursor(bool hide, bool lock) {
  cursorHiddenByDrag_ = hide;
  PlatformHideCursor(hide, lock);
}

int Graphics::SetMouseCursor(int shape) {
  cursorShape_ = shape;
  return PlatformSetCursor(shape);
}

void Graphics::BeginGestures(Control& control) {
  for (int i = 0; i < control.NVals(); ++i) {
    if (control.ParamIdx(i) >= 0 && delegate_) delegate_->BeginParamGesture(control.ParamIdx(i));
  }
}

void Graphics::EndGestures(Control& control) {
  for (int i = 0; i < control.NVals(); ++i) {
    if (control.ParamIdx(i) >= 0 && delegate_) delegate_->EndParamGesture(control.ParamIdx(i));
  }
}

void Graphics::PointerDown(std::span<const PointerEvent> events) {
  if (events.size() == 1) {
    mouseDownX_ = events[0].x;
    mouseDownY_ = events[0].y;
  }
  for (const PointerEvent& e : events) {
    Control* c = FindControlAt(e.x, e.y, true, false, e.mods.touchId);
    if (!c) continue;
    int valueIndex = std::max(c->ValueIndexAt(e.x, e.y), 0);
    int paramIdx = c->ParamIdx(valueIndex);
    if (e.mods.right && paramIdx >= 0) {
      ReleasePointerCapture();
      OpenContextMenu(*c, e.x, e.y);
      return;
    }
    BeginGestures(*c);
    c->HandlePointerDown(e.x, e.y, e.mods);
  }
}

void Graphics::PointerDrag(std::span<const PointerEvent> events) {
  if (resizeDragActive && events.size() == 1) {
    const PointerEvent& e = events[0];
    resizeDragShift = e.mods.shift;
    if (resizerMode == ResizerMode::Scale) {
      float scale = std::min(drawScale_ * e.y / mouseDownY_, drawScale_ * e.x / mouseDownX_);
      SetSizeAndScale(width_, height_, scale, true);
    } else {
      SetSizeAndScale(static_cast<int>(e.x), static_cast<int>(e.y), drawScale_, true);
    }
    return;
  }
  if (captures_.empty() || editingControl_) return;
  for (const PointerEvent& e : events) {
    auto captured = captures_.find(e.mods.touchId);
    if (captured == captures_.end() || !captured->second) continue;
    if (e.dX == 0.0f && e.dY == 0.0f) continue;
    captured->second->HandlePointerDrag(e.x, e.y, e.dX, e.dY, e.mods);
  }
}

void Graphics::PointerUp(std::span<const PointerEvent> events) {
  for (const PointerEvent& e : events) {
    auto captured = captures_.find(e.mods.touchId);
    if (captured == captures_.end()) continue;
    // The control still holds the capture while it handles its release.
    if (Control* c = captured->second) {
      c->HandlePointerUp(e.x, e.y, e.mods);
      EndGestures(*c);
    }
    captures_.erase(e.mods.touchId);
  }
  if (resizeDragActive) {
    FinishResizeDrag();
    resizeDragShift = false;
  }
  if (pendingDrawScale > 0.0f) {
    float scale = std::exchange(pendingDrawScale, 0.0f);
    resizeDragActive = true;
    resizeDragShift = false;
    SetSizeAndScale(width_, height_, scale, true);
    FinishResizeDrag();
  }
  if (events.size() == 1 && events[0].mods.touchId == 0) {
    const PointerEvent& e = events[0];
    UpdateHover(FindControlAt(e.x, e.y, false, true), e.x, e.y, e.mods);
  }
}

void Graphics::UpdateHover(Control* control, float x, float y, const MouseMods& mods) {
  if (control != hoverControl_) {
    if (hoverControl_) hoverControl_->HandleHoverEnd();
    hoverControl_ = control;
  }
  if (control) control->HandleHover(x, y, mods);
}

bool Graphics::PointerDoubleClick(float x, float y, const MouseMods& mods) {
  Control* c = FindControlAt(x, y, true, false, 0);
  if (!c) return false;
  if (!c->doubleClickAsSingle) {
    c->HandleDoubleClick(x, y, mods);
    ReleasePointerCapture();
    return true;
  }
  PointerEvent press{x, y, 0.0f, 0.0f, mods};
  PointerDown({&press, 1});
  return true;
}

bool Graphics::PointerHover(float x, float y, const MouseMods& mods) {
  Control* c = FindControlAt(x, y, false, true);
  UpdateHover(c, x, y, mods);
  return c != nullptr;
}

void Graphics::PointerLeft() {
  cursorShape_ = PlatformSetCursor(0);
  ForEachControl([](Control& c) { c.HandleHoverEnd(); });
  hoverControl_ = nullptr;
  hoverIndex_ = -1;
}

bool Graphics::Wheel(float x, float y, const MouseMods& mods, float delta) {
  Control* c = FindControlAt(x, y, false, false);
  if (c) c->HandleWheel(x, y, mods, delta);
  return c != nullptr;
}

bool Graphics::OnKeyDown(float x, float y, const KeyPress& key) {
  Trace("Graphics::OnKeyDown", __LINE__, "x:%0.2f, y:%0.2f, key:%s", x, y, key.utf8);
  Control* c = FindControlAt(x, y, false, false);
  if (c && c != controls_.front().get() && c->HandleKeyDown(x, y, key)) return true;
  return keyHandler ? keyHandler(key, false) : false;
}

bool Graphics::OnKeyUp(float x, float y, const KeyPress& key) {
  Trace("Graphics::OnKeyUp", __LINE__, "x:%0.2f, y:%0.2f, key:%s", x, y, key.utf8);
  Control* c = FindControlAt(x, y, false, false);
  if (c && c != controls_.front().get() && c->HandleKeyUp(x, y, key)) return true;
  return keyHandler ? keyHandler(key, true) : false;
}

void Graphics::FileDropped(const std::string& path, float x, float y) {
  FilesDropped({path}, x, y);
}

void Graphics::FilesDropped(const std::vector<std::string>& paths, float x, float y) {
  Control* target = nullptr;
  for (int i = NControls() - 1; i >= 0 && !target; --i) {
    Control& c = *controls_[i];
    if (!c.hidden && c.AcceptsFileDrops() && c.HitTest(x, y)) target = &c;
  }
  if (!target) target = FindControlAt(x, y, false, false);
  if (!target) return;
  if (paths.size() == 1) {
    target->HandleFileDrop(paths.front());
  } else {
    target->HandleFilesDrop(paths);
  }
}

// ---- Menus and prompts ----

void Graphics::OpenContextMenu(Control& control, float x, float y) {
  contextMenu_.Clear();
  control.FillContextMenu(contextMenu_);
  if (contextMenu_.ItemCount() > 0) OpenPopupMenu(control, contextMenu_, {x, y, x, y}, -1, true);
}

void Graphics::PromptForParamValue(Control& control, const Rect& bounds, int valueIndex) {
  const Parameter* param = control.GetParam(valueIndex);
  if (!param) return;
  std::string text;
  bool menu = param->Kind() == ParamKind::Enumeration ||
              (param->Kind() == ParamKind::Boolean && param->ValueTextCount() > 0);
  if (menu) {
    param->FormatValue(param->Value(), false, text, true);
    contextMenu_.Clear();
    for (int i = 0; i < param->ValueTextCount(); ++i) {
      std::string item;
      param->FormatValue(param->Min() + i, false, item, true);
      contextMenu_.AddItem(item, item == text ? PopupMenu::kTicked : 0);
    }
    contextMenu_.SetTitle(param->Name());
    OpenPopupMenu(control, contextMenu_, bounds, valueIndex, false);
    return;
  }
  param->FormatValue(param->Value(), false, text, false);
  if (control.promptShowsLabel) text += std::string(" ") + param->Label();
  OpenTextEntry(control, control.textStyle, bounds, text, valueIndex);
}

void Graphics::OpenPopupMenu(Control& control, PopupMenu& menu, const Rect& bounds, int valueIndex,
                             bool isContext) {
  ReleasePointerCapture();
  menuControl_ = &control;
  menuValueIndex_ = valueIndex;
  menuIsContext_ = isContext;
  bool isAsync = false;
  PopupMenu* chosen = CreatePlatformPopupMenu(menu, bounds, isAsync);
  if (!isAsync) CompleteMenu(chosen);
}

void Graphics::CompleteMenu(PopupMenu* chosen) {
  Control* control = std::exchange(menuControl_, nullptr);
  if (!control) return;
  // Nothing began a gesture for the menu (a right press begins none), so the choice gets
  // its own pair rather than an end the host never saw begin.
  BeginGestures(*control);
  if (menuIsContext_) {
    control->HandleContextMenuChoice(chosen ? chosen->ChosenIndex() : -1);
  } else {
    control->HandleMenuChoice(chosen && chosen->ChosenIndex() >= 0 ? chosen : nullptr,
                              menuValueIndex_);
  }
  EndGestures(*control);
}

void Graphics::OpenTextEntry(Control& control, const TextStyle& style, const Rect& bounds,
                             const std::string& text, int valueIndex) {
  editingControl_ = &control;
  editingValueIndex_ = valueIndex;
  int paramIdx = valueIndex >= 0 ? control.ParamIdx(valueIndex) : -1;
  CreatePlatformTextEntry(paramIdx, style, bounds, control.textEntryLength, text);
  control.MarkDirty(false, -1);
}

void Graphics::ApplyTextEntryResult(const std::string& text) {
  Control* control = std::exchange(editingControl_, nullptr);
  if (!control) return;
  const Parameter* param =
      editingValueIndex_ >= 0 ? control->GetParam(editingValueIndex_) : nullptr;
  if (param) {
    control->SetValueFromUser(param->Normalized(param->ParseText(text.c_str())),
                              editingValueIndex_);
  } else {
    control->HandleTextEntryResult(text, editingValueIndex_);
  }
}

void Graphics::SyncPeerControls(Control& source, int valueIndex) {
  int paramIdx = source.ParamIdx(valueIndex);
  double value = source.Value(valueIndex);
  for (const auto& control : controls_) {
    if (control.get() == &source) continue;
    for (int j = 0; j < control->NVals(); ++j) {
      if (control->ParamIdx(j) == paramIdx) {
        control->SetValueFromHost(value, j);
        break;
      }
    }
  }
}

// ---- Size and scale ----

void Graphics::ResizeWindowForScale(bool needsPlatformResize) {
  float k = WindowScale();
  int windowWidth = static_cast<int>(k * static_cast<int>(width_ * drawScale_));
  int windowHeight = static_cast<int>(k * static_cast<int>(height_ * drawScale_));
  bool ok =
      delegate_ && delegate_->RequestEditorResize(windowWidth, windowHeight, needsPlatformResize);
  ResizePlatformWindow(windowWidth, windowHeight, ok);
}

void Graphics::SetSizeAndScale(int width, int height, float scale, bool needsPlatformResize) {
  if (delegate_) delegate_->ConstrainEditorSize(width, height);
  scale = std::clamp(scale, kMinScale, kMaxScale);
  if (width == width_ && height == height_ && scale == drawScale_) return;
  if (!resizeDragActive) ReleasePointerCapture();
  width_ = width;
  height_ = height;
  drawScale_ = scale;
  ResizeWindowForScale(needsPlatformResize);
  ForEachControl([](Control& c) { c.HandleResize(); });
  MarkAllDirty();
  RebuildPixelBuffer();
  if (relayoutOnResize && delegate_) delegate_->RunLayout(*this);
}

void Graphics::ApplyScreenScale(float scale) {
  screenScale_ = scale;
  ResizeWindowForScale(true);
  ForEachControl([](Control& c) { c.HandleRescale(); });
  MarkAllDirty();
  RebuildPixelBuffer();
}

void Graphics::FinishResizeDrag() {
  resizeDragActive = false;
  if (resizerMode == ResizerMode::Size) return;  // only a corner resizer would repaint
  ForEachControl([](Control& c) { c.HandleRescale(); });
  MarkAllDirty();
}

void Graphics::RunOpenSequence() {
  RebuildPixelBuffer();
  ApplyScreenScale(WindowScale());
  if (delegate_) delegate_->RunLayout(*this);
  MarkAllDirty();
  if (delegate_) delegate_->OnEditorOpened();
}

// ---- User transform ----

void Graphics::PathTransformSave() {
  transformStack_.push_back(transform_);
}

void Graphics::PathTransformRestore() {
  if (transformStack_.empty()) return;
  transform_ = transformStack_.back();
  transformStack_.pop_back();
  ApplyTransform(transform_);
}

void Graphics::PathTransformReset() {
  transform_ = {};
  ApplyTransform(transform_);
}

void Graphics::PathTransformTranslate(double x, double y) {
  transform_ = transform_.Then({1, 0, 0, 1, x, y});
  ApplyTransform(transform_);
}

void Graphics::PathTransformScale(double x, double y) {
  transform_ = transform_.Then({x, 0, 0, y, 0, 0});
  ApplyTransform(transform_);
}

void Graphics::PathTransformRotate(double degrees) {
  double r = degrees * std::numbers::pi / 180.0, c = std::cos(r), s = std::sin(r);
  transform_ = transform_.Then({c, s, -s, c, 0, 0});
  ApplyTransform(transform_);
}

}  // namespace fw::gui
