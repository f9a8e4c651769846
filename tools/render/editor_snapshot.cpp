#include "tools/render/editor_snapshot.h"

#include <cairo.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "clap/editor_snapshot.h"
#include "tools/render/errors.h"
#include "tools/render/pending_file.h"
#include "tools/render/plugin_instance.h"

namespace render {
namespace {

struct SurfaceDeleter {
  void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};

cairo_status_t AppendBytes(void* closure, const unsigned char* data, unsigned int length) {
  auto* png = static_cast<std::vector<uint8_t>*>(closure);
  png->insert(png->end(), data, data + length);
  return CAIRO_STATUS_SUCCESS;
}

}  // namespace

std::string WriteEditorSnapshot(const PluginInstance& instance, double scale,
                                const std::filesystem::path& file) {
  const auto* snapshot = static_cast<const halvern_plugin_editor_snapshot_t*>(
      instance.Extension(HALVERN_EXT_EDITOR_SNAPSHOT));
  if (!snapshot) throw RenderError("the plug-in cannot draw its editor off screen");
  uint32_t width = 0, height = 0;
  if (!snapshot->render(instance.Record(), scale, nullptr, 0, &width, &height))
    throw RenderError("the plug-in refused to draw its editor");
  // The module's rows are exactly width × 4 bytes of premultiplied BGRA, which is Cairo's
  // ARGB32 on a little-endian machine.
  const int stride = cairo_format_stride_for_width(CAIRO_FORMAT_ARGB32, static_cast<int>(width));
  if (stride != static_cast<int>(width) * 4) throw RenderError("unexpected editor pixel layout");
  std::vector<uint8_t> pixels(static_cast<size_t>(stride) * height);
  if (!snapshot->render(instance.Record(), scale, pixels.data(),
                        static_cast<uint32_t>(pixels.size()), &width, &height)) {
    throw RenderError("the plug-in refused to draw its editor");
  }
  std::unique_ptr<cairo_surface_t, SurfaceDeleter> surface(cairo_image_surface_create_for_data(
      pixels.data(), CAIRO_FORMAT_ARGB32, static_cast<int>(width), static_cast<int>(height),
      stride));
  std::vector<uint8_t> png;
  if (cairo_surface_write_to_png_stream(surface.get(), AppendBytes, &png) != CAIRO_STATUS_SUCCESS)
    throw RenderError("cannot encode the editor snapshot as PNG");
  WriteFileAtomically(file, png);
  char summary[64];
  std::snprintf(summary, sizeof summary, ": editor at %g x, %u x %u pixels", scale, width, height);
  return file.string() + summary;
}

}  // namespace render
