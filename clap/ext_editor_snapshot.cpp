#include <cmath>
#include <cstring>

#include "clap/clap_plugin.h"
#include "clap/editor_snapshot.h"
#include "clap/entry_point.h"
#include "graphics/platform/headless/graphics_headless.h"

namespace fw {
namespace {

bool Render(ClapPlugin& plugin, double scale, uint8_t* pixels, uint32_t capacity, uint32_t* width,
            uint32_t* height) {
  if (!width || !height ||
      !(scale >= gui::Graphics::kMinScale && scale <= gui::Graphics::kMaxScale))
    return false;
  // The window host's own context class, so the picture is the one a window shows; the
  // open sequence is left out because it would touch the instance's own editor.
  gui::GraphicsHeadless graphics(&plugin, plugin.EditorWidth(), plugin.EditorHeight(), 60,
                                 static_cast<float>(scale));
  graphics.ApplyScreenScale(1.0f);
  plugin.RunLayout(graphics);
  for (int32_t i = 0; i < plugin.ParamCount(); ++i)
    graphics.SetParamValueFromHost(i, plugin.Param(i)->NormalizedValue());
  graphics.MarkAllDirty();
  graphics.Frame();
  *width = static_cast<uint32_t>(graphics.PixelBufferWidth());
  *height = static_cast<uint32_t>(graphics.PixelBufferHeight());
  if (!pixels) return true;
  const size_t bytes = static_cast<size_t>(graphics.RowBytes()) * *height;
  if (capacity < bytes) return false;
  std::memcpy(pixels, graphics.PixelData(), bytes);
  return true;
}

constexpr halvern_plugin_editor_snapshot_t kEditorSnapshot{kEntry<Render>};

}  // namespace

const halvern_plugin_editor_snapshot_t* EditorSnapshotExtension() {
  return &kEditorSnapshot;
}

}  // namespace fw
