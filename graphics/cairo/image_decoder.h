#pragma once

#include <cairo.h>

#include <span>

namespace fw::gui {

// Decodes PNG or JPEG bytes, told apart by their signatures, into a Cairo image surface
// (null when the data does not decode). Fully opaque images come back without alpha,
// which Cairo copies fastest.
cairo_surface_t* DecodeImage(std::span<const unsigned char> data);

}  // namespace fw::gui
