#include <gtest/gtest.h>

#include "editor/corner_scale_control.h"
#include "editor/halvern_editor.h"
#include "editor/product_controls.h"
#include "engine/params.h"
#include "graphics/platform/headless/graphics_headless.h"

namespace {

using namespace fw::gui;

template <class T>
T* Find(Graphics& g) {
  for (int i = 0; i < g.NControls(); ++i) {
    if (auto* c = dynamic_cast<T*>(g.GetControl(i))) return c;
  }
  return nullptr;
}

HVRadioButtonsControl* RadioFor(Graphics& g, int param) {
  for (int i = 0; i < g.NControls(); ++i) {
    auto* c = dynamic_cast<HVRadioButtonsControl*>(g.GetControl(i));
    if (c && c->ParamIdx() == param) return c;
  }
  return nullptr;
}

struct LaidOut : ::testing::Test {
  explicit LaidOut(float scale = 1.0f) : g(nullptr, 650, 438, 60, scale) {
    halvern_editor::Layout(g);
  }
  GraphicsHeadless g;
};

TEST_F(LaidOut, HasTheBackgroundVersionTextAndTwentyControlsOverIt) {
  EXPECT_EQ(g.NControls(), 22);
  EXPECT_EQ(g.GetControl(0)->bounds, (Rect{0, 0, 650, 438}));
  EXPECT_NE(Find<RasterScaleCornerDragControl>(g), nullptr);
}

TEST_F(LaidOut, AClickInsideAFaderHitsItAndBesideItOnlyTheBackground) {
  Control* fader = g.FindControlAt(57, 150, false);
  ASSERT_NE(dynamic_cast<BrackwaterSliderControl*>(fader), nullptr);
  EXPECT_EQ(fader->ParamIdx(), kPredelay);
  EXPECT_EQ(fader->bounds, (Rect{46, 55, 68, 252}));
  EXPECT_EQ(g.FindControlAt(70, 150, false), g.GetControl(0));
}

TEST_F(LaidOut, RadioButtonsSpreadOnAWholeStepAndPressesBetweenThemHitNothing) {
  HVRadioButtonsControl* density = RadioFor(g, kDensity);
  HVRadioButtonsControl* detector = RadioFor(g, kGateDetector);
  ASSERT_TRUE(density && detector);
  const float densityLefts[] = {299, 359, 419, 479, 539, 599};
  for (int i = 0; i < 6; ++i)
    EXPECT_EQ(density->ButtonRect(i), (Rect{densityLefts[i], 14, densityLefts[i] + 16, 30}));
  const float detectorLefts[] = {168.5f, 215.5f, 262.5f};
  for (int i = 0; i < 3; ++i)
    EXPECT_FLOAT_EQ(detector->ButtonRect(i).left, detectorLefts[i]);
  EXPECT_EQ(density->ButtonAt(320, 20), -1);
  EXPECT_EQ(density->ButtonAt(365, 20), 1);
  EXPECT_EQ(density->ButtonAt(299, 31), -1);

  density->HandlePointerDown(365, 20, {});
  EXPECT_DOUBLE_EQ(density->Value(), 0.2);
  // A density of 3 selects the third button from the left.
  density->SetValueFromHost(0.4);
  EXPECT_EQ(density->SelectedIndex(), 2);
}

struct CornerCase {
  float scale;
  Rect hit, triangle;
};

TEST(CornerControl, KeepsItsSizeOnScreenAtEveryZoom) {
  for (const CornerCase& c : {CornerCase{1, {611, 399, 649, 437}, {631, 419, 649, 437}},
                              CornerCase{2, {631, 419, 649, 437}, {641, 429, 649, 437}}}) {
    GraphicsHeadless g(nullptr, 650, 438, 60, c.scale);
    halvern_editor::Layout(g);
    auto* corner = Find<RasterScaleCornerDragControl>(g);
    EXPECT_EQ(corner->hitRect, c.hit) << c.scale;
    EXPECT_EQ(corner->triangleRect, c.triangle) << c.scale;
    if (c.scale == 1) {
      EXPECT_EQ(corner->bounds, (Rect{539, 327, 649, 437}));
    }
  }
}

struct DragCase {
  float releasedAt;
  bool shift;
  float pending;  // 0: none
};

TEST(CornerControl, AReleaseSnapsToTheNearestStepTiesToTheSmallerUnlessShiftIsHeld) {
  for (const DragCase& c :
       {DragCase{1.37f, false, 1.25f}, DragCase{1.375f, false, 1.25f}, DragCase{1.37f, true, 0.0f},
        DragCase{1.0f, false, 0.0f}, DragCase{1.5f, false, 0.0f}}) {
    GraphicsHeadless g(nullptr, 650, 438);
    halvern_editor::Layout(g);
    auto* corner = Find<RasterScaleCornerDragControl>(g);
    corner->HandlePointerDown(640, 430, {});
    EXPECT_TRUE(g.resizeDragActive);
    g.SetSizeAndScale(650, 438, c.releasedAt, true);
    MouseMods mods;
    mods.shift = c.shift;
    corner->HandlePointerUp(640, 430, mods);
    EXPECT_FLOAT_EQ(g.pendingDrawScale, c.pending) << c.releasedAt << " shift " << c.shift;
  }
}

TEST(CornerControl, IgnoresRightPressesAndADoubleClickReturnsTo100Percent) {
  GraphicsHeadless g(nullptr, 650, 438, 60, 1.5f);
  halvern_editor::Layout(g);
  auto* corner = Find<RasterScaleCornerDragControl>(g);
  MouseMods right;
  right.right = true;
  corner->HandlePointerDown(645, 433, right);
  EXPECT_FALSE(g.resizeDragActive);
  corner->HandleDoubleClick(645, 433, {});
  EXPECT_FLOAT_EQ(g.DrawScale(), 1.0f);
  EXPECT_FALSE(g.resizeDragActive);
}

TEST(Editor, ReverseSwitchSitsOnItsSeat) {
  GraphicsHeadless g(nullptr, 650, 438);
  halvern_editor::Layout(g);
  Control* reverse = g.FindControlAt(606, 393, false);
  ASSERT_NE(dynamic_cast<BitmapSwitchControl*>(reverse), nullptr);
  EXPECT_EQ(reverse->bounds, (Rect{598, 385, 614, 401}));
  EXPECT_EQ(reverse->ParamIdx(), kReverseOuts);
}

}  // namespace
