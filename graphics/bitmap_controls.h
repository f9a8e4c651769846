#pragma once

#include "graphics/bitmap.h"
#include "graphics/control_bases.h"

namespace fw::gui {

// Holds a multi-frame bitmap for a control and draws the frame its value selects.
class BitmapBase {
 public:
  explicit BitmapBase(const Bitmap& bitmap) : bitmap_(bitmap) {}
  virtual ~BitmapBase() = default;

  const Bitmap& GetBitmap() const { return bitmap_; }
  // 1-based: 1 below two frames, else the nearest of N frames for value.
  static int FrameForValue(int frames, double value);
  // The frame for the control's first value, centred in its bounds.
  void DrawBitmapFrameByValue(Graphics& g, const Control& control) const;
  // The same image at the context's current resolution.
  void RefetchBitmap(Graphics& g);

 protected:
  Bitmap bitmap_;
};

class BitmapKnobControl : public KnobControlBase, public BitmapBase {
 public:
  // bounds: one frame centred in rect.
  BitmapKnobControl(const Rect& rect, const Bitmap& bitmap, int paramIdx, int direction = kVertical,
                    double gearing = 4.0);
  void Render(Graphics& g) override { DrawBitmapFrameByValue(g, *this); }
  void HandleRescale() override;
};

// A one-frame knob image rotated from minAngle to maxAngle degrees by the value.
class BitmapKnobRotaterControl : public BitmapKnobControl {
 public:
  BitmapKnobRotaterControl(float x, float y, const Bitmap& bitmap, int paramIdx,
                           double minAngle = -135.0, double maxAngle = 135.0);
  void Render(Graphics& g) override;

  double minAngle;
  double maxAngle;
};

// A handle bitmap over an optional track bitmap.
class BitmapSliderControl : public SliderControlBase, public BitmapBase {
 public:
  BitmapSliderControl(float x, float y, float length, const Bitmap& handleBitmap,
                      const Bitmap& trackBitmap, int paramIdx, int direction = kVertical,
                      double gearing = 1.0);
  void Render(Graphics& g) override;
  void HandleResize() override;
  void HandleRescale() override;
  Rect HandleRect() const;

 protected:
  Bitmap trackBitmap_;
};

class BitmapSwitchControl : public SwitchControlBase, public BitmapBase {
 public:
  BitmapSwitchControl(float x, float y, const Bitmap& bitmap, int paramIdx);
  void HandlePointerDown(float x, float y, const MouseMods& mods) override;
  void Render(Graphics& g) override { DrawBitmapFrameByValue(g, *this); }
  void HandleRescale() override;
};

class BitmapControl : public Control, public BitmapBase {
 public:
  BitmapControl(const Rect& bounds, const Bitmap& bitmap, int paramIdx = -1,
                const Blend& blend = {});
  void Render(Graphics& g) override { DrawBitmapFrameByValue(g, *this); }
  void HandleRescale() override;
};

}  // namespace fw::gui
