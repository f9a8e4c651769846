#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <type_traits>
#include <unordered_map>
#include <utility>
#include <vector>

#include "graphics/bitmap.h"
#include "graphics/font_info.h"
#include "graphics/geometry.h"
#include "graphics/popup_menu.h"
#include "graphics/resources.h"

namespace fw::gui {

class Control;
class GraphicsEditorDelegate;

enum class ResizerMode : int32_t { Scale = 0, Size = 1 };

struct StrokeOptions {
  enum class Cap { Butt, Round, Square };
  enum class Join { Miter, Round, Bevel };
  float miterLimit = 10.0f;
  Cap cap = Cap::Butt;
  Join join = Join::Miter;
  std::vector<float> dashes;  // odd counts repeat once
  float dashOffset = 0.0f;
  bool preserve = false;
};

struct FillOptions {
  bool evenOdd = false;
  bool preserve = false;
};

// A font's bytes: module resource bytes (owner empty) or a file mapping the owner keeps.
struct FontData {
  std::span<const unsigned char> bytes;
  std::shared_ptr<const void> owner;
};
FontData MapFontFile(const std::string& path);

// The user transform of the drawing operations: x' = xx·x + xy·y + tx, y' = yx·x + yy·y + ty.
struct Transform {
  double xx = 1, yx = 0, xy = 0, yy = 1, tx = 0, ty = 0;
  Transform Then(const Transform& inner) const;  // this ∘ inner
};

// The editor's graphics context: owns the controls, decides what to repaint, paints,
// routes pointer, wheel, key and drop events to controls, and keeps the draw scale
// (user zoom) and screen scale that map points to pixels. Pixels and windows belong
// to the drawing backend and the platform layer that derive from it.
class Graphics {
 public:
  static constexpr float kMinScale = 0.5f;
  static constexpr float kMaxScale = 4.0f;

  Graphics(GraphicsEditorDelegate* delegate, int width, int height, int fps, float drawScale);
  virtual ~Graphics();
  Graphics(const Graphics&) = delete;
  Graphics& operator=(const Graphics&) = delete;

  // Size and scale.
  int Width() const { return width_; }
  int Height() const { return height_; }
  int FPS() const { return fps_; }
  float DrawScale() const { return drawScale_; }
  float ScreenScale() const { return screenScale_; }
  float BackingScale() const { return drawScale_ * screenScale_; }
  virtual void SetSizeAndScale(int width, int height, float scale, bool needsPlatformResize);
  void ApplyScreenScale(float scale);
  void FinishResizeDrag();
  GraphicsEditorDelegate* Delegate() const { return delegate_; }

  // Opens the editor's window inside parent (null when it cannot) and closes it.
  virtual void* OpenWindow(void* parent) = 0;
  virtual void CloseWindow() = 0;
  // Every control bound to the parameter takes the normalised value.
  virtual void SetParamValueFromHost(int paramIndex, double normalizedValue);

  // Control list. AddControl takes ownership only on success (a tag ≥ 0 already in
  // use refuses the control and leaves it with the caller).
  template <class T>
  T* AddControl(std::unique_ptr<T>&& control, int tag = -1, const std::string& group = "") {
    static_assert(std::is_base_of_v<Control, T>);
    if (!control || (tag >= 0 && ControlForTag(tag))) return nullptr;
    T* added = control.get();
    AttachControl(std::unique_ptr<Control>(control.release()), tag, group);
    return added;
  }
  void SetBackgroundImage(const std::string& fileName);
  // Virtual, as are OnKeyDown and OnKeyUp, so the delegate layer below this library
  // reaches them without linking it.
  virtual Control* ControlForTag(int tag) const;
  Control* GetControl(int index) const { return controls_[index].get(); }
  int NControls() const { return static_cast<int>(controls_.size()); }
  void ForEachControl(const std::function<void(Control&)>& fn) const;
  void MarkAllDirty();
  void MarkAllClean();
  void RemoveAllControls();

