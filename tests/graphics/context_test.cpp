#include <gtest/gtest.h>

#include "graphics/bitmap_controls.h"
#include "tests/graphics/art/fixture_art.h"
#include "tests/graphics/test_support.h"

namespace {

using fw::gui::Control;
using fw::gui::MouseMods;
using fw::gui::PointerEvent;
using fw::gui::Rect;
using gfxtest::At;
using gfxtest::DragTo;
using gfxtest::Log;
using gfxtest::ProbeControl;

// Background A over the whole editor, B and C overlapping at (150, 150); C bound to "Level".
struct ThreeControls {
  ThreeControls() : g(gfxtest::MakeContext(delegate)) {
    a = Add(std::make_unique<ProbeControl>(Rect{0, 0, 650, 438}));
    b = Add(std::make_unique<ProbeControl>(Rect{100, 100, 200, 200}));
    c = Add(std::make_unique<ProbeControl>(Rect{140, 140, 240, 240}, 0));
    delegate.log.clear();
  }
  ProbeControl* Add(std::unique_ptr<ProbeControl> control) {
    return static_cast<ProbeControl*>(g->AddControl(std::move(control)));
  }
  void Press(PointerEvent e) { g->PointerDown({&e, 1}); }
  void Drag(PointerEvent e) { g->PointerDrag({&e, 1}); }
  void Release(PointerEvent e) { g->PointerUp({&e, 1}); }

