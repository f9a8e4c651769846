#include "editor/corner_scale_control.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "graphics/graphics.h"

using fw::gui::Graphics;
using fw::gui::MouseMods;
using fw::gui::Rect;

namespace {

constexpr float kSameScale = 0.0001f;

float Guarded(float scale) {
  return std::max(scale, 0.0001f);
}

}  // namespace

RasterScaleCornerDragControl::RasterScaleCornerDragControl(
    const Rect& editorRect, float cornerSize, std::vector<float> scaleSteps, const Color& idleColor,
    const Color& hoverColor, const Color& dragColor, const fw::gui::TextStyle& labelStyle)
    : Control({editorRect.right - 2 * cornerSize + 1, editorRect.bottom - 2 * cornerSize + 1,
               editorRect.right - 1, editorRect.bottom - 1}),
      cornerSize(cornerSize),
      triangleRect{editorRect.right - cornerSize + 1, editorRect.bottom - cornerSize + 1,
                   editorRect.right - 1, editorRect.bottom - 1},
      labelStyle(labelStyle),
      idleColor(idleColor),
      hoverColor(hoverColor),
      dragColor(dragColor),
      scaleSteps(std::move(scaleSteps)) {
  std::sort(this->scaleSteps.begin(), this->scaleSteps.end());
}

void RasterScaleCornerDragControl::UpdateCornerRects() {
  const Graphics* g = GetUI();
  if (!g) return;
  const float s = Guarded(g->DrawScale());
  const auto w = static_cast<float>(g->Width()), h = static_cast<float>(g->Height());
  const float d = 2 * cornerSize / s;
  // Room for the label drawn to the upper left of the triangle.
  const float label = 72 / s;
  bounds = {w - d + 1 - label, h - d + 1 - label, w - 1, h - 1};
  targetBounds = bounds;
  hitRect = {w - d + 1, h - d + 1, w - 1, h - 1};
  triangleRect = {w - cornerSize / s + 1, h - cornerSize / s + 1, w - 1, h - 1};
}

float RasterScaleCornerDragControl::NearestScaleStep(float scale) const {
  float best = scale;
  float bestDistance = std::numeric_limits<float>::max();
  for (float step : scaleSteps) {
    const float distance = std::fabs(scale - step);
    if (distance < bestDistance ||
        (std::fabs(distance - bestDistance) <= kSameScale && step < best)) {
      best = step;
      bestDistance = distance;
    }
  }
  return best;
}

bool RasterScaleCornerDragControl::HitTest(float x, float y) const {
  return hitRect.Contains(x, y);
}

void RasterScaleCornerDragControl::HandleAttached() {
  GetUI()->hoverEnabled = true;
  UpdateCornerRects();
}

void RasterScaleCornerDragControl::HandlePointerDown(float, float, const MouseMods& mods) {
  if (mods.right) return;
  Graphics& g = *GetUI();
  startScale = g.DrawScale();
  g.resizeDragActive = true;
  g.resizeDragShift = false;
}

void RasterScaleCornerDragControl::HandlePointerUp(float, float, const MouseMods& mods) {
  if (mods.shift) return;
  Graphics& g = *GetUI();
  const float s = g.DrawScale();
  if (std::fabs(s - startScale) <= kSameScale) return;
  const float nearest = NearestScaleStep(s);
  if (std::fabs(nearest - s) > kSameScale) g.pendingDrawScale = nearest;
}

void RasterScaleCornerDragControl::HandleDoubleClick(float, float, const MouseMods&) {
  Graphics& g = *GetUI();
  g.resizeDragActive = true;
  g.resizeDragShift = false;
  g.SetSizeAndScale(g.Width(), g.Height(), 1.0f, true);
  g.FinishResizeDrag();
}

void RasterScaleCornerDragControl::HandleHover(float x, float y, const MouseMods& mods) {
  if (!overCorner) previousCursor = GetUI()->SetMouseCursor(kResizeCursor);
  overCorner = true;
  Control::HandleHover(x, y, mods);
}

void RasterScaleCornerDragControl::HandleHoverEnd() {
  if (overCorner) GetUI()->SetMouseCursor(previousCursor);
  overCorner = false;
  Control::HandleHoverEnd();
}

void RasterScaleCornerDragControl::Render(Graphics& g) {
  const Color& color = g.resizeDragActive ? dragColor : mouseIsOver ? hoverColor : idleColor;
  const Rect& t = triangleRect;
  g.FillTriangle(color, t.left, t.bottom, t.right, t.top, t.right, t.bottom);
  if (g.resizeDragActive && !g.resizeDragShift &&
      std::fabs(g.DrawScale() - startScale) > kSameScale) {
    DrawScaleLabel(g);
  }
}

// The step a release would snap to, at one size on screen whatever the zoom.
void RasterScaleCornerDragControl::DrawScaleLabel(Graphics& g) const {
  const float m = 1 / Guarded(g.DrawScale());
  const Rect label{triangleRect.left - 66 * m, triangleRect.top - 28 * m, triangleRect.left - 8 * m,
                   triangleRect.top - 8 * m};
  char text[16];
  std::snprintf(text, sizeof text, "%d%%",
                static_cast<int>(std::lround(NearestScaleStep(g.DrawScale()) * 100)));
  g.FillRoundRect({220, 24, 24, 24}, label, 4 * m);
  g.DrawRoundRect({220, 255, 255, 255}, label, 4 * m, nullptr, 1);
  fw::gui::TextStyle style = labelStyle;
  style.size = 12 * m;
  g.DrawText(style, text, label);
}
