#pragma once

#include <memory>

#include "graphics/graphics.h"

// The product's editor: the graphics context it opens in and the controls over the panel.
namespace halvern_editor {

// The window host's context at the remembered display scale.
std::unique_ptr<fw::gui::Graphics> MakeGraphics(fw::gui::GraphicsEditorDelegate* delegate);

// Fills a new context with the panel and its controls; the list order is the paint order
// and the hit-test priority.
void Layout(fw::gui::Graphics& g);

// An opening editor takes the remembered scale: another instance may have changed it since
// this one last closed.
void ApplyStoredDisplayScale(fw::gui::Graphics* g);
// A closing editor's scale becomes the remembered one.
void StoreDisplayScale(const fw::gui::Graphics* g);

}  // namespace halvern_editor
