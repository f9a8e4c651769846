#include "tools/artwork/canvas.h"

#include <cmath>

namespace artwork {

Canvas::Canvas(int widthPoints, int heightPoints, int scale)
    : scale_(scale),
      surface_(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, widthPoints * scale,
                                          heightPoints * scale)),
      cr_(cairo_create(surface_)) {
  cairo_scale(cr_, scale, scale);
  cairo_font_options_t* options = cairo_font_options_create();
  // Hinted outlines and whole-pixel advances keep the small print sharp.
  cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
  cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_SLIGHT);
  cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
  cairo_set_font_options(cr_, options);
  cairo_font_options_destroy(options);
}

Canvas::~Canvas() {
  cairo_destroy(cr_);
  cairo_surface_destroy(surface_);
}

bool Canvas::WritePng(const std::string& path, std::string& error) const {
  cairo_surface_flush(surface_);
  cairo_status_t status = cairo_status(cr_);
  if (status == CAIRO_STATUS_SUCCESS) status = cairo_surface_write_to_png(surface_, path.c_str());
  if (status == CAIRO_STATUS_SUCCESS) return true;
  error = path + ": " + cairo_status_to_string(status);
  return false;
}

double Canvas::SnapLineCentre(double c, double thickness) const {
  const long pixels = std::max(1L, std::lround(thickness * scale_));
  const double device = c * scale_;
  const double snapped = pixels % 2 == 0 ? std::round(device) : std::floor(device) + 0.5;
  return snapped / scale_;
}

double Canvas::SnapToPixel(double c) const {
  return std::round(c * scale_) / scale_;
}

}  // namespace artwork
