#pragma once

#include "tools/artwork/canvas.h"
#include "tools/artwork/draw.h"

namespace artwork {

// The bitmaps the controls draw over the panel. Each fills a canvas of its artwork size.
void DrawVerticalFaderHandle(const Canvas& canvas, Colour body);
void DrawHorizontalFaderHandle(const Canvas& canvas, Colour body);
void DrawKnob(const Canvas& canvas);
void DrawCrossStack(const Canvas& canvas);

// The cap colours of the three fader groups.
inline constexpr Colour kPurple = Rgb(0x7a5bc7);
inline constexpr Colour kGreen = Rgb(0x3f9e62);
inline constexpr Colour kRed = Rgb(0xc23b3b);

}  // namespace artwork