  // Frame and paint.
  bool CollectDirtyRects(RectList& out);
  void Paint(const RectList& rects);
  void PaintControl(Control& control, const Rect& area, float scale);

  // Events, in points.
  void PointerDown(std::span<const PointerEvent> events);
  void PointerUp(std::span<const PointerEvent> events);
  void PointerDrag(std::span<const PointerEvent> events);
  bool PointerDoubleClick(float x, float y, const MouseMods& mods);
  bool PointerHover(float x, float y, const MouseMods& mods);
  void PointerLeft();
  bool Wheel(float x, float y, const MouseMods& mods, float delta);
  virtual bool OnKeyDown(float x, float y, const KeyPress& key);
  virtual bool OnKeyUp(float x, float y, const KeyPress& key);
  void FileDropped(const std::string& path, float x, float y);
  void FilesDropped(const std::vector<std::string>& paths, float x, float y);
  // Where the window host last saw the pointer, in points; the key events the host
  // passes on go to the control there.
  virtual void PointerPosition(float& x, float& y) const {
    x = mouseDownX_;
    y = mouseDownY_;
  }
  Control* FindControlAt(float x, float y, bool capture, bool forHover = false,
                         int64_t touchId = 0);
  void ReleasePointerCapture();
  bool IsCapturing(const Control* control) const;
  // Hides the cursor during a drag (lock: keep it in place) and shows it again.
  void HideMouseCursor(bool hide = true, bool lock = true);
  // Returns the previous shape.
  int SetMouseCursor(int shape);
  Control* HoverControl() const { return hoverControl_; }
  int HoverIndex() const { return hoverIndex_; }
  int CursorShape() const { return cursorShape_; }
  float MouseDownX() const { return mouseDownX_; }
  float MouseDownY() const { return mouseDownY_; }

  // Prompts and menus, on behalf of controls.
  void PromptForParamValue(Control& control, const Rect& bounds, int valueIndex);
  void OpenContextMenu(Control& control, float x, float y);
  void OpenPopupMenu(Control& control, PopupMenu& menu, const Rect& bounds, int valueIndex,
                     bool isContext);
  void OpenTextEntry(Control& control, const TextStyle& style, const Rect& bounds,
                     const std::string& text, int valueIndex);
  void ApplyTextEntryResult(const std::string& text);
  void CancelTextEntry() { editingControl_ = nullptr; }
  Control* EditingControl() const { return editingControl_; }
  void SyncPeerControls(Control& source, int valueIndex);

  // Bitmaps, fonts and resources. targetScale 0: ceil(drawScale × screenScale).
  Bitmap FetchBitmap(const std::string& name, int frames = 1, bool framesHorizontal = false,
                     int targetScale = 0);
  Bitmap FetchBitmapFromMemory(const std::string& name, std::span<const unsigned char> data,
                               int frames = 1, bool framesHorizontal = false, int targetScale = 0);
  Bitmap RescaleBitmap(const Bitmap& bitmap, const std::string& name, int targetScale);
  bool RegisterFont(const std::string& fontId, const std::string& fileName);
  std::vector<unsigned char> LoadResourceBytes(const std::string& name,
                                               const std::string& type) const;
  ResourceLocation LocateResource(const std::string& name, const std::string& type,
                                  std::string& outPath) const;
  virtual bool ImageTypeSupported(const std::string& extension) const = 0;

