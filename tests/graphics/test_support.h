#pragma once

#include <cairo.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "framework/graphics_editor_delegate.h"
#include "graphics/control.h"
#include "graphics/graphics.h"
#include "graphics/platform/headless/graphics_headless.h"

namespace gfxtest {

using Log = std::vector<std::string>;

// An editor delegate with four parameters that logs gestures, values and resizes:
//   0 "Level"  real 0…1, default 0.5
//   1 "Tenths" real 0…1 snapping to 0.1, default 0
//   2 "Mode"   enumeration "Hall", "Room", "Plate", default 1
//   3 "Delay"  real 0…100 ms, step 0.01, default 25
class TestDelegate : public fw::gui::GraphicsEditorDelegate {
 public:
  TestDelegate() : GraphicsEditorDelegate(4) {
    static const char* const kModes[] = {"Hall", "Room", "Plate"};
    Param(0)->Configure("Level", 0.5, 0, 1, 0.001, "", fw::NoParamFlags, "",
                        fw::Parameter::ShapeLinear(), 21);
    Param(1)->Configure("Tenths", 0, 0, 1, 0.1, "", fw::SnapToStep, "",
                        fw::Parameter::ShapeLinear(), 21);
    Param(2)->ConfigureEnumeration("Mode", 1, 3, "", fw::NoParamFlags, "", kModes);
    Param(3)->Configure("Delay", 25, 0, 100, 0.01, "ms", fw::NoParamFlags, "",
                        fw::Parameter::ShapeLinear(), 21);
  }

  void BeginParamGesture(int32_t index) override {
    log.push_back("begin " + std::to_string(index));
  }
  void EndParamGesture(int32_t index) override { log.push_back("end " + std::to_string(index)); }
  void SendParamFromUI(int32_t index, double normalizedValue) override {
    char text[64];
    std::snprintf(text, sizeof text, "send %d %.4f", index, normalizedValue);
    log.push_back(text);
    GraphicsEditorDelegate::SendParamFromUI(index, normalizedValue);
  }
  bool RequestEditorResize(int32_t width, int32_t height, bool needsPlatformResize) override {
    log.push_back("resize " + std::to_string(width) + "x" + std::to_string(height) +
                  (needsPlatformResize ? " platform" : ""));
    return true;
  }
  void OnEditorOpened() override { log.push_back("opened"); }
  using GraphicsEditorDelegate::layoutFunction;

  Log log;
};

// A filled rectangle that logs the events it gets.
class ProbeControl : public fw::gui::Control {
 public:
  ProbeControl(const fw::gui::Rect& bounds, int paramIdx = -1, uint32_t argb = 0xff000000)
      : Control(bounds, paramIdx), argb_(argb) {}

  void HandlePointerDown(float x, float y, const fw::gui::MouseMods& mods) override {
    Record("down", x, y);
    Control::HandlePointerDown(x, y, mods);
  }
  void HandlePointerUp(float x, float y, const fw::gui::MouseMods&) override { Record("up", x, y); }
  void HandlePointerDrag(float x, float y, float, float, const fw::gui::MouseMods&) override {
    Record("drag", x, y);
  }
  bool HandleKeyDown(float, float, const fw::gui::KeyPress&) override {
    events.push_back("key");
    return takesKeys;
  }
  void HandleRescale() override { ++rescales; }
  void Render(fw::gui::Graphics& g) override {
    g.FillRect({static_cast<int>(argb_ >> 24), static_cast<int>((argb_ >> 16) & 0xff),
                static_cast<int>((argb_ >> 8) & 0xff), static_cast<int>(argb_ & 0xff)},
               bounds, &blend);
  }

  Log events;
  int rescales = 0;
  bool takesKeys = false;

 private:
  void Record(const char* what, float x, float y) {
    events.push_back(std::string(what) + " " + std::to_string(static_cast<int>(x)) + "," +
                     std::to_string(static_cast<int>(y)));
  }
  uint32_t argb_;
};

inline std::unique_ptr<fw::gui::GraphicsHeadless> MakeContext(TestDelegate& delegate,
                                                              float drawScale = 1.0f,
                                                              float screenScale = 1.0f) {
  auto g =
      std::make_unique<fw::gui::GraphicsHeadless>(&delegate, 650, 438, 60, drawScale, screenScale);
  g->ApplyScreenScale(screenScale);
  return g;
}

// The premultiplied BGRA pixel at (x, y) of the buffer as a 0xAARRGGBB word.
inline uint32_t PixelAt(const fw::gui::GraphicsCairo& g, int x, int y) {
  const uint8_t* p = g.PixelData() + static_cast<size_t>(y) * g.RowBytes() + x * 4;
  return static_cast<uint32_t>(p[3]) << 24 | p[2] << 16 | p[1] << 8 | p[0];
}

inline fw::gui::PointerEvent At(float x, float y, fw::gui::MouseMods mods = {}) {
  mods.left = !mods.right;
  return {x, y, 0.0f, 0.0f, mods};
}

inline fw::gui::PointerEvent DragTo(float x, float y, float dX, float dY,
                                    fw::gui::MouseMods mods = {}) {
  return {x, y, dX, dY, mods};
}

// Writes the buffer as a PNG when HALVERN_GRAPHICS_SNAPSHOTS names a directory.
inline void Snapshot(const fw::gui::GraphicsCairo& g, const std::string& name) {
  const char* dir = std::getenv("HALVERN_GRAPHICS_SNAPSHOTS");
  if (!dir) return;
  cairo_surface_t* surface = cairo_image_surface_create_for_data(
      const_cast<uint8_t*>(g.PixelData()), CAIRO_FORMAT_ARGB32, g.PixelBufferWidth(),
      g.PixelBufferHeight(), g.RowBytes());
  cairo_surface_write_to_png(surface, (std::string(dir) + "/" + name + ".png").c_str());
  cairo_surface_destroy(surface);
}

}  // namespace gfxtest
