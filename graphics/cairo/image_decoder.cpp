#include "graphics/cairo/image_decoder.h"

#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include <jpeglib.h>

namespace fw::gui {

namespace {

struct PngReader {
  std::span<const unsigned char> data;
  size_t offset = 0;
};

cairo_status_t ReadPng(void* closure, unsigned char* out, unsigned int length) {
  auto* reader = static_cast<PngReader*>(closure);
  if (length > reader->data.size() - reader->offset) return CAIRO_STATUS_READ_ERROR;
  std::memcpy(out, reader->data.data() + reader->offset, length);
  reader->offset += length;
  return CAIRO_STATUS_SUCCESS;
}

// An ARGB32 surface whose every pixel is opaque, copied into an RGB24 one.
cairo_surface_t* DropOpaqueAlpha(cairo_surface_t* surface) {
  if (cairo_image_surface_get_format(surface) != CAIRO_FORMAT_ARGB32) return surface;
  int w = cairo_image_surface_get_width(surface), h = cairo_image_surface_get_height(surface);
  int stride = cairo_image_surface_get_stride(surface);
  const unsigned char* pixels = cairo_image_surface_get_data(surface);
  for (int y = 0; y < h; ++y) {
    const uint32_t* row = reinterpret_cast<const uint32_t*>(pixels + y * stride);
    for (int x = 0; x < w; ++x) {
      if ((row[x] >> 24) != 0xff) return surface;
    }
  }
  cairo_surface_t* opaque = cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h);
  cairo_t* cr = cairo_create(opaque);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  cairo_set_source_surface(cr, surface, 0, 0);
  cairo_paint(cr);
  cairo_destroy(cr);
  cairo_surface_destroy(surface);
  return opaque;
}

cairo_surface_t* DecodePng(std::span<const unsigned char> data) {
  PngReader reader{data};
  cairo_surface_t* surface = cairo_image_surface_create_from_png_stream(ReadPng, &reader);
  if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(surface);
    return nullptr;
  }
  return DropOpaqueAlpha(surface);
}

struct JpegError {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
};

void JpegFail(j_common_ptr info) {
  std::longjmp(reinterpret_cast<JpegError*>(info->err)->jump, 1);
}

void JpegSilent(j_common_ptr) {}

// No C++ objects with destructors live between setjmp and the decoder's calls.
cairo_surface_t* DecodeJpeg(std::span<const unsigned char> data) {
  jpeg_decompress_struct info;
  JpegError error;
  info.err = jpeg_std_error(&error.manager);
  error.manager.error_exit = JpegFail;
  error.manager.output_message = JpegSilent;
  cairo_surface_t* volatile surface = nullptr;
  if (setjmp(error.jump)) {
    jpeg_destroy_decompress(&info);
    if (surface) cairo_surface_destroy(surface);
    return nullptr;
  }
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, data.data(), static_cast<unsigned long>(data.size()));
  jpeg_read_header(&info, TRUE);
  info.out_color_space = JCS_EXT_BGRA;  // Cairo's RGB24 in memory on little-endian machines
  jpeg_start_decompress(&info);
  surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, static_cast<int>(info.output_width),
                                       static_cast<int>(info.output_height));
  unsigned char* pixels = cairo_image_surface_get_data(surface);
  int stride = cairo_image_surface_get_stride(surface);
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = pixels + static_cast<size_t>(info.output_scanline) * stride;
    jpeg_read_scanlines(&info, &row, 1);
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  cairo_surface_mark_dirty(surface);
  return surface;
}

}  // namespace

cairo_surface_t* DecodeImage(std::span<const unsigned char> data) {
  static constexpr unsigned char kPng[] = {0x89, 'P', 'N', 'G'};
  static constexpr unsigned char kJpeg[] = {0xff, 0xd8};
  if (data.size() >= 8 && std::memcmp(data.data(), kPng, sizeof kPng) == 0) return DecodePng(data);
  if (data.size() >= 4 && std::memcmp(data.data(), kJpeg, sizeof kJpeg) == 0) {
    return DecodeJpeg(data);
  }
  return nullptr;
}

}  // namespace fw::gui
