#pragma once

#include <memory>

#include "graphics/graphics.h"

namespace fw::gui {

// The graphics context of the platform's window host, the one an opened editor lives in.
// Each build links exactly one platform layer that defines it.
std::unique_ptr<Graphics> MakeWindowHostGraphics(GraphicsEditorDelegate* delegate, int width,
                                                 int height, int fps, float drawScale);

}  // namespace fw::gui
