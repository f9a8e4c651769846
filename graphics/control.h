#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "graphics/geometry.h"
#include "graphics/popup_menu.h"

namespace fw {
class Parameter;
}

namespace fw::gui {

class Graphics;
class GraphicsEditorDelegate;

// One value of a control and the parameter it follows (−1: none); normalised.
struct ValueBinding {
  int32_t paramIdx = -1;
  double value = 0.0;
};

// A rectangle of the editor that paints itself, may follow parameters and reacts to
// the events the graphics context routes to it.
class Control {
 public:
  using ActionFunction = std::function<void(Control*)>;
  using AnimationFunction = std::function<void(Control*)>;
  using GestureFunction = std::function<void(Control*, int32_t info)>;

  Control(const Rect& bounds, int paramIdx = -1, ActionFunction actionFunc = nullptr);
  virtual ~Control() = default;
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  virtual void HandlePointerDown(float x, float y, const MouseMods& mods);
  virtual void HandlePointerUp(float /*x*/, float /*y*/, const MouseMods& /*mods*/) {}
  virtual void HandlePointerDrag(float /*x*/, float /*y*/, float /*dX*/, float /*dY*/,
                                 const MouseMods& /*mods*/) {}
  virtual void HandleDoubleClick(float x, float y, const MouseMods& mods);
  virtual void HandleWheel(float /*x*/, float /*y*/, const MouseMods& /*mods*/, float /*delta*/) {}
  virtual bool HandleKeyDown(float /*x*/, float /*y*/, const KeyPress& /*key*/) { return false; }
  virtual bool HandleKeyUp(float /*x*/, float /*y*/, const KeyPress& /*key*/) { return false; }
  virtual void HandleHover(float x, float y, const MouseMods& mods);
  virtual void HandleHoverEnd();
  virtual void HandleFileDrop(const std::string& /*path*/) {}
  virtual void HandleFilesDrop(const std::vector<std::string>& paths);
  virtual bool AcceptsFileDrops() const { return false; }
  virtual void HandleRescale() {}
  virtual void HandleResize() {}
  virtual void HandleInit() {}
  virtual void HandleAttached() {}
  virtual bool HandleGesture(int32_t type, int32_t info);
  virtual void FillContextMenu(PopupMenu& /*menu*/) {}
  virtual void HandleMenuChoice(PopupMenu* menu, int valueIndex);
  virtual void HandleTextEntryResult(const std::string& /*text*/, int /*valueIndex*/) {}
  virtual void HandleContextMenuChoice(int /*itemIndex*/) {}
  virtual void Render(Graphics& g) = 0;
  virtual void RenderHostHighlight(Graphics& g);

  // Throws std::out_of_range("invalid vector subscript") for a value index outside the list.
  virtual void BindParam(int paramIdx, int valueIndex = 0);
  virtual int ValueIndexAt(float x, float y) const;
  virtual void SetValueFromHost(double value, int valueIndex = 0);
  virtual void SetValueFromUser(double value, int valueIndex = 0);
  virtual void ResetToDefault(int valueIndex = -1);
  virtual void StoreValue(double value, int valueIndex = 0);
  virtual void SetTextStyle(const TextStyle& style) { textStyle = style; }
  virtual void MoveTo(float x, float y);
  virtual void ResizeTo(float w, float h);
  virtual void SetHidden(bool hide);
  virtual void SetGreyedOut(bool disable);
  virtual void SetMouseTransparent(bool ignore) { ignoreMouse = ignore; }
  virtual bool HitTest(float x, float y) const { return bounds.Contains(x, y); }
  // Clamps the values to [0, 1]; with notify, reports a user change to the delegate,
  // the peer controls and the action function.
  virtual void MarkDirty(bool notify = false, int valueIndex = -1);
  virtual void MarkClean() { dirty = false; }
  virtual bool NeedsRepaint() const { return animationFunc ? true : dirty; }
  virtual bool WantsGestures() const { return !gestureFuncs.empty() && !animationFunc; }
  virtual void SetValueFromPosition(float x, float y, int direction, const Rect& area,
                                    int valueIndex, double minValue, double maxValue);
  virtual void FinishAnimation();

  double Value(int valueIndex = 0) const { return bindings_.at(valueIndex).value; }
  int ParamIdx(int valueIndex = 0) const { return bindings_.at(valueIndex).paramIdx; }
  int NVals() const { return static_cast<int>(bindings_.size()); }
  // The bound parameter, or null when unbound or unknown to the delegate.
  const Parameter* GetParam(int valueIndex = 0) const;
  // A parameter that snaps to a step greater than 0.
  bool IsStepped(int valueIndex = 0) const;
  double SnapToStep(double normalized, int valueIndex = 0) const;

  void SetContext(GraphicsEditorDelegate* delegate, Graphics* graphics) {
    delegate_ = delegate;
    graphics_ = graphics;
  }
  Graphics* GetUI() const { return graphics_; }
  GraphicsEditorDelegate* GetDelegate() const { return delegate_; }

  Rect bounds;
  Rect targetBounds;
  std::string group;
  TextStyle textStyle;
  Blend blend;
  int textEntryLength = 7;
  bool dirty = true;
  bool hidden = false;
  bool disabled = false;
  bool promptDisabled = true;
  bool doubleClickAsSingle = false;
  bool hoverWhenDisabled = false;
  bool mouseWhenDisabled = false;
  bool ignoreMouse = false;
  bool wantsMidi = false;
  bool wantsMultiTouch = false;
  bool promptShowsLabel = false;
  bool mouseIsOver = false;
  std::string tooltip;
  Color highlightColor{255, 255, 0, 0};
  bool highlightOn = false;
  Control* parent = nullptr;
  ActionFunction actionFunc;
  AnimationFunction animationEndFunc;
  AnimationFunction animationFunc;
  std::unordered_map<int32_t, GestureFunction> gestureFuncs;
  int32_t lastGesture = 0;

 protected:
  std::vector<ValueBinding> bindings_;

 private:
  GraphicsEditorDelegate* delegate_ = nullptr;
  Graphics* graphics_ = nullptr;
};

}  // namespace fw::gui