  // Drawing, in points under the user transform.
  virtual const char* DrawingInterface() const = 0;
  virtual void DrawBitmapFrame(const Bitmap& bitmap, const Rect& dest, float srcX, float srcY,
                               const Blend* blend = nullptr) = 0;
  void DrawFittedBitmap(const Bitmap& bitmap, const Rect& bounds, const Blend* blend = nullptr);
  void DrawRotatedBitmap(const Bitmap& bitmap, float cx, float cy, double angle,
                         const Blend* blend = nullptr);
  void DrawLine(const Color& color, float x1, float y1, float x2, float y2,
                const Blend* blend = nullptr, float thickness = 1.0f);
  void DrawRect(const Color& color, const Rect& r, const Blend* blend = nullptr,
                float thickness = 1.0f);
  void FillRect(const Color& color, const Rect& r, const Blend* blend = nullptr);
  void DrawRoundRect(const Color& color, const Rect& r, float radius, const Blend* blend = nullptr,
                     float thickness = 1.0f);
  void FillRoundRect(const Color& color, const Rect& r, float radius, const Blend* blend = nullptr);
  void DrawCircle(const Color& color, float cx, float cy, float r, const Blend* blend = nullptr,
                  float thickness = 1.0f);
  void FillCircle(const Color& color, float cx, float cy, float r, const Blend* blend = nullptr);
  void DrawArc(const Color& color, float cx, float cy, float r, float a1, float a2,
               const Blend* blend = nullptr, float thickness = 1.0f);
  void FillArc(const Color& color, float cx, float cy, float r, float a1, float a2,
               const Blend* blend = nullptr);
  void FillTriangle(const Color& color, float x1, float y1, float x2, float y2, float x3, float y3,
                    const Blend* blend = nullptr);
  void DrawTriangle(const Color& color, float x1, float y1, float x2, float y2, float x3, float y3,
                    const Blend* blend = nullptr, float thickness = 1.0f);
  void DrawPoint(const Color& color, float x, float y, const Blend* blend = nullptr);
  void DrawDottedLine(const Color& color, float x1, float y1, float x2, float y2,
                      const Blend* blend = nullptr, float thickness = 1.0f,
                      float dashLength = 2.0f);
  void DrawDottedRect(const Color& color, const Rect& r, const Blend* blend = nullptr,
                      float thickness = 1.0f, float dashLength = 2.0f);
  void DrawEllipse(const Color& color, const Rect& r, const Blend* blend = nullptr,
                   float thickness = 1.0f);
  void FillEllipse(const Color& color, const Rect& r, const Blend* blend = nullptr);
  void DrawConvexPolygon(const Color& color, std::span<const float> x, std::span<const float> y,
                         const Blend* blend = nullptr, float thickness = 1.0f);
  void FillConvexPolygon(const Color& color, std::span<const float> x, std::span<const float> y,
                         const Blend* blend = nullptr);
  // Lines every spacing points starting at the left and top edges; spacings ≤ 1 draw none.
  void DrawGrid(const Color& color, const Rect& bounds, float spacingX, float spacingY,
                const Blend* blend = nullptr, float thickness = 1.0f);
  // Empty text measures 0 and draws nothing, as does a font id nobody registered.
  virtual float MeasureText(const TextStyle& style, const std::string& text, Rect& bounds) = 0;
  virtual void DrawText(const TextStyle& style, const std::string& text, const Rect& bounds,
                        const Blend* blend = nullptr) = 0;
  virtual Color ReadPixel(float x, float y) = 0;

  // The user transform; identity at the start of every control's paint.
  void PathTransformSave();
  void PathTransformRestore();
  void PathTransformReset();
  void PathTransformTranslate(double x, double y);
  void PathTransformScale(double x, double y);
  void PathTransformRotate(double degrees);

  // The path interface the drawing operations are built on.
  virtual void PathClear() = 0;
  virtual void PathClose() = 0;
  // Degrees, 0 = up, clockwise.
  virtual void PathArc(float cx, float cy, float r, float a1, float a2, bool clockwise = true) = 0;
  virtual void PathMoveTo(float x, float y) = 0;
  virtual void PathLineTo(float x, float y) = 0;
  virtual void PathCubicTo(float c1x, float c1y, float c2x, float c2y, float x2, float y2) = 0;
  virtual void PathStroke(const Color& color, float thickness, const StrokeOptions& options,
                          const Blend* blend) = 0;
  virtual void PathFill(const Color& color, const FillOptions& options, const Blend* blend) = 0;

  // Offscreen layers: drawing goes to the top one until it ends.
  virtual void StartLayer(const Rect& r) = 0;
  virtual std::unique_ptr<BackendBitmap> EndLayer() = 0;

