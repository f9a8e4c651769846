#pragma once

#include <cairo.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "graphics/graphics.h"

namespace fw::gui {

// Pixels of one decoded image or offscreen layer.
class CairoBitmap final : public BackendBitmap {
 public:
  // Takes over the surface reference.
  CairoBitmap(cairo_surface_t* surface, float scale, float drawScale);
  ~CairoBitmap() override;
  cairo_surface_t* Surface() const { return surface_; }

 private:
  cairo_surface_t* surface_;
};

// The drawing backend: renders on the CPU into the context's own pixel buffer,
// premultiplied BGRA in memory, rows top to bottom, each exactly width × 4 bytes, so a
// window host can present it as it is.
class GraphicsCairo : public Graphics {
 public:
  GraphicsCairo(GraphicsEditorDelegate* delegate, int width, int height, int fps, float drawScale);
  ~GraphicsCairo() override;

  const char* DrawingInterface() const override { return "CAIRO | CPU"; }
  bool ImageTypeSupported(const std::string& extension) const override;

  const uint8_t* PixelData() const { return reinterpret_cast<const uint8_t*>(pixels_.data()); }
  int PixelBufferWidth() const { return pixelWidth_; }
  int PixelBufferHeight() const { return pixelHeight_; }
  int RowBytes() const { return pixelWidth_ * 4; }

  void DrawBitmapFrame(const Bitmap& bitmap, const Rect& dest, float srcX, float srcY,
                       const Blend* blend = nullptr) override;
  float MeasureText(const TextStyle& style, const std::string& text, Rect& bounds) override;
  void DrawText(const TextStyle& style, const std::string& text, const Rect& bounds,
                const Blend* blend = nullptr) override;
  Color ReadPixel(float x, float y) override;

  void PathClear() override;
  void PathClose() override;
  void PathArc(float cx, float cy, float r, float a1, float a2, bool clockwise = true) override;
  void PathMoveTo(float x, float y) override;
  void PathLineTo(float x, float y) override;
  void PathCubicTo(float c1x, float c1y, float c2x, float c2y, float x2, float y2) override;
  void PathStroke(const Color& color, float thickness, const StrokeOptions& options,
                  const Blend* blend) override;
  void PathFill(const Color& color, const FillOptions& options, const Blend* blend) override;

  void StartLayer(const Rect& r) override;
  std::unique_ptr<BackendBitmap> EndLayer() override;

 protected:
  void RebuildPixelBuffer() override;
  void ApplyTransform(const Transform& t) override;
  void ClipToRect(const Rect& r) override;
  std::unique_ptr<BackendBitmap> DecodeBitmap(std::span<const unsigned char> data,
                                              int scale) override;
  bool LoadTypeface(const std::string& fontId, const FontData& font, const FontInfo& info) override;

 private:
  struct Layer {
    cairo_surface_t* surface;
    cairo_t* cr;
    Rect rect;
    Rect previousClip;
  };
  struct TextLayout;
  bool LayoutText(const TextStyle& style, const std::string& text, const Rect& bounds,
                  TextLayout& out);
  cairo_t* Context() const { return layers_.empty() ? cr_ : layers_.back().cr; }
  cairo_matrix_t BaseMatrix() const;
  void ReleaseSurface();

  std::vector<uint32_t> pixels_;
  int pixelWidth_ = 0;
  int pixelHeight_ = 0;
  cairo_surface_t* surface_ = nullptr;
  cairo_t* cr_ = nullptr;
  std::vector<Layer> layers_;
  Transform userTransform_;
  Rect clip_;
};

}  // namespace fw::gui
