#include "tools/artwork/artwork_set.h"

#include <cmath>
#include <numbers>

#include "tools/artwork/background.h"
#include "tools/artwork/draw.h"
#include "tools/artwork/handles.h"

namespace artwork {
namespace {

// Draws a rendered bitmap's frame with its top-left corner at (x, y) in points, rotated by
// an angle about the frame's centre.
void Place(const Canvas& target, const Canvas& bitmap, const panel::Artwork& art, int frame,
           double x, double y, double degrees = 0) {
  cairo_t* cr = target.Context();
  cairo_save(cr);
  cairo_translate(cr, x + art.width / 2.0, y + art.height / 2.0);
  cairo_rotate(cr, degrees * std::numbers::pi / 180);
  cairo_rectangle(cr, -art.width / 2.0, -art.height / 2.0, art.width, art.height);
  cairo_clip(cr);
  cairo_translate(cr, -art.width / 2.0, -art.height / 2.0 - frame * art.height);
  cairo_scale(cr, 1.0 / bitmap.Scale(), 1.0 / bitmap.Scale());
  cairo_set_source_surface(cr, bitmap.Surface(), 0, 0);
  cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_BILINEAR);
  cairo_paint(cr);
  cairo_restore(cr);
}

}  // namespace

std::string ScaledFileName(const char* file, int scale) {
  std::string name(file);
  if (scale == 1) return name;
  const std::size_t dot = name.rfind('.');
  const std::string suffix = "@" + std::to_string(scale) + "x";
  return dot == std::string::npos ? name + suffix : name.insert(dot, suffix);
}

std::unique_ptr<Canvas> RenderArtwork(const panel::Artwork& art, int scale, const Fonts& fonts,
                                      const ProductParameters& params) {
  auto canvas = std::make_unique<Canvas>(art.width, art.height * art.frames, scale);
  if (&art == &panel::kBackground) DrawBackground(*canvas, fonts, params);
  if (&art == &panel::kFaderPurple) DrawVerticalFaderHandle(*canvas, kPurple);
  if (&art == &panel::kFaderGreen) DrawVerticalFaderHandle(*canvas, kGreen);
  if (&art == &panel::kFaderRed) DrawVerticalFaderHandle(*canvas, kRed);
  if (&art == &panel::kFaderHorizontal) DrawHorizontalFaderHandle(*canvas, kPurple);
  if (&art == &panel::kKnob) DrawKnob(*canvas);
  if (&art == &panel::kCross) DrawCrossStack(*canvas);
  return canvas;
}

std::unique_ptr<Canvas> RenderPreview(int scale, const Fonts& fonts,
                                      const ProductParameters& params) {
  auto preview =
      std::make_unique<Canvas>(panel::kBackground.width, panel::kBackground.height, scale);
  auto draw = [&](const panel::Artwork& art) { return RenderArtwork(art, scale, fonts, params); };
  Place(*preview, *draw(panel::kBackground), panel::kBackground, 0, 0, 0);

  for (const panel::Fader& fader : panel::kFaders) {
    const double v = params[fader.param].DefaultValue(true);
    const panel::Artwork& handle = *fader.handle;
    const panel::Box bounds = fader.Bounds();
    const double x = fader.vertical ? bounds.left : fader.HandleCentre(v) - handle.width / 2.0;
    const double y = fader.vertical ? fader.HandleCentre(v) - handle.height / 2.0 : bounds.top;
    Place(*preview, *draw(handle), handle, 0, x, y);
  }
  const auto knob = draw(panel::kKnob);
  for (const panel::Knob& k : panel::kKnobs) {
    const double angle = panel::KnobAngleDegrees(params[k.param].DefaultValue(true));
    Place(*preview, *knob, panel::kKnob, 0, k.x, k.y, angle);
  }
  const auto cross = draw(panel::kCross);
  for (const panel::RadioRow* row : {&panel::kDensityRow, &panel::kDetectorRow}) {
    const double v = params[row->param].DefaultValue(true);
    const int selected = static_cast<int>(v * (row->buttons - 1) + 0.5);
    for (int i = 0; i < row->buttons; ++i) {
      const panel::Box button = row->ButtonRect(i);
      Place(*preview, *cross, panel::kCross, i == selected ? 1 : 0, button.left, button.top);
    }
  }
  const int reverseFrame = params[kReverseOuts].DefaultValue(true) >= 0.5 ? 1 : 0;
  Place(*preview, *cross, panel::kCross, reverseFrame, panel::kReverseSwitch.x,
        panel::kReverseSwitch.y);
  // The version label the editor prints over the panel.
  const panel::Point version = panel::kVersionText.Centre();
  Printer(*preview, fonts)
      .PrintCentred({Weight::Regular, 13, Rgb(0x666666)}, "4.1.2", version.x, version.y);
  return preview;
}

}  // namespace artwork