  // Configuration and state shared with the controls and the platform layer.
  bool hoverEnabled = false;
  bool drawAsOneRect = false;
  bool relayoutOnResize = false;
  bool multiTouchEnabled = false;
  ResizerMode resizerMode = ResizerMode::Scale;
  bool resizeDragActive = false;
  bool resizeDragShift = false;
  float pendingDrawScale = 0.0f;  // applied at the next release when > 0
  std::function<bool(const KeyPress&, bool isUp)> keyHandler;
  std::function<void(RectList&)> frameHook;

 protected:
  // Backend: frame steps and the pixel buffer.
  virtual void BeginFrame() {}
  virtual void EndFrame() {}
  virtual void RebuildPixelBuffer() = 0;
  virtual void ApplyTransform(const Transform& t) = 0;
  virtual void ClipToRect(const Rect& r) = 0;
  virtual std::unique_ptr<BackendBitmap> DecodeBitmap(std::span<const unsigned char> data,
                                                      int scale) = 0;
  // False when the backend cannot make a typeface of the font.
  virtual bool LoadTypeface(const std::string& fontId, const FontData& font,
                            const FontInfo& info) = 0;

  // Platform: cursor, window, text field and menu services.
  virtual void PlatformHideCursor(bool /*hide*/, bool /*lock*/) {}
  // Returns the shape shown before.
  virtual int PlatformSetCursor(int shape) { return shape; }
  virtual void ResizePlatformWindow(int /*width*/, int /*height*/, bool /*hostResized*/) {}
  virtual void CreatePlatformTextEntry(int /*paramIdx*/, const TextStyle& /*style*/,
                                       const Rect& /*bounds*/, int /*length*/,
                                       const std::string& /*text*/) {}
  // The chosen menu (none when dismissed); isAsync when the answer comes later.
  virtual PopupMenu* CreatePlatformPopupMenu(PopupMenu& /*menu*/, const Rect& /*bounds*/,
                                             bool& isAsync) {
    isAsync = false;
    return nullptr;
  }
  virtual float WindowScale() const { return 1.0f; }

  // Called by the platform when an asynchronous menu completes.
  void CompleteMenu(PopupMenu* chosen);
  void RunOpenSequence();

 private:
  void AttachControl(std::unique_ptr<Control> control, int tag, const std::string& group);
  void BeginGestures(Control& control);
  void EndGestures(Control& control);
  void ConstrainToContainer(Rect& r, const Control& control) const;
  bool ConstrainClipToContainers(Rect& clip, const Control& control, float scale) const;
  void UpdateHover(Control* control, float x, float y, const MouseMods& mods);
  Bitmap FetchBitmapLocked(const std::string& name, int frames, bool framesHorizontal,
                           int targetScale, std::span<const unsigned char> memory);
  Bitmap RescaleBitmapLocked(const Bitmap& bitmap, const std::string& name, int targetScale);
  void ResizeWindowForScale(bool needsPlatformResize);

  GraphicsEditorDelegate* delegate_;
  int width_;
  int height_;
  int fps_;
  float screenScale_ = 1.0f;
  float drawScale_;
  int cursorShape_ = 0;

  std::vector<std::unique_ptr<Control>> controls_;
  std::unordered_map<int, Control*> controlsByTag_;
  std::unordered_map<int64_t, Control*> captures_;
  PopupMenu contextMenu_;
  Control* hoverControl_ = nullptr;
  int hoverIndex_ = -1;
  Control* editingControl_ = nullptr;
  int editingValueIndex_ = -1;
  Control* menuControl_ = nullptr;
  int menuValueIndex_ = -1;
  bool menuIsContext_ = false;
  float mouseDownX_ = -1.0f;
  float mouseDownY_ = -1.0f;
  bool cursorHiddenByDrag_ = false;

  Transform transform_;
  std::vector<Transform> transformStack_;
  ResourceLocator resources_;
};

}  // namespace fw::gui