  gfxtest::TestDelegate delegate;
  std::unique_ptr<fw::gui::GraphicsHeadless> g;
  ProbeControl *a, *b, *c;
};

TEST(GraphicsContext, HitTestingTakesTheTopmostVisibleControl) {
  ThreeControls t;
  EXPECT_EQ(t.g->FindControlAt(150, 150, false), t.c);
  t.c->SetHidden(true);
  EXPECT_EQ(t.g->FindControlAt(150, 150, false), t.b);
  t.b->ignoreMouse = true;
  EXPECT_EQ(t.g->FindControlAt(150, 150, false), t.a);

  // Hover look-ups need hoverEnabled and never reach the background.
  EXPECT_EQ(t.g->FindControlAt(50, 50, false, true), nullptr);
  t.g->hoverEnabled = true;
  EXPECT_EQ(t.g->FindControlAt(50, 50, false, true), nullptr);
  EXPECT_EQ(t.g->HoverIndex(), -1);
  t.c->SetHidden(false);
  EXPECT_EQ(t.g->FindControlAt(150, 150, false, true), t.c);
  EXPECT_EQ(t.g->HoverIndex(), 2);
}

TEST(GraphicsContext, ACapturedDragStaysWithItsControlAndGesturesPairUp) {
  ThreeControls t;
  t.Press(At(150, 150));
  t.Drag(DragTo(400, 300, 250, 150));  // far outside C, over A
  t.Drag(DragTo(400, 300, 0, 0));      // no movement: not forwarded
  t.Release(At(500, 400));
  EXPECT_EQ(t.c->events, (Log{"down 150,150", "drag 400,300", "up 500,400"}));
  EXPECT_TRUE(t.a->events.empty());
  EXPECT_EQ(t.delegate.log, (Log{"begin 0", "end 0"}));
  EXPECT_FALSE(t.g->IsCapturing(t.c));

  t.Drag(DragTo(150, 150, 5, 5));  // no capture: ignored
  t.Release(At(150, 150));
  EXPECT_EQ(t.c->events.size(), 3u);
}

TEST(GraphicsContext, ARightPressOnABoundControlOpensNothing) {
  ThreeControls t;
  MouseMods right;
  right.right = true;
  t.Press(At(150, 150, right));
  EXPECT_TRUE(t.c->events.empty());
  EXPECT_TRUE(t.delegate.log.empty());
  EXPECT_EQ(t.g->LastMenu(), nullptr);
  EXPECT_FALSE(t.g->IsCapturing(t.c));
}

TEST(GraphicsContext, HostValuesWaitWhileAControlIsDragged) {
  ThreeControls t;
  t.Press(At(150, 150));
  t.g->SetParamValueFromHost(0, 0.8);
  EXPECT_EQ(t.c->Value(), 0.0);
  t.Release(At(150, 150));
  t.g->SetParamValueFromHost(0, 0.8);
  EXPECT_EQ(t.c->Value(), 0.8);
}

TEST(GraphicsContext, AUserChangeReachesPeerControlsOfTheSameParameter) {
  ThreeControls t;
  auto* peer = t.Add(std::make_unique<ProbeControl>(Rect{300, 300, 320, 320}, 0));
  t.c->SetValueFromUser(0.25);
  EXPECT_EQ(peer->Value(), 0.25);
  EXPECT_EQ(t.delegate.log, (Log{"send 0 0.2500"}));
}

TEST(GraphicsContext, SizeAndScaleAreClampedAndRepeatsIgnored) {
  gfxtest::TestDelegate delegate;
  auto g = gfxtest::MakeContext(delegate);
  delegate.log.clear();
  g->SetSizeAndScale(650, 438, 5.0f, true);
  EXPECT_EQ(g->DrawScale(), 4.0f);
  EXPECT_EQ(delegate.log, (Log{"resize 2600x1752 platform"}));
  g->SetSizeAndScale(650, 438, 5.0f, true);
  EXPECT_EQ(delegate.log.size(), 1u);
  g->SetSizeAndScale(650, 438, 0.1f, false);
  EXPECT_EQ(g->DrawScale(), 0.5f);
}

TEST(GraphicsContext, PixelBufferFollowsSizeAndBothScales) {
  const struct {
    float drawScale, screenScale;
    int width, height;
  } cases[] = {{1.0f, 1.0f, 650, 438},
               {1.5f, 1.0f, 975, 657},
               {2.0f, 1.0f, 1300, 876},
               {1.25f, 2.0f, 1624, 1094},
               {0.5f, 1.0f, 325, 219}};
  for (const auto& c : cases) {
    gfxtest::TestDelegate delegate;
    auto g = gfxtest::MakeContext(delegate, c.drawScale, c.screenScale);
    EXPECT_EQ(g->PixelBufferWidth(), c.width) << c.drawScale << "x" << c.screenScale;
    EXPECT_EQ(g->PixelBufferHeight(), c.height) << c.drawScale << "x" << c.screenScale;
    EXPECT_EQ(g->RowBytes(), c.width * 4);
    EXPECT_EQ(cairo_format_stride_for_width(CAIRO_FORMAT_ARGB32, c.width), c.width * 4);
  }
}

TEST(GraphicsContext, DraggingTheCornerScalesWithThePointer) {
  ThreeControls t;
  t.Press(At(600, 400));  // over the background, which takes no part
  t.g->resizeDragActive = true;
  MouseMods shift;
  shift.shift = true;
  t.Drag(DragTo(720, 440, 120, 40, shift));
  EXPECT_FLOAT_EQ(t.g->DrawScale(), 1.1f);  // min(440/400, 720/600)
  EXPECT_TRUE(t.g->resizeDragShift);
  int rescales = t.c->rescales;
  t.Release(At(720, 440));
  EXPECT_FALSE(t.g->resizeDragActive);
  EXPECT_FALSE(t.g->resizeDragShift);
  EXPECT_EQ(t.c->rescales, rescales + 1);  // the final resolution is fetched once, at release
}

TEST(GraphicsContext, APendingDrawScaleAppliesAtRelease) {
  ThreeControls t;
  t.g->MarkAllClean();
  int rescales = t.b->rescales;
  t.g->pendingDrawScale = 1.5f;
  t.Release(At(10, 10));
  EXPECT_EQ(t.g->DrawScale(), 1.5f);
  EXPECT_EQ(t.g->pendingDrawScale, 0.0f);
  EXPECT_FALSE(t.g->resizeDragActive);
  EXPECT_EQ(t.b->rescales, rescales + 1);
  EXPECT_TRUE(t.b->dirty);
  EXPECT_EQ(t.g->PixelBufferWidth(), 975);
}

TEST(GraphicsContext, KeysGoToTheControlUnderThePointerThenToTheKeyHandler) {
  ThreeControls t;
  fw::gui::KeyPress key;
  EXPECT_FALSE(t.g->OnKeyDown(50, 50, key));  // background, no handler: back to the host
  Log handled;
  t.g->keyHandler = [&](const fw::gui::KeyPress&, bool isUp) {
    handled.push_back(isUp ? "up" : "down");
    return true;
  };
  EXPECT_TRUE(t.g->OnKeyDown(50, 50, key));
  EXPECT_TRUE(t.g->OnKeyUp(50, 50, key));
  EXPECT_TRUE(t.a->events.empty());  // the background never sees keys
  t.c->takesKeys = true;
  EXPECT_TRUE(t.g->OnKeyDown(150, 150, key));
  EXPECT_EQ(t.c->events, (Log{"key"}));
  EXPECT_EQ(handled, (Log{"down", "up"}));
}

TEST(GraphicsContext, PaintsOnlyWhatIsDirty) {
  ThreeControls t;
  EXPECT_TRUE(t.g->Frame());
  int frames = t.g->Frames();
  fw::gui::RectList none;
  t.g->Paint(none);
  EXPECT_EQ(t.g->Frames(), frames);  // an empty list starts no frame
  EXPECT_FALSE(t.g->Frame());

  t.b->SetValueFromHost(0.5);
  fw::gui::RectList dirty;
  ASSERT_TRUE(t.g->CollectDirtyRects(dirty));
  ASSERT_EQ(dirty.Size(), 1);
  EXPECT_EQ(dirty.Get(0), (Rect{99.25f, 99.25f, 200.75f, 200.75f}));
}

TEST(GraphicsContext, AHiddenBackgroundIsStillPainted) {
  gfxtest::TestDelegate delegate;
  auto g = gfxtest::MakeContext(delegate);
  g->SetBackgroundImage("fixture_back.png");
  ASSERT_EQ(g->NControls(), 1);
  g->GetControl(0)->SetHidden(true);
  auto* hidden = static_cast<ProbeControl*>(
      g->AddControl(std::make_unique<ProbeControl>(Rect{0, 0, 20, 20}, -1, 0xffff0000)));
  hidden->SetHidden(true);
  g->Frame();
  EXPECT_EQ(gfxtest::PixelAt(*g, 10, 10), fixture::kBackLeft);
  EXPECT_EQ(gfxtest::PixelAt(*g, 400, 10), fixture::kBackRight);
}

TEST(GraphicsContext, ABackgroundGoesBeneathEverythingAndTagsAreUnique) {
  ThreeControls t;
  t.g->SetBackgroundImage("missing.png");
  EXPECT_EQ(t.g->NControls(), 3);
  t.g->SetBackgroundImage("fixture_back.png");
  ASSERT_EQ(t.g->NControls(), 4);
  EXPECT_EQ(t.g->GetControl(0)->bounds, (Rect{0, 0, 650, 438}));
  EXPECT_EQ(t.g->GetControl(1), t.a);

  auto tagged = std::make_unique<ProbeControl>(Rect{0, 0, 1, 1});
  Control* added = t.g->AddControl(std::move(tagged), 7);
  EXPECT_EQ(t.g->ControlForTag(7), added);
  auto duplicate = std::make_unique<ProbeControl>(Rect{0, 0, 1, 1});
  EXPECT_EQ(t.g->AddControl(std::move(duplicate), 7), nullptr);
  EXPECT_NE(duplicate, nullptr);  // refused: still the caller's
  EXPECT_EQ(t.g->ControlForTag(8), nullptr);
}

TEST(GraphicsContext, PromptsAskWithAMenuOrATextField) {
  ThreeControls t;
  auto* mode = t.Add(std::make_unique<ProbeControl>(Rect{300, 0, 340, 20}, 2));
  mode->promptDisabled = false;
  t.g->ChooseNextMenuItem(2);
  t.g->PromptForParamValue(*mode, mode->bounds, 0);
  ASSERT_NE(t.g->LastMenu(), nullptr);
  const fw::gui::PopupMenu& menu = *t.g->LastMenu();
  ASSERT_EQ(menu.ItemCount(), 3);
  EXPECT_EQ(menu.Title(), "Mode");
  EXPECT_EQ(menu.GetItem(1).text, "Room");
  EXPECT_EQ(menu.GetItem(1).flags, fw::gui::PopupMenu::kTicked);  // the current value
  EXPECT_EQ(menu.GetItem(0).flags, 0);
  EXPECT_EQ(mode->Value(), 1.0);  // "Plate"
  EXPECT_EQ(t.delegate.log, (Log{"begin 2", "send 2 1.0000", "end 2"}));

  auto* delay = t.Add(std::make_unique<ProbeControl>(Rect{300, 50, 340, 70}, 3));
  delay->promptShowsLabel = true;
  t.g->PromptForParamValue(*delay, delay->bounds, 0);
  EXPECT_EQ(t.g->LastTextEntry(), "25.00 ms");
  EXPECT_EQ(t.g->EditingControl(), delay);
  t.g->ApplyTextEntryResult("40");
  EXPECT_EQ(delay->Value(), 0.4);
  EXPECT_EQ(t.g->EditingControl(), nullptr);

  ProbeControl unbound(Rect{0, 0, 1, 1});
  t.g->PromptForParamValue(unbound, unbound.bounds, 0);  // no parameter: nothing
  EXPECT_EQ(t.g->EditingControl(), nullptr);
}

TEST(GraphicsContext, OpeningRunsTheLayoutAndClosingFreesTheControls) {
  gfxtest::TestDelegate delegate;
  delegate.layoutFunction = [](fw::gui::Graphics& g) {
    g.AddControl(std::make_unique<ProbeControl>(Rect{0, 0, 10, 10}));
    g.hoverEnabled = true;
  };
  fw::gui::GraphicsHeadless g(&delegate, 650, 438, 60, 1.0f, 2.0f);
  delegate.log.clear();
  EXPECT_EQ(g.OpenWindow(nullptr), &g);
  EXPECT_EQ(g.ScreenScale(), 2.0f);
  EXPECT_EQ(g.NControls(), 1);
  EXPECT_TRUE(g.hoverEnabled);
  EXPECT_EQ(delegate.log, (Log{"resize 1300x876 platform", "opened"}));
  g.CloseWindow();
  EXPECT_EQ(g.NControls(), 0);
}

}  // namespace
