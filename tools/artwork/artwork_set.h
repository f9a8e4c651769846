#pragma once

#include <memory>
#include <string>

#include "editor/panel_layout.h"
#include "tools/artwork/canvas.h"
#include "tools/artwork/fonts.h"
#include "tools/artwork/scales.h"

namespace artwork {

// The file a bitmap is stored under at a pixel scale: "HV_back.png", "HV_back@2x.png".
std::string ScaledFileName(const char* file, int scale);

// Draws one bitmap of the editor at a pixel scale, frames stacked.
std::unique_ptr<Canvas> RenderArtwork(const panel::Artwork& artwork, int scale, const Fonts& fonts,
                                      const ProductParameters& params);

// The panel with every control drawn over it at its default value, the way the editor
// places them, for checking that handles sit in their slots and ticks line up.
std::unique_ptr<Canvas> RenderPreview(int scale, const Fonts& fonts,
                                      const ProductParameters& params);

}  // namespace artwork
