#include "editor/panel_layout.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(PanelLayout, RadioButtonsSpreadEvenlyOverTheirRow) {
  struct Case {
    const panel::RadioRow* row;
    std::vector<double> lefts;
  };
  const Case cases[] = {
      {&panel::kDensityRow, {299, 359, 419, 479, 539, 599}},
      {&panel::kDetectorRow, {168.5, 215.5, 262.5}},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(c.row->buttons, static_cast<int>(c.lefts.size()));
    for (int i = 0; i < c.row->buttons; ++i) {
      const panel::Box button = c.row->ButtonRect(i);
      EXPECT_DOUBLE_EQ(button.left, c.lefts[i]) << i;
      EXPECT_DOUBLE_EQ(button.right - button.left, panel::kCross.width);
      EXPECT_DOUBLE_EQ(button.top, c.row->bounds.top);
      EXPECT_DOUBLE_EQ(button.bottom - button.top, panel::kCross.height);
    }
  }
}

// At the ends of its range the handle touches the ends of the fader's bounds: the top (or the
// right) at 1 for a vertical (horizontal) fader.
TEST(PanelLayout, FaderHandlesTravelTheWholeBounds) {
  for (const panel::Fader& fader : panel::kFaders) {
    const panel::Box b = fader.Bounds();
    if (fader.vertical) {
      EXPECT_DOUBLE_EQ(fader.HandleCentre(1), b.top + fader.handle->height / 2.0);
      EXPECT_DOUBLE_EQ(fader.HandleCentre(0), b.bottom - fader.handle->height / 2.0);
      EXPECT_DOUBLE_EQ(b.Width(), fader.handle->width);
    } else {
      EXPECT_DOUBLE_EQ(fader.HandleCentre(0), b.left + fader.handle->width / 2.0);
      EXPECT_DOUBLE_EQ(fader.HandleCentre(1), b.right - fader.handle->width / 2.0);
      EXPECT_DOUBLE_EQ(b.Height(), fader.handle->height);
    }
  }
  EXPECT_DOUBLE_EQ(panel::KnobAngleDegrees(0.5), 0);
  EXPECT_DOUBLE_EQ(panel::KnobAngleDegrees(0), -140);
}

}  // namespace
