#pragma once

#include <vector>

#include "graphics/control.h"

// The triangle in the editor's bottom-right corner: dragging it zooms the whole editor,
// and the release snaps to the nearest listed scale unless shift is held. A double click
// returns to 100 %. Its sizes are divided by the draw scale, so it keeps one size on
// screen at every zoom.
class RasterScaleCornerDragControl : public fw::gui::Control {
 public:
  using Color = fw::gui::Color;

  RasterScaleCornerDragControl(const fw::gui::Rect& editorRect, float cornerSize,
                               std::vector<float> scaleSteps, const Color& idleColor,
                               const Color& hoverColor, const Color& dragColor,
                               const fw::gui::TextStyle& labelStyle);

  void HandlePointerDown(float x, float y, const fw::gui::MouseMods& mods) override;
  void HandlePointerUp(float x, float y, const fw::gui::MouseMods& mods) override;
  void HandleDoubleClick(float x, float y, const fw::gui::MouseMods& mods) override;
  void HandleHover(float x, float y, const fw::gui::MouseMods& mods) override;
  void HandleHoverEnd() override;
  void HandleRescale() override { UpdateCornerRects(); }
  void HandleResize() override { UpdateCornerRects(); }
  void HandleAttached() override;
  void Render(fw::gui::Graphics& g) override;
  bool HitTest(float x, float y) const override;

  void UpdateCornerRects();
  // The listed scale nearest to scale; ties go to the smaller one.
  float NearestScaleStep(float scale) const;

  // The cursor shape for a diagonal resize.
  static constexpr int kResizeCursor = 5;

  float cornerSize;
  float startScale = 1.0f;
  bool overCorner = false;
  int previousCursor = 0;
  fw::gui::Rect hitRect;
  fw::gui::Rect triangleRect;
  fw::gui::TextStyle labelStyle;
  Color idleColor, hoverColor, dragColor;
  std::vector<float> scaleSteps;

 private:
  void DrawScaleLabel(fw::gui::Graphics& g) const;
};
