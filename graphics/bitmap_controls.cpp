#include "graphics/bitmap_controls.h"

#include <algorithm>

#include "graphics/graphics.h"

namespace fw::gui {

namespace {

Rect FrameAt(float x, float y, const Bitmap& bitmap) {
  return {x, y, x + bitmap.FrameWidth(), y + bitmap.FrameHeight()};
}

}  // namespace

int BitmapBase::FrameForValue(int frames, double value) {
  if (frames < 2) return 1;
  return std::min(frames, std::max(1, static_cast<int>(value * (frames - 1) + 0.5) + 1));
}

void BitmapBase::DrawBitmapFrameByValue(Graphics& g, const Control& control) const {
  if (bitmap_.IsNone()) return;
  int frame = FrameForValue(bitmap_.N, control.Value());
  Rect dest = control.bounds.Centred(bitmap_.FrameWidth(), bitmap_.FrameHeight());
  float srcX = bitmap_.framesHorizontal ? (frame - 1) * bitmap_.FrameWidth() : 0.0f;
  float srcY = bitmap_.framesHorizontal ? 0.0f : (frame - 1) * bitmap_.FrameHeight();
  g.DrawBitmapFrame(bitmap_, dest, srcX, srcY, &control.blend);
}

void BitmapBase::RefetchBitmap(Graphics& g) {
  if (bitmap_.name.empty()) return;
  Bitmap fetched = g.FetchBitmap(bitmap_.name, bitmap_.N, bitmap_.framesHorizontal);
  if (!fetched.IsNone()) bitmap_ = fetched;
}

BitmapKnobControl::BitmapKnobControl(const Rect& rect, const Bitmap& bitmap, int paramIdx,
                                     int direction, double gearing)
    : KnobControlBase(rect.Centred(bitmap.FrameWidth(), bitmap.FrameHeight()), paramIdx, direction,
                      gearing),
      BitmapBase(bitmap) {}

void BitmapKnobControl::HandleRescale() {
  RefetchBitmap(*GetUI());
}

BitmapKnobRotaterControl::BitmapKnobRotaterControl(float x, float y, const Bitmap& bitmap,
                                                   int paramIdx, double minAngle, double maxAngle)
    : BitmapKnobControl(FrameAt(x, y, bitmap), bitmap, paramIdx, kVertical, 4.0),
      minAngle(minAngle),
      maxAngle(maxAngle) {}

void BitmapKnobRotaterControl::Render(Graphics& g) {
  double angle = Value() * (maxAngle - minAngle) + minAngle;
  g.DrawRotatedBitmap(bitmap_, bounds.MW(), bounds.MH(), angle, &blend);
}

BitmapSliderControl::BitmapSliderControl(float x, float y, float length, const Bitmap& handleBitmap,
                                         const Bitmap& trackBitmap, int paramIdx, int direction,
                                         double gearing)
    : SliderControlBase(
          direction == kHorizontal ? Rect{x, y, x + length, y + handleBitmap.H}
                                   : Rect{x, y, x + handleBitmap.W, y + length},
          paramIdx, direction, gearing,
          static_cast<float>(direction == kHorizontal ? handleBitmap.W : handleBitmap.H)),
      BitmapBase(handleBitmap),
      trackBitmap_(trackBitmap) {}

void BitmapSliderControl::HandleResize() {
  if (!trackBitmap_.IsNone()) {
    track = bounds.Centred(trackBitmap_.FrameWidth(), trackBitmap_.FrameHeight());
  } else if (direction == kHorizontal) {
    float half = 0.5f * bitmap_.H;
    track = {bounds.left, bounds.MH() - half, bounds.right, bounds.MH() + half};
  } else {
    float half = 0.5f * bitmap_.W;
    track = {bounds.MW() - half, bounds.top, bounds.MW() + half, bounds.bottom};
  }
  MarkDirty(false, -1);
}

Rect BitmapSliderControl::HandleRect() const {
  double value = Value();
  if (direction == kHorizontal) {
    float left = track.left + (track.W() - bitmap_.FrameWidth()) * static_cast<float>(value);
    return FrameAt(left, track.top, bitmap_);
  }
  float top = track.top + (track.H() - bitmap_.H) * static_cast<float>(1.0 - value);
  return FrameAt(track.left, top, bitmap_);
}

void BitmapSliderControl::Render(Graphics& g) {
  if (!trackBitmap_.IsNone()) {
    g.DrawBitmapFrame(trackBitmap_,
                      bounds.Centred(trackBitmap_.FrameWidth(), trackBitmap_.FrameHeight()), 0, 0,
                      &blend);
  }
  if (!bitmap_.IsNone()) g.DrawBitmapFrame(bitmap_, HandleRect(), 0, 0, &blend);
}

void BitmapSliderControl::HandleRescale() {
  RefetchBitmap(*GetUI());
}

BitmapSwitchControl::BitmapSwitchControl(float x, float y, const Bitmap& bitmap, int paramIdx)
    : SwitchControlBase(FrameAt(x, y, bitmap), paramIdx, nullptr, 2), BitmapBase(bitmap) {}

void BitmapSwitchControl::HandlePointerDown(float, float, const MouseMods&) {
  double value = Value() + (bitmap_.N < 2 ? 1.0 : 1.0 / (bitmap_.N - 1));
  StoreValue(value > 1.001 ? 0.0 : value, 0);
  MarkDirty(true, -1);
}

void BitmapSwitchControl::HandleRescale() {
  RefetchBitmap(*GetUI());
}

BitmapControl::BitmapControl(const Rect& bounds, const Bitmap& bitmap, int paramIdx,
                             const Blend& blend)
    : Control(bounds, paramIdx), BitmapBase(bitmap) {
  this->blend = blend;
}

void BitmapControl::HandleRescale() {
  RefetchBitmap(*GetUI());
}

}  // namespace fw::gui
