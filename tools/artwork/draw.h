#pragma once

#include <cairo.h>

#include <cstdint>
#include <string_view>

#include "editor/panel_layout.h"
#include "tools/artwork/canvas.h"
#include "tools/artwork/fonts.h"

namespace artwork {

struct Colour {
  double r, g, b, a;
};

// 0xRRGGBB with an opacity.
constexpr Colour Rgb(uint32_t rgb, double alpha = 1.0) {
  return {((rgb >> 16) & 0xff) / 255.0, ((rgb >> 8) & 0xff) / 255.0, (rgb & 0xff) / 255.0, alpha};
}

void SetColour(cairo_t* cr, Colour c);
void AddStop(cairo_pattern_t* pattern, double offset, Colour c);
void RoundedRectPath(cairo_t* cr, const panel::Box& box, double radius);

// A straight line of the given thickness that lands on whole pixels where it runs along an
// axis, so printed ticks stay sharp at every scale.
void AxisLine(const Canvas& canvas, panel::Point from, panel::Point to, double thickness,
              Colour colour);

enum class Align { Left, Centre, Right };

struct TextStyle {
  Weight weight;
  double size;
  Colour colour;
  double letterSpacing = 0;
};

// Prints text with Roboto through FreeType, the pen's baseline snapped to the pixel grid.
class Printer {
 public:
  Printer(const Canvas& canvas, const Fonts& fonts) : canvas_(canvas), fonts_(fonts) {}

  double Width(const TextStyle& style, std::string_view text) const;
  void Print(const TextStyle& style, std::string_view text, double x, double baseline,
             Align align) const;
  // Centred on (x, y), y measured at half the height of the capitals.
  void PrintCentred(const TextStyle& style, std::string_view text, double x, double y) const;
  // Reading upwards, centred on (x, y).
  void PrintVertical(const TextStyle& style, std::string_view text, double x, double y) const;
  double CapHeight(const TextStyle& style) const;

 private:
  void Select(const TextStyle& style) const;

  const Canvas& canvas_;
  const Fonts& fonts_;
};

}  // namespace artwork
