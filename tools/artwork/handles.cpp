#include "tools/artwork/handles.h"

#include <cmath>
#include <numbers>

namespace artwork {
namespace {

Colour Shade(Colour c, double factor) {
  auto f = [factor](double v) { return factor >= 1 ? v + (1 - v) * (factor - 1) : v * factor; };
  return {f(c.r), f(c.g), f(c.b), c.a};
}

// A fader cap lit from above: a coloured body, grip ridges across the direction of travel
// and a white index line at its centre, the point the printed scales refer to.
void DrawCap(const Canvas& canvas, double width, double height, bool vertical, Colour body) {
  cairo_t* cr = canvas.Context();
  const panel::Box outline{1, 1, width - 1, height - 1};

  // Drop shadow inside the bitmap, so the cap seems to stand above the slot.
  RoundedRectPath(cr, {outline.left, outline.top + 1, outline.right, outline.bottom + 1}, 3);
  SetColour(cr, Rgb(0x000000, 0.45));
  cairo_fill(cr);

  RoundedRectPath(cr, outline, 3);
  cairo_pattern_t* fill = cairo_pattern_create_linear(0, outline.top, 0, outline.bottom);
  AddStop(fill, 0, Shade(body, 1.35));
  AddStop(fill, 0.45, body);
  AddStop(fill, 0.55, Shade(body, 0.8));
  AddStop(fill, 1, Shade(body, 0.55));
  cairo_set_source(cr, fill);
  cairo_fill_preserve(cr);
  cairo_pattern_destroy(fill);
  SetColour(cr, Rgb(0x000000, 0.6));
  cairo_set_line_width(cr, 1);
  cairo_stroke(cr);
  AxisLine(canvas, {outline.left + 2, outline.top + 1}, {outline.right - 2, outline.top + 1}, 1,
           Rgb(0xffffff, 0.45));

  const panel::Point centre = outline.Centre();
  const double half = (vertical ? outline.Height() : outline.Width()) / 2;
  const double inset = 3;
  auto across = [&](double offset, double thickness, Colour colour) {
    if (vertical) {
      AxisLine(canvas, {outline.left + inset, centre.y + offset},
               {outline.right - inset, centre.y + offset}, thickness, colour);
    } else {
      AxisLine(canvas, {centre.x + offset, outline.top + inset},
               {centre.x + offset, outline.bottom - inset}, thickness, colour);
    }
  };
  for (double offset = 5; offset < half - 3; offset += 3) {
    for (double side : {-1.0, 1.0}) {
      across(side * offset, 1, Rgb(0x000000, 0.35));
      across(side * offset + 1, 1, Rgb(0xffffff, 0.18));
    }
  }
  across(0, 1, Rgb(0xffffff, 0.95));
}

}  // namespace

void DrawVerticalFaderHandle(const Canvas& canvas, Colour body) {
  DrawCap(canvas, panel::kFaderPurple.width, panel::kFaderPurple.height, true, body);
}

void DrawHorizontalFaderHandle(const Canvas& canvas, Colour body) {
  DrawCap(canvas, panel::kFaderHorizontal.width, panel::kFaderHorizontal.height, false, body);
}

void DrawKnob(const Canvas& canvas) {
  cairo_t* cr = canvas.Context();
  const double c = panel::kKnob.width / 2.0;
  const double skirt = c - 1;
  const double cap = c - 5;

  // Everything but the dot is round, so turning the bitmap keeps its light in place; the
  // shadow too is an even halo rather than an offset.
  cairo_arc(cr, c, c, skirt + 0.8, 0, 2 * std::numbers::pi);
  SetColour(cr, Rgb(0x000000, 0.35));
  cairo_fill(cr);

  cairo_arc(cr, c, c, skirt, 0, 2 * std::numbers::pi);
  cairo_pattern_t* rim = cairo_pattern_create_radial(c, c, cap, c, c, skirt);
  AddStop(rim, 0, Rgb(0x2b2e33));
  AddStop(rim, 1, Rgb(0x16181b));
  cairo_set_source(cr, rim);
  cairo_fill(cr);
  cairo_pattern_destroy(rim);

  // Knurled skirt: fine radial grooves.
  const int grooves = 48;
  for (int i = 0; i < grooves; ++i) {
    const double a = 2 * std::numbers::pi * i / grooves;
    cairo_move_to(cr, c + (cap + 1) * std::cos(a), c + (cap + 1) * std::sin(a));
    cairo_line_to(cr, c + (skirt - 0.8) * std::cos(a), c + (skirt - 0.8) * std::sin(a));
  }
  SetColour(cr, Rgb(0x4a4e55, 0.9));
  cairo_set_line_width(cr, 0.6);
  cairo_stroke(cr);

  // Machined cap: concentric rings over a soft radial light.
  cairo_arc(cr, c, c, cap, 0, 2 * std::numbers::pi);
  cairo_pattern_t* face = cairo_pattern_create_radial(c, c, 0, c, c, cap);
  AddStop(face, 0, Rgb(0x6a7078));
  AddStop(face, 0.7, Rgb(0x4b5057));
  AddStop(face, 1, Rgb(0x33373c));
  cairo_set_source(cr, face);
  cairo_fill(cr);
  cairo_pattern_destroy(face);
  for (double r = 1.5; r < cap; r += 1.1) {
    cairo_arc(cr, c, c, r, 0, 2 * std::numbers::pi);
    SetColour(cr, Rgb(static_cast<int>(r * 10) % 2 ? 0xffffff : 0x000000, 0.06));
    cairo_set_line_width(cr, 0.5);
    cairo_stroke(cr);
  }
  cairo_arc(cr, c, c, cap, 0, 2 * std::numbers::pi);
  SetColour(cr, Rgb(0x000000, 0.55));
  cairo_set_line_width(cr, 0.8);
  cairo_stroke(cr);

  // The pointer: a white dot on the cap, straight up at the middle of the range.
  cairo_arc(cr, c, c - cap + 3.2, 1.9, 0, 2 * std::numbers::pi);
  SetColour(cr, Rgb(0xffffff));
  cairo_fill(cr);
}

void DrawCrossStack(const Canvas& canvas) {
  // Frame 1 stays empty: the panel's printed seat shows through when off.
  cairo_t* cr = canvas.Context();
  const double top = panel::kCross.height;
  const double inset = 4;
  const double size = panel::kCross.width;
  for (const auto& [width, colour] :
       {std::pair{3.6, Rgb(0x000000, 0.5)}, std::pair{2.2, Rgb(0xffb52e)}}) {
    cairo_move_to(cr, inset, top + inset);
    cairo_line_to(cr, size - inset, top + size - inset);
    cairo_move_to(cr, size - inset, top + inset);
    cairo_line_to(cr, inset, top + size - inset);
    SetColour(cr, colour);
    cairo_set_line_width(cr, width);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_stroke(cr);
  }
}

}  // namespace artwork
