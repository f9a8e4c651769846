#include "graphics/platform/headless/graphics_headless.h"
#include "graphics/platform/window_host.h"

namespace fw::gui {

// Without a windowing platform the editor opens off screen.
std::unique_ptr<Graphics> MakeWindowHostGraphics(GraphicsEditorDelegate* delegate, int width,
                                                 int height, int fps, float drawScale) {
  return std::make_unique<GraphicsHeadless>(delegate, width, height, fps, drawScale);
}

}  // namespace fw::gui
