// Writes the test artwork into the directory given as the only argument.
#include <cairo.h>

#include <cstdio>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "tests/graphics/art/fixture_art.h"

namespace {

void Fill(cairo_t* cr, uint32_t argb, double x, double y, double w, double h) {
  cairo_set_source_rgba(cr, ((argb >> 16) & 0xff) / 255.0, ((argb >> 8) & 0xff) / 255.0,
                        (argb & 0xff) / 255.0, (argb >> 24) / 255.0);
  cairo_rectangle(cr, x, y, w, h);
  cairo_fill(cr);
}

// Draws at scale pixels per point and saves the PNG.
template <class Draw>
bool WritePng(const std::string& path, int w, int h, int scale, Draw draw) {
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w * scale, h * scale);
  cairo_t* cr = cairo_create(surface);
  cairo_scale(cr, scale, scale);
  draw(cr, scale);
  cairo_destroy(cr);
  bool ok = cairo_surface_write_to_png(surface, path.c_str()) == CAIRO_STATUS_SUCCESS;
  cairo_surface_destroy(surface);
  return ok;
}

bool WriteJpeg(const std::string& path) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  jpeg_compress_struct info;
  jpeg_error_mgr error;
  info.err = jpeg_std_error(&error);
  jpeg_create_compress(&info);
  jpeg_stdio_dest(&info, file);
  info.image_width = 16;
  info.image_height = 16;
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, 100, TRUE);
  jpeg_start_compress(&info, TRUE);
  std::vector<unsigned char> row;
  for (int x = 0; x < 16; ++x)
    row.insert(row.end(), fixture::kPhotoRgb, fixture::kPhotoRgb + 3);
  while (info.next_scanline < info.image_height) {
    JSAMPROW rows[] = {row.data()};
    jpeg_write_scanlines(&info, rows, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  return std::fclose(file) == 0;
}

bool WriteBytes(const std::string& path, const char* bytes) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  std::fputs(bytes, file);
  return std::fclose(file) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_fixture_art DIR\n");
    return 2;
  }
  const std::string dir = std::string(argv[1]) + "/";
  using namespace fixture;
  bool ok = true;
  for (int scale : {1, 2}) {
    std::string suffix = scale == 1 ? ".png" : "@2x.png";
    ok &= WritePng(dir + "fixture_back" + suffix, kBackWidth, kBackHeight, scale,
                   [](cairo_t* cr, int s) {
                     Fill(cr, kBackLeft, 0, 0, kBackWidth / 2.0, kBackHeight);
                     Fill(cr, kBackRight, kBackWidth / 2.0, 0, kBackWidth / 2.0, kBackHeight);
                     if (s == 2) Fill(cr, kStripe2x, 50.5, 0, 0.5, kBackHeight);
                   });
    ok &= WritePng(dir + "fixture_handle" + suffix, kHandleWidth, kHandleHeight, scale,
                   [](cairo_t* cr, int) { Fill(cr, kHandle, 0, 0, kHandleWidth, kHandleHeight); });
    ok &= WritePng(dir + "fixture_check" + suffix, 16, 32, scale,
                   [](cairo_t* cr, int) { Fill(cr, kCheck, 0, 16, 16, 16); });
  }
  ok &= WritePng(dir + "fixture_strip.png", 10, 10 * kStripFrames, 1, [](cairo_t* cr, int) {
    for (int k = 1; k <= kStripFrames; ++k)
      Fill(cr, 0xff000000u | k << 16 | (255 - k) << 8, 0, (k - 1) * 10, 10, 10);
  });
  ok &= WritePng(dir + "fixture_only2x@2x.png", 20, 20, 2,
                 [](cairo_t* cr, int) { Fill(cr, kOnly2x, 0, 0, 20, 20); });
  ok &= WriteJpeg(dir + "fixture_photo.JPEG");
  ok &= WriteBytes(dir + "fixture_picture.bmp", "BM not really a bitmap");
  ok &= WriteBytes(dir + "fixture_tiny.png", "\x89PNG\r\n");  // 6 bytes
  return ok ? 0 : 1;
}
