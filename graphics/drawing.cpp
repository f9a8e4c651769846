#include <algorithm>
#include <cmath>

#include "graphics/graphics.h"

namespace fw::gui {

void Graphics::DrawFittedBitmap(const Bitmap& bitmap, const Rect& bounds, const Blend* blend) {
  if (bitmap.IsNone() || bitmap.W == 0 || bitmap.H == 0) return;
  PathTransformSave();
  PathTransformTranslate(bounds.left, bounds.top);
  PathTransformScale(bounds.W() / bitmap.W, bounds.H() / bitmap.H);
  DrawBitmapFrame(bitmap, {0, 0, static_cast<float>(bitmap.W), static_cast<float>(bitmap.H)}, 0, 0,
                  blend);
  PathTransformRestore();
}

void Graphics::DrawRotatedBitmap(const Bitmap& bitmap, float cx, float cy, double angle,
                                 const Blend* blend) {
  if (bitmap.IsNone()) return;
  float w = bitmap.W / bitmap.api->DrawScale(), h = bitmap.H / bitmap.api->DrawScale();
  PathTransformSave();
  PathTransformTranslate(cx, cy);
  PathTransformRotate(angle);
  DrawBitmapFrame(bitmap, {-0.5f * w, -0.5f * h, 0.5f * w, 0.5f * h}, 0, 0, blend);
  PathTransformRestore();
}

void Graphics::DrawLine(const Color& color, float x1, float y1, float x2, float y2,
                        const Blend* blend, float thickness) {
  PathClear();
  PathMoveTo(x1, y1);
  PathLineTo(x2, y2);
  PathStroke(color, thickness, {}, blend);
}

namespace {

void RectPath(Graphics& g, const Rect& r) {
  g.PathMoveTo(r.left, r.top);
  g.PathLineTo(r.right, r.top);
  g.PathLineTo(r.right, r.bottom);
  g.PathLineTo(r.left, r.bottom);
  g.PathClose();
}

void RoundRectPath(Graphics& g, const Rect& r, float radius) {
  radius = std::min({radius, 0.5f * r.W(), 0.5f * r.H()});
  if (radius <= 0.0f) return RectPath(g, r);
  g.PathMoveTo(r.left, r.bottom - radius);
  g.PathArc(r.left + radius, r.top + radius, radius, 270, 360);
  g.PathArc(r.right - radius, r.top + radius, radius, 0, 90);
  g.PathArc(r.right - radius, r.bottom - radius, radius, 90, 180);
  g.PathArc(r.left + radius, r.bottom - radius, radius, 180, 270);
  g.PathClose();
}

}  // namespace

void Graphics::DrawRect(const Color& color, const Rect& r, const Blend* blend, float thickness) {
  PathClear();
  RectPath(*this, r);
  PathStroke(color, thickness, {}, blend);
}

void Graphics::FillRect(const Color& color, const Rect& r, const Blend* blend) {
  PathClear();
  RectPath(*this, r);
  PathFill(color, {}, blend);
}

void Graphics::DrawRoundRect(const Color& color, const Rect& r, float radius, const Blend* blend,
                             float thickness) {
  PathClear();
  RoundRectPath(*this, r, radius);
  PathStroke(color, thickness, {}, blend);
}

void Graphics::FillRoundRect(const Color& color, const Rect& r, float radius, const Blend* blend) {
  PathClear();
  RoundRectPath(*this, r, radius);
  PathFill(color, {}, blend);
}

void Graphics::DrawCircle(const Color& color, float cx, float cy, float r, const Blend* blend,
                          float thickness) {
  PathClear();
  PathMoveTo(cx, cy - r);
  PathArc(cx, cy, r, 0, 360);
  PathClose();
  PathStroke(color, thickness, {}, blend);
}

void Graphics::FillCircle(const Color& color, float cx, float cy, float r, const Blend* blend) {
  PathClear();
  PathMoveTo(cx, cy - r);
  PathArc(cx, cy, r, 0, 360);
  PathClose();
  PathFill(color, {}, blend);
}

void Graphics::DrawArc(const Color& color, float cx, float cy, float r, float a1, float a2,
                       const Blend* blend, float thickness) {
  PathClear();
  PathArc(cx, cy, r, a1, a2);
  PathStroke(color, thickness, {}, blend);
}

void Graphics::FillArc(const Color& color, float cx, float cy, float r, float a1, float a2,
                       const Blend* blend) {
  PathClear();
  PathMoveTo(cx, cy);
  PathArc(cx, cy, r, a1, a2);
  PathClose();
  PathFill(color, {}, blend);
}

void Graphics::FillTriangle(const Color& color, float x1, float y1, float x2, float y2, float x3,
                            float y3, const Blend* blend) {
  PathClear();
  PathMoveTo(x1, y1);
  PathLineTo(x2, y2);
  PathLineTo(x3, y3);
  PathClose();
  PathFill(color, {}, blend);
}

void Graphics::DrawTriangle(const Color& color, float x1, float y1, float x2, float y2, float x3,
                            float y3, const Blend* blend, float thickness) {
  PathClear();
  PathMoveTo(x1, y1);
  PathLineTo(x2, y2);
  PathLineTo(x3, y3);
  PathClose();
  PathStroke(color, thickness, {}, blend);
}

void Graphics::DrawPoint(const Color& color, float x, float y, const Blend* blend) {
  FillRect(color, {x, y, x + 1, y + 1}, blend);
}

void Graphics::DrawDottedLine(const Color& color, float x1, float y1, float x2, float y2,
                              const Blend* blend, float thickness, float dashLength) {
  PathClear();
  PathMoveTo(x1, y1);
  PathLineTo(x2, y2);
  StrokeOptions options;
  options.dashes = {dashLength};
  PathStroke(color, thickness, options, blend);
}

void Graphics::DrawDottedRect(const Color& color, const Rect& r, const Blend* blend,
                              float thickness, float dashLength) {
  PathClear();
  RectPath(*this, r);
  StrokeOptions options;
  options.dashes = {dashLength};
  PathStroke(color, thickness, options, blend);
}

namespace {

// Four cubic quarters, the usual circle approximation stretched to the rectangle.
void EllipsePath(Graphics& g, const Rect& r) {
  constexpr float k = 0.5522847f;
  float cx = r.MW(), cy = r.MH(), rx = 0.5f * r.W(), ry = 0.5f * r.H();
  g.PathMoveTo(cx, cy - ry);
  g.PathCubicTo(cx + k * rx, cy - ry, cx + rx, cy - k * ry, cx + rx, cy);
  g.PathCubicTo(cx + rx, cy + k * ry, cx + k * rx, cy + ry, cx, cy + ry);
  g.PathCubicTo(cx - k * rx, cy + ry, cx - rx, cy + k * ry, cx - rx, cy);
  g.PathCubicTo(cx - rx, cy - k * ry, cx - k * rx, cy - ry, cx, cy - ry);
  g.PathClose();
}

void PolygonPath(Graphics& g, std::span<const float> x, std::span<const float> y) {
  size_t count = std::min(x.size(), y.size());
  if (count == 0) return;
  g.PathMoveTo(x[0], y[0]);
  for (size_t i = 1; i < count; ++i)
    g.PathLineTo(x[i], y[i]);
  g.PathClose();
}

}  // namespace

void Graphics::DrawEllipse(const Color& color, const Rect& r, const Blend* blend, float thickness) {
  PathClear();
  EllipsePath(*this, r);
  PathStroke(color, thickness, {}, blend);
}

void Graphics::FillEllipse(const Color& color, const Rect& r, const Blend* blend) {
  PathClear();
  EllipsePath(*this, r);
  PathFill(color, {}, blend);
}

void Graphics::DrawConvexPolygon(const Color& color, std::span<const float> x,
                                 std::span<const float> y, const Blend* blend, float thickness) {
  PathClear();
  PolygonPath(*this, x, y);
  PathStroke(color, thickness, {}, blend);
}

void Graphics::FillConvexPolygon(const Color& color, std::span<const float> x,
                                 std::span<const float> y, const Blend* blend) {
  PathClear();
  PolygonPath(*this, x, y);
  PathFill(color, {}, blend);
}

void Graphics::DrawGrid(const Color& color, const Rect& bounds, float spacingX, float spacingY,
                        const Blend* blend, float thickness) {
  PathClear();
  if (spacingX > 1.0f) {
    for (float x = bounds.left; x < bounds.right; x += spacingX) {
      PathMoveTo(x, bounds.top);
      PathLineTo(x, bounds.bottom);
    }
  }
  if (spacingY > 1.0f) {
    for (float y = bounds.top; y < bounds.bottom; y += spacingY) {
      PathMoveTo(bounds.left, y);
      PathLineTo(bounds.right, y);
    }
  }
  PathStroke(color, thickness, {}, blend);
}

}  // namespace fw::gui
