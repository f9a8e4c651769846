#pragma once

#include <array>
#include <cmath>

#include "engine/params.h"

// Where the editor's controls sit, in points of the 650 x 438 panel at draw scale 1, and the
// artwork they draw. The layout places its controls from these records and the artwork
// generator prints the panel's slots, seats and scales from the same ones, so a printed
// tick lies exactly where the control shows that value.
namespace panel {

inline constexpr float kEditorWidth = 650;
inline constexpr float kEditorHeight = 438;

struct Point {
  double x, y;
};

struct Box {
  double left, top, right, bottom;
  double Width() const { return right - left; }
  double Height() const { return bottom - top; }
  Point Centre() const { return {(left + right) / 2, (top + bottom) / 2}; }
};

// One PNG of the artwork; frames are stacked vertically. Sizes are per frame, in points.
struct Artwork {
  const char* file;
  int width, height, frames;
};

inline constexpr Artwork kBackground{"HV_back.png", 650, 438, 1};
inline constexpr Artwork kFaderPurple{"fader_v_purple.png", 22, 48, 1};
inline constexpr Artwork kFaderGreen{"fader_v_green.png", 22, 48, 1};
inline constexpr Artwork kFaderRed{"fader_v_red.png", 22, 48, 1};
inline constexpr Artwork kFaderHorizontal{"fader_h_purple.png", 40, 36, 1};
inline constexpr Artwork kKnob{"HV_knob_dot.png", 34, 34, 1};
inline constexpr Artwork kCross{"cross_stack.png", 16, 16, 2};

inline constexpr std::array<const Artwork*, 7> kArtwork = {
    &kBackground, &kFaderPurple, &kFaderGreen, &kFaderRed, &kFaderHorizontal, &kKnob, &kCross};

// A bitmap fader: the handle travels the whole length; the value sets the handle's offset
// from the top (vertical, 1 at the top) or from the left (horizontal).
struct Fader {
  HalvernParam param;
  double x, y, length;
  const Artwork* handle;
  bool vertical;

  Box Bounds() const {
    return vertical ? Box{x, y, x + handle->width, y + length}
                    : Box{x, y, x + length, y + handle->height};
  }
  // The centre of the handle along the travel for a normalised value.
  double HandleCentre(double value) const {
    if (vertical) return y + (length - handle->height) * (1 - value) + handle->height / 2.0;
    return x + (length - handle->width) * value + handle->width / 2.0;
  }
};

inline constexpr double kVerticalFaderLength = 197;
inline constexpr double kHorizontalFaderLength = 165;

inline constexpr std::array<Fader, 12> kFaders = {{
    {kPredelay, 46, 55, kVerticalFaderLength, &kFaderPurple, true},
    {kRoomSize, 94, 55, kVerticalFaderLength, &kFaderPurple, true},
    {kDamping, 142, 55, kVerticalFaderLength, &kFaderPurple, true},
    {kReverbHpf, 393, 55, kVerticalFaderLength, &kFaderPurple, true},
    {kShelfFreq, 441, 55, kVerticalFaderLength, &kFaderPurple, true},
    {kHighShelf, 489, 55, kVerticalFaderLength, &kFaderPurple, true},
    {kErDensity, 243, 55, kVerticalFaderLength, &kFaderGreen, true},
    {kErLevel, 291, 55, kVerticalFaderLength, &kFaderGreen, true},
    {kDryLevel, 537, 55, kVerticalFaderLength, &kFaderRed, true},
    {kWetLevel, 591, 55, kVerticalFaderLength, &kFaderRed, true},
    {kInputBlend, 453, 295, kHorizontalFaderLength, &kFaderHorizontal, false},
    {kWidth, 453, 343, kHorizontalFaderLength, &kFaderHorizontal, false},
}};

// A knob bitmap rotated as a whole about its centre, clockwise from straight up.
struct Knob {
  HalvernParam param;
  double x, y;

  Box Bounds() const { return {x, y, x + kKnob.width, y + kKnob.height}; }
};

inline constexpr double kKnobMinAngle = -140;
inline constexpr double kKnobMaxAngle = 140;

inline double KnobAngleDegrees(double value) {
  return kKnobMinAngle + value * (kKnobMaxAngle - kKnobMinAngle);
}

inline constexpr std::array<Knob, 4> kKnobs = {{
    {kGateThreshold, 45, 328},
    {kAttack, 119, 328},
    {kHold, 192, 328},
    {kRelease, 266, 328},
}};

// A horizontal row of buttons spread evenly over its bounds, one cross frame each.
struct RadioRow {
  HalvernParam param;
  Box bounds;
  int buttons;

  Box ButtonRect(int i) const {
    const double free = bounds.Width() - kCross.width;
    const double step = std::floor(free / (buttons - 1));
    const double start = (free - step * (buttons - 1)) / 2 + bounds.left;
    const double left = start + i * step;
    return {left, bounds.top, left + kCross.width, bounds.top + kCross.height};
  }
};

inline constexpr RadioRow kDensityRow{kDensity, {297, 14, 617, 30}, 6};
inline constexpr RadioRow kDetectorRow{kGateDetector, {168, 399, 279, 415}, 3};

inline constexpr Point kReverseSwitch{598, 385};
inline constexpr Box kVersionText{80, 16, 175, 29};

}  // namespace panel
