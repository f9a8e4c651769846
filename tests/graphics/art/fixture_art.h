#pragma once

#include <cstdint>

// The colours of the fixture artwork that make_fixture_art draws and the tests expect.
// Premultiplied BGRA words as they appear in a pixel buffer (0xAARRGGBB).
namespace fixture {

inline constexpr uint32_t kBackLeft = 0xff28323c;   // background, x < 325 points
inline constexpr uint32_t kBackRight = 0xffc8b4a0;  // background, x ≥ 325 points
inline constexpr uint32_t kStripe2x = 0xff00ff00;   // only in the 2× background: pixel column 101
inline constexpr uint32_t kHandle = 0xff1060f0;     // slider handle
inline constexpr uint32_t kCheck = 0xffffffff;      // switch frame 2 (frame 1 is transparent)
inline constexpr uint32_t kOnly2x = 0xff804020;     // image that exists at 2× only
inline constexpr uint8_t kPhotoRgb[3] = {200, 40, 90};  // the JPEG's colour

inline constexpr int kBackWidth = 650;
inline constexpr int kBackHeight = 438;
inline constexpr int kStripFrames = 60;  // 10 × 10 points each, stacked; frame k has red = k
inline constexpr int kHandleWidth = 20;
inline constexpr int kHandleHeight = 10;

}  // namespace fixture
