#pragma once

#include "tools/artwork/canvas.h"
#include "tools/artwork/fonts.h"
#include "tools/artwork/scales.h"

namespace artwork {

// The panel picture: everything printed on the faceplate, under the controls.
void DrawBackground(const Canvas& canvas, const Fonts& fonts, const ProductParameters& params);

}  // namespace artwork
