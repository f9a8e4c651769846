#include "tools/artwork/draw.h"

#include <cmath>
#include <numbers>
#include <string>

namespace artwork {

void SetColour(cairo_t* cr, Colour c) {
  cairo_set_source_rgba(cr, c.r, c.g, c.b, c.a);
}

void AddStop(cairo_pattern_t* pattern, double offset, Colour c) {
  cairo_pattern_add_color_stop_rgba(pattern, offset, c.r, c.g, c.b, c.a);
}

void RoundedRectPath(cairo_t* cr, const panel::Box& b, double r) {
  constexpr double kQuarter = std::numbers::pi / 2;
  cairo_new_sub_path(cr);
  cairo_arc(cr, b.right - r, b.top + r, r, -kQuarter, 0);
  cairo_arc(cr, b.right - r, b.bottom - r, r, 0, kQuarter);
  cairo_arc(cr, b.left + r, b.bottom - r, r, kQuarter, 2 * kQuarter);
  cairo_arc(cr, b.left + r, b.top + r, r, 2 * kQuarter, 3 * kQuarter);
  cairo_close_path(cr);
}

void AxisLine(const Canvas& canvas, panel::Point from, panel::Point to, double thickness,
              Colour colour) {
  cairo_t* cr = canvas.Context();
  if (from.y == to.y) {
    from.y = to.y = canvas.SnapLineCentre(from.y, thickness);
    from.x = canvas.SnapToPixel(from.x);
    to.x = canvas.SnapToPixel(to.x);
  } else if (from.x == to.x) {
    from.x = to.x = canvas.SnapLineCentre(from.x, thickness);
    from.y = canvas.SnapToPixel(from.y);
    to.y = canvas.SnapToPixel(to.y);
  }
  SetColour(cr, colour);
  cairo_set_line_width(cr, thickness);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
  cairo_move_to(cr, from.x, from.y);
  cairo_line_to(cr, to.x, to.y);
  cairo_stroke(cr);
}

void Printer::Select(const TextStyle& style) const {
  cairo_t* cr = canvas_.Context();
  cairo_set_font_face(cr, fonts_.Face(style.weight));
  cairo_set_font_size(cr, style.size);
  SetColour(cr, style.colour);
}

double Printer::Width(const TextStyle& style, std::string_view text) const {
  Select(style);
  const std::string s(text);
  cairo_text_extents_t extents;
  cairo_text_extents(canvas_.Context(), s.c_str(), &extents);
  const double spacing = text.empty() ? 0 : style.letterSpacing * (text.size() - 1);
  return extents.x_advance + spacing;
}

double Printer::CapHeight(const TextStyle& style) const {
  Select(style);
  cairo_text_extents_t extents;
  cairo_text_extents(canvas_.Context(), "H", &extents);
  return -extents.y_bearing;
}

void Printer::Print(const TextStyle& style, std::string_view text, double x, double baseline,
                    Align align) const {
  const double width = Width(style, text);
  if (align == Align::Centre) x -= width / 2;
  if (align == Align::Right) x -= width;
  cairo_t* cr = canvas_.Context();
  Select(style);
  // Each pen position lands on a whole device pixel, also under a quarter-turn rotation.
  auto moveSnapped = [cr](double ux, double uy) {
    cairo_user_to_device(cr, &ux, &uy);
    ux = std::round(ux);
    uy = std::round(uy);
    cairo_device_to_user(cr, &ux, &uy);
    cairo_move_to(cr, ux, uy);
  };
  if (style.letterSpacing == 0) {
    moveSnapped(x, baseline);
    cairo_show_text(cr, std::string(text).c_str());
    cairo_new_path(cr);
    return;
  }
  for (char c : text) {
    const char glyph[2] = {c, '\0'};
    cairo_text_extents_t extents;
    cairo_text_extents(cr, glyph, &extents);
    moveSnapped(x, baseline);
    cairo_show_text(cr, glyph);
    x += extents.x_advance + style.letterSpacing;
  }
  // Showing text leaves a current point that the next path would start from.
  cairo_new_path(cr);
}

void Printer::PrintCentred(const TextStyle& style, std::string_view text, double x,
                           double y) const {
  Print(style, text, x, y + CapHeight(style) / 2, Align::Centre);
}

void Printer::PrintVertical(const TextStyle& style, std::string_view text, double x,
                            double y) const {
  cairo_t* cr = canvas_.Context();
  cairo_save(cr);
  cairo_translate(cr, x, y);
  cairo_rotate(cr, -std::numbers::pi / 2);
  Print(style, text, 0, CapHeight(style) / 2, Align::Centre);
  cairo_restore(cr);
}

}  // namespace artwork
