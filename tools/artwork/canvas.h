#pragma once

#include <cairo.h>

#include <string>

namespace artwork {

// An ARGB image of a size in points at a pixel scale; drawing uses points.
class Canvas {
 public:
  Canvas(int widthPoints, int heightPoints, int scale);
  ~Canvas();
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  cairo_t* Context() const { return cr_; }
  cairo_surface_t* Surface() const { return surface_; }
  int Scale() const { return scale_; }
  // False (with the reason in error) when the surface or the file fails.
  bool WritePng(const std::string& path, std::string& error) const;

  // Where a line of the given thickness centred on the coordinate c lands crisply: on a
  // pixel edge when it covers an even number of pixels, else on a pixel centre.
  double SnapLineCentre(double c, double thickness) const;
  // The coordinate moved to the nearest pixel edge, for text baselines and fills.
  double SnapToPixel(double c) const;

 private:
  int scale_;
  cairo_surface_t* surface_;
  cairo_t* cr_;
};

}  // namespace artwork
